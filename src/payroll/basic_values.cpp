// Basic values: the selection prompt WKQ00A0 of BASICOS by number.
#include "payroll/basic_values.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

const WorkPanelDecl& WKQ00A0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00A0"_s, u"Básicos"_s, u"BASICOS"_s, u"IBASICOS"_s,
                        {{u"BasId"_s, u"Básico"_s, u"ZZZ9"_s, {}}, {u"BasDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration prompt(&WKQ00A0);
}  // namespace
