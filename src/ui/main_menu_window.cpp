#include "ui/main_menu_window.h"

#include "startup/main_menu.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "ui/help_viewer.h"
#include "ui/object_host.h"
#include "ui/pictures.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// No colour of its own for a caption: a forced colour would hide the
// disabled look of the entries a profile may not use.
const QString captionStyle;
const QString chosenStyle = QStringLiteral("color: rgb(128, 0, 128); font-weight: bold;");

/// The main menus alive, for permissionsChanged().
QList<QPointer<MainMenuWindow>>& mainMenus()
{
    static QList<QPointer<MainMenuWindow>> menus;
    return menus;
}

}  // namespace

MainMenuWindow::MainMenuWindow(UiPort& ui, std::function<bool(const QString&)> openPanel, QWidget* parent)
    : QWidget(parent), ui_(ui), openPanel_(std::move(openPanel))
{
    setObjectName("UORDANE");
    mainMenus().removeAll(nullptr);
    mainMenus().append(this);
    setWindowTitle(QStringLiteral("Tablas"));
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);

    auto* heading = new QLabel(QStringLiteral("Tablas del sistema de liquidación de sueldos"), this);
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);

    auto* tabs = new QTabWidget(this);
    tabs->addTab(buildTab("Principales"), QStringLiteral("Principales"));
    tabs->addTab(buildTab("Otras"), QStringLiteral("Otras"));
    layout->addWidget(tabs, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    auto* closeButton = new QPushButton(picture("cerrar.ico"), QStringLiteral("Cerra&r"), this);
    closeButton->setMinimumWidth(100);
    connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(this); });
    bottom->addWidget(closeButton);
    layout->addLayout(bottom);
}

QWidget* MainMenuWindow::buildTab(const QString& tab)
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    QList<const MainMenuEntry*> entries;
    for (const MainMenuEntry& entry : mainMenuEntries()) {
        if (entry.tab == tab)
            entries << &entry;
    }
    const int rows = int((entries.size() + 1) / 2);
    for (int index = 0; index < entries.size(); ++index) {
        const MainMenuEntry& entry = *entries[index];
        const int row = index % rows;
        const int column = (index / rows) * 2;
        auto* button = new QToolButton(page);
        button->setObjectName(entry.button);
        button->setIcon(picture("tabla.ico"));
        button->setIconSize(QSize(24, 24));
        button->setAutoRaise(false);
        if (!entry.tooltip.isEmpty())
            button->setToolTip(entry.tooltip);
        auto* caption = new QLabel(entry.caption, page);
        caption->setStyleSheet(captionStyle);
        caption->setMinimumWidth(caption->fontMetrics().horizontalAdvance(entry.caption) + 24);
        grid->addWidget(button, row, column);
        grid->addWidget(caption, row, column + 1);
        buttons_.insert(entry.button, button);
        captions_.insert(entry.button, caption);
        connect(button, &QToolButton::clicked, this, [this, &entry] { chooseEntry(entry); });
        // The caption is part of the entry: a click on it chooses it, and a
        // click on a disabled entry says why in the status bar.
        for (QWidget* part : {static_cast<QWidget*>(button), static_cast<QWidget*>(caption)}) {
            part->setProperty("mainMenuEntry", entry.button);
            part->installEventFilter(this);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(rows, 1);
    return page;
}

void MainMenuWindow::applyPermissions()
{
    const QString permissions = VBGlob::get("Permisos");
    const QString installationKind = VBGlob::get("VersionCS");
    for (const MainMenuEntry& entry : mainMenuEntries()) {
        const bool allowed = mainMenuAllows(entry, permissions, installationKind);
        buttons_.value(entry.button)->setEnabled(allowed);
        captions_.value(entry.button)->setEnabled(allowed);
    }
}

void MainMenuWindow::permissionsChanged()
{
    for (const QPointer<MainMenuWindow>& menu : std::as_const(mainMenus())) {
        if (menu)
            menu->applyPermissions();
    }
}

bool MainMenuWindow::choose(const QString& name)
{
    const MainMenuEntry* entry = findMainMenuEntry(name);
    if (!entry)
        return false;
    chooseEntry(*entry);
    return true;
}

void MainMenuWindow::chooseEntry(const MainMenuEntry& entry)
{
    if (busy_ || !buttons_.value(entry.button)->isEnabled())
        return;
    busy_ = true;
    for (QLabel* label : std::as_const(captions_))
        label->setStyleSheet(captionStyle);
    captions_.value(entry.button)->setStyleSheet(chosenStyle);
    if (!openPanel_(entry.workPanel))
        ui_.message(optionNotAvailableMessage, MessageIcon::Information);
    busy_ = false;
}

QToolButton* MainMenuWindow::button(const QString& button) const
{
    return buttons_.value(button);
}

QLabel* MainMenuWindow::caption(const QString& button) const
{
    return captions_.value(button);
}

void MainMenuWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

bool MainMenuWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease
        || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    auto* part = qobject_cast<QWidget*>(watched);
    const MainMenuEntry* entry = part ? findMainMenuEntry(part->property("mainMenuEntry").toString()) : nullptr;
    if (!entry)
        return QWidget::eventFilter(watched, event);
    if (!part->isEnabled()) {
        ui_.statusText(1, mainMenuRefusal(*entry, VBGlob::get("Permisos"), VBGlob::get("VersionCS")));
        return true;
    }
    if (qobject_cast<QLabel*>(part) && part->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        chooseEntry(*entry);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainMenuWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        showHelp("UORDANE", this);
        return;
    }
    QWidget::keyPressEvent(event);
}
