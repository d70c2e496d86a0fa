// Contribution groups: the selection prompt WKQ00L0 of APORTE.
#include "payroll/contributions.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00L0()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WKQ00L0"_s;
        declaration.title = u"Grupos de aportes"_s;
        declaration.table = u"APORTE"_s;
        declaration.index = u"IGRAVANT"_s;
        declaration.columns = {
            {u"AporId"_s, u"Grupo"_s, u"9"_s, {}},
            {u"AporDesc"_s, u"Descripción"_s, {}, {}},
        };
        declaration.selection = true;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00L0);
}  // namespace
