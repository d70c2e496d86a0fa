#pragma once

// Shared set-up of the window tests: a new database file of the program, the
// main window shown on it with a logged-in user, and the message boxes
// answered by a watcher.

#include "message_box_watcher.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "startup/vbglob.h"
#include "temp_folder.h"
#include "ui/main_form.h"
#include "ui/main_menu_window.h"
#include "ui/object_host.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

#include <memory>

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(createDatabaseFile(folder.path(), false, &error)) << error.toStdString();
        database = std::make_unique<Database>(DatabaseLocation::sqliteFile(folder.file("KQ_DATA.MDB")));
        ASSERT_TRUE(database->open());
        Database::setMain(database.get());
        form.setDatabase(database.get());
        form.resize(1000, 700);
        form.show();
        QApplication::setActiveWindow(&form);
        logIn("ana", "SSSSSSMMS");
    }

    void TearDown() override
    {
        form.area()->closeAllSubWindows();
        QApplication::processEvents();
        Database::setMain(nullptr);
        VBGlob::clear();
    }

    /// The run's user, permission string and installation kind ("S": client/server).
    static void logIn(const QString& user, const QString& permissions, const QString& installationKind = "N")
    {
        VBGlob::clear();
        VBGlob::put("Usuario", user);
        VBGlob::put("Permisos", permissions);
        VBGlob::put("VersionCS", installationKind);
    }

    /// A main menu window in the main window, as the start shows it.
    MainMenuWindow* showMainMenu()
    {
        auto* menu = new MainMenuWindow(form.ui(), [this](const QString& panel) { return form.host().open(panel); });
        form.area()->addSubWindow(menu)->show();
        menu->applyPermissions();
        return menu;
    }

    /// The first `Window` open in the area (named `name`, when given), or null.
    template <typename Window>
    Window* openWindow(const QString& name = QString())
    {
        for (QMdiSubWindow* frame : form.area()->subWindowList()) {
            auto* window = qobject_cast<Window*>(frame->widget());
            if (window && (name.isEmpty() || window->objectName() == name))
                return window;
        }
        return nullptr;
    }

    TempFolder folder;
    std::unique_ptr<Database> database;
    MainForm form;
    MessageBoxWatcher boxes;
};
