#pragma once

#include "support/ui_port.h"

#include <QHash>
#include <QQueue>
#include <QTextStream>

class Database;

// The UI port of uordane-admin: the engines talk to a person on the console.
// Every message box becomes one line on standard output: a word for its
// icon, ": ", the text with its line breaks written " / ", and for a
// question " => " and the answer given. Questions are answered from a queue
// (the --answer values in order) and "no" when it runs out. Status texts go
// to standard error, so long work shows its progress without mixing with
// the answers a script reads.
//
// An object the engines call (a transaction opening its line forms, a
// panel's Eliminar calling its transaction) runs with no input and is
// closed at once, as a person would close it; its messages are printed too.

/// Exit statuses of the console commands: done, refused, wrong usage or a
/// company that cannot be opened.
enum ExitStatus { ExitDone = 0, ExitRefused = 1, ExitUsage = 2 };

class ConsoleUiPort : public UiPort {
public:
    ConsoleUiPort(QTextStream& out, QTextStream& err);

    /// The database the objects it calls work on.
    void setDatabase(Database* database) { database_ = database; }
    /// Queues the answer of the next question (true = Yes).
    void answer(bool yes) { answers_.enqueue(yes); }
    /// Refusals shown so far (messages with the exclamation icon).
    int refusals() const { return refusals_; }

    /// The word printed for `icon`.
    static QString iconWord(MessageIcon icon);
    /// `text` on one line: every line break becomes " / ".
    static QString oneLine(const QString& text);

    void message(const QString& text, MessageIcon icon) override;
    bool question(const QString& text, DefaultButton defaultButton) override;
    void statusText(int panel, const QString& text) override;
    bool callObject(const QString& objectName, QString& key, QString& mode) override;
    QString pickFile(const FileRequest& request) override;
    void processEvents() override {}

private:
    QTextStream& out_;
    QTextStream& err_;
    Database* database_ = nullptr;
    QQueue<bool> answers_;
    QHash<int, QString> status_;
    int refusals_ = 0;
};
