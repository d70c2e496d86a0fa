#include "ui/security_window_parts.h"

#include "ui/pictures.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>

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
