#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QWidget>

class QAbstractButton;
class QLayout;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class WorkPanel;

/// The grid's rows, read from the panel's work table a page at a time: the
/// view asks for more rows as it scrolls (canFetchMore / fetchMore).
class WorkPanelModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit WorkPanelModel(WorkPanel& panel, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    /// The panel reloaded its rows: the view starts again.
    void reload();

private:
    WorkPanel& panel_;
    int shown_ = 0;
};

/// The window of any work panel or selection prompt: the grid, the
/// description filter when the panel has one, and the commands, each as a
/// picture button and as a captioned button.
class WorkPanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit WorkPanelWindow(WorkPanel& panel, QWidget* parent = nullptr);

    WorkPanel& panel() const { return panel_; }
    QTableView* grid() const { return grid_; }
    WorkPanelModel* model() const { return model_; }
    /// The commands, as the buttons and the actions menu run them.
    void add();
    void modify();
    void remove();
    void print();
    void refresh();
    void confirmSelection();
    /// Presses the declaration's command `action` on the current row.
    void press(const QString& action);
    /// Runs the command of the actions menu with `key` ("Agregar", ...);
    /// false when the panel has no such command.
    bool runAction(const QString& key);
    /// The entries of the actions menu.
    QStringList actions() const;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<int> selectedRows() const;
    void afterCommand(int row);
    void applyPermissions();
    /// The declaration's filters, in a row above the grid.
    QLayout* buildFilters();
    /// The detail grid's rows of list row `row`.
    void showDetail(int row);
    /// Columns as wide as their headings and contents; the description
    /// column takes the rest of the window.
    void fitColumns();
    void help();

    WorkPanel& panel_;
    WorkPanelModel* model_;
    QTableView* grid_;
    QTableWidget* detail_ = nullptr;  ///< the detail grid, when the panel has one
    QLineEdit* filter_ = nullptr;
    QList<QAbstractButton*> addButtons_;
    QList<QAbstractButton*> deleteButtons_;
    QList<QPushButton*> commandButtons_;
    bool busy_ = false;
};
