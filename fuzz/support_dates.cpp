// Reading dates and times never crashes, and its answers hold together:
// - an invalid text gives the empty date and says it is invalid;
// - a valid date is never before the empty date and reads back from its
//   own "dd/mm/yyyy" text as the same day;
// - a time read is always a valid time of day.
#include "support/dates.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkDate(const QString& text, const QString& picture, const QDate& today)
{
    const ParsedDate read = parseDate(text, picture, today);
    if (!read.valid) {
        check(read.empty);
        check(read.date == emptyCalendarDate());
        return;
    }
    check(read.date.isValid());
    check(read.date >= emptyCalendarDate());
    check(read.empty == (read.date == emptyCalendarDate()));
    check(!read.time.isNull() ? read.time.isValid() : true);
    if (read.empty)
        return;
    const QString shown = formatDate(read.date, QStringLiteral("dd/mm/yyyy"));
    const ParsedDate back = parseDate(shown, QStringLiteral("dd/mm/yyyy"), today);
    check(back.valid && back.date == read.date);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QDate today(2026, 12, 6);
    for (const char* picture : {"dd/mm/yy", "dd/mm/yyyy", "mm/dd/yy", "mm/yy"})
        checkDate(text, QString::fromLatin1(picture), today);

    for (const char* picture : {"hh:mm:ss", "hh:nn"}) {
        const ParsedTime read = parseTime(text, QString::fromLatin1(picture));
        if (read.valid && !read.empty)
            check(read.time.isValid());
        if (!read.valid)
            check(read.time.isNull());
    }
    return 0;
}
