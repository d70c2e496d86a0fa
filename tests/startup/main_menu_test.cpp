#include "startup/main_menu.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

/// The buttons the main menu disables for `permissions`.
QStringList disabledButtons(const QString& permissions, const QString& installationKind = "S")
{
    QStringList disabled;
    for (const MainMenuEntry& entry : mainMenuEntries()) {
        if (!mainMenuAllows(entry, permissions, installationKind))
            disabled << entry.button;
    }
    return disabled;
}

const MenuBarEntry& menuBarEntry(const QString& key)
{
    for (const MenuBarEntry& entry : menuBarEntries()) {
        if (entry.key == key)
            return entry;
    }
    throw std::runtime_error("no such entry");
}

}  // namespace

TEST(MainMenu, TwentyTwoEntriesInTwoTabsAndTheActionsMenuNamesEachOnce)
{
    EXPECT_EQ(mainMenuEntries().size(), 22);
    EXPECT_EQ(mainMenuEntries().front().button, "Bbancostr");
    EXPECT_EQ(mainMenuEntries()[12].tab, "Otras");
    QStringList keys;
    for (const MainMenuEntry& entry : mainMenuEntries())
        keys << entry.actionKey;
    QStringList order = actionsMenuOrder();
    keys.sort();
    order.sort();
    EXPECT_EQ(keys, order);
}

TEST(MainMenu, ThePermissionStringAndTheInstallationDisableTheirEntries)
{
    // The seventh right disables only concepts; eight characters disable users.
    EXPECT_EQ(disabledButtons("SSSSSSNSS"), QStringList{"Bconceptos"});
    EXPECT_EQ(disabledButtons("MMMMMMMM"), QStringList{"Busuarios"});
    // The eighth disables every table but concepts, banks and users.
    const QStringList disabled = disabledButtons("SSSSSSSNS");
    EXPECT_EQ(disabled.size(), 19);
    for (const char* button : {"Bconceptos", "Bbancostr", "Busuarios"})
        EXPECT_FALSE(disabled.contains(button)) << button;
    // Banks stay usable with nothing allowed at all.
    EXPECT_FALSE(disabledButtons("NNNNNNNNN").contains("Bbancostr"));
    // Attributes need a client/server installation.
    EXPECT_TRUE(disabledButtons("MMMMMMMMS", "N").contains("Batributos"));
    EXPECT_TRUE(disabledButtons("MMMMMMMMS", "").contains("Batributos"));
    EXPECT_FALSE(disabledButtons("MMMMMMMMS", "S ").contains("Batributos"));

    // The menu bar reads the ninth right as "N" only when it is there.
    EXPECT_TRUE(menuBarAllows(menuBarEntry("Id_usuarios"), "MMMMMMMM"));
    EXPECT_FALSE(menuBarAllows(menuBarEntry("Id_usuarios"), "MMMMMMMMN"));
    EXPECT_FALSE(menuBarAllows(menuBarEntry("Id_conceptos"), "MMMMMMNM"));
    EXPECT_TRUE(menuBarAllows(menuBarEntry("Id_categoras"), "MMMMMMNM"));
}

TEST(MainMenu, EntriesAreFoundByButtonActionKeyOrPanel)
{
    ASSERT_NE(findMainMenuEntry("bcategorias"), nullptr);
    EXPECT_EQ(findMainMenuEntry("Categorias")->workPanel, "WCATEGOR");
    EXPECT_EQ(findMainMenuEntry("WCALFER")->button, "Bcalferiados");
    EXPECT_EQ(findMainMenuEntry("Nada"), nullptr);
}
