// The concept procedures as the console runs them: the change of code
// (WCONCAMB) prints its preview before it asks.
#include "console/console_procedures.h"

#include "payroll/concept_code_change.h"

using namespace Qt::StringLiterals;

namespace {

ExitStatus runCodeChange(Database& database, ConsoleUiPort& ui, const ProcedureInputs& inputs, QTextStream& out)
{
    WCONCAMB panel(database, ui);
    panel.start(inputs.value(u"Concepto"_s));
    panel.setNewCode(inputs.value(u"Nuevo"_s));
    panel.setMerge(consoleFlag(inputs.value(u"Existente"_s)));
    panel.setOnlyLiquidations(consoleFlag(inputs.value(u"SoloLiquidaciones"_s)));
    panel.setDates(inputs.value(u"Desde"_s), inputs.value(u"Hasta"_s));
    panel.onImpact([&out](const QStringList& lines) {
        for (const QString& line : lines)
            out << line << u'\n';
        out.flush();
    });
    return panel.confirm() ? ExitDone : ExitRefused;
}

}  // namespace

void registerConceptConsoleProcedures()
{
    ConsoleProcedures::add({u"WCONCAMB"_s,
                            {u"Concepto"_s, u"Nuevo"_s, u"Existente"_s, u"SoloLiquidaciones"_s, u"Desde"_s,
                             u"Hasta"_s},
                            &runCodeChange});
}
