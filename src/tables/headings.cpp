// Account headings: RUBROS, the accounts the accounting entries post to
// (`RubId`, up to 15 digits), with a description (`RubDesc`), a currency
// code (`RubMon`, required) and the account's code in the accounting system
// (`RubIdExt`). Synchronisation group "Rub", guarded by the form and by the
// list, which refuses Add and Delete up front while the headings are copied
// automatically. A heading cannot be deleted while an accounting entry line
// (`ASIENTO1`) posts to it.
#include "tables/headings.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& TRUBRO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TRUBRO");
        declaration.title = QStringLiteral("Rubro");
        declaration.table = QStringLiteral("RUBROS");
        declaration.index = QStringLiteral("IRUBROS");
        const FieldDecl currency = numberField(QStringLiteral("RubMon"), QStringLiteral("Moneda"),
                                               QStringLiteral("ZZ9"), QStringLiteral("Falta moneda"));
        declaration.fields = {
            keyField(QStringLiteral("RubId"), QStringLiteral("Rubro"), QStringLiteral("ZZZZZZZZZZZZZZ9")),
            textField(QStringLiteral("RubDesc"), QStringLiteral("Descripción")),
            currency,
            textField(QStringLiteral("RubIdExt"), QStringLiteral("Rubro externo")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de rubro");
        declaration.deleteChecks = {
            {QStringLiteral("ASIENTO1"), QStringLiteral("IASIENT2"), QStringLiteral("RubId"),
             QStringLiteral("Asiento1")},
        };
        declaration.audit.insert = QStringLiteral("Agrega rubro ");
        declaration.audit.modify = QStringLiteral("Modifica rubro ");
        declaration.audit.remove = QStringLiteral("Elimina rubro ");
        declaration.audit.parts = {{QStringLiteral("RubDesc"), QStringLiteral(", descripción = ")},
                                   {QStringLiteral("RubMon"), QStringLiteral(", moneda = ")},
                                   {QStringLiteral("RubIdExt"), QStringLiteral(", rubro externo = ")}};
        declaration.syncGroup = QStringLiteral("Rub");
        declaration.helpTopic = QStringLiteral("HLP_TRUBRO.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WRUBROS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WRUBROS");
        declaration.title = QStringLiteral("Rubros");
        declaration.table = QStringLiteral("RUBROS");
        declaration.index = QStringLiteral("IRUBROS");
        declaration.columns = {
            {QStringLiteral("RubId"), QStringLiteral("Rubro"), QStringLiteral("ZZZZZZZZZZZZZZ9"), {}},
            {QStringLiteral("RubDesc"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("RubMon"), QStringLiteral("Moneda"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("RubIdExt"), QStringLiteral("Rubro externo"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TRUBRO");
        declaration.listing = QStringLiteral("RRUBROLI");
        declaration.filterField = QStringLiteral("RubDesc");
        declaration.helpTopic = QStringLiteral("HLP_WRUBROS.htm");
        declaration.syncGroup = QStringLiteral("Rub");
        CommandDecl renumber;
        renumber.action = QStringLiteral("CambiarNumero");
        renumber.caption = QStringLiteral("Cam&biar número");
        renumber.toolTip = QStringLiteral("Cambia el número del rubro y de las líneas de asiento que lo usan");
        renumber.changesData = true;
        renumber.opens = QStringLiteral("WRUBCAMB");
        declaration.commands = {renumber};
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TRUBRO);
const ObjectRegistration panel(&WRUBROS);
}  // namespace
