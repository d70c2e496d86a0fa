#pragma once

#include "payroll/accounting_entries_procedures.h"

#include <QList>
#include <QString>

class Database;
class UiPort;

// The change of a cost centre's code: the new code replaces the old one in
// CENTROCO and in every table that refers to cost centres, in one database
// transaction (all of it, or nothing).

/// One field of one table that holds a cost-centre code.
struct CostCentreField {
    QString table;
    QString field;
};

/// Every field of the schema that holds a cost-centre code, the cost
/// centres' own key first.
const QList<CostCentreField>& costCentreFields();

/// Rewrites cost centre `oldCode` as `newCode` everywhere; audit "Cambio
/// código de centro de costo " + old + " - " + description + ". Nuevo
/// código = " + new.
ProcedureResult PCAMCCID(Database& database, UiPort& ui, const QString& oldCode, const QString& newCode);

/// "Cambia código de centro de costo": called with the cost centre; Confirm
/// checks the new code and runs PCAMCCID.
class WCAMCCOS {
public:
    WCAMCCOS(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    static QString title() { return QStringLiteral("Cambia código de centro de costo"); }
    void start(const QString& key);
    QString costCentre() const { return costCentre_; }  ///< "Centro de costo"
    QString newCode() const { return newCode_; }        ///< "Nuevo código"
    void setNewCode(const QString& code) { newCode_ = code.trimmed().toUpper(); }
    bool confirm();

private:
    Database& database_;
    UiPort& ui_;
    QString costCentre_;
    QString newCode_;
};
