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
};

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
    bool isStarted() const { return state_ == State::Started; }
    /// Language of the preview window, stored in lower case ("spa").
    void setLanguage(const QString& language);
    void setDocumentName(const QString& name);
    void setDocumentFormat(int format);
    void maximisePreview(bool on);
    void previewOnTop(bool on);

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
