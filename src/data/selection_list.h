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
