// Raise tables: AUMENTO, a code (`AumId`, "Z9") and a description
// (`AumDesc`), with its lines in AUMENTO1: the date a raise applies from
// (`AumFch`), its percentage (`AumPor`) and a remark (`AumObs`). A line's key
// is the table's code and its date. Synchronisation group "Aum".
#include "tables/raises.h"

#include "engine/lines.h"

#include "data/cursor.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

namespace {

enum RaiseColumn { DateColumn = 0, PercentColumn = 1 };

FieldVerdict checkRaiseLine(const LineTable& lines, int row)
{
    if (lines.invalidDate(row, DateColumn))
        return FieldVerdict::refuse(QStringLiteral("Fecha inválida"));
    if (lines.value(row, DateColumn).toDate() == emptyDate().date())
        return FieldVerdict::refuse(QStringLiteral("Debe ingresar una fecha para el aumento."));
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(QStringLiteral("Ya existe el registro"));
    if (lines.value(row, PercentColumn).toDouble() == 0)
        return FieldVerdict::refuse(QStringLiteral("El porcentaje de aumento no puede ser 0."));
    return FieldVerdict::ok();
}

}  // namespace

const LineTableDecl& raiseLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = QStringLiteral("AUMENTO1");
        declaration.index = QStringLiteral("IAUMENT1");
        declaration.headerKey = QStringLiteral("AumId");
        declaration.columns = {
            {QStringLiteral("AumFch"), QStringLiteral("Fecha"), QStringLiteral("dd/mm/yy")},
            {QStringLiteral("AumPor"), QStringLiteral("Porcentaje"), QStringLiteral("ZZ9.999999")},
            {QStringLiteral("AumObs"), QStringLiteral("Observaciones"), {}},
        };
        declaration.check = &checkRaiseLine;
        return declaration;
    }();
    return lines;
}

const TransactionDecl& TTABAUME()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TTABAUME");
        declaration.title = QStringLiteral("Tabla de aumentos");
        declaration.table = QStringLiteral("AUMENTO");
        declaration.index = QStringLiteral("IAUMENTO");
        declaration.fields = {
            keyField(QStringLiteral("AumId"), QStringLiteral("Código"), QStringLiteral("Z9")),
            textField(QStringLiteral("AumDesc"), QStringLiteral("Descripción"),
                      QStringLiteral("Falta descripción de la tabla.")),
        };
        declaration.keyMissingMessage = QStringLiteral("Debe indicar un código de tabla.");
        declaration.deleteChecks = {
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS1"), QStringLiteral("AumId"),
             QStringLiteral("CargosFuncionario")},
        };
        declaration.deleteQuestion = QStringLiteral("Eliminar toda la información en Aumento?");
        declaration.audit.insert = QStringLiteral("Agrega aumento ");
        declaration.audit.modify = QStringLiteral("Modifica aumento ");
        declaration.audit.remove = QStringLiteral("Elimina aumento ");
        declaration.audit.parts = {{QStringLiteral("AumDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Aum");
        declaration.helpTopic = QStringLiteral("HLP_TTABAUME.htm");
        declaration.lines = &raiseLines();
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WTABLASA()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WTABLASA");
        declaration.title = QStringLiteral("Tablas de aumentos");
        declaration.table = QStringLiteral("AUMENTO");
        declaration.index = QStringLiteral("IAUMENTO");
        declaration.columns = {
            {QStringLiteral("AumId"), QStringLiteral("Código"), QStringLiteral("Z9"), {}},
            {QStringLiteral("AumDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TTABAUME");
        declaration.filterField = QStringLiteral("AumDesc");
        declaration.protection.names = {QStringLiteral("Aumento")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar la tabla de aumentos, utilizada en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WTABLASA.htm");
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WKQ00I0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(QStringLiteral("WKQ00I0"), QStringLiteral("Tablas de aumentos"), QStringLiteral("AUMENTO"),
                        QStringLiteral("IAUMENTO"),
                        {{QStringLiteral("AumId"), QStringLiteral("Tabla"), QStringLiteral("Z9"), {}},
                         {QStringLiteral("AumDesc"), QStringLiteral("Descripción"), {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration transaction(&TTABAUME);
const ObjectRegistration panel(&WTABLASA);
const ObjectRegistration prompt(&WKQ00I0);
}  // namespace
