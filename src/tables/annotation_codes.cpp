// Annotation codes: FICCOD, the kinds of note kept in an employee's file
// (`FicCod`, up to 6 characters in upper case), with a description
// (`FicDesc`), whether employees may consult their notes of that kind
// (`FicAutoges`), whether a note is marked as read once confirmed
// (`FicReConf`) and for how many months back it may be consulted
// (`FicPerCons`, "ZZ9"). Synchronisation group "Fic". A code cannot be
// deleted while a concept writes it or an employee's file holds it.
#include "tables/annotation_codes.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

namespace {

FieldDecl flagField(const QString& name, const QString& label)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::Flag;
    return field;
}

}  // namespace

const TransactionDecl& TCODIGO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCODIGO");
        declaration.title = QStringLiteral("Código de anotación");
        declaration.table = QStringLiteral("FICCOD");
        declaration.index = QStringLiteral("IFICCOD");
        const FieldDecl months =
            numberField(QStringLiteral("FicPerCons"), QStringLiteral("Período de consulta en meses"), QStringLiteral("ZZ9"));
        declaration.fields = {
            keyField(QStringLiteral("FicCod"), QStringLiteral("Código"), QStringLiteral("!!!!!!")),
            textField(QStringLiteral("FicDesc"), QStringLiteral("Descripción")),
            flagField(QStringLiteral("FicAutoges"), QStringLiteral("Se permite consultar")),
            flagField(QStringLiteral("FicReConf"), QStringLiteral("Marcar como leído")),
            months,
        };
        declaration.keyMissingMessage = QStringLiteral("Falta código");
        declaration.deleteChecks = {
            {QStringLiteral("CONCEPT"), QStringLiteral("ICONCE16"), QStringLiteral("ConFicCod"),
             QStringLiteral("Conceptos")},
            {QStringLiteral("FICHA"), QStringLiteral("IFICHA1"), QStringLiteral("FicCod"), QStringLiteral("Ficha")},
        };
        declaration.audit.insert = QStringLiteral("Agrega código de anotación ");
        declaration.audit.modify = QStringLiteral("Modifica código de anotación ");
        declaration.audit.remove = QStringLiteral("Elimina código de anotación ");
        declaration.audit.parts = {{QStringLiteral("FicDesc"), QStringLiteral(", descripción = ")}};
        declaration.syncGroup = QStringLiteral("Fic");
        declaration.helpTopic = QStringLiteral("HLP_TCODIGO.htm");
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCODIGOS()
{
    static const WorkPanelDecl panel = [] {
        // A set flag may have been stored as -1 by the payroll program.
        const QList<CodeChoice> yesNo = {
            {0, QStringLiteral("No")}, {1, QStringLiteral("Si")}, {-1, QStringLiteral("Si")}};
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCODIGOS");
        declaration.title = QStringLiteral("Códigos de anotación");
        declaration.table = QStringLiteral("FICCOD");
        declaration.index = QStringLiteral("IFICCOD");
        declaration.columns = {
            {QStringLiteral("FicCod"), QStringLiteral("Código"), {}, {}},
            {QStringLiteral("FicDesc"), QStringLiteral("Descripción"), {}, {}},
            {QStringLiteral("FicAutoges"), QStringLiteral("Se permite consultar"), {}, yesNo},
            {QStringLiteral("FicReConf"), QStringLiteral("Marcar como leído"), {}, yesNo},
        };
        declaration.transaction = QStringLiteral("TCODIGO");
        declaration.listing = QStringLiteral("RCODIGOL");
        declaration.helpTopic = QStringLiteral("HLP_WCODIGOS.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TCODIGO);
const ObjectRegistration panel(&WCODIGOS);
}  // namespace
