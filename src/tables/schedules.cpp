// Schedules: HORARIOS, a number (`HorId`, "ZZ9") and a description
// (`HorDesc`). Synchronisation group "Hor". A schedule cannot be deleted
// while an employee (`FUNCIONA`, field `FunHorId`) works on it.
#include "tables/schedules.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

const TransactionDecl& THORARIO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("THORARIO");
        declaration.title = QStringLiteral("Horario");
        declaration.table = QStringLiteral("HORARIOS");
        declaration.index = QStringLiteral("IHORARIO");
        declaration.fields = {
            keyField(QStringLiteral("HorId"), QStringLiteral("Horario"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("HorDesc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta código de horario");
        declaration.deleteChecks = {
            {QStringLiteral("FUNCIONA"), QStringLiteral("IFUNCIO1"), QStringLiteral("FunHorId"),
             QStringLiteral("Funcionarios")},
        };
        declaration.audit.insert = QStringLiteral("Agrega horario ");
        declaration.audit.modify = QStringLiteral("Modifica horario ");
        declaration.audit.remove = QStringLiteral("Elimina horario ");
        declaration.audit.parts = {{QStringLiteral("HorDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Hor");
        declaration.helpTopic = QStringLiteral("HLP_THORARIO.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WHORARIO()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WHORARIO");
        declaration.title = QStringLiteral("Horarios");
        declaration.table = QStringLiteral("HORARIOS");
        declaration.index = QStringLiteral("IHORARIO");
        declaration.columns = {
            {QStringLiteral("HorId"), QStringLiteral("Horario"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("HorDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("THORARIO");
        declaration.listing = QStringLiteral("RHORARIO");
        declaration.protection.names = {QStringLiteral("Horario")};
        declaration.protection.message =
            QStringLiteral("No se puede borrar el horario, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WHORARIO.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&THORARIO);
const ObjectRegistration panel(&WHORARIO);
}  // namespace
