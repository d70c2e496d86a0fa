#include "ui/object_host.h"

#include "data/database.h"
#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "reports/listings.h"
#include "startup/lifecycle.h"
#include "support/ui_port.h"
#include "ui/transaction_window.h"
#include "ui/window_registry.h"
#include "ui/work_panel_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <type_traits>
#include <QMdiArea>
#include <QMdiSubWindow>

void closeWindow(QWidget* window)
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
        frame->close();
        return;
    }
    window->close();
}

namespace {

/// Counts `window` among the open top-level objects until it closes or is
/// destroyed, whichever comes first: once, never twice. `closedSignal` is
/// the window's own signal that it closed, when it has one.
template <typename Window, typename Signal>
void countWhileOpen(Window* window, Signal closedSignal, std::function<void()> afterClosing)
{
    auto counted = std::make_shared<bool>(true);
    TopLevelObjects::opened();
    auto countDown = [counted, afterClosing] {
        if (!*counted)
            return;
        *counted = false;
        if (afterClosing)
            afterClosing();
        TopLevelObjects::closed();
    };
    if constexpr (!std::is_same_v<Signal, std::nullptr_t>)
        QObject::connect(window, closedSignal, window, countDown);
    QObject::connect(window, &QObject::destroyed, countDown);
}

}  // namespace

ObjectHost::ObjectHost(QMdiArea* area, UiPort& ui, QObject* parent) : QObject(parent), area_(area), ui_(ui)
{
    // A form back in front shows its mode code in the status bar. A window
    // waiting for the one it called (disabled meanwhile) never stays in
    // front: the newest window that can be used comes back, so the
    // keyboard is never left on a window that takes no keys.
    connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* frame) {
        if (frame && frame->widget() && !frame->widget()->isEnabled()) {
            QTimer::singleShot(0, this, [this] { activateNewestEnabled(); });
            return;
        }
        if (auto* form = frame ? qobject_cast<TransactionWindow*>(frame->widget()) : nullptr)
            form->activated();
    });
}

void ObjectHost::activateNewestEnabled()
{
    const QList<QMdiSubWindow*> frames = area_->subWindowList(QMdiArea::CreationOrder);
    for (auto frame = frames.crbegin(); frame != frames.crend(); ++frame) {
        if ((*frame)->widget() && (*frame)->widget()->isEnabled() && (*frame)->isVisible()) {
            area_->setActiveSubWindow(*frame);
            return;
        }
    }
}

bool ObjectHost::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier))
        return QObject::eventFilter(watched, event);
    int step = 0;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_PageDown:
        step = 1;
        break;
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
        step = -1;
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !area_->isAncestorOf(focus))
        return QObject::eventFilter(watched, event);
    for (QWidget* widget = focus; widget && widget != area_; widget = widget->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(widget); tabs && tabs->count() > 1) {
            tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
            // The focus goes to the first input of the page turned to.
            if (QWidget* page = tabs->currentWidget()) {
                QWidget* first = page->nextInFocusChain();
                while (first && first != page && page->isAncestorOf(first)
                       && !(first->isEnabled() && first->isVisible() && (first->focusPolicy() & Qt::TabFocus)))
                    first = first->nextInFocusChain();
                if (first && page->isAncestorOf(first))
                    first->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
    }
    // No pages to turn: the windows take turns, unless one is waiting for
    // a call, which must stay out of reach.
    const bool anyWaiting = std::any_of(area_->subWindowList().cbegin(), area_->subWindowList().cend(),
                                        [](QMdiSubWindow* frame) { return frame->widget() && !frame->widget()->isEnabled(); });
    return anyWaiting && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab);
}

ObjectHost::~ObjectHost() = default;

bool ObjectHost::exists(const QString& name)
{
    WindowRegistry::registerAll();
    return ObjectRegistry::entry(name) != nullptr;
}

QMdiSubWindow* ObjectHost::show(QWidget* window)
{
    QMdiSubWindow* frame = area_->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // Installed again at every window, so that this filter sees the keys
    // before the area's own (the last one installed is asked first).
    qApp->installEventFilter(this);
    frame->setWindowIcon(window->windowIcon());
    frame->show();
    // While the area shows its windows maximized, a new one opens maximized
    // too; sizing it to its contents then would leave it small and without
    // its frame. A normal window takes its contents' size and opens a step
    // down and right of the last one, inside the visible area.
    if (!frame->isMaximized()) {
        frame->adjustSize();
        const int step = 24 * (area_->subWindowList().size() % 8);
        frame->move(QPoint(40 + step, 40 + step));
    }
    area_->setActiveSubWindow(frame);
    return frame;
}

void ObjectHost::waitFor(QWidget* window)
{
    QMdiSubWindow* active = area_->activeSubWindow();
    QPointer<QWidget> caller = active ? active->widget() : nullptr;
    if (caller && caller == mainMenu_)
        caller = nullptr;
    if (caller)
        caller->setEnabled(false);

    QEventLoop loop;
    connect(window, SIGNAL(closed()), &loop, SLOT(quit()));
    QPointer<QMdiSubWindow> frame = show(window);
    connect(frame, &QObject::destroyed, &loop, &QEventLoop::quit);
    TopLevelObjects::opened();
    loop.exec();
    TopLevelObjects::closed();
    // The window goes now, not later: what it shows (a form's engine and
    // its lines) ends when the call returns, and a window left to a later
    // deletion would read it while it hides.
    delete frame.data();

    if (caller) {
        caller->setEnabled(true);
        if (auto* callerFrame = qobject_cast<QMdiSubWindow*>(caller->parentWidget()))
            area_->setActiveSubWindow(callerFrame);
        caller->setFocus();
    }
}

bool ObjectHost::call(const QString& name, QString& key, QString& mode)
{
    if (!database_)
        return false;
    if (ObjectRegistry::transaction(name))
        return callTransaction(name, key, mode);
    if (ObjectRegistry::workPanel(name))
        return callWorkPanel(name, key);
    if (Listings::find(name))
        return runListing(name);
    if (const WindowFactory factory = WindowRegistry::find(name)) {
        auto call = std::make_shared<WindowCall>(WindowCall{key, mode});
        waitFor(factory(*database_, ui_, call));
        key = call->key;
        mode = call->mode;
        return true;
    }
    return false;
}

bool ObjectHost::callTransaction(const QString& name, QString& key, QString& mode)
{
    std::unique_ptr<Transaction> engine = ObjectRegistry::createTransaction(name, *database_, ui_);
    if (!engine)
        return false;
    engine->start(key, mode);
    if (!engine->closeRequested() && !engine->isClosed()) {
        auto* window = new TransactionWindow(*engine);
        waitFor(window);
    }
    if (!engine->isClosed())
        engine->close();
    engine->handBack(key, mode);
    return true;
}

bool ObjectHost::callWorkPanel(const QString& name, QString& key)
{
    std::unique_ptr<WorkPanel> panel =
        ObjectRegistry::createWorkPanel(name, *database_, ui_, WorkDatabase::process());
    if (!panel)
        return false;
    if (DbError error = panel->open(key)) {
        ui_.message(error.fullText(), MessageIcon::Exclamation);
        return true;
    }
    auto* window = new WorkPanelWindow(*panel);
    waitFor(window);
    if (panel->isOpen())
        panel->close();
    key = panel->result();
    return true;
}

bool ObjectHost::runListing(const QString& name)
{
    const ListingEntry* listing = Listings::find(name);
    KQRView view;
    ListingRun run = ListingRun::now(*database_);
    run.ui = &ui_;  // long listings keep the windows alive
    ListingResult result;
    {
        const WaitScope wait(ui_);
        result = listing->run(view, run);
    }
    if (!result.ok())
        ui_.message(result.errorMessage, MessageIcon::Exclamation);
    return true;
}

QWidget* ObjectHost::openWindow(const QString& name) const
{
    const QPointer<QWidget> window = open_.value(name.toUpper());
    return window.data();
}

bool ObjectHost::open(const QString& name)
{
    if (QWidget* window = openWindow(name)) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
            frame->showNormal();
            area_->setActiveSubWindow(frame);
        }
        window->setFocus();
        return true;
    }
    if (database_ && WindowRegistry::find(name)) {
        QWidget* window = WindowRegistry::find(name)(*database_, ui_, std::make_shared<WindowCall>());
        const QString key = name.toUpper();
        open_.insert(key, window);
        QPointer<ObjectHost> host(this);
        countWhileOpen(window, nullptr, [host, key] {
            if (!host)
                return;
            host->open_.remove(key);
            emit host->panelClosed(key);
        });
        show(window);
        return true;
    }
    if (!database_ || !ObjectRegistry::workPanel(name))
        return false;
    std::shared_ptr<WorkPanel> panel(
        ObjectRegistry::createWorkPanel(name, *database_, ui_, WorkDatabase::process()).release());
    if (!panel)
        return false;
    if (DbError error = panel->open()) {
        ui_.message(error.fullText(), MessageIcon::Exclamation);
        return true;
    }
    auto* window = new WorkPanelWindow(*panel);
    const QString key = name.toUpper();
    open_.insert(key, window);
    // The panel engine lives as long as its window.
    QPointer<ObjectHost> host(this);
    countWhileOpen(window, &WorkPanelWindow::closed, [host, panel, key] {
        if (!host)
            return;
        host->open_.remove(key);
        emit host->panelClosed(key);
    });
    show(window);
    return true;
}
