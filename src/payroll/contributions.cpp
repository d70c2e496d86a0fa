// Contribution groups: the selection prompt WKQ00L0 of APORTE.
#include "payroll/contributions.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00L0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00L0"_s, u"Grupos de aportes"_s, u"APORTE"_s, u"IGRAVANT"_s,
                        {{u"AporId"_s, u"Grupo"_s, u"9"_s, {}}, {u"AporDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00L0);
}  // namespace
