#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QQueue>
#include <QStringList>
#include <QTimer>

/// Answers the program's real message boxes in window tests: every few
/// milliseconds it looks for an open QMessageBox, records its text and icon,
/// and presses Yes or No from a queue (No when the queue is empty), or OK.
class MessageBoxWatcher : public QObject {
public:
    struct Seen {
        QString text;
        QMessageBox::Icon icon;
        Qt::CursorShape pointer = Qt::ArrowCursor;  ///< the pointer over the program while it was open
    };

    MessageBoxWatcher()
    {
        connect(&timer_, &QTimer::timeout, this, [this] { look(); });
        timer_.start(15);
    }

    void answer(bool yes) { answers_.enqueue(yes); }
    const QList<Seen>& seen() const { return seen_; }
    QStringList texts() const
    {
        QStringList result;
        for (const Seen& item : seen_)
            result << item.text;
        return result;
    }

private:
    void look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Boxes live on the stack, so a new one may reuse an old one's
        // address: each box is marked once it has been answered.
        if (!box || box->property("watched").toBool())
            return;
        box->setProperty("watched", true);
        const QCursor* override = QApplication::overrideCursor();
        seen_.append(Seen{box->text(), box->icon(), override ? override->shape() : Qt::ArrowCursor});
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (box->button(QMessageBox::Yes)) {
            const bool yes = answers_.isEmpty() ? false : answers_.dequeue();
            button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        }
        if (button)
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    }

    QTimer timer_;
    QQueue<bool> answers_;
    QList<Seen> seen_;
};
