// uordane-admin: the command-line tool for administrators and scripts.
#include "admin_command.h"

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

int main(int argc, char** argv)
{
    // Listings are drawn with fonts, so the tool runs a GUI application on
    // the offscreen platform: it never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || !registry().contains(arguments.first())) {
        printUsage();
        return 2;
    }
    const Entry entry = registry().value(arguments.takeFirst());
    return entry.run(arguments);
}
