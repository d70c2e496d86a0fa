#pragma once

// WDEFINFO: the editor of one user-defined report. It holds the definition
// as the person edits it, the three pairs of lists (data, classification,
// filter: the catalogue fields of the chosen subject that are still free,
// narrowed by a typed text, and the fields chosen, in order), the report's
// calculated columns (WDEFCALL), and writes everything on Confirm in one
// database transaction through PGRAINF1 to PGRAINF4.
//
//   ReportDefinitionEditor editor(database, ui);
//   editor.start(u"7"_s, u"UPD"_s);
//   editor.setSubject(ReportList::Data, ReportSubjects::Employee);
//   editor.add(ReportList::Data, 12);
//   editor.moveUp(ReportList::Data, 3);
//   editor.confirm();

#include "reports/report_definition.h"
#include "reports/report_formula_check.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class Database;
class UiPort;

/// The three list pairs of the editor.
enum class ReportList { Data, Classification, Filter };

/// One line of a list as the editor shows it.
struct ReportListEntry {
    int field = 0;
    QString text;  ///< the description; a classification field marked for subtotals starts with "*"
};

/// Where the focus goes after a refused Confirm.
enum class ReportEditorFocus { None, Description, DetailOrSummary, DataList };

/// Most data columns a report holds.
inline constexpr int reportColumnLimit = 200;

class ReportDefinitionEditor {
public:
    ReportDefinitionEditor(Database& database, UiPort& ui);

    /// Starts on report `key` in `mode` ("INS", "UPD", "DSP"): reads the
    /// catalogue, the folders and, unless adding, the definition. False when
    /// the report to change does not exist (the person was told).
    bool start(const QString& key, const QString& mode);
    const QString& mode() const { return mode_; }
    bool isReadOnly() const { return mode_ == QLatin1String("DSP"); }

    // The header.
    void setDescription(const QString& description) { current_.description = description.trimmed(); }
    /// "D" detailed, "R" summarised.
    void setDetailOrSummary(const QString& kind) { current_.detailOrSummary = kind; }
    void setFolder(int folder) { current_.folder = folder; }
    void setCategory(int category) { current_.category = category; }
    const QList<ReportFolder>& folders() const { return folders_; }
    /// "Última emisión: " and the date, or empty.
    QString lastRun() const { return lastRunText(current_); }

    // The lists.
    /// The subject shown by a list's combo (a ReportSubjects group).
    void setSubject(ReportList list, int group) { subjects_[index(list)] = group; }
    int subject(ReportList list) const { return subjects_[index(list)]; }
    /// The text that narrows the available list to descriptions holding it.
    void setNarrowing(ReportList list, const QString& text) { narrowing_[index(list)] = text; }
    QString narrowing(ReportList list) const { return narrowing_[index(list)]; }
    /// The fields that can be added: the subject's catalogue fields not yet
    /// chosen that pass the narrowing text; the data list adds its fixed
    /// entries and the report's calculated columns not placed.
    QList<ReportListEntry> available(ReportList list) const;
    QList<ReportListEntry> chosen(ReportList list) const;

    /// Agregar: adds `field` at the end of the chosen list. Refused beyond
    /// the column limit ("No puede agregar mas columnas al informe").
    bool add(ReportList list, int field);
    /// Eliminar: removes the chosen entry at `row`.
    bool remove(ReportList list, int row);
    /// Subir / Bajar: moves the chosen entry at `row` one place.
    bool moveUp(ReportList list, int row);
    bool moveDown(ReportList list, int row);
    /// Marks or unmarks the classification field at `row` for subtotals;
    /// a summable field is refused.
    bool toggleSubtotal(int row);
    /// The filter at `row` as WFILTRO edits it.
    const FilterField& filterAt(int row) const { return current_.filters.at(row); }
    void setFilter(int row, const FilterField& filter);

    // The calculated columns (WDEFCALL).
    const QList<CalculatedColumn>& calculated() const { return current_.calculated; }
    /// A new calculated column with the next free number, not yet stored.
    CalculatedColumn newCalculated() const;
    /// Stores a new or changed column (as WDEFCALC confirmed it); a new one
    /// is placed at the end of the data columns when there is room.
    bool storeCalculated(const CalculatedColumn& column);
    /// Deletes the calculated column `id` and its place among the data columns.
    void removeCalculated(int id);

    /// PCONTFOR over the definition as it stands.
    QList<FormulaCheckLine> checkFormulas() const;

    /// "Renovar lista de campos": reads the catalogue again.
    void reloadCatalogue();
    const ReportCatalogue& catalogue() const { return catalogue_; }
    /// For the column chooser: accumulator codes ("ACH..." names) that
    /// formulas may name.
    void setAccumulatorNames(const QStringList& names) { accumulatorNames_ = names; }

    /// Confirm: the automatic-copy guard, the checks in order, then the
    /// header and the three lists (and the calculated columns) written in
    /// one database transaction, the synchronisation mark and the audit
    /// entries. False when refused or failed; the definition stays as it is.
    bool confirm();
    ReportEditorFocus focus() const { return focus_; }
    const ReportDefinition& definition() const { return current_; }
    /// The name a field shows in the lists and in audit sentences.
    QString fieldName(int field) const;

private:
    static int index(ReportList list) { return static_cast<int>(list); }
    QList<int> chosenFields(ReportList list) const;
    int chosenCount(ReportList list) const;
    bool isChosen(ReportList list, int field) const;
    bool swap(ReportList list, int row, int other);
    QString refusal();
    DbError write();
    QString addAuditText() const;
    QString changeAuditText() const;
    QString folderName(int folder) const;

    Database& database_;
    UiPort& ui_;
    QString mode_;
    ReportCatalogue catalogue_;
    QList<ReportFolder> folders_;
    QStringList accumulatorNames_;
    /// What the person edits, and the definition as last read or written
    /// (what audit sentences compare with).
    ReportDefinition current_;
    ReportDefinition stored_;
    std::array<int, 3> subjects_{1, 1, 1};
    std::array<QString, 3> narrowing_;
    ReportEditorFocus focus_ = ReportEditorFocus::None;
};
