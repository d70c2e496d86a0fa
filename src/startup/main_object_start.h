#pragma once

#include "startup/call_parameters.h"
#include "support/ui_port.h"

class Database;

// The first activation of the main object: the user context, the server
// checks of a client/server installation, the permission gate, the company
// record and the window title. What is drawn (buttons, tooltips, status bar
// panel, background) is the desktop program's part.

/// What the main object does after its first activation.
enum class MainObjectOutcome {
    Run,         ///< show the menu
    Close,       ///< the start-up failed; the object closes at once
    EndProgram,  ///< run without a permission string: the program ends
};

struct MainObjectStart {
    MainObjectOutcome outcome = MainObjectOutcome::Close;
    QString companyName;
    double databaseVersion = 0;
    QString title;  ///< main window caption
};

/// The company record `CONFIGUR` with `CfId` 0, as `PLEECONF` reads it.
struct ConfigurationRecord {
    bool found = false;
    QString companyName;     ///< `CfEmpresa`
    double version = 0;      ///< `CfVersion`
};

/// The company INI file of a file installation, in the current folder.
inline const QString companyIniFile = QStringLiteral("./uordane.ini");

/// Puts the ten parameters into the context store and, for a file
/// installation, "PathEmpresa" from the company INI file; for a
/// client/server installation checks the server. Returns the error flag
/// (0 = ready).
int PINIMAIN(const CallParameters& parameters, const QString& iniFile, UiPort& ui);

/// Connects the datastore `datastore` to `database` on `server`. Returns 0
/// when connected, 99 when the database is marked suspect, otherwise the
/// connection's error code.
int PCONECTA(const QString& login, const QString& password, const QString& database,
             const QString& server, const QString& datastore);

/// 1 when the server marks `database` as suspect, else 0.
int PCTRLSUS(const QString& server, const QString& login, const QString& password,
             const QString& database);

/// Reads the company record of `database`.
ConfigurationRecord PLEECONF(Database& database);

/// The main window caption: system name, " - ", subtitle, and " - " with the
/// company identifier ("IdEmpresa") when it is not blank.
QString PTITULOE(const QString& systemName, const QString& subtitle);

/// Runs the first activation of the main object against `database`.
MainObjectStart startMainObject(const CallParameters& parameters, const QString& iniFile,
                                Database* database, UiPort& ui);
