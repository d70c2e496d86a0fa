// uordane-admin: the command-line tool for administrators and scripts.
#include "admin_command.h"

#include "console/console_ui_port.h"
#include "data/work_database.h"
#include "engine/object_registry.h"

#include <QApplication>
#include <QMap>
#include <cstdio>

namespace {

struct Entry {
    QString usage;
    AdminRun run;
};

QMap<QString, Entry>& registry()
{
    static QMap<QString, Entry> commands;
    return commands;
}

void printUsage()
{
    adminErr("uso: uordane-admin COMANDO [ARGUMENTOS]");
    for (const Entry& entry : registry())
        adminErr("  uordane-admin " + entry.usage);
}

}  // namespace

AdminCommand::AdminCommand(const char* name, const char* usage, AdminRun run)
{
    registry().insert(QString::fromUtf8(name), {QString::fromUtf8(usage), run});
}

AdminCommand::AdminCommand(const char* name, const QString& usage, AdminRun run)
{
    registry().insert(QString::fromUtf8(name), {usage, run});
}

void adminOut(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void adminErr(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

int adminRefuseUsage(const QString& usage, const QString& problem)
{
    adminErr(problem);
    adminErr(QStringLiteral("uso: uordane-admin ") + usage);
    return ExitUsage;
}

int main(int argc, char** argv)
{
    // Listings are drawn with fonts, so the tool runs a GUI application, on
    // the offscreen platform whatever the session says: it never needs a
    // display, and a platform set for the desktop would fail without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || !registry().contains(arguments.first())) {
        printUsage();
        return 2;
    }
    // One name is one object: a program whose catalogue names two objects
    // alike would run the wrong one.
    if (const QStringList twice = ObjectRegistry::duplicates(); !twice.isEmpty()) {
        adminErr(QStringLiteral("Objetos registrados dos veces: ") + twice.join(QStringLiteral(", ")));
        return 2;
    }
    const Entry entry = registry().value(arguments.takeFirst());
    const int status = entry.run(arguments);
    // The work panels' scratch database does not outlive the command.
    WorkDatabase::process().remove();
    return status;
}
