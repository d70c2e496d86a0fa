// Window tests of the directory settings (WPARLDAP, from the profiles list)
// and of the group selection (WSELGRLD), against the test run's slapd.
#include "main_form_fixture.h"
#include "security/directory_groups.h"
#include "test_directory.h"
#include "ui/directory_settings_window.h"
#include "ui/profiles_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QStringList everyGroupName = {"administradores", "Contadores",     "Ñandú Técnicos",
                                    "Sueldos",         "Sueldos Centro", "Todo (*) el personal"};

class DirectoryWindowsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        const QString missing = testDirectoryMissing();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        MainFormTest::SetUp();
    }

    QStringList listed(GroupSelectionWindow* selection) const
    {
        QStringList names;
        for (int row = 0; row < selection->list()->count(); ++row)
            names << selection->list()->item(row)->text();
        return names;
    }
};

}  // namespace

TEST_F(DirectoryWindowsTest, TheProfilesListOpensTheSettingsWhoseTestSaysWhatItFoundAndWhichStoreThem)
{
    ASSERT_TRUE(form.host().open("WPERFILE"));
    auto* profiles = openWindow<ProfilesWindow>();
    ASSERT_NE(profiles, nullptr);

    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* settings = openWindow<DirectorySettingsWindow>();
        if (!settings)
            return;
        typed = true;
        QTest::keyClicks(settings->uriEdit(), qEnvironmentVariable("UORDANE_TEST_LDAP_URI"));
        QTest::keyClicks(settings->bindDnEdit(), testDirectoryAdmin);
        QTest::keyClicks(settings->passwordEdit(), "otra");
        QTest::mouseClick(settings->testButton(), Qt::LeftButton);
        settings->passwordEdit()->clear();
        QTest::keyClicks(settings->passwordEdit(), testDirectoryPassword);
        QTest::mouseClick(settings->testButton(), Qt::LeftButton);
        settings->inUseCheck()->setChecked(true);
        QTest::keyClick(settings->passwordEdit(), Qt::Key_Return);
    });
    profiles->directory();
    ASSERT_TRUE(typed);
    ASSERT_EQ(boxes.seen().size(), 2) << boxes.texts().join(" | ").toStdString();
    EXPECT_TRUE(boxes.texts()[0].startsWith("No se pudo consultar el directorio. El usuario o la contraseña"))
        << boxes.texts()[0].toStdString();
    EXPECT_EQ(boxes.seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.texts()[1], "Se encontraron 6 grupos en el directorio.");
    EXPECT_EQ(openWindow<DirectorySettingsWindow>(), nullptr) << "Enter stored the settings and closed the form";
    EXPECT_TRUE(directoryInUse(*database));
    EXPECT_EQ(readDirectorySettings(*database).password, testDirectoryPassword);
}

TEST_F(DirectoryWindowsTest, TheSelectionSearchesAsThePersonTypesAndHandsBackTheChosenGroup)
{
    DirectorySettings settings = testDirectorySettings(true);
    ASSERT_TRUE(saveDirectorySettings(*database, form.ui(), true, settings));

    QStringList shown;
    QString current;
    bool stillOpen = false;
    QTimer::singleShot(100, [&] {
        auto* selection = openWindow<GroupSelectionWindow>();
        if (!selection)
            return;
        shown = listed(selection);
        current = selection->list()->currentItem() ? selection->list()->currentItem()->text() : QString();
        // Enter before the typed text was searched shows its groups and chooses nothing yet.
        QTest::keyClicks(selection->filterEdit(), "centro");
        QTest::keyClick(selection->list(), Qt::Key_Return);
        shown += listed(selection);
        stillOpen = openWindow<GroupSelectionWindow>() == selection;
        // Otherwise the search runs once typing pauses.
        selection->filterEdit()->clear();
        QTest::keyClicks(selection->filterEdit(), "contad");
        if (!QTest::qWaitFor([&] { return listed(selection).value(1) == "Contadores"; }, 3000))
            ADD_FAILURE() << "the list did not follow the typed text";
        shown += listed(selection);
        selection->list()->setCurrentRow(1);
        QTest::keyClick(selection->list(), Qt::Key_Return);
    });
    QString key = "Sueldos";
    QString mode;
    ASSERT_TRUE(form.host().call("WSELGRLD", key, mode));
    EXPECT_EQ(shown.size(), 11) << shown.join(" | ").toStdString();
    EXPECT_EQ(shown.mid(0, 7), QStringList{"--Ninguno--"} + everyGroupName) << "every group at first";
    EXPECT_EQ(current, "Sueldos") << "the group passed in is the current one";
    EXPECT_EQ(shown.mid(7), (QStringList{"--Ninguno--", "Sueldos Centro", "--Ninguno--", "Contadores"}));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(key, "Contadores");
}

TEST_F(DirectoryWindowsTest, ADirectoryThatFailsLeavesOnlyNoneAndSaysWhyUnderTheList)
{
    DirectorySettings settings = testDirectorySettings();
    settings.password = "otra";
    ASSERT_TRUE(saveDirectorySettings(*database, form.ui(), true, settings));

    QStringList shown;
    QString problem;
    QTimer::singleShot(100, [&] {
        auto* selection = openWindow<GroupSelectionWindow>();
        if (!selection)
            return;
        shown = listed(selection);
        problem = selection->problemLabel()->isVisibleTo(selection) ? selection->problemLabel()->text() : QString();
        QTest::keyClick(selection->list(), Qt::Key_Return);
    });
    QString key = "Contadores";
    QString mode;
    ASSERT_TRUE(form.host().call("WSELGRLD", key, mode));
    EXPECT_EQ(shown, QStringList{"--Ninguno--"});
    EXPECT_TRUE(problem.startsWith("No se pudo consultar el directorio. El usuario o la contraseña"))
        << problem.toStdString();
    EXPECT_TRUE(boxes.texts().isEmpty()) << "no message box: " << boxes.texts().join(" | ").toStdString();
    EXPECT_TRUE(key.isEmpty()) << "--Ninguno-- chosen: " << key.toStdString();
}
