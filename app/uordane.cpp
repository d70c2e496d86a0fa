// uordane: the desktop program. The start routine reads the folders and the
// call parameters, opens the database and runs the main menu in the main
// window until it closes.
#include "data/database.h"
#include "data/work_database.h"
#include "reports/kqrview.h"
#include "startup/start_routine.h"
#include "ui/main_form.h"
#include "ui/report_preview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("uordane");

    MainForm mainForm;
    // "KQPRN.INI" lives in the folder the program runs from, as the other
    // INI files of the company do.
    DesktopReportOutput reportOutput(QDir::currentPath());
    installReportOutput(&reportOutput);

    std::unique_ptr<Database> database;
    StartHooks hooks;
    hooks.showMainWindow = [&] {
        mainForm.setDatabase(Database::main());
        mainForm.show();
    };
    hooks.callMainObject = [&](CallParameters& parameters) {
        mainForm.setDatabase(Database::main());
        mainForm.runMainObject(parameters);
    };
    hooks.shutdown.deleteWorkDatabase = [] { WorkDatabase::process().remove(); };
    hooks.shutdown.hideForms = [&] { mainForm.hide(); };
    hooks.shutdown.openPreviews = [] { return ReportPreviews::openCount(); };
    hooks.shutdown.pause = [] {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 800) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
    };

    StartEnvironment environment;
    environment.applicationFolder = QApplication::applicationDirPath();
    environment.executableBaseName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
    environment.arguments = app.arguments().mid(1);
    const int exitCode = runStartRoutine(environment, mainForm.ui(), hooks, database);
    installReportOutput(nullptr);
    return exitCode;
}
