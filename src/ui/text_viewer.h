#pragma once

#include <QWidget>

class QPlainTextEdit;

/// A read-only window over a plain text file (the warnings of the concepts'
/// consistency control): the file's lines in a fixed-pitch font, with its
/// name in the title, and Close (also Escape) at the foot. Text can be
/// selected and copied.
class TextViewer : public QWidget {
    Q_OBJECT
public:
    TextViewer(const QString& object, const QString& title, QWidget* parent = nullptr);

    /// Shows the file `file`; false (with the reason shown instead) when it
    /// cannot be read. An empty file shows `emptyText`.
    bool showFile(const QString& file, const QString& emptyText = {});
    /// Shows `text` itself (what went wrong instead of a file).
    void showText(const QString& text);
    /// What the viewer shows.
    QString text() const;
    QSize sizeHint() const override { return {760, 420}; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPlainTextEdit* text_;
    QString helpTopic_;
};
