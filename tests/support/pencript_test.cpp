#include "support/pencript.h"

#include "scripted_ui.h"

#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString usedTable()
{
    return pencriptTable().left(pencriptTableUsed);
}

}  // namespace

TEST(Pencript, TableHoldsEveryCharacterOfNamesPasswordsAndProfiles)
{
    EXPECT_EQ(pencriptTable().size(), 260);
    const QString needed = QString::fromUtf8(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "
        "áéíóúÁÉÍÓÚñÑüÜ¿¡ºª°"
        "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
    for (const QChar character : needed)
        EXPECT_TRUE(pencriptKnows(character)) << QString(character).toStdString();
    for (const QChar outside : {QChar('\t'), QChar('\n'), QChar(0x20AC), QChar(0x00DF), QChar(0x0178)})
        EXPECT_FALSE(pencriptKnows(outside)) << int(outside.unicode());
}

TEST(Pencript, EveryCharacterOfTheTableRoundTripsAloneAndAfterEveryOther)
{
    const QString table = usedTable();
    for (const QChar character : table) {
        const auto alone = pencriptScramble(QString(character));
        ASSERT_TRUE(alone.has_value());
        ASSERT_EQ(alone->size(), 1);
        EXPECT_GE(alone->at(0).unicode(), 1);
        EXPECT_LE(alone->at(0).unicode(), 250);
        EXPECT_EQ(pencriptUnscramble(*alone), QString(character));
        for (const QChar previous : table) {
            const QString pair = QString(previous) + character;
            const auto scrambled = pencriptScramble(pair);
            ASSERT_TRUE(scrambled.has_value());
            ASSERT_EQ(pencriptUnscramble(*scrambled), pair) << pair.toStdString();
        }
    }
}

TEST(Pencript, RandomTextsRoundTripAndStayOneCharacterPerCharacter)
{
    const QString table = usedTable();
    QRandomGenerator random(4711);
    for (int round = 0; round < 2000; ++round) {
        const int length = random.bounded(0, pencriptMaxLength + 1);
        QString text;
        for (int index = 0; index < length; ++index)
            text += table.at(random.bounded(table.size()));
        const auto scrambled = pencriptScramble(text);
        ASSERT_TRUE(scrambled.has_value());
        ASSERT_EQ(scrambled->size(), text.size());
        ASSERT_EQ(pencriptUnscramble(*scrambled), text) << text.toStdString();
    }
}

TEST(Pencript, ScrambledTextHidesTheNameAndDependsOnThePosition)
{
    const auto name = pencriptScramble(QStringLiteral("MARTINEZ            "));
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->contains(QStringLiteral("MARTINEZ")));
    // The same letter twice does not give the same code twice.
    const auto repeated = pencriptScramble(QStringLiteral("AAAA"));
    ASSERT_TRUE(repeated.has_value());
    EXPECT_GT(QSet<QChar>(repeated->begin(), repeated->end()).size(), 1);
    // Scrambling is a function of the text: seeks by scrambled key work.
    EXPECT_EQ(pencriptScramble(QStringLiteral("MARTINEZ            ")), name);
}

TEST(Pencript, OnlyTheFirst300CharactersAreProcessed)
{
    const QString text = QString(350, 'x');
    const auto scrambled = pencriptScramble(text);
    ASSERT_TRUE(scrambled.has_value());
    EXPECT_EQ(scrambled->size(), pencriptMaxLength);
    EXPECT_EQ(pencriptUnscramble(*scrambled), QString(pencriptMaxLength, 'x'));
}

TEST(Pencript, ProcedureFailsOnACharacterOutsideTheTableAndRefusesUnknownModes)
{
    ScriptedUi ui;
    QString failure;
    QString result;
    PENCRIPT(QStringLiteral("ANA"), QStringLiteral("E"), failure, result, ui);
    EXPECT_EQ(failure, "N");
    EXPECT_EQ(result.size(), 3);
    QString back;
    PENCRIPT(result, QStringLiteral("D"), failure, back, ui);
    EXPECT_EQ(failure, "N");
    EXPECT_EQ(back, "ANA");

    PENCRIPT(QStringLiteral("AN\tA"), QStringLiteral("E"), failure, result, ui);
    EXPECT_EQ(failure, "S");
    EXPECT_FALSE(pencriptScramble(QString::fromUtf8("Jos€")).has_value());
    EXPECT_TRUE(ui.shown().isEmpty());

    result = QStringLiteral("previo");
    PENCRIPT(QStringLiteral("ANA"), QStringLiteral("e"), failure, result, ui);
    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(ui.messages(MessageIcon::Information),
              QStringList{QString::fromUtf8("LLamada a la función encriptación incorrecta")});
    EXPECT_EQ(ui.shown().size(), 1);
}

TEST(Pencript, DamagedTextUnscramblesWithoutFailing)
{
    const QString damaged = QString(QChar(0)) + QChar(255) + QChar(0x4E2D);
    EXPECT_EQ(pencriptUnscramble(damaged).size(), 3);
}
