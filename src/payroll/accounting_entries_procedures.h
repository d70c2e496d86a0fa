#pragma once

#include "payroll/procedure_result.h"

#include <QString>

class Database;
class UiPort;

// The procedures over whole accounting entries and their lines: copy an
// entry (PASICOPI), delete one (PASIELIM), copy a line within its entry and
// renumber a line (PLINASIE). Each runs in one database transaction with
// bound values: all of it is written, or nothing. Their prompts WASICOPI and
// WPIDENRO take what the person types and run them.

/// Copies entry `from` with its lines and their calculations to the new
/// number `to`; audit "Copia asiento " from " a " to.
ProcedureResult PASICOPI(Database& database, UiPort& ui, qint64 from, qint64 to);
/// Deletes the calculations, the lines and entry `entry`; audit "Elimina
/// asiento " + number + ", descripción = " + description.
ProcedureResult PASIELIM(Database& database, UiPort& ui, qint64 entry);
/// Gives line `from` of `entry` the number `to`, its calculations with it;
/// "Ya existe el registro" when `to` is taken.
ProcedureResult PLINASIE(Database& database, UiPort& ui, qint64 entry, int from, int to);
/// Copies line `from` of `entry`, with its calculations, to the new line
/// `to`; "Ya existe ese numero de linea en el asiento" when it is taken.
ProcedureResult copyEntryLine(Database& database, UiPort& ui, qint64 entry, int from, int to);

/// "Copia asientos": called with the entry to copy; Confirm checks the new
/// number and runs PASICOPI.
class WASICOPI {
public:
    WASICOPI(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    static QString title() { return QStringLiteral("Copia asientos"); }
    void start(const QString& key);
    qint64 entry() const { return entry_; }    ///< "Asiento"
    void setEntry(qint64 entry) { entry_ = entry; }
    qint64 target() const { return target_; }  ///< "Copiar a"
    void setTarget(qint64 target) { target_ = target; }
    /// The checks, then the copy. True when the entry was copied; false
    /// when the person was told why not.
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    qint64 entry_ = 0;
    qint64 target_ = 0;
};

/// "Copia linea de asiento": called with the entry and the line joined by
/// a tab. In mode "N" it gives the line a new number (PLINASIE) instead of
/// copying it.
class WPIDENRO {
public:
    WPIDENRO(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    void start(const QString& key, const QString& mode);
    QString title() const;
    bool renumbering() const { return renumbering_; }
    int newLine() const { return newLine_; }  ///< "Número de linea nueva"
    void setNewLine(int line) { newLine_ = line; }
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    qint64 entry_ = 0;
    int line_ = 0;
    int newLine_ = 0;
    bool renumbering_ = false;
};
