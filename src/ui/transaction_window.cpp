#include "ui/transaction_window.h"

#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "data/schema.h"
#include "engine/lines.h"
#include "support/ui_port.h"
#include "ui/help_viewer.h"
#include "ui/object_host.h"
#include "ui/pictures.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAbstractTableModel>
#include <QHeaderView>

#include <functional>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

bool isNumericPicture(const QString& picture)
{
    return !picture.isEmpty() && (picture.contains('9') || picture.contains('Z'));
}

/// The width an input needs to show `characters` characters.
int widthFor(const QWidget* widget, int characters)
{
    return QFontMetrics(widget->font()).horizontalAdvance(QString(characters, '0')) + 16;
}

/// Focus changes that come from the person moving through the form, as
/// opposed to a window or a message box taking and giving back the focus.
bool isNavigation(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
        || reason == Qt::ShortcutFocusReason;
}

/// The Alt letter of a caption ("Cerra&r": r), or a null character.
QChar altLetter(const QString& caption)
{
    const qsizetype at = caption.indexOf(u'&');
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toLower() : QChar();
}

/// `caption` with its Alt letter moved, when another button of the window
/// already takes it, to the first of its letters that none takes.
QString withFreeAltLetter(const QString& caption, const QString& taken)
{
    const QChar letter = altLetter(caption);
    if (letter.isNull() || !taken.contains(letter))
        return caption;
    QString plain = caption;
    plain.remove(plain.indexOf(u'&'), 1);
    for (qsizetype at = 0; at < plain.size(); ++at) {
        if (plain.at(at).isLetter() && !taken.contains(plain.at(at).toLower()))
            return plain.left(at) + u'&' + plain.mid(at);
    }
    return caption;
}

/// Whether the field is chosen from a list: a reference, or a text with a
/// picker.
bool hasLookup(const FieldDecl& field)
{
    return field.kind == FieldKind::Reference || !field.reference.listObject.isEmpty();
}

}  // namespace

/// The grid of the lines: a table view that can hand over what is being
/// typed in a cell before the form confirms or closes.
class LinesView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    /// Enter takes the cell typed and moves on: to the next line's first
    /// column, or out of the grid from the last line, as Tab would.
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
            moveOn();
            return;
        }
        // F4 opens the list of the column the cursor stands on.
        if (event->key() == Qt::Key_F4 && pickFromList) {
            pickFromList(currentIndex());
            return;
        }
        QTableView::keyPressEvent(event);
    }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTableView::closeEditor(editor, hint);
        if (hint == QAbstractItemDelegate::SubmitModelCache)
            moveOn();
    }

public:
    /// What F4 does on a cell (set by the window).
    std::function<void(const QModelIndex& index)> pickFromList;

    void moveOn()
    {
        const int row = currentIndex().row();
        if (row >= 0 && row + 1 < model()->rowCount()) {
            setCurrentIndex(model()->index(row + 1, 0));
            return;
        }
        if (QWidget* next = nextInFocusChain(); next && next != this)
            focusNextChild();
    }

    /// Commits the open cell editor, if any, to the model.
    void commitPendingEdit()
    {
        if (state() != QAbstractItemView::EditingState)
            return;
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

/// The lines of a two-level form as the grid's rows; the row header shows
/// each line's number, and a line marked for deletion is greyed.
class LinesModel : public QAbstractTableModel {
public:
    LinesModel(const LineTableDecl& declaration, LineTable* lines, UiPort& ui, QObject* parent)
        : QAbstractTableModel(parent), declaration_(declaration), lines_(lines), ui_(ui)
    {
    }

    /// Shows `lines` (the calculations of another line of the level above).
    void setLines(LineTable* lines)
    {
        beginResetModel();
        lines_ = lines;
        endResetModel();
    }
    LineTable* lines() const { return lines_; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !lines_ ? 0 : lines_->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(declaration_.columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!lines_ || index.row() >= lines_->rowCount())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return lines_->text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole && isNumericPicture(declaration_.columns[index.column()].picture))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::ForegroundRole && lines_->mode(index.row()) == Mode::Delete)
            return QColor(Qt::gray);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return lines_ && section < lines_->rowCount() ? QString::number(section + 1) : QString();
        return declaration_.columns.value(section).heading;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (lines_ && lines_->editable() && lines_->mode(index.row()) != Mode::Delete
            && lines_->columnEditable(index.column()))
            flags |= Qt::ItemIsEditable;
        return flags;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || !lines_)
            return false;
        QString error;
        if (!lines_->setText(index.row(), index.column(), value.toString(), &error)) {
            ui_.message(error, MessageIcon::Exclamation);
            return false;
        }
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, index.row(), index.row());
        return true;
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const LineTableDecl& declaration_;
    LineTable* lines_;
    UiPort& ui_;
};


TransactionWindow::TransactionWindow(Transaction& engine, QWidget* parent)
    : QWidget(parent), engine_(engine)
{
    const TransactionDecl& declaration = engine_.declaration();
    setWindowTitle(engine_.title());
    setObjectName(declaration.name);
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);

    // The picture buttons along the top, as a toolbar of the form.
    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(2);
    auto pictureButton = [&](const QString& file, const QString& tip) {
        auto* button = new QToolButton(this);
        button->setIcon(picture(file));
        button->setIconSize(QSize(22, 22));
        button->setToolTip(tip);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        pictures->addWidget(button);
        return button;
    };
    QToolButton* confirmPicture = pictureButton("Confirmar.ico", "Confirmar");
    QToolButton* helpPicture = pictureButton("Ayuda.ico", "Ayuda");
    QToolButton* closePicture = pictureButton("Cerrar.ico", "Cerrar");
    pictures->addStretch();
    layout->addLayout(pictures);

    if (declaration.pages.isEmpty()) {
        layout->addWidget(buildPage(0));
    } else {
        // Fields of page -1 form a header above the pages (a concept's code,
        // description and status).
        const bool hasHeader = std::any_of(declaration.fields.begin(), declaration.fields.end(),
                                           [](const FieldDecl& field) { return field.page < 0; });
        if (hasHeader)
            layout->addWidget(buildPage(-1));
        auto* tabs = new QTabWidget(this);
        for (int page = 0; page < declaration.pages.size(); ++page)
            tabs->addTab(buildPage(page), declaration.pages[page]);
        layout->addWidget(tabs);
    }
    if (LineTable* lines = engine_.lines())
        layout->addWidget(buildLines(*lines), 1);
    else
        layout->addStretch();

    // The form's own commands; more than four take a row of their own
    // above the standard buttons, so that the form keeps its width.
    auto* buttons = new QHBoxLayout;
    QHBoxLayout* commandRow = buttons;
    if (declaration.commands.size() > 4) {
        commandRow = new QHBoxLayout;
        layout->addLayout(commandRow);
    }
    for (const CommandDecl& command : declaration.commands) {
        auto* button = new QPushButton(command.caption, this);
        button->setToolTip(command.toolTip);
        button->setAutoDefault(false);
        button->setObjectName(command.action);
        commandRow->addWidget(button);
        commandButtons_.append({command.action, button});
        connect(button, &QPushButton::clicked, this, [this, action = command.action] { press(action); });
    }
    if (commandRow != buttons)
        commandRow->addStretch();
    buttons->addStretch();
    auto* confirmButton = new QPushButton(QStringLiteral("&Confirmar"), this);
    auto* helpButton = new QPushButton(QStringLiteral(" Ay&uda"), this);
    auto* closeButton = new QPushButton(QStringLiteral("Cerra&r"), this);
    for (QPushButton* button : {confirmButton, helpButton, closeButton}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    confirmButtons_ = {confirmPicture, confirmButton};

    connect(confirmPicture, &QToolButton::clicked, this, &TransactionWindow::confirm);
    connect(confirmButton, &QPushButton::clicked, this, &TransactionWindow::confirm);
    connect(helpPicture, &QToolButton::clicked, this, &TransactionWindow::help);
    connect(helpButton, &QPushButton::clicked, this, &TransactionWindow::help);
    connect(closePicture, &QToolButton::clicked, this, [this] { closeWindow(this); });
    connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(this); });

    refresh();
}

TransactionWindow::~TransactionWindow() = default;

QTableView* TransactionWindow::linesView() const
{
    return linesView_;
}

QTableView* TransactionWindow::sublinesView() const
{
    return sublinesView_;
}

QWidget* TransactionWindow::buildLines(LineTable& lines)
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const LineTableDecl& declaration = lines.declaration();
    auto* model = new LinesModel(declaration, &lines, engine_.ui(), box);
    linesModel_ = model;
    // The line-removing button leaves the form's own commands their Alt letters.
    QString taken = QStringLiteral("curl");  // &Confirmar, Ay&uda, Cerra&r, Agregar &línea
    for (const CommandDecl& command : engine_.declaration().commands)
        taken += altLetter(command.caption);
    linesView_ = buildGrid(layout, model, QStringLiteral("Agregar &línea"),
                           withFreeAltLetter(QStringLiteral("Eli&minar línea"), taken));
    if (declaration.summary) {
        // The lines read as a whole, below the grid, kept up with every change.
        auto* summary = new QLabel(box);
        summary->setObjectName(QStringLiteral("LinesSummary"));
        summary->setWordWrap(true);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(summary);
        auto update = [summary, &lines] { summary->setText(lines.declaration().summary(lines)); };
        connect(model, &QAbstractItemModel::dataChanged, summary, update);
        connect(model, &QAbstractItemModel::modelReset, summary, update);
        update();
    }
    if (!declaration.sublines)
        return box;

    // The third level: the lines of the line the grid above stands on.
    const TableDef* table = Schema::table(declaration.sublines->table);
    layout->addWidget(new QLabel(table ? table->description : declaration.sublines->table, box));
    auto* below = new LinesModel(*declaration.sublines, lines.sublines(0), engine_.ui(), box);
    sublinesModel_ = below;
    sublinesView_ = buildGrid(layout, below, QStringLiteral("Agregar &sublínea"), QStringLiteral("Eliminar su&blínea"));
    connect(linesView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [&lines, below](const QModelIndex& current) { below->setLines(lines.sublines(current.row())); });
    return box;
}

LinesView* TransactionWindow::buildGrid(QVBoxLayout* layout, LinesModel* model, const QString& addCaption,
                                        const QString& removeCaption)
{
    QWidget* box = layout->parentWidget();
    auto* view = new LinesView(box);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setMinimumHeight(120);
    // Columns as wide as their headings (bold) with room for a few more
    // characters; the grid asks for their sum, within the main window.
    QFont headingFont = view->horizontalHeader()->font();
    headingFont.setBold(true);
    const QFontMetrics headings(headingFont);
    int total = 0;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString heading = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = qMax(headings.horizontalAdvance(heading), view->fontMetrics().horizontalAdvance(QString(4, '0')))
                          + 16;
        view->setColumnWidth(column, width);
        total += width;
    }
    view->setMinimumWidth(qMin(total + view->verticalHeader()->sizeHint().width() + 24, 940));
    view->pickFromList = [view, model](const QModelIndex& index) {
        LineTable* lines = model->lines();
        if (!lines || !index.isValid() || !lines->pick(index.row(), index.column()))
            return;
        model->reload();
        view->setCurrentIndex(index);
    };
    layout->addWidget(view, 1);
    auto* buttons = new QHBoxLayout;
    auto* addLine = new QPushButton(picture("agregar.ico"), addCaption, box);
    auto* removeLine = new QPushButton(picture("eliminar.ico"), removeCaption, box);
    for (QPushButton* button : {addLine, removeLine}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(addLine, &QPushButton::clicked, this, [view, model] {
        LineTable* lines = model->lines();
        const int row = lines ? lines->addLine() : -1;
        model->reload();
        if (row >= 0) {
            view->setCurrentIndex(model->index(row, 0));
            view->edit(model->index(row, 0));
        }
    });
    connect(removeLine, &QPushButton::clicked, this, [view, model] {
        const int row = view->currentIndex().row();
        if (row < 0 || !model->lines())
            return;
        model->lines()->markForDeletion(row);
        model->reload();
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [model](const QModelIndex& current) {
        if (LineTable* lines = model->lines())
            lines->setCurrentRow(current.row());
    });
    return view;
}

QWidget* TransactionWindow::buildPage(int page)
{
    auto* container = new QWidget(this);
    const QList<FieldDecl>& fields = engine_.declaration().fields;
    const bool twoColumns = std::any_of(fields.begin(), fields.end(), [page](const FieldDecl& field) {
        return field.page == page && field.column > 0;
    });
    if (!twoColumns) {
        buildColumn(page, 0, container);
        return container;
    }
    // A page in two halves holds many fields: its rows sit closer, so that
    // the form fits the main window.
    dense_ = true;
    // A long page in two halves, side by side, each aligned to the top.
    auto* halves = new QHBoxLayout(container);
    halves->setSpacing(18);
    for (int column = 0; column < 2; ++column) {
        auto* half = new QWidget(container);
        buildColumn(page, column, half);
        halves->addWidget(half, 1, Qt::AlignTop);
    }
    return container;
}

QGridLayout* TransactionWindow::buildColumn(int page, int column, QWidget* container)
{
    auto* grid = new QGridLayout(container);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(dense_ ? 3 : 8);
    grid->setColumnStretch(2, 1);
    frames_.clear();
    int row = 0;
    for (int position = 1; position <= engine_.fieldCount(); ++position) {
        const FieldDecl& field = engine_.field(position);
        if (field.page != page || field.column != column)
            continue;
        QGridLayout* target = frameGrid(grid, field.frame, row);
        addInput(target, target == grid ? row++ : target->rowCount(), position);
    }
    const QList<ComputedLabel>& labels = engine_.declaration().labels;
    for (int index = 0; index < labels.size(); ++index) {
        if (computedLabels_.size() <= index)
            computedLabels_.resize(labels.size());
        if (column != 0 || labels[index].page != page || !labels[index].beside.isEmpty())
            continue;
        auto* label = new QLabel(this);
        label->setObjectName(labels[index].name);
        computedLabels_[index] = label;
        QGridLayout* target = frameGrid(grid, labels[index].frame, row);
        if (target == grid)
            target->addWidget(label, row++, 1, 1, 2);
        else
            target->addWidget(label, target->rowCount(), 1, 1, 2);
    }
    grid->setRowStretch(row, 1);
    return grid;
}

QGridLayout* TransactionWindow::frameGrid(QGridLayout* page, const QString& frame, int& row)
{
    if (frame.isEmpty())
        return page;
    for (const auto& [caption, grid] : std::as_const(frames_)) {
        if (caption == frame)
            return grid;
    }
    auto* box = new QGroupBox(frame, this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(dense_ ? 2 : 6);
    if (dense_)
        grid->setContentsMargins(8, 4, 8, 4);
    grid->setColumnStretch(2, 1);
    page->addWidget(box, row++, 0, 1, 3);
    frames_.append({frame, grid});
    return grid;
}

void TransactionWindow::addInput(QGridLayout* layout, int row, int position)
{
    const FieldDecl& field = engine_.field(position);
    auto* label = new QLabel(field.label, this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(label, row, 0);

    Input input;
    input.position = position;
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    switch (field.kind) {
    case FieldKind::CodeList: {
        input.combo = new QComboBox(this);
        int columns = 1;
        for (const CodeChoice& choice : field.choices)
            columns = qMax(columns, 1 + int(choice.columns.size()));
        if (columns > 1) {
            // A list of several columns: the text in the box, every column
            // side by side when it opens.
            auto* model = new QStandardItemModel(0, columns, input.combo);
            for (const CodeChoice& choice : field.choices) {
                QList<QStandardItem*> items{new QStandardItem(choice.text)};
                items.first()->setData(choice.value, Qt::UserRole);
                for (const QString& text : choice.columns)
                    items.append(new QStandardItem(text));
                model->appendRow(items);
            }
            auto* view = new QTreeView(input.combo);
            view->setHeaderHidden(true);
            view->setRootIsDecorated(false);
            view->setAllColumnsShowFocus(true);
            input.combo->setModel(model);
            input.combo->setView(view);
            view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
            view->setMinimumWidth(360);
        } else {
            for (const CodeChoice& choice : field.choices)
                input.combo->addItem(choice.text, choice.value);
        }
        input.widget = input.combo;
        connect(input.combo, &QComboBox::activated, this, [this, position] {
            if (!busy_)
                pushText(inputs_[position - 1]);
            refresh();
        });
        break;
    }
    case FieldKind::Options: {
        // Option buttons in a row; the group's first button takes the focus.
        auto* row = new QWidget(this);
        auto* buttons = new QHBoxLayout(row);
        buttons->setContentsMargins(0, 0, 0, 0);
        input.options = new QButtonGroup(row);
        for (int at = 0; at < field.choices.size(); ++at) {
            auto* option = new QRadioButton(field.choices[at].text, row);
            input.options->addButton(option, at);
            buttons->addWidget(option);
            option->installEventFilter(this);
        }
        input.widget = row;
        connect(input.options, &QButtonGroup::idClicked, this, [this, position] {
            if (!busy_)
                pushText(inputs_[position - 1]);
            refresh();
        });
        break;
    }
    case FieldKind::Memo:
        input.memo = new QPlainTextEdit(this);
        input.memo->setTabChangesFocus(true);
        input.memo->setMinimumWidth(widthFor(input.memo, 30));
        input.memo->setFixedHeight(QFontMetrics(input.memo->font()).lineSpacing() * 4 + 12);
        input.widget = input.memo;
        break;
    case FieldKind::Flag:
        input.check = new QCheckBox(this);
        input.widget = input.check;
        connect(input.check, &QCheckBox::toggled, this, [this, position] {
            if (!busy_)
                pushText(inputs_[position - 1]);
            refresh();
        });
        break;
    case FieldKind::Key:
    case FieldKind::Text:
    case FieldKind::Number:
    case FieldKind::Date:
    case FieldKind::Reference: {
        input.edit = new QLineEdit(this);
        const int characters = field.picture.isEmpty() ? 30 : qMax(6, int(field.picture.size()) + 2);
        input.edit->setMinimumWidth(widthFor(input.edit, qMin(characters, 40)));
        if (field.picture.isEmpty() || field.picture.size() > 20)
            input.edit->setMinimumWidth(widthFor(input.edit, 28));
        else
            input.edit->setMaximumWidth(widthFor(input.edit, characters + 2));
        if (isNumericPicture(field.picture))
            input.edit->setAlignment(Qt::AlignRight);
        input.widget = input.edit;
        break;
    }
    }
    input.widget->installEventFilter(this);
    line->addWidget(input.widget);
    if (hasLookup(field)) {
        input.lookup = new QToolButton(this);
        input.lookup->setText(QStringLiteral("…"));
        input.lookup->setToolTip(QStringLiteral("Buscar (F4)"));
        input.lookup->setFocusPolicy(Qt::NoFocus);
        connect(input.lookup, &QToolButton::clicked, this, [this, position] { lookUp(position); });
        line->addWidget(input.lookup);
    }
    if (field.kind == FieldKind::Reference) {
        input.description = new QLabel(this);
        input.description->setMinimumWidth(dense_ ? 120 : 200);
        line->addWidget(input.description, 1);
    }
    const QList<ComputedLabel>& labels = engine_.declaration().labels;
    for (int index = 0; index < labels.size(); ++index) {
        if (labels[index].beside.compare(field.name, Qt::CaseInsensitive) != 0)
            continue;
        if (computedLabels_.size() <= index)
            computedLabels_.resize(labels.size());
        auto* beside = new QLabel(this);
        beside->setObjectName(labels[index].name);
        computedLabels_[index] = beside;
        line->addWidget(beside);
    }
    if (field.kind != FieldKind::Reference)
        line->addStretch(1);
    layout->addLayout(line, row, 1, 1, 2);
    inputs_.append(input);
    std::sort(inputs_.begin(), inputs_.end(), [](const Input& a, const Input& b) { return a.position < b.position; });
}

QWidget* TransactionWindow::input(int position) const
{
    for (const Input& input : inputs_) {
        if (input.position == position)
            return input.widget;
    }
    return nullptr;
}

int TransactionWindow::positionOf(QObject* widget) const
{
    for (const Input& input : inputs_) {
        if (input.widget == widget)
            return input.position;
        if (input.options && input.options->buttons().contains(static_cast<QAbstractButton*>(widget)))
            return input.position;
    }
    return 0;
}

bool TransactionWindow::pushText(const Input& input)
{
    QString text;
    if (input.edit) {
        if (!input.edit->isModified())
            return true;
        text = input.edit->text();
    } else if (input.combo) {
        text = input.combo->currentText();
    } else if (input.check) {
        text = input.check->isChecked() ? QStringLiteral("S") : QStringLiteral("N");
    } else if (input.memo) {
        if (!input.memo->document()->isModified())
            return true;
        text = input.memo->toPlainText();
    } else if (input.options) {
        const int chosen = input.options->checkedId();
        if (chosen < 0)
            return true;
        text = engine_.field(input.position).choices.at(chosen).value.toString();
    }
    if (!engine_.isEnabled(input.position) || engine_.isReadOnly(input.position))
        return true;
    QString error;
    if (engine_.setText(input.position, text, &error)) {
        if (input.edit)
            input.edit->setModified(false);
        if (input.memo)
            input.memo->document()->setModified(false);
        return true;
    }
    busy_ = true;
    engine_.ui().message(error, MessageIcon::Exclamation);
    busy_ = false;
    if (input.widget)
        input.widget->setFocus(Qt::OtherFocusReason);
    return false;
}

void TransactionWindow::focusEntered(int position)
{
    if (busy_ || closing_)
        return;
    busy_ = true;
    engine_.focusEntered(position);
    busy_ = false;
    refresh();
}

bool TransactionWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int position = positionOf(watched);
    if (position == 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut && !busy_ && !closing_) {
        for (const Input& input : inputs_) {
            if (input.position == position && (input.edit || input.memo) && pushText(input))
                refresh();
        }
    }
    if (event->type() == QEvent::FocusIn) {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (isNavigation(focus->reason()))
            focusEntered(position);
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (busy_)
            return true;
        if (key->key() == Qt::Key_F4 && hasLookup(engine_.field(position))) {
            lookUp(position);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TransactionWindow::lookUp(int position)
{
    if (busy_)
        return;
    const FieldDecl& field = engine_.field(position);
    // The list is called with what the field (and its parent field) show,
    // even when it has not been handed over yet.
    const int parent = field.reference.parentField.isEmpty() ? 0 : engine_.position(field.reference.parentField);
    for (const Input& input : inputs_) {
        if ((input.position == position || input.position == parent) && !pushText(input))
            return;
    }
    QString key = engine_.value(field.name).toString();
    if (!field.reference.parentField.isEmpty())
        key = pickerKey(engine_.value(field.reference.parentField).toString(), key);
    QString mode;
    busy_ = true;
    const bool called = engine_.ui().callObject(field.reference.listObject, key, mode);
    busy_ = false;
    if (called) {
        engine_.setText(position, key);
        focusEntered(position + 1 <= engine_.fieldCount() ? position + 1 : position);
    }
    refresh();
}

bool TransactionWindow::handOverTyping()
{
    // What is being typed counts: an input whose text changed since it was
    // last handed over hands it over now, and so does an open cell.
    for (LinesView* grid : {linesView_, sublinesView_}) {
        if (grid)
            grid->commitPendingEdit();
    }
    for (const Input& input : inputs_) {
        if ((input.edit || input.memo) && !pushText(input))
            return false;
    }
    return true;
}

void TransactionWindow::confirm()
{
    if (busy_ || !engine_.confirmEnabled())
        return;
    if (!handOverTyping())
        return;
    busy_ = true;
    engine_.confirm();
    busy_ = false;
    refresh();
    closeIfRequested();
}

void TransactionWindow::refresh()
{
    const bool wasBusy = busy_;
    busy_ = true;
    for (const Input& input : inputs_) {
        const QString text = engine_.text(input.position);
        const bool enabled = engine_.isEnabled(input.position);
        const bool readOnly = engine_.isReadOnly(input.position);
        if (input.edit) {
            // What was typed and not yet handed over stays as typed.
            if (!input.edit->isModified()) {
                input.edit->setText(text);
                input.edit->setModified(false);
            }
            input.edit->setReadOnly(readOnly);
        } else if (input.combo) {
            if (engine_.field(input.position).choicesNow) {
                const QList<CodeChoice> offered = engine_.choices(input.position);
                if (offered.size() != input.combo->count()) {
                    input.combo->clear();
                    for (const CodeChoice& choice : offered)
                        input.combo->addItem(choice.text, choice.value);
                }
            }
            input.combo->setCurrentIndex(input.combo->findText(text));
        } else if (input.check) {
            input.check->setChecked(engine_.isChecked(input.position));
        } else if (input.memo) {
            if (!input.memo->document()->isModified()) {
                input.memo->setPlainText(text);
                input.memo->document()->setModified(false);
            }
            input.memo->setReadOnly(readOnly);
        } else if (input.options) {
            const QList<CodeChoice>& choices = engine_.field(input.position).choices;
            for (int at = 0; at < choices.size(); ++at) {
                if (choices[at].text == text)
                    input.options->button(at)->setChecked(true);
            }
        }
        input.widget->setEnabled(enabled && (input.edit || input.memo || !readOnly));
        if (input.lookup)
            input.lookup->setEnabled(enabled && !readOnly);
        if (input.description)
            input.description->setText(engine_.referenceDescription(input.position));
    }
    for (QAbstractButton* button : confirmButtons_)
        button->setEnabled(engine_.confirmEnabled());
    for (const auto& [action, button] : std::as_const(commandButtons_))
        button->setEnabled(engine_.commandEnabled(action));
    for (int index = 0; index < computedLabels_.size(); ++index) {
        if (QLabel* label = computedLabels_[index])
            label->setText(engine_.labelText(index));
    }
    if (LineTable* lines = engine_.lines(); lines && linesModel_) {
        lines->follow();
        static_cast<LinesModel*>(linesModel_)->reload();
        if (sublinesModel_)
            sublinesModel_->setLines(lines->sublines(linesView_->currentIndex().isValid()
                                                         ? linesView_->currentIndex().row() : 0));
    }
    const int focus = engine_.takeFocusRequest();
    if (QWidget* target = input(focus)) {
        // A refusal on another page brings that page forward first.
        if (auto* tabs = findChild<QTabWidget*>()) {
            for (int page = 0; page < tabs->count(); ++page) {
                if (tabs->widget(page)->isAncestorOf(target))
                    tabs->setCurrentIndex(page);
            }
        }
        target->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->selectAll();
    }
    busy_ = wasBusy;
}

void TransactionWindow::press(const QString& action)
{
    if (busy_)
        return;
    if (!handOverTyping())
        return;
    busy_ = true;
    engine_.press(action);
    busy_ = false;
    refresh();
    closeIfRequested();
}

QAbstractButton* TransactionWindow::commandButton(const QString& action) const
{
    for (const auto& [name, button] : commandButtons_) {
        if (name.compare(action, Qt::CaseInsensitive) == 0)
            return button;
    }
    return nullptr;
}

void TransactionWindow::help()
{
    showHelp(engine_.declaration().name, this);
}

void TransactionWindow::closeIfRequested()
{
    if (engine_.closeRequested() || engine_.isClosed())
        closeWindow(this);
}

void TransactionWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    closing_ = true;
    if (!engine_.isClosed())
        engine_.close();
    event->accept();
    emit closed();
}

void TransactionWindow::activated()
{
    // Back in front after another window: panel 1 shows the mode code until
    // the next validation or confirm puts the mode word back.
    if (!activatedBefore_) {
        activatedBefore_ = true;  // the first time is the opening, not a return
        return;
    }
    if (!closing_ && !busy_ && !engine_.isClosed())
        engine_.activated();
}

void TransactionWindow::keyPressEvent(QKeyEvent* event)
{
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
