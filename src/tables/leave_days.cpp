// Leave-day scales: DIASLICE, a code (`DiLId`, "Z9") and a description
// (`DilDesc`), with its lines in DIASLIC1: from how many years of seniority
// (`DiLAnios`, the line's key) how many days of leave (`DiLDias`) apply.
// Synchronisation group "DiL". TDIASLIC keeps the scale with its lines;
// TDIASLI1 keeps the header alone.
#include "tables/leave_days.h"

#include "engine/lines.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

namespace {

enum LeaveDayColumn { YearsColumn = 0, DaysColumn = 1 };

FieldVerdict checkLeaveDayLine(const LineTable& lines, int row)
{
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(QStringLiteral("Ya existe el registro"));
    if (lines.value(row, DaysColumn).toLongLong() == 0)
        return FieldVerdict::refuse(QStringLiteral("Aviso: Falta indicar días"));
    return FieldVerdict::ok();
}

/// What both forms of a scale share: table, key, delete check, audit, group.
TransactionDecl scaleHeader(const QString& name, const QString& descriptionMissing)
{
    TransactionDecl declaration;
    declaration.name = name;
    declaration.title = QStringLiteral("Días de licencia");
    declaration.table = QStringLiteral("DIASLICE");
    declaration.index = QStringLiteral("IDIASLIC");
    declaration.fields = {
        keyField(QStringLiteral("DiLId"), QStringLiteral("Código"), QStringLiteral("Z9")),
        textField(QStringLiteral("DilDesc"), QStringLiteral("Descripción"), descriptionMissing),
    };
    declaration.keyMissingMessage = QStringLiteral("Falta indicar código");
    declaration.deleteChecks = {
        {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS8"), QStringLiteral("DiLId"),
         QStringLiteral("CargosFuncionario")},
    };
    declaration.audit.insert = QStringLiteral("Agrega días de licencia ");
    declaration.audit.modify = QStringLiteral("Modifica días de licencia ");
    declaration.audit.remove = QStringLiteral("Elimina días de licencia ");
    declaration.audit.parts = {{QStringLiteral("DilDesc"), QStringLiteral(", descripción = ")}};
    declaration.syncGroup = QStringLiteral("DiL");
    declaration.helpTopic = QStringLiteral("HLP_") + name + QStringLiteral(".htm");
    return declaration;
}

}  // namespace

const LineTableDecl& leaveDayLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = QStringLiteral("DIASLIC1");
        declaration.index = QStringLiteral("IDIASLI1");
        declaration.headerKey = QStringLiteral("DiLId");
        declaration.columns = {
            {QStringLiteral("DiLAnios"), QStringLiteral("Años de antigüedad"), QStringLiteral("Z9")},
            {QStringLiteral("DiLDias"), QStringLiteral("Días"), QStringLiteral("ZZ9")},
        };
        declaration.check = &checkLeaveDayLine;
        return declaration;
    }();
    return lines;
}

const TransactionDecl& TDIASLIC()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration = scaleHeader(QStringLiteral("TDIASLIC"), QStringLiteral("Falta descripción"));
        declaration.deleteQuestion = QStringLiteral("Eliminar toda la información en DiasLicencia?");
        declaration.lines = &leaveDayLines();
        return declaration;
    }();
    return form;
}

const TransactionDecl& TDIASLI1()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration =
            scaleHeader(QStringLiteral("TDIASLI1"), QStringLiteral("Falta indicar descripción"));
        declaration.deleteChecks.append({QStringLiteral("DIASLIC1"), QStringLiteral("IDIASLI1"),
                                         QStringLiteral("DiLId"), QStringLiteral("DiasLic1")});
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WDIASSLI()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WDIASSLI");
        declaration.title = QStringLiteral("Días de licencia");
        declaration.table = QStringLiteral("DIASLICE");
        declaration.index = QStringLiteral("IDIASLIC");
        declaration.columns = {
            {QStringLiteral("DiLId"), QStringLiteral("Código"), QStringLiteral("Z9"), {}},
            {QStringLiteral("DilDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TDIASLIC");
        declaration.listing = QStringLiteral("RDIASLIC");
        declaration.filterField = QStringLiteral("DilDesc");
        declaration.helpTopic = QStringLiteral("HLP_WDIASSLI.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TDIASLIC);
const ObjectRegistration header(&TDIASLI1);
const ObjectRegistration panel(&WDIASSLI);
}  // namespace
