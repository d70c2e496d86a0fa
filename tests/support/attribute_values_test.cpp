// The values of the additional attributes: one value against its definition
// (PVALFUNA), the validation expression, and a concept's application
// condition on one attribute.
#include "support/attribute_values.h"

#include <gtest/gtest.h>

namespace {

AttributeDefinition numeric(int length, int decimals, const QString& validation = {})
{
    return {QStringLiteral("NU"), false, length, decimals, false, validation, QStringLiteral("Horas")};
}

AttributeDefinition text(int length, const QString& validation = {}, bool mandatory = false)
{
    return {QStringLiteral("AN"), mandatory, length, 0, false, validation, QStringLiteral("Turno")};
}

AttributeDefinition date(const QString& validation = {})
{
    return {QStringLiteral("FE"), false, 0, 0, false, validation, QStringLiteral("Certificado")};
}

std::string show(const QString& text)
{
    return text.toStdString();
}

TEST(AttributeValues, ANumberOfLengthFiveWithTwoDecimals)
{
    const AttributeDefinition definition = numeric(5, 2);
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("123,45"))), "");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("123.45"))), "");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("-123.4  "))), "");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("1234.5"))), " no puede tener más de 3 enteros.");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("1.234"))), " no puede tener más de 2 decimales.");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("0001.5"))), "");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("1.2.3"))), " no es un número válido.");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("12a"))), " no es un número válido.");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral("-"))), " no es un número válido.");
    EXPECT_EQ(show(PVALFUNA(definition, QStringLiteral(" 12"))), " no es un número válido.");
    // The singular words and no decimals at all.
    EXPECT_EQ(show(PVALFUNA(numeric(2, 1), QStringLiteral("12"))), " no puede tener más de 1 entero.");
    EXPECT_EQ(show(PVALFUNA(numeric(2, 1), QStringLiteral("1.25"))), " no puede tener más de 1 decimal.");
    EXPECT_EQ(show(PVALFUNA(numeric(3, 0), QStringLiteral("10.5"))), " no puede tener decimales.");
    // Thirty digits are counted, never converted.
    EXPECT_EQ(show(PVALFUNA(numeric(15, 0), QStringLiteral("123456789012345678901234567890"))),
              " no puede tener más de 15 enteros.");
}

TEST(AttributeValues, ValidationListsAndRanges)
{
    const AttributeDefinition oneToTen = numeric(3, 0, QStringLiteral("1:10,99"));
    EXPECT_EQ(show(PVALFUNA(oneToTen, QStringLiteral("10"))), "");
    EXPECT_EQ(show(PVALFUNA(oneToTen, QStringLiteral("1"))), "");
    EXPECT_EQ(show(PVALFUNA(oneToTen, QStringLiteral("99"))), "");
    EXPECT_EQ(show(PVALFUNA(oneToTen, QStringLiteral("11"))), " tiene valor incorrecto.");
    EXPECT_EQ(show(PVALFUNA(oneToTen, QStringLiteral("0"))), " tiene valor incorrecto.");

    const AttributeDefinition fromFive = numeric(5, 2, QStringLiteral("5:"));
    EXPECT_EQ(show(PVALFUNA(fromFive, QStringLiteral("5"))), "");
    EXPECT_EQ(show(PVALFUNA(fromFive, QStringLiteral("999.99"))), "");
    EXPECT_EQ(show(PVALFUNA(fromFive, QStringLiteral("4.99"))), " tiene valor incorrecto.");
    // An upper bound of 0 is no limit either; numbers compare by value.
    EXPECT_EQ(show(PVALFUNA(numeric(5, 2, QStringLiteral("5:0")), QStringLiteral("700"))), "");
    EXPECT_EQ(show(PVALFUNA(numeric(5, 2, QStringLiteral("2.5")), QStringLiteral("2,50"))), "");
    EXPECT_EQ(show(PVALFUNA(numeric(5, 2, QStringLiteral("-3:-1")), QStringLiteral("-2"))), "");
    EXPECT_EQ(show(PVALFUNA(numeric(5, 2, QStringLiteral("-3:-1")), QStringLiteral("-0.5"))),
              " tiene valor incorrecto.");

    // Texts compare trimmed and by character code.
    EXPECT_EQ(show(PVALFUNA(text(1, QStringLiteral("S,N")), QStringLiteral("N"))), "");
    EXPECT_EQ(show(PVALFUNA(text(1, QStringLiteral("S,N")), QStringLiteral("s"))), " tiene valor incorrecto.");
    EXPECT_EQ(show(PVALFUNA(text(5, QStringLiteral("A:M")), QStringLiteral("Juan"))), "");
    EXPECT_EQ(show(PVALFUNA(text(5, QStringLiteral("A:M")), QStringLiteral("Pablo"))), " tiene valor incorrecto.");
    EXPECT_EQ(show(PVALFUNA(text(5, QStringLiteral(" A , B ")), QStringLiteral("B"))), "");

    // Dates from a day on; a bound that is no date allows nothing.
    EXPECT_EQ(show(PVALFUNA(date(QStringLiteral("01/01/00:")), QStringLiteral("15/03/2024"))), "");
    EXPECT_EQ(show(PVALFUNA(date(QStringLiteral("01/01/00:")), QStringLiteral("31/12/99"))),
              " tiene valor incorrecto.");
    EXPECT_EQ(show(PVALFUNA(date(QStringLiteral("xx:")), QStringLiteral("01/01/20"))), " tiene valor incorrecto.");
    // Two colons make an item that matches nothing.
    EXPECT_EQ(show(PVALFUNA(numeric(3, 0, QStringLiteral("1:5:9")), QStringLiteral("3"))), " tiene valor incorrecto.");
}

TEST(AttributeValues, EmptyTextAndDateValues)
{
    // Mandatory wins over the validation; nothing else is looked at.
    EXPECT_EQ(show(PVALFUNA(text(5, QStringLiteral("A,B"), true), QStringLiteral("   "))), " es obligatorio.");
    EXPECT_EQ(show(PVALFUNA(text(5, QStringLiteral("A,B"), false), QString())), "");
    EXPECT_EQ(show(PVALFUNA(text(5), QStringLiteral("abcdef"))), " no puede tener más de 5 caracteres.");
    EXPECT_EQ(show(PVALFUNA(text(5), QStringLiteral("abcde   "))), "");
    EXPECT_EQ(show(PVALFUNA(date(), QStringLiteral("31/02/00"))), " no es una fecha válida.");
    EXPECT_EQ(show(PVALFUNA(date(), QStringLiteral("29/02/24"))), "");
    EXPECT_EQ(show(PVALFUNA(date(), QStringLiteral("1/3/2024"))), "");
    EXPECT_EQ(show(PVALFUNA(date(), QStringLiteral("01/01/100"))), " no es una fecha válida.");
    EXPECT_EQ(show(PVALFUNA(date(), QStringLiteral("01-01-20"))), " no es una fecha válida.");
}

TEST(AttributeValues, TheSplitterKeepsEveryCharacterOfAnItem)
{
    const QList<ValueListItem> items = splitValueList(QStringLiteral("1:10,99,,a b:"));
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[0].range);
    EXPECT_EQ(show(items[0].lower + u'|' + items[0].upper), "1|10");
    EXPECT_FALSE(items[1].range);
    EXPECT_EQ(show(items[1].lower), "99");
    EXPECT_EQ(show(items[2].lower), "");
    EXPECT_TRUE(items[3].range);
    EXPECT_EQ(show(items[3].lower + u'|' + items[3].upper), "a b|");
    EXPECT_TRUE(splitValueList(QString()).isEmpty());
    EXPECT_TRUE(splitValueList(QStringLiteral("1:2:3")).first().malformed);
}

TEST(AttributeValues, ConditionsOfConceptApplications)
{
    AttributeDefinition hours = numeric(3, 0);
    QString condition = QStringLiteral(" 100:300,500:600 ");
    EXPECT_EQ(show(checkCondition(hours, condition)), "");
    EXPECT_EQ(show(condition), "100:300,500:600");
    condition = QStringLiteral("10.5");
    EXPECT_EQ(show(checkCondition(hours, condition)), "10.5 no puede tener decimales.");
    condition = QStringLiteral("100:1000");
    EXPECT_EQ(show(checkCondition(hours, condition)), "1000 no puede tener más de 3 enteros.");
    condition = QStringLiteral("10,5");  // the comma separates two values here
    EXPECT_EQ(show(checkCondition(hours, condition)), "");
    condition = QStringLiteral("1O");
    EXPECT_EQ(show(checkCondition(hours, condition)), "1O no es un número válido.");
    condition = QStringLiteral("NULL");
    EXPECT_EQ(show(checkCondition(hours, condition)), "");

    AttributeDefinition certificate = date();
    condition = QStringLiteral("31/02/00");
    EXPECT_EQ(show(checkCondition(certificate, condition)), "31/02/00 no es una fecha válida.");
    condition = QStringLiteral("1/10/99:31/10/99,1/10/00:31/10/00,1/1/1753");
    EXPECT_EQ(show(checkCondition(certificate, condition)), "");

    AttributeDefinition monthly{QStringLiteral("AN"), false, 1, 0, true, QStringLiteral("M,J"),
                                QStringLiteral("Mensuales/Jornaleros")};
    condition = QStringLiteral("X");
    EXPECT_EQ(show(checkCondition(monthly, condition)),
              "El valor X no es correcto para el At. adicional Mensuales/Jornaleros");
    condition = QStringLiteral("m,j");  // capitals first, then the list
    EXPECT_EQ(show(checkCondition(monthly, condition)), "");
    EXPECT_EQ(show(condition), "M,J");
    condition = QStringLiteral("MJ");
    EXPECT_EQ(show(checkCondition(monthly, condition)), "MJ no puede tener más de 1 caracteres.");

    condition = QStringLiteral("M,,J");
    EXPECT_EQ(show(checkCondition(monthly, condition)), "Falta un valor en la condición.");
    condition = QStringLiteral("1:2:3");
    EXPECT_EQ(show(checkCondition(hours, condition)), "1:... no es un rango válido.");
    condition = QStringLiteral("5:");  // a range open above
    EXPECT_EQ(show(checkCondition(hours, condition)), "");
}

TEST(AttributeValues, DecimalsCompareExactly)
{
    const auto value = [](const char* text) { return *readDecimal(QString::fromLatin1(text)); };
    EXPECT_EQ(compareDecimal(value("0.1"), value(".10")), 0);
    EXPECT_EQ(compareDecimal(value("-0"), value("0")), 0);
    EXPECT_EQ(compareDecimal(value("99999999999999999999.1"), value("99999999999999999999.09")), 1);
    EXPECT_EQ(compareDecimal(value("-2"), value("-10")), 1);
    EXPECT_EQ(compareDecimal(value("1.5"), value("1.05")), 1);
    EXPECT_FALSE(readDecimal(QStringLiteral(".")).has_value());
    EXPECT_FALSE(readDecimal(QStringLiteral("+")).has_value());
    EXPECT_FALSE(readDecimal(QStringLiteral("1e5")).has_value());
}

}  // namespace
