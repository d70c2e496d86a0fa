// Concepts: the selection prompt WKQ00N0 of CONCEPT, with its filters on the
// starting number, the description and the group, and a check box that also
// lists the inactive concepts (`ConActivo` 1 is active).
#include "payroll/concepts.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00N0()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration = selectionPrompt(
            u"WKQ00N0"_s, u"Conceptos"_s, u"CONCEPT"_s, u"ICONCEPT"_s,
            {{u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s, {}},
             {u"ConDesc"_s, u"Descripción"_s, {}, {}},
             {u"ConTipo"_s, u"Tipo"_s, {},
              {{1, u"Haber"_s}, {2, u"Descuento de ley"_s}, {3, u"Descuento"_s}, {0, u"Interno"_s}}},
             {u"ConGrupo"_s, u"Grupo"_s, u"!!!"_s, {}},
             {u"ConNotas"_s, u"Notas"_s, {}, {}}});
        declaration.filterField = u"ConDesc"_s;
        declaration.filters = {
            {u"Desde"_s, u"Desde"_s, FilterKind::StartNumber, u"ConId"_s},
            {u"Grupo"_s, u"Grupo"_s, FilterKind::Choice, u"ConGrupo"_s},
            {u"Inactivos"_s, u"Incluir inactivos"_s, FilterKind::Check, u"ConActivo"_s, {}, 1},
        };
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00N0);
}  // namespace
