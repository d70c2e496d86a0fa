// Positions: CARGOS, a number (`CarId`, "ZZZ9") and a description in two
// parts (`CarDesc1`, `CarDesc2`). Synchronisation group "Car", shared with
// the categories.
//
// A position cannot be deleted while the payroll still uses it: in the
// remunerations, as an employee's position or part-time position, in the
// history, in the movements or in the basic values; the first table that
// holds it is named. The audit sentence shows the two description parts as
// one text.
#include "tables/positions.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/number_text.h"

namespace {

QString positionDescription(const QVariant& first, const QVariant& second)
{
    return (first.toString().trimmed() + u' ' + second.toString().trimmed()).trimmed();
}

/// "Agrega cargo 4, descripción = Oficial albañil Categoría VI": the two
/// parts of the description joined by a blank, named on a modification
/// only when either part changed.
QString positionAuditText(const Transaction& form)
{
    const AuditWording& wording = form.declaration().audit;
    const QString key = numberToText(form.value(QStringLiteral("CarId")).toDouble(), 10, 0).trimmed();
    const QVariant first = form.value(QStringLiteral("CarDesc1"));
    const QVariant second = form.value(QStringLiteral("CarDesc2"));
    const QString description = positionDescription(first, second);
    const QString part = QStringLiteral(", descripción = ") + description;
    switch (form.mode()) {
    case Mode::Insert:
        return wording.insert + key + (description.isEmpty() ? QString() : part);
    case Mode::Update: {
        // The record as read before the write is what the screen showed.
        const bool changed =
            first.toString().trimmed() != form.recordValue(QStringLiteral("CarDesc1")).toString().trimmed()
            || second.toString().trimmed() != form.recordValue(QStringLiteral("CarDesc2")).toString().trimmed();
        return wording.modify + key + (changed ? part : QString());
    }
    case Mode::Delete:
        return wording.remove + key;
    case Mode::Display:
        return {};
    }
    return {};
}

}  // namespace

const TransactionDecl& TCARGO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCARGO");
        declaration.title = QStringLiteral("Cargo");
        declaration.table = QStringLiteral("CARGOS");
        declaration.index = QStringLiteral("ICARGOS");
        declaration.fields = {
            keyField(QStringLiteral("CarId"), QStringLiteral("Cargo"), QStringLiteral("ZZZ9")),
            textField(QStringLiteral("CarDesc1"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
            textField(QStringLiteral("CarDesc2"), QStringLiteral("Continuación")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de cargo");
        declaration.deleteChecks = {
            {QStringLiteral("REMUNERA"), QStringLiteral("IREMUNE2"), QStringLiteral("RemCarId"),
             QStringLiteral("Remuneraciones")},
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS4"), QStringLiteral("FunCarId"),
             QStringLiteral("CargosFuncionario")},
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS7"), QStringLiteral("PTCarId"),
             QStringLiteral("CargosFuncionario")},
            {QStringLiteral("HISTORIA"), QStringLiteral("IHISTOR1"), QStringLiteral("MovCarId"),
             QStringLiteral("Historia")},
            {QStringLiteral("MOVIMIEN"), QStringLiteral("IMOVIMI1"), QStringLiteral("MovCarId"),
             QStringLiteral("Movimientos")},
            {QStringLiteral("BASICOS1"), QStringLiteral("IBASICO3"), QStringLiteral("CarId"),
             QStringLiteral("Basicos1")},
        };
        declaration.audit.insert = QStringLiteral("Agrega cargo ");
        declaration.audit.modify = QStringLiteral("Modifica cargo ");
        declaration.audit.remove = QStringLiteral("Elimina cargo ");
        declaration.syncGroup = QStringLiteral("Car");
        declaration.helpTopic = QStringLiteral("HLP_TCARGO.htm");
        declaration.hooks.auditText = &positionAuditText;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCARGOS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCARGOS");
        declaration.title = QStringLiteral("Cargos");
        declaration.table = QStringLiteral("CARGOS");
        declaration.index = QStringLiteral("ICARGOS");
        declaration.columns = {
            {QStringLiteral("CarId"), QStringLiteral("Cargo"), QStringLiteral("ZZZ9"), {}},
            {QStringLiteral("CarDesc1"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("CarDesc2"), QStringLiteral("Continuación"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TCARGO");
        declaration.listing = QStringLiteral("RCARGOLI");
        declaration.filterField = QStringLiteral("CarDesc1");
        declaration.protection.names = {QStringLiteral("Cargo"), QStringLiteral("PtCargo")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar el cargo, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WCARGOS.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TCARGO);
const ObjectRegistration panel(&WCARGOS);
}  // namespace
