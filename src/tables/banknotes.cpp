// Banknotes and coins: BILLETES, one row per denomination the pay envelopes
// are made up with; the value (`BilValor`, "ZZZ,ZZ9.99") is the whole
// record, so there is nothing to modify. Synchronisation group "Bil".
#include "tables/banknotes.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/number_text.h"

#include <cmath>

namespace {

/// "Agrega billete 500", "Elimina billete 0.50": a coin's cents are part of
/// its value, so they are written whenever the value has any.
QString banknoteAuditText(const Transaction& form)
{
    const AuditWording& wording = form.declaration().audit;
    const double value = form.value(QStringLiteral("BilValor")).toDouble();
    const bool whole = std::abs(value - std::round(value)) < 0.005;
    const QString shown = numberToText(value, 10, whole ? 0 : 2).trimmed();
    switch (form.mode()) {
    case Mode::Insert:
        return wording.insert + shown;
    case Mode::Delete:
        return wording.remove + shown;
    case Mode::Update:
    case Mode::Display:
        return {};
    }
    return {};
}

}  // namespace

const TransactionDecl& TBILLETE()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TBILLETE");
        declaration.title = QStringLiteral("Billete");
        declaration.table = QStringLiteral("BILLETES");
        declaration.index = QStringLiteral("IBILLETE");
        declaration.fields = {
            keyField(QStringLiteral("BilValor"), QStringLiteral("Valor"), QStringLiteral("ZZZ,ZZ9.99")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta valor");
        declaration.audit.insert = QStringLiteral("Agrega billete ");
        declaration.audit.remove = QStringLiteral("Elimina billete ");
        declaration.syncGroup = QStringLiteral("Bil");
        declaration.helpTopic = QStringLiteral("HLP_TBILLETE.htm");
        declaration.hooks.auditText = &banknoteAuditText;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WBILLETE()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WBILLETE");
        declaration.title = QStringLiteral("Billetes y monedas");
        declaration.table = QStringLiteral("BILLETES");
        declaration.index = QStringLiteral("IBILLETE");
        declaration.columns = {
            {QStringLiteral("BilValor"), QStringLiteral("Valor"), QStringLiteral("ZZZ,ZZ9.99"), {}},
        };
        declaration.transaction = QStringLiteral("TBILLETE");
        declaration.helpTopic = QStringLiteral("HLP_WBILLETE.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TBILLETE);
const ObjectRegistration panel(&WBILLETE);
}  // namespace
