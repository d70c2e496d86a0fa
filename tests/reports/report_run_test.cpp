// Running user-defined reports of the demo company on both backends: the
// totals of the pages and of the .xlsx workbook against hand-written
// queries, subtotals by classification, summarised reports, calculated
// columns, filters fixed and asked at run, the run date, and that no
// formula or condition a user writes ever runs as SQL.
#include "data/database_setup.h"
#include "data/demo_company.h"
#include "data/report_fields.h"
#include "reports/kqrview.h"
#include "reports/report_definition.h"
#include "reports/report_run.h"
#include "reports/spreadsheet_reader.h"
#include "scripted_ui.h"
#include "tables/attributes_procedures.h"
#include "temp_folder.h"
#include "test_server.h"
#include "ui/report_render.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

/// Keeps every line of a run.
class CollectingSink : public ReportSink {
public:
    bool begin(const ReportLayout& shape, QString&) override
    {
        layout = shape;
        return true;
    }
    void line(const ReportLine& line) override { lines.append(line); }
    bool finish(QString&) override { return true; }

    QList<ReportLine> of(ReportLine::Kind kind) const
    {
        QList<ReportLine> found;
        for (const ReportLine& line : lines) {
            if (line.kind == kind)
                found.append(line);
        }
        return found;
    }
    /// The column titled `title`.
    int column(const QString& title) const
    {
        for (qsizetype index = 0; index < layout.columns.size(); ++index) {
            if (layout.columns.at(index).title == title)
                return int(index);
        }
        ADD_FAILURE() << "no column " << title.toStdString();
        return 0;
    }

    ReportLayout layout;
    QList<ReportLine> lines;
};

const QString sueldos = u"Sueldos por centro de costo"_s;
const QString firstHalf = u"1/12/24:31/5/25"_s;

class ReportRun : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres) {
            if (const QString missing = testServerMissing(); !missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
            QString problem;
            ASSERT_TRUE(server_.create(u"reports"_s, &problem)) << problem.toStdString();
        }
        const DatabaseLocation location = GetParam() == Backend::Postgres
                                              ? server_.location()
                                              : DatabaseLocation::sqliteFile(folder_.file("KQ_DATA.MDB"));
        database = std::make_unique<Database>(location);
        ASSERT_TRUE(database->open(Database::OpenMode::CreateIfMissing)) << database->errorText().toStdString();
        QString error;
        ASSERT_TRUE(createDatabase(*database, &error)) << error.toStdString();
        ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    }

    /// The first column of the first row of `select` (bare names).
    QVariant scalar(const QString& select, const QVariantList& values = {})
    {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.prepare(translateJetSql(select, database->backend()))) << query.lastError().text().toStdString();
        for (const QVariant& value : values)
            query.addBindValue(storageValue(value, database->backend()));
        EXPECT_TRUE(query.exec()) << select.toStdString() << ": " << query.lastError().text().toStdString();
        EXPECT_TRUE(query.next()) << select.toStdString();
        return query.value(0);
    }

    /// Rows of `select` as (text of the first column, number of the second).
    QList<std::pair<QString, double>> pairs(const QString& select, const QVariantList& values = {})
    {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.prepare(translateJetSql(select, database->backend())));
        for (const QVariant& value : values)
            query.addBindValue(storageValue(value, database->backend()));
        EXPECT_TRUE(query.exec()) << select.toStdString() << ": " << query.lastError().text().toStdString();
        QList<std::pair<QString, double>> rows;
        while (query.next())
            rows.append({query.value(0).toString().trimmed(), query.value(1).toDouble()});
        return rows;
    }

    ReportRunResult run(int report, CollectingSink& sink, const ReportRunOptions& options = {})
    {
        ReportRunResult result = runReport(*database, ui, report, options, sink);
        EXPECT_TRUE(result.ok) << result.message.toStdString();
        return result;
    }

    void addReport(int id, const QString& kind, const QList<int>& columns)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, u"INFORME"_s,
                              {{"InfId", id}, {"InfDes", u"Prueba "_s + QString::number(id)}, {"InfDetRes", kind},
                               {"InfCarId", 1}, {"InfCategor", 0}},
                              &error)) << error.toStdString();
        for (qsizetype at = 0; at < columns.size(); ++at)
            ASSERT_TRUE(insertRow(*database, u"INFORME1"_s,
                                  {{"InfId", id}, {"InfCorCamp", int(at + 1)}, {"CamId", columns.at(at)},
                                   {"InfAncho", 0}, {"InfCorte", 0}},
                                  &error)) << error.toStdString();
    }

    void addFilter(int id, int position, int field, const QString& condition, const QString& negated = u"N"_s)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, u"INFORME3"_s,
                              {{"InfId", id}, {"InfCorFilt", position}, {"CamId", field}, {"InfFijoEmi", "F"},
                               {"InfCondici", condition}, {"InfNot", negated}, {"ConId", 0}},
                              &error)) << error.toStdString();
    }

    void addCalculation(int id, int number, const QString& title, const QString& formula,
                        const QString& kind = u"Cálculo entre columnas"_s, const QStringList& parameters = {})
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, u"INFORME4"_s,
                              {{"InfId", id}, {"InfCalId", number}, {"CamId", 0}, {"InfCalTitu", title},
                               {"InfConteni", kind}, {"InfCalForm", formula}, {"InfCalF1", parameters.value(0)},
                               {"InfCalF2", parameters.value(1)}, {"InfCalF3", parameters.value(2)}},
                              &error)) << error.toStdString();
    }

    void addClassification(int id, int position, int field, bool subtotal)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, u"INFORME2"_s,
                              {{"InfId", id}, {"InfCorClas", position}, {"CamId", field},
                               {"InfSubtot", subtotal ? "S" : "N"}},
                              &error)) << error.toStdString();
    }

    /// Row counts of the tables a report reads, to see they are intact.
    QList<qint64> tableCounts()
    {
        QList<qint64> counts;
        for (const QString& table : {u"FUNCIONA"_s, u"HISTORIA"_s, u"CONCEPT"_s, u"CAMPOS"_s, u"FUNATRVA"_s})
            counts.append(scalar(u"SELECT COUNT(*) FROM "_s + table).toLongLong());
        return counts;
    }

    TempFolder folder_;
    ServerTestDatabase server_;
    std::unique_ptr<Database> database;
    ScriptedUi ui;
};

}  // namespace

TEST_P(ReportRun, CostCentreSubtotalsAndTotalMatchAGroupByQuery)
{
    CollectingSink sink;
    const ReportRunResult result = run(1, sink);
    const int amount = sink.column(u"Importe liquidado"_s);
    EXPECT_EQ(sink.layout.title, sueldos);

    const QList<std::pair<QString, double>> expected = pairs(
        u"SELECT C.CCDesc, SUM(H.HMovImp) FROM HISTORIA H JOIN FUNCIONA F ON F.FunId = H.FunId "
        u"LEFT JOIN CENTROCO C ON C.CCId = H.MovCCId WHERE H.HMovTipo = 'H' GROUP BY C.CCDesc ORDER BY C.CCDesc"_s);
    const QList<ReportLine> subtotals = sink.of(ReportLine::Kind::Subtotal);
    ASSERT_EQ(subtotals.size(), expected.size());
    ASSERT_GE(expected.size(), 3);
    for (qsizetype at = 0; at < expected.size(); ++at) {
        EXPECT_EQ(subtotals.at(at).label, u"Total Descripción del centro de costo "_s + expected.at(at).first);
        EXPECT_NEAR(subtotals.at(at).values.at(amount).number, expected.at(at).second, 0.005);
    }
    const double total = scalar(u"SELECT SUM(HMovImp) FROM HISTORIA H JOIN FUNCIONA F ON F.FunId = H.FunId "
                                u"WHERE H.HMovTipo = 'H'"_s).toDouble();
    const QList<ReportLine> totals = sink.of(ReportLine::Kind::Total);
    ASSERT_EQ(totals.size(), 1);
    EXPECT_NEAR(totals.first().values.at(amount).number, total, 0.005);
    EXPECT_EQ(result.rows, scalar(u"SELECT COUNT(*) FROM HISTORIA WHERE HMovTipo = 'H'"_s).toLongLong());
    // Each group starts with its heading and details follow in its order.
    EXPECT_EQ(sink.lines.first().kind, ReportLine::Kind::Heading);
    EXPECT_EQ(sink.lines.first().label, u"Descripción del centro de costo: "_s + expected.first().first);
    EXPECT_EQ(sink.layout.filters, QStringList({u"Haber o descuento (H/D): H"_s}));
}

TEST_P(ReportRun, PagesAndWorkbookCarryTheTotalsOfTheQuery)
{
    const double total = scalar(u"SELECT SUM(HMovImp) FROM HISTORIA WHERE HMovTipo = 'H'"_s).toDouble();
    const QString shownTotal = formatReportValue(ReportValue::ofNumber(total), u"ZZZ,ZZZ,ZZZ,ZZ9.99"_s);

    KQRView view(nullptr);
    const ReportRunResult printed = printReport(*database, ui, 1, {}, view, QString::fromUtf8(demoCompanyName), u"juan"_s);
    ASSERT_TRUE(printed.ok) << printed.message.toStdString();
    const ReportDocument& document = view.document();
    ASSERT_GE(document.pages.size(), 2);
    EXPECT_NE(document.pages.first().findText(sueldos), nullptr);
    EXPECT_NE(document.pages.first().findText(u"Importe liquidado"_s), nullptr);
    EXPECT_NE(document.pages.last().findText(u"Total general"_s), nullptr);
    EXPECT_NE(document.pages.last().findText(shownTotal), nullptr) << shownTotal.toStdString();
    const QString pdf = folder_.file("sueldos.pdf");
    QString error;
    ASSERT_TRUE(writePdf(document, pdf, error)) << error.toStdString();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5).startsWith("%PDF"));

    // The workbook: title, headings, the detail rows and the same total.
    const QString xlsx = folder_.file("sueldos.xlsx");
    const ReportRunResult written2 = writeReportWorkbook(*database, ui, 1, {}, xlsx);
    ASSERT_TRUE(written2.ok) << written2.message.toStdString();
    std::unique_ptr<SpreadsheetReader> reader = SpreadsheetReader::forFile(xlsx, {});
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->open(), 0);
    int row = 0;
    QStringList cells;
    QStringList firstCells;
    QStringList lastCells;
    int rows = 0;
    while (reader->nextRow(row, cells)) {
        if (rows++ == 0)
            firstCells = cells;
        lastCells = cells;
    }
    EXPECT_EQ(firstCells.value(0), sueldos);
    EXPECT_EQ(lastCells.value(0), u"Total general"_s);
    EXPECT_NEAR(lastCells.value(4).toDouble(), total, 0.005) << lastCells.join(u'|').toStdString();
    const qint64 details = scalar(u"SELECT COUNT(*) FROM HISTORIA WHERE HMovTipo = 'H'"_s).toLongLong();
    // Title, filter, blank, headings, details, a heading and a subtotal per
    // cost centre, the total.
    const qint64 centres = scalar(u"SELECT COUNT(DISTINCT MovCCId) FROM HISTORIA WHERE HMovTipo = 'H'"_s).toLongLong();
    EXPECT_EQ(rows, 3 + details + 2 * centres + 1);
    EXPECT_EQ(lastRunText(*database, 1), u"Última emisión: "_s + QDate::currentDate().toString(u"dd/MM/yy"_s));
    EXPECT_EQ(lastRunText(*database, 2), QString());
}

TEST_P(ReportRun, ACancelledRunDeliversNothingAndKeepsTheLastRunDate)
{
    ReportRunOptions options;
    options.progressRows = 10;
    QList<qint64> told;
    options.progress = [&told](qint64 rows) {
        told.append(rows);
        return told.size() < 2;
    };
    const QString xlsx = folder_.file("cancelled.xlsx");
    const ReportRunResult result = writeReportWorkbook(*database, ui, 1, options, xlsx);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.message, u"Emisión cancelada"_s);
    EXPECT_EQ(told, (QList<qint64>{10, 20}));
    EXPECT_FALSE(QFile::exists(xlsx));
    EXPECT_EQ(lastRunText(*database, 1), QString());
}

TEST_P(ReportRun, SummarisedYearEndBaseIsOneLinePerEmployeeWithItsTwelfth)
{
    ReportRunOptions options;
    options.answers.insert(1302, firstHalf);
    CollectingSink sink;
    run(3, sink, options);
    EXPECT_TRUE(sink.of(ReportLine::Kind::Detail).isEmpty());
    EXPECT_TRUE(sink.of(ReportLine::Kind::Heading).isEmpty());
    const QList<std::pair<QString, double>> expected = pairs(
        u"SELECT F.FunApeNom, SUM(H.HMovImp) FROM HISTORIA H JOIN FUNCIONA F ON F.FunId = H.FunId "
        u"JOIN CONCEPT C ON C.ConId = H.HConId WHERE H.HMovTipo = 'H' AND C.ConAguinal = 'G' "
        u"AND H.HPLFch >= ? AND H.HPLFch < ? GROUP BY F.FunApeNom ORDER BY F.FunApeNom"_s,
        {QDateTime(QDate(2024, 12, 1), QTime(0, 0)), QDateTime(QDate(2025, 6, 1), QTime(0, 0))});
    const QList<ReportLine> lines = sink.of(ReportLine::Kind::Subtotal);
    ASSERT_EQ(lines.size(), expected.size());
    ASSERT_GE(lines.size(), 13);
    const int amount = sink.column(u"Importe liquidado"_s);
    const int twelfth = sink.column(u"Aguinaldo estimado"_s);
    double sumOfTwelfths = 0;
    for (qsizetype at = 0; at < lines.size(); ++at) {
        EXPECT_EQ(lines.at(at).label, expected.at(at).first);
        EXPECT_NEAR(lines.at(at).values.at(amount).number, expected.at(at).second, 0.005);
        // Five months (January to May) of rounded twelfths.
        EXPECT_NEAR(lines.at(at).values.at(twelfth).number, expected.at(at).second / 12, 5 * 0.005 + 1e-9);
        sumOfTwelfths += lines.at(at).values.at(twelfth).number;
    }
    EXPECT_NEAR(sink.of(ReportLine::Kind::Total).first().values.at(twelfth).number, sumOfTwelfths, 0.005);

    // Without an answer, the condition is asked through the filter editor.
    ui.onCall(u"WFILTRO"_s, [](QString& key, QString& mode) {
        EXPECT_EQ(key, firstHalf);
        EXPECT_EQ(mode, u"EMI"_s);
        key = u"1/1/25:31/1/25"_s;
    });
    CollectingSink january;
    run(3, january);
    EXPECT_EQ(ui.calledObjects(), QStringList({u"WFILTRO"_s}));
    const double januaryTotal = scalar(
        u"SELECT SUM(H.HMovImp) FROM HISTORIA H JOIN CONCEPT C ON C.ConId = H.HConId WHERE H.HMovTipo = 'H' "
        u"AND C.ConAguinal = 'G' AND H.HCorLiq = 1"_s).toDouble();
    EXPECT_NEAR(january.of(ReportLine::Kind::Total).first().values.at(amount).number, januaryTotal, 0.005);
}

TEST_P(ReportRun, EmployeesByAttributeWithNullAndNegatedFilters)
{
    CollectingSink sink;
    run(2, sink);
    const QList<std::pair<QString, double>> expected = pairs(
        u"SELECT A.FunAValor, COUNT(*) FROM FUNCIONA F LEFT JOIN FUNATRVA A ON A.FunId = F.FunId AND A.FunAL = 0 "
        u"AND A.FunAId = 1 WHERE F.FunActEgr = 'A' GROUP BY A.FunAValor ORDER BY A.FunAValor"_s);
    const QList<ReportLine> subtotals = sink.of(ReportLine::Kind::Subtotal);
    ASSERT_EQ(subtotals.size(), expected.size());
    for (qsizetype at = 0; at < expected.size(); ++at) {
        EXPECT_EQ(subtotals.at(at).label, u"Total Mensuales/Jornaleros "_s + expected.at(at).first);
        EXPECT_EQ(subtotals.at(at).rows, qint64(expected.at(at).second));
    }

    // "NULL" on a numeric field: the employees without weekly hours.
    addReport(90, u"D"_s, {1001, 807});
    addFilter(90, 1, 807, u"NULL"_s);
    CollectingSink without;
    run(90, without);
    const qint64 missing = scalar(u"SELECT COUNT(*) FROM FUNCIONA F WHERE NOT EXISTS (SELECT 1 FROM FUNATRVA A "
                                  u"WHERE A.FunId = F.FunId AND A.FunAL = 0 AND A.FunAId = 7)"_s).toLongLong();
    ASSERT_GT(missing, 0);
    EXPECT_EQ(without.of(ReportLine::Kind::Detail).size(), missing);
    // Negated: everybody else; a range on the number works on its value.
    addReport(91, u"D"_s, {1001, 807});
    addFilter(91, 1, 807, u"40:48"_s, u"S"_s);
    CollectingSink outside;
    run(91, outside);
    EXPECT_EQ(outside.of(ReportLine::Kind::Detail).size(),
              scalar(u"SELECT COUNT(*) FROM FUNATRVA WHERE FunAId = 7 AND NOT (FunAValN >= 40 AND FunAValN <= 48)"_s)
                  .toLongLong());
}

TEST_P(ReportRun, UserTextNeverRunsAsSql)
{
    const QList<qint64> before = tableCounts();
    // A character condition with quotes and SQL is a value compared with.
    addReport(92, u"D"_s, {1001, 1002});
    addFilter(92, 1, 1002, u"x'); DELETE FROM FUNCIONA; --,O'Neill"_s);
    CollectingSink none;
    run(92, none);
    EXPECT_TRUE(none.of(ReportLine::Kind::Detail).isEmpty());
    // Negated, the same text lets every employee through.
    addReport(93, u"D"_s, {1001, 1002});
    addFilter(93, 1, 1002, u"x'; DROP TABLE HISTORIA; --"_s, u"S"_s);
    CollectingSink all;
    run(93, all);
    EXPECT_EQ(all.of(ReportLine::Kind::Detail).size(), scalar(u"SELECT COUNT(*) FROM FUNCIONA"_s).toLongLong());

    // A numeric condition holding SQL is refused before anything runs.
    addReport(94, u"D"_s, {1001});
    addFilter(94, 1, 1001, u"1 OR 1=1"_s);
    CollectingSink refusedSink;
    ReportRunResult refused = runReport(*database, ui, 94, {}, refusedSink);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, u"Filtro por Número de funcionario: Debe indicar valores numéricos"_s);

    // Formulas with SQL are formulas that do not read, never statements.
    addReport(95, u"D"_s, {1001, 1306});
    addCalculation(95, 1, u"Maldad"_s, u"[Importe liquidado]; DELETE FROM HISTORIA"_s);
    CollectingSink formulaSink;
    refused = runReport(*database, ui, 95, {}, formulaSink);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, u"Error en la fórmula de [Maldad]: Carácter inesperado ';' en la posición 20"_s);
    addReport(96, u"D"_s, {1001, 1306});
    addCalculation(96, 1, u"Texto"_s, u"iif([Importe liquidado] > 0, \"'); DROP TABLE CONCEPT; --\", \"\")"_s);
    CollectingSink textSink;
    run(96, textSink);
    ASSERT_FALSE(textSink.of(ReportLine::Kind::Detail).isEmpty());
    EXPECT_EQ(textSink.of(ReportLine::Kind::Detail).first().values.at(2).text, u"'); DROP TABLE CONCEPT; --"_s);

    // A catalogue row altered to hold SQL is refused too.
    ASSERT_FALSE(database->execute(u"UPDATE CAMPOS SET CamText = ? WHERE CamId = 1002"_s,
                                   {u"FUNCIONA.FunApeNom; DELETE FROM FUNCIONA"_s}));
    CollectingSink alteredSink;
    refused = runReport(*database, ui, 92, {}, alteredSink);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, u"El campo 1002 (Apellidos y nombres) del catálogo de campos de informes no es válido"_s);
    EXPECT_EQ(tableCounts(), before);
}

TEST_P(ReportRun, BadCalculationsAndFieldsAreExplained)
{
    // Division by zero leaves the cell blank and says on how many rows.
    addReport(97, u"D"_s, {1001, 1306});
    addCalculation(97, 1, u"Cociente"_s, u"[Importe liquidado] / ([Número de funcionario] - 1001)"_s);
    CollectingSink sink;
    const ReportRunResult result = run(97, sink);
    const qint64 zero = scalar(u"SELECT COUNT(*) FROM HISTORIA WHERE FunId = 1001"_s).toLongLong();
    ASSERT_GT(zero, 0);
    EXPECT_EQ(result.notices, QStringList({u"Aviso: "_s + QString::number(zero)
                                           + u" fila(s) con la columna [Cociente] en blanco: División por cero"_s}));
    // A reference to a column the report does not hold, and a later one.
    addReport(98, u"D"_s, {1001});
    addCalculation(98, 1, u"A"_s, u"[B] * 2"_s);
    addCalculation(98, 2, u"B"_s, u"[Número de funcionario] + 1"_s);
    CollectingSink laterSink;
    ReportRunResult refused = runReport(*database, ui, 98, {}, laterSink);
    EXPECT_EQ(refused.message, u"No puede utilizar la columna [B] en la fórmula de cálculo de [A] porque se calcula despues"_s);
    addReport(99, u"D"_s, {1001});
    addCalculation(99, 1, u"C"_s, u"[Sueldo] * 2"_s);
    CollectingSink missingSink;
    refused = runReport(*database, ui, 99, {}, missingSink);
    EXPECT_EQ(refused.message,
              u"La fórmula de cálculo de [C] hace referencia a la columna [Sueldo] que no está incluida en el informe"_s);
    // Liquidations and movements cannot be read in one report.
    addReport(100, u"D"_s, {1306, 1503});
    CollectingSink mixedSink;
    refused = runReport(*database, ui, 100, {}, mixedSink);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.startsWith(u"Un informe no puede combinar"_s)) << refused.message.toStdString();
    CollectingSink noReport;
    EXPECT_EQ(runReport(*database, ui, 4242, {}, noReport).message, u"No existe el informe 4242"_s);
}

TEST_P(ReportRun, AttributeFieldsOfTheSeedAreThoseTheAttributeProcedureWrites)
{
    // Written by the fixed rows and the demo; PACTUALI rewrites them.
    const auto attributeRows = [this] {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.exec(translateJetSql(
            u"SELECT CamId, CamDes, CamGrupo, CamTabla, CamText, CamTipo, CamPLEdici, CamSumar FROM CAMPOS "
            u"WHERE CamAtribut = 'S' ORDER BY CamId"_s, database->backend())));
        QStringList rows;
        while (query.next()) {
            QStringList row;
            for (int column = 0; column < 8; ++column)
                row.append(query.value(column).toString().trimmed());
            rows.append(row.join(u'|'));
        }
        return rows;
    };
    const QStringList seeded = attributeRows();
    EXPECT_EQ(seeded.size(), scalar(u"SELECT COUNT(*) FROM FUNATRIB"_s).toLongLong());
    ASSERT_FALSE(PACTUALI(*database));
    EXPECT_EQ(attributeRows(), seeded);
    EXPECT_GE(scalar(u"SELECT COUNT(*) FROM CAMPOS WHERE CamAtribut = 'N'"_s).toLongLong(),
              qint64(fixedReportFields().size()));
}

TEST_P(ReportRun, ConceptAmountsSumTheRowsOrTheEmployeesLiquidations)
{
    // Summarised by employee over the liquidation rows: each column counts
    // the rows of its concepts (by group, by type).
    addReport(110, u"R"_s, {1306});
    addClassification(110, 1, 1002, false);
    addCalculation(110, 1, u"Sueldos"_s, {}, u"Importe"_s, {{}, u"SUELDOS"_s});
    addCalculation(110, 2, u"Descuentos de ley"_s, {}, u"Importe"_s, {{}, {}, u"2"_s});
    CollectingSink byEmployee;
    run(110, byEmployee);
    const QString perEmployee = u"SELECT F.FunApeNom, SUM(CASE WHEN %1 THEN H.HMovImp ELSE 0 END) FROM HISTORIA H "
                                u"JOIN FUNCIONA F ON F.FunId = H.FunId LEFT JOIN CONCEPT C ON C.ConId = H.HConId "
                                u"GROUP BY F.FunApeNom ORDER BY F.FunApeNom"_s;
    const auto salaries = pairs(perEmployee.arg(u"C.ConGrupo = 'SUELDOS'"_s));
    const auto deductions = pairs(perEmployee.arg(u"C.ConTipo = 2"_s));
    const QList<ReportLine> lines = byEmployee.of(ReportLine::Kind::Subtotal);
    ASSERT_EQ(lines.size(), salaries.size());
    ASSERT_GE(lines.size(), 13);
    double deducted = 0;
    for (qsizetype at = 0; at < lines.size(); ++at) {
        EXPECT_EQ(lines.at(at).label, salaries.at(at).first);
        EXPECT_NEAR(lines.at(at).values.at(1).number, salaries.at(at).second, 0.005) << salaries.at(at).first.toStdString();
        EXPECT_NEAR(lines.at(at).values.at(2).number, deductions.at(at).second, 0.005);
        deducted += deductions.at(at).second;
    }
    ASSERT_GT(deducted, 0);
    EXPECT_NEAR(byEmployee.of(ReportLine::Kind::Total).first().values.at(2).number, deducted, 0.005);

    // One row per employee: the employee's liquidations of the codes.
    addReport(111, u"D"_s, {1001});
    addCalculation(111, 1, u"Salario"_s, {}, u"Importe"_s, {u"1:2"_s});
    CollectingSink employees;
    run(111, employees);
    QHash<QString, double> expected;
    for (const auto& [employee, amount] : pairs(u"SELECT FunId, SUM(HMovImp) FROM HISTORIA WHERE HConId >= 1 "
                                                u"AND HConId <= 2 GROUP BY FunId"_s))
        expected.insert(employee, amount);
    const QList<ReportLine> details = employees.of(ReportLine::Kind::Detail);
    ASSERT_EQ(details.size(), scalar(u"SELECT COUNT(*) FROM FUNCIONA"_s).toLongLong());
    for (const ReportLine& line : details)
        EXPECT_NEAR(line.values.at(1).number, expected.value(QString::number(qint64(line.values.at(0).number))), 0.005);
    EXPECT_NEAR(employees.of(ReportLine::Kind::Total).first().values.at(1).number,
                scalar(u"SELECT SUM(HMovImp) FROM HISTORIA WHERE HConId >= 1 AND HConId <= 2"_s).toDouble(), 0.005);
}

TEST_P(ReportRun, BasicsTakeTheValueValidAtTheRunDateByPositionAndCostCentre)
{
    const QDate today(2025, 7, 15);
    QString error;
    ASSERT_TRUE(insertRow(*database, u"BASICOS"_s, {{"BasId", 90}, {"BasDesc", u"Prima"_s}}, &error));
    // For all; for position 2 from tomorrow on (today its previous amount); for the cost centre ADM.
    for (const auto& [position, centre, amount, previous, from] :
         {std::tuple{0, u""_s, 1000.0, 900.0, QDate(2020, 1, 1)}, std::tuple{2, u""_s, 2000.0, 1500.0, today.addDays(1)},
          std::tuple{0, u"ADM"_s, 3000.0, 2500.0, QDate(2020, 1, 1)}})
        ASSERT_TRUE(insertRow(*database, u"BASICOS1"_s,
                              {{"BasId", 90}, {"CarId", position}, {"CCId", centre}, {"RefAuxId", u""_s},
                               {"BasImp", amount}, {"BasImpAnt", previous}, {"BasVigenci", QDateTime(from, QTime(0, 0))}},
                              &error)) << error.toStdString();
    ReportRunOptions options;
    options.today = today;
    options.storeRunDate = false;

    addReport(112, u"D"_s, {1001, 1102});
    addCalculation(112, 1, u"Por cargo"_s, {}, u"Básico"_s, {u"90"_s, u"S"_s, u"N"_s});
    CollectingSink positions;
    const ReportRunResult byPosition = run(112, positions, options);
    const qint64 second = scalar(u"SELECT COUNT(*) FROM CARGOSFU WHERE FunCarId = 2"_s).toLongLong();
    ASSERT_GT(second, 0);
    for (const ReportLine& line : positions.of(ReportLine::Kind::Detail))
        EXPECT_EQ(line.values.at(2).number, line.values.at(1).number == 2 ? 1500.0 : 1000.0);
    EXPECT_DOUBLE_EQ(positions.of(ReportLine::Kind::Total).first().values.at(2).number,
                     1500.0 * double(second) + 1000.0 * double(byPosition.rows - second));

    addReport(113, u"D"_s, {1001, 1306});
    addCalculation(113, 1, u"Por centro"_s, {}, u"Básico"_s, {u"90"_s, u"N"_s, u"S"_s});
    CollectingSink centres;
    const ReportRunResult byCentre = run(113, centres, options);
    const qint64 office = scalar(u"SELECT COUNT(*) FROM HISTORIA WHERE MovCCId = 'ADM'"_s).toLongLong();
    ASSERT_GT(office, 0);
    EXPECT_EQ(byCentre.rows, scalar(u"SELECT COUNT(*) FROM HISTORIA"_s).toLongLong());
    EXPECT_DOUBLE_EQ(centres.of(ReportLine::Kind::Total).first().values.at(2).number,
                     3000.0 * double(office) + 1000.0 * double(byCentre.rows - office));
}

TEST_P(ReportRun, KindsWithNothingToReadAreRefusedByName)
{
    const QList<std::pair<QString, QString>> kinds = {
        {u"Cantidad"_s, u"las liquidaciones no guardan cantidades"_s},
        {u"Importe m/e"_s, u"las liquidaciones no guardan importes en moneda extranjera"_s},
        {u"Suma valor del legajo"_s, u"las anotaciones del legajo no guardan valores"_s}};
    int report = 120;
    for (const auto& [kind, why] : kinds) {
        addReport(report, u"D"_s, {1001});
        addCalculation(report, 1, u"Columna"_s, {}, kind, {u"1"_s});
        CollectingSink sink;
        const ReportRunResult refused = runReport(*database, ui, report++, {}, sink);
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.message, u"La columna calculada \"Columna\" ("_s + kind + u") no se puede emitir: "_s + why);
    }
}

TEST_P(ReportRun, CounterNumbersTheDetailsAndInTotalsCountsEachGroup)
{
    addReport(114, u"D"_s, {ReportFields::counterField, 1001, ReportFields::inTotalsField});
    addClassification(114, 1, 1006, true);
    CollectingSink sink;
    const ReportRunResult result = run(114, sink);
    const QList<ReportLine> details = sink.of(ReportLine::Kind::Detail);
    ASSERT_EQ(qint64(details.size()), scalar(u"SELECT COUNT(*) FROM FUNCIONA"_s).toLongLong());
    for (qsizetype at = 0; at < details.size(); ++at) {
        EXPECT_EQ(details.at(at).values.at(0).number, double(at + 1));
        EXPECT_TRUE(details.at(at).values.at(2).isNull());
    }
    EXPECT_EQ(sink.layout.columns.at(0).title, u"#"_s);
    const auto groups = pairs(u"SELECT FunActEgr, COUNT(*) FROM FUNCIONA GROUP BY FunActEgr ORDER BY FunActEgr"_s);
    const QList<ReportLine> subtotals = sink.of(ReportLine::Kind::Subtotal);
    ASSERT_EQ(subtotals.size(), groups.size());
    for (qsizetype at = 0; at < groups.size(); ++at) {
        EXPECT_EQ(subtotals.at(at).values.at(2).number, groups.at(at).second);
        EXPECT_TRUE(subtotals.at(at).values.at(0).isNull());
    }
    EXPECT_EQ(sink.of(ReportLine::Kind::Total).first().values.at(2).number, double(result.rows));
}

TEST_P(ReportRun, ContainingLooksForTheTextItselfWildcardsAndQuotesIncluded)
{
    QString error;
    for (const auto& [id, name] : {std::pair{9001, u"O'Hara 100% _x"_s}, std::pair{9002, u"O'Hara 1000 ax"_s}})
        ASSERT_TRUE(insertRow(*database, u"FUNCIONA"_s, {{"FunId", id}, {"FunApeNom", name}, {"FunActEgr", "A"}},
                              &error)) << error.toStdString();
    // Unescaped, "%" and "_" would let "O'Hara 1000 ax" through as well.
    addReport(101, u"D"_s, {1001, 1002});
    addFilter(101, 1, 1002, u"'hara 100% _"_s, u"C"_s);
    CollectingSink sink;
    run(101, sink);
    const QList<ReportLine> found = sink.of(ReportLine::Kind::Detail);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().values.at(1).text, u"O'Hara 100% _x"_s);
    EXPECT_EQ(sink.layout.filters, QStringList{u"Apellidos y nombres: conteniendo 'hara 100% _"_s});
    // Any of several values; a number field cannot be "conteniendo".
    addReport(102, u"D"_s, {1001, 1002});
    addFilter(102, 1, 1002, u"zzz,1000 AX"_s, u"C"_s);
    CollectingSink several;
    run(102, several);
    ASSERT_EQ(several.of(ReportLine::Kind::Detail).size(), 1);
    EXPECT_EQ(several.of(ReportLine::Kind::Detail).first().values.at(0).number, 9002);
    addReport(103, u"D"_s, {1001});
    addFilter(103, 1, 1001, u"10"_s, u"C"_s);
    CollectingSink number;
    EXPECT_EQ(runReport(*database, ui, 103, {}, number).message,
              u"Filtro por Número de funcionario: \"conteniendo\" solo se usa con campos de caracteres"_s);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReportRun, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return testBackendName(info.param).toStdString();
                         });
