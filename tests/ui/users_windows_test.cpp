// Window tests of the users and profiles windows: opened from the main menu
// through the object host, driven with the keyboard as a person would.
#include "main_form_fixture.h"
#include "scripted_ui.h"
#include "security/profiles.h"
#include "security/users.h"
#include "ui/profiles_window.h"
#include "ui/security_window_parts.h"
#include "ui/users_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

class UsersWindowsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        // ADMIN, the first user of a new database, has the profile SUPERVISOR.
        logIn("admin", "SSSSSSMMS");
        menu = showMainMenu();
        ASSERT_TRUE(menu->choose("Busuarios"));
        users = openWindow<UsersWindow>();
        ASSERT_NE(users, nullptr);
    }

    QStringList row(int index) const
    {
        QStringList cells;
        for (int column = 0; column < users->grid()->columnCount(); ++column)
            cells << users->grid()->item(index, column)->text();
        return cells;
    }

    MainMenuWindow* menu = nullptr;
    UsersWindow* users = nullptr;
};

}  // namespace

TEST_F(UsersWindowsTest, TheListShowsUsersPlainAndTheFormAddsOneFromTheKeyboard)
{
    ASSERT_EQ(users->grid()->rowCount(), 1);
    EXPECT_EQ(row(0), (QStringList{"ADMIN", "Administrador", "SUPERVISOR", "No"}));

    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* userForm = openWindow<UserFormWindow>();
        if (!userForm)
            return;
        typed = true;
        QTest::keyClicks(userForm->nameEdit(), "pepe");
        QTest::keyClick(userForm->nameEdit(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Pepe Perez");
        userForm->passwordEdit()->setFocus();
        QTest::keyClicks(userForm->passwordEdit(), "clave");
        QTest::keyClick(userForm->passwordEdit(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "clave");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QTest::keyClick(users->grid(), Qt::Key_Insert);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(" | ").toStdString();
    ASSERT_EQ(users->grid()->rowCount(), 2);
    EXPECT_EQ(users->currentName(), "PEPE");
    EXPECT_EQ(row(users->grid()->currentRow()), (QStringList{"PEPE", "Pepe Perez", "SUPERVISOR", "Sí"}));
}

TEST_F(UsersWindowsTest, TheCopyFormCopiesTheCurrentUserAndTheListShowsTheCopy)
{
    boxes.answer(true);
    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* copyForm = openWindow<CopyFormWindow>();
        if (!copyForm)
            return;
        typed = copyForm->objectName() == "WCOPIAUS";
        QTest::keyClicks(copyForm->targetEdit(), "ana");
        QTest::keyClick(copyForm->targetEdit(), Qt::Key_Return);
    });
    users->copy();
    EXPECT_TRUE(typed);
    ASSERT_EQ(users->grid()->rowCount(), 2);
    EXPECT_EQ(users->currentName(), "ANA");
    EXPECT_EQ(row(users->grid()->currentRow()), (QStringList{"ANA", "Administrador", "SUPERVISOR", "No"}));
}

TEST_F(UsersWindowsTest, SavingTheOwnProfileChangesTheMenuAtOnce)
{
    ASSERT_TRUE(menu->button("Bcategorias")->isEnabled());
    QTimer::singleShot(100, [&] {
        auto* profileForm = openWindow<ProfileFormWindow>();
        if (!profileForm)
            return;
        auto* tables = qobject_cast<QComboBox*>(profileForm->rightControl(Right::Tables));
        ASSERT_NE(tables, nullptr);
        tables->setCurrentIndex(0);  // "Sin permiso"
        profileForm->confirm();
    });
    QString key = "SUPERVISOR";
    QString mode = "UPD";
    ASSERT_TRUE(form.host().call("WABMPERF", key, mode));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(" | ").toStdString();
    EXPECT_EQ(VBGlob::get("Permisos").left(9), "SSSSSSMNS");
    // The users window is still open: the menu did not wait for it to close.
    ASSERT_NE(openWindow<UsersWindow>(), nullptr);
    EXPECT_FALSE(menu->button("Bcategorias")->isEnabled());
    EXPECT_TRUE(menu->button("Busuarios")->isEnabled());
    EXPECT_TRUE(menu->button("Bconceptos")->isEnabled());
}

TEST_F(UsersWindowsTest, TheProfileFormKeepsTheHierarchyAsTypedAndTheListShowsIt)
{
    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* profileForm = openWindow<ProfileFormWindow>();
        if (!profileForm)
            return;
        typed = profileForm->hierarchyBox()->isEnabled() && profileForm->hierarchyBox()->value() == 0;
        profileForm->hierarchyBox()->selectAll();
        QTest::keyClicks(profileForm->hierarchyBox(), "7");
        profileForm->confirm();
    });
    QString key = "SUPERVISOR";
    QString mode = "UPD";
    ASSERT_TRUE(form.host().call("WABMPERF", key, mode));
    EXPECT_TRUE(typed);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(" | ").toStdString();
    QList<ProfileListing> profiles;
    ASSERT_FALSE(WPERFILE(*database, profiles));
    ASSERT_FALSE(profiles.isEmpty());
    EXPECT_EQ(profiles.first().key, "SUPERVISOR");
    EXPECT_EQ(profiles.first().hierarchy, 7);

    // Shown, but not to be changed, when the form only displays the profile.
    bool shown = false;
    QTimer::singleShot(100, [&] {
        auto* profileForm = openWindow<ProfileFormWindow>();
        if (!profileForm)
            return;
        shown = profileForm->hierarchyBox()->value() == 7 && !profileForm->hierarchyBox()->isEnabled();
        closeWindow(profileForm);
    });
    mode = "DSP";
    ASSERT_TRUE(form.host().call("WABMPERF", key, mode));
    EXPECT_TRUE(shown);
}

TEST_F(UsersWindowsTest, TheProfileListKeepsKeysBehindItsTextsAndAStoredProfileThatIsGone)
{
    ScriptedUi quiet;
    ASSERT_TRUE(PGRABAUS(*database, quiet, "luis", "Luis Sosa", "BORRADO", "", "INS").ok());

    QString shownText;
    QString chosen;
    QTimer::singleShot(100, [&] {
        auto* userForm = openWindow<UserFormWindow>();
        if (!userForm)
            return;
        chosen = userForm->profiles().selectedCode();
        shownText = userForm->profileBox()->currentText();
        userForm->confirm();
    });
    QString key = "LUIS";
    QString mode = "UPD";
    ASSERT_TRUE(form.host().call("WABMUSUA", key, mode));
    EXPECT_EQ(chosen, "BORRADO") << "a profile no longer listed stays the user's";
    EXPECT_EQ(shownText, "BORRADO");
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(" | ").toStdString();
    EXPECT_EQ(readUser(*database, "LUIS")->profile.trimmed(), "BORRADO");

    QString offered;
    QTimer::singleShot(100, [&] {
        auto* userForm = openWindow<UserFormWindow>();
        if (!userForm)
            return;
        offered = userForm->profileBox()->currentText();
        // Choosing another entry hands its key, not its text, to the save.
        userForm->profileBox()->setCurrentIndex(userForm->profiles().find("SUPERVISOR"));
        chosen = userForm->profiles().selectedCode();
        userForm->confirm();
    });
    ASSERT_TRUE(form.host().call("WABMUSUA", key, mode));
    EXPECT_EQ(offered, "BORRADO");
    EXPECT_EQ(chosen, "SUPERVISOR");
    EXPECT_EQ(readUser(*database, "LUIS")->profile.trimmed(), "SUPERVISOR");
}
