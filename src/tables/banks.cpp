// Banks for transfers: BANCOSTR, a number (`BanIdTR`, "ZZ9"), a name
// (`BanDscTR`) and the bank's BIC (`BanBIC`).
//
// Banks belong to no synchronisation group, so no automatic-copy switch
// ever blocks them; no other table is checked before a delete, and a change
// leaves no audit entry (the wording has no insert text).
#include "tables/banks.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& TBANCOST()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TBANCOST");
        declaration.title = QStringLiteral("Banco para transferencias");
        declaration.table = QStringLiteral("BANCOSTR");
        declaration.index = QStringLiteral("IBANCOST");
        declaration.fields = {
            keyField(QStringLiteral("BanIdTR"), QStringLiteral("Banco"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("BanDscTR"), QStringLiteral("Descripción"),
                      QStringLiteral("Falta descripción del banco.")),
            textField(QStringLiteral("BanBIC"), QStringLiteral("Código BIC")),
        };
        declaration.keyMissingMessage = QStringLiteral("Debe indicar un código de banco.");
        declaration.helpTopic = QStringLiteral("HLP_TBANCOST.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WBANCOST()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WBANCOST");
        declaration.title = QStringLiteral("Bancos para transferencias");
        declaration.table = QStringLiteral("BANCOSTR");
        declaration.index = QStringLiteral("IBANCOST");
        declaration.columns = {
            {QStringLiteral("BanIdTR"), QStringLiteral("Banco"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("BanDscTR"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("BanBIC"), QStringLiteral("Código BIC"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TBANCOST");
        declaration.helpTopic = QStringLiteral("HLP_WBANCOST.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TBANCOST);
const ObjectRegistration panel(&WBANCOST);
}  // namespace
