#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class Database;
class QHBoxLayout;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QTableWidget;
class UiPort;
struct WindowCall;

// Pieces the users and profiles windows share: the read-only list grid, the
// captioned command buttons, the keys every form answers and the copy form.

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

/// Confirm (when `confirm` is given), Help and Close in a row at the foot of
/// `form`; Help opens `helpTopic`.
QHBoxLayout* formCommands(QWidget* form, QPushButton** confirm, const QString& helpTopic);

/// F1 help, Escape close and, when `confirm` is given, Enter confirm: the
/// keys of every form here. True when the key was taken.
bool formKey(QWidget* form, QKeyEvent* event, const QString& helpTopic, const std::function<void()>& confirm);

/// The keys of a list's grid: Enter modifies, Delete removes, Insert adds.
/// True when the key was taken.
bool listGridKey(const QKeyEvent* event, const std::function<void()>& add, const std::function<void()>& modify,
                 const std::function<void()>& remove);

/// What tells the user copy from the profile copy.
struct CopyFormDecl {
    QString object;        ///< "WCOPIAUS": the object name and its help topic
    QString title;         ///< "Copiar usuario"
    QString sourceLabel;   ///< "Usuario origen:"
    QString targetLabel;   ///< "&Usuario nuevo:"
    int width = 20;        ///< characters the new key takes
    /// Asks, copies and audits; false when refused or answered No.
    std::function<bool(Database&, UiPort&, const QString& source, const QString& target)> copy;
};

/// `WCOPIAUS` and `WCOPIAPE`: copies the record passed as the key to a new
/// key, handed back in capitals once copied.
class CopyFormWindow : public QWidget {
    Q_OBJECT
public:
    CopyFormWindow(CopyFormDecl declaration, Database& database, UiPort& ui, std::shared_ptr<WindowCall> call,
                   QWidget* parent = nullptr);

    QLineEdit* targetEdit() const { return target_; }
    void confirm();
    QSize sizeHint() const override { return {440, 150}; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CopyFormDecl declaration_;
    Database& database_;
    UiPort& ui_;
    std::shared_ptr<WindowCall> call_;
    QLineEdit* target_;
    bool busy_ = false;
};
