#include "ui/concept_applications_window.h"

#include "payroll/concept_applications.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"
#include "ui/window_registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString helpTopic = QStringLiteral("HLP_WConApli.htm");

QWidget* makeConceptApplications(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    return new ConceptApplicationsWindow(database, ui, call);
}

}  // namespace

ConceptApplicationsWindow::ConceptApplicationsWindow(Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                                                     QWidget* parent)
    : QWidget(parent),
      panel_(std::make_unique<WCONAPLI>(database, ui)),
      grid_(new QTableWidget(this)),
      help_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("WCONAPLI"));
    panel_->start(call ? call->key : QString(), call && !call->mode.isEmpty() ? call->mode : QStringLiteral("UPD"));
    setWindowTitle(panel_->title());
    setWindowIcon(picture("tabla.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Concepto: ") + QString::number(panel_->conceptCode()) + QStringLiteral(" - ")
                                     + panel_->conceptDescription(),
                                 this));
    grid_->setColumnCount(WCONAPLI::ColumnCount);
    grid_->setRowCount(panel_->rowCount());
    QStringList headings;
    for (int column = 0; column < WCONAPLI::ColumnCount; ++column)
        headings << WCONAPLI::heading(column);
    grid_->setHorizontalHeaderLabels(headings);
    for (int row = 0; row < panel_->rowCount(); ++row) {
        for (int column = 0; column < WCONAPLI::ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(panel_->text(row, column));
            if (column != WCONAPLI::Condition || !panel_->editable())
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            grid_->setItem(row, column, item);
        }
    }
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(WCONAPLI::Field, 200);
    grid_->setColumnWidth(WCONAPLI::Condition, 200);
    layout->addWidget(grid_, 1);

    help_->setReadOnly(true);
    help_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    help_->setMaximumHeight(150);
    layout->addWidget(help_);

    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { showHelp(row); });
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (busy_ || item->column() != WCONAPLI::Condition)
            return;
        panel_->setCondition(item->row(), item->text());
        const QString shown = panel_->text(item->row(), WCONAPLI::Condition);
        if (shown != item->text()) {
            busy_ = true;
            item->setText(shown);
            busy_ = false;
        }
    });

    QPushButton* confirmButton = nullptr;
    layout->addLayout(formCommands(this, &confirmButton, helpTopic));
    confirmButton->setEnabled(panel_->editable());
    connect(confirmButton, &QPushButton::clicked, this, &ConceptApplicationsWindow::confirm);
    if (panel_->rowCount() > 0)
        grid_->setCurrentCell(0, WCONAPLI::Condition);
    showHelp(0);
    resize(900, 520);
}

ConceptApplicationsWindow::~ConceptApplicationsWindow() = default;

void ConceptApplicationsWindow::showHelp(int row)
{
    panel_->setCurrentRow(row);
    help_->setPlainText(panel_->helpLines(row).join(u'\n'));
}

void ConceptApplicationsWindow::confirm()
{
    if (busy_ || !panel_->editable())
        return;
    busy_ = true;
    setEnabled(false);
    const bool done = panel_->confirm();
    setEnabled(true);
    // The panel trims and capitalises what it checks: the grid shows that.
    for (int row = 0; row < panel_->rowCount(); ++row)
        grid_->item(row, WCONAPLI::Condition)->setText(panel_->text(row, WCONAPLI::Condition));
    busy_ = false;
    if (done) {
        closeWindow(this);
        return;
    }
    grid_->setCurrentCell(panel_->currentRow(), WCONAPLI::Condition);
    grid_->setFocus();
}

void ConceptApplicationsWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void ConceptApplicationsWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, helpTopic, [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}

void registerConceptApplicationsWindow()
{
    WindowRegistry::add(QStringLiteral("WCONAPLI"), QStringLiteral("Se aplica a"), &makeConceptApplications);
}
