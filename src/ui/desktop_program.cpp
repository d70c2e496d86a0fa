#include "ui/desktop_program.h"

#include "data/database.h"
#include "data/work_database.h"
#include "reports/kqrview.h"
#include "ui/main_form.h"
#include "ui/report_preview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

int runDesktopProgram(const StartEnvironment& environment)
{
    // The count of open objects decides when the program ends, not the
    // last visible window: a preview may outlive the main window, and the
    // main window may stay with a panel after the main menu closed.
    const bool quitOnLastWindow = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);

    // Declared before the windows so that it outlives them.
    std::unique_ptr<Database> database;
    MainForm mainForm;
    // "KQPRN.INI" lives in the folder the program runs from, as the other
    // INI files of the company do.
    DesktopReportOutput reportOutput(QDir::currentPath());
    installReportOutput(&reportOutput);

    QEventLoop untilEnd;
    bool ended = false;
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
    hooks.shutdown.hideForms = [&] {
        // Nothing may reach the closed database any more.
        mainForm.setDatabase(nullptr);
        mainForm.hide();
    };
    hooks.shutdown.openPreviews = [] { return ReportPreviews::openCount(); };
    hooks.shutdown.pause = [] {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 800) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
    };
    hooks.shutdown.end = [&] {
        ended = true;
        untilEnd.quit();
    };
    hooks.waitForEnd = [&] {
        if (!ended)
            untilEnd.exec();
    };

    const int exitCode = runStartRoutine(environment, mainForm.ui(), hooks, database);
    // The steps name this run's windows and loop, which end here.
    TopLevelObjects::setShutdown({});
    installReportOutput(nullptr);
    // A start that stopped before the count began (no database) has no
    // shutdown of its own; the work database goes all the same.
    WorkDatabase::process().remove();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    return exitCode;
}
