#include "data/schema.h"

#include <QHash>

#include <algorithm>

// Field and index helpers keep each table definition to one readable block.
// A text field's size is the longest value its form accepts; 0 leaves it
// unbounded.

namespace {

FieldDef integer(const QString& name) { return {name, FieldType::Integer, 0}; }
FieldDef longInteger(const QString& name) { return {name, FieldType::Long, 0}; }
FieldDef real(const QString& name) { return {name, FieldType::Double, 0}; }
FieldDef currency(const QString& name) { return {name, FieldType::Currency, 0}; }
FieldDef date(const QString& name) { return {name, FieldType::Date, 0}; }
FieldDef text(const QString& name, int size = 0) { return {name, FieldType::Text, size}; }
FieldDef memo(const QString& name) { return {name, FieldType::Memo, 0}; }
FieldDef yesNo(const QString& name) { return {name, FieldType::YesNo, 0}; }

/// The table's key: the index a transaction seeks its record through.
IndexDef primary(const QString& name, const QStringList& fields)
{
    return {name, fields, true, true};
}

IndexDef secondary(const QString& name, const QStringList& fields)
{
    return {name, fields, false, false};
}

IndexDef uniqueIndex(const QString& name, const QStringList& fields)
{
    return {name, fields, false, true};
}

QList<TableDef> buildTables()
{
    QList<TableDef> tables;

    tables.append({"AUDITORI", "Auditoría",
        {real("AudCorrela"), integer("AudLinea"), date("AudFecha"), text("AudHora", 8),
         text("UsuNombre", 30), integer("TarCodigo"), text("AudDescrip", 200),
         longInteger("AudFunId")},
        {primary("IAUDITOR", {"AudCorrela", "AudLinea"})}});

    tables.append({"CARGOSFU", "Cargos de funcionarios",
        {integer("AumId"), text("CalFerId", 10), integer("DiLId"), integer("FunAL"),
         integer("FunCarId"), integer("FunCatId"), date("FunFecBaja"), date("FunFecIngr"),
         longInteger("FunId"), integer("PTCarId"), integer("PTConId")},
        {primary("ICARGOSF", {"FunId", "FunAL"}),
         secondary("ICARGOS1", {"AumId"}),
         secondary("ICARGOS6", {"FunCatId"})}});

    tables.append({"CATEGORI", "Categorías",
        {text("CatDesc", 30), integer("CatId")},
        {primary("ICATEGOR", {"CatId"})}});

    tables.append({"CONFIGUR", "Configuración de la empresa",
        {text("CfEmpresa", 50), integer("CfId"), integer("CfRedRCon"),
         currency("CfVersion"), text("PLTLId", 3)},
        {primary("ICONFIGU", {"CfId"}),
         secondary("ICONFIG1", {"CfRedRCon"}),
         secondary("ICONFIG2", {"PLTLId"})}});

    tables.append({"PARAMETR", "Parámetros",
        {integer("ParIndice"), text("ParParamet", 30), text("ParTabla", 30),
         text("ParValorCa", 255), date("ParValorFe"), real("ParValorNu")},
        {primary("IPARAMET", {"ParTabla", "ParParamet", "ParIndice"})}});

    (void)memo;
    (void)yesNo;
    (void)uniqueIndex;
    return tables;
}

}  // namespace

const int Schema::currentVersion = 1;

const FieldDef* TableDef::field(const QString& name) const
{
    for (const FieldDef& candidate : fields) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const IndexDef* TableDef::index(const QString& name) const
{
    for (const IndexDef& candidate : indexes) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const IndexDef* TableDef::primaryIndex() const
{
    for (const IndexDef& candidate : indexes) {
        if (candidate.primary)
            return &candidate;
    }
    return nullptr;
}

const QList<TableDef>& Schema::tables()
{
    static const QList<TableDef> all = [] {
        QList<TableDef> built = buildTables();
        std::sort(built.begin(), built.end(), [](const TableDef& left, const TableDef& right) {
            return left.name < right.name;
        });
        return built;
    }();
    return all;
}

const TableDef* Schema::table(const QString& name)
{
    static const QHash<QString, const TableDef*> byName = [] {
        QHash<QString, const TableDef*> map;
        for (const TableDef& table : tables())
            map.insert(table.name.toUpper(), &table);
        return map;
    }();
    return byName.value(name.toUpper(), nullptr);
}
