#include "ui/desktop_program.h"

#include "data/database.h"
#include "data/work_database.h"
#include "engine/object_registry.h"
#include "reports/kqrview.h"
#include "support/program_end.h"
#include "ui/desktop_look.h"
#include "ui/main_form.h"
#include "ui/report_preview.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <array>
#include <optional>
#include <csignal>
#include <unistd.h>

namespace {

int endSignalPipe[2] = {-1, -1};

void onEndSignal(int)
{
    // Only what is safe in a signal handler: the event loop does the rest.
    const char byte = 1;
    const ssize_t written = ::write(endSignalPipe[1], &byte, 1);
    (void)written;
}

/// While it exists, the signals that end a program from outside it (the
/// session logging out, Ctrl+C in a terminal, a closed terminal) close
/// every window as their user would, so that the program ends through its
/// shutdown and leaves no work database behind.
class EndSignals {
public:
    EndSignals()
    {
        if (::pipe(endSignalPipe) != 0)
            return;
        notifier_ = std::make_unique<QSocketNotifier>(endSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
            char byte = 0;
            const ssize_t read = ::read(endSignalPipe[0], &byte, 1);
            (void)read;
            QApplication::closeAllWindows();
        });
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (size_t at = 0; at < signals_.size(); ++at)
            sigaction(signals_[at], &action, &previous_[at]);
    }
    ~EndSignals()
    {
        if (!notifier_)
            return;
        for (size_t at = 0; at < signals_.size(); ++at)
            sigaction(signals_[at], &previous_[at], nullptr);
        notifier_.reset();
        ::close(endSignalPipe[0]);
        ::close(endSignalPipe[1]);
        endSignalPipe[0] = endSignalPipe[1] = -1;
    }
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    static constexpr std::array<int, 3> signals_ = {SIGTERM, SIGINT, SIGHUP};
    std::array<struct sigaction, 3> previous_ = {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

int runDesktopProgram(const StartEnvironment& environment)
{
    // One name is one object: a program whose catalogue names two objects
    // alike would open the wrong one.
    WindowRegistry::registerAll();
    prepareDesktopLook();
    if (const QStringList twice = ObjectRegistry::duplicates(); !twice.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Uordane"),
                              QStringLiteral("Objetos registrados dos veces: ") + twice.join(QStringLiteral(", ")));
        return 1;
    }

    // The count of open objects decides when the program ends, not the
    // last visible window: a preview may outlive the main window, and the
    // main window may stay with a panel after the main menu closed.
    const bool quitOnLastWindow = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);

    // Declared before the windows so that it outlives them.
    std::unique_ptr<Database> database;
    // Every run starts with listings to the screen.
    ReportOutputChoice::set(QStringLiteral("SCR"));
    MainForm mainForm;
    // "KQPRN.INI" lives in the folder the program runs from, as the other
    // INI files of the company do.
    DesktopReportOutput reportOutput(QDir::currentPath(), &mainForm.ui());
    installReportOutput(&reportOutput);

    const EndSignals endSignals;
    QEventLoop untilEnd;
    bool ended = false;

    // Asked to end at once (error 1060): the main window closes as its user
    // would close it, so the usual shutdown follows when the last object is
    // gone. A window busy with a command refuses for a moment; the close is
    // tried again until the main window is gone.
    QTimer closeForEnd;
    closeForEnd.setInterval(50);
    QObject::connect(&closeForEnd, &QTimer::timeout, &mainForm, [&] {
        if (ended || !mainForm.isVisible()) {
            closeForEnd.stop();
            return;
        }
        mainForm.close();
    });
    ProgramEnd::setHandler([&] { closeForEnd.start(); });
    // The wait cursor from here until the main object is ready for the
    // user; a start that stops early ends it on its way out.
    std::optional<WaitScope> starting(std::in_place, mainForm.ui());
    StartHooks hooks;
    hooks.showMainWindow = [&] {
        mainForm.setDatabase(Database::main());
        mainForm.show();
    };
    hooks.callMainObject = [&](CallParameters& parameters) {
        // The main object keeps the wait cursor while it reads its start.
        starting.reset();
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
    ProgramEnd::setHandler({});
    installReportOutput(nullptr);
    // A start that stopped before the count began (no database) has no
    // shutdown of its own; the work database goes all the same.
    WorkDatabase::process().remove();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    return exitCode;
}
