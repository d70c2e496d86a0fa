// The formula language of calculated columns and the filter conditions of
// user-defined reports: what they compute, what they refuse and with which
// message, and that nothing they are given becomes SQL.
#include "reports/report_condition.h"
#include "reports/report_formula.h"

#include <gtest/gtest.h>

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

/// Evaluates `text` with a few columns of one row.
FormulaOutcome evaluate(const QString& text)
{
    const QHash<QString, ReportValue> row = {
        {u"Sueldo"_s, ReportValue::ofNumber(41200)},
        {u"Días"_s, ReportValue::ofNumber(0)},
        {u"Nombre"_s, ReportValue::ofText(u"Fernández Castro, Ana Laura"_s)},
        {u"Ingreso"_s, ReportValue::ofDate(QDate(2021, 2, 15))},
        {u"Vacía"_s, ReportValue::null()},
    };
    const ReportFormula formula(text);
    return formula.evaluate([&](const QString& title) -> std::optional<ReportValue> {
        if (!row.contains(title))
            return std::nullopt;
        return row.value(title);
    });
}

double number(const QString& text)
{
    const FormulaOutcome outcome = evaluate(text);
    EXPECT_TRUE(outcome.ok()) << text.toStdString() << ": " << outcome.error.toStdString();
    EXPECT_EQ(outcome.value.kind, ReportValue::Kind::Number) << text.toStdString();
    return outcome.value.number;
}

QString error(const QString& text)
{
    const FormulaOutcome outcome = evaluate(text);
    EXPECT_FALSE(outcome.ok()) << text.toStdString() << " should fail";
    return outcome.error;
}

}  // namespace

TEST(ReportFormula, ComputesWithPrecedenceColumnsAndFunctions)
{
    EXPECT_DOUBLE_EQ(number(u"1 + 2 * 3 - 4 / 2"_s), 5);
    EXPECT_DOUBLE_EQ(number(u"(1 + 2) * -3"_s), -9);
    EXPECT_DOUBLE_EQ(number(u"REDONDEAR([Sueldo] / 12, 2)"_s), 3433.33);
    EXPECT_DOUBLE_EQ(number(u"redondear(2.5)"_s), 3);
    EXPECT_DOUBLE_EQ(number(u"SQR(16) + Fix(-2.7) + Int(-2.2)"_s), 4 - 2 - 3);
    EXPECT_DOUBLE_EQ(number(u"iif([Sueldo] > 40000, 1, 2)"_s), 1);
    EXPECT_DOUBLE_EQ(number(u"Switch([Sueldo] < 10, 1, [Sueldo] >= 41200, 2)"_s), 2);
    EXPECT_DOUBLE_EQ(number(u"Day([Ingreso]) + Month([Ingreso]) * 100 + Year([Ingreso]) * 10000"_s), 20210215);
    EXPECT_DOUBLE_EQ(number(u"DateDiff(\"m\", [Ingreso], #31/12/24#)"_s), 46);
    EXPECT_DOUBLE_EQ(number(u"Year(DateAdd(\"yyyy\", 2, [Ingreso]))"_s), 2023);
    EXPECT_DOUBLE_EQ(number(u"[Vacía] + 1"_s), 1);
    // A guarded division: only the chosen branch is evaluated.
    EXPECT_DOUBLE_EQ(number(u"iif([Días] = 0, 0, [Sueldo] / [Días])"_s), 0);

    const FormulaOutcome text = evaluate(u"Left$([Nombre], 9) & \" / \" & Mid$([Nombre], 11, 6) + Right$(\"abc\", 1)"_s);
    ASSERT_TRUE(text.ok()) << text.error.toStdString();
    EXPECT_EQ(text.value.text, u"Fernández / Castro"_s + u"c"_s);
    EXPECT_EQ(ReportFormula(u"[Sueldo] * [Días] + [Sueldo]"_s).references(), QStringList({u"Sueldo"_s, u"Días"_s}));
}

TEST(ReportFormula, BadFormulasAndBadValuesGiveAMessage)
{
    EXPECT_EQ(error(u"[Sueldo] / [Días]"_s), u"División por cero"_s);
    EXPECT_EQ(error(u"1 / (2 - 2)"_s), u"División por cero"_s);
    EXPECT_EQ(error(u"SQR(-1)"_s), u"Raíz cuadrada de un número negativo"_s);
    EXPECT_EQ(error(u"PROMEDIO([Sueldo])"_s), u"Función desconocida: PROMEDIO"_s);
    EXPECT_EQ(error(u"[Premio] * 2"_s), u"La columna [Premio] no existe"_s);
    EXPECT_EQ(error(u"(1 + 2"_s), u"Falta cerrar un paréntesis"_s);
    EXPECT_EQ(error(u"iif(1, 2)"_s), u"Cantidad de argumentos incorrecta en iif"_s);
    EXPECT_EQ(error(u"   "_s), u"No indicó una fórmula para el campo calculado"_s);
    EXPECT_EQ(error(u"DateAdd(\"siglo\", 1, [Ingreso])"_s), u"Intervalo desconocido: siglo"_s);
    EXPECT_EQ(error(u"Left$([Nombre], -1)"_s), u"Cantidad de caracteres incorrecta"_s);
    // Days beyond any calendar, added to a date or by DateAdd.
    EXPECT_EQ(error(u"[Ingreso] + 1"_s + QString(70, u'0')), u"Fecha fuera de rango"_s);
    EXPECT_EQ(error(u"DateAdd(\"d\", 1"_s + QString(70, u'0') + u", [Ingreso])"_s), u"Fecha fuera de rango"_s);

    // Nesting deeper than the limit, in parentheses, calls and signs.
    const int deep = maximumFormulaDepth + 5;
    EXPECT_TRUE(error(QString(deep, u'(') + u'1' + QString(deep, u')')).contains(u"niveles"_s));
    QString calls;
    for (int level = 0; level < deep; ++level)
        calls += u"Int("_s;
    EXPECT_TRUE(error(calls + u'1' + QString(deep, u')')).contains(u"niveles"_s));
    EXPECT_TRUE(error(QString(deep, u'-') + u'1').contains(u"niveles"_s));
    // Nesting within the limit is fine.
    const int allowed = maximumFormulaDepth - 1;
    EXPECT_DOUBLE_EQ(number(QString(allowed, u'(') + u'7' + QString(allowed, u')')), 7);

    // 10,000 characters: refused by length, not parsed.
    QString longFormula = u"1"_s;
    while (longFormula.size() < 10000)
        longFormula += u"+1"_s;
    EXPECT_EQ(error(longFormula), u"La fórmula tiene 10001 caracteres; el máximo es 4000"_s);
    // A long flat formula under the limit is evaluated.
    EXPECT_DOUBLE_EQ(number(longFormula.left(3999)), 2000);
}

TEST(ReportFormula, SqlInAFormulaIsNeverMoreThanAnUnreadableFormula)
{
    EXPECT_EQ(error(u"[Sueldo]; DELETE FROM HISTORIA"_s), u"Carácter inesperado ';' en la posición 9"_s);
    EXPECT_EQ(error(u"[Sueldo] + (SELECT SUM(HMovImp) FROM HISTORIA)"_s), u"Función desconocida: SELECT"_s);
    // A quote inside a text is a character of the text.
    const FormulaOutcome quoted = evaluate(u"\"O'Neill \"\"el\"\" '); DROP TABLE X; --\""_s);
    ASSERT_TRUE(quoted.ok()) << quoted.error.toStdString();
    EXPECT_EQ(quoted.value.text, u"O'Neill \"el\" '); DROP TABLE X; --"_s);
}

TEST(ReportCondition, ReadsValuesRangesAndTheNullWords)
{
    const ReportCondition numbers = readCondition(u"10, 15,100:300,500:"_s, ReportFieldType::Number);
    ASSERT_TRUE(numbers.ok()) << numbers.error.toStdString();
    ASSERT_EQ(numbers.items.size(), 4u);
    const BoundPredicate predicate = conditionPredicate(numbers, u"HISTORIA.HConId"_s, false);
    EXPECT_EQ(predicate.sql, u"(HISTORIA.HConId = ? OR HISTORIA.HConId = ? OR (HISTORIA.HConId >= ? AND "
                             u"HISTORIA.HConId <= ?) OR (HISTORIA.HConId >= ?))"_s);
    EXPECT_EQ(predicate.values, QVariantList({10.0, 15.0, 100.0, 300.0, 500.0}));
    EXPECT_EQ(conditionPredicate(readCondition(u"10.50"_s, ReportFieldType::Number), u"X.Y"_s, true).sql,
              u"NOT (X.Y = ?)"_s);

    // "NULL" and "NOT NULL" are accepted on any field, in any case.
    const ReportCondition null = readCondition(u" null "_s, ReportFieldType::Number);
    ASSERT_TRUE(null.ok());
    EXPECT_EQ(conditionPredicate(null, u"X.Y"_s, false).sql, u"X.Y IS NULL"_s);
    EXPECT_EQ(conditionPredicate(readCondition(u"Not  Null"_s, ReportFieldType::Date), u"X.Y"_s, false).sql,
              u"X.Y IS NOT NULL"_s);
    EXPECT_EQ(conditionPredicate(null, u"X.Y"_s, true).sql, u"X.Y IS NOT NULL"_s);

    // A date is the whole day; a range takes its last day whole too.
    const ReportCondition dates = readCondition(u"31/10/00,1/10/99:31/10/99"_s, ReportFieldType::Date);
    ASSERT_TRUE(dates.ok()) << dates.error.toStdString();
    const BoundPredicate days = conditionPredicate(dates, u"H.F"_s, false);
    EXPECT_EQ(days.sql, u"((H.F >= ? AND H.F < ?) OR (H.F >= ? AND H.F < ?))"_s);
    EXPECT_EQ(days.values.at(0).toDateTime().date(), QDate(2000, 10, 31));
    EXPECT_EQ(days.values.at(1).toDateTime().date(), QDate(2000, 11, 1));
    EXPECT_EQ(days.values.at(3).toDateTime().date(), QDate(1999, 11, 1));
    // "Sin fecha": the empty date and the oldest one both mean no date.
    EXPECT_EQ(conditionPredicate(readCondition(u"1/1/100"_s, ReportFieldType::Date), u"H.F"_s, false).sql,
              u"((H.F IS NULL OR H.F < ?))"_s);

    const ReportCondition texts = readCondition(u"A:F,M:R,J"_s, ReportFieldType::Character);
    ASSERT_TRUE(texts.ok());
    EXPECT_EQ(conditionPredicate(texts, u"F.N"_s, false).values, QVariantList({u"A"_s, u"F"_s, u"M"_s, u"R"_s, u"J"_s}));
}

TEST(ReportCondition, RefusesWhatTheFilterEditorRefuses)
{
    EXPECT_EQ(readCondition(u"10,abc"_s, ReportFieldType::Number).error, u"Debe indicar valores numéricos"_s);
    EXPECT_EQ(readCondition(u"1 OR 1=1"_s, ReportFieldType::Number).error, u"Debe indicar valores numéricos"_s);
    EXPECT_EQ(readCondition(u"31/02/25"_s, ReportFieldType::Date).error, u"Fecha incorrecta"_s);
    EXPECT_EQ(readCondition(u"1/11/00:31/10/00"_s, ReportFieldType::Date).error,
              u"Fecha desde posterior a fecha hasta"_s);
    EXPECT_EQ(readCondition(u""_s, ReportFieldType::Character).error, u"Falta indicar la condición"_s);
    // A refused condition keeps no items read before the fault.
    const ReportCondition twoColons = readCondition(u"A,B:C:D"_s, ReportFieldType::Character);
    EXPECT_EQ(twoColons.error, u"Rango incorrecto: B:C:D"_s);
    EXPECT_TRUE(twoColons.items.empty());
    EXPECT_EQ(readCondition(QString(maximumConditionLength + 1, u'A'), ReportFieldType::Character).error,
              u"La condición tiene más de 2000 caracteres"_s);
    // A character condition holding SQL is only a value to compare with.
    const ReportCondition injected = readCondition(u"x'); DROP TABLE FUNCIONA; --"_s, ReportFieldType::Character);
    ASSERT_TRUE(injected.ok());
    const BoundPredicate predicate = conditionPredicate(injected, u"FUNCIONA.FunApeNom"_s, false);
    EXPECT_EQ(predicate.sql, u"(FUNCIONA.FunApeNom = ?)"_s);
    EXPECT_EQ(predicate.values, QVariantList({u"x'); DROP TABLE FUNCIONA; --"_s}));
}
