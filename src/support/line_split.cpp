#include "support/line_split.h"

#include <cassert>

namespace {

qsizetype firstLineBreak(const QString& text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return i;
    }
    return -1;
}

/// Where the rest of the text starts after the break at `at`: "\r\n" is one break.
qsizetype afterLineBreak(const QString& text, qsizetype at)
{
    if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n')
        return at + 2;
    return at + 1;
}

} // namespace

QStringList splitLines(const QString& text, int width)
{
    assert(width > 0 && "lines need a width of at least one character");
    width = qMax(width, 1);

    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;

    QStringList lines;
    qsizetype start = 0;
    // The next break is sought again only once the lines have passed it: a
    // long text without breaks is scanned once, not once a line.
    qsizetype lineBreak = -2;
    while (start < end) {
        if (lineBreak != -1 && lineBreak < start)
            lineBreak = firstLineBreak(text, start);
        const bool breaksBeforeEnd = lineBreak >= 0 && lineBreak < end;
        const qsizetype lineEnd = breaksBeforeEnd ? lineBreak : end;
        qsizetype next = breaksBeforeEnd ? afterLineBreak(text, lineBreak) : end;

        if (lineEnd - start <= width) {
            lines.append(text.mid(start, lineEnd - start));
            start = next;
            continue;
        }
        // Too long: cut at the last blank within the first `width` characters.
        const qsizetype blank = text.lastIndexOf(u' ', start + width - 1);
        if (blank >= start) {
            lines.append(text.mid(start, blank - start));
            start = blank + 1;
            continue;
        }
        lines.append(text.mid(start, width));
        start += width;
    }
    return lines;
}

int lineCount(const QString& text, int width)
{
    return int(splitLines(text, width).size());
}

QString lineAt(const QString& text, int width, int number)
{
    const QStringList lines = splitLines(text, width);
    if (number < 1 || number > lines.size())
        return {};
    return lines[number - 1];
}
