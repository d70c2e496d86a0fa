#include "ui/security_window_parts.h"

#include "support/ui_port.h"
#include "ui/help_viewer.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/window_registry.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QTableWidget* newListGrid(QWidget* parent, const QStringList& headings)
{
    auto* grid = new QTableWidget(0, int(headings.size()), parent);
    grid->setHorizontalHeaderLabels(headings);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

void setGridRow(QTableWidget* grid, int row, const QStringList& cells, const QList<int>& rightAligned)
{
    if (grid->rowCount() <= row)
        grid->setRowCount(row + 1);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (rightAligned.contains(column))
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->setItem(row, column, item);
    }
}

QPushButton* newCommand(QWidget* parent, const QString& caption, const QString& icon)
{
    auto* button = new QPushButton(picture(icon), caption, parent);
    button->setAutoDefault(false);
    button->setMinimumWidth(86);
    return button;
}

bool isEnterKey(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
           && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void selectRowWithKey(QTableWidget* grid, const QString& key)
{
    int target = grid->rowCount() > 0 ? 0 : -1;
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->item(row, 0) && grid->item(row, 0)->text().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            target = row;
    }
    if (target >= 0)
        grid->selectRow(target);
}

QHBoxLayout* formCommands(QWidget* form, QPushButton** confirm, const QString& helpTopic)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    if (confirm) {
        *confirm = newCommand(form, QStringLiteral("&Confirmar"), QStringLiteral("confirmar.ico"));
        row->addWidget(*confirm);
    }
    QPushButton* help = newCommand(form, QStringLiteral("Ay&uda"), QStringLiteral("ayuda.ico"));
    QPushButton* close = newCommand(form, QStringLiteral("Cerra&r"), QStringLiteral("cerrar.ico"));
    row->addWidget(help);
    row->addWidget(close);
    QObject::connect(help, &QPushButton::clicked, form, [form, helpTopic] { showHelp(helpTopic, form); });
    QObject::connect(close, &QPushButton::clicked, form, [form] { closeWindow(form); });
    return row;
}

bool formKey(QWidget* form, QKeyEvent* event, const QString& helpTopic, const std::function<void()>& confirm)
{
    if (event->key() == Qt::Key_F1) {
        showHelp(helpTopic, form);
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        closeWindow(form);
        return true;
    }
    if (confirm && isEnterKey(event)) {
        confirm();
        return true;
    }
    return false;
}

bool listGridKey(const QKeyEvent* event, const std::function<void()>& add, const std::function<void()>& modify,
                 const std::function<void()>& remove)
{
    if (isEnterKey(event))
        modify();
    else if (event->key() == Qt::Key_Delete)
        remove();
    else if (event->key() == Qt::Key_Insert)
        add();
    else
        return false;
    return true;
}

CopyFormWindow::CopyFormWindow(CopyFormDecl declaration, Database& database, UiPort& ui,
                               std::shared_ptr<WindowCall> call, QWidget* parent)
    : QWidget(parent), declaration_(std::move(declaration)), database_(database), ui_(ui), call_(std::move(call)),
      target_(new QLineEdit(this))
{
    setObjectName(declaration_.object);
    setWindowTitle(declaration_.title);
    setWindowIcon(picture("tabla.ico"));

    auto* source = new QLineEdit(call_->key.trimmed(), this);
    source->setReadOnly(true);
    source->setFocusPolicy(Qt::NoFocus);
    target_->setMaxLength(declaration_.width);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    fields->addRow(declaration_.sourceLabel, source);
    fields->addRow(declaration_.targetLabel, target_);
    layout->addLayout(fields);
    layout->addStretch();
    QPushButton* confirmButton = nullptr;
    layout->addLayout(formCommands(this, &confirmButton, declaration_.object));
    connect(confirmButton, &QPushButton::clicked, this, &CopyFormWindow::confirm);
    target_->setFocus();
    resize(sizeHint());
}

void CopyFormWindow::confirm()
{
    if (busy_)
        return;
    busy_ = true;
    const bool copied = declaration_.copy(database_, ui_, call_->key, target_->text());
    busy_ = false;
    if (!copied)
        return;
    call_->key = target_->text().trimmed().toUpper();
    closeWindow(this);
}

void CopyFormWindow::closeEvent(QCloseEvent* event)
{
    // A copy under way finishes before the window goes.
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void CopyFormWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, declaration_.object, [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}
