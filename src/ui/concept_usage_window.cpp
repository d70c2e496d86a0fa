// The window of WCONUSAD: the accumulators the concept feeds and the
// accounting-entry lines that take it, each grid with its button, and the
// other places that name the concept under them.
#include "payroll/concept_usage.h"
#include "ui/concept_maintenance_windows.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QTableWidget* newGrid(QWidget* parent, const QString& name, const QStringList& headings)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setColumnCount(static_cast<int>(headings.size()));
    grid->setHorizontalHeaderLabels(headings);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void fill(QTableWidget* grid, const QList<UsageRow>& rows)
{
    const int current = grid->currentRow();
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < grid->columnCount(); ++column)
            grid->setItem(row, column, new QTableWidgetItem(rows.at(row).cells.value(column)));
    }
    if (!rows.isEmpty())
        grid->setCurrentCell(std::clamp(current, 0, static_cast<int>(rows.size()) - 1), 0);
    grid->resizeColumnsToContents();
}

/// A frame with its caption around `grid`, and `button` under it when given.
QGroupBox* framed(QWidget* parent, const QString& caption, QTableWidget* grid, QPushButton* button = nullptr)
{
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(grid);
    if (button) {
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(button);
        layout->addLayout(row);
    }
    return frame;
}

QWidget* makeConceptUsage(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call)
{
    auto panel = std::make_shared<WCONUSAD>(database, ui);
    panel->start(call ? call->key : QString());
    auto* window = new ProcedureWindow(u"WCONUSAD"_s, panel->title());
    QTableWidget* accumulators = newGrid(window, u"Acumuladores"_s, accumulatorHeadings());
    QTableWidget* entries = newGrid(window, u"Asientos"_s, entryHeadings());
    QTableWidget* elsewhere = newGrid(window, u"OtrosUsos"_s, elsewhereHeadings());
    auto show = [panel, accumulators, entries, elsewhere] {
        fill(accumulators, panel->usage().accumulators);
        fill(entries, panel->usage().entries);
        fill(elsewhere, panel->usage().elsewhere);
    };
    show();

    auto* accumulatorButton = new QPushButton(u"Modifica &acumulador"_s, window);
    accumulatorButton->setToolTip(u"Modifica acumulador en el cual se utiliza el concepto"_s);
    auto* entryButton = new QPushButton(u"Modifica &línea de asiento"_s, window);
    entryButton->setToolTip(u"Modifica la linea del asiento en la cual se utiliza el concepto"_s);
    auto modifyAccumulator = [panel, accumulators, show] {
        if (panel->modifyAccumulator(accumulators->currentRow()))
            show();
    };
    auto modifyEntryLine = [panel, entries, show] {
        if (panel->modifyEntryLine(entries->currentRow()))
            show();
    };
    QObject::connect(accumulatorButton, &QPushButton::clicked, window, modifyAccumulator);
    QObject::connect(entryButton, &QPushButton::clicked, window, modifyEntryLine);
    QObject::connect(accumulators, &QTableWidget::cellDoubleClicked, window, modifyAccumulator);
    QObject::connect(entries, &QTableWidget::cellDoubleClicked, window, modifyEntryLine);

    auto* layout = static_cast<QBoxLayout*>(window->layout());
    layout->insertWidget(0, framed(window, u"Acumuladores"_s, accumulators, accumulatorButton), 2);
    layout->insertWidget(1, framed(window, u"Asientos"_s, entries, entryButton), 1);
    layout->insertWidget(2, framed(window, u"Otros usos"_s, elsewhere), 2);
    // Confirm has nothing to write here: it reads the grids again.
    window->finish(u"&Actualizar"_s, [panel, show] {
        if (panel->refresh())
            show();
        return false;
    });
    window->resize(820, 640);
    accumulators->setFocus();
    return window;
}

}  // namespace

void registerConceptUsageWindow()
{
    WindowRegistry::add(u"WCONUSAD"_s, u"Usado en"_s, &makeConceptUsage);
}
