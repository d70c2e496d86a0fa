#pragma once

#include <QList>
#include <QString>

class Database;

/// One entry of a selection list: the code kept behind the description shown.
struct SelectionEntry {
    QString code;
    QString description;
    bool operator==(const SelectionEntry&) const = default;
};

/// Most entries a selection list holds.
inline constexpr int selectionListLimit = 32767;

/// The selection-list filler: (code, description) of every record of `table`,
/// ordered by `sortField` when one is given, at most selectionListLimit
/// entries. Errors are not reported: the list is then empty.
QList<SelectionEntry> KQDCJET(Database& database, const QString& table, const QString& codeField,
                              const QString& descriptionField, const QString& sortField = {});

/// The refusal of a code that no entry of a selection list holds.
inline constexpr char16_t invalidComboKeyMessage[] = u"Invalid Combo Key";

/// A selection list as a combo that lists a table's codes holds it: the
/// descriptions shown, in order, each with its code kept behind it, and the
/// entry chosen. Filled from a table by KQDCJET, or entry by entry.
class SelectionList {
public:
    /// Clears the list and fills it with KQDCJET; nothing is chosen.
    void fill(Database& database, const QString& table, const QString& codeField,
              const QString& descriptionField, const QString& sortField = {});
    /// Clears the list and fills it with `entries` (at most selectionListLimit).
    void fill(const QList<SelectionEntry>& entries);

    const QList<SelectionEntry>& entries() const { return entries_; }
    int count() const { return static_cast<int>(entries_.size()); }
    bool isFull() const { return count() >= selectionListLimit; }

    /// The index of the entry holding `code`, -1 when none does: `error`
    /// then gets "Invalid Combo Key". Codes are compared without their
    /// surrounding blanks, and as numbers when both are numbers ("7" finds
    /// "7.0"); letter case counts.
    int find(const QString& code, QString* error = nullptr) const;
    /// Chooses the entry of `code`; false with `error` set, and the choice
    /// unchanged, when no entry holds it.
    bool select(const QString& code, QString* error = nullptr);
    /// Chooses the entry at `index`; -1 chooses none.
    void selectIndex(int index);
    int selectedIndex() const { return selected_; }
    /// The code of the chosen entry; empty when none is chosen.
    QString selectedCode() const;

    /// Adds one entry at `index` (at the end when -1 or past it). False
    /// when the list is full. The chosen entry stays chosen.
    bool add(const SelectionEntry& entry, int index = -1);
    /// Removes the entry at `index`; false when there is none. Removing the
    /// chosen entry leaves nothing chosen.
    bool removeAt(int index);
    /// Removes the entry of `code`; false with `error` set when none holds it.
    bool remove(const QString& code, QString* error = nullptr);

private:
    QList<SelectionEntry> entries_;
    int selected_ = -1;
};
