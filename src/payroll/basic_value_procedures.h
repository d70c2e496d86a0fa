#pragma once

#include "payroll/procedure_result.h"

#include <QString>

class Database;
class UiPort;

/// The list's delete of basic `basic`: refuses (code 1, the reason in the
/// message) while the IRPF parameter, a concept's BPC or ceiling, or an
/// amount or quantity line names it; otherwise deletes its values and the
/// basic in one database transaction, marks the change and writes the audit
/// entry. A basic named only as a concept's AFAP basic is not looked at here.
ProcedureResult PELIMBAS(Database& database, UiPort& ui, int basic);

/// Gives basic `from` the number `to`: the basic, its values, the concepts
/// that name it (ceiling, BPC, AFAP basic, amount and quantity lines) and the
/// four parameters that hold basic numbers, all in one database transaction.
/// When a basic or a value with number `to` exists nothing changes and the
/// outcome says "Ya existe el registro".
ProcedureResult PCAMBIAB(Database& database, UiPort& ui, int from, int to);

/// The panel that asks for the new number of a basic: called with the
/// basic's number as its key.
///
///   WCAMBIAB change(database, ui);
///   change.start("3");
///   change.setNewNumber(30);
///   change.confirm();  // PCAMBIAB, then the panel closes
class WCAMBIAB {
public:
    WCAMBIAB(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    void start(const QString& key);
    int oldNumber() const { return oldNumber_; }
    int newNumber() const { return newNumber_; }
    void setNewNumber(int number) { newNumber_ = number; }
    /// Refuses a missing or existing new number (the focus stays on it);
    /// otherwise runs PCAMBIAB, tells its failure if any, and closes. True
    /// when the number was changed.
    bool confirm();
    bool closeRequested() const { return closeRequested_; }
    /// The key handed back: the new number once it was changed.
    QString handBack() const { return QString::number(changed_ ? newNumber_ : oldNumber_); }

private:
    Database& database_;
    UiPort& ui_;
    int oldNumber_ = 0;
    int newNumber_ = 0;
    bool changed_ = false;
    bool closeRequested_ = false;
};
