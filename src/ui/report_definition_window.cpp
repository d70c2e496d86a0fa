#include "ui/report_definition_window.h"

#include "reports/report_definition_calculated.h"
#include "reports/report_subjects.h"
#include "support/ui_port.h"
#include "tables/attributes_procedures.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/report_definition_window_dialogs.h"
#include "ui/report_run_window.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString helpTopic = u"HLP_WDefInfo.htm"_s;

QWidget* makeDefinitionWindow(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new ReportDefinitionWindow(database, ui, call);
}

QString pageCaption(ReportList list)
{
    switch (list) {
    case ReportList::Data:
        return u"Datos"_s;
    case ReportList::Classification:
        return u"Clasificación"_s;
    case ReportList::Filter:
        return u"Filtro"_s;
    }
    return {};
}

QString pageName(ReportList list)
{
    switch (list) {
    case ReportList::Data:
        return u"Datos"_s;
    case ReportList::Classification:
        return u"Clasificacion"_s;
    case ReportList::Filter:
        return u"Filtro"_s;
    }
    return {};
}

constexpr std::array<ReportList, 3> everyList{ReportList::Data, ReportList::Classification, ReportList::Filter};

}  // namespace

ReportDefinitionWindow::ReportDefinitionWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                                               QWidget* parent)
    : QWidget(parent),
      database_(database),
      ui_(ui),
      call_(std::move(call)),
      editor_(std::make_unique<ReportDefinitionEditor>(database, ui)),
      description_(new QLineEdit(this)),
      detailed_(new QRadioButton(u"De&tallado"_s, this)),
      summarised_(new QRadioButton(u"Resumid&o"_s, this)),
      folder_(new QComboBox(this)),
      category_(new QComboBox(this)),
      lastRun_(new QLabel(this)),
      pages_(new QTabWidget(this))
{
    setObjectName(u"WDEFINFO"_s);
    const QString mode = call_ && !call_->mode.isEmpty() ? call_->mode : u"INS"_s;
    const bool started = editor_->start(call_ ? call_->key : QString(), mode);
    editor_->setAccumulatorNames(accumulatorNames(database_));
    setWindowTitle(editor_->mode() == u"INS"_s ? u"Nuevo informe"_s : u"Definición de informe"_s);
    setWindowIcon(picture("tabla.ico"));

    const ReportDefinition& definition = editor_->definition();
    auto* layout = new QVBoxLayout(this);
    auto* header = new QGridLayout;
    description_->setObjectName(u"InfDes"_s);
    description_->setMaxLength(60);
    description_->setText(definition.description);
    auto* descriptionLabel = new QLabel(u"&Descripción:"_s, this);
    descriptionLabel->setBuddy(description_);
    header->addWidget(descriptionLabel, 0, 0);
    header->addWidget(description_, 0, 1, 1, 3);

    auto* kind = new QButtonGroup(this);
    kind->addButton(detailed_);
    kind->addButton(summarised_);
    detailed_->setChecked(definition.detailOrSummary == u"D"_s);
    summarised_->setChecked(definition.detailOrSummary == u"R"_s);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(detailed_);
    kindRow->addWidget(summarised_);
    kindRow->addStretch();
    header->addWidget(new QLabel(u"Tipo:"_s, this), 1, 0);
    header->addLayout(kindRow, 1, 1);

    folder_->setObjectName(u"InfCarId"_s);
    folder_->addItem(QString(), 0);
    for (const ReportFolder& entry : editor_->folders())
        folder_->addItem(entry.description, entry.id);
    folder_->setCurrentIndex(std::max(0, folder_->findData(definition.folder)));
    folder_->setMinimumContentsLength(20);
    auto* folderLabel = new QLabel(u"Car&peta:"_s, this);
    folderLabel->setBuddy(folder_);
    header->addWidget(folderLabel, 2, 0);
    header->addWidget(folder_, 2, 1);

    category_->setObjectName(u"InfCategor"_s);
    category_->addItem(u"Sin categoría"_s, 0);
    for (int number = 1; number <= 9; ++number)
        category_->addItem(u"Categoría %1"_s.arg(number), number);
    category_->setCurrentIndex(std::max(0, category_->findData(definition.category)));
    auto* categoryLabel = new QLabel(u"Cate&goría:"_s, this);
    categoryLabel->setBuddy(category_);
    header->addWidget(categoryLabel, 2, 2);
    header->addWidget(category_, 2, 3);
    lastRun_->setText(editor_->lastRun());
    header->addWidget(lastRun_, 1, 2, 1, 2);
    header->setColumnStretch(1, 1);
    layout->addLayout(header);

    for (ReportList list : everyList)
        pages_->addTab(makeListPage(list), pageCaption(list));
    layout->addWidget(pages_, 1);

    auto* tools = new QHBoxLayout;
    auto* calculated = new QPushButton(u"Cá&lculo"_s, this);
    calculated->setObjectName(u"Calculo"_s);
    calculated->setToolTip(u"Columnas calculadas del informe"_s);
    connect(calculated, &QPushButton::clicked, this, &ReportDefinitionWindow::openCalculated);
    auto* check = new QPushButton(u"Controlar &fórmulas"_s, this);
    check->setObjectName(u"ControlFormulas"_s);
    connect(check, &QPushButton::clicked, this, &ReportDefinitionWindow::checkFormulas);
    auto* renew = new QPushButton(u"Reno&var lista de campos"_s, this);
    renew->setObjectName(u"Renovar"_s);
    connect(renew, &QPushButton::clicked, this, &ReportDefinitionWindow::renewFields);
    // A run reads the definition as saved: a new one runs once it is.
    emit_ = new QPushButton(u"Emiti&r"_s, this);
    emit_->setObjectName(u"Emitir"_s);
    emit_->setToolTip(u"Emite el informe tal como está guardado"_s);
    emit_->setEnabled(started && definition.id > 0);
    connect(emit_, &QPushButton::clicked, this, &ReportDefinitionWindow::emitSaved);
    tools->addWidget(calculated);
    tools->addWidget(check);
    tools->addWidget(renew);
    tools->addStretch();
    tools->addWidget(emit_);
    layout->addLayout(tools);

    QPushButton* confirmButton = nullptr;
    layout->addLayout(formCommands(this, &confirmButton, helpTopic));
    connect(confirmButton, &QPushButton::clicked, this, &ReportDefinitionWindow::confirm);
    confirmButton->setEnabled(started && !editor_->isReadOnly());
    setEnabled(started);

    refreshAll();
    description_->setFocus();
    setMinimumSize(780, 520);
    resize(860, 580);
}

ReportDefinitionWindow::~ReportDefinitionWindow() = default;

QWidget* ReportDefinitionWindow::makeListPage(ReportList list)
{
    auto* page = new QWidget(this);
    page->setObjectName(pageName(list));
    ListPage& parts = lists_[static_cast<int>(list)];
    auto* grid = new QGridLayout(page);

    parts.subject = new QComboBox(page);
    parts.subject->setObjectName(u"Tema"_s);
    for (const ReportSubjects::Subject& subject : ReportSubjects::all)
        parts.subject->addItem(QString::fromUtf16(subject.name), subject.group);
    parts.subject->setCurrentIndex(std::max(0, parts.subject->findData(editor_->subject(list))));
    parts.narrowing = new QLineEdit(page);
    parts.narrowing->setObjectName(u"Conteniendo"_s);
    parts.narrowing->setPlaceholderText(u"parte de la descripción"_s);
    parts.narrowing->setMinimumWidth(200);
    parts.available = new QListWidget(page);
    parts.available->setObjectName(u"Disponibles"_s);
    parts.chosen = new QListWidget(page);
    parts.chosen->setObjectName(u"Elegidos"_s);

    auto* subjectLabel = new QLabel(u"Te&ma:"_s, page);
    subjectLabel->setBuddy(parts.subject);
    auto* narrowingLabel = new QLabel(u"Co&nteniendo:"_s, page);
    narrowingLabel->setBuddy(parts.narrowing);
    auto* filters = new QFormLayout;
    filters->addRow(subjectLabel, parts.subject);
    filters->addRow(narrowingLabel, parts.narrowing);
    grid->addLayout(filters, 0, 0);
    grid->addWidget(new QLabel(u"Campos disponibles"_s, page), 1, 0);
    grid->addWidget(parts.available, 2, 0);
    grid->addWidget(new QLabel(u"Campos elegidos"_s, page), 1, 2);
    grid->addWidget(parts.chosen, 2, 2);

    auto* buttons = new QVBoxLayout;
    auto button = [&](const QString& caption, const QString& name) {
        auto* made = new QPushButton(caption, page);
        made->setObjectName(name);
        buttons->addWidget(made);
        return made;
    };
    parts.add = button(u"&Agregar >"_s, u"Agregar"_s);
    parts.remove = button(u"< &Eliminar"_s, u"Eliminar"_s);
    parts.up = button(u"&Subir"_s, u"Subir"_s);
    parts.down = button(u"Ba&jar"_s, u"Bajar"_s);
    if (list == ReportList::Classification) {
        subtotal_ = button(u"Su&btotal"_s, u"Subtotal"_s);
        subtotal_->setToolTip(u"Marca o desmarca el campo para totalizar en cada cambio (*)"_s);
        connect(subtotal_, &QPushButton::clicked, this, [this] {
            const int row = lists_[1].chosen->currentRow();
            if (editor_->toggleSubtotal(row))
                refresh(ReportList::Classification, row);
        });
    }
    if (list == ReportList::Filter) {
        condition_ = button(u"Cond&ición..."_s, u"Condicion"_s);
        connect(condition_, &QPushButton::clicked, this, [this] { editFilter(lists_[2].chosen->currentRow()); });
        connect(parts.chosen, &QListWidget::itemDoubleClicked, this,
                [this] { editFilter(lists_[2].chosen->currentRow()); });
    }
    buttons->addStretch();
    grid->addLayout(buttons, 2, 1);
    // The chosen list shows filter conditions beside the names: it gets the room.
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 3);

    connect(parts.subject, &QComboBox::currentIndexChanged, this, [this, list](int index) {
        editor_->setSubject(list, lists_[static_cast<int>(list)].subject->itemData(index).toInt());
        refresh(list);
    });
    connect(parts.narrowing, &QLineEdit::textChanged, this, [this, list](const QString& text) {
        editor_->setNarrowing(list, text);
        refresh(list);
    });
    connect(parts.add, &QPushButton::clicked, this, [this, list] { addChosen(list); });
    connect(parts.available, &QListWidget::itemDoubleClicked, this, [this, list] { addChosen(list); });
    connect(parts.remove, &QPushButton::clicked, this, [this, list] {
        const int row = lists_[static_cast<int>(list)].chosen->currentRow();
        if (editor_->remove(list, row))
            refresh(list, std::min(row, int(editor_->chosen(list).size()) - 1));
    });
    connect(parts.up, &QPushButton::clicked, this, [this, list] {
        const int row = lists_[static_cast<int>(list)].chosen->currentRow();
        if (editor_->moveUp(list, row))
            refresh(list, row - 1);
    });
    connect(parts.down, &QPushButton::clicked, this, [this, list] {
        const int row = lists_[static_cast<int>(list)].chosen->currentRow();
        if (editor_->moveDown(list, row))
            refresh(list, row + 1);
    });
    return page;
}

void ReportDefinitionWindow::refresh(ReportList list, int chosenRow)
{
    const ListPage& parts = lists_[static_cast<int>(list)];
    const int availableRow = parts.available->currentRow();
    parts.available->clear();
    for (const ReportListEntry& entry : editor_->available(list)) {
        auto* item = new QListWidgetItem(entry.text, parts.available);
        item->setData(Qt::UserRole, entry.field);
    }
    parts.available->setCurrentRow(std::min(availableRow, parts.available->count() - 1));
    parts.chosen->clear();
    const QList<ReportListEntry> chosen = editor_->chosen(list);
    for (int row = 0; row < chosen.size(); ++row) {
        auto* item = new QListWidgetItem(chosen.at(row).text, parts.chosen);
        item->setData(Qt::UserRole, chosen.at(row).field);
        if (list == ReportList::Filter) {
            const FilterField& filter = editor_->filterAt(row);
            item->setText(chosen.at(row).text + (filter.condition.isEmpty() ? QString() : u"  ("_s + filter.condition + u')')
                          + (filter.isFixed() ? QString() : u"  [emisión]"_s));
        }
    }
    if (chosenRow >= 0)
        parts.chosen->setCurrentRow(chosenRow);
}

void ReportDefinitionWindow::refreshAll()
{
    for (ReportList list : everyList)
        refresh(list);
}

void ReportDefinitionWindow::addChosen(ReportList list)
{
    const QListWidgetItem* item = lists_[static_cast<int>(list)].available->currentItem();
    if (!item || !editor_->add(list, item->data(Qt::UserRole).toInt()))
        return;
    const int row = int(editor_->chosen(list).size()) - 1;
    refresh(list, row);
    if (list == ReportList::Filter)
        editFilter(row);
}

void ReportDefinitionWindow::editFilter(int row)
{
    if (row < 0 || row >= editor_->definition().filters.size())
        return;
    FilterField filter = editor_->filterAt(row);
    const ReportField* field = editor_->catalogue().find(filter.field);
    if (!field)
        return;
    if (editFilterDialog(this, ui_, *field, filter)) {
        editor_->setFilter(row, filter);
        refresh(ReportList::Filter, row);
    }
}

void ReportDefinitionWindow::openCalculated()
{
    calculatedColumnsDialog(this, database_, ui_, *editor_);
    refresh(ReportList::Data);
}

void ReportDefinitionWindow::checkFormulas()
{
    formulaCheckDialog(this, editor_->checkFormulas());
}

void ReportDefinitionWindow::renewFields()
{
    if (DbError error = PACTUALI(database_))
        ui_.message(error.fullText(), MessageIcon::Exclamation);
    editor_->reloadCatalogue();
    refreshAll();
}

void ReportDefinitionWindow::emitSaved()
{
    const int report = editor_->definition().id;
    if (report <= 0 || !emitReport(this, database_, ui_, report))
        return;
    ReportDefinition saved;
    if (readReportDefinition(database_, report, saved))
        lastRun_->setText(lastRunText(saved));
}

void ReportDefinitionWindow::takeHeader()
{
    editor_->setDescription(description_->text());
    editor_->setDetailOrSummary(detailed_->isChecked() ? u"D"_s : summarised_->isChecked() ? u"R"_s : QString());
    editor_->setFolder(folder_->currentData().toInt());
    editor_->setCategory(category_->currentData().toInt());
}

void ReportDefinitionWindow::focusRefused()
{
    switch (editor_->focus()) {
    case ReportEditorFocus::None:
        return;
    case ReportEditorFocus::Description:
        description_->setFocus();
        return;
    case ReportEditorFocus::DetailOrSummary:
        detailed_->setFocus();
        return;
    case ReportEditorFocus::DataList:
        pages_->setCurrentIndex(0);
        lists_[0].chosen->setFocus();
        return;
    }
}

void ReportDefinitionWindow::confirm()
{
    if (editor_->isReadOnly())
        return;
    takeHeader();
    if (!editor_->confirm()) {
        focusRefused();
        return;
    }
    if (call_) {
        call_->key = QString::number(editor_->definition().id);
        call_->mode = editor_->mode();
    }
    closeWindow(this);
}

void ReportDefinitionWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void ReportDefinitionWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter belongs to the lists here (double click adds); Confirm is a button.
    if (isEnterKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!formKey(this, event, helpTopic, {}))
        QWidget::keyPressEvent(event);
}

void registerReportDefinitionWindows()
{
    WindowRegistry::add(u"WDEFINFO"_s, u"Definición de informe"_s, &makeDefinitionWindow);
}
