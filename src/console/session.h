#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// Who runs a console command and how its questions are answered: the
/// options --usuario NOMBRE (the user the audit names; the fixed supervisor
/// when not given), --permisos CADENA (every right when not given) and
/// --answer si|no (one per question, in order).
struct ConsoleSession {
    QString user = QStringLiteral("ADMIN");
    QString permissions;  ///< empty until defaults(): every right
    QList<bool> answers;

    /// Fills what the command line did not say.
    void defaults();
};

/// Reads one session option at `arguments[at]` with its value, moving `at`
/// past it. False when the argument is no session option; `problem` is set
/// when it is one but its value is wrong.
bool takeSessionOption(const QStringList& arguments, qsizetype& at, ConsoleSession& session, QString* problem);
