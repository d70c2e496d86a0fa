// Cost centres: CENTROCO, a code of up to 12 characters kept in upper case
// (`CCId`), a description (`CCDesc`, may stay empty) and the code the
// accounting system knows it by (`CCIdExt`). Synchronisation group "CC".
//
// A cost centre cannot be deleted while a concept, a schedule plan, an
// employee's cost centre split, the history, the movements, an accounting
// entry line or a basic value names it.
#include "tables/cost_centres.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& TCENTROC()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCENTROC");
        declaration.title = QStringLiteral("Centro de costo");
        declaration.table = QStringLiteral("CENTROCO");
        declaration.index = QStringLiteral("ICENTROC");
        declaration.fields = {
            keyField(QStringLiteral("CCId"), QStringLiteral("Centro de costo"), QStringLiteral("!!!!!!!!!!!!")),
            textField(QStringLiteral("CCDesc"), QStringLiteral("Descripción")),
            textField(QStringLiteral("CCIdExt"), QStringLiteral("Centro de costo externo")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falto número de centro de costo");
        declaration.deleteChecks = {
            {QStringLiteral("CONCEPT"), QStringLiteral("ICONCE19"), QStringLiteral("ConCCId"),
             QStringLiteral("Conceptos")},
            {QStringLiteral("CRONOGRA"), QStringLiteral("ICRONOG4"), QStringLiteral("CroCCId"),
             QStringLiteral("Cronogramas")},
            {QStringLiteral("CARGOSCC"), QStringLiteral("ICARGOF1"), QStringLiteral("FunCCId"),
             QStringLiteral("Centro de costos Funcionario")},
            {QStringLiteral("HISTORIA"), QStringLiteral("IHISTOR2"), QStringLiteral("MovCCId"),
             QStringLiteral("Historia")},
            {QStringLiteral("MOVIMIEN"), QStringLiteral("IMOVIMI2"), QStringLiteral("MovCCId"),
             QStringLiteral("Movimientos")},
            {QStringLiteral("ASIENTO1"), QStringLiteral("IASIENT3"), QStringLiteral("CCId"),
             QStringLiteral("Asiento1")},
            {QStringLiteral("BASICOS1"), QStringLiteral("IBASICO2"), QStringLiteral("CCId"),
             QStringLiteral("Basicos1")},
        };
        declaration.audit.insert = QStringLiteral("Agrega centro de costo ");
        declaration.audit.modify = QStringLiteral("Modifica centro de costo ");
        declaration.audit.remove = QStringLiteral("Elimina centro de costo ");
        declaration.audit.parts = {{QStringLiteral("CCDesc"), QStringLiteral(", descripción = ")},
                                   {QStringLiteral("CCIdExt"), QStringLiteral(", centro de costo externo = ")}};
        declaration.syncGroup = QStringLiteral("CC");
        declaration.helpTopic = QStringLiteral("HLP_TCENTROC.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCENTROS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCENTROS");
        declaration.title = QStringLiteral("Centros de costo");
        declaration.table = QStringLiteral("CENTROCO");
        declaration.index = QStringLiteral("ICENTROC");
        declaration.columns = {
            {QStringLiteral("CCId"), QStringLiteral("Centro de costo"), {}, {}},
            {QStringLiteral("CCDesc"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("CCIdExt"), QStringLiteral("Centro de costo externo"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TCENTROC");
        declaration.listing = QStringLiteral("RCENTROC");
        declaration.filterField = QStringLiteral("CCDesc");
        declaration.protection.names = {QStringLiteral("CentroCost")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar el centro de costo, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WCENTROS.htm");
        CommandDecl recode;
        recode.action = QStringLiteral("CambiarCodigo");
        recode.caption = QStringLiteral("Cam&biar código");
        recode.toolTip = QStringLiteral("Cambia el código del centro de costo en todas las tablas que lo usan");
        recode.changesData = true;
        recode.opens = QStringLiteral("WCAMCCOS");
        declaration.commands = {recode};
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TCENTROC);
const ObjectRegistration panel(&WCENTROS);
}  // namespace
