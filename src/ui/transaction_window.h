#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QPlainTextEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class LineTable;
class LinesModel;
class LinesView;
class QVBoxLayout;
class QAbstractTableModel;
class QTableView;
class Transaction;

/// The window of any transaction: one labelled input per field in field
/// order (on tab pages and in frames when the declaration has them), the
/// computed labels, the grid of lines, the declaration's own commands, and
/// the three commands Confirm, Help and Close, each offered as a picture
/// button and as a captioned button. The window only draws: every rule runs
/// in the Transaction engine, which the window drives as the focus moves.
class TransactionWindow : public QWidget {
    Q_OBJECT
public:
    explicit TransactionWindow(Transaction& engine, QWidget* parent = nullptr);
    ~TransactionWindow() override;

    Transaction& engine() const { return engine_; }
    /// The input of field `position` (from 1).
    QWidget* input(int position) const;
    /// Confirm, as both confirm buttons do.
    void confirm();
    /// Presses the declaration's command `action`, as its button does.
    void press(const QString& action);
    /// The button of command `action`.
    QAbstractButton* commandButton(const QString& action) const;
    /// The grid of the lines, or nullptr.
    QTableView* linesView() const;
    /// The grid of the lines of the current line (a third level), or nullptr.
    QTableView* sublinesView() const;
    /// The label showing computed label `index`.
    QLabel* computedLabel(int index) const { return computedLabels_.value(index); }
    /// Shows what the engine holds: texts, enabled inputs, focus, Confirm.
    void refresh();
    /// The window became the active one again.
    void activated();

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Input {
        int position = 0;
        QWidget* widget = nullptr;
        QLineEdit* edit = nullptr;
        QComboBox* combo = nullptr;
        QCheckBox* check = nullptr;
        QPlainTextEdit* memo = nullptr;
        QButtonGroup* options = nullptr;
        QAbstractButton* lookup = nullptr;
        QLabel* description = nullptr;
    };

    QWidget* buildPage(int page);
    /// The inputs of one column of a page, in a grid of their own.
    QGridLayout* buildColumn(int page, int column, QWidget* container);
    /// The grid a field of `frame` on `page` goes into: the page's own, or
    /// the frame's, made at the frame's first field.
    QGridLayout* frameGrid(QGridLayout* page, const QString& frame, int& row);
    /// The grid of a two-level form's lines, with its add and delete buttons.
    QWidget* buildLines(LineTable& lines);
    /// A grid of lines with its add and delete buttons, added to `layout`.
    LinesView* buildGrid(QVBoxLayout* layout, LinesModel* model, const QString& addCaption,
                         const QString& removeCaption);
    void addInput(QGridLayout* layout, int row, int position);
    /// Hands what the person typed in `input` to the engine; false when the
    /// picture refused it (the message has been shown).
    bool pushText(const Input& input);
    /// Hands over every input and cell still being typed; false when one
    /// was refused (the message has been shown).
    bool handOverTyping();
    void focusEntered(int position);
    void lookUp(int position);
    void help();
    void closeIfRequested();
    int positionOf(QObject* widget) const;

    Transaction& engine_;
    bool dense_ = false;  ///< pages in two halves: rows closer together
    QList<Input> inputs_;
    QList<QAbstractButton*> confirmButtons_;
    LinesModel* linesModel_ = nullptr;
    LinesView* linesView_ = nullptr;
    LinesModel* sublinesModel_ = nullptr;
    LinesView* sublinesView_ = nullptr;
    QList<QLabel*> computedLabels_;
    QList<QPair<QString, QAbstractButton*>> commandButtons_;
    QList<QPair<QString, QGridLayout*>> frames_;  ///< of the page being built
    bool busy_ = false;
    bool closing_ = false;
    bool activatedBefore_ = false;
};
