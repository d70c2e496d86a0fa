#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Reading the first worksheet of a spreadsheet file, row by row: .xlsx
// (a zip of XML parts, read with minizip and a small pull reader over the
// inflated sheet, so a sheet of any length is never held in memory) and .xls
// (read with FreeXL). Cells come as the texts an import file holds: numbers
// with the decimal separator asked for and without thousands, dates as
// "dd/mm/yyyy".

/// What a cell's value is turned into text with.
struct CellTextOptions {
    QChar decimalSeparator = u'.';
};

/// One worksheet read from its first row to its last.
class SpreadsheetReader {
public:
    virtual ~SpreadsheetReader() = default;
    /// Opens the file; 0 on success, else the reader's error number.
    virtual int open() = 0;
    /// The next row that holds any cell: its number (from 1) and its cells
    /// by column (from 1; the columns between are empty texts), in UTF-8.
    /// False at the end, or on a failure (see error()). The texts of
    /// `cells` are reused from row to row.
    virtual bool nextRow(int& row, std::vector<std::string>& cells) = 0;
    /// The same, the cells as texts.
    bool nextRow(int& row, QStringList& cells);
    /// Why the last open or read failed: the error number, 0 when none.
    virtual int error() const = 0;

    /// A reader for `path` by its extension (.xlsx, .xlsm or .xls); nullptr
    /// for a file that is not read as a spreadsheet.
    static std::unique_ptr<SpreadsheetReader> forFile(const QString& path, const CellTextOptions& options);
};

/// Whether `path` names a spreadsheet (.xls, .xlsx, .xlsm) rather than a text file.
bool isSpreadsheetFile(const QString& path);

/// The date `serial` of a spreadsheet (days since its epoch) as "dd/mm/yyyy".
QString spreadsheetDateText(double serial, bool from1904 = false);
/// A number as an import file writes it: no thousands, `decimalSeparator`,
/// no trailing zeros.
QString spreadsheetNumberText(double value, QChar decimalSeparator);
/// The same two, written over `out`.
void writeSpreadsheetDate(double serial, bool from1904, std::string& out);
void writeSpreadsheetNumber(double value, char decimalSeparator, std::string& out);

/// How a conversion to text ended.
struct SpreadsheetConversion {
    int errorNumber = 0;  ///< the reader's, 0 when the file was converted
    int rows = 0;         ///< lines written
    bool ok() const { return errorNumber == 0; }
};

/// Writes the first worksheet of `sheet` to the text file `text` (UTF-8):
/// the columns among 1 to 200 whose cell in the first row is not empty,
/// each row one line with those cells joined by ";" (empty rows give empty
/// lines, so a line's number is its row's). `progress` is told each row;
/// `linesWritten` is handed each block of whole lines ("\n" after each) as it is
/// written, so that a reader can take the lines while the sheet is read.
SpreadsheetConversion convertSpreadsheetToText(const QString& sheet, const QString& text,
                                               const CellTextOptions& options,
                                               const std::function<void(int row)>& progress = {},
                                               const std::function<void(const QByteArray& lines)>& linesWritten = {});
