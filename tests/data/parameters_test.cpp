#include "data_fixture.h"

#include "data/parameters.h"
#include "scripted_ui.h"

class ParametersTest : public BackendDataTest {
protected:
    int parameterRows(const QString& group)
    {
        return countRows("PARAMETR", "ParTabla = ?", {group});
    }
    ScriptedUi ui_;
};

TEST_P(ParametersTest, AMissingParameterLeavesTheCallersValue)
{
    QString text = "por defecto";
    double number = 42;
    QDateTime date(QDate(2020, 1, 1), QTime(0, 0));
    EXPECT_FALSE(PPARLC(db(), "Listas", "FerNoLab", 1, text));
    EXPECT_EQ(text, "por defecto");
    EXPECT_FALSE(PPARLN40(db(), "Listas", "FerNoLab", 1, number));
    EXPECT_EQ(number, 42);
    EXPECT_FALSE(PPARAMLE(db(), "Listas", "FerNoLab", 1, text, number, date));
    EXPECT_EQ(date, QDateTime(QDate(2020, 1, 1), QTime(0, 0)));

    // A neighbouring row found by the ">=" seek is not taken for it.
    ASSERT_TRUE(PPARGC(db(), ui_, "Listas", "FerNoLab", 2, "otra").ok());
    ASSERT_TRUE(PPARGC(db(), ui_, "Listas", "FerNoLabX", 1, "otra").ok());
    EXPECT_FALSE(PPARLC(db(), "Listas", "FerNoLab", 1, text));
    EXPECT_EQ(text, "por defecto");
}

TEST_P(ParametersTest, EachWriterKeepsTheValuesOfTheOtherKinds)
{
    ASSERT_TRUE(PPARGN40(db(), ui_, "Exporta", "Columnas", 0, 12).ok());
    ASSERT_TRUE(PPARGC(db(), ui_, "Exporta", "Columnas", 0, "ABC").ok());
    double number = 0;
    QString text;
    ASSERT_TRUE(PPARLN40(db(), "Exporta", "Columnas", 0, number));
    EXPECT_EQ(number, 12);
    ASSERT_TRUE(PPARLC(db(), "Exporta", "Columnas", 0, text));
    EXPECT_EQ(text, "ABC");

    const QDateTime when(QDate(2026, 5, 1), QTime(10, 30));
    ASSERT_TRUE(PPARAMGR(db(), ui_, "SincroAuto", "UltModific", 0, "Car", 0, when).ok());
    QDateTime date;
    ASSERT_TRUE(PPARAMLE(db(), "SincroAuto", "UltModific", 0, text, number, date));
    EXPECT_EQ(text, "Car");
    EXPECT_EQ(number, 0);
    EXPECT_EQ(date, when);
    EXPECT_TRUE(ui_.texts().isEmpty());
}

// A second write of a new parameter updates the row the first one made, its
// group and name compared without trailing blanks.
TEST_P(ParametersTest, WritingTwiceMakesOneRowWhateverTheTrailingBlanks)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "Listas", "FerNoLab", 1, "01/05").ok());
    QString text;
    ASSERT_TRUE(PPARLC(db(), "Listas ", "FerNoLab  ", 1, text));
    EXPECT_EQ(text, "01/05");
    ASSERT_TRUE(PPARGC(db(), ui_, "Listas  ", "FerNoLab", 1, "18/07").ok());
    EXPECT_EQ(parameterRows("Listas"), 1);
    ASSERT_TRUE(PPARLC(db(), "Listas", "FerNoLab", 1, text));
    EXPECT_EQ(text, "18/07");
}

TEST_P(ParametersTest, NullValuesReadAsEmpty)
{
    ASSERT_TRUE(db().execute("INSERT INTO PARAMETR (ParTabla, ParParamet, ParIndice) VALUES (?, ?, ?)",
                             {"G", "P", 0})
                    .ok());
    QString text = "antes";
    double number = 7;
    QDateTime date = QDateTime::currentDateTime();
    ASSERT_TRUE(PPARAMLE(db(), "G", "P", 0, text, number, date));
    EXPECT_EQ(text, QString());
    EXPECT_EQ(number, 0);
    EXPECT_EQ(date, emptyDate());
}

TEST_P(ParametersTest, AWriterWaitsForTheLockOfAnotherWorkstation)
{
    ASSERT_TRUE(PPARGN40(db(), ui_, "Contador", "Ultimo", 0, 1).ok());
    auto second = openSecond();
    TableCursor holder(*second);
    ASSERT_TRUE(holder.open("PARAMETR").ok());
    ASSERT_TRUE(holder.seek(Comparison::Equal, {"Contador", "Ultimo", 0}).ok());
    ASSERT_TRUE(holder.edit().ok());
    ui_.onProcessEvents([&] {
        if (holder.editMode() != EditMode::Editing)
            return;
        holder.setValue("ParValorCa", "del otro");
        ASSERT_TRUE(holder.update().ok());
    });

    ASSERT_TRUE(PPARGN40(db(), ui_, "Contador", "Ultimo", 0, 2).ok());
    EXPECT_GE(ui_.processEventsCount(), 1);
    double number = 0;
    QString text;
    ASSERT_TRUE(PPARLN40(db(), "Contador", "Ultimo", 0, number));
    ASSERT_TRUE(PPARLC(db(), "Contador", "Ultimo", 0, text));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(text, "del otro");
}

TEST_P(ParametersTest, ATooLongTextIsRefusedAndTheOldValueStays)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "G", "P", 0, "corto").ok());
    const DbError error = PPARGC(db(), ui_, "G", "P", 0, QString(300, 'x'));
    EXPECT_EQ(error.number, DbErrorNumber::FieldTooSmall);
    EXPECT_FALSE(db().inTransaction());
    QString text;
    ASSERT_TRUE(PPARLC(db(), "G", "P", 0, text));
    EXPECT_EQ(text, "corto");
    // The row is not left locked.
    ASSERT_TRUE(PPARGC(db(), ui_, "G", "P", 0, "otro").ok());
}
INSTANTIATE_ON_EACH_BACKEND(ParametersTest);
