// The formula language of calculated columns never crashes, whatever the
// formula: a formula either reads or says why not, an evaluation either
// gives a value or a message, and a formula that reads refers only to
// titles written between brackets in it.
#include "reports/report_formula.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ReportFormula formula(text);
    if (!formula.isValid()) {
        check(!formula.error().isEmpty());
        check(!formula.evaluate({}).ok());
        return 0;
    }
    for (const QString& title : formula.references())
        check(text.contains(title));
    // Every referenced column holds a number, a text, a date or nothing in turn.
    for (int kind = 0; kind < 4; ++kind) {
        const FormulaOutcome outcome = formula.evaluate([kind](const QString& title) -> std::optional<ReportValue> {
            switch (kind) {
            case 0:
                return ReportValue::ofNumber(double(title.size()));
            case 1:
                return ReportValue::ofText(title);
            case 2:
                return ReportValue::ofDate(QDate(2025, 1, 31));
            default:
                return ReportValue::null();
            }
        });
        check(outcome.ok() || !outcome.error.isEmpty());
        check(outcome.ok() || outcome.value.isNull());
    }
    return 0;
}
