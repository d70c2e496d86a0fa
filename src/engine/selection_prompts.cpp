// The selection prompts: work panels that hand back the key of the chosen row
// to the form that called them.
#include "engine/object_registry.h"

#include "engine/work_panel.h"

namespace {

WorkPanelDecl prompt(const QString& name, const QString& title, const QString& table, const QString& index,
                     QList<ColumnDecl> columns)
{
    WorkPanelDecl panel;
    panel.name = name;
    panel.title = title;
    panel.table = table;
    panel.index = index;
    panel.columns = std::move(columns);
    panel.selection = true;
    return panel;
}

/// WKQ00N0 lists active concepts from the number in "Desde" on, of the group
/// in "Grupo" when one is given; "Inactivos" = "S" lists inactive ones too.
bool conceptPasses(const WorkPanel& panel, const RecordCursor& row)
{
    const QString from = panel.filterValue(QStringLiteral("Desde")).trimmed();
    if (!from.isEmpty() && row.number(QStringLiteral("ConId")) < from.toDouble())
        return false;
    const QString group = panel.filterValue(QStringLiteral("Grupo")).trimmed().toUpper();
    if (!group.isEmpty() && row.text(QStringLiteral("ConGrupo")).trimmed().toUpper() != group)
        return false;
    const bool withInactive = panel.filterValue(QStringLiteral("Inactivos")).trimmed() == QLatin1String("S");
    return withInactive || row.integer(QStringLiteral("ConActivo")) == 1;
}

}  // namespace

const WorkPanelDecl& WKQ00A0()
{
    static const WorkPanelDecl panel =
        prompt(QStringLiteral("WKQ00A0"), QStringLiteral("Básicos"), QStringLiteral("BASICOS"),
               QStringLiteral("IBASICOS"),
               {{QStringLiteral("BasId"), QStringLiteral("Básico"), QStringLiteral("ZZZ9"), {}},
                {QStringLiteral("BasDesc"), QStringLiteral("Descripción"), {}, {}}});
    return panel;
}

const WorkPanelDecl& WKQ00I0()
{
    static const WorkPanelDecl panel =
        prompt(QStringLiteral("WKQ00I0"), QStringLiteral("Tablas de aumentos"), QStringLiteral("AUMENTO"),
               QStringLiteral("IAUMENTO"),
               {{QStringLiteral("AumId"), QStringLiteral("Tabla"), QStringLiteral("Z9"), {}},
                {QStringLiteral("AumDesc"), QStringLiteral("Descripción"), {}, {}}});
    return panel;
}

const WorkPanelDecl& WKQ00L0()
{
    static const WorkPanelDecl panel =
        prompt(QStringLiteral("WKQ00L0"), QStringLiteral("Grupos de aportes"), QStringLiteral("APORTE"),
               QStringLiteral("IGRAVANT"),
               {{QStringLiteral("AporId"), QStringLiteral("Grupo"), QStringLiteral("9"), {}},
                {QStringLiteral("AporDesc"), QStringLiteral("Descripción"), {}, {}}});
    return panel;
}

const WorkPanelDecl& WKQ00N0()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl concepts =
            prompt(QStringLiteral("WKQ00N0"), QStringLiteral("Conceptos"), QStringLiteral("CONCEPT"),
                   QStringLiteral("ICONCEPT"),
                   {{QStringLiteral("ConId"), QStringLiteral("Concepto"), QStringLiteral("ZZZ9"), {}},
                    {QStringLiteral("ConDesc"), QStringLiteral("Descripción"), {}, {}},
                    {QStringLiteral("ConTipo"), QStringLiteral("Tipo"), {},
                     {{1, QStringLiteral("Haber")},
                      {2, QStringLiteral("Descuento de ley")},
                      {3, QStringLiteral("Descuento")},
                      {0, QStringLiteral("Interno")}}},
                    {QStringLiteral("ConGrupo"), QStringLiteral("Grupo"), QStringLiteral("!!!"), {}},
                    {QStringLiteral("ConNotas"), QStringLiteral("Notas"), {}, {}}});
        concepts.filterField = QStringLiteral("ConDesc");
        concepts.rowFilter = &conceptPasses;
        return concepts;
    }();
    return panel;
}

const WorkPanelDecl& WKQ00S0()
{
    static const WorkPanelDecl panel =
        prompt(QStringLiteral("WKQ00S0"), QStringLiteral("Tipos de liquidación"), QStringLiteral("TIPLIQUI"),
               QStringLiteral("ITIPLIQU"),
               {{QStringLiteral("TLId"), QStringLiteral("Tipo"), QStringLiteral("!"), {}},
                {QStringLiteral("TLDesc"), QStringLiteral("Descripción"), {}, {}}});
    return panel;
}
