#include "ui/report_render.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

namespace {

constexpr double pagePixelsPerInch = 96.0;

QColor colorOf(const RgbColor& color)
{
    return QColor(qBound(0, color.red, 255), qBound(0, color.green, 255), qBound(0, color.blue, 255));
}

/// A recorded box in device pixels. Edges are given inclusive on the page,
/// so the box spans right - left pixels.
QRectF deviceRect(const PixelBox& box, double scale)
{
    return QRectF(box.left * scale, box.top * scale, (box.right - box.left) * scale, (box.bottom - box.top) * scale);
}

Qt::Alignment alignmentOf(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Left:
        return Qt::AlignLeft;
    case TextAlignment::Center:
        return Qt::AlignHCenter;
    case TextAlignment::Right:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

QFont::StyleHint styleHintOf(const QString& family)
{
    if (family.contains(QLatin1String("Mono"), Qt::CaseInsensitive))
        return QFont::Monospace;
    if (family.contains(QLatin1String("Serif"), Qt::CaseInsensitive)
        && !family.contains(QLatin1String("Sans"), Qt::CaseInsensitive))
        return QFont::Serif;
    return QFont::SansSerif;
}

void drawText(QPainter& painter, const TextOperation& text, double dotsPerInch)
{
    const double scale = dotsPerInch / pagePixelsPerInch;
    const QRectF box = deviceRect(text.box, scale);
    if (!text.font.transparent)
        painter.fillRect(box, colorOf(text.font.background));
    painter.setFont(reportFont(text.font, painter, dotsPerInch));
    painter.setPen(colorOf(text.font.foreground));
    // One line per box, centred on the box's height. Texts are not clipped
    // to their box: a descender or the last letter of a tight heading is
    // better shown whole than cut.
    painter.drawText(box, alignmentOf(text.alignment) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     text.text);
}

void drawRectangle(QPainter& painter, const RectangleOperation& rectangle, double scale)
{
    const QRectF box = deviceRect(rectangle.box, scale);
    if (rectangle.filled)
        painter.fillRect(box, colorOf(rectangle.fill));
    if (rectangle.borderWidth <= 0)
        return;
    QPen pen(colorOf(rectangle.border));
    pen.setWidthF(rectangle.borderWidth * scale);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

void drawLine(QPainter& painter, const LineOperation& line, double scale)
{
    QPen pen(colorOf(line.color));
    pen.setWidthF(qMax(1, line.width) * scale);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(line.x1 * scale, line.y1 * scale), QPointF(line.x2 * scale, line.y2 * scale));
}

void drawPicture(QPainter& painter, const PictureOperation& picture, double scale)
{
    const QImage image(picture.file);
    if (image.isNull())
        return;  // a missing picture leaves its box empty, the listing goes on
    painter.drawImage(deviceRect(picture.box, scale), image);
}

/// The paper of a document as a Qt page layout without margins: listings
/// place every element themselves from the paper's edge.
QPageLayout pageLayoutOf(const ReportDocument& document)
{
    const double shortSide = qMin(document.pageWidthTwips, document.pageHeightTwips) / 1440.0 * 25.4;
    const double longSide = qMax(document.pageWidthTwips, document.pageHeightTwips) / 1440.0 * 25.4;
    const QPageSize size(QSizeF(shortSide, longSide), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    const QPageLayout::Orientation orientation = document.orientation() == PageOrientation::Landscape
        ? QPageLayout::Landscape
        : QPageLayout::Portrait;
    return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0));
}

// Printer-driver paper codes and the Qt page sizes they stand for.
struct PaperCode {
    int code;
    QPageSize::PageSizeId id;
};
const PaperCode paperCodes[] = {
    {1, QPageSize::Letter}, {5, QPageSize::Legal}, {8, QPageSize::A3},
    {9, QPageSize::A4},     {11, QPageSize::A5},   {13, QPageSize::B5},
};
constexpr int customPaper = 256;

QPageSize pageSizeOf(const PrinterSettings& settings)
{
    for (const PaperCode& paper : paperCodes) {
        if (paper.code == settings.paperSize)
            return QPageSize(paper.id);
    }
    if (settings.paperSize == customPaper && settings.paperWidth > 0 && settings.paperLength > 0)
        return QPageSize(QSizeF(settings.paperWidth / 10.0, settings.paperLength / 10.0), QPageSize::Millimeter);
    return QPageSize();
}

}  // namespace

QString installedFontFamily(const QString& listingFontName)
{
    const QString name = listingFontName.trimmed();
    const auto is = [&name](const char* family) { return name.compare(QLatin1String(family), Qt::CaseInsensitive) == 0; };
    if (is("Courier New") || is("Courier"))
        return QStringLiteral("Liberation Mono");
    if (is("Arial") || is("MS Sans Serif") || is("Microsoft Sans Serif") || is("Helvetica"))
        return QStringLiteral("Liberation Sans");
    if (is("Times New Roman") || is("Times"))
        return QStringLiteral("Liberation Serif");
    return name;
}

QFont reportFont(const FontState& font, const QPainter& painter, double dotsPerInch)
{
    const QString family = installedFontFamily(font.name);
    QFont qtFont(family);
    qtFont.setStyleHint(styleHintOf(family));
    // Qt turns points into pixels with the device's own resolution; the page
    // may be drawn at another one (a zoomed preview), so correct for it.
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    qtFont.setPointSizeF(font.size * dotsPerInch / (deviceDpi > 0 ? deviceDpi : 96));
    qtFont.setBold(font.bold);
    qtFont.setItalic(font.italic);
    qtFont.setUnderline(font.underline);
    qtFont.setStrikeOut(font.strikeOut);
    // Unhinted outlines give the same text widths on screen, paper and PDF.
    qtFont.setHintingPreference(QFont::PreferNoHinting);
    qtFont.setStyleStrategy(QFont::PreferOutline);
    return qtFont;
}

void renderPage(QPainter& painter, const ReportPage& page, double dotsPerInch)
{
    const double scale = dotsPerInch / pagePixelsPerInch;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const DrawOperation& operation : page.operations) {
        if (const auto* text = std::get_if<TextOperation>(&operation))
            drawText(painter, *text, dotsPerInch);
        else if (const auto* rectangle = std::get_if<RectangleOperation>(&operation))
            drawRectangle(painter, *rectangle, scale);
        else if (const auto* line = std::get_if<LineOperation>(&operation))
            drawLine(painter, *line, scale);
        else if (const auto* picture = std::get_if<PictureOperation>(&operation))
            drawPicture(painter, *picture, scale);
    }
    painter.restore();
}

QImage renderPageImage(const ReportDocument& document, int pageIndex, double dotsPerInch)
{
    const double scale = dotsPerInch / pagePixelsPerInch;
    QImage image(qMax(1, qRound(document.pageWidthPixels() * scale)),
                 qMax(1, qRound(document.pageHeightPixels() * scale)), QImage::Format_RGB32);
    // The image's own resolution is the drawing resolution, so font points
    // come out at their size on the page.
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    if (pageIndex < 0 || pageIndex >= document.pages.size())
        return image;
    QPainter painter(&image);
    renderPage(painter, document.pages.at(pageIndex), dotsPerInch);
    return image;
}

bool writePdf(const ReportDocument& document, const QString& path, QString& error)
{
    if (document.pages.isEmpty()) {
        error = QStringLiteral("El listado no tiene páginas para guardar.");
        return false;
    }
    // Written to a new file beside `path` that replaces it only once whole:
    // a full disk or a failure halfway leaves the earlier file, or none,
    // never a short or empty one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("No se pudo crear el archivo ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setTitle(document.name);
        writer.setCreator(QStringLiteral("uordane"));
        writer.setPageLayout(pageLayoutOf(document));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = QStringLiteral("No se pudo escribir el archivo ") + path;
            file.cancelWriting();
            return false;
        }
        for (qsizetype index = 0; index < document.pages.size(); ++index) {
            if (index > 0)
                writer.newPage();
            renderPage(painter, document.pages.at(index), writer.resolution());
        }
        painter.end();
    }
    // Qt's commit does not see a write that failed while the buffer was
    // flushed on closing: flush first and give the file up when it fails.
    if (!file.flush()) {
        error = QStringLiteral("No se pudo escribir el archivo ") + path + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("No se pudo escribir el archivo ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

void applyPrinterSettings(QPrinter& printer, const PrinterSettings& saved, const ReportDocument& document)
{
    // The job's own printer commands win over the saved settings.
    const JobPrinting printing = withPrinterCommands(saved, document.printerCommands);
    const PrinterSettings& settings = printing.settings;
    printer.setCopyCount(printing.copies);
    if (!settings.printer.isEmpty() && QPrinterInfo::availablePrinterNames().contains(settings.printer))
        printer.setPrinterName(settings.printer);
    printer.setDocName(document.name);
    printer.setFullPage(true);
    QPageLayout layout = pageLayoutOf(document);
    const QPageSize savedSize = pageSizeOf(settings);
    if (savedSize.isValid())
        layout.setPageSize(savedSize, QMarginsF(0, 0, 0, 0));
    printer.setPageLayout(layout);
    if (settings.color == PrinterSettings::monochrome)
        printer.setColorMode(QPrinter::GrayScale);
    else if (settings.color == PrinterSettings::colour)
        printer.setColorMode(QPrinter::Color);
    switch (settings.duplex) {
    case 1:
        printer.setDuplex(QPrinter::DuplexNone);
        break;
    case 2:
        printer.setDuplex(QPrinter::DuplexLongSide);
        break;
    case 3:
        printer.setDuplex(QPrinter::DuplexShortSide);
        break;
    }
    if (settings.printQuality > 0)
        printer.setResolution(settings.printQuality);
}

bool savePrinterSetUp(const QPrinter& printer, const QString& settingsFile, const QString& section, QString& error)
{
    const PrinterSettings previous = PrinterSettingsFile::load(settingsFile, section);
    return PrinterSettingsFile::save(settingsFile, printerSettingsOf(printer, previous), error, section);
}

PrinterSettings printerSettingsOf(const QPrinter& printer, const PrinterSettings& previous)
{
    PrinterSettings settings = previous;
    settings.printer = printer.printerName();
    const QPageLayout layout = printer.pageLayout();
    settings.orientation = layout.orientation() == QPageLayout::Landscape ? PrinterSettings::landscape
                                                                         : PrinterSettings::portrait;
    const QPageSize size = layout.pageSize();
    settings.paperSize = customPaper;
    for (const PaperCode& paper : paperCodes) {
        if (paper.id == size.id())
            settings.paperSize = paper.code;
    }
    const QSizeF millimetres = size.size(QPageSize::Millimeter);
    settings.paperWidth = qRound(millimetres.width() * 10);
    settings.paperLength = qRound(millimetres.height() * 10);
    settings.color = printer.colorMode() == QPrinter::GrayScale ? PrinterSettings::monochrome
                                                               : PrinterSettings::colour;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        settings.duplex = 1;
        break;
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
        settings.duplex = 2;
        break;
    case QPrinter::DuplexShortSide:
        settings.duplex = 3;
        break;
    }
    settings.printQuality = printer.resolution();
    return settings;
}

bool printDocument(const ReportDocument& document, QPrinter& printer, QString& error)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = QStringLiteral("No se pudo imprimir en la impresora ") + printer.printerName() + '.';
        return false;
    }
    for (qsizetype index = 0; index < document.pages.size(); ++index) {
        if (index > 0)
            printer.newPage();
        renderPage(painter, document.pages.at(index), printer.resolution());
    }
    painter.end();
    return true;
}
