#pragma once

#include <QStringList>

// The commands of uordane-admin. Each command lives in its own file
// (admin_<name>.cpp) and registers itself with a static AdminCommand object:
//
//   static AdminCommand init("init", "init [--demo] CARPETA", &runInit);
//
// `run` gets the arguments after the command name and returns the exit code.

using AdminRun = int (*)(const QStringList& arguments);

struct AdminCommand {
    AdminCommand(const char* name, const char* usage, AdminRun run);
    AdminCommand(const char* name, const QString& usage, AdminRun run);
};

/// Prints `text` and a newline to standard output / standard error.
void adminOut(const QString& text);
void adminErr(const QString& text);
/// Refuses a command line: prints `problem` and then the command's usage line
/// on standard error, and returns ExitUsage.
int adminRefuseUsage(const QString& usage, const QString& problem);
