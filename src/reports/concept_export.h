#pragma once

#include "reports/spreadsheet_file.h"

#include <QList>
#include <QString>

#include <utility>

class Database;
class TableCursor;
class UiPort;

// The export of the payroll concepts to a spreadsheet. Two writers:
//  - the spreadsheet file of the payroll system, an HTML table that
//    spreadsheet programs open as a worksheet, written line by line with the
//    routines PXLSINI, PXLSFILA, PXLSCHAR, PXLSIMPO and PXLSFIN;
//  - a real workbook (.xlsx), with numbers as numbers, bold headings, the two
//    heading rows frozen and columns as wide as what they hold.
// Which one, and how numbers are written, is the preference "Planilla" kept
// per company in ".\dorvo.ini".
//
// Layout of the concepts sheet: row 1 the section headings, row 2 the column
// headings, then every concept in code order. With formulas, a concept's
// first amount line, quantity line, accumulator, expansion and application
// go on the concept's own row, each in its section's columns; its further
// ones go on the rows under it, side by side, with the concept's code
// repeated in the first column (so that the rows can be sorted or filtered
// by concept) and the other general columns left empty.

/// One general setting of a concept, as the export heads it and the
/// detailed listing shows it: coded values by their texts, flags "Sí"/"No".
struct ConceptSetting {
    QString heading;  ///< "Genera aguinaldo"
    QString field;    ///< "ConAguinal"
    QString text;     ///< "Por lo gravado"
};

/// The general settings of the concept at the current row of `concepts`, in
/// the export's column order.
QList<ConceptSetting> conceptSettings(const TableCursor& concepts);

/// What an export is asked to do.
struct ConceptExportOptions {
    QString file;             ///< the file to write
    int preference = 1;       ///< SpreadsheetPreference
    bool formulas = false;    ///< with lines, accumulators, expansions and applications
    int progressEvery = 100;  ///< concepts between two status texts
};

struct ConceptExportResult {
    bool written = false;
    QString failure;  ///< why the file could not be written
    int concepts = 0;
    int rows = 0;     ///< rows below the two heading rows
};

/// PEXPCONE: writes the concepts in code order to `options.file`, telling
/// the progress in the status bar. A database or file failure leaves no
/// half-written file behind.
ConceptExportResult PEXPCONE(Database& database, UiPort& ui, const ConceptExportOptions& options);

/// The file the export writes for `preference`: "conceptos.xls" (or
/// "conceptos.xlsx" for a workbook) in `folder`, the temporary folder when empty.
QString conceptExportFile(int preference, const QString& folder = {});

/// WEXPEXCE, "Preferencias para exportación a Excel": the preference of one
/// use ("CONCEPTOS", "VARIOS"), the use given as the panel's key.
class WEXPEXCE {
public:
    WEXPEXCE(Database& database, UiPort& ui, QString iniFile = dorvoIniFile())
        : database_(database), ui_(ui), iniFile_(std::move(iniFile)) {}
    /// Reads the stored preference of `use` (empty: "VARIOS").
    void start(const QString& use = {});
    int choice() const { return choice_; }
    void setChoice(int value) { choice_ = value; }
    /// "Opción incorrecta" for a value outside the list; else writes it.
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    QString iniFile_;
    QString use_;
    int choice_ = 0;
};

/// WEXPCONE, "Exportación de coneptos a Excel": the formulas check box and
/// the export. The window opens the written file; the panel only writes it.
class WEXPCONE {
public:
    WEXPCONE(Database& database, UiPort& ui, QString iniFile = dorvoIniFile())
        : database_(database), ui_(ui), iniFile_(std::move(iniFile)) {}
    /// Reads the preference.
    void start();
    int preference() const { return preference_; }
    bool formulas() const { return formulas_; }
    void setFormulas(bool formulas) { formulas_ = formulas; }
    /// Where the file goes (tests); empty: the temporary folder.
    void setFolder(const QString& folder) { folder_ = folder; }
    /// The preferences panel; the preference is read again after it.
    void pressPreferences();
    /// Writes the file; false (and the failure told) when it could not.
    bool confirm();
    /// The file written by the last confirm.
    const ConceptExportResult& result() const { return result_; }
    QString file() const { return file_; }

private:
    Database& database_;
    UiPort& ui_;
    QString iniFile_;
    QString folder_;
    int preference_ = 1;
    bool formulas_ = false;
    QString file_;
    ConceptExportResult result_;
};

/// WCONLIS: the choice of concept listing, "D" detailed or "R" summarised.
class WCONLIS {
public:
    explicit WCONLIS(UiPort& ui) : ui_(ui) {}
    void setKind(const QString& kind) { kind_ = kind.trimmed().toUpper(); }
    QString kind() const { return kind_; }
    /// "Falta indicar tipo de listado" without a choice; else runs the
    /// listing (RCONLISD or RCONLISR) and returns true.
    bool confirm();

private:
    UiPort& ui_;
    QString kind_;
};
