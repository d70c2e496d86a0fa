#pragma once

// Running a user-defined report: its definition (INFORME to INFORME4) is
// read, the query is built from the catalogue's texts alone with every
// filter value bound, the rows are read in the order of the classification
// fields, calculated columns are evaluated per row (formulas with the report
// formula language, a basic's value at the run date, the amounts of chosen
// concepts), "# (contador)" numbers the details and "* (en totales)" counts
// the rows of each subtotal, and the lines (group headings, details, subtotals, the total)
// go to a sink: the report writer's pages (preview, printer, PDF) or an
// .xlsx workbook. A run that reaches its end stores its date in InfUltEjec.

#include "reports/report_catalogue.h"
#include "reports/report_formula.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Database;
class KQRView;
class UiPort;

/// One column of a running report.
struct ReportColumnLayout {
    QString title;
    ReportFieldType type = ReportFieldType::Character;
    QString picture;
    bool summable = false;
    int characters = 12;  ///< width in characters
};

/// What every sink gets before the first line.
struct ReportLayout {
    int reportId = 0;
    QString title;       ///< `InfDes`
    bool detailed = true;  ///< "D"; false for a summarised ("R") report
    QList<ReportColumnLayout> columns;
    QStringList filters;   ///< "Fecha de liquidación: 1/1/25:30/6/25", for the header
    int levels = 0;        ///< classification levels
    /// A summarised report's lines of its deepest groups are named by this
    /// field ("Apellidos y nombres"): the sinks give it a column of its own.
    QString groupTitle;
};

/// One line of a report.
struct ReportLine {
    enum class Kind {
        Heading,   ///< a group starts: `label` names the group
        Detail,    ///< one row: `values` per column
        Subtotal,  ///< a group ends: `label` and the sums of its summable columns
        Total,     ///< the whole report's sums
    };
    Kind kind = Kind::Detail;
    int level = 0;  ///< classification level of headings and subtotals, from 0
    QString label;
    QList<ReportValue> values;  ///< one per column; Null where nothing prints
    qint64 rows = 0;            ///< detail rows a subtotal or total covers
};

/// Where the lines of a run go.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    /// False when the output cannot start (message in `error`).
    virtual bool begin(const ReportLayout& layout, QString& error) = 0;
    virtual void line(const ReportLine& line) = 0;
    /// Ends the output; false with `error` when it could not be completed.
    virtual bool finish(QString& error) = 0;
    /// The run failed half-way: drop what was begun.
    virtual void abandon() {}
};

/// What a run needs besides the report.
struct ReportRunOptions {
    /// Conditions of the filters marked "E", by field number, given on the
    /// command line or by a test; a filter without one is asked through the
    /// UI port (WFILTRO, mode "EMI", the condition in the key).
    QHash<int, QString> answers;
    /// Conditions that replace a fixed filter's, by field number, and filters
    /// added for fields the definition does not filter.
    QHash<int, QString> extraFilters;
    QDate today = QDate::currentDate();
    /// Whether a finished run stores its date in InfUltEjec.
    bool storeRunDate = true;
    /// Where printReport's pages go: "SCR" (preview) or "PRN" (printer);
    /// empty for the program-wide output choice.
    QString output;
    /// Told the detail rows read every `progressRows` rows; answering false
    /// cancels the run (nothing is delivered and InfUltEjec is kept).
    std::function<bool(qint64 rows)> progress;
    int progressRows = 2000;
};

struct ReportRunResult {
    bool ok = false;
    QString message;  ///< why the run failed
    qint64 rows = 0;  ///< detail rows read
    QStringList notices;  ///< "Aviso: ..." texts of a run that finished
    bool cancelled = false;  ///< stopped by the progress callback
};

/// Runs report `reportId` into `sink`. Refusals and failures come back in
/// the result, never as exceptions; the UI port only asks for the
/// conditions of filters marked "E" and shows progress.
ReportRunResult runReport(Database& database, UiPort& ui, int reportId, const ReportRunOptions& options,
                          ReportSink& sink);

/// Runs the report onto the report writer's pages (listing frame, "Courier
/// New" 8), upright or on its side as the columns need.
ReportRunResult printReport(Database& database, UiPort& ui, int reportId, const ReportRunOptions& options,
                            KQRView& view, const QString& company, const QString& user);

/// Runs the report into an .xlsx workbook at `path`.
ReportRunResult writeReportWorkbook(Database& database, UiPort& ui, int reportId,
                                    const ReportRunOptions& options, const QString& path);

/// The "Última emisión: " text of a report's last run ("" when never run).
QString lastRunText(Database& database, int reportId);

/// A value through a catalogue picture, as a report prints it.
QString formatReportValue(const ReportValue& value, const QString& picture);
