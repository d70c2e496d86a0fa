// uordane-admin report on the demo company, as a script runs it: the PDF and
// the workbook it writes, the date of the run it stores, the condition of a
// filter asked at run given with --filter, and its refusals.
#include "console_fixture.h"

#include "data/demo_company.h"
#include "reports/report_run.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>

namespace {

struct ReportCommandRun {
    int status = -1;
    QStringList out;
    QString err;
};

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

    QStringList company() const
    {
        if (backend() != Backend::Postgres)
            return {folder.path()};
        const DatabaseLocation where = location();
        const QString server = where.port > 0 ? where.server + u':' + QString::number(where.port) : where.server;
        QStringList options{"--server", server, "--database", where.database};
        if (!where.user.isEmpty())
            options << "--user" << where.user;
        return options;
    }

    /// Liquidation history rows that satisfy `condition`.
    qint64 historyRows(const QString& condition)
    {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.exec(sql(QStringLiteral("SELECT COUNT(*) FROM HISTORIA WHERE ") + condition)));
        return query.next() ? query.value(0).toLongLong() : -1;
    }

    ReportCommandRun report(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("TEMP", folder.path());
        variables.insert("TMP", folder.path());
        process.setProcessEnvironment(variables);
        process.start(QStringLiteral(UORDANE_ADMIN_PATH), QStringList{"report"} + company() + arguments);
        ReportCommandRun run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "uordane-admin did not finish";
            process.kill();
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
};

}  // namespace

TEST_F(AdminReportTest, WritesThePdfAndTheWorkbookOfADemoReport)
{
    const QString pdf = folder.file("sueldos.pdf");
    ReportCommandRun run = report({"1", "--pdf", pdf});
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
    ReportCommandRun run = report({"3", "--xlsx", xlsx});
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
