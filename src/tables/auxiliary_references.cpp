// Auxiliary references: REFAUXIL, a free classification of movements and
// basic values (`RefAuxId`, up to 15 characters in upper case) with a
// description (`RefAuxDesc`) and an inactive mark (`RefAuxInac`).
// Synchronisation group "Ref". A reference cannot be deleted while the
// history, the movements or a basic value use it; its deletion leaves no
// audit entry.
//
// Each employer may call the reference by a name of its own ("Obra",
// "Sindicato"), kept in the parameters; the form and the list show that name
// in front of their titles.
#include "tables/auxiliary_references.h"

#include "data/parameters.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

namespace {

const QString formTitle = QStringLiteral("Referencia auxiliar");

const TransactionDecl& formDeclaration()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TREFAUXI");
        declaration.title = formTitle;
        declaration.table = QStringLiteral("REFAUXIL");
        declaration.index = QStringLiteral("IREFAUXI");
        FieldDecl inactive;
        inactive.name = QStringLiteral("RefAuxInac");
        inactive.label = QStringLiteral("Inactiva");
        inactive.kind = FieldKind::Flag;
        declaration.fields = {
            keyField(QStringLiteral("RefAuxId"), QStringLiteral("Referencia"), QStringLiteral("!!!!!!!!!!!!!!!")),
            textField(QStringLiteral("RefAuxDesc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
            inactive,
        };
        declaration.keyMissingMessage = QStringLiteral("Falta código de referencia");
        declaration.deleteChecks = {
            {QStringLiteral("HISTORIA"), QStringLiteral("IHISTOR5"), QStringLiteral("MovRefAuxi"),
             QStringLiteral("Historia")},
            {QStringLiteral("MOVIMIEN"), QStringLiteral("IMOVIMI7"), QStringLiteral("MovRefAuxi"),
             QStringLiteral("Movimientos")},
            {QStringLiteral("BASICOS1"), QStringLiteral("IBASICO1"), QStringLiteral("RefAuxId"),
             QStringLiteral("Basicos1")},
        };
        declaration.audit.insert = QStringLiteral("Agrega referencia ");
        declaration.audit.modify = QStringLiteral("Modifica referencia ");
        declaration.audit.parts = {{QStringLiteral("RefAuxDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Ref");
        declaration.helpTopic = QStringLiteral("HLP_TREFAUXI.htm");
        declaration.titleFunction = &auxiliaryReferenceTitle;
        return declaration;
    }();
    return form;
}

}  // namespace

QString auxiliaryReferenceTitle(Database& database, const QString& title)
{
    QString name;
    PPARLC(database, QStringLiteral("Configur"), QStringLiteral("RefAux"), 0, name);
    name = name.trimmed();
    if (name.isEmpty() || name.toUpper() == QLatin1String("REFERENCIA"))
        return title;
    return name + QStringLiteral(" - ") + title;
}

const TransactionDecl& TREFAUXI()
{
    return formDeclaration();
}

const WorkPanelDecl& WREFAUXI()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WREFAUXI");
        declaration.title = QStringLiteral("Referencias auxiliares");
        declaration.table = QStringLiteral("REFAUXIL");
        declaration.index = QStringLiteral("IREFAUXI");
        declaration.columns = {
            {QStringLiteral("RefAuxId"), QStringLiteral("Referencia"), {}, {}},
            {QStringLiteral("RefAuxDesc"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("RefAuxInac"), QStringLiteral("Inactiva"), {},
             {{0, QStringLiteral("No")}, {1, QStringLiteral("Si")}, {-1, QStringLiteral("Si")}}},
        };
        declaration.transaction = QStringLiteral("TREFAUXI");
        declaration.filterField = QStringLiteral("RefAuxDesc");
        declaration.helpTopic = QStringLiteral("HLP_WREFAUXI.htm");
        declaration.titleFunction = &auxiliaryReferenceTitle;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TREFAUXI);
const ObjectRegistration panel(&WREFAUXI);
}  // namespace
