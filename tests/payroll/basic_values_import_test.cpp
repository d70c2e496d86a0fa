// The import of basic values: the same rows from .csv, .xls and .xlsx, the
// control pass's messages in "errImpBas.txt", and all or nothing.
#include "reports/basic_values_import.h"
#include "reports/spreadsheet_reader.h"

#include "console/console_ui_port.h"
#include "data/parameters.h"
#include "organisation_tables_fixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <minizip/zip.h>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(UORDANE_SOURCE_DIR "/tests/payroll/fixtures/") + name;
}

class BasicValuesImportTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        addRow(QStringLiteral("CARGOS"), {{QStringLiteral("CarId"), 4}, {QStringLiteral("CarDesc1"), QStringLiteral("Oficial")}});
        addRow(QStringLiteral("CENTROCO"), {{QStringLiteral("CCId"), QStringLiteral("ADM")}});
        addRow(QStringLiteral("REFAUXIL"), {{QStringLiteral("RefAuxId"), QStringLiteral("SUNCA")}});
        options.separators = {QStringLiteral(";"), QStringLiteral(",")};
        options.workFolder = folder.path();
    }

    /// `name` of the fixtures copied into the test's folder, so that the
    /// error file is written there.
    QString copied(const QString& name)
    {
        const QString target = folder.file(name);
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(fixture(name), target)) << name.toStdString();
        return target;
    }

    QString written(const QString& name, const QByteArray& content)
    {
        const QString path = folder.file(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    static QStringList linesOf(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("<sin archivo>")};
        return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    /// Every value row as "basic/position/cost centre/reference/classifier/amount/previous/date".
    QStringList valueRows()
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.exec(sql(QStringLiteral("SELECT BasId, CarId, CCId, RefAuxId, BasClasif, BasImp, BasImpAnt, BasVigenci "
                                      "FROM BASICOS1 ORDER BY BasId, CarId, CCId, RefAuxId")));
        while (query.next()) {
            QStringList fields;
            for (int column = 0; column < 7; ++column)
                fields << query.value(column).toString().trimmed();
            fields << query.value(7).toDateTime().date().toString(Qt::ISODate);
            rows << fields.join(u'/');
        }
        return rows;
    }

    QStringList basics()
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.exec(sql(QStringLiteral("SELECT BasId, BasDesc FROM BASICOS ORDER BY BasId")));
        while (query.next())
            rows << query.value(0).toString() + u'=' + query.value(1).toString();
        return rows;
    }

    BasicImportResult importFile(const QString& path) { return PIMPBASI(*database, ui, path, options); }

    BasicImportOptions options;
};

const QStringList expectedRows = {
    QStringLiteral("1/0////24572/23604/2026-01-01"),
    QStringLiteral("3/4///Jornal/471.35/452.3/2026-05-01"),
    QStringLiteral("3/4/ADM//Jornal/480.5/0/2026-05-01"),
    QStringLiteral("7/0//SUNCA//264000.75/0/2026-01-15"),
};

TEST_F(BasicValuesImportTest, TheSameDataFromTextXlsAndXlsxGivesIdenticalRows)
{
    for (const QString& name : {QStringLiteral("basicos.csv"), QStringLiteral("basicos.xls"), QStringLiteral("basicos.xlsx")}) {
        SCOPED_TRACE(name.toStdString());
        execute(QStringLiteral("DELETE FROM BASICOS1"));
        execute(QStringLiteral("DELETE FROM BASICOS"));
        ui.clear();
        const BasicImportResult result = importFile(copied(name));
        EXPECT_TRUE(result.imported) << result.errors.join(u'|').toStdString() << result.failure.toStdString();
        EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("La importación se realizó correctamente")});
        EXPECT_EQ(valueRows(), expectedRows);
        EXPECT_EQ(basics(), (QStringList{QStringLiteral("1=Salario mínimo nacional"),
                                         QStringLiteral("3=Laudo construcción"), QStringLiteral("7=Tope AFAP")}));
        EXPECT_EQ(result.added, 4);
        EXPECT_TRUE(linesOf(result.errorFile).isEmpty()) << "the error file is started empty";
    }
}

TEST_F(BasicValuesImportTest, ImportingTheSameFileTwiceUpdatesAndAddsNothing)
{
    const QString file = copied(QStringLiteral("basicos.csv"));
    ASSERT_TRUE(importFile(file).imported);
    const BasicImportResult again = importFile(file);
    EXPECT_TRUE(again.imported);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.changed, 0);
    EXPECT_EQ(again.unchanged, 4);
    EXPECT_EQ(valueRows(), expectedRows);

    // A value whose blank codes an older program stored as Null is the same value.
    execute(QStringLiteral("UPDATE BASICOS1 SET CCId = NULL, RefAuxId = NULL WHERE BasId = 1"));
    EXPECT_EQ(importFile(file).added, 0);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 4);

    // A new amount for one value updates that row in place.
    const QString changed = written(QStringLiteral("nuevo.txt"),
                                    "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\r\n"
                                    "3;Otra descripción;4;;;Peón;500,25;471,35;01/07/26\r\n");
    const BasicImportResult update = importFile(changed);
    EXPECT_TRUE(update.imported);
    EXPECT_EQ(update.changed, 1);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 4);
    EXPECT_EQ(valueRows().at(1), QStringLiteral("3/4///Peón/500.25/471.35/2026-07-01"));
    EXPECT_EQ(basics().at(1), QStringLiteral("3=Laudo construcción")) << "an existing basic keeps its description";
}

TEST_F(BasicValuesImportTest, ALaterLineOfTheSameValueUpdatesWhatAnEarlierLineAdded)
{
    // Basic 8 is new, so its values are added without being looked for; the
    // third line names the first line's value again (blank codes and all).
    const BasicImportResult result = importFile(
        written(QStringLiteral("repetido.txt"), "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"
                                                "8;Repetido;;;;A;1;0;01/01/26\n"
                                                "8;Repetido;4;;;A;2;0;01/01/26\n"
                                                "8;Repetido; ; ; ;B;3;1;01/02/26\n"));
    ASSERT_TRUE(result.imported) << result.failure.toStdString();
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.changed, 1);
    EXPECT_EQ(valueRows(), (QStringList{QStringLiteral("8/0///B/3/1/2026-02-01"), QStringLiteral("8/4///A/2/0/2026-01-01")}));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 2);
    QSqlQuery nulls(database->connection());
    ASSERT_TRUE(nulls.exec(sql(QStringLiteral("SELECT COUNT(*) FROM BASICOS1 WHERE CCId IS NULL OR RefAuxId IS NULL"))));
    ASSERT_TRUE(nulls.next());
    EXPECT_EQ(nulls.value(0).toInt(), 0) << "blank codes are stored empty, so that the key finds them";
}

TEST_F(BasicValuesImportTest, TheControlPassNamesEveryFaultAndLeavesTheTablesUntouched)
{
    addRow(QStringLiteral("BASICOS"), {{QStringLiteral("BasId"), 1}, {QStringLiteral("BasDesc"), QStringLiteral("Antes")}});
    QByteArray content = "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;Importe;VALOR ANT;VIGENCIA\n"
                         ";Sin código;;;;;1;0;01/01/26\n"
                         "2;Cargo;9;;;;1;0;01/01/26\n"
                         "2;Centro;;XX;;;1;0;01/01/26\n"
                         "2;Referencia;;;YY;;1;0;01/01/26\n"
                         "2;Punto;;;;;1.234,5;0;01/01/26\n"
                         "2;Fecha;;;;;1;0;31/02/26\n"
                         "2;Pocos;;;;;1\n"
                         "2;Muchos;;;;;1;0;01/01/26;extra\n"
                         "2;Latin-1 construcci\xf3n;;;;;1;0;01/01/26\n";
    content += "2;" + QByteArray(10 * 1024 * 1024, 'x') + ";;;;;1;0;01/01/26\n";
    const BasicImportResult result = importFile(written(QStringLiteral("errores.txt"), content));

    const QStringList expected = {
        QStringLiteral("Titulo de la columna 7 debe ser -Valor-"),
        QStringLiteral("Linea 2: Debe indicar un código de básico"),
        QStringLiteral("Linea 3: El cargo 9 no existe"),
        QStringLiteral("Linea 4: El centro de costo XX no existe"),
        QStringLiteral("Linea 5: la referencia YY no existe"),
        QStringLiteral("Linea 6: El valor 1.234,5 no es un número con separador decimal \",\""),
        QStringLiteral("Linea 7: La fecha de vigencia 31/02/26 no es una fecha válida (dd/mm/aa)"),
        QStringLiteral("Linea 8: tiene 7 campos y debe tener 9 separados por \";\""),
        QStringLiteral("Linea 9: tiene 10 campos y debe tener 9 separados por \";\""),
        QStringLiteral("Linea 11: la línea tiene más de 65536 caracteres"),
    };
    EXPECT_FALSE(result.imported);
    EXPECT_EQ(result.errors, expected);
    EXPECT_EQ(linesOf(result.errorFile), expected);
    EXPECT_TRUE(result.errorFile.endsWith(QStringLiteral("/errImpBas.txt")));
    ASSERT_EQ(ui.texts().size(), 2);
    EXPECT_TRUE(ui.texts().first().startsWith(QStringLiteral("Mensajes de la importación\nTitulo de la columna 7")));
    EXPECT_EQ(ui.texts().last(), QStringLiteral("Debido a los errores la importación no se realizará"));
    EXPECT_EQ(basics(), QStringList{QStringLiteral("1=Antes")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);

    // Sound lines before the first fault are read, and written, in the same
    // pass: the fault takes them back.
    const BasicImportResult late = importFile(
        written(QStringLiteral("tarde.txt"), "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"
                                             "1;Cambiado;;;;;5;0;01/01/26\n"
                                             "2;Nuevo;4;;;;1;0;01/01/26\n"
                                             "2;Nuevo;9;;;;1;0;01/01/26\n"));
    EXPECT_FALSE(late.imported);
    EXPECT_EQ(late.errors, QStringList{QStringLiteral("Linea 4: El cargo 9 no existe")});
    EXPECT_EQ(late.added, 0);
    EXPECT_EQ(basics(), QStringList{QStringLiteral("1=Antes")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);
}

TEST_F(BasicValuesImportTest, Latin1AndUtf8LinesBothReadRight)
{
    const BasicImportResult result = importFile(
        written(QStringLiteral("mezcla.txt"), "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"
                                              "5;Pe\xf3n de construcci\xf3n;;;;;1;0;01/01/26\n"
                                              "6;Peón de construcción;;;;;1;0;\n"));
    ASSERT_TRUE(result.imported) << result.errors.join(u'|').toStdString();
    EXPECT_EQ(basics(), (QStringList{QStringLiteral("5=Peón de construcción"), QStringLiteral("6=Peón de construcción")}));
}

TEST_F(BasicValuesImportTest, FilesThatCannotBeReadAreRefusedWithTheirReason)
{
    for (const QString& name :
         {QStringLiteral("no_es_planilla.xlsx"), QStringLiteral("danada.xlsx"), QStringLiteral("protegida.xlsx")}) {
        SCOPED_TRACE(name.toStdString());
        ui.clear();
        const BasicImportResult result = importFile(copied(name));
        EXPECT_FALSE(result.imported);
        ASSERT_EQ(ui.texts().size(), 1);
        EXPECT_TRUE(ui.texts().first().startsWith(QStringLiteral("Error al abrir la planilla Excel (Error = ")))
            << ui.texts().first().toStdString();
    }
    ui.clear();
    EXPECT_EQ(importFile(written(QStringLiteral("vacio.txt"), {})).errors,
              QStringList{QStringLiteral("El archivo está vacío")});
    EXPECT_EQ(importFile(written(QStringLiteral("titulos.txt"),
                                 "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"))
                  .errors,
              QStringList{QStringLiteral("El archivo no tiene líneas de datos: solo la línea de títulos")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 0);
}

TEST_F(BasicValuesImportTest, AFailingWriteHalfWayImportsNothingAndNamesTheLine)
{
    // The database itself refuses the value of basic 7, on the fourth data line.
    QSqlQuery query(database->connection());
    if (backend() == Backend::Sqlite) {
        ASSERT_TRUE(query.exec(QStringLiteral("CREATE TRIGGER refuse_seven BEFORE INSERT ON \"BASICOS1\" "
                                              "WHEN NEW.\"BasId\" = 7 BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    } else {
        ASSERT_TRUE(query.exec(QStringLiteral(
            "CREATE OR REPLACE FUNCTION refuse_seven() RETURNS trigger AS $$ BEGIN IF NEW.\"BasId\" = 7 THEN "
            "RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql")));
        ASSERT_TRUE(query.exec(QStringLiteral("CREATE TRIGGER refuse_seven BEFORE INSERT ON \"BASICOS1\" "
                                              "FOR EACH ROW EXECUTE FUNCTION refuse_seven()")));
    }
    // The line after the refused one names a position not looked up yet: a
    // server refuses every statement of the failed transaction, and the
    // look-up must not turn into "El cargo 4 no existe".
    const BasicImportResult result = importFile(
        written(QStringLiteral("mitad.txt"), "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"
                                             "1;Salario mínimo nacional;;;;;24572;23604;01/01/2026\n"
                                             "7;Tope AFAP;;;;;264000,75;0;15/01/26\n"
                                             "3;Laudo construcción;4;;;Jornal;471,35;452,3;01/05/26\n"));
    EXPECT_FALSE(result.imported);
    ASSERT_EQ(ui.texts().size(), 1) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(ui.texts().first().startsWith(QStringLiteral("Linea 3: "))) << ui.texts().first().toStdString();
    EXPECT_TRUE(ui.texts().first().endsWith(QStringLiteral("La importación no se realizó: las tablas quedaron como estaban.")));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 0);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);
}

TEST_F(BasicValuesImportTest, ADryRunTellsEachLinesEffectAndWritesNothing)
{
    ASSERT_TRUE(importFile(written(QStringLiteral("uno.txt"),
                                   "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n"
                                   "1;Salario mínimo nacional;;;;;24572;23604;01/01/2026\n"
                                   "3;Laudo construcción;4;;;Jornal;1;0;01/05/26\n"))
                    .imported);
    options.dryRun = true;
    ui.clear();
    const BasicImportResult result = importFile(copied(QStringLiteral("basicos.csv")));
    EXPECT_TRUE(result.imported);
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    ASSERT_EQ(result.lines.size(), 4);
    EXPECT_EQ(result.lines.at(0).effect, ImportLineEffect::Unchanged);
    EXPECT_EQ(result.lines.at(1).effect, ImportLineEffect::Changed);
    EXPECT_EQ(result.lines.at(2).effect, ImportLineEffect::Added);
    EXPECT_FALSE(result.lines.at(2).basicAdded);
    EXPECT_EQ(result.lines.at(3).effect, ImportLineEffect::Added);
    EXPECT_TRUE(result.lines.at(3).basicAdded);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 2);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 2);
}

TEST_F(BasicValuesImportTest, ThePreferencesAreCheckedAndTheImportPanelNeedsThem)
{
    WIMPBASI panel(*database, ui);
    EXPECT_FALSE(panel.start());
    WPREFIMP preferences(*database, ui);
    preferences.start();
    EXPECT_FALSE(preferences.confirm());
    preferences.setFieldSeparator(QStringLiteral(","));
    EXPECT_FALSE(preferences.confirm());
    preferences.setDecimalSeparator(QStringLiteral(","));
    EXPECT_FALSE(preferences.confirm());
    preferences.pressCsv();
    preferences.pressCsv();
    ASSERT_TRUE(preferences.confirm());
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Falta cargar las preferencias"),
                                       QStringLiteral("No indicó separador de campo"),
                                       QStringLiteral("No indicó separador decimal"),
                                       QStringLiteral("Separador decimal y de campo iguales"),
                                       QStringLiteral("Separadores ya corresponden a CSV")}));

    ui.clear();
    ASSERT_TRUE(panel.start());
    ui.chooseFile(copied(QStringLiteral("basicos.xlsx")));
    EXPECT_TRUE(panel.importFile());
    EXPECT_EQ(ui.fileRequests().first().title, QStringLiteral("Seleccione archivo para importar"));
    EXPECT_EQ(valueRows(), expectedRows);
    QString remembered;
    PPARLC(*database, QStringLiteral("Carpeta"), QStringLiteral("ImportaBas"), 0, remembered);
    EXPECT_EQ(QDir::cleanPath(remembered.trimmed()), QDir::cleanPath(folder.path()));
}

TEST(SpreadsheetCellTexts, DatesAndNumbersReadAsTheImportWritesThem)
{
    EXPECT_EQ(spreadsheetDateText(46023), QStringLiteral("01/01/2026"));
    EXPECT_EQ(spreadsheetDateText(46023.75), QStringLiteral("01/01/2026")) << "the time of day is left out";
    EXPECT_EQ(spreadsheetDateText(44561, true), QStringLiteral("01/01/2026"));
    EXPECT_EQ(spreadsheetNumberText(264000.75, u','), QStringLiteral("264000,75"));
    EXPECT_EQ(spreadsheetNumberText(24572, u','), QStringLiteral("24572"));
    EXPECT_EQ(spreadsheetNumberText(-0.5, u'.'), QStringLiteral("-0.5"));
}

/// A workbook of the given parts, as a zip.
bool writeWorkbook(const QString& path, const QList<std::pair<const char*, QByteArray>>& parts)
{
    zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, content] : parts) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6) == ZIP_OK
             && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK
             && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

QList<QStringList> rowsOf(const QString& path, int* error)
{
    QList<QStringList> rows;
    std::unique_ptr<SpreadsheetReader> reader = SpreadsheetReader::forFile(path, {u','});
    *error = reader->open();
    int row = 0;
    QStringList cells;
    while (*error == 0 && reader->nextRow(row, cells))
        rows << (QStringList{QString::number(row)} + cells);
    if (*error == 0)
        *error = reader->error();
    return rows;
}

TEST(SpreadsheetSheetReader, ReadsWhatWorkbookWritersWriteAndRefusesABrokenSheet)
{
    QTemporaryDir folder;
    const QByteArray workbook = "\xEF\xBB\xBF<?xml version=\"1.0\"?><x:workbook xmlns:x=\"m\" xmlns:r=\"r\"><x:workbookPr/>"
                                "<x:sheets><x:sheet name=\"Uno\" r:id=\"rId7\"/></x:sheets></x:workbook>";
    const QByteArray relations = "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/otra.xml\"/>"
                                 "<Relationship Id=\"rId7\" Target=\"/xl/worksheets/hoja.xml\"/></Relationships>";
    // A custom date format, a number format with a quoted text, a built-in date.
    const QByteArray styles = "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy;@\"/>"
                              "<numFmt numFmtId=\"165\" formatCode=\"0.00&quot; d&quot;\"/></numFmts>"
                              "<cellXfs count=\"4\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
                              "<xf numFmtId=\"14\"/></cellXfs></styleSheet>";
    // Rich text runs laid out on lines, a phonetic run left out, references
    // and CDATA.
    const QByteArray strings = "<sst><si><t>Pe&#243;n &amp; ayudante</t></si>"
                               "<si>\n  <r><t xml:space=\"preserve\">Laudo </t></r>\n  <r><t>&lt;2026&gt;</t></r>\n"
                               "  <rPh><t>fonetica</t></rPh>\n</si><si><t><![CDATA[a<b]]></t></si></sst>";
    const QByteArray sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- escrita a mano -->\n<worksheet><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"3\" note=\"a>b\"><c t=\"s\"><v>2</v></c><c/><c s=\"1\"><v>46023</v></c>"
        "<c r=\"E3\" s=\"2\"><v>1234.5</v></c><c r=\"F3\" s=\"3\"><v>46054.5</v></c>"
        "<c r=\"G3\" t=\"b\"><v>1</v></c><c r=\"H3\" t=\"inlineStr\"><is><t>en línea</t></is></c>"
        "<c r=\"I3\" t=\"str\"><f>A1</f><v>calculado</v></c></row>"
        "<row r=\"4\"/></sheetData></worksheet>";
    const QString good = folder.filePath(QStringLiteral("bueno.xlsx"));
    ASSERT_TRUE(writeWorkbook(good, {{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", relations},
                                     {"xl/styles.xml", styles}, {"xl/sharedStrings.xml", strings},
                                     {"xl/worksheets/hoja.xml", sheet}}));
    int error = -1;
    const QList<QStringList> rows = rowsOf(good, &error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(rows, (QList<QStringList>{
                        {u"1"_s, u"Peón & ayudante"_s, QString(), u"Laudo <2026>"_s},
                        {u"3"_s, u"a<b"_s, QString(), u"01/01/2026"_s, QString(), u"1234,5"_s, u"01/02/2026"_s,
                         u"1"_s, u"en línea"_s, u"calculado"_s},
                        {u"4"_s},
                    }));

    // The same sheet cut short inside a cell, and one whose tags do not nest.
    for (const QByteArray& broken : {sheet.left(sheet.indexOf("<c r=\"E3\"") + 12),
                                      QByteArray(sheet).replace("</v></c><c r=\"F3\"", "</c></v><c r=\"F3\"")}) {
        const QString path = folder.filePath(QStringLiteral("roto.xlsx"));
        QFile::remove(path);
        ASSERT_TRUE(writeWorkbook(path, {{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", relations},
                                         {"xl/worksheets/hoja.xml", broken}}));
        rowsOf(path, &error);
        EXPECT_EQ(error, 3) << "a sheet that is not well-formed XML: " << broken.right(40).toStdString();
    }
}

/// A sheet of the nine titles and `rows` data rows, each a basic of its own;
/// the first row's code is `firstCode`.
QByteArray longSheet(int rows, const QByteArray& firstCode)
{
    const auto cell = [](const QByteArray& text) { return "<c t=\"inlineStr\"><is><t>" + text + "</t></is></c>"; };
    QByteArray sheet = "<worksheet><sheetData><row r=\"1\">";
    for (const QByteArray& title :
         QByteArray("COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA").split(';'))
        sheet += cell(title);
    sheet += "</row>";
    for (int row = 2; row <= rows + 1; ++row) {
        sheet += "<row r=\"" + QByteArray::number(row) + "\">"
                 + cell(row == 2 ? firstCode : QByteArray::number(row)) + cell("B\xC3\xA1sico") + cell("") + cell("")
                 + cell("") + cell("Mensual") + cell("10,5") + cell("0") + cell("01/01/2026") + "</row>";
    }
    return sheet + "</sheetData></worksheet>";
}

const QByteArray workbookPart = "<workbook><sheets><sheet r:id=\"rId1\"/></sheets></workbook>";

TEST_F(BasicValuesImportTest, ASheetThatBreaksHalfWayImportsNothingAndTellsOnlyWhy)
{
    // Rows enough for the import to take several blocks of lines while the
    // sheet is still being read: the lines written and the faults found by
    // the time it breaks are both undone.
    for (const QByteArray& firstCode : {QByteArray("2"), QByteArray("dos")}) {
        SCOPED_TRACE(firstCode.toStdString());
        const QByteArray sheet = longSheet(3999, firstCode);
        const QString path = folder.file(QStringLiteral("cortada.xlsx"));
        QFile::remove(path);
        ASSERT_TRUE(writeWorkbook(path, {{"xl/workbook.xml", workbookPart},
                                         {"xl/worksheets/sheet1.xml", sheet.left(sheet.size() - 80)}}));
        ui.clear();
        const BasicImportResult result = importFile(path);
        EXPECT_FALSE(result.imported);
        EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Error al abrir la planilla Excel (Error = 3)")});
        EXPECT_EQ(result.errors, QStringList());
        EXPECT_EQ(linesOf(result.errorFile), QStringList());
        EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 0);
        EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);
        // What the sheet held up to where it broke is in the text file.
        EXPECT_GT(QFileInfo(folder.file(QStringLiteral("importa.txt"))).size(), 0);
    }
}

TEST_F(BasicValuesImportTest, ASheetsConversionAndImportBothTellTheirProgress)
{
    const QString path = folder.file(QStringLiteral("largo.xlsx"));
    ASSERT_TRUE(writeWorkbook(path, {{"xl/workbook.xml", workbookPart}, {"xl/worksheets/sheet1.xml", longSheet(2500, "2")}}));
    QString output;
    QString progress;
    QTextStream out(&output);
    QTextStream err(&progress);
    ConsoleUiPort console(out, err);
    options.progressEvery = 1000;
    const BasicImportResult result = PIMPBASI(*database, console, path, options);
    EXPECT_TRUE(result.imported);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 2500);
    // The file's first line is its titles: row 2000 of the sheet is data.
    for (const QString& told : {u"Convirtiendo planilla a txt..."_s, u"Convirtiendo desde Excel fila 1000"_s,
                                u"Convirtiendo desde Excel fila 2000"_s, u"Importando fila 2000"_s})
        EXPECT_TRUE(progress.contains(told)) << told.toStdString() << " missing in\n" << progress.toStdString();
}

TEST(SpreadsheetConversion, TakesTheTitledColumnsAndKeepsEachRowOnItsLine)
{
    QTemporaryDir folder;
    // Column B has no title and is left out; row 3 is missing; a cell's line
    // break would split its line.
    const QByteArray sheet = "<worksheet><sheetData>"
                             "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>COD</t></is></c>"
                             "<c r=\"C1\" t=\"inlineStr\"><is><t>DESC</t></is></c></row>"
                             "<row r=\"2\"><c r=\"A2\"><v>7</v></c><c r=\"B2\"><v>99</v></c>"
                             "<c r=\"C2\" t=\"inlineStr\"><is><t>dos\nlíneas</t></is></c></row>"
                             "<row r=\"4\"><c r=\"A4\"><v>0.25</v></c></row></sheetData></worksheet>";
    const QString book = folder.filePath(QStringLiteral("libro.xlsx"));
    ASSERT_TRUE(writeWorkbook(book, {{"xl/workbook.xml", "<workbook><sheets><sheet r:id=\"rId1\"/></sheets></workbook>"},
                                     {"xl/worksheets/sheet1.xml", sheet}}));
    const QString text = folder.filePath(QStringLiteral("importa.txt"));
    QList<int> told;
    const SpreadsheetConversion conversion =
        convertSpreadsheetToText(book, text, {u','}, [&](int row) { told << row; });
    ASSERT_TRUE(conversion.ok()) << conversion.errorNumber;
    EXPECT_EQ(conversion.rows, 4);
    EXPECT_EQ(told, (QList<int>{1, 2, 4}));
    QFile written(text);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), u"COD;DESC\n7;dos líneas\n\n0,25;\n"_s);
}

}  // namespace
