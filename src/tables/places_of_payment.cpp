// Places of payment: LUGARCOB, a number (`CobId`, "ZZ9"), a description
// (`CobDesc`) and the three-letter code of the place where the pay
// envelopes are filled (`LugEnsob`, "!!!"). Synchronisation group "Cob".
// A place of payment cannot be deleted while the history or an employee
// names it.
#include "tables/places_of_payment.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& TLUGARCO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TLUGARCO");
        declaration.title = QStringLiteral("Lugar de cobro");
        declaration.table = QStringLiteral("LUGARCOB");
        declaration.index = QStringLiteral("ILUGARCO");
        FieldDecl envelopes = textField(QStringLiteral("LugEnsob"), QStringLiteral("Lugar de ensobrado"));
        envelopes.picture = QStringLiteral("!!!");
        declaration.fields = {
            keyField(QStringLiteral("CobId"), QStringLiteral("Lugar de cobro"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("CobDesc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
            envelopes,
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de lugar de cobro");
        declaration.deleteChecks = {
            {QStringLiteral("HISTORIA"), QStringLiteral("IHISTOR3"), QStringLiteral("HCobId"),
             QStringLiteral("Historia")},
            {QStringLiteral("FUNCIONA"), QStringLiteral("IFUNCIO4"), QStringLiteral("FunCobId"),
             QStringLiteral("Funcionarios")},
        };
        declaration.audit.insert = QStringLiteral("Agrega lugar de cobro ");
        declaration.audit.modify = QStringLiteral("Modifica lugar de cobro ");
        declaration.audit.remove = QStringLiteral("Elimina lugar de cobro ");
        declaration.audit.parts = {{QStringLiteral("CobDesc"), QStringLiteral(", descripción = ")},
                                   {QStringLiteral("LugEnsob"), QStringLiteral(", lugar de ensobrado = ")}};
        declaration.syncGroup = QStringLiteral("Cob");
        declaration.helpTopic = QStringLiteral("HLP_TLUGARCO.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WLUGARSC()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WLUGARSC");
        declaration.title = QStringLiteral("Lugares de cobro");
        declaration.table = QStringLiteral("LUGARCOB");
        declaration.index = QStringLiteral("ILUGARCO");
        declaration.columns = {
            {QStringLiteral("CobId"), QStringLiteral("Lugar"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("CobDesc"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("LugEnsob"), QStringLiteral("Lugar de ensobrado"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TLUGARCO");
        declaration.listing = QStringLiteral("RLUGARCO");
        declaration.protection.names = {QStringLiteral("Cobro")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar lugar de cobro, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WLUGARSC.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TLUGARCO);
const ObjectRegistration panel(&WLUGARSC);
}  // namespace
