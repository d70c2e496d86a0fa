// Every declared form and panel, drawn offscreen: no two of a window's
// buttons, labels, tabs or frames answer the same Alt letter, and each fits
// the main window's area at 1024x720 with nothing cut. The keys that move
// between pages and windows, and the menu bar's Alt letters.
#include "data/database.h"
#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "main_form_fixture.h"
#include "scripted_ui.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QTabWidget>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

/// The Alt letter of a caption ("Cerra&r": r), or nothing.
QChar mnemonic(const QString& caption)
{
    for (qsizetype at = 0; at + 1 < caption.size(); ++at) {
        if (caption.at(at) != u'&')
            continue;
        if (caption.at(at + 1) == u'&') {
            ++at;
            continue;
        }
        return caption.at(at + 1).toLower();
    }
    return {};
}

/// The captions of `window` that share an Alt letter, as "letter: a, b".
QStringList clashes(const QWidget& window)
{
    QMultiMap<QChar, QString> byLetter;
    auto note = [&](const QString& caption) {
        if (const QChar letter = mnemonic(caption); !letter.isNull())
            byLetter.insert(letter, caption);
    };
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        note(button->text());
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy())
            note(label->text());
    }
    for (const QGroupBox* frame : window.findChildren<QGroupBox*>())
        note(frame->title());
    for (const QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        for (int page = 0; page < tabs->count(); ++page)
            note(tabs->tabText(page));
    }
    QStringList found;
    for (const QChar letter : byLetter.uniqueKeys()) {
        if (byLetter.count(letter) > 1)
            found << QString(letter) + u": "_s + QStringList(byLetter.values(letter)).join(u", "_s);
    }
    return found;
}

/// What of `window`, at the size it opens with, lies outside it or is cut:
/// inputs, buttons and labels past its edges, a label or button narrower
/// than its text, a grid heading narrower than its caption.
QStringList cutParts(QWidget& window)
{
    QStringList found;
    auto name = [](const QWidget* widget) {
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            return label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            return button->text().isEmpty() ? button->toolTip() : button->text();
        return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                              : widget->objectName();
    };
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool part = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)
                          || qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget);
        if (!part || !widget->isVisibleTo(&window) || qobject_cast<QLineEdit*>(widget->parentWidget()))
            continue;
        // A part on a hidden tab page is checked on its own page's size.
        const QRect inWindow(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        if (!window.rect().contains(inWindow))
            found << u"fuera de la ventana: "_s + name(widget);
        if (const auto* label = qobject_cast<QLabel*>(widget); label && !label->wordWrap() && label->pixmap().isNull()
            && label->width() < label->minimumSizeHint().width())
            found << u"texto cortado: "_s + name(widget);
        if (const auto* button = qobject_cast<QPushButton*>(widget); button && button->width() < button->minimumSizeHint().width())
            found << u"botón cortado: "_s + name(widget);
    }
    for (const QTableView* grid : window.findChildren<QTableView*>()) {
        if (!grid->isVisibleTo(&window))
            continue;
        if (grid->horizontalScrollBar()->maximum() > 0)
            found << u"la grilla necesita desplazamiento horizontal"_s;
        const QHeaderView* header = grid->horizontalHeader();
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
            const int needed = header->fontMetrics().horizontalAdvance(caption) + 8;
            if (header->sectionSize(column) < needed)
                found << u"encabezado cortado: "_s + caption;
        }
    }
    return found;
}

class KeyboardTest : public MainFormTest {};

// One walk over the catalogue: each window is drawn once and checked for
// both its size and its Alt letters.
TEST_F(KeyboardTest, EveryDeclaredWindowFitsAt1024x720AndNoTwoCommandsShareAnAltLetter)
{
    ScriptedUi port;
    WorkDatabase work;
    form.resize(1024, 720);
    QApplication::processEvents();
    const QSize room = form.area()->viewport()->size();
    ASSERT_GT(room.height(), 500);
    int windows = 0;
    auto check = [&](QWidget& window, const QString& name) {
        EXPECT_TRUE(clashes(window).isEmpty())
            << name.toStdString() << ": " << clashes(window).join(u"; "_s).toStdString();
        window.adjustSize();
        window.show();
        QApplication::processEvents();
        EXPECT_LE(window.width(), room.width()) << name.toStdString();
        EXPECT_LE(window.height(), room.height() - 30) << name.toStdString();  // with the frame's title bar
        QList<QTabWidget*> tabs = window.findChildren<QTabWidget*>();
        const int pages = tabs.isEmpty() ? 1 : tabs.front()->count();
        for (int page = 0; page < pages; ++page) {
            if (!tabs.isEmpty())
                tabs.front()->setCurrentIndex(page);
            QApplication::processEvents();
            const QStringList cut = cutParts(window);
            EXPECT_TRUE(cut.isEmpty()) << name.toStdString() << " (página " << page + 1
                                       << "): " << cut.join(u"; "_s).toStdString();
        }
        ++windows;
    };
    for (const CatalogueEntry& entry : ObjectRegistry::catalogue()) {
        if (const TransactionDecl* declaration = ObjectRegistry::transaction(entry.name)) {
            Transaction engine(*declaration, *database, port);
            TransactionWindow window(engine);
            check(window, entry.name);
        }
        if (const WorkPanelDecl* declaration = ObjectRegistry::workPanel(entry.name)) {
            WorkPanel panel(*declaration, *database, port, work);
            WorkPanelWindow window(panel);
            check(window, entry.name);
        }
    }
    EXPECT_GE(windows, 35);

    // The check itself sees a window too small for what it holds.
    Transaction engine(*ObjectRegistry::transaction(u"TCATEGOR"_s), *database, port);
    TransactionWindow small(engine);
    small.layout()->setSizeConstraint(QLayout::SetNoConstraint);
    small.setMinimumSize(0, 0);
    small.show();
    small.resize(160, 90);
    QApplication::processEvents();
    EXPECT_FALSE(cutParts(small).isEmpty());
}

TEST_F(KeyboardTest, MenuBarAndItsMenusAnswerAltLettersOfTheirOwn)
{
    auto letters = [](const QList<QAction*>& actions) {
        QStringList missing;
        QMultiMap<QChar, QString> byLetter;
        for (const QAction* action : actions) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            const QChar letter = mnemonic(action->text());
            if (!letter.isNull())
                byLetter.insert(letter, action->text());
        }
        for (const QChar letter : byLetter.uniqueKeys()) {
            if (byLetter.count(letter) > 1)
                missing << QStringList(byLetter.values(letter)).join(u" = "_s);
        }
        // An entry goes without a letter only when its siblings took all of its own.
        for (const QAction* action : actions) {
            const QString text = action->text();
            if (action->isSeparator() || !action->isVisible() || !mnemonic(text).isNull())
                continue;
            const bool free = std::any_of(text.cbegin(), text.cend(), [&](QChar c) {
                return c.isLetterOrNumber() && !byLetter.contains(c.toLower());
            });
            if (free)
                missing << u"sin letra: "_s + text;
        }
        return missing;
    };
    const QList<QAction*> bar = form.menuBar()->actions();
    ASSERT_GE(bar.size(), 3);
    EXPECT_TRUE(letters(bar).isEmpty()) << letters(bar).join(u"; "_s).toStdString();
    for (const QAction* entry : bar) {
        if (QMenu* menu = entry->menu()) {
            EXPECT_TRUE(letters(menu->actions()).isEmpty())
                << entry->text().toStdString() << ": " << letters(menu->actions()).join(u"; "_s).toStdString();
        }
    }
}

TEST_F(KeyboardTest, CtrlTabTurnsTheCalledFormsPagesAndNeverReachesTheWaitingPanel)
{
    ASSERT_TRUE(form.host().open(u"WOBRAS"_s));
    auto* panel = openWindow<WorkPanelWindow>(u"WOBRAS"_s);
    ASSERT_NE(panel, nullptr);
    auto* panelFrame = qobject_cast<QMdiSubWindow*>(panel->parentWidget());
    form.area()->setActiveSubWindow(panelFrame);

    QList<int> pages;
    QWidget* frontAfterSwitch = nullptr;
    QTimer::singleShot(100, [&] {
        auto* window = openWindow<TransactionWindow>(u"TOBRAS"_s);
        auto* tabs = window ? window->findChild<QTabWidget*>() : nullptr;
        if (!tabs) {
            ADD_FAILURE() << "the works form with its pages";
            if (window)
                closeWindow(window);
            return;
        }
        window->input(1)->setFocus();
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_Tab, Qt::ControlModifier},
                                             std::pair{Qt::Key_Tab, Qt::ControlModifier},
                                             std::pair{Qt::Key_PageDown, Qt::ControlModifier},
                                             std::pair{Qt::Key_PageUp, Qt::ControlModifier}}) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            pages << tabs->currentIndex();
        }
        pages << int(window->isAncestorOf(QApplication::focusWidget()));
        // The area's own window switching brings the waiting panel forward:
        // the form comes back in front at once.
        form.area()->setActiveSubWindow(panelFrame);
        QTimer::singleShot(50, [&, window] {
            frontAfterSwitch = form.area()->activeSubWindow() ? form.area()->activeSubWindow()->widget() : nullptr;
            closeWindow(window);
        });
    });
    QString key = u"0"_s;
    QString mode = u"INS"_s;
    form.host().call(u"TOBRAS"_s, key, mode);
    EXPECT_EQ(pages, (QList<int>{1, 0, 1, 0, 1})) << "pages turned in both directions, focus kept in the form";
    EXPECT_NE(frontAfterSwitch, nullptr);
    EXPECT_NE(frontAfterSwitch, panel);
    EXPECT_TRUE(panel->isEnabled()) << "the panel takes keys again once the call returned";
}

TEST_F(KeyboardTest, AMainMenuCaptionChoosesItsEntryAndADisabledOneSaysWhy)
{
    MainMenuWindow* menu = showMainMenu();
    logIn(u"ana"_s, u"SSSSSSNSS"_s, u"N"_s);
    menu->applyPermissions();
    ASSERT_FALSE(menu->caption(u"Bconceptos"_s)->isEnabled());
    EXPECT_TRUE(menu->caption(u"Bconceptos"_s)->styleSheet().isEmpty()) << "no colour hiding the disabled look";

    auto statusTexts = [&] {
        QStringList texts;
        for (const QLabel* label : form.statusBar()->findChildren<QLabel*>())
            texts << label->text();
        return texts;
    };
    QTest::mouseClick(menu->caption(u"Bconceptos"_s), Qt::LeftButton);
    EXPECT_TRUE(statusTexts().contains(u"Conceptos: su perfil no tiene permiso para esta opción"_s))
        << statusTexts().join(u'|').toStdString();
    QTest::mouseClick(menu->button(u"Batributos"_s), Qt::LeftButton);
    EXPECT_TRUE(statusTexts().contains(u"Atributos adicionales: solo en la instalación cliente/servidor"_s))
        << statusTexts().join(u'|').toStdString();

    QTest::mouseClick(menu->caption(u"Bcategorias"_s), Qt::LeftButton);
    EXPECT_NE(form.host().openWindow(u"WCATEGOR"_s), nullptr) << "the caption opens its panel as the button does";
}

}  // namespace
