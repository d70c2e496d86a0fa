#pragma once

#include <QWidget>

#include <functional>

class QFormLayout;
class QLineEdit;
class QPushButton;

/// The small window of a panel that asks a few values and runs a procedure
/// (a basic's new number, the import's separators, the import itself):
/// labelled inputs, buttons of its own, and Confirm, Help and Close at the
/// foot. Confirm runs the window's action; the window closes when the
/// action says it is done and stays open on a refusal, with the focus on
/// its first input.
class ProcedureWindow : public QWidget {
    Q_OBJECT
public:
    ProcedureWindow(const QString& object, const QString& title, QWidget* parent = nullptr);

    /// A row with a read-only text.
    void addText(const QString& label, const QString& text);
    /// A row with an input of at most `maxLength` characters (0: no limit).
    QLineEdit* addInput(const QString& label, int maxLength = 0);
    /// A button of the window's own, on the row above the foot.
    QPushButton* addButton(const QString& caption, const QString& icon, const std::function<void()>& pressed);
    /// Draws the foot with Confirm captioned `caption`: `action` runs on it
    /// and returns whether the window is done.
    void finish(const QString& caption, const std::function<bool()>& action);

    void confirm();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString helpTopic_;
    QFormLayout* rows_;
    QLayout* buttons_;
    QLineEdit* firstInput_ = nullptr;
    std::function<bool()> action_;
    bool busy_ = false;
};
