#include "reports/kqrview.h"

#include "reports/printer_settings.h"

#include <cassert>

namespace {

ReportOutput* processOutput = nullptr;
int openPreviews = 0;
QString chosenOutput = QStringLiteral("SCR");
const QString textJobFont = QStringLiteral("Courier New");

}  // namespace

JobSettings JobSettings::landscape() const
{
    JobSettings turned = *this;
    turned.pageWidthTwips = qMax(pageWidthTwips, pageHeightTwips);
    turned.pageHeightTwips = qMin(pageWidthTwips, pageHeightTwips);
    return turned;
}

ReportOutput* installedReportOutput()
{
    return processOutput;
}

void installReportOutput(ReportOutput* output)
{
    processOutput = output;
}

namespace ReportOutputChoice {

QString current()
{
    return chosenOutput;
}

void set(const QString& output)
{
    chosenOutput = output.trimmed().toUpper() == QLatin1String("PRN") ? QStringLiteral("PRN") : QStringLiteral("SCR");
}

}  // namespace ReportOutputChoice

KQRView::KQRView(ReportOutput* output) : output_(output) {}

bool KQRView::startTextJob(const JobSettings& settings)
{
    if (!startJob(settings))
        return false;
    document_.plainText = true;
    return true;
}

bool KQRView::printerCommand(const QString& command)
{
    if (state_ != State::Started || !isPrinterCommand(command))
        return false;
    document_.printerCommands.append(command.simplified().toUpper());
    return true;
}

bool KQRView::printerSetup()
{
    if (!output_)
        return false;
    const bool inJob = state_ != State::Idle;
    const JobSettings defaults;
    return output_->setUpPrinter(inJob ? document_.settingsFile : defaults.settingsFile,
                                 inJob ? document_.settingsSection : defaults.settingsSection);
}

bool KQRView::startJob(const JobSettings& settings)
{
    assert(state_ == State::Idle && "a report writer runs one job");
    assert(settings.resolutionX == 96 && settings.resolutionY == 96
           && "listings draw in pixels of a 96-per-inch page");
    if (output_ && !output_->canStart(settings))
        return false;
    document_.output = settings.output.trimmed().toUpper();
    document_.settingsFile = settings.settingsFile;
    document_.settingsSection = settings.settingsSection;
    document_.pageWidthTwips = settings.pageWidthTwips;
    document_.pageHeightTwips = settings.pageHeightTwips;
    document_.pages.clear();
    document_.plainText = false;
    document_.printerCommands.clear();
    state_ = State::Started;
    documentEnded_ = false;
    document_.pages.append(ReportPage{});
    pageOpen_ = true;
    return true;
}

void KQRView::setLanguage(const QString& language)
{
    document_.language = language.trimmed().toLower();
}

void KQRView::setDocumentName(const QString& name)
{
    document_.name = name;
}

void KQRView::setDocumentFormat(int format)
{
    document_.documentFormat = format;
}

void KQRView::maximisePreview(bool on)
{
    document_.maximisePreview = on;
}

void KQRView::previewOnTop(bool on)
{
    document_.previewOnTop = on;
}

void KQRView::setFont(const FontState& font)
{
    font_ = font;
}

void KQRView::setFont(const QString& name, double size, bool bold, bool italic, bool underline)
{
    FontState font;
    font.name = name;
    font.size = size;
    font.bold = bold;
    font.italic = italic;
    font.underline = underline;
    font_ = font;
}

void KQRView::drawText(const QString& text, const PixelBox& box, TextAlignment alignment)
{
    if (!document_.plainText) {
        record(TextOperation{text, box, alignment, font_});
        return;
    }
    FontState plain;
    plain.name = textJobFont;
    plain.size = font_.size;
    record(TextOperation{text, box, alignment, plain});
}

void KQRView::drawRectangle(const RectangleOperation& rectangle)
{
    record(rectangle);
}

void KQRView::drawLine(const LineOperation& line)
{
    record(line);
}

void KQRView::drawPicture(const QString& file, const PixelBox& box)
{
    if (document_.plainText)
        return;
    record(PictureOperation{file, box});
}

void KQRView::newPage()
{
    assert(state_ == State::Started && "new page outside a job");
    document_.pages.append(ReportPage{});
    pageOpen_ = true;
}

void KQRView::endPage()
{
    assert(state_ == State::Started && "end page outside a job");
    pageOpen_ = false;
}

void KQRView::endDocument()
{
    assert(state_ == State::Started && "end document outside a job");
    pageOpen_ = false;
    documentEnded_ = true;
}

void KQRView::endJob()
{
    if (state_ != State::Started)
        return;
    pageOpen_ = false;
    state_ = State::Ended;
    if (output_)
        output_->deliver(document_);
}

void KQRView::abortJob()
{
    pageOpen_ = false;
    document_.pages.clear();
    if (state_ == State::Started)
        state_ = State::Ended;
}

bool KQRView::alive()
{
    return ReportPreviews::openCount() > 0;
}

ReportPage& KQRView::currentPage()
{
    assert(state_ == State::Started && !documentEnded_ && "drawing outside a job");
    if (!pageOpen_) {
        document_.pages.append(ReportPage{});
        pageOpen_ = true;
    }
    return document_.pages.last();
}

void KQRView::record(DrawOperation operation)
{
    currentPage().operations.append(std::move(operation));
}

namespace ReportPreviews {

int openCount()
{
    return openPreviews;
}

void opened()
{
    ++openPreviews;
}

void closed()
{
    assert(openPreviews > 0 && "a preview closed that never opened");
    if (openPreviews > 0)
        --openPreviews;
}

}  // namespace ReportPreviews
