// Locales: the establishments of the company in LOCALES, a number (`LocId`,
// "ZZ9") with its address and contact data, its registration number at the
// labour ministry (`LocPlaTrab`), where it is (`LocDeparta`, `LocLocalid`,
// stored by name), its wage-council group and subgroup (`GruCod`,
// `SubgruCod`, stored by code) and its activity dates. Synchronisation group
// "Loc".
//
// Department and locality must be in the installation's code lists, and a
// locality in its department's list. The four are chosen from pickers over
// those lists (locale_pickers.cpp), the locality among the department's and
// the subgroup among the group's. A missing ministry number, group or
// subgroup is only pointed out: the payroll can run without them.
#include "tables/locales.h"

#include "tables/code_lists.h"
#include "engine/lines.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "data/cursor.h"
#include "support/picture.h"

namespace {

const QString activityDatePicture = QStringLiteral("dd/mm/yyyy");

QString textOf(const Transaction& form, const QString& field)
{
    return form.value(field).toString().trimmed();
}

/// A notice when the field is blank.
FieldRule noticeWhenBlank(const QString& field, const QString& notice)
{
    return [field, notice](Transaction& form) {
        return textOf(form, field).isEmpty() ? FieldVerdict::refuse(notice) : FieldVerdict::ok();
    };
}

FieldVerdict checkDepartment(Transaction& form)
{
    const QString department = textOf(form, QStringLiteral("LocDeparta"));
    if (department.isEmpty())
        return FieldVerdict::ok();
    const CodeList departments = PLEEDEPT();
    if (!departments.ok())
        return FieldVerdict::refuse(departments.error);
    if (!CodeLists::containsName(departments, department))
        return FieldVerdict::refuse(QStringLiteral("Departamento incorrecto"));
    return FieldVerdict::ok();
}

FieldVerdict checkLocality(Transaction& form)
{
    const QString locality = textOf(form, QStringLiteral("LocLocalid"));
    if (locality.isEmpty())
        return FieldVerdict::ok();
    const CodeList localities = PLEELOCA();
    if (!localities.ok())
        return FieldVerdict::refuse(localities.error);
    if (!CodeLists::containsName(localities, locality, textOf(form, QStringLiteral("LocDeparta"))))
        return FieldVerdict::refuse(QStringLiteral("Localidad incorrecta"));
    return FieldVerdict::ok();
}

/// A locale cannot close before it opened.
FieldVerdict checkClosingDate(Transaction& form)
{
    const QDate opened = form.value(QStringLiteral("LocFchInic")).toDate();
    const QDate closed = form.value(QStringLiteral("LocFchCier")).toDate();
    if (opened == emptyDate().date() || closed == emptyDate().date() || closed >= opened)
        return FieldVerdict::ok();
    return FieldVerdict::refuse(QStringLiteral("Fecha inválida"));
}

FieldDecl activityDate(const QString& name, const QString& label)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::Date;
    field.picture = activityDatePicture;
    return field;
}

QString shortDate(const Transaction&, const QVariant& value)
{
    return Picture(QStringLiteral("dd/mm/yy")).format(value.toDate());
}

/// "09 - Industria de la construcción ...": the code and its name.
QString groupText(const Transaction&, const QVariant& value)
{
    const QString code = value.toString().trimmed();
    const QString name = CodeLists::nameOf(PLEEGRUP(), code);
    return name.isEmpty() ? code : code + QStringLiteral(" - ") + name;
}

QString subgroupText(const Transaction& form, const QVariant& value)
{
    const QString code = value.toString().trimmed();
    const QString name = CodeLists::nameOf(PLEESUBG(), code, textOf(form, QStringLiteral("GruCod")));
    return name.isEmpty() ? code : code + QStringLiteral(" - ") + name;
}

const QList<AuditField>& auditFields()
{
    static const QList<AuditField> fields = {
        {QStringLiteral("LocDesc"), QStringLiteral(", descripción/dirección = "),
         QStringLiteral(" Descripción/dirección = "), {}},
        {QStringLiteral("LocNroKm"), QStringLiteral(", nro o km = "), {}, {}},
        {QStringLiteral("LocTelefon"), QStringLiteral(", teléfono = "), {}, {}},
        {QStringLiteral("LocFax"), QStringLiteral(", fax = "), {}, {}},
        {QStringLiteral("LocPlaTrab"), QStringLiteral(", nro. MTSS = "), {}, {}},
        {QStringLiteral("LocDeparta"), QStringLiteral(", departamento = "), {}, {}},
        {QStringLiteral("LocLocalid"), QStringLiteral(", localidad = "), {}, {}},
        {QStringLiteral("GruCod"), QStringLiteral(", grupo = "), {}, &groupText},
        {QStringLiteral("SubgruCod"), QStringLiteral(", subgrupo = "), {}, &subgroupText},
        {QStringLiteral("LocCPostal"), QStringLiteral(", código postal = "), {}, {}},
        {QStringLiteral("LocFchInic"), QStringLiteral(", fecha inicio actividad = "), {}, &shortDate},
        {QStringLiteral("LocFchCier"), QStringLiteral(", fecha cierre actividad = "), {}, &shortDate},
        {QStringLiteral("LocObserva"), QStringLiteral(", observaciones = "), {}, {}},
    };
    return fields;
}

}  // namespace

const TransactionDecl& TLOCAL()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TLOCAL");
        declaration.title = QStringLiteral("Local");
        declaration.table = QStringLiteral("LOCALES");
        declaration.index = QStringLiteral("ILOCALES");

        FieldDecl ministryNumber = textField(QStringLiteral("LocPlaTrab"), QStringLiteral("Nº MTSS"));
        ministryNumber.rule = noticeWhenBlank(QStringLiteral("LocPlaTrab"), QStringLiteral("Aviso: No ingresó el Nº MTSS."));
        FieldDecl department = textField(QStringLiteral("LocDeparta"), QStringLiteral("Departamento"));
        department.rule = &checkDepartment;
        department.reference.listObject = QStringLiteral("WDEPTOS");
        FieldDecl locality = textField(QStringLiteral("LocLocalid"), QStringLiteral("Localidad"));
        locality.rule = &checkLocality;
        locality.reference.listObject = QStringLiteral("WLOCALI");
        locality.reference.parentField = QStringLiteral("LocDeparta");
        FieldDecl group = textField(QStringLiteral("GruCod"), QStringLiteral("Grupo"));
        group.rule = noticeWhenBlank(QStringLiteral("GruCod"), QStringLiteral("Aviso: No ingresó el Grupo."));
        group.reference.listObject = QStringLiteral("WGRUPO");
        FieldDecl closing = activityDate(QStringLiteral("LocFchCier"), QStringLiteral("Fecha cierre actividad"));
        closing.rule = &checkClosingDate;
        FieldDecl subgroup = textField(QStringLiteral("SubgruCod"), QStringLiteral("Subgrupo"));
        subgroup.rule = noticeWhenBlank(QStringLiteral("SubgruCod"), QStringLiteral("Aviso: No ingresó el SubGrupo"));
        subgroup.reference.listObject = QStringLiteral("WSUBGRUP");
        subgroup.reference.parentField = QStringLiteral("GruCod");

        declaration.fields = {
            keyField(QStringLiteral("LocId"), QStringLiteral("Local"), QStringLiteral("ZZ9")),
            textField(QStringLiteral("LocDesc"), QStringLiteral("Descripción/Dirección"),
                      QStringLiteral("Falta descripción")),
            textField(QStringLiteral("LocNroKm"), QStringLiteral("Nº/Km")),
            textField(QStringLiteral("LocTelefon"), QStringLiteral("Teléfono")),
            textField(QStringLiteral("LocFax"), QStringLiteral("Fax")),
            ministryNumber,
            department,
            locality,
            group,
            subgroup,
            textField(QStringLiteral("LocCPostal"), QStringLiteral("Código postal")),
            activityDate(QStringLiteral("LocFchInic"), QStringLiteral("Fecha inicio actividad")),
            closing,
            textField(QStringLiteral("LocObserva"), QStringLiteral("Observaciones")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta número de local");
        declaration.deleteChecks = {
            {QStringLiteral("REMUNERA"), QStringLiteral("IREMUNE3"), QStringLiteral("RemLocId"),
             QStringLiteral("Remuneraciones")},
            {QStringLiteral("FUNCIONA"), QStringLiteral("IFUNCIO8"), QStringLiteral("FunLocId"),
             QStringLiteral("Funcionarios")},
        };
        declaration.audit.insert = QStringLiteral("Agrega local ");
        declaration.audit.modify = QStringLiteral("Modifica local ");
        declaration.audit.remove = QStringLiteral("Elimina local ");
        declaration.syncGroup = QStringLiteral("Loc");
        declaration.helpTopic = QStringLiteral("HLP_TLOCAL.htm");
        declaration.hooks.auditText = [](const Transaction& form) {
            return auditSentence(form, form.declaration().audit, auditFields());
        };
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WLOCALES()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WLOCALES");
        declaration.title = QStringLiteral("Locales");
        declaration.table = QStringLiteral("LOCALES");
        declaration.index = QStringLiteral("ILOCALES");
        declaration.columns = {
            {QStringLiteral("LocId"), QStringLiteral("Local"), QStringLiteral("ZZ9"), {}},
            {QStringLiteral("LocDesc"), QStringLiteral("Descripción/Dirección"), {}, {}},
            {QStringLiteral("LocDeparta"), QStringLiteral("Departamento"), {}, {}},
            {QStringLiteral("LocLocalid"), QStringLiteral("Localidad"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TLOCAL");
        declaration.listing = QStringLiteral("RLOCALLI");
        declaration.filterField = QStringLiteral("LocDesc");
        declaration.protection.names = {QStringLiteral("Local")};
        declaration.protection.message =
            QStringLiteral("No se puede eliminar el local, utilizado en preferencias del funcionario");
        declaration.helpTopic = QStringLiteral("HLP_WLOCALES.htm");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TLOCAL);
const ObjectRegistration panel(&WLOCALES);
}  // namespace
