#include "console/session.h"

#include "console/company.h"
#include "data/database.h"
#include "data/database_setup.h"

#include <QTextStream>

#include <memory>

using namespace Qt::StringLiterals;

void ConsoleSession::defaults()
{
    if (permissions.isEmpty())
        permissions = fullRights();
}

bool takeSessionOption(const QStringList& arguments, qsizetype& at, ConsoleSession& session, QString* problem)
{
    const QString& option = arguments.at(at);
    if (option != u"--answer" && option != u"--usuario" && option != u"--permisos")
        return false;
    if (at + 1 >= arguments.size()) {
        *problem = u"Falta el valor de "_s + option;
        return true;
    }
    const QString value = arguments.at(at + 1);
    at += 2;
    if (option == u"--usuario") {
        session.user = value.trimmed().toUpper();
    } else if (option == u"--permisos") {
        session.permissions = value;
    } else {
        const QString answer = value.trimmed().toLower();
        if (answer == u"si" || answer == u"sí" || answer == u"s")
            session.answers.append(true);
        else if (answer == u"no" || answer == u"n")
            session.answers.append(false);
        else
            *problem = u"--answer espera si o no, no "_s + value;
    }
    return true;
}

ExitStatus runOnCompany(const Company& company, ConsoleSession& session, const ConsoleScript& script,
                        QString* problem, bool* companyFailed)
{
    std::unique_ptr<Database> database = company.open(problem);
    *companyFailed = !database;
    if (!database)
        return ExitUsage;
    session.defaults();
    company.putContext(session.user, session.permissions);

    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleUiPort ui(out, err);
    for (bool answer : session.answers)
        ui.answer(answer);
    return script(*database, ui, out, problem);
}

int runObjectCommand(QStringList positional, Company& company, ConsoleSession& session, QString& object,
                     const ConsoleScript& script, const std::function<int(const QString&)>& refuseUsage,
                     const std::function<void(const QString&)>& sayError)
{
    if (positional.isEmpty())
        return refuseUsage(u"Falta el objeto"_s);
    object = positional.takeFirst().toUpper();
    if (positional.size() > 1)
        return refuseUsage(u"Sobra el argumento: "_s + positional.at(1));
    QString problem;
    if (!company.settle(positional.value(0), &problem))
        return refuseUsage(problem);
    bool companyFailed = false;
    const ExitStatus status = runOnCompany(company, session, script, &problem, &companyFailed);
    if (companyFailed) {
        sayError(problem);
        return ExitUsage;
    }
    if (status == ExitUsage)
        return refuseUsage(problem);
    return status;
}
