// Filter conditions never crash, and what they let through is only bound
// values: a condition read for any field type, or looked for with
// "conteniendo", becomes a predicate whose text holds nothing of the
// condition, with one bound value per "?".
#include "reports/report_condition.h"

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
    const QString column = QStringLiteral("T.C");
    for (const ReportFieldType type : {ReportFieldType::Character, ReportFieldType::Number, ReportFieldType::Date}) {
        const ReportCondition condition = readCondition(text, type);
        if (!condition.ok()) {
            check(condition.items.empty());
            continue;
        }
        for (const bool negated : {false, true}) {
            const BoundPredicate predicate = conditionPredicate(condition, column, negated);
            check(predicate.sql.count(u'?') == predicate.values.size());
            // Only the column, placeholders and the predicate's own words.
            QString rest = predicate.sql;
            for (const char* word : {"T.C", "IS NOT NULL", "IS NULL", "NOT", "AND", "OR", ">=", "<=", "<", "=", "?",
                                     "(", ")", " "})
                rest.remove(QString::fromLatin1(word));
            check(rest.isEmpty());
        }
    }
    // "conteniendo": every value is a bound pattern; the text holds only
    // the column, the operators and the escape character.
    if (!text.split(u',').join(QString()).trimmed().isEmpty()) {
        const BoundPredicate containing = containingPredicate(text, column);
        check(containing.sql.count(u'?') == containing.values.size());
        QString rest = containing.sql;
        for (const char* word : {"UPPER(T.C)", "T.C", "LIKE", "ESCAPE", "'!'", "OR", "?", "(", ")", " "})
            rest.remove(QString::fromLatin1(word));
        check(rest.isEmpty());
    }
    return 0;
}
