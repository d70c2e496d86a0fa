#pragma once

#include "payroll/accounting_entries_procedures.h"

#include <QString>

class Database;
class UiPort;

// The change of an account heading's number: the heading is stored again
// under the new number and every entry line that posts to it follows, in
// one database transaction (all of it, or nothing).

/// Moves heading `oldNumber` (its description, currency and external code)
/// to `newNumber` and rewrites the entry lines that post to it. A new number
/// that exists already fails with "Ya existe el registro" and changes nothing.
ProcedureResult PRUBCAMB(Database& database, UiPort& ui, double oldNumber, double newNumber);

/// "Cambio de número de rubro": called with the heading's number; Confirm
/// checks the new number, runs PRUBCAMB and writes the audit entry.
class WRUBCAMB {
public:
    WRUBCAMB(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    static QString title() { return QStringLiteral("Cambio de número de rubro"); }
    void start(const QString& key);
    double heading() const { return heading_; }
    double newNumber() const { return newNumber_; }
    void setNewNumber(double number) { newNumber_ = number; }
    /// Whether the focus stays on the new number after a refusal.
    bool focusOnNewNumber() const { return focusOnNewNumber_; }
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    double heading_ = 0;
    double newNumber_ = 0;
    bool focusOnNewNumber_ = false;
};
