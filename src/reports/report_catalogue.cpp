#include "reports/report_catalogue.h"

#include "data/cursor.h"
#include "data/schema.h"

#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

bool readReportCatalogue(Database& database, ReportFieldCatalogue& catalogue, QString* error)
{
    catalogue.clear();
    QueryCursor rows(database);
    if (DbError failure = rows.open(u"SELECT * FROM CAMPOS ORDER BY CamGrupo, CamOrden, CamId"_s)) {
        if (error)
            *error = u"No se pudo leer el catálogo de campos de informes: "_s + failure.message + u" "_s + failure.driverText;
        return false;
    }
    for (; rows.hasCurrent(); rows.moveNext()) {
        ReportCatalogueField entry;
        entry.id = int(rows.integer(u"CamId"_s));
        entry.description = rows.text(u"CamDes"_s).trimmed();
        entry.group = int(rows.integer(u"CamGrupo"_s));
        entry.table = rows.text(u"CamTabla"_s).trimmed();
        entry.column = rows.text(u"CamText"_s).trimmed();
        entry.type = reportFieldType(rows.text(u"CamTipo"_s));
        entry.picture = rows.text(u"CamPLEdici"_s).trimmed();
        entry.summable = rows.text(u"CamSumar"_s).trimmed().toUpper() == u"S"_s;
        catalogue.insert(entry.id, entry);
    }
    database.idleFreeLocks();
    return true;
}

namespace {

/// The tables that give a report one row per record of theirs; a report
/// reads at most one of them.
const QStringList rowTables = {u"HISTORIA"_s, u"MOVIMIEN"_s, u"LIQUIDAC"_s, u"FICHA"_s};

/// Each row table's concept, cost centre and run type columns (empty: none).
struct RowTableKeys {
    QString conceptColumn;
    QString costCentre;
    QString runType;
};

RowTableKeys keysOf(const QString& rowTable)
{
    if (rowTable == u"HISTORIA"_s)
        return {u"HISTORIA.HConId"_s, u"HISTORIA.MovCCId"_s, u"HISTORIA.HTLId"_s};
    if (rowTable == u"MOVIMIEN"_s)
        return {u"MOVIMIEN.ConId"_s, u"MOVIMIEN.MovCCId"_s, u"MOVIMIEN.MovTLId"_s};
    if (rowTable == u"LIQUIDAC"_s)
        return {u"LIQUIDAC.LConId"_s, {}, {}};
    return {};
}

/// The tables joined through the employee's position.
const QStringList positionTables = {u"CARGOS"_s, u"CATEGORI"_s, u"LUGARTRA"_s};

/// The joins of the tables that hang on the employee or on the position.
QString fixedJoin(const QString& table)
{
    static const QHash<QString, QString> joins = {
        {u"HORARIOS"_s, u"LEFT JOIN HORARIOS ON (HORARIOS.HorId = FUNCIONA.FunHorId)"_s},
        {u"LUGARCOB"_s, u"LEFT JOIN LUGARCOB ON (LUGARCOB.CobId = FUNCIONA.FunCobId)"_s},
        {u"LOCALES"_s, u"LEFT JOIN LOCALES ON (LOCALES.LocId = FUNCIONA.FunLocId)"_s},
        {u"CARGOSFU"_s, u"LEFT JOIN CARGOSFU ON (CARGOSFU.FunId = FUNCIONA.FunId)"_s},
        {u"CARGOS"_s, u"LEFT JOIN CARGOS ON (CARGOS.CarId = CARGOSFU.FunCarId)"_s},
        {u"CATEGORI"_s, u"LEFT JOIN CATEGORI ON (CATEGORI.CatId = CARGOSFU.FunCatId)"_s},
        {u"LUGARTRA"_s, u"LEFT JOIN LUGARTRA ON (LUGARTRA.TraId = CARGOSFU.FunTraId)"_s},
        {u"FICCOD"_s, u"LEFT JOIN FICCOD ON (FICCOD.FicCod = FICHA.FicCod)"_s},
    };
    return joins.value(table);
}

/// An attribute's alias, "FUNATRVAF3": position flag and number.
struct AttributeAlias {
    bool position = false;
    int attribute = 0;
};

std::optional<AttributeAlias> attributeAlias(const QString& table)
{
    static const QRegularExpression pattern(u"^FUNATRVA([FC])([1-9][0-9]{0,2})$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(table);
    if (!match.hasMatch())
        return std::nullopt;
    return AttributeAlias{match.captured(1).toUpper() == u"C"_s, match.captured(2).toInt()};
}

/// Splits a catalogue column "TABLE.Field"; nullopt for anything else.
std::optional<std::pair<QString, QString>> splitColumn(const QString& column)
{
    static const QRegularExpression pattern(u"^([A-Za-z][A-Za-z0-9]{0,19})\\.([A-Za-z][A-Za-z0-9]{0,19})$"_s);
    const QRegularExpressionMatch match = pattern.match(column);
    if (!match.hasMatch())
        return std::nullopt;
    return std::make_pair(match.captured(1), match.captured(2));
}

QString invalidField(const ReportCatalogueField& field)
{
    return u"El campo "_s + QString::number(field.id) + u" ("_s + field.description
           + u") del catálogo de campos de informes no es válido"_s;
}

}  // namespace

ReportSource planReportSource(const QList<ReportCatalogueField>& fields)
{
    ReportSource source;
    QSet<QString> needed;
    QStringList attributeJoins;
    bool positionAttributes = false;
    for (const ReportCatalogueField& field : fields) {
        const std::optional<std::pair<QString, QString>> parts = splitColumn(field.column);
        if (!parts) {
            source.error = invalidField(field);
            return source;
        }
        const QString table = parts->first.toUpper();
        const std::optional<AttributeAlias> alias = attributeAlias(table);
        const TableDef* definition = Schema::table(alias ? u"FUNATRVA"_s : table);
        const FieldDef* column = definition ? definition->field(parts->second) : nullptr;
        // The table expression must be the one the catalogue writes for the
        // column: the table itself, or the attribute's join.
        const QString expected = alias ? attributeJoin(alias->position, alias->attribute) : table;
        if (!column || field.table.compare(expected, Qt::CaseInsensitive) != 0
            || (!alias && table != u"FUNCIONA"_s && !rowTables.contains(table) && fixedJoin(table).isEmpty()
                && table != u"CENTROCO"_s && table != u"CONCEPT"_s && table != u"TIPLIQUI"_s)) {
            source.error = invalidField(field);
            return source;
        }
        source.columns.insert(field.id, (alias ? table : definition->name) + u'.' + column->name);
        if (alias) {
            if (!attributeJoins.contains(expected))
                attributeJoins.append(expected);
            positionAttributes = positionAttributes || alias->position;
            continue;
        }
        needed.insert(definition->name);
    }
    if (needed.contains(u"FICCOD"_s))
        needed.insert(u"FICHA"_s);
    QStringList presentRows;
    for (const QString& table : rowTables) {
        if (needed.contains(table))
            presentRows.append(table);
    }
    if (presentRows.size() > 1) {
        source.error = u"Un informe no puede combinar campos de legajo, liquidaciones, movimientos y cálculos; "
                       u"elija uno solo de esos temas"_s;
        return source;
    }
    const QString rowTable = presentRows.value(0);
    const RowTableKeys keys = keysOf(rowTable);
    QStringList joins;
    if (!rowTable.isEmpty())
        joins.append(u"JOIN "_s + rowTable + u" ON ("_s + rowTable + u".FunId = FUNCIONA.FunId)"_s);
    bool positionNeeded = positionAttributes || needed.contains(u"CARGOSFU"_s);
    for (const QString& table : positionTables)
        positionNeeded = positionNeeded || needed.contains(table);
    if (positionNeeded)
        joins.append(fixedJoin(u"CARGOSFU"_s));
    source.rowTable = rowTable;
    source.positionJoined = positionNeeded;
    for (const QString& table : {u"HORARIOS"_s, u"LUGARCOB"_s, u"LOCALES"_s, u"CARGOS"_s, u"CATEGORI"_s,
                                 u"LUGARTRA"_s, u"FICCOD"_s}) {
        if (needed.contains(table))
            joins.append(fixedJoin(table));
    }
    const auto joinThrough = [&](const QString& table, const QString& key, const QString& keyColumn,
                                 const QString& subject) {
        if (!needed.contains(table))
            return true;
        if (keyColumn.isEmpty()) {
            source.error = u"Los campos de "_s + subject
                           + u" necesitan un campo de liquidaciones, movimientos o cálculos en el informe"_s;
            return false;
        }
        joins.append(u"LEFT JOIN "_s + table + u" ON ("_s + table + u'.' + key + u" = "_s + keyColumn + u')');
        return true;
    };
    if (!joinThrough(u"CONCEPT"_s, u"ConId"_s, keys.conceptColumn, u"conceptos"_s)
        || !joinThrough(u"CENTROCO"_s, u"CCId"_s, keys.costCentre, u"centro de costo"_s)
        || !joinThrough(u"TIPLIQUI"_s, u"TLId"_s, keys.runType, u"tipo de liquidación"_s))
        return source;
    joins.append(attributeJoins);
    source.from = u"FUNCIONA"_s;
    for (const QString& join : joins)
        source.from += u' ' + join;
    return source;
}
