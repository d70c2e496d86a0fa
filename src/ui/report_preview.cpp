#include "ui/report_preview.h"

#include "reports/printer_settings.h"
#include "ui/report_render.h"
#include "support/ui_port.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr double zoomStep = 1.25;
constexpr double smallestZoom = 0.25;
constexpr double largestZoom = 4.0;
constexpr double screenPixelsPerInch = 96.0;

const QString noPrinterMessage =
    QStringLiteral("No hay ninguna impresora instalada. Elija la salida por pantalla para ver el listado.");

QString settingsSectionOf(const ReportDocument& document)
{
    return document.settingsSection.isEmpty() ? QStringLiteral("LISTADOS") : document.settingsSection;
}

}  // namespace

ReportPreview::ReportPreview(const ReportDocument& document, const QString& settingsFile, QWidget* parent)
    : QWidget(parent), document_(document), settingsFile_(settingsFile)
{
    ReportPreviews::opened();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document_.name.isEmpty() ? QStringLiteral("Vista previa") : document_.name);
    if (document_.previewOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const QStyle* look = style();

    QAction* printAction = toolBar->addAction(look->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Imprimir"));
    printAction->setShortcut(QKeySequence::Print);
    connect(printAction, &QAction::triggered, this, &ReportPreview::print);
    QAction* saveAction = toolBar->addAction(look->standardIcon(QStyle::SP_DialogSaveButton),
                                             QStringLiteral("Guardar PDF"));
    saveAction->setToolTip(QStringLiteral("Guardar como archivo PDF"));
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, &ReportPreview::askAndSaveAsPdf);
    toolBar->addSeparator();

    firstAction_ = toolBar->addAction(look->standardIcon(QStyle::SP_MediaSkipBackward), QString());
    firstAction_->setToolTip(QStringLiteral("Primera página"));
    firstAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    connect(firstAction_, &QAction::triggered, this, &ReportPreview::firstPage);
    previousAction_ = toolBar->addAction(look->standardIcon(QStyle::SP_MediaSeekBackward), QString());
    previousAction_->setToolTip(QStringLiteral("Página anterior"));
    previousAction_->setShortcut(QKeySequence(Qt::Key_PageUp));
    connect(previousAction_, &QAction::triggered, this, &ReportPreview::previousPage);

    toolBar->addWidget(new QLabel(QStringLiteral(" Página "), toolBar));
    pageNumber_ = new QSpinBox(toolBar);
    pageNumber_->setRange(1, qMax(1, pageCount()));
    pageNumber_->setAccessibleName(QStringLiteral("Página"));
    toolBar->addWidget(pageNumber_);
    pageTotal_ = new QLabel(QStringLiteral(" de %1 ").arg(pageCount()), toolBar);
    toolBar->addWidget(pageTotal_);
    connect(pageNumber_, &QSpinBox::valueChanged, this, &ReportPreview::showPage);

    nextAction_ = toolBar->addAction(look->standardIcon(QStyle::SP_MediaSeekForward), QString());
    nextAction_->setToolTip(QStringLiteral("Página siguiente"));
    nextAction_->setShortcut(QKeySequence(Qt::Key_PageDown));
    connect(nextAction_, &QAction::triggered, this, &ReportPreview::nextPage);
    lastAction_ = toolBar->addAction(look->standardIcon(QStyle::SP_MediaSkipForward), QString());
    lastAction_->setToolTip(QStringLiteral("Última página"));
    lastAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    connect(lastAction_, &QAction::triggered, this, &ReportPreview::lastPage);
    toolBar->addSeparator();

    QAction* zoomInAction = toolBar->addAction(QStringLiteral("Acercar"));
    zoomInAction->setShortcut(QKeySequence::ZoomIn);
    connect(zoomInAction, &QAction::triggered, this, &ReportPreview::zoomIn);
    QAction* zoomOutAction = toolBar->addAction(QStringLiteral("Alejar"));
    zoomOutAction->setShortcut(QKeySequence::ZoomOut);
    connect(zoomOutAction, &QAction::triggered, this, &ReportPreview::zoomOut);
    QAction* fitAction = toolBar->addAction(QStringLiteral("Página entera"));
    fitAction->setToolTip(QStringLiteral("Ajustar la página a la ventana"));
    connect(fitAction, &QAction::triggered, this, &ReportPreview::fitToWindow);
    toolBar->addSeparator();
    QAction* closeAction = toolBar->addAction(look->standardIcon(QStyle::SP_DialogCloseButton),
                                              QStringLiteral("Cerrar"));
    closeAction->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(closeAction, &QAction::triggered, this, &QWidget::close);

    pageView_ = new QLabel;
    pageView_->setAlignment(Qt::AlignCenter);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setWidget(pageView_);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(scrollArea_);

    resize(900, 1000);
    refresh();
}

ReportPreview::~ReportPreview()
{
    countClosed();
}

void ReportPreview::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        countClosed();
}

void ReportPreview::countClosed()
{
    if (!counted_)
        return;
    counted_ = false;
    ReportPreviews::closed();
}

void ReportPreview::showPage(int pageNumber)
{
    const int page = qBound(1, pageNumber, qMax(1, pageCount())) - 1;
    if (page == page_)
        return;
    page_ = page;
    refresh();
}

void ReportPreview::firstPage()
{
    showPage(1);
}

void ReportPreview::previousPage()
{
    showPage(currentPage() - 1);
}

void ReportPreview::nextPage()
{
    showPage(currentPage() + 1);
}

void ReportPreview::lastPage()
{
    showPage(pageCount());
}

void ReportPreview::zoomIn()
{
    setZoom(zoom_ * zoomStep);
}

void ReportPreview::zoomOut()
{
    setZoom(zoom_ / zoomStep);
}

void ReportPreview::fitToWindow()
{
    const QSize room = scrollArea_->viewport()->size();
    const double widthZoom = room.width() / double(qMax(1, document_.pageWidthPixels()));
    const double heightZoom = room.height() / double(qMax(1, document_.pageHeightPixels()));
    setZoom(qMin(widthZoom, heightZoom));
}

void ReportPreview::setZoom(double zoom)
{
    const double bounded = qBound(smallestZoom, zoom, largestZoom);
    if (qFuzzyCompare(bounded, zoom_))
        return;
    zoom_ = bounded;
    refresh();
}

void ReportPreview::refresh()
{
    const double dotsPerInch = screenPixelsPerInch * zoom_ * devicePixelRatioF();
    QImage image = renderPageImage(document_, page_, dotsPerInch);
    image.setDevicePixelRatio(devicePixelRatioF());
    pageView_->setPixmap(QPixmap::fromImage(image));

    const QSignalBlocker blocker(pageNumber_);
    pageNumber_->setValue(currentPage());
    firstAction_->setEnabled(page_ > 0);
    previousAction_->setEnabled(page_ > 0);
    nextAction_->setEnabled(currentPage() < pageCount());
    lastAction_->setEnabled(currentPage() < pageCount());
}

bool ReportPreview::saveAsPdf(const QString& path)
{
    QString error;
    if (writePdf(document_, path, error))
        return true;
    QMessageBox::warning(this, windowTitle(), error);
    return false;
}

void ReportPreview::askAndSaveAsPdf()
{
    QString suggested = document_.name.isEmpty() ? QStringLiteral("listado") : document_.name;
    suggested.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar como PDF"),
                                                      QDir::home().filePath(suggested + QStringLiteral(".pdf")),
                                                      QStringLiteral("Documentos PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    saveAsPdf(path);
}

void ReportPreview::print()
{
    const PrinterSettings saved = PrinterSettingsFile::load(settingsFile_, settingsSectionOf(document_));
    QPrinter printer(QPrinter::HighResolution);
    applyPrinterSettings(printer, saved, document_);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!PrinterSettingsFile::save(settingsFile_, printerSettingsOf(printer, saved), error,
                                   settingsSectionOf(document_)))
        QMessageBox::warning(this, windowTitle(), error);
    if (!printDocument(document_, printer, error))
        QMessageBox::warning(this, windowTitle(), error);
}

DesktopReportOutput::DesktopReportOutput(const QString& settingsFolder, UiPort* ui)
    : settingsFolder_(settingsFolder), ui_(ui)
{
}

bool DesktopReportOutput::canStart(const JobSettings& settings)
{
    if (settings.output.trimmed().toUpper() != QLatin1String("PRN"))
        return true;
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        return true;
    // In place of the printing library's own window: the listing is not
    // printed, and the person learns why instead of waiting for paper.
    if (ui_)
        ui_->message(noPrinterMessage, MessageIcon::Exclamation);
    return false;
}

bool DesktopReportOutput::setUpPrinter(const QString& settingsFile, const QString& section)
{
    const QString path = settingsPath(settingsFile);
    const QString sectionName = section.isEmpty() ? QStringLiteral("LISTADOS") : section;
    ReportDocument blank;
    blank.name = QStringLiteral("Configurar impresora");
    const PrinterSettings saved = PrinterSettingsFile::load(path, sectionName);
    QPrinter printer(QPrinter::HighResolution);
    applyPrinterSettings(printer, saved, blank);
    if (saved.orientation == PrinterSettings::landscape)
        printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Configurar impresora"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    if (!savePrinterSetUp(printer, path, sectionName, error)) {
        QMessageBox::warning(QApplication::activeWindow(), dialog.windowTitle(), error);
        return false;
    }
    return true;
}

void DesktopReportOutput::deliver(const ReportDocument& document)
{
    const QString path = settingsPath(document.settingsFile);
    if (document.output != QLatin1String("PRN")) {
        auto* preview = new ReportPreview(document, path);
        lastPreview_ = preview;
        if (document.maximisePreview)
            preview->showMaximized();
        else
            preview->show();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    applyPrinterSettings(printer, PrinterSettingsFile::load(path, settingsSectionOf(document)), document);
    QString error;
    if (!printDocument(document, printer, error))
        QMessageBox::warning(nullptr, document.name, error);
}

QString DesktopReportOutput::settingsPath(const QString& settingsFile) const
{
    return PrinterSettingsFile::findFile(settingsFolder_, settingsFile.isEmpty() ? QStringLiteral("KQPRN.INI")
                                                                                 : settingsFile);
}
