// Construction works: OBRAS, one row per works registered at social security,
// keyed by the cost centre that carries its costs (`ObrId`, 12 characters).
// The first page holds the works itself (number, state, address, department,
// contributor type, how it is carried out, the percentages of the unified
// construction contribution); the second the data of the company that holds
// it. `ObrPinFoce`, `ObrEMail` and `ObrPerCont` are not on the form and are
// kept as they are. Synchronisation group "Obr".
#include "tables/works.h"

#include "engine/lines.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

namespace {

enum WorksPage { WorksDataPage = 0, HolderPage = 1 };

FieldDecl onPage(FieldDecl field, int page)
{
    field.page = page;
    return field;
}

FieldDecl required(const QString& name, const QString& label, const QString& missing, int page)
{
    return onPage(textField(name, label, missing), page);
}

FieldDecl optional(const QString& name, const QString& label, int page)
{
    return onPage(textField(name, label), page);
}

FieldDecl percentage(const QString& name, const QString& label)
{
    return numberField(name, label, QStringLiteral("ZZ9.99"));
}

FieldDecl departmentField()
{
    FieldDecl field;
    field.name = QStringLiteral("ObrDeparta");
    field.label = QStringLiteral("Departamento");
    field.kind = FieldKind::CodeList;
    field.missingMessage = QStringLiteral("Falta Departamento de la obra");
    for (const QString& department : uruguayanDepartments())
        field.choices.append({department, department});
    return field;
}

const QList<AuditField>& auditFields()
{
    static const QList<AuditField> fields = {
        {QStringLiteral("ObrNro"), QStringLiteral(", número = "), QStringLiteral(" Número = "), {}},
        {QStringLiteral("ObrEstado"), QStringLiteral(", estado de la obra = "), {}, {}},
        {QStringLiteral("ObrDireccO"), QStringLiteral(", dirección de la obra = "), {}, {}},
        {QStringLiteral("ObrNroEmpr"), QStringLiteral(", nro. de empresa titular = "), {}, {}},
        {QStringLiteral("ObrDigCont"), QStringLiteral(", dígito de control = "), {}, {}},
        {QStringLiteral("ObrNroCont"), QStringLiteral(", nro. de contribuyente titular = "), {}, {}},
        {QStringLiteral("ObrTipoApo"), QStringLiteral(", tipo de aportación del titular = "), {}, {}},
        {QStringLiteral("ObrTipoCon"), QStringLiteral(", tipo de contribuyente = "), {}, {}},
        {QStringLiteral("ObrRazonSo"), QStringLiteral(", razón social del titular = "), {}, {}},
        {QStringLiteral("ObrDireccT"), QStringLiteral(", dirección del titular = "), {}, {}},
        {QStringLiteral("ObrTelTit"), QStringLiteral(", teléfono del titular = "), {}, {}},
        {QStringLiteral("ObrFaxTit"), QStringLiteral(", fax del titular = "), {}, {}},
        {QStringLiteral("ObrCodApor"), QStringLiteral(", código aporte voluntario = "), {}, {}},
        {QStringLiteral("ObrTipoVen"), QStringLiteral(", tipo de vencimiento = "), {}, {}},
        {QStringLiteral("ObrCiuuTit"), QStringLiteral(", ciuu del titular = "), {}, {}},
        {QStringLiteral("ObrForma"), QStringLiteral(", forma de realización = "), {}, {}},
    };
    return fields;
}

}  // namespace

const QStringList& uruguayanDepartments()
{
    static const QStringList departments = {
        QStringLiteral("Artigas"),    QStringLiteral("Canelones"), QStringLiteral("Cerro Largo"),
        QStringLiteral("Colonia"),    QStringLiteral("Durazno"),   QStringLiteral("Flores"),
        QStringLiteral("Florida"),    QStringLiteral("Lavalleja"), QStringLiteral("Maldonado"),
        QStringLiteral("Montevideo"), QStringLiteral("Paysandú"),  QStringLiteral("Rio Negro"),
        QStringLiteral("Rivera"),     QStringLiteral("Rocha"),     QStringLiteral("Salto"),
        QStringLiteral("San José"),   QStringLiteral("Soriano"),   QStringLiteral("Tacuarembó"),
        QStringLiteral("Treinta y Tres"),
    };
    return departments;
}

const TransactionDecl& TOBRAS()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TOBRAS");
        declaration.title = QStringLiteral("Obra");
        declaration.table = QStringLiteral("OBRAS");
        declaration.index = QStringLiteral("IOBRAS");
        declaration.pages = {QStringLiteral("Obra"), QStringLiteral("Titular")};

        FieldDecl number = numberField(QStringLiteral("ObrNro"), QStringLiteral("Número"),
                                       QStringLiteral("ZZZZZZZZZ9"), QStringLiteral("Falta número de la obra"));
        FieldDecl state = required(QStringLiteral("ObrEstado"), QStringLiteral("Estado (9 - Terminada)"),
                                   QStringLiteral("Falta Estado de la obra"), WorksDataPage);

        // Validated in this order, page by page: the works, then its holder.
        declaration.fields = {
            keyField(QStringLiteral("ObrId"), QStringLiteral("Centro de costo"), QStringLiteral("!!!!!!!!!!!!")),
            number,
            state,
            required(QStringLiteral("ObrDireccO"), QStringLiteral("Dirección"), QStringLiteral("Falta dirección"),
                     WorksDataPage),
            departmentField(),
            required(QStringLiteral("ObrTipoCon"), QStringLiteral("Tipo de contribuyente"),
                     QStringLiteral("Falta Tipo de contribuyente"), WorksDataPage),
            required(QStringLiteral("ObrForma"), QStringLiteral("Forma de realización"),
                     QStringLiteral("Falta forma de realización de la obra"), WorksDataPage),
            percentage(QStringLiteral("ObrPorAUC"), QStringLiteral("Porcentaje AUC")),
            percentage(QStringLiteral("ObrPorCCM"), QStringLiteral("Porcentaje aplicable al calculo de CCM")),
            percentage(QStringLiteral("ObrPorAucP"), QStringLiteral("Porcentaje AUC patronal gradual")),
            required(QStringLiteral("ObrNroEmpr"), QStringLiteral("Nro. de empresa titular"),
                     QStringLiteral("Falta Nro. de empresa titular"), HolderPage),
            required(QStringLiteral("ObrNroCont"), QStringLiteral("Nro. de contribuyente titular"),
                     QStringLiteral("Falta Nro. de contribuyente titular"), HolderPage),
            optional(QStringLiteral("ObrDigCont"), QStringLiteral("Dígito de control"), HolderPage),
            required(QStringLiteral("ObrTipoApo"), QStringLiteral("Tipo de aportación"),
                     QStringLiteral("Falta Tipo de aportacion del titular"), HolderPage),
            required(QStringLiteral("ObrRazonSo"), QStringLiteral("Razón social"),
                     QStringLiteral("Falta Razón social del titular"), HolderPage),
            required(QStringLiteral("ObrDireccT"), QStringLiteral("Dirección"),
                     QStringLiteral("Falta Dirección titular"), HolderPage),
            required(QStringLiteral("ObrTelTit"), QStringLiteral("Teléfono"),
                     QStringLiteral("Falta Teléfono del titular"), HolderPage),
            optional(QStringLiteral("ObrFaxTit"), QStringLiteral("Fax"), HolderPage),
            optional(QStringLiteral("ObrCodApor"), QStringLiteral("Cod. aporte voluntario"), HolderPage),
            optional(QStringLiteral("ObrTipoVen"), QStringLiteral("Tipo de vencimiento"), HolderPage),
            optional(QStringLiteral("ObrCiuuTit"), QStringLiteral("CIUU del titular"), HolderPage),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta Centro de costo");
        declaration.audit.insert = QStringLiteral("Agrega obra centro de costo ");
        declaration.audit.modify = QStringLiteral("Modifica obra centro de costo ");
        declaration.audit.remove = QStringLiteral("Elimina obra centro de costo ");
        declaration.syncGroup = QStringLiteral("Obr");
        declaration.helpTopic = QStringLiteral("HLP_TOBRAS.htm");
        declaration.hooks.auditText = [](const Transaction& form) {
            return auditSentence(form, form.declaration().audit, auditFields());
        };
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WOBRAS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WOBRAS");
        declaration.title = QStringLiteral("Obras");
        declaration.table = QStringLiteral("OBRAS");
        declaration.index = QStringLiteral("IOBRAS");
        declaration.columns = {
            {QStringLiteral("ObrId"), QStringLiteral("Centro de costo"), {}, {}},
            {QStringLiteral("ObrNro"), QStringLiteral("Número"), QStringLiteral("ZZZZZZZZZ9"), {}},
            {QStringLiteral("ObrDireccO"), QStringLiteral("Dirección"), {}, {}},
            {QStringLiteral("ObrDeparta"), QStringLiteral("Departamento"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TOBRAS");
        declaration.listing = QStringLiteral("ROBRASLI");
        declaration.filterField = QStringLiteral("ObrDireccO");
        declaration.helpTopic = QStringLiteral("HLP_WOBRAS.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TOBRAS);
const ObjectRegistration panel(&WOBRAS);
}  // namespace
