#pragma once

#include <QString>
#include <QList>
#include <QStringList>

class QKeyEvent;
class QPushButton;
class QTableWidget;
class QWidget;

// Pieces the users and profiles windows share: the read-only list grid, the
// captioned command buttons and the keys every form answers.

/// A grid of whole rows, one selectable at a time, not editable, with
/// `headings` as its columns.
QTableWidget* newListGrid(QWidget* parent, const QStringList& headings);

/// Puts `cells` into row `row` of `grid` (rows are added as needed);
/// `rightAligned` columns hold numbers.
void setGridRow(QTableWidget* grid, int row, const QStringList& cells, const QList<int>& rightAligned = {});

/// A command button with its picture and caption ("&Agregar", "agregar.ico").
QPushButton* newCommand(QWidget* parent, const QString& caption, const QString& icon);

/// Whether `event` is Enter or Return without modifiers.
bool isEnterKey(const QKeyEvent* event);

/// Selects the row of `grid` whose column 0 is `key` (any letter case), or
/// the first row; keeps the grid's focus.
void selectRowWithKey(QTableWidget* grid, const QString& key);
