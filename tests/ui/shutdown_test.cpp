// The end of the desktop program: it ends when the count of open top-level
// objects reaches zero, whichever window closes last, closing the database,
// deleting the work database and waiting for the open previews.
#include "message_box_watcher.h"
#include "report_fixture.h"
#include "scoped_environment.h"
#include "temp_folder.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "data/error_translator.h"
#include "data/work_database.h"
#include "startup/lifecycle.h"
#include "startup/vbglob.h"
#include "ui/desktop_program.h"
#include "ui/main_form.h"
#include "ui/object_host.h"
#include "ui/report_preview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

/// What the test saw while the program ran.
struct Seen {
    bool programRunningWithPanel = false;  ///< after the main menu closed
    bool workDatabaseWhileRunning = false;
    bool databaseClosed = false;           ///< while waiting for the preview
    bool workDatabaseDeleted = false;
    bool mainWindowHidden = false;
    int previewsWaitedFor = 0;
};

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(createDatabaseFile(folder.path(), false, &error)) << error.toStdString();
        ASSERT_TRUE(QDir().mkpath(folder.file("tmp")));
        folder.write("uordane.INI", "[KQFiles]\r\nDataPath=" + folder.path().toUtf8() + "\r\n");
        environment.applicationFolder = folder.path();
        environment.executableBaseName = "uordane";
        environment.arguments = {"ana", "", "SSSSSSMMS", "", "", "", "", "N", "", ""};
    }

    void TearDown() override
    {
        VBGlob::clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static MainForm* mainForm()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<MainForm*>(widget))
                return form;
        }
        return nullptr;
    }

    /// Runs `action` once the program has shown its main menu.
    static void whenTheMenuIsShown(std::function<void(MainForm&)> action)
    {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
            MainForm* form = mainForm();
            if (!form || !form->mainMenu() || !form->mainMenu()->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            action(*form);
        });
        poll->start(20);
    }

    /// Opens a preview of a one-page listing, as a listing sent to "SCR" does.
    QPointer<ReportPreview> openPreview()
    {
        auto* preview = new ReportPreview(numberedReport(1), folder.file("KQPRN.INI"));
        preview->show();
        return preview;
    }

    /// Looks at the program while the shutdown waits for `preview`, then
    /// closes the preview as its user would.
    void whileWaitingForThePreview(QPointer<ReportPreview> preview, const QString& workFile)
    {
        QTimer::singleShot(150, [this, preview, workFile] {
            seen.databaseClosed = Database::main() == nullptr;
            seen.workDatabaseDeleted = !workFile.isEmpty() && !QFileInfo::exists(workFile);
            seen.mainWindowHidden = mainForm() && !mainForm()->isVisible();
            seen.previewsWaitedFor = ReportPreviews::openCount();
            if (preview)
                preview->close();
        });
    }

    QStringList leftInTemp() const { return QDir(folder.file("tmp")).entryList(QDir::Files | QDir::Hidden); }

    /// What every way of ending leaves: no object, no database, nothing in
    /// TEMP, the work database `workFile` (when one was made) deleted.
    void expectEndedCleanly(const QString& workFile, bool madeWorkDatabase = true)
    {
        if (madeWorkDatabase) {
            EXPECT_FALSE(workFile.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(workFile));
        }
        EXPECT_EQ(TopLevelObjects::count(), 0);
        EXPECT_EQ(Database::main(), nullptr);
        EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
    }

    TempFolder folder;
    ScopedEnvironment temp{"TEMP", folder.file("tmp").toUtf8()};
    StartEnvironment environment;
    MessageBoxWatcher boxes;
    Seen seen;
};

TEST_F(ShutdownTest, MainMenuClosedWithAPanelOpenTheProgramEndsWithTheLastPanel)
{
    QString workFile;
    QPointer<ReportPreview> preview;
    whenTheMenuIsShown([&](MainForm& form) {
        ASSERT_TRUE(form.host().open("WCATEGOR"));
        workFile = WorkDatabase::process().fileName();
        preview = openPreview();
        closeWindow(form.mainMenu());
        QTimer::singleShot(100, [&] {
            MainForm* running = mainForm();
            seen.programRunningWithPanel = running && running->isVisible() && TopLevelObjects::count() == 1
                && Database::main() != nullptr;
            seen.workDatabaseWhileRunning = QFileInfo::exists(workFile);
            whileWaitingForThePreview(preview, workFile);
            if (running)
                closeWindow(running->host().openWindow("WCATEGOR"));
        });
    });

    EXPECT_EQ(runDesktopProgram(environment), 0);

    EXPECT_TRUE(seen.programRunningWithPanel);
    EXPECT_TRUE(seen.workDatabaseWhileRunning);
    EXPECT_TRUE(seen.databaseClosed);
    EXPECT_TRUE(seen.workDatabaseDeleted);
    EXPECT_TRUE(seen.mainWindowHidden);
    EXPECT_EQ(seen.previewsWaitedFor, 1);
    expectEndedCleanly(workFile);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
}

TEST_F(ShutdownTest, MainWindowClosedWithAPanelAndAPreviewOpen)
{
    QString workFile;
    whenTheMenuIsShown([&](MainForm& form) {
        ASSERT_TRUE(form.host().open("WCATEGOR"));
        workFile = WorkDatabase::process().fileName();
        whileWaitingForThePreview(openPreview(), workFile);
        form.close();
    });

    EXPECT_EQ(runDesktopProgram(environment), 0);

    EXPECT_TRUE(seen.databaseClosed);
    EXPECT_TRUE(seen.workDatabaseDeleted);
    EXPECT_TRUE(seen.mainWindowHidden);
    EXPECT_EQ(seen.previewsWaitedFor, 1);
    expectEndedCleanly(workFile);
}

TEST_F(ShutdownTest, EndedFromOutsideItClosesItsWindowsAndEndsTheSameWay)
{
    QString workFile;
    whenTheMenuIsShown([&](MainForm& form) {
        ASSERT_TRUE(form.host().open("WCATEGOR"));
        workFile = WorkDatabase::process().fileName();
        openPreview();
        std::raise(SIGTERM);
    });

    EXPECT_EQ(runDesktopProgram(environment), 0);

    EXPECT_EQ(ReportPreviews::openCount(), 0);
    expectEndedCleanly(workFile);
}

TEST_F(ShutdownTest, Error1060EndsTheProgramAfterItsMessageThroughTheShutdown)
{
    QString workFile;
    bool panelWasOpen = false;
    whenTheMenuIsShown([&](MainForm& form) {
        ASSERT_TRUE(form.host().open("WCATEGOR"));
        workFile = WorkDatabase::process().fileName();
        panelWasOpen = form.host().openWindow("WCATEGOR") != nullptr;
        translateDatabaseError(form.ui(), DbError::make(DbErrorNumber::ProgramEnds,
                                                        "La base de datos no está disponible"));
    });

    EXPECT_EQ(runDesktopProgram(environment), 0);

    EXPECT_TRUE(panelWasOpen);
    EXPECT_EQ(boxes.texts(), QStringList{"La base de datos no está disponible"});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    expectEndedCleanly(workFile);
}

TEST_F(ShutdownTest, AStartThatCannotRunLeavesNothingBehind)
{
    // No permission string: the main object says why and closes at once.
    environment.arguments = {"ana", "", "", "", "", "", "", "N", "", ""};
    EXPECT_EQ(runDesktopProgram(environment), 0);
    EXPECT_EQ(boxes.texts(), QStringList{"Este programa no puede ejecutarse por separado"});
    // The start's wait cursor gives way to the pointer for the message and
    // is gone once the program ended.
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(boxes.seen().first().pointer, Qt::ArrowCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    expectEndedCleanly({}, false);
}

}  // namespace
