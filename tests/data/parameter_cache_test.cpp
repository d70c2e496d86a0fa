// Parameters read again after they were read once (and so may be served
// from what the connection kept) must show every change made since: by
// another workstation, by any statement of this connection, or undone by a
// rollback.
#include "data_fixture.h"

#include "data/parameters.h"
#include "scripted_ui.h"

class ParameterCacheTest : public BackendDataTest {
protected:
    QString read(Database& database, const char* name)
    {
        QString text = QStringLiteral("(ninguno)");
        PPARLC(database, "SincroAuto", name, 0, text);
        return text;
    }
    ScriptedUi ui_;
};

TEST_P(ParameterCacheTest, AChangeCommittedByAnotherWorkstationIsSeen)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "N").ok());
    ASSERT_EQ(read(db(), "Con"), QStringLiteral("N"));
    EXPECT_EQ(read(db(), "Hay"), QStringLiteral("(ninguno)"));

    auto second = openSecond();
    ASSERT_TRUE(PPARGC(*second, ui_, "SincroAuto", "Con", 0, "S").ok());
    ASSERT_TRUE(PPARGC(*second, ui_, "SincroAuto", "Hay", 0, "S").ok());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("S"));
    EXPECT_EQ(read(db(), "Hay"), QStringLiteral("S"));

    // And the other way round, through a statement of the other
    // workstation that is not a parameter writer.
    ASSERT_EQ(read(*second, "Con"), QStringLiteral("S"));
    ASSERT_TRUE(db().execute(QStringLiteral("UPDATE PARAMETR SET ParValorCa = 'X' WHERE ParParamet = 'Con'")).ok());
    EXPECT_EQ(read(*second, "Con"), QStringLiteral("X"));
}

TEST_P(ParameterCacheTest, AnyStatementOfThisConnectionIsSeen)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "N").ok());
    ASSERT_EQ(read(db(), "Con"), QStringLiteral("N"));
    ASSERT_EQ(read(db(), "Hay"), QStringLiteral("(ninguno)"));

    // The program's own writer, which updates the row in place, over a
    // value kept from the read just made.
    ASSERT_EQ(read(db(), "Con"), QStringLiteral("N"));
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "T").ok());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("T"));

    ASSERT_TRUE(db().execute(QStringLiteral("UPDATE PARAMETR SET ParValorCa = 'S' WHERE ParParamet = 'Con'")).ok());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("S"));

    // A row added by a cursor was "none" a moment ago.
    TableCursor parameters(db());
    ASSERT_TRUE(parameters.open(QStringLiteral("PARAMETR")).ok());
    parameters.addNew();
    parameters.setValue(QStringLiteral("ParTabla"), QStringLiteral("SincroAuto"));
    parameters.setValue(QStringLiteral("ParParamet"), QStringLiteral("Hay"));
    parameters.setValue(QStringLiteral("ParIndice"), 0);
    parameters.setValue(QStringLiteral("ParValorCa"), QStringLiteral("S"));
    ASSERT_TRUE(parameters.update().ok());
    EXPECT_EQ(read(db(), "Hay"), QStringLiteral("S"));

    // A row renamed away and one deleted are gone.
    ASSERT_TRUE(db().execute(QStringLiteral("UPDATE PARAMETR SET ParParamet = 'Otro' WHERE ParParamet = 'Hay'")).ok());
    EXPECT_EQ(read(db(), "Hay"), QStringLiteral("(ninguno)"));
    ASSERT_TRUE(db().execute(QStringLiteral("DELETE FROM PARAMETR WHERE ParParamet = 'Con'")).ok());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("(ninguno)"));
}

TEST_P(ParameterCacheTest, AValueReadInsideATransactionThatWasRolledBackIsNotKept)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "N").ok());
    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "S").ok());
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Hay", 0, "S").ok());
    ASSERT_EQ(read(db(), "Con"), QStringLiteral("S"));
    ASSERT_EQ(read(db(), "Hay"), QStringLiteral("S"));
    ASSERT_TRUE(db().rollback().ok());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("N"));
    EXPECT_EQ(read(db(), "Hay"), QStringLiteral("(ninguno)"));
}

TEST_P(ParameterCacheTest, AConnectionOpenedAgainReadsAfresh)
{
    ASSERT_TRUE(PPARGC(db(), ui_, "SincroAuto", "Con", 0, "N").ok());
    ASSERT_EQ(read(db(), "Con"), QStringLiteral("N"));
    db().close();
    {
        auto second = openSecond();
        ASSERT_TRUE(PPARGC(*second, ui_, "SincroAuto", "Con", 0, "S").ok());
    }
    ASSERT_TRUE(db().open());
    EXPECT_EQ(read(db(), "Con"), QStringLiteral("S"));
}
INSTANTIATE_ON_EACH_BACKEND(ParameterCacheTest);
