#include "support/line_split.h"

#include "date_printers.h"

#include <gtest/gtest.h>

namespace {

/// A sentence of `length` characters made of words of varying length, so
/// that the blanks do not fall on a regular grid.
QString sentence(int length)
{
    QString text;
    int wordLength = 1;
    while (text.size() < length) {
        if (!text.isEmpty())
            text += u' ';
        text += QString(wordLength, QChar(u'a' + wordLength));
        wordLength = wordLength % 13 + 1;
    }
    text.truncate(length);
    return text;
}

} // namespace

TEST(LineSplit, LongTextEndsEachLineAtAWordBoundary)
{
    QString text = sentence(450);
    while (text.endsWith(u' '))
        text.chop(1);
    const QStringList lines = splitLines(text, 200);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lineCount(text, 200), 3);
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 200);
        EXPECT_FALSE(lines[i].startsWith(u' ')) << i;
        EXPECT_FALSE(lines[i].endsWith(u' ')) << i;
        EXPECT_EQ(lineAt(text, 200, i + 1), lines[i]);
    }
    // Nothing is lost but the blanks at the cuts, and each line takes as
    // many words as fit.
    EXPECT_EQ(lines.join(u' '), text);
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QString nextWord = lines[i + 1].section(u' ', 0, 0);
        EXPECT_GT(lines[i].size() + 1 + nextWord.size(), 200) << i;
    }
}

TEST(LineSplit, TextWithoutBlanksIsCutAtTheWidth)
{
    const QString text(250, u'x');
    const QStringList lines = splitLines(text, 200);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString(200, u'x'));
    EXPECT_EQ(lines[1], QString(50, u'x'));

    // A word longer than the width after a short one.
    const QStringList mixed = splitLines(QStringLiteral("abc ") + QString(300, u'b'), 200);
    ASSERT_EQ(mixed.size(), 3);
    EXPECT_EQ(mixed[0], QStringLiteral("abc"));
    EXPECT_EQ(mixed[1], QString(200, u'b'));
    EXPECT_EQ(mixed[2], QString(100, u'b'));
}

TEST(LineSplit, ABlankAtTheWidthEndsTheLineBeforeIt)
{
    const QString text = QString(199, u'a') + u' ' + QStringLiteral("bbb");
    const QStringList lines = splitLines(text, 200);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString(199, u'a'));
    EXPECT_EQ(lines[1], QStringLiteral("bbb"));
    // A blank just past the width is not within the line: the line is cut
    // at the width and the blank opens the next one.
    EXPECT_EQ(splitLines(QString(200, u'a') + QStringLiteral(" bbb"), 200),
              (QStringList{QString(200, u'a'), QStringLiteral(" bbb")}));
    // Exactly the width fits on one line.
    EXPECT_EQ(lineCount(QString(200, u'a'), 200), 1);
    EXPECT_EQ(lineCount(QString(201, u'a'), 200), 2);
}

TEST(LineSplit, LineBreaksStartANewLineAndAreDropped)
{
    const QString text = QStringLiteral("Agrega categoría 5\r\nDescripción = Peón");
    const QStringList lines = splitLines(text, 200);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Agrega categoría 5"));
    EXPECT_EQ(lines[1], QStringLiteral("Descripción = Peón"));
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(u'\r'));
        EXPECT_FALSE(line.contains(u'\n'));
    }
    // A line break is not taken as a letter of the next line.
    EXPECT_EQ(splitLines(QStringLiteral("uno\rdos"), 200), (QStringList{"uno", "dos"}));
    EXPECT_EQ(splitLines(QStringLiteral("uno\ndos"), 200), (QStringList{"uno", "dos"}));
    EXPECT_EQ(splitLines(QStringLiteral("uno\r\n\r\ndos"), 200), (QStringList{"uno", "", "dos"}));
    EXPECT_EQ(splitLines(QStringLiteral("uno\r\n"), 200), QStringList{"uno"});
    // A long line before a break is cut, then the break still ends it.
    EXPECT_EQ(splitLines(QStringLiteral("aaaa bbbb\r\ncc"), 6), (QStringList{"aaaa", "bbbb", "cc"}));
}

TEST(LineSplit, EmptyAndBlankTextsHaveNoLines)
{
    EXPECT_EQ(lineCount(QString(), 200), 0);
    EXPECT_EQ(lineCount(QStringLiteral("     "), 200), 0);
    EXPECT_EQ(splitLines(QStringLiteral("abc    "), 200), QStringList{"abc"});
    EXPECT_EQ(lineAt(QStringLiteral("abc"), 200, 0), QString());
    EXPECT_EQ(lineAt(QStringLiteral("abc"), 200, 2), QString());
    EXPECT_EQ(lineAt(QStringLiteral("abc"), 200, 1), QStringLiteral("abc"));
}
