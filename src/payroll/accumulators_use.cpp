// Where accumulators meet the report generator and the concepts' formulas:
// the description control PCTRLDES (the report generator offers each
// historical accumulator as a field named by its description, so that name
// must be free among its fields), whether a report shows an accumulator, and
// WACUMHLU, the concepts and reports that read one.
#include "payroll/accumulators.h"

#include "data/database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "payroll/definition_reads.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

/// A description as the report generator compares it: accents removed,
/// without regard to case, without surrounding blanks.
QString comparable(const QString& description)
{
    static const QString accented = u"áéíóúüÁÉÍÓÚÜ"_s;
    static const QString plain = u"aeiouuAEIOUU"_s;
    QString text = description.trimmed();
    for (QChar& character : text) {
        const qsizetype at = accented.indexOf(character);
        if (at >= 0)
            character = plain.at(at);
    }
    return text.toLower();
}

/// The names under which the report generator offers an accumulator: its
/// description, and for the calendar year the previous and current years.
QStringList reportNames(const QString& description, const QString& period)
{
    const QString name = comparable(description);
    if (period.trimmed() != u"C"_s)
        return {name};
    return {name, name + u" (anterior)"_s, name + u" (corriente)"_s};
}

bool sharesName(const QStringList& ours, const QStringList& theirs)
{
    for (const QString& name : theirs) {
        if (ours.contains(name))
            return true;
    }
    return false;
}

/// Whether any text of column 0 of `statement`'s rows shares a name with `names`.
bool anyNamed(Database& database, const QString& statement, const QStringList& names, const QStringList& own = {})
{
    for (const QVariantList& row : readRows(database, statement, {})) {
        const QString theirs = comparable(row.value(0).toString());
        if (names.contains(theirs) && !own.contains(theirs))
            return true;
    }
    return false;
}

}  // namespace

QString PCTRLDES(Database& database, const QString& description, const QString& type, int number,
                 const QString& period, const QString& previous)
{
    if (description.contains(u'[') || description.contains(u']') || description.contains(u'.'))
        return u"No se permiten corchetes ni puntos en la descripción"_s;
    const QStringList names = reportNames(description, period);

    const QList<QVariantList> historical =
        readRows(database, u"SELECT AcuTipo, AcuId, AcuDesc, AcuPeriodo FROM ACUMHL WHERE AcuTipo = ?"_s, {u"H"_s});
    for (const QVariantList& other : historical) {
        if (type == u"H"_s && other.value(1).toInt() == number)
            continue;
        if (sharesName(names, reportNames(other.value(2).toString(), other.value(3).toString())))
            return u"Ya existe un acumulador histórico con esa descripción"_s;
    }
    if (anyNamed(database, u"SELECT FunADescri FROM FUNATRIB"_s, names))
        return u"Ya existe un atributo adicional con esa descripción"_s;
    if (anyNamed(database, u"SELECT InfCalTitu FROM INFORME4"_s, names))
        return u"Ya existe un campo calculado del generador de informes con esa descripción"_s;
    // The fields the report generator made of this accumulator under its
    // previous description are its own.
    const QStringList own = previous.trimmed().isEmpty() ? QStringList() : reportNames(previous, u"C"_s);
    if (anyNamed(database, u"SELECT CamDes FROM CAMPOS"_s, names, own))
        return u"Ya existe un campo del generador de informes con esa descripción"_s;
    return {};
}

namespace {

/// The reports (InfId, InfDes) whose columns, classification or filters
/// name a report field of the accumulator described `description`.
QList<QVariantList> reportsShowing(Database& database, const QString& description)
{
    const QStringList names = reportNames(description, u"C"_s);
    QList<QVariantList> reports;
    QList<int> seen;
    const QList<QVariantList> uses = readRows(
        database,
        u"SELECT I.InfId, I.InfDes, C.CamDes FROM INFORME I, INFORME1 D, CAMPOS C "
        u"WHERE D.InfId = I.InfId AND C.CamId = D.CamId "
        u"UNION ALL SELECT I.InfId, I.InfDes, C.CamDes FROM INFORME I, INFORME2 D, CAMPOS C "
        u"WHERE D.InfId = I.InfId AND C.CamId = D.CamId "
        u"UNION ALL SELECT I.InfId, I.InfDes, C.CamDes FROM INFORME I, INFORME3 D, CAMPOS C "
        u"WHERE D.InfId = I.InfId AND C.CamId = D.CamId"_s,
        {});
    for (const QVariantList& use : uses) {
        const int report = use.value(0).toInt();
        if (seen.contains(report) || !names.contains(comparable(use.value(2).toString())))
            continue;
        seen.append(report);
        reports.append({report, use.value(1).toString().trimmed()});
    }
    return reports;
}

/// The accumulator a WACUMHLU is called under ("H 3"), split.
bool splitAccumulator(const QString& parent, QString& type, int& number)
{
    type = parent.section(u' ', 0, 0).trimmed();
    bool isNumber = false;
    number = parent.section(u' ', 1, 1).toInt(&isNumber);
    return isNumber && !type.isEmpty();
}

QList<QStringList> usesOf(const WorkPanel& panel, QString& error)
{
    (void)error;
    QString type;
    int number = 0;
    if (!splitAccumulator(panel.parent(), type, number))
        return {};
    Database& database = panel.database();
    const QString parent = panel.parent();
    const QString operand = u"AC"_s + type;
    QList<QStringList> rows;
    const QList<QVariantList> concepts = readRows(
        database,
        u"SELECT C.ConId, C.ConDesc FROM CONCEPT C WHERE C.ConId IN "
        u"(SELECT ConId FROM CONCEPT1 WHERE OpeUsar = ? AND OpeNro = ? "
        u"UNION SELECT ConId FROM CONCEPT4 WHERE CanUsar = ? AND CanNro = ?) ORDER BY C.ConId"_s,
        {operand, number, operand, number});
    for (const QVariantList& conceptId : concepts)
        rows.append({u"Concepto"_s, QString::number(conceptId.value(0).toInt()), conceptId.value(1).toString(), parent});
    if (type == u"H"_s) {
        const QList<QVariantList> described =
            readRows(database, u"SELECT AcuDesc FROM ACUMHL WHERE AcuTipo = ? AND AcuId = ?"_s, {type, number});
        if (!described.isEmpty()) {
            for (const QVariantList& report : reportsShowing(database, described.first().value(0).toString()))
                rows.append({u"Informe"_s, QString::number(report.value(0).toInt()), report.value(1).toString(), parent});
        }
    }
    return rows;
}

/// "Modifica concepto" opens the concept of a concept's row, "Modifica
/// informe" the report of a report's row.
void openUse(WorkPanel& panel, const CommandDecl& command, int row)
{
    if (row < 0 || row >= panel.rowCount())
        return;
    const bool isConcept = panel.cellText(row, 0).trimmed() == u"Concepto"_s;
    if (isConcept != (command.action == u"ModificaConcepto"_s))
        return;
    QString key = panel.cellText(row, 1).trimmed();
    QString mode = u"UPD"_s;
    panel.ui().callObject(isConcept ? u"TCONCEPT"_s : u"WDEFINFO"_s, key, mode);
}

CommandDecl modifyCommand(const QString& action, const QString& caption, const QString& toolTip)
{
    CommandDecl modify;
    modify.action = action;
    modify.caption = caption;
    modify.toolTip = toolTip;
    modify.needsRecord = true;
    return modify;
}

}  // namespace

bool reportShowsAccumulator(Database& database, const QString& description)
{
    return !reportsShowing(database, description).isEmpty();
}

const WorkPanelDecl& WACUMHLU()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WACUMHLU"_s;
        declaration.title = u"Acumulador usado en"_s;
        declaration.columns = {
            {u"UsoTipo"_s, u"Usado en"_s, {}, {}},
            {u"UsoId"_s, u"Código"_s, {}, {}},
            {u"UsoDesc"_s, u"Descripción"_s, {}, {}},
            {u"UsoAcum"_s, u"Acumulador"_s, {}, {}},
        };
        declaration.parentField = u"UsoAcum"_s;
        declaration.panelRows = &usesOf;
        // The list's own "Modificar" has no one form to call: a row is a
        // concept or a report, each opened by its own button.
        declaration.commands = {
            modifyCommand(u"ModificaConcepto"_s, u"Modifica &concepto"_s, u"Modifica concepto"_s),
            modifyCommand(u"ModificaInforme"_s, u"Modifica in&forme"_s, u"Modifica informe"_s),
        };
        declaration.command = &openUse;
        declaration.helpTopic = u"HLP_WACUMHLU.htm"_s;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration uses(&WACUMHLU);
const bool procedures = [] {
    ObjectRegistry::addEntry(u"PCTRLDES"_s, ObjectKind::Procedure, u"Control de descripción"_s);
    ObjectRegistry::addEntry(u"PACUELIM"_s, ObjectKind::Procedure, u"Elimina acumulador"_s);
    return true;
}();
}  // namespace
