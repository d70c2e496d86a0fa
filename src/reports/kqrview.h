#pragma once

#include "reports/report_page.h"

#include <QString>

/// The settings a listing fixes before its job starts.
struct JobSettings {
    QString output = QStringLiteral("SCR");  ///< "SCR" preview window, "PRN" printer
    int resolutionX = 96;                    ///< units per inch of every coordinate
    int resolutionY = 96;
    QString settingsFile = QStringLiteral("KQPRN.INI");
    QString settingsSection = QStringLiteral("LISTADOS");
    int pageWidthTwips = 11906;   ///< A4 portrait
    int pageHeightTwips = 16838;

    /// The same paper turned on its side.
    JobSettings landscape() const;
};

/// Where finished jobs go: the Qt front end installs one that opens the
/// preview window ("SCR") or prints ("PRN"). Without one, a job keeps its
/// pages in the report writer and the caller takes them (tests, PDF export).
class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    /// Whether a job with these settings can start; false when, say, the
    /// printer is asked for and there is none.
    virtual bool canStart(const JobSettings& settings) = 0;
    /// Shows or prints a finished document. Called once per job.
    virtual void deliver(const ReportDocument& document) = 0;
    /// Lets the person choose printer and paper for the listings and keeps
    /// the choice in `section` of `settingsFile`. False when cancelled or
    /// when this output cannot ask.
    virtual bool setUpPrinter(const QString& settingsFile, const QString& section)
    {
        (void)settingsFile;
        (void)section;
        return false;
    }
};

/// The program-wide output of listings, chosen in the menu bar or the
/// toolbar: "SCR" (preview window) unless the printer ("PRN") was chosen.
/// Every listing reads it when it starts.
namespace ReportOutputChoice {
QString current();
/// Anything but "PRN" (any letter case, blanks ignored) chooses "SCR".
void set(const QString& output);
}  // namespace ReportOutputChoice

/// The process-wide output of report jobs, or nullptr.
ReportOutput* installedReportOutput();
void installReportOutput(ReportOutput* output);

/// The report writer: every listing draws its pages through it. It records
/// each drawing call on the current page in 96-per-inch pixels and, when the
/// job ends, hands the document to its output.
class KQRView {
public:
    explicit KQRView(ReportOutput* output = installedReportOutput());
    KQRView(const KQRView&) = delete;
    KQRView& operator=(const KQRView&) = delete;

    /// Starts the job and opens its first page. False when the output
    /// refuses it; the caller then ends the job and draws nothing.
    bool startJob(const JobSettings& settings);
    /// Starts a plain-text job: as startJob, but every text is drawn in
    /// "Courier New" of the size set, without style or colour, and pictures
    /// are left out, so that it prints alike on any printer.
    bool startTextJob(const JobSettings& settings);
    bool isStarted() const { return state_ == State::Started; }
    bool isTextJob() const { return document_.plainText; }
    /// Language of the preview window, stored in lower case ("spa").
    void setLanguage(const QString& language);
    void setDocumentName(const QString& name);
    void setDocumentFormat(int format);
    void maximisePreview(bool on);
    void previewOnTop(bool on);
    /// A command for the printer of the running job, honoured when it
    /// prints (see isPrinterCommand). False, and nothing kept, for a command
    /// the printer does not understand or outside a job.
    bool printerCommand(const QString& command);
    /// Printer set-up through the output: the choice is kept in the job's
    /// settings file and section ("KQPRN.INI", "LISTADOS" before a job
    /// starts). False when cancelled or when there is no output that asks.
    bool printerSetup();

    /// The font of every following text.
    void setFont(const FontState& font);
    const FontState& font() const { return font_; }
    /// Shorthand: name, size and style with black text on no background.
    void setFont(const QString& name, double size, bool bold = false, bool italic = false,
                 bool underline = false);

    void drawText(const QString& text, const PixelBox& box,
                  TextAlignment alignment = TextAlignment::Left);
    void drawRectangle(const RectangleOperation& rectangle);
    void drawLine(const LineOperation& line);
    void drawPicture(const QString& file, const PixelBox& box);

    /// Ends the current page and opens the next one.
    void newPage();
    /// Ends the current page; the next drawing call opens a new one.
    void endPage();
    void endDocument();
    /// Ends the job: the finished document goes to the output. Ending a job
    /// that never started does nothing.
    void endJob();
    /// Ends the job and drops its pages without handing anything to the
    /// output: for a listing that failed half-way and must not be shown as
    /// if it were complete.
    void abortJob();

    /// Page size of the job in pixels at 96 per inch.
    int pageWidth() const { return document_.pageWidthPixels(); }
    int pageHeight() const { return document_.pageHeightPixels(); }
    /// Number of the page being drawn, from 1; 0 before the first page.
    int pageNumber() const { return static_cast<int>(document_.pages.size()); }
    const ReportDocument& document() const { return document_; }

    /// Whether a preview window of any listing is still open.
    static bool alive();

private:
    enum class State { Idle, Started, Ended };
    ReportPage& currentPage();
    void record(DrawOperation operation);

    ReportOutput* output_;
    ReportDocument document_;
    FontState font_;
    State state_ = State::Idle;
    bool pageOpen_ = false;
    bool documentEnded_ = false;
};

/// The process-wide count of open preview windows. The preview window counts
/// itself in and out; the shutdown waits for the count to reach zero before
/// the program ends.
namespace ReportPreviews {
int openCount();
void opened();
void closed();
}  // namespace ReportPreviews
