#pragma once

#include "reports/kqrview.h"
#include "reports/report_page.h"

#include <QPointer>
#include <QWidget>

class QAction;
class UiPort;
class QLabel;
class QScrollArea;
class QSpinBox;

/// The preview window of a listing: shows its pages one at a time, zooms,
/// pages, prints and saves them as PDF. It lives on after the listing
/// procedure returns, deletes itself when closed, and counts itself among
/// the open previews until it closes (or is destroyed unclosed): a closed
/// preview waiting for its deferred delete no longer holds up the end of the
/// program.
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    /// `settingsFile` is the printer settings file the print command reads
    /// and updates.
    ReportPreview(const ReportDocument& document, const QString& settingsFile, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const ReportDocument& document() const { return document_; }
    /// Number of the page shown, from 1.
    int currentPage() const { return page_ + 1; }
    int pageCount() const { return static_cast<int>(document_.pages.size()); }
    /// 1.0 shows the page at its printed size on a 96-per-inch screen.
    double zoom() const { return zoom_; }

    /// Writes every page to `path`; shows the error and returns false when
    /// the file cannot be written.
    bool saveAsPdf(const QString& path);

public slots:
    void showPage(int pageNumber);
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    /// Zooms so that the whole page fits the window.
    void fitToWindow();
    /// Asks for the printer and prints; the choice is saved for next time.
    void print();
    /// Asks for a file name and saves the pages as PDF.
    void askAndSaveAsPdf();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setZoom(double zoom);
    void refresh();
    /// Takes the preview out of the open previews, once.
    void countClosed();

    ReportDocument document_;
    QString settingsFile_;
    bool counted_ = true;  ///< still among the open previews
    int page_ = 0;
    double zoom_ = 1.0;
    QScrollArea* scrollArea_;
    QLabel* pageView_;
    QSpinBox* pageNumber_;
    QLabel* pageTotal_;
    QAction* firstAction_;
    QAction* previousAction_;
    QAction* nextAction_;
    QAction* lastAction_;
};

/// The output of report jobs in the desktop program: "SCR" opens a preview
/// window, "PRN" prints straight to the printer saved in the settings file.
class DesktopReportOutput : public ReportOutput {
public:
    /// Settings files are looked for in `settingsFolder`; `ui`, when given,
    /// says why a job cannot start.
    explicit DesktopReportOutput(const QString& settingsFolder, UiPort* ui = nullptr);

    /// A printer job without a printer does not start; the person is told.
    bool canStart(const JobSettings& settings) override;
    void deliver(const ReportDocument& document) override;
    /// The print set-up dialog over the saved settings; on Aceptar the
    /// choice goes into the settings file.
    bool setUpPrinter(const QString& settingsFile, const QString& section) override;
    /// The settings file `settingsFile` of the settings folder, found in any
    /// letter case.
    QString settingsPath(const QString& settingsFile) const;

    /// The preview opened by the last "SCR" job, while it is open.
    ReportPreview* lastPreview() const { return lastPreview_; }

private:
    QString settingsFolder_;
    UiPort* ui_;
    QPointer<ReportPreview> lastPreview_;
};
