// WCONUSAD, where a concept is used: the accumulators it feeds, the
// accounting-entry lines that take it, and a third grid with every other
// place that names it, so that nothing is missed before a concept is
// changed, merged or deleted.
#include "payroll/concept_usage.h"

#include "data/database.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "payroll/accounting_entries.h"
#include "payroll/definition_reads.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

const QString conceptsGroup = u"Con"_s;

QString accumulatorTypeText(const QString& code)
{
    if (code == u"H"_s)
        return u"histórico"_s;
    if (code == u"L"_s)
        return u"liquidación"_s;
    if (code == u"M"_s)
        return u"movimientos"_s;
    return code;
}

QString periodText(const QString& code)
{
    if (code == u"C"_s)
        return u"Año civil"_s;
    if (code == u"L"_s)
        return u"Cronológico"_s;
    if (code == u"A"_s)
        return u"Aguinaldo"_s;
    return code;
}

/// A month or number, blank when it is zero.
QString numberOrBlank(const QVariant& value)
{
    const qint64 number = value.toLongLong();
    return number == 0 ? QString() : QString::number(number);
}

QString trimmed(const QVariant& value)
{
    return value.toString().trimmed();
}

/// Reads `select` bound to the concept once per "?", unless an earlier read
/// failed; a failure sets `error` with the table named.
QList<QVariantList> readUses(Database& database, const QString& select, int conceptCode, const QString& table,
                             DbError& error)
{
    if (error)
        return {};
    QVariantList values;
    for (qsizetype mark = select.count(u'?'); mark > 0; --mark)
        values << conceptCode;
    bool failed = false;
    QList<QVariantList> rows = readRows(database, select, values, &failed);
    if (failed)
        error = DbError::make(DbErrorNumber::Unexpected, u"No se pudo leer "_s + table);
    return rows;
}

void addAccumulators(Database& database, int conceptCode, ConceptUsage& usage, DbError& error)
{
    const QList<QVariantList> rows = readUses(
        database,
        u"SELECT C.AcuTipo, C.AcuId, A.AcuDesc, A.AcuPeriodo, A.AcuDesde, A.AcuHasta, C.ConAcuOpe "
        u"FROM CONCEPT3 C LEFT JOIN ACUMHL A ON A.AcuTipo = C.AcuTipo AND A.AcuId = C.AcuId "
        u"WHERE C.ConId = ? ORDER BY C.AcuTipo, C.AcuId"_s,
        conceptCode, u"CONCEPT3"_s, error);
    for (const QVariantList& row : rows) {
        const QString type = trimmed(row.value(0));
        const int number = row.value(1).toInt();
        usage.accumulators.append({{accumulatorTypeText(type), QString::number(number), trimmed(row.value(2)),
                                    periodText(trimmed(row.value(3))), numberOrBlank(row.value(4)),
                                    numberOrBlank(row.value(5)), trimmed(row.value(6))},
                                   type + u'\t' + QString::number(number)});
    }
}

void addEntries(Database& database, int conceptCode, ConceptUsage& usage, DbError& error)
{
    const QList<QVariantList> rows = readUses(
        database,
        u"SELECT DISTINCT L.AsiId, A.AsiDesc, L.AsiLin FROM ASIENT4 L LEFT JOIN ASIENTO A ON A.AsiId = L.AsiId "
        u"WHERE L.ConId = ? ORDER BY L.AsiId, L.AsiLin"_s,
        conceptCode, u"ASIENT4"_s, error);
    for (const QVariantList& row : rows) {
        const QString entry = QString::number(row.value(0).toLongLong());
        const QString line = QString::number(row.value(2).toInt());
        usage.entries.append({{entry, trimmed(row.value(1)), line}, entry + u'\t' + line});
    }
}

/// One kind of other use: a select of code, description and detail, and
/// the words of its "Usado en" column.
struct OtherUse {
    const char16_t* where;
    const char16_t* table;
    const char16_t* select;
    /// Set: turns the value read into the detail shown; unset: shown as read.
    QString (*detail)(const QVariant& value) = nullptr;
};

/// A contribution group's share of the concept: "Gravado 100%".
QString taxedShare(const QVariant& value)
{
    return u"Gravado "_s + QString::number(value.toDouble(), 'g', 12) + u'%';
}

// In the order the third grid shows them; the run types name a concept in
// four fields, each with its own meaning.
constexpr OtherUse otherUses[] = {
    {u"Cálculo de importe", u"CONCEPT1",
     u"SELECT L.ConId, C.ConDesc, 'Línea ' || CAST(L.OpeLin AS VARCHAR(10)) FROM CONCEPT1 L "
     u"LEFT JOIN CONCEPT C ON C.ConId = L.ConId WHERE L.ConIdImp = ? ORDER BY L.ConId, L.OpeLin"},
    {u"Cálculo de cantidad", u"CONCEPT4",
     u"SELECT L.ConId, C.ConDesc, 'Línea ' || CAST(L.CanLin AS VARCHAR(10)) FROM CONCEPT4 L "
     u"LEFT JOIN CONCEPT C ON C.ConId = L.ConId WHERE L.ConIdCant = ? ORDER BY L.ConId, L.CanLin"},
    {u"Expansión", u"CONCEPT2",
     u"SELECT E.ConId, C.ConDesc, 'Se expande en este concepto' FROM CONCEPT2 E "
     u"LEFT JOIN CONCEPT C ON C.ConId = E.ConId WHERE E.ExpConId = ? ORDER BY E.ConId"},
    {u"Grupo de aportes", u"APORTE1",
     u"SELECT L.AporId, G.AporDesc, L.AporPorGra FROM APORTE1 L "
     u"LEFT JOIN APORTE G ON G.AporId = L.AporId WHERE L.AporConId = ? ORDER BY L.AporId",
     &taxedShare},
    {u"Tipo de liquidación", u"TIPLIQUI",
     u"SELECT TLId, TLDesc, 'Concepto de aguinaldo' FROM TIPLIQUI WHERE TLConIdAgu = ? "
     u"UNION ALL SELECT TLId, TLDesc, 'Descuento de liquidaciones de adelanto' FROM TIPLIQUI WHERE TLConIdDes = ? "
     u"UNION ALL SELECT TLId, TLDesc, 'Descuento de líquidos negativos' FROM TIPLIQUI WHERE TLConIdNeg = ? "
     u"UNION ALL SELECT TLId, TLDesc, 'Resumen de liquidaciones de adelanto' FROM TIPLIQUI WHERE TLConIdRes = ? "
     u"UNION ALL SELECT X.PLTLId, T.TLDesc, 'Concepto que no se repite' FROM PARLIQX X "
     u"LEFT JOIN TIPLIQUI T ON T.TLId = X.PLTLId WHERE X.PLConIdExc = ? ORDER BY 1, 3"},
    {u"Configuración", u"CONFIGUR",
     u"SELECT CfId, CfEmpresa, 'Concepto de redondeo' FROM CONFIGUR WHERE CfRedRCon = ?"},
    {u"Conceptos de marcas", u"HORMARCA",
     u"SELECT HMId, '', 'Horas normales' FROM HORMARCA WHERE HMConHNor = ? "
     u"UNION ALL SELECT HMId, '', 'Horas extra' FROM HORMARCA WHERE HMConHExtr = ? "
     u"UNION ALL SELECT HMId, '', 'Horas nocturnas' FROM HORMARCA WHERE HMConHNoc = ? "
     u"UNION ALL SELECT HMId, '', 'Horas extra nocturnas' FROM HORMARCA WHERE HMConHENoc = ? "
     u"UNION ALL SELECT HMId, '', 'Jornales' FROM HORMARCA WHERE HMConJorna = ? "
     u"UNION ALL SELECT HMId, '', 'Días de falta' FROM HORMARCA WHERE HMConDiaFa = ? "
     u"UNION ALL SELECT HMId, '', 'Horas de falta' FROM HORMARCA WHERE HMConHsFal = ? "
     u"UNION ALL SELECT HMId, '', 'Llegadas tarde (cantidad)' FROM HORMARCA WHERE HMConCLT = ? "
     u"UNION ALL SELECT HMId, '', 'Llegadas tarde (minutos)' FROM HORMARCA WHERE HMConMLT = ? ORDER BY 1, 3"},
    {u"Aplicación", u"CONCEPT5",
     u"SELECT P.ConAplId, A.FunADescri, P.ConAplValo FROM CONCEPT5 P "
     u"LEFT JOIN FUNATRIB A ON A.FunAId = P.ConAplId WHERE P.ConId = ? ORDER BY P.ConAplId"},
};

/// The parameters that may hold a concept code, by number or by text.
void addParameters(Database& database, int conceptCode, ConceptUsage& usage, DbError& error)
{
    if (error)
        return;
    bool failed = false;
    const QList<QVariantList> rows = readRows(
        database,
        u"SELECT ParTabla, ParParamet, ParIndice FROM PARAMETR WHERE "
        u"((TRIM(ParTabla) = 'Asientos' AND TRIM(ParParamet) IN ('ConPM', 'ConPJ')) "
        u"OR (TRIM(ParTabla) = 'PlaTrabajo' AND TRIM(ParParamet) IN ('ConIdM', 'ConIdJ')) "
        u"OR (TRIM(ParTabla) = 'Default' AND TRIM(ParParamet) = 'Concepto') "
        u"OR TRIM(ParParamet) IN ('ArchBROUM', 'ArchBROUJ')) "
        u"AND (ParValorNu = ? OR TRIM(ParValorCa) = ?) ORDER BY ParTabla, ParParamet, ParIndice"_s,
        {conceptCode, QString::number(conceptCode)}, &failed);
    if (failed) {
        error = DbError::make(DbErrorNumber::Unexpected, u"No se pudo leer PARAMETR"_s);
        return;
    }
    for (const QVariantList& row : rows) {
        usage.elsewhere.append({{u"Parámetro"_s, trimmed(row.value(0)) + u' ' + trimmed(row.value(1)), QString(),
                                 u"Índice "_s + QString::number(row.value(2).toInt())},
                                {}});
    }
}

void addOtherUses(Database& database, int conceptCode, ConceptUsage& usage, DbError& error)
{
    for (const OtherUse& use : otherUses) {
        const QList<QVariantList> rows = readUses(database, QString::fromUtf16(use.select), conceptCode,
                                                  QString::fromUtf16(use.table), error);
        for (const QVariantList& row : rows) {
            const QString detail = use.detail ? use.detail(row.value(2)) : trimmed(row.value(2));
            usage.elsewhere.append({{QString::fromUtf16(use.where), trimmed(row.value(0)), trimmed(row.value(1)), detail},
                                    {}});
        }
    }
    addParameters(database, conceptCode, usage, error);
}

}  // namespace

QStringList accumulatorHeadings()
{
    return {u"Tipo"_s, u"Número"_s, u"Descripción"_s, u"Período"_s, u"Desde"_s, u"Hasta"_s, u"Operación"_s};
}

QStringList entryHeadings()
{
    return {u"Asiento"_s, u"Descripción"_s, u"Línea"_s};
}

QStringList elsewhereHeadings()
{
    return {u"Usado en"_s, u"Código"_s, u"Descripción"_s, u"Detalle"_s};
}

ConceptUsage readConceptUsage(Database& database, int conceptCode, DbError& error)
{
    ConceptUsage usage;
    addAccumulators(database, conceptCode, usage, error);
    addEntries(database, conceptCode, usage, error);
    addOtherUses(database, conceptCode, usage, error);
    return usage;
}

bool WCONUSAD::start(const QString& key)
{
    conceptCode_ = key.section(u'\t', 0, 0).trimmed().toInt();
    description_ = conceptField(database_, conceptCode_, u"ConDesc"_s).toString().trimmed();
    return refresh();
}

QString WCONUSAD::title() const
{
    return u"Concepto "_s + QString::number(conceptCode_) + u" - "_s + description_ + u" usado en"_s;
}

bool WCONUSAD::refresh()
{
    DbError error;
    usage_ = readConceptUsage(database_, conceptCode_, error);
    if (error) {
        ui_.message(error.fullText(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool WCONUSAD::modifyAccumulator(int row)
{
    return open(usage_.accumulators, row, conceptsGroup, u"TACUMHL"_s);
}

bool WCONUSAD::modifyEntryLine(int row)
{
    return open(usage_.entries, row, QString::fromUtf16(entrySyncGroup), u"TASIENT2"_s);
}

bool WCONUSAD::open(const QList<UsageRow>& rows, int row, const QString& syncGroup, const QString& object)
{
    if (row < 0 || row >= rows.size())
        return false;
    if (readSyncSwitches(database_, syncGroup).copiedAutomatically()) {
        ui_.message(u"Esta tabla se copia automáticamente. "_s, MessageIcon::Exclamation);
        return false;
    }
    QString key = rows.at(row).key;
    QString mode = u"UPD"_s;
    ui_.callObject(object, key, mode);
    refresh();
    return true;
}
