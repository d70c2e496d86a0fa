#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class UiPort;

// The import of basic values (BASICOS and BASICOS1) from a delimited text
// file or a spreadsheet: a title line and data lines of nine fields (code,
// description, position, cost centre, reference, classifier, amount,
// previous amount, validity date). The file is read once: each line is
// checked, every fault going to "errImpBas.txt", and written while no fault
// has been found, all in one database transaction that is committed only
// when the whole file passed. A file with any fault leaves the tables as
// they were.

/// The separators of import files, kept in the parameter store under
/// "Importa": "SepCampo" and "SepDeci".
struct ImportSeparators {
    QString field;
    QString decimal;
    bool complete() const { return !field.isEmpty() && !decimal.isEmpty(); }
};

/// The stored separators (empty when not stored yet).
ImportSeparators readImportSeparators(Database& database);

/// The import preferences panel: the two separators and the button "CSV".
class WPREFIMP {
public:
    WPREFIMP(Database& database, UiPort& ui) : database_(database), ui_(ui) {}
    /// Reads the stored separators.
    void start();
    const ImportSeparators& separators() const { return separators_; }
    void setFieldSeparator(const QString& text) { separators_.field = text.left(1); }
    void setDecimalSeparator(const QString& text) { separators_.decimal = text.left(1); }
    /// "CSV": ";" and "," unless they are already those.
    void pressCsv();
    /// Checks and stores the separators; true when stored.
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    ImportSeparators separators_;
};

/// What one data line does, or would do on a dry run.
enum class ImportLineEffect { Added, Changed, Unchanged };

struct ImportLineReport {
    int line = 0;
    int basic = 0;
    ImportLineEffect effect = ImportLineEffect::Unchanged;
    bool basicAdded = false;  ///< the basic itself is new
};

struct BasicImportOptions {
    ImportSeparators separators;
    /// Nothing is written; each line's effect is reported instead.
    bool dryRun = false;
    /// Where "errImpBas.txt" goes; empty: beside the imported file.
    QString errorFolder;
    /// Where a spreadsheet's "importa.txt" goes; empty: the temporary folder.
    QString workFolder;
    /// Lines between two progress texts and event runs.
    int progressEvery = 100;
};

struct BasicImportResult {
    bool imported = false;     ///< the tables hold the file (or would, on a dry run)
    QStringList errors;        ///< the control pass's messages, as in the error file
    QString errorFile;         ///< the full name of "errImpBas.txt"
    QString failure;           ///< why the file could not be read or written
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    int basicsAdded = 0;
    QList<ImportLineReport> lines;  ///< one per data line, on a dry run
};

/// Converts (spreadsheets), controls and imports `file`, telling the person
/// through `ui` as the import panel does: status texts, the messages of the
/// control pass, the failure or the success.
BasicImportResult PIMPBASI(Database& database, UiPort& ui, const QString& file, const BasicImportOptions& options);

/// The import panel: checks the preferences, asks for the file (starting in
/// the folder of the last import, which it remembers) and runs PIMPBASI.
class WIMPBASI {
public:
    WIMPBASI(Database& database, UiPort& ui) : database_(database), ui_(ui) {}
    /// False (and "Falta cargar las preferencias") without both separators.
    bool start();
    /// Asks for the file and imports it; false when nothing was imported.
    bool importFile();
    const BasicImportResult& result() const { return result_; }

private:
    Database& database_;
    UiPort& ui_;
    ImportSeparators separators_;
    BasicImportResult result_;
};
