#pragma once

#include "console/form_script.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTextStream>

class Database;
class ConsoleUiPort;

// `uordane-admin panel`: a work panel listed on the console, after its
// filters and the buttons pressed on its rows:
//
//   uordane-admin panel WCATEGOR DEMO --press Eliminar --row 3 --answer si
//
// The list comes last, tab separated, after a line of column titles, so
// that it shows what the buttons did.

struct PanelPress {
    QString action;  ///< "Eliminar", "Modificar", "Agregar", "Imprimir", "Renovar", "Confirmar"
    int row = 0;     ///< from 1; 0: the current row
};

struct PanelScript {
    QString object;
    QList<QPair<QString, QString>> filters;  ///< name and value, in order
    QList<PanelPress> presses;               ///< in order
};

/// Runs `script`; messages and questions go through `ui`, the list to `out`.
/// Returns the exit status: done when the panel listed, refused when it
/// could not open or a button was refused, usage with `problem` set when
/// the script names what the panel does not have.
ExitStatus runPanelScript(const PanelScript& script, Database& database, ConsoleUiPort& ui, QTextStream& out,
                          QString* problem);
