#include "ui/work_panel_window.h"

#include "engine/work_panel.h"
#include "ui/help_viewer.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"

#include <QCheckBox>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

bool isNumericPicture(const QString& picture)
{
    return !picture.isEmpty() && (picture.contains('9') || picture.contains('Z'));
}

struct Command {
    QString caption;
    QString icon;
    QString action;  ///< key in the actions menu; empty: not offered there
};

}  // namespace

WorkPanelModel::WorkPanelModel(WorkPanel& panel, QObject* parent) : QAbstractTableModel(parent), panel_(panel)
{
    shown_ = panel_.rowCount();
}

int WorkPanelModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int WorkPanelModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(panel_.declaration().columns.size());
}

QVariant WorkPanelModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return panel_.cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const ColumnDecl& column = panel_.declaration().columns[index.column()];
        if (isNumericPicture(column.picture))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant WorkPanelModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return panel_.declaration().columns.value(section).heading;
}

bool WorkPanelModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && (shown_ < panel_.rowCount() || panel_.canFetchMore());
}

void WorkPanelModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid())
        return;
    if (shown_ >= panel_.rowCount())
        panel_.fetchMore();
    const int total = panel_.rowCount();
    if (total <= shown_)
        return;
    beginInsertRows({}, shown_, total - 1);
    shown_ = total;
    endInsertRows();
}

void WorkPanelModel::reload()
{
    beginResetModel();
    shown_ = panel_.rowCount();
    endResetModel();
}

WorkPanelWindow::WorkPanelWindow(WorkPanel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel), model_(new WorkPanelModel(panel, this)), grid_(new QTableView(this))
{
    const WorkPanelDecl& declaration = panel_.declaration();
    setWindowTitle(panel_.title());
    setObjectName(declaration.name);
    setWindowIcon(picture("tabla.ico"));

    QList<Command> commands;
    if (declaration.selection) {
        commands = {{"&Confirmar", "confirmar.ico", ""}, {"Re&novar", "renovar.ico", ""},
                    {"Ay&uda", "ayuda.ico", ""}, {"Cerra&r", "cerrar.ico", ""}};
    } else {
        commands = {{"&Agregar", "agregar.ico", "Agregar"}, {"&Modificar", "modifica.ico", ""},
                    {"&Eliminar", "eliminar.ico", "Eliminar"}};
        if (!declaration.listing.isEmpty())
            commands.append({"&Imprimir", "imprimir.ico", "Imprimir"});
        commands += {{"Re&novar", "renovar.ico", ""}, {"Ay&uda", "ayuda.ico", ""}, {"Cerra&r", "cerrar.ico", ""}};
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);

    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(2);
    auto* captions = new QHBoxLayout;
    captions->addStretch();
    for (const Command& command : commands) {
        auto* pictureButton = new QToolButton(this);
        pictureButton->setIcon(picture(command.icon));
        pictureButton->setIconSize(QSize(22, 22));
        pictureButton->setToolTip(QString(command.caption).remove('&'));
        pictureButton->setAutoRaise(true);
        pictureButton->setFocusPolicy(Qt::NoFocus);
        pictures->addWidget(pictureButton);
        auto* captionButton = new QPushButton(command.caption, this);
        captionButton->setAutoDefault(false);
        captionButton->setMinimumWidth(86);
        captions->addWidget(captionButton);

        const QString name = QString(command.caption).remove('&');
        auto run = [this, name] {
            if (name == "Agregar")
                add();
            else if (name == "Modificar")
                modify();
            else if (name == "Eliminar")
                remove();
            else if (name == "Imprimir")
                print();
            else if (name == "Renovar")
                refresh();
            else if (name == "Ayuda")
                help();
            else if (name == "Confirmar")
                confirmSelection();
            else
                closeWindow(this);
        };
        connect(pictureButton, &QToolButton::clicked, this, run);
        connect(captionButton, &QPushButton::clicked, this, run);
        if (name == "Agregar")
            addButtons_ = {pictureButton, captionButton};
        if (name == "Eliminar")
            deleteButtons_ = {pictureButton, captionButton};
    }
    pictures->addStretch();
    layout->addLayout(pictures);

    if (!declaration.filterField.isEmpty()) {
        auto* filterLine = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("Descripción:"), this);
        filter_ = new QLineEdit(this);
        filter_->setPlaceholderText(QStringLiteral("parte de la descripción; un blanco vale por cualquier texto"));
        label->setBuddy(filter_);
        filterLine->addWidget(label);
        filterLine->addWidget(filter_, 1);
        layout->addLayout(filterLine);
        filter_->installEventFilter(this);
        connect(filter_, &QLineEdit::editingFinished, this, [this] {
            if (filter_->isModified()) {
                filter_->setModified(false);
                panel_.setDescriptionFilter(filter_->text());
                model_->reload();
            }
        });
    }

    if (!declaration.filters.isEmpty())
        layout->addLayout(buildFilters());

    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(declaration.selection ? QAbstractItemView::SingleSelection
                                                  : QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setHighlightSections(false);
    fitColumns();
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex&) {
        if (panel_.declaration().selection)
            confirmSelection();
        else
            modify();
    });
    layout->addWidget(grid_, 1);
    if (declaration.detail.rows) {
        // The rows of the current row, under the list.
        auto* frame = new QGroupBox(declaration.detail.caption, this);
        auto* frameLayout = new QVBoxLayout(frame);
        detail_ = newListGrid(frame, declaration.detail.headings);
        detail_->setFocusPolicy(Qt::ClickFocus);
        frameLayout->addWidget(detail_);
        layout->addWidget(frame, 1);
        connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) { showDetail(current.row()); });
        connect(model_, &QAbstractItemModel::modelReset, this,
                [this] { showDetail(grid_->currentIndex().row()); });
    }
    if (!declaration.commands.isEmpty()) {
        // The panel's own commands, in a row above the standard ones.
        auto* own = new QHBoxLayout;
        for (const CommandDecl& command : declaration.commands) {
            auto* button = new QPushButton(command.caption, this);
            button->setToolTip(command.toolTip);
            button->setAutoDefault(false);
            button->setObjectName(command.action);
            own->addWidget(button);
            commandButtons_.append(button);
            connect(button, &QPushButton::clicked, this, [this, action = command.action] { press(action); });
        }
        own->addStretch();
        layout->addLayout(own);
    }
    layout->addLayout(captions);

    applyPermissions();
    // A selection list opens on the value it was called with, when it shows it.
    int first = 0;
    for (int row = 0; declaration.selection && row < model_->rowCount(); ++row) {
        if (panel_.keyAt(row) == panel_.result().trimmed()) {
            first = row;
            break;
        }
    }
    if (model_->rowCount() > 0)
        grid_->selectRow(first);
    showDetail(grid_->currentIndex().row());
    resize(qMax(480, grid_->minimumWidth() + 24), detail_ ? 620 : 460);
}

void WorkPanelWindow::showDetail(int row)
{
    if (!detail_)
        return;
    const DetailGridDecl& declaration = panel_.declaration().detail;
    QList<QStringList> rows;
    QString error;
    if (row >= 0 && !declaration.rows(panel_, row, rows, error))
        rows = {QStringList{error}};
    detail_->setRowCount(0);
    for (int at = 0; at < rows.size(); ++at)
        setGridRow(detail_, at, rows.at(at), declaration.numeric);
    detail_->resizeColumnsToContents();
    detail_->horizontalHeader()->setStretchLastSection(true);
}

void WorkPanelWindow::fitColumns()
{
    const WorkPanelDecl& declaration = panel_.declaration();
    const QFontMetrics cells = grid_->fontMetrics();
    QFont headingFont = grid_->horizontalHeader()->font();
    headingFont.setBold(true);
    const QFontMetrics headings(headingFont);
    // The description column takes the room the others leave: the one the
    // filter reads, else one named a description or a name, else the first
    // free text after the key.
    auto isDescription = [&](const ColumnDecl& column) {
        return column.field == declaration.filterField
               || column.field.contains(QLatin1String("Desc"), Qt::CaseInsensitive)
               || column.heading.startsWith(QLatin1String("Descrip")) || column.heading.startsWith(QLatin1String("Nombre"));
    };
    int description = -1;
    for (int column = 0; description < 0 && column < declaration.columns.size(); ++column) {
        if (isDescription(declaration.columns[column]))
            description = column;
    }
    for (int column = 1; description < 0 && column < declaration.columns.size(); ++column) {
        if (declaration.columns[column].picture.isEmpty() && declaration.columns[column].choices.isEmpty())
            description = column;
    }
    // Each column as wide as its heading and the widest of the first rows
    // (or its picture, for rows still to come), with a little air.
    int total = 0;
    const int rows = qMin(model_->rowCount(), 200);
    for (int column = 0; column < declaration.columns.size(); ++column) {
        const ColumnDecl& decl = declaration.columns[column];
        int width = headings.horizontalAdvance(decl.heading);
        if (!decl.picture.isEmpty())
            width = qMax(width, cells.horizontalAdvance(QString(decl.picture.size(), u'0')));
        for (const CodeChoice& choice : decl.choices)
            width = qMax(width, cells.horizontalAdvance(choice.text));
        for (int row = 0; row < rows; ++row)
            width = qMax(width, cells.horizontalAdvance(model_->index(row, column).data().toString()));
        if (column == description)
            width = qMax(width, cells.horizontalAdvance(QString(24, u'n')));
        width += 20;
        grid_->setColumnWidth(column, width);
        total += width;
    }
    QHeaderView* header = grid_->horizontalHeader();
    if (description >= 0) {
        header->setStretchLastSection(false);
        header->setSectionResizeMode(description, QHeaderView::Stretch);
    } else {
        header->setStretchLastSection(true);
    }
    // The grid asks for room to show its columns, within what the main
    // window's area has at 1024x720.
    const int wanted = total + grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth();
    grid_->setMinimumWidth(qMin(wanted, 940));
}

QStringList WorkPanelWindow::actions() const
{
    if (panel_.declaration().selection)
        return {};
    QStringList keys = {"Agregar", "Eliminar"};
    if (!panel_.declaration().listing.isEmpty())
        keys << "Imprimir";
    return keys;
}

bool WorkPanelWindow::runAction(const QString& key)
{
    if (!actions().contains(key, Qt::CaseInsensitive))
        return false;
    if (key.compare("Agregar", Qt::CaseInsensitive) == 0)
        add();
    else if (key.compare("Eliminar", Qt::CaseInsensitive) == 0)
        remove();
    else
        print();
    return true;
}

QLayout* WorkPanelWindow::buildFilters()
{
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    for (const FilterDecl& filter : panel_.declaration().filters) {
        const auto changed = [this, name = filter.name](const QString& value) {
            if (busy_)
                return;
            panel_.setFilterValue(name, value);
            model_->reload();
            if (model_->rowCount() > 0)
                grid_->selectRow(0);
        };
        if (filter.kind == FilterKind::Check) {
            auto* box = new QCheckBox(filter.label, this);
            box->setObjectName(filter.name);
            line->addWidget(box);
            connect(box, &QCheckBox::toggled, this,
                    [changed](bool checked) { changed(checked ? QStringLiteral("S") : QStringLiteral("N")); });
            continue;
        }
        auto* label = new QLabel(filter.label + u':', this);
        line->addWidget(label);
        if (filter.kind == FilterKind::Choice && !filter.choices.isEmpty()) {
            auto* combo = new QComboBox(this);
            combo->setObjectName(filter.name);
            combo->addItem(QStringLiteral("(todos)"), QString());
            for (const CodeChoice& choice : filter.choices)
                combo->addItem(choice.text, choice.value);
            label->setBuddy(combo);
            line->addWidget(combo);
            connect(combo, &QComboBox::activated, this,
                    [combo, changed](int index) { changed(combo->itemData(index).toString()); });
            continue;
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(filter.name);
        label->setBuddy(edit);
        if (filter.kind == FilterKind::StartNumber) {
            edit->setValidator(new QIntValidator(0, 999999999, edit));
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
        }
        line->addWidget(edit, filter.kind == FilterKind::Text ? 1 : 0);
        connect(edit, &QLineEdit::editingFinished, this, [edit, changed] {
            if (!edit->isModified())
                return;
            edit->setModified(false);
            changed(edit->text());
        });
    }
    line->addStretch();
    return line;
}

void WorkPanelWindow::press(const QString& action)
{
    if (busy_)
        return;
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    busy_ = true;
    const bool pressed = panel_.press(action, row);
    busy_ = false;
    if (pressed)
        afterCommand(row);
}

void WorkPanelWindow::applyPermissions()
{
    for (QPushButton* button : commandButtons_)
        button->setEnabled(panel_.commandEnabled(button->objectName()));
    for (QAbstractButton* button : addButtons_)
        button->setEnabled(panel_.addEnabled());
    for (QAbstractButton* button : deleteButtons_)
        button->setEnabled(panel_.deleteEnabled());
}

QList<int> WorkPanelWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    // The row under the cursor counts when the selection does not hold it
    // (the cursor moved with Ctrl+End, or a filter left nothing selected).
    const QModelIndex current = grid_->currentIndex();
    if (current.isValid() && !rows.contains(current.row()))
        rows = {current.row()};
    return rows;
}

void WorkPanelWindow::afterCommand(int row)
{
    model_->reload();
    applyPermissions();
    const int target = qMin(row, model_->rowCount() - 1);
    if (target >= 0)
        grid_->selectRow(target);
    grid_->setFocus();
}

void WorkPanelWindow::add()
{
    if (busy_ || !panel_.addEnabled())
        return;
    busy_ = true;
    const int row = grid_->currentIndex().row();
    panel_.add();
    busy_ = false;
    afterCommand(qMax(row, 0));
}

void WorkPanelWindow::modify()
{
    if (busy_ || panel_.declaration().selection)
        return;
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    busy_ = true;
    panel_.setCurrentRow(rows.first());
    panel_.modify(rows);
    busy_ = false;
    model_->dataChanged(model_->index(0, 0), model_->index(qMax(0, model_->rowCount() - 1), model_->columnCount() - 1));
    grid_->setFocus();
}

void WorkPanelWindow::remove()
{
    if (busy_ || !panel_.deleteEnabled())
        return;
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    busy_ = true;
    panel_.setCurrentRow(rows.first());
    panel_.remove(rows);
    busy_ = false;
    afterCommand(rows.first());
}

void WorkPanelWindow::print()
{
    if (busy_)
        return;
    busy_ = true;
    panel_.print();
    busy_ = false;
}

void WorkPanelWindow::refresh()
{
    if (busy_)
        return;
    const int row = qMax(0, grid_->currentIndex().row());
    busy_ = true;
    panel_.refresh();
    busy_ = false;
    afterCommand(row);
}

void WorkPanelWindow::confirmSelection()
{
    if (busy_ || !grid_->currentIndex().isValid())
        return;
    panel_.confirmSelection(grid_->currentIndex().row());
    closeWindow(this);
}

void WorkPanelWindow::help()
{
    showHelp(panel_.declaration().name, this);
}

void WorkPanelWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    panel_.close();
    event->accept();
    emit closed();
}

void WorkPanelWindow::keyPressEvent(QKeyEvent* event)
{
    if (busy_)
        return;
    if (event->key() == Qt::Key_F1) {
        help();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        closeWindow(this);
        return;
    }
    // Enter on a focused button presses it, as Space does.
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool WorkPanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (busy_)
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (panel_.declaration().selection)
                confirmSelection();
            else
                modify();
            return true;
        }
        // Supr deletes and Insert adds, as the buttons do.
        if (!panel_.declaration().selection && key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_Delete) {
                remove();
                return true;
            }
            if (key->key() == Qt::Key_Insert) {
                add();
                return true;
            }
        }
    }
    if (watched == filter_ && event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(filter_, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}
