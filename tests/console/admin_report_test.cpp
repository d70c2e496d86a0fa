// uordane-admin report on the demo company, as a script runs it: the PDF and
// the workbook it writes, the date of the run it stores, the condition of a
// filter asked at run given with --filter, and its refusals.
#include "console_fixture.h"

#include "data/demo_company.h"
#include "reports/report_run.h"

#include <QFile>
#include <QSqlQuery>

namespace {

class AdminReportTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        if (!database)
            return;
        QString error;
        ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    }

    /// Liquidation history rows that satisfy `condition`.
    qint64 historyRows(const QString& condition)
    {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.exec(sql(QStringLiteral("SELECT COUNT(*) FROM HISTORIA WHERE ") + condition)));
        return query.next() ? query.value(0).toLongLong() : -1;
    }

    AdminCommandRun report(const QStringList& arguments) { return runAdmin({"report"}, arguments); }
};

}  // namespace

TEST_F(AdminReportTest, WritesThePdfAndTheWorkbookOfADemoReport)
{
    const QString pdf = folder.file("sueldos.pdf");
    AdminCommandRun run = report({"1", "--pdf", pdf});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const qint64 rows = historyRows(QStringLiteral("HMovTipo = 'H'"));
    EXPECT_EQ(run.out, QStringList{QStringLiteral("Informe 1: %1 fila(s) en %2").arg(rows).arg(pdf)});
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(5), QByteArray("%PDF-"));
    EXPECT_TRUE(lastRunText(*database, 1).startsWith(QStringLiteral("Última emisión: ")));

    // Report 3 asks for its dates: given on the command line, January only.
    const QString xlsx = folder.file("aguinaldo.xlsx");
    run = report({"3", "--xlsx", xlsx, "--filter", "1302=1/1/25:31/1/25"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const qint64 january = historyRows(QStringLiteral("HMovTipo = 'H' AND HCorLiq = 1 AND HConId IN (1, 2)"));
    EXPECT_EQ(run.out, QStringList{QStringLiteral("Informe 3: %1 fila(s) en %2").arg(january).arg(xlsx)});
    EXPECT_TRUE(QFile::exists(xlsx));
}

TEST_F(AdminReportTest, RefusesWhatItCannotRun)
{
    const QString xlsx = folder.file("aguinaldo.xlsx");
    AdminCommandRun run = report({"3", "--xlsx", xlsx});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Exclamación: Falta la condición del filtro por Fecha de liquidación")))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(xlsx));
    run = report({"3", "--xlsx", xlsx, "--filter", "1302=31/02/25"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Filtro por Fecha de liquidación: Fecha incorrecta"))) << run.err.toStdString();
    run = report({"3", "--xlsx", xlsx, "--filter", "Sueldo=1"});
    EXPECT_EQ(run.status, 2);
    run = report({"1", "--pdf", folder.file("a.pdf"), "--xlsx", xlsx});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Indique --pdf ARCHIVO o --xlsx ARCHIVO (uno de los dos)")));
    run = report({"77", "--pdf", folder.file("a.pdf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No existe el informe 77"))) << run.err.toStdString();
}
