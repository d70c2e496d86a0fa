#pragma once

#include "reports/printer_settings.h"
#include "reports/report_page.h"

#include <QFont>
#include <QString>

class QPainter;
class QPrinter;
class QImage;

/// The installed font that stands in for a font a listing names: "Courier
/// New" is drawn with "Liberation Mono", "Arial" and "MS Sans Serif" with
/// "Liberation Sans", "Times New Roman" with "Liberation Serif" (same
/// metrics). Other names are used as they are.
QString installedFontFamily(const QString& listingFontName);

/// The Qt font of a recorded font state, sized for a painter whose device
/// shows `dotsPerInch` device pixels to the inch.
QFont reportFont(const FontState& font, const QPainter& painter, double dotsPerInch);

/// Draws one recorded page on `painter`, 96-per-inch pixels scaled to
/// `dotsPerInch`, with the page's top left corner at the painter's origin.
void renderPage(QPainter& painter, const ReportPage& page, double dotsPerInch);

/// The page as a picture at `dotsPerInch`, on white paper.
QImage renderPageImage(const ReportDocument& document, int pageIndex, double dotsPerInch);

/// Writes the document as a PDF file, one PDF page per recorded page. False
/// with `error` set (our words and the file system's) when it cannot.
bool writePdf(const ReportDocument& document, const QString& path, QString& error);

/// Sets up `printer` from the saved settings: printer name, orientation,
/// paper, colour, duplex, the job's document name, and then the job's
/// printer commands (copies, duplex, tray, colour). The document's own
/// orientation wins over the saved one.
void applyPrinterSettings(QPrinter& printer, const PrinterSettings& settings, const ReportDocument& document);
/// The settings `printer` now has, for saving after a print dialog.
PrinterSettings printerSettingsOf(const QPrinter& printer, const PrinterSettings& previous);
/// Keeps what `printer` is set to in `section` of `settingsFile`, the keys
/// it does not set as they were. False with `error` set when the file
/// cannot be written.
bool savePrinterSetUp(const QPrinter& printer, const QString& settingsFile, const QString& section, QString& error);

/// Prints every page on `printer`, already set up. False with `error` set
/// when the printer cannot start.
bool printDocument(const ReportDocument& document, QPrinter& printer, QString& error);
