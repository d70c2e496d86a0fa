// The export of the concepts: the spreadsheet file read back line by line
// for each preference, the workbook read back cell by cell against it, the
// preference in dorvo.ini (other lines kept byte for byte), and the panels.
#include "../engine/engine_fixture.h"

#include "reports/concept_export.h"
#include "scoped_environment.h"
#include "ui/concept_export_windows.h"
#include "ui/procedure_window.h"
#include "ui/window_registry.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QDir>
#include <QPointer>

#include <QFile>
#include <QXmlStreamReader>

#include <minizip/unzip.h>

#include <cmath>

namespace {

using namespace Qt::StringLiterals;

/// The rows of a spreadsheet file, each as the contents of its cells.
QList<QStringList> htmlRows(const QByteArray& bytes)
{
    QList<QStringList> rows;
    const QString text = QString::fromLatin1(bytes);
    bool inRow = false;
    for (const QString& line : text.split(u"\r\n"_s)) {
        if (line.startsWith(u"  <TR")) {
            rows.append(QStringList());
            inRow = true;
        } else if (line == u"  </TR>") {
            inRow = false;
        } else if (inRow) {
            EXPECT_TRUE(line.startsWith(u"    <TD>") && line.endsWith(u"</TD>")) << line.toStdString();
            QString cell = line.mid(8, line.size() - 13);
            if (cell.startsWith(u"<B>"))
                cell.remove(0, 3);
            rows.last().append(cell);
        }
    }
    return rows;
}

/// The cells of the first sheet of a workbook, by row, as their texts.
QList<QStringList> workbookRows(const QString& file)
{
    QList<QStringList> rows;
    unzFile zip = unzOpen(QFile::encodeName(file).constData());
    EXPECT_NE(zip, nullptr) << file.toStdString();
    if (!zip)
        return rows;
    QByteArray xml;
    if (unzLocateFile(zip, "xl/worksheets/sheet1.xml", 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[65536];
        int read = 0;
        while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            xml.append(buffer, read);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    EXPECT_FALSE(xml.isEmpty()) << "no sheet in " << file.toStdString();

    QXmlStreamReader reader(xml);
    int column = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == u"row") {
            rows.append(QStringList());
        } else if (reader.name() == u"c") {
            // "AB12": the column from its letters.
            const QString reference = reader.attributes().value(u"r"_s).toString();
            column = 0;
            for (const QChar letter : reference) {
                if (!letter.isLetter())
                    break;
                column = column * 26 + (letter.unicode() - u'A' + 1);
            }
            while (rows.last().size() < column)
                rows.last().append(QString());
        } else if (reader.name() == u"v" || reader.name() == u"t") {
            rows.last()[column - 1] = reader.readElementText();
        }
    }
    return rows;
}

class ConceptExportTest : public EngineTest {
protected:
    void add(const QString& table, const RowValues& values)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, table, values, &error)) << error.toStdString();
    }

    /// Two concepts: an earning with a quantity and a note that needs
    /// escaping, and an inactive legal deduction.
    void addConcepts()
    {
        add(u"CONCEPT"_s, {{u"ConId"_s, 1}, {u"ConDesc"_s, u"Sueldo mensual"_s}, {u"ConActivo"_s, 1},
                           {u"ConTipo"_s, 1}, {u"ConClase"_s, u"S"_s}, {u"ConAguinal"_s, u"G"_s},
                           {u"ConCant"_s, u"C"_s}, {u"ConFracc"_s, 0.6}, {u"ConCant0"_s, u"N"_s},
                           {u"ConPorGrav"_s, 100.0}, {u"ConPorR1"_s, 12.5}, {u"ConLiquido"_s, u"N"_s},
                           {u"ConMonExtr"_s, u"N"_s}, {u"ConDescont"_s, 2}, {u"ConDTM"_s, 30.0},
                           {u"ConNotas"_s, u"Horas <extra> & más\r\nver €"_s}});
        add(u"CONCEPT"_s, {{u"ConId"_s, 20}, {u"ConDesc"_s, u"Montepío"_s}, {u"ConActivo"_s, 0},
                           {u"ConTipo"_s, 2}, {u"ConClase"_s, u"M"_s}, {u"ConCant"_s, u"N"_s},
                           {u"ConPorR1"_s, 15.0}, {u"ConLiquido"_s, u"L"_s}, {u"ConMonExtr"_s, u"E"_s},
                           {u"ConConvJor"_s, 0.03333}});
    }

    /// Lines, accumulators, expansion and applications of concept 1, and
    /// lines of a concept that no longer exists.
    void addDetails()
    {
        for (int line : {5, 10, 15})
            add(u"CONCEPT1"_s, {{u"ConId"_s, 1}, {u"OpeLin"_s, line}, {u"OpeOpe"_s, u"+"_s},
                                {u"OpeUsar"_s, u"BAS"_s}, {u"BasId"_s, 3}, {u"OpeMult"_s, 1.5},
                                {u"OpeDiv"_s, 30}, {u"OpeObserva"_s, u"línea %1"_s.arg(line)}});
        add(u"CONCEPT1"_s, {{u"ConId"_s, 7}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"+"_s}});
        add(u"CONCEPT4"_s, {{u"ConId"_s, 1}, {u"CanLin"_s, 5}, {u"CanOpe"_s, u"*"_s}, {u"CanAPar"_s, u"("_s},
                            {u"CanUsar"_s, u"HSM"_s}, {u"CanMult"_s, 2.0}});
        add(u"CONCEPT3"_s, {{u"ConId"_s, 1}, {u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 4}, {u"ConAcuMult"_s, 1.0}});
        add(u"CONCEPT3"_s, {{u"ConId"_s, 1}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 2}, {u"ConAcuMult"_s, -1.0}});
        add(u"CONCEPT2"_s, {{u"ConId"_s, 1}, {u"ExpConId"_s, 20}});
        add(u"CONCEPT5"_s, {{u"ConId"_s, 1}, {u"ConAplId"_s, 2}, {u"ConAplValo"_s, u"Rural"_s}});
    }

    ConceptExportResult exportTo(const QString& name, int preference, bool formulas)
    {
        ConceptExportOptions options;
        options.file = folder.file(name);
        options.preference = preference;
        options.formulas = formulas;
        return PEXPCONE(*database, ui, options);
    }

    QString iniFile() const { return folder.file(u"dorvo.ini"_s); }
};

TEST(SpreadsheetNumber, FewestDecimalsFromTwoToSixAndTheMarkOfThePreference)
{
    EXPECT_EQ(spreadsheetNumber(1234.5, 1, u'.'), u"1234.50"_s);
    EXPECT_EQ(spreadsheetNumber(1234.5, 1, u','), u"1234,50"_s);
    EXPECT_EQ(spreadsheetNumber(0.125, 2, u','), u"0,125"_s);
    EXPECT_EQ(spreadsheetNumber(1.1234567, 2, u'.'), u"1.123457"_s);
    EXPECT_EQ(spreadsheetNumber(-12.0, 1, u'.'), u"-12.00"_s);
    EXPECT_EQ(spreadsheetNumber(-0.0000001, 1, u'.'), u"0.00"_s);
    EXPECT_EQ(spreadsheetNumber(1e12 + 0.5, 1, u'.'), u"1000000000000.50"_s);
    EXPECT_EQ(spreadsheetNumber(29.6, 3, u'.'), u"30"_s);
}

TEST(SpreadsheetFile, TheWriterRoutinesWriteTheirLinesAndRefuseAnUnknownRowFunction)
{
    TempFolder folder;
    ScriptedUi ui;
    {
        XlsFile file(&ui);
        ASSERT_TRUE(file.open(folder.file(u"hoja.xls"_s), 2));
        PXLSINI(file, u"Hoja"_s);
        PXLSFILA(file, u"INI"_s, u"bgcolor=#DDDDDD"_s);
        PXLSCHAR(file, u"<B>"_s, u"  Título  "_s);
        PXLSIMPO(file, 1234.5678, 1);
        PXLSIMPO(file, 7.6, 3);
        PXLSFILA(file, u"FIN"_s);
        PXLSFILA(file, u"OTRA"_s);
        PXLSFIN(file);
        ASSERT_TRUE(file.close());
    }
    EXPECT_EQ(folder.read(u"hoja.xls"_s),
              QByteArray("<Table>\r\n  <TR bgcolor=#DDDDDD>\r\n    <TD><B>T\xedtulo</TD>\r\n    <TD>1234,5678</TD>\r\n"
                         "    <TD>8</TD>\r\n  </TR>\r\n</TABLE>\r\n"));
    EXPECT_EQ(ui.texts(), QStringList{u"rutina XLSFila: error en funcion"_s});
}

TEST_F(ConceptExportTest, TheFileOfEachPreferenceStartsAndEndsAsThePayrollSystemWritesIt)
{
    addConcepts();
    const QStringList head{
        u"<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"_s,
        u"<head>"_s, u"  <style>"_s, u"    <!--table"_s, u"      td"_s, u"        {white-space:nowrap;}"_s,
        u"    -->"_s, u"  </style>"_s, u"  <!--[if gte mso 9]>"_s, u"    <xml>"_s, u"      <x:ExcelWorkbook>"_s,
        u"        <x:ExcelWorksheets>"_s, u"          <x:ExcelWorksheet>"_s,
        u"            <x:Name>Conceptos</x:Name>"_s, u"            <x:WorksheetOptions>"_s,
        u"              <x:DefaultColWidth>10</x:DefaultColWidth>"_s, u"            </x:WorksheetOptions>"_s,
        u"          </x:ExcelWorksheet>"_s, u"        </x:ExcelWorksheets>"_s, u"      </x:ExcelWorkbook>"_s,
        u"    </xml>"_s, u"  <![endif]-->"_s, u"</head>"_s, u"<Table>"_s,
        u"  <TR bgcolor=#DDDDDD>"_s, u"    <TD><B>DATOS GENERALES</TD>"_s, u"  </TR>"_s, u"  <TR>"_s,
        u"    <TD><B>Concepto</TD>"_s, u"    <TD><B>Descripci\u00f3n</TD>"_s};
    for (int preference : {1, 2, 3}) {
        SCOPED_TRACE(preference);
        const QString name = u"conceptos%1.xls"_s.arg(preference);
        const ConceptExportResult result = exportTo(name, preference, false);
        ASSERT_TRUE(result.written) << result.failure.toStdString();
        EXPECT_EQ(result.concepts, 2);
        EXPECT_EQ(result.rows, 2);
        const QByteArray bytes = folder.read(name);
        const QStringList lines = QString::fromLatin1(bytes).split(u"\r\n"_s);
        const QStringList expected = preference == 2 ? head.mid(head.indexOf(u"<Table>"_s)) : head;
        EXPECT_EQ(lines.mid(0, expected.size()), expected);
        EXPECT_EQ(lines.at(lines.size() - 2), u"</TABLE>"_s);
        EXPECT_EQ(lines.last(), QString());  // the last line ends too
        // Latin-1 text, as the payroll system's files are.
        EXPECT_TRUE(bytes.contains("<TD><B>Descripci\xf3n</TD>"));

        const QList<QStringList> rows = htmlRows(bytes);
        ASSERT_EQ(rows.size(), 4);
        EXPECT_EQ(rows.at(1).size(), 69);
        EXPECT_EQ(rows.at(1).at(14), u"Gravado en un"_s);  // trimmed, as every text cell
        EXPECT_EQ(rows.at(1).last(), u"Días trabajados"_s);
        const QString mark = preference == 2 ? u","_s : u"."_s;
        const QStringList& first = rows.at(2);
        EXPECT_EQ(first.mid(0, 10), (QStringList{u"1"_s, u"Sueldo mensual"_s, u"Activo"_s, u"Haber"_s,
                                                 u"Sueldo mensual"_s, u"Por lo gravado"_s, QString(),
                                                 u"Lleva cantidad"_s, u"60 minutos"_s, u"No"_s}));
        EXPECT_EQ(first.at(14), u"100"_s + mark + u"00"_s);
        EXPECT_EQ(first.at(16), u"12"_s + mark + u"50"_s);
        EXPECT_EQ(first.at(rows.at(1).indexOf(u"Descontar"_s)), u"Solo si alcanza"_s);
        EXPECT_EQ(first.at(rows.at(1).indexOf(u"Días trabajados multiplicado por"_s)), u"30"_s + mark + u"00"_s);
        // A note's markup is text, its line break stays in the cell, and a
        // character beyond Latin-1 is a reference.
        EXPECT_EQ(first.at(rows.at(1).indexOf(u"Notas"_s)),
                  u"Horas &lt;extra&gt; &amp; m\u00e1s<br style=\"mso-data-placement:same-cell\">ver &#8364;"_s);
        const QStringList& second = rows.at(3);
        EXPECT_EQ(second.mid(0, 5), (QStringList{u"20"_s, u"Montepío"_s, u"Inactivo"_s, u"Descuento de ley"_s,
                                                 u"Montepío"_s}));
        EXPECT_EQ(second.at(rows.at(1).indexOf(u"Coef. convertir a jornales"_s)), u"0"_s + mark + u"03333"_s);
        EXPECT_EQ(second.at(rows.at(1).indexOf(u"Moneda"_s)), u"Extranjera"_s);
        EXPECT_EQ(second.at(rows.at(1).indexOf(u"Nominal/líquido"_s)), u"Líquido"_s);
    }
}

TEST_F(ConceptExportTest, WithFormulasEachConceptsDetailRowsFollowItSideBySide)
{
    addConcepts();
    addDetails();
    const ConceptExportResult result = exportTo(u"conceptos.xls"_s, 3, true);
    ASSERT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.concepts, 2);
    EXPECT_EQ(result.rows, 4);  // three lines of concept 1, then concept 20
    const QList<QStringList> rows = htmlRows(folder.read(u"conceptos.xls"_s));
    ASSERT_EQ(rows.size(), 6);

    const QStringList& sections = rows.at(0);
    ASSERT_EQ(sections.size(), 98);
    EXPECT_EQ(sections.at(0), u"DATOS GENERALES"_s);
    EXPECT_EQ(sections.at(69), u"CÁLCULO IMPORTE"_s);
    EXPECT_EQ(sections.at(82), u"CÁLCULO CANTIDAD"_s);
    EXPECT_EQ(sections.at(95), u"ACUMULADORES"_s);
    EXPECT_EQ(sections.at(97), u"EXPANDE"_s);
    const QStringList& headings = rows.at(1);
    ASSERT_EQ(headings.size(), 100);
    EXPECT_EQ(headings.mid(69, 13), headings.mid(82, 13));
    EXPECT_EQ(headings.mid(69, 3), (QStringList{u"Línea"_s, u"Operación"_s, u"Usar"_s}));
    EXPECT_EQ(headings.mid(95), (QStringList{u"Nº acumulador"_s, u"Multiplicador acum hist/liq"_s,
                                             u"Expande en concepto"_s, u"Aplica A"_s, u"Valor"_s}));

    // The concept's row carries its first line of every section.
    const QStringList& first = rows.at(2);
    EXPECT_EQ(first.at(1), u"Sueldo mensual"_s);
    EXPECT_EQ(first.mid(69, 13), (QStringList{u"5"_s, u"+"_s, u"BAS"_s, QString(), QString(), QString(), QString(),
                                              u"1.50"_s, u"30.00"_s, u"0.00"_s, u"0.00"_s, u"3"_s, u"línea 5"_s}));
    EXPECT_EQ(first.mid(82, 3), (QStringList{u"5"_s, u"( *"_s, u"HSM"_s}));
    EXPECT_EQ(first.mid(95), (QStringList{u"H 4"_s, u"1.00"_s, u"20"_s, u"2"_s, u"Rural"_s}));
    // The rows under it repeat the code only, and end where their lines end.
    const QStringList& second = rows.at(3);
    EXPECT_EQ(second.at(0), u"1"_s);
    EXPECT_EQ(second.mid(1, 68), QStringList(68));
    EXPECT_EQ(second.at(69), u"10"_s);
    EXPECT_EQ(second.mid(82, 13), QStringList(13));
    EXPECT_EQ(second.mid(95), (QStringList{u"L 2"_s, u"-1.00"_s}));
    const QStringList& third = rows.at(4);
    EXPECT_EQ(third.size(), 82);
    EXPECT_EQ(third.at(81), u"línea 15"_s);
    // Concept 20 has nothing in the detail sections; concept 7 does not exist.
    EXPECT_EQ(rows.at(5).at(0), u"20"_s);
    EXPECT_LE(rows.at(5).size(), 69);
}

TEST_F(ConceptExportTest, TheWorkbookHoldsTheSameCellsAsTheSpreadsheetFile)
{
    addConcepts();
    addDetails();
    ASSERT_TRUE(exportTo(u"conceptos.xls"_s, 3, true).written);
    const ConceptExportResult result = exportTo(u"conceptos.xlsx"_s, 4, true);
    ASSERT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file(u"conceptos.xlsx.part"_s)));

    const QList<QStringList> html = htmlRows(folder.read(u"conceptos.xls"_s));
    const QList<QStringList> book = workbookRows(folder.file(u"conceptos.xlsx"_s));
    ASSERT_EQ(book.size(), html.size());
    int numbers = 0;
    for (qsizetype row = 0; row < html.size(); ++row) {
        ASSERT_EQ(book.at(row).size(), html.at(row).size()) << "row " << row;
        for (qsizetype column = 0; column < html.at(row).size(); ++column) {
            QString expected = html.at(row).at(column);
            // The workbook holds the text, not its markup.
            expected.replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).replace(u"&#8364;"_s, u"€"_s);
            expected.replace(u"<br style=\"mso-data-placement:same-cell\">"_s, u"\n"_s).replace(u"&amp;"_s, u"&"_s);
            const QString& cell = book.at(row).at(column);
            bool isNumber = false;
            const double number = expected.toDouble(&isNumber);
            if (isNumber && row >= 2) {
                ++numbers;
                EXPECT_NEAR(cell.toDouble(), number, 1e-9) << "row " << row << " column " << column;
            } else {
                EXPECT_EQ(cell, expected) << "row " << row << " column " << column;
            }
        }
    }
    EXPECT_GT(numbers, 30);
}

TEST_F(ConceptExportTest, TheWorkbookHasBoldFrozenHeadingsAndColumnsThatFit)
{
    addConcepts();
    ASSERT_TRUE(exportTo(u"conceptos.xlsx"_s, 4, false).written);
    unzFile zip = unzOpen(QFile::encodeName(folder.file(u"conceptos.xlsx"_s)).constData());
    ASSERT_NE(zip, nullptr);
    auto part = [&](const char* name) {
        QByteArray bytes;
        if (unzLocateFile(zip, name, 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
            char buffer[65536];
            int read = 0;
            while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
                bytes.append(buffer, read);
            unzCloseCurrentFile(zip);
        }
        return bytes;
    };
    const QByteArray sheet = part("xl/worksheets/sheet1.xml");
    const QByteArray styles = part("xl/styles.xml");
    unzClose(zip);
    EXPECT_TRUE(sheet.contains("ySplit=\"2\"")) << sheet.left(2000).toStdString();
    EXPECT_TRUE(sheet.contains("state=\"frozen\""));
    EXPECT_TRUE(styles.contains("<b/>"));
    EXPECT_TRUE(styles.contains("FFDDDDDD"));
    // "Incluye en Recibos - Líquido - Especie" is wider than the default column.
    QXmlStreamReader reader(sheet);
    double widest = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"col")
            widest = std::max(widest, reader.attributes().value(u"width"_s).toDouble());
    }
    EXPECT_GT(widest, 38);
    EXPECT_LE(widest, 61);
}

TEST_F(ConceptExportTest, AFailedExportLeavesNoFileAndSaysWhy)
{
    addConcepts();
    ConceptExportOptions options;
    options.file = folder.file(u"no-existe/conceptos.xls"_s);
    const ConceptExportResult result = PEXPCONE(*database, ui, options);
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.startsWith(u"No se pudo crear el archivo"_s)) << result.failure.toStdString();
    EXPECT_FALSE(QFile::exists(options.file));
}

TEST_F(ConceptExportTest, ThePreferenceIsTheCompanysInDorvoIniAndItsOtherLinesStayAsTheyWere)
{
    const QByteArray original = "; Preferencias de Dorvo\r\n[Empresas]\r\nIDEmpresa = 3\r\n\r\n[3]\r\n"
                                "Otra = valor con espacios   \r\nVARIOS-Planilla=3\r\n[4]\r\nCONCEPTOS-Planilla=2\r\n";
    folder.write(u"dorvo.ini"_s, original);
    // The concept export's own key is missing: the general one holds.
    EXPECT_EQ(readSpreadsheetPreference(*database, u"CONCEPTOS"_s, iniFile()), 3);
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), original);

    WEXPEXCE panel(*database, ui, iniFile());
    panel.start(u"CONCEPTOS"_s);
    EXPECT_EQ(panel.choice(), 3);
    panel.setChoice(5);
    EXPECT_FALSE(panel.confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Opción incorrecta"_s});
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), original);

    panel.setChoice(4);
    EXPECT_TRUE(panel.confirm());
    QByteArray expected = original;
    expected.replace("VARIOS-Planilla=3\r\n", "VARIOS-Planilla=3\r\nCONCEPTOS-Planilla=4\r\n");
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), expected);
    EXPECT_EQ(readSpreadsheetPreference(*database, u"CONCEPTOS"_s, iniFile()), 4);
    EXPECT_EQ(readSpreadsheetPreference(*database, u"VARIOS"_s, iniFile()), 3);
}

TEST_F(ConceptExportTest, WithoutAPreferenceInTheIniFileTheParameterGivesItAndIsWrittenBack)
{
    const QByteArray original = "[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nOtra=1\r\n";
    folder.write(u"dorvo.ini"_s, original);
    // Nothing anywhere: the first preference, and the file untouched.
    EXPECT_EQ(readSpreadsheetPreference(*database, u"CONCEPTOS"_s, iniFile()), 1);
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), original);

    setParameterNumber(u"VARIOS"_s, u"Planilla"_s, 2);
    EXPECT_EQ(readSpreadsheetPreference(*database, u"CONCEPTOS"_s, iniFile()), 2);
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), QByteArray("[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nOtra=1\r\nVARIOS-Planilla=2\r\n"));
}

TEST_F(ConceptExportTest, TheExportPanelWritesItsFileAndReadsThePreferenceAgainAfterItsPanel)
{
    addConcepts();
    folder.write(u"dorvo.ini"_s, "[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nCONCEPTOS-Planilla=2\r\n");
    WEXPCONE panel(*database, ui, iniFile());
    panel.setFolder(folder.path());
    panel.start();
    EXPECT_EQ(panel.preference(), 2);
    ASSERT_TRUE(panel.confirm());
    EXPECT_EQ(panel.file(), folder.file(u"conceptos.xls"_s));
    EXPECT_TRUE(folder.read(u"conceptos.xls"_s).startsWith("<Table>\r\n"));

    const QString ini = iniFile();
    QString calledWith;
    ui.onCall(u"WEXPEXCE"_s, [&](QString& key, QString&) {
        calledWith = key;
        writeSpreadsheetPreference(key, 4, ini);
    });
    panel.pressPreferences();
    EXPECT_EQ(calledWith, u"CONCEPTOS"_s);
    EXPECT_EQ(panel.preference(), 4);
    panel.setFormulas(true);
    ASSERT_TRUE(panel.confirm());
    EXPECT_EQ(panel.file(), folder.file(u"conceptos.xlsx"_s));
    EXPECT_EQ(panel.result().rows, 2);
    EXPECT_TRUE(folder.read(u"conceptos.xlsx"_s).startsWith("PK"));
    EXPECT_EQ(ui.waitsOpen(), 0);
}

TEST_F(ConceptExportTest, TheListingChoiceRefusesNoChoiceAndRunsTheChosenListing)
{
    WCONLIS panel(ui);
    EXPECT_FALSE(panel.confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Falta indicar tipo de listado"_s});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    ui.onCall(u"RCONLISR"_s, [](QString&, QString&) {});
    ui.onCall(u"RCONLISD"_s, [](QString&, QString&) {});
    panel.setKind(u"r"_s);
    EXPECT_TRUE(panel.confirm());
    panel.setKind(u"D"_s);
    EXPECT_TRUE(panel.confirm());
    EXPECT_EQ(ui.calledObjects(), (QStringList{u"RCONLISR"_s, u"RCONLISD"_s}));
    EXPECT_EQ(ui.texts().size(), 1);
}

TEST_F(ConceptExportTest, TheExportWindowWritesTheTemporaryFileAndHandsItToTheDesktopsOpener)
{
    addConcepts();
    addDetails();
    // The window reads ".\dorvo.ini" in the working folder and writes in TEMP.
    folder.write(u"dorvo.ini"_s, "[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nCONCEPTOS-Planilla=3\r\n");
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const ScopedEnvironment temp("TEMP", QFile::encodeName(folder.path()));
    QStringList opened;
    setExportedFileOpener([&](const QString& file) {
        opened << file;
        return true;
    });

    const WindowFactory factory = WindowRegistry::find(u"WEXPCONE"_s);
    ASSERT_NE(factory, nullptr);
    QPointer<QWidget> window = factory(*database, ui, std::make_shared<WindowCall>());
    auto* formulas = window->findChild<QCheckBox*>();
    ASSERT_NE(formulas, nullptr);
    formulas->setChecked(true);
    static_cast<ProcedureWindow*>(window.data())->confirm();
    setExportedFileOpener({});
    delete window.data();
    QDir::setCurrent(workingFolder);

    EXPECT_EQ(opened, QStringList{QDir(folder.path()).filePath(u"conceptos.xls"_s)});
    const QByteArray written = folder.read(u"conceptos.xls"_s);
    EXPECT_TRUE(written.startsWith("<html"));
    EXPECT_TRUE(written.contains("<TD><B>C\xc1LCULO IMPORTE</TD>"));
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u" | "_s).toStdString();
}

TEST_F(ConceptExportTest, ThePreferenceAndListingWindowsDriveTheirPanels)
{
    folder.write(u"dorvo.ini"_s, "[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nCONCEPTOS-Planilla=2\r\n");
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    auto radio = [](QWidget* window, const QString& start) -> QRadioButton* {
        for (QRadioButton* button : window->findChildren<QRadioButton*>()) {
            if (button->text().remove(u'&').startsWith(start))
                return button;
        }
        return nullptr;
    };

    auto call = std::make_shared<WindowCall>(WindowCall{u"CONCEPTOS"_s, QString()});
    QPointer<QWidget> preference = WindowRegistry::find(u"WEXPEXCE"_s)(*database, ui, call);
    ASSERT_NE(radio(preference, u"2 "_s), nullptr);
    EXPECT_TRUE(radio(preference, u"2 "_s)->isChecked());
    ASSERT_NE(radio(preference, u"4 Libro Excel (.xlsx)"_s), nullptr);
    radio(preference, u"4 "_s)->setChecked(true);
    static_cast<ProcedureWindow*>(preference.data())->confirm();
    delete preference.data();
    QDir::setCurrent(workingFolder);
    EXPECT_EQ(folder.read(u"dorvo.ini"_s), QByteArray("[Empresas]\r\nIDEmpresa=3\r\n[3]\r\nCONCEPTOS-Planilla=4\r\n"));

    ui.onCall(u"RCONLISR"_s, [](QString&, QString&) {});
    QPointer<QWidget> listing = WindowRegistry::find(u"WCONLIS"_s)(*database, ui, std::make_shared<WindowCall>());
    auto* choice = static_cast<ProcedureWindow*>(listing.data());
    choice->confirm();
    EXPECT_EQ(ui.texts(), QStringList{u"Falta indicar tipo de listado"_s});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    ASSERT_NE(radio(listing, u"Resumido"_s), nullptr);
    radio(listing, u"Resumido"_s)->setChecked(true);
    choice->confirm();
    EXPECT_EQ(ui.calledObjects(), QStringList{u"RCONLISR"_s});
    delete listing.data();
}

}  // namespace
