// uordane-admin form TCONCEP, run in the process: a legal deduction refused
// without its BPC and added with it, a header button on a concept not yet
// confirmed, and the notice that ends the addition.
#include "console_fixture.h"

#include "console/form_script.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

class ConceptFormScriptTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_FALSE(database->execute(u"UPDATE CONFIGUR SET CfFranja1 = 7, CfFranja2 = 10"_s));
        QString error;
        ASSERT_TRUE(insertRow(*database, u"BASICOS"_s, {{u"BasId"_s, 2}, {u"BasDesc"_s, u"BPC"_s}}, &error))
            << error.toStdString();
    }

    ExitStatus form(const QString& mode, const QStringList& steps)
    {
        FormScript script;
        script.object = u"TCONCEP"_s;
        script.mode = mode;
        QString problem;
        for (qsizetype at = 0; at < steps.size();) {
            if (!takeFormStep(steps, at, script.steps, &problem) || !problem.isEmpty()) {
                ADD_FAILURE() << "not a step: " << steps.at(at).toStdString() << problem.toStdString();
                return ExitUsage;
            }
        }
        return runFormScript(script, *database, console, out, &problem);
    }

    QString stored(int code, const QString& field)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT %1 FROM CONCEPT WHERE ConId = ?"_s.arg(field)));
        query.addBindValue(code);
        if (!query.exec() || !query.next())
            return u"<ninguno>"_s;
        return query.value(0).toString();
    }
};

TEST_F(ConceptFormScriptTest, ALegalDeductionNeedsItsBpcThenEndsWithTheNotice)
{
    const QStringList typed = {"--key", "300", "--set", "ConDesc=Retención IRP", "--set", "ConTipo=Descuento de ley",
                               "--set", "ConPorR1=10"};
    EXPECT_EQ(form(u"INS"_s, typed), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{u"Exclamación: Falta cargar el código de BPC"_s});
    EXPECT_EQ(stored(300, u"ConId"_s), u"<ninguno>"_s);

    clearOutput();
    EXPECT_EQ(form(u"INS"_s, typed + QStringList{"--set", "BasIdBPC=2"}), ExitDone);
    EXPECT_EQ(stored(300, u"ConImpRet"_s), u"S"_s);
    ASSERT_FALSE(outputLines().isEmpty());
    EXPECT_TRUE(output.contains(u"Tome en cuenta que el Concepto agregado puede requerir cambios"_s))
        << output.toStdString();
    EXPECT_TRUE(output.contains(u"- VORAN"_s)) << output.toStdString();
    ASSERT_EQ(auditEntries().size(), 1);
    EXPECT_TRUE(auditEntries().first().startsWith(u"Agrega concepto 300. Descripción = Retención IRP Concepto = "
                                                  u"Activo , tipo = Descuento de ley"_s));

    clearOutput();
    EXPECT_EQ(form(u"INS"_s, {"--key", "301", "--press", "Calculo"}), ExitRefused);
    // The button opens nothing; the confirm at the end finds no description.
    EXPECT_EQ(outputLines(), (QStringList{u"Información: Debe confirmar antes los datos"_s,
                                          u"Exclamación: Falta descripción"_s}));
}

}  // namespace
