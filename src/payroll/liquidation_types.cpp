// Liquidation types: the selection prompt WKQ00S0 of TIPLIQUI.
#include "payroll/liquidation_types.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00S0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00S0"_s, u"Tipos de liquidación"_s, u"TIPLIQUI"_s, u"ITIPLIQU"_s,
                        {{u"TLId"_s, u"Tipo"_s, u"!"_s, {}}, {u"TLDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00S0);
}  // namespace
