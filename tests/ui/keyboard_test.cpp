// Every declared form and panel, drawn offscreen: no two of a window's
// buttons, labels, tabs or frames answer the same Alt letter.
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
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

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

class KeyboardTest : public MainFormTest {};

TEST_F(KeyboardTest, NoTwoCommandsOfADeclaredWindowShareAnAltLetter)
{
    ScriptedUi port;
    WorkDatabase work;
    int windows = 0;
    for (const CatalogueEntry& entry : ObjectRegistry::catalogue()) {
        if (const TransactionDecl* declaration = ObjectRegistry::transaction(entry.name)) {
            Transaction engine(*declaration, *database, port);
            TransactionWindow window(engine);
            EXPECT_TRUE(clashes(window).isEmpty()) << entry.name.toStdString() << ": "
                                                   << clashes(window).join(u"; "_s).toStdString();
            ++windows;
        }
        if (const WorkPanelDecl* declaration = ObjectRegistry::workPanel(entry.name)) {
            WorkPanel panel(*declaration, *database, port, work);
            WorkPanelWindow window(panel);
            EXPECT_TRUE(clashes(window).isEmpty()) << entry.name.toStdString() << ": "
                                                   << clashes(window).join(u"; "_s).toStdString();
            ++windows;
        }
    }
    EXPECT_GE(windows, 35);
}

}  // namespace
