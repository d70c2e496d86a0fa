#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringView>

class Database;
class UiPort;

// The spreadsheet file of the payroll system: an HTML table that spreadsheet
// programs open as a worksheet, written line by line with the routines
// PXLSINI, PXLSFILA, PXLSCHAR, PXLSIMPO and PXLSFIN. How it is written (with
// or without its head, which decimal mark, or a real workbook instead) is
// the preference "Planilla", kept per company in ".\dorvo.ini".

/// How the spreadsheet file is written.
enum class SpreadsheetPreference {
    Program = 1,        ///< the head and the table; decimal point
    CommaDecimals = 2,  ///< the table alone; decimal comma
    PointDecimals = 3,  ///< the head and the table; decimal point
    Workbook = 4,       ///< a real .xlsx workbook
};

struct PreferenceChoice {
    int value;
    QString label;
};

/// The preferences with their labels, in the order the panel offers them.
const QList<PreferenceChoice>& spreadsheetPreferenceChoices();
/// Whether `value` is one of the preferences.
bool isSpreadsheetPreference(int value);

/// ".\dorvo.ini": the payroll system's INI file in the program's working folder.
QString dorvoIniFile();

/// The preference of the current company for the export `use` ("CONCEPTOS"):
/// the company is "IDEmpresa" of section "Empresas" (else the context
/// store's "IDEmpresa"); in its section the key `use` + "-Planilla", then
/// "VARIOS-Planilla". When neither holds a preference, the parameter
/// VARIOS/Planilla gives it and is written back under "VARIOS-Planilla".
/// Without any, the first preference.
int readSpreadsheetPreference(Database& database, const QString& use, const QString& iniFile = dorvoIniFile());

/// Writes `value` under `use` + "-Planilla" in the company's section;
/// false when the company is unknown or the file cannot be written.
bool writeSpreadsheetPreference(const QString& use, int value, const QString& iniFile = dorvoIniFile());

/// The spreadsheet file being written, line by line: its preference says
/// whether it has the head and which decimal mark its amounts carry. Text
/// goes out in Latin-1, with characters beyond it as character references;
/// lines end in CR LF.
class XlsFile {
public:
    explicit XlsFile(UiPort* ui = nullptr) : ui_(ui) {}
    ~XlsFile();
    XlsFile(const XlsFile&) = delete;
    XlsFile& operator=(const XlsFile&) = delete;

    /// Creates (or empties) `path`; false with errorText() set when it cannot.
    bool open(const QString& path, int preference);
    /// Writes what is left and closes; false when a write failed.
    bool close();
    bool failed() const { return failed_; }
    QString errorText() const { return errorText_; }

    int preference() const { return preference_; }
    /// "," for CommaDecimals, "." otherwise.
    QChar decimalMark() const;
    UiPort* ui() const { return ui_; }

    /// Writes `line` and the line end.
    void writeLine(QStringView line);
    /// Writes the characters of `text` as a cell's content: "&", "<" and ">"
    /// as entities, line breaks as breaks inside the cell.
    void writeEscaped(QStringView text);
    /// Writes `text` as it is.
    void writeRaw(QStringView text);
    /// Writes bytes already in the file's encoding.
    void writeBytes(const char* bytes, qsizetype size);
    qint64 bytesWritten() const { return written_; }

private:
    void flush();
    void writeThrough(const char* bytes, qsizetype size);
    void fail();

    UiPort* ui_;
    QFile file_;
    char buffer_[1 << 16];
    qsizetype used_ = 0;
    int preference_ = 1;
    bool failed_ = false;
    QString errorText_;
    qint64 written_ = 0;
};

/// Starts the file: the head with the worksheet `name` (preferences 1 and
/// 3), then "<Table>".
void PXLSINI(XlsFile& file, const QString& name);
/// "INI" starts a row, with `attributes` when given; "FIN" ends it; any
/// other code says "rutina XLSFila: error en funcion".
void PXLSFILA(XlsFile& file, const QString& function, const QString& attributes = {});
/// A text cell: `prefix` ("<B>" for headings) and the trimmed `text`.
void PXLSCHAR(XlsFile& file, const QString& prefix, const QString& text);
/// A number cell: kinds 1 and 2 (amounts, rates) with the fewest decimals,
/// 2 to 6, that show the number, kind 3 a plain integer.
void PXLSIMPO(XlsFile& file, double number, int kind);
/// Ends the table: "</TABLE>".
void PXLSFIN(XlsFile& file);

/// `number` as PXLSIMPO writes it with `decimalMark`.
QString spreadsheetNumber(double number, int kind, QChar decimalMark);
