#pragma once

// Running a user-defined report from the desktop, and WINFORME, the list of
// the report generator's reports by folder that the menu bar opens. A run
// asks the conditions of the filters marked "E" through WFILTRO in its
// emission mode, then where the report goes (WEMIINFO: preview, printer, a
// PDF file or an .xlsx workbook), runs with a progress window that can
// cancel it, and delivers; the runner stores the run date in InfUltEjec.

#include <QString>
#include <QWidget>

#include <memory>

class Database;
class QComboBox;
class QPushButton;
class QTreeWidget;
class UiPort;
struct WindowCall;

/// Where a run from the desktop goes.
struct ReportEmission {
    enum class Output { Preview, Printer, Pdf, Workbook };
    Output output = Output::Preview;
    QString path;  ///< the file of Pdf and Workbook
};

/// WEMIINFO: asks where report `title` goes; false when cancelled.
bool chooseReportEmission(QWidget* parent, UiPort& ui, const QString& title, ReportEmission& emission);

/// Runs report `reportId` as the desktop does, refusing it when the user's
/// permissions ("Emisión de informes" and the report's category) do not
/// allow it. True when the run finished and went where it was sent.
bool emitReport(QWidget* parent, Database& database, UiPort& ui, int reportId);

/// The window of WINFORME: the reports of a folder (or of all), with their
/// last run, and Nuevo, Modificar (the right "Crear y modificar informes"),
/// Emitir and the folders.
class ReportListWindow : public QWidget {
    Q_OBJECT
public:
    ReportListWindow(Database& database, UiPort& ui, QWidget* parent = nullptr);

    QComboBox* folderBox() const { return folder_; }
    QTreeWidget* reports() const { return reports_; }
    /// Reads the list again, keeping the chosen report when it is still there.
    void refresh();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int currentReport() const;
    void define(const QString& mode);
    void emitCurrent();
    void fillFolders();

    Database& database_;
    UiPort& ui_;
    QComboBox* folder_;
    QTreeWidget* reports_;
    QPushButton* add_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* emit_ = nullptr;
};

/// Registers WINFORME with the window registry.
void registerReportRunWindows();
