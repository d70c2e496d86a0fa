// Liquidation types: the selection prompt WKQ00S0 of TIPLIQUI.
#include "payroll/liquidation_types.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00S0()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WKQ00S0"_s;
        declaration.title = u"Tipos de liquidación"_s;
        declaration.table = u"TIPLIQUI"_s;
        declaration.index = u"ITIPLIQU"_s;
        declaration.columns = {
            {u"TLId"_s, u"Tipo"_s, u"!"_s, {}},
            {u"TLDesc"_s, u"Descripción"_s, {}, {}},
        };
        declaration.selection = true;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00S0);
}  // namespace
