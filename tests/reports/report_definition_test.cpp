// The definition side of the user-defined reports, driven as WDEFINFO and its
// panels drive it: the lists and their rules, Confirm with its checks and
// its writes, the audit sentences, the filter editor, the calculated
// columns with their guards, and the report folders. On both backends.
#include "organisation_tables_fixture.h"

#include "data/parameters.h"
#include "reports/report_definition_calculated.h"
#include "reports/report_definition_editor.h"
#include "reports/report_definition_filter.h"
#include "reports/report_folders.h"
#include "reports/report_formula_check.h"
#include "reports/report_subjects.h"

#include <QSqlError>

namespace {

using namespace Qt::StringLiterals;

/// A catalogue field as the tests write it.
struct CatalogueRow {
    int id;
    QString description;
    int group;
    QString type;
    bool summable = false;
    bool attribute = false;
};

const QList<CatalogueRow> catalogueRows = {
    {1, u"Número de funcionario"_s, ReportSubjects::Employee, u"N"_s},
    {2, u"Nombre"_s, ReportSubjects::Employee, u"C"_s},
    {3, u"Fecha de ingreso"_s, ReportSubjects::Employee, u"F"_s},
    {805, u"Estado civil"_s, ReportSubjects::Employee, u"C"_s, false, true},
    {20, u"Cargo"_s, ReportSubjects::Position, u"N"_s},
    {21, u"Centro de costo"_s, ReportSubjects::Position, u"C"_s},
    {40, u"Importe liquidado"_s, ReportSubjects::Liquidations, u"N"_s, true},
    {41, u"Fecha de liquidación"_s, ReportSubjects::Liquidations, u"F"_s},
    {601, u"Horas trabajadas"_s, ReportSubjects::ClockMarks, u"N"_s, true},
};

class ReportDefinitionTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A catalogue of the test's own in place of the one init writes.
        ASSERT_TRUE(QSqlQuery(database->connection()).exec(sql(u"DELETE FROM CAMPOS"_s)));
        int order = 0;
        for (const CatalogueRow& row : catalogueRows)
            addCatalogueField(row, ++order);
        addRow(u"INFORME5"_s, {{u"InfCarId"_s, 1}, {u"InfCarDes"_s, u"Mensuales"_s}});
        addRow(u"INFORME5"_s, {{u"InfCarId"_s, 2}, {u"InfCarDes"_s, u"Anuales"_s}});
    }

    void addCatalogueField(const CatalogueRow& row, int order)
    {
        addRow(u"CAMPOS"_s, {{u"CamId"_s, row.id},
                             {u"CamDes"_s, row.description},
                             {u"CamGrupo"_s, row.group},
                             {u"CamOrden"_s, order},
                             {u"CamTabla"_s, u"FUNCIONA"_s},
                             {u"CamText"_s, u"FUNCIONA.FunId"_s},
                             {u"CamTipo"_s, row.type},
                             {u"CamSumar"_s, row.summable ? u"S"_s : u"N"_s},
                             {u"CamPLEdici"_s, QString()},
                             {u"CamAtribut"_s, row.attribute ? u"S"_s : u"N"_s}});
    }

    std::unique_ptr<ReportDefinitionEditor> editor(const QString& key = u"0"_s, const QString& mode = u"INS"_s)
    {
        auto started = std::make_unique<ReportDefinitionEditor>(*database, ui);
        EXPECT_TRUE(started->start(key, mode));
        return started;
    }

    /// A stored report: header and data columns at the positions given.
    void addReport(int id, const QString& description, const QList<std::pair<int, int>>& positionedFields)
    {
        addRow(u"INFORME"_s, {{u"InfId"_s, id},
                              {u"InfDes"_s, description},
                              {u"InfDetRes"_s, u"D"_s},
                              {u"InfCarId"_s, 1},
                              {u"InfCategor"_s, 0}});
        for (const auto& [position, field] : positionedFields)
            addRow(u"INFORME1"_s, {{u"InfId"_s, id}, {u"InfCorCamp"_s, position}, {u"CamId"_s, field},
                                   {u"InfAncho"_s, 0}, {u"InfCorte"_s, 0}});
    }

    /// "position:field" of every row of `table` of report `id`, by position.
    QStringList positions(const QString& table, const QString& positionField, int id)
    {
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT %1, CamId FROM %2 WHERE InfId = %3 ORDER BY %1"_s.arg(positionField, table)
                           .arg(id)));
        QStringList rows;
        while (query.next())
            rows << query.value(0).toString() + u':' + query.value(1).toString();
        return rows;
    }

    static QStringList texts(const QList<ReportListEntry>& entries)
    {
        QStringList shown;
        for (const ReportListEntry& entry : entries)
            shown << entry.text;
        return shown;
    }
};

TEST_F(ReportDefinitionTest, ANewReportIsWrittenWithItsListsFromPositionOneAndAudited)
{
    auto report = editor();
    EXPECT_EQ(report->folders().size(), 2);
    EXPECT_EQ(report->folders().first().description, u"Anuales"_s) << "folders come ordered by description";

    // The subject combo and the narrowing text choose what can be added.
    EXPECT_EQ(texts(report->available(ReportList::Data)),
              (QStringList{u"# (contador)"_s, u"* (en totales)"_s, u"Número de funcionario"_s, u"Nombre"_s,
                           u"Fecha de ingreso"_s, u"Estado civil"_s}));
    report->setNarrowing(ReportList::Data, u"fecha"_s);
    EXPECT_EQ(texts(report->available(ReportList::Data)), QStringList{u"Fecha de ingreso"_s});
    report->setNarrowing(ReportList::Data, QString());

    report->setDescription(u"Sueldos por centro"_s);
    report->setDetailOrSummary(u"D"_s);
    report->setFolder(1);
    ASSERT_TRUE(report->add(ReportList::Data, 1));
    ASSERT_TRUE(report->add(ReportList::Data, 2));
    EXPECT_FALSE(report->add(ReportList::Data, 2)) << "a field is chosen once";
    report->setSubject(ReportList::Data, ReportSubjects::Liquidations);
    ASSERT_TRUE(report->add(ReportList::Data, 40));
    EXPECT_EQ(texts(report->available(ReportList::Data)),
              (QStringList{u"# (contador)"_s, u"* (en totales)"_s, u"Fecha de liquidación"_s}));
    report->setSubject(ReportList::Classification, ReportSubjects::Position);
    ASSERT_TRUE(report->add(ReportList::Classification, 21));
    ASSERT_TRUE(report->toggleSubtotal(0));
    EXPECT_EQ(texts(report->chosen(ReportList::Classification)), QStringList{u"*Centro de costo"_s});
    report->setSubject(ReportList::Filter, ReportSubjects::Liquidations);
    ASSERT_TRUE(report->add(ReportList::Filter, 41));
    FilterField filter = report->filterAt(0);
    filter.fixedOrAtRun = u"F"_s;
    filter.condition = u"1/10/26:31/10/26"_s;
    report->setFilter(0, filter);

    ASSERT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    const int id = report->definition().id;
    ASSERT_EQ(id, 1);
    EXPECT_EQ(fieldOf(u"INFORME"_s, u"InfDes"_s, u"InfId = 1"_s).toString(), u"Sueldos por centro"_s);
    EXPECT_EQ(fieldOf(u"INFORME"_s, u"InfDetRes"_s, u"InfId = 1"_s).toString(), u"D"_s);
    EXPECT_EQ(fieldOf(u"INFORME"_s, u"InfCarId"_s, u"InfId = 1"_s).toInt(), 1);
    EXPECT_EQ(positions(u"INFORME1"_s, u"InfCorCamp"_s, id), (QStringList{u"1:1"_s, u"2:2"_s, u"3:40"_s}));
    EXPECT_EQ(positions(u"INFORME2"_s, u"InfCorClas"_s, id), QStringList{u"1:21"_s});
    EXPECT_EQ(fieldOf(u"INFORME2"_s, u"InfSubtot"_s, u"InfId = 1"_s).toString(), u"S"_s);
    EXPECT_EQ(positions(u"INFORME3"_s, u"InfCorFilt"_s, id), QStringList{u"1:41"_s});
    EXPECT_EQ(fieldOf(u"INFORME3"_s, u"InfFijoEmi"_s, u"InfId = 1"_s).toString(), u"F"_s);
    EXPECT_EQ(fieldOf(u"INFORME3"_s, u"InfCondici"_s, u"InfId = 1"_s).toString(), u"1/10/26:31/10/26"_s);

    EXPECT_EQ(auditEntries(), QStringList{u"Agrega informe Sueldos por centro, Carpeta 'Mensuales', Categoría 0"_s});
    EXPECT_EQ(auditLines().first().area, 4);
    QString mark;
    PPARLC(*database, u"SincroAuto"_s, u"UltModific"_s, 0, mark);
    EXPECT_EQ(mark, QDate::currentDate().toString(u"dd/MM/yy"_s));

    // A second Confirm changes the same report instead of adding one.
    report->setDescription(u"Sueldos por centro de costo"_s);
    ASSERT_TRUE(report->confirm());
    EXPECT_EQ(countRows(u"INFORME"_s), 1);
    EXPECT_EQ(auditEntries().last(), u"Modifica informe 'Sueldos por centro': Descripción 'Sueldos por centro de costo'"_s);
}

TEST_F(ReportDefinitionTest, ReorderedColumnsAreRewrittenFromOneWithoutGaps)
{
    addReport(7, u"Planilla"_s, {{2, 1}, {5, 2}, {9, 40}, {12, 3}});
    auto report = editor(u"7"_s, u"UPD"_s);
    EXPECT_EQ(texts(report->chosen(ReportList::Data)),
              (QStringList{u"Número de funcionario"_s, u"Nombre"_s, u"Importe liquidado"_s, u"Fecha de ingreso"_s}));

    ASSERT_TRUE(report->moveUp(ReportList::Data, 2));   // Importe before Nombre
    ASSERT_TRUE(report->moveDown(ReportList::Data, 0)); // Número after Importe
    EXPECT_FALSE(report->moveUp(ReportList::Data, 0)) << "the first cannot go up";
    EXPECT_FALSE(report->moveDown(ReportList::Data, 3)) << "the last cannot go down";
    ASSERT_TRUE(report->remove(ReportList::Data, 2));   // Nombre
    ASSERT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_EQ(positions(u"INFORME1"_s, u"InfCorCamp"_s, 7), (QStringList{u"1:40"_s, u"2:1"_s, u"3:3"_s}));
    EXPECT_EQ(auditEntries(), QStringList{u"Modifica informe 'Planilla': Elimina la columna 'Nombre' de Datos"_s});

    // Read again, the report shows the order it was saved in.
    auto again = editor(u"7"_s, u"UPD"_s);
    EXPECT_EQ(texts(again->chosen(ReportList::Data)),
              (QStringList{u"Importe liquidado"_s, u"Número de funcionario"_s, u"Fecha de ingreso"_s}));
}

TEST_F(ReportDefinitionTest, ConfirmChecksInOrderAndSavesNothingOnARefusal)
{
    auto report = editor();
    auto refusedWith = [&](const QString& message, ReportEditorFocus focus) {
        ui.clear();
        EXPECT_FALSE(report->confirm());
        EXPECT_EQ(ui.texts(), QStringList{message});
        EXPECT_EQ(report->focus(), focus);
        EXPECT_EQ(countRows(u"INFORME"_s), 0);
    };
    report->add(ReportList::Data, 1);
    refusedWith(u"Falta descripción del informe"_s, ReportEditorFocus::Description);
    report->setDescription(u"Horas del mes"_s);
    refusedWith(u"Falta indicar si es Detallado o Resumido"_s, ReportEditorFocus::DetailOrSummary);
    report->setDetailOrSummary(u"R"_s);
    report->remove(ReportList::Data, 0);
    refusedWith(u"No indicó ningún dato para el informe"_s, ReportEditorFocus::DataList);

    report->setSubject(ReportList::Data, ReportSubjects::ClockMarks);
    ASSERT_TRUE(report->add(ReportList::Data, 601));
    report->add(ReportList::Filter, 2);  // a filter, but not by a date
    refusedWith(u"Si incluyó campos calculados de marcas en el informe, debe incluir un filtro por fecha."_s,
                ReportEditorFocus::DataList);

    // Both switches of the group on: nothing is saved, whatever the definition.
    report->add(ReportList::Filter, 3);
    setParameterText(u"SincroAuto"_s, u"Inf"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    refusedWith(u"El generador de informes se copia automáticamente"_s, ReportEditorFocus::None);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"N"_s);
    ui.clear();
    EXPECT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(countRows(u"INFORME"_s), 1);
}

TEST_F(ReportDefinitionTest, AFailedWriteLeavesEveryTableAsItWas)
{
    addReport(3, u"Nómina"_s, {{1, 1}, {2, 2}});
    auto report = editor(u"3"_s, u"UPD"_s);
    report->setDescription(u"Nómina cambiada"_s);
    report->remove(ReportList::Data, 0);
    report->add(ReportList::Filter, 3);
    // The filter table is gone: the third writer fails after the first two wrote.
    QSqlQuery drop(database->connection());
    ASSERT_TRUE(drop.exec(sql(u"DROP TABLE INFORME3"_s))) << drop.lastError().text().toStdString();

    EXPECT_FALSE(report->confirm());
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().first().startsWith(u"No se pudo grabar el informe: "_s)) << ui.texts().first().toStdString();
    EXPECT_EQ(fieldOf(u"INFORME"_s, u"InfDes"_s, u"InfId = 3"_s).toString(), u"Nómina"_s);
    EXPECT_EQ(positions(u"INFORME1"_s, u"InfCorCamp"_s, 3), (QStringList{u"1:1"_s, u"2:2"_s}));
    EXPECT_TRUE(auditEntries().isEmpty());
}

TEST_F(ReportDefinitionTest, TextsHoldingQuotesAndSqlAreStoredAsTypedAndNeverRun)
{
    const QString description = u"Informe 'A'; DROP TABLE INFORME1 --"_s;
    const QString condition = u"O'Neill,A:F') OR ('1'='1"_s;
    auto report = editor();
    report->setDescription(description);
    report->setDetailOrSummary(u"D"_s);
    report->add(ReportList::Data, 2);
    report->add(ReportList::Filter, 2);
    FilterField filter = report->filterAt(0);
    filter.condition = condition;
    filter.fixedOrAtRun = u"F"_s;
    report->setFilter(0, filter);
    ASSERT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();

    ReportDefinition stored;
    ASSERT_TRUE(readReportDefinition(*database, report->definition().id, stored));
    EXPECT_EQ(stored.description, description);
    ASSERT_EQ(stored.filters.size(), 1);
    EXPECT_EQ(stored.filters.first().condition, condition);
    EXPECT_EQ(countRows(u"INFORME1"_s), 1) << "the table named in the text is still there";
    EXPECT_EQ(auditEntries().first(), u"Agrega informe "_s + description + u", Carpeta '', Categoría 0"_s);
}

TEST_F(ReportDefinitionTest, TheColumnLimitAndTheSubtotalOfAnAmountAreRefused)
{
    // 198 more fields of the personal file: with the two fixed entries, 200 columns.
    ASSERT_FALSE(database->beginTransaction());
    for (int field = 1000; field < 1198; ++field)
        addCatalogueField({field, u"Dato %1"_s.arg(field), ReportSubjects::PersonalFile, u"C"_s}, field);
    ASSERT_FALSE(database->commit());
    auto report = editor();
    report->setSubject(ReportList::Data, ReportSubjects::PersonalFile);
    for (const ReportListEntry& entry : report->available(ReportList::Data))
        ASSERT_TRUE(report->add(ReportList::Data, entry.field)) << entry.text.toStdString();
    EXPECT_EQ(report->definition().data.size(), reportColumnLimit);
    EXPECT_TRUE(ui.texts().isEmpty());
    report->setSubject(ReportList::Data, ReportSubjects::Employee);
    EXPECT_FALSE(report->add(ReportList::Data, 2));
    CalculatedColumn calculated = report->newCalculated();
    calculated.title = u"Total"_s;
    calculated.kind = CalculatedKind::betweenColumns;
    calculated.formula = u"1"_s;
    EXPECT_FALSE(report->storeCalculated(calculated));
    EXPECT_EQ(ui.texts(), QStringList(2, u"No puede agregar mas columnas al informe"_s));
    EXPECT_EQ(report->definition().data.size(), reportColumnLimit);

    ui.clear();
    report->setSubject(ReportList::Classification, ReportSubjects::Liquidations);
    ASSERT_TRUE(report->add(ReportList::Classification, 40));
    ASSERT_TRUE(report->add(ReportList::Classification, 41));
    EXPECT_FALSE(report->toggleSubtotal(0));
    EXPECT_EQ(ui.texts(), QStringList{u"No se puede totalizar por campos de importes o cantidades"_s});
    EXPECT_TRUE(report->toggleSubtotal(1));
    EXPECT_EQ(texts(report->chosen(ReportList::Classification)),
              (QStringList{u"Importe liquidado"_s, u"*Fecha de liquidación"_s}));
    EXPECT_TRUE(report->toggleSubtotal(1));
    EXPECT_EQ(texts(report->chosen(ReportList::Classification)).last(), u"Fecha de liquidación"_s);
}

TEST_F(ReportDefinitionTest, AChangeNamesEveryChangedItemInOneSentence)
{
    addReport(4, u"Personal"_s, {{1, 1}, {2, 2}});
    addRow(u"INFORME2"_s, {{u"InfId"_s, 4}, {u"InfCorClas"_s, 1}, {u"CamId"_s, 21}, {u"InfSubtot"_s, u"N"_s}});
    addRow(u"INFORME2"_s, {{u"InfId"_s, 4}, {u"InfCorClas"_s, 2}, {u"CamId"_s, 20}, {u"InfSubtot"_s, u"S"_s}});
    addRow(u"INFORME3"_s, {{u"InfId"_s, 4}, {u"InfCorFilt"_s, 1}, {u"CamId"_s, 3}, {u"ConId"_s, 0},
                           {u"InfFijoEmi"_s, u"E"_s}, {u"InfCondici"_s, QString()}, {u"InfNot"_s, u"N"_s}});
    addRow(u"INFORME3"_s, {{u"InfId"_s, 4}, {u"InfCorFilt"_s, 2}, {u"CamId"_s, 805}, {u"ConId"_s, 0},
                           {u"InfFijoEmi"_s, u"F"_s}, {u"InfCondici"_s, u"C"_s}, {u"InfNot"_s, u"N"_s}});
    auto report = editor(u"4"_s, u"UPD"_s);
    report->setFolder(2);
    report->setDetailOrSummary(u"R"_s);
    report->add(ReportList::Data, 805);
    report->remove(ReportList::Data, 1);
    report->toggleSubtotal(0);
    report->toggleSubtotal(1);
    FilterField date = report->filterAt(0);
    date.fixedOrAtRun = u"F"_s;
    report->setFilter(0, date);
    FilterField civil = report->filterAt(1);
    civil.condition = u"S"_s;
    civil.negation = FilterOperator::notEqual;
    report->setFilter(1, civil);
    report->add(ReportList::Filter, 2);
    FilterField name = report->filterAt(2);
    name.condition = u"A:F"_s;
    report->setFilter(2, name);
    ASSERT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_EQ(auditEntries(),
              QStringList{u"Modifica informe 'Personal': Título 'Resumido', Carpeta 'Anuales', "
                          "Agrega la columna 'Estado civil' a Datos, Elimina la columna 'Nombre' de Datos, "
                          "Modifica la columna 'Centro de costo' de Clasificación, Subtotal, "
                          "Modifica la columna 'Cargo' de Clasificación, No es subtotal, "
                          "Modifica la columna 'Fecha de ingreso' de Filtro, Fijo, "
                          "Modifica condición de columna 'Estado civil' distinto de S, "
                          "Agrega la columna 'Nombre' a Filtro, Emisión, Condición de columna 'Nombre' igual a A:F"_s});
    EXPECT_EQ(fieldOf(u"INFORME3"_s, u"InfNot"_s, u"InfId = 4 AND CamId = 805"_s).toString(), u"S"_s);

    // Nothing changed: no entry.
    ASSERT_TRUE(report->confirm());
    EXPECT_EQ(auditEntries().size(), 1);
}

TEST_F(ReportDefinitionTest, CalculatedColumnsAreCheckedStoredWithTheReportAndAudited)
{
    addRow(u"BASICOS"_s, {{u"BasId"_s, 5}, {u"BasDesc"_s, u"Salario mínimo nacional"_s}});
    auto report = editor();
    report->setDescription(u"Con cálculos"_s);
    report->setDetailOrSummary(u"D"_s);
    report->setSubject(ReportList::Data, ReportSubjects::Liquidations);
    report->add(ReportList::Data, 40);

    WDEFCALC total(*database, report->newCalculated(), report->calculated());
    total.setTitle(u"Doble"_s);
    total.setKind(CalculatedKind::betweenColumns);
    EXPECT_EQ(WDEFCALC::panelOf(CalculatedKind::betweenColumns), u"WPARCALC"_s);
    EXPECT_FALSE(total.confirm(ui));
    total.setFormula(u"[Importe liquidado] * 2 + [Selected]"_s);
    EXPECT_FALSE(total.confirm(ui));
    total.setFormula(u"[Importe liquidado] * 2"_s);
    EXPECT_TRUE(total.confirm(ui));
    EXPECT_EQ(ui.texts(), (QStringList{u"No indicó una fórmula para el campo calculado"_s,
                                       u"No se permite utilizar la palabra SELECT en la fórmula"_s}));
    ASSERT_TRUE(report->storeCalculated(total.column()));

    ui.clear();
    WDEFCALC basic(*database, report->newCalculated(), report->calculated());
    basic.setTitle(u"doble"_s);
    basic.setKind(CalculatedKind::basic);
    EXPECT_EQ(WDEFCALC::panelOf(CalculatedKind::basic), u"WPARBASI"_s);
    EXPECT_FALSE(basic.confirm(ui));
    basic.setTitle(u"Mínimo"_s);
    EXPECT_FALSE(basic.confirm(ui));
    basic.setBasic(u"9"_s, true, false);
    EXPECT_FALSE(basic.confirm(ui));
    basic.setBasic(u"5"_s, true, false);
    EXPECT_TRUE(basic.confirm(ui));
    EXPECT_EQ(ui.texts(), (QStringList{u"Ya existe una columna calculada con ese título"_s,
                                       u"Falta indicar código de básico"_s, u"No existe el básico 9"_s}));
    ASSERT_TRUE(report->storeCalculated(basic.column()));

    ui.clear();
    WDEFCALC annotations(*database, report->newCalculated(), report->calculated());
    annotations.setTitle(u"Faltas"_s);
    annotations.setKind(CalculatedKind::fileSum);
    EXPECT_FALSE(annotations.confirm(ui));
    WDEFCALC amount(*database, report->newCalculated(), report->calculated());
    amount.setTitle(u"Horas extra"_s);
    amount.setKind(CalculatedKind::amount);
    amount.setConceptFilter(u"10, x"_s, u"EXTRAS"_s, u"1 - Haber"_s);
    EXPECT_FALSE(amount.confirm(ui));
    amount.setConceptFilter(u"10,11"_s, u"EXTRAS"_s, u"1 - Haber"_s);
    EXPECT_TRUE(amount.confirm(ui));
    EXPECT_EQ(ui.texts(), (QStringList{u"Falta indicar códigos de anotación"_s, u"Debe indicar valores numéricos"_s}));
    ASSERT_TRUE(report->storeCalculated(amount.column()));

    ui.clear();
    EXPECT_EQ(texts(report->chosen(ReportList::Data)),
              (QStringList{u"Importe liquidado"_s, u"Doble"_s, u"Mínimo"_s, u"Horas extra"_s}));
    ASSERT_TRUE(report->confirm()) << ui.texts().join(u'|').toStdString();
    const int id = report->definition().id;
    EXPECT_EQ(positions(u"INFORME1"_s, u"InfCorCamp"_s, id),
              (QStringList{u"1:40"_s, u"2:10001"_s, u"3:10002"_s, u"4:10003"_s}));
    EXPECT_EQ(countRows(u"INFORME4"_s), 3);
    EXPECT_EQ(fieldOf(u"INFORME4"_s, u"InfCalForm"_s, u"InfCalId = 1"_s).toString(), u"[Importe liquidado] * 2"_s);
    EXPECT_EQ(auditEntries(),
              (QStringList{u"Agrega informe Con cálculos, Carpeta '', Categoría 0"_s,
                           u"Modifica cálculo: Doble, Contenido='Calculo entre columnas', "
                           "Formula='[Importe liquidado] * 2'"_s,
                           u"Modifica cálculo: Mínimo, Contenido='Basico', Basico='5', Cargo='S',Centro de costo='N'"_s,
                           u"Modifica cálculo: Horas extra, Contenido='Importe', Importe='Codigos de concepto=10,11, "
                           "Codigos de grupo=EXTRAS, Tipo de concepto=1'"_s}));

    // Deleting a calculated column takes its place among the data columns too.
    report->removeCalculated(2);
    ASSERT_TRUE(report->confirm());
    EXPECT_EQ(positions(u"INFORME1"_s, u"InfCorCamp"_s, id), (QStringList{u"1:40"_s, u"2:10001"_s, u"3:10003"_s}));
    EXPECT_EQ(countRows(u"INFORME4"_s), 2);
    EXPECT_EQ(auditEntries().last(), u"Modifica informe 'Con cálculos': Elimina la columna 'Mínimo' de Datos"_s);
}

TEST_F(ReportDefinitionTest, FoldersNeedADescriptionKeepTheirReportsAndListByDescription)
{
    auto add = open(TINFORM5(), u"0"_s, u"INS"_s);
    add->setText(u"InfCarId"_s, u"3"_s);
    add->setText(u"InfCarDes"_s, QString());
    EXPECT_FALSE(add->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Falta descripción"_s});
    add->setText(u"InfCarDes"_s, u"Bancos"_s);
    ui.clear();
    ASSERT_TRUE(add->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditLines().last().area, 4);

    QStringList listed;
    for (const ReportFolder& folder : PINFORM5(*database))
        listed << folder.description;
    EXPECT_EQ(listed, (QStringList{u"Anuales"_s, u"Bancos"_s, u"Mensuales"_s}));
    auto panel = openPanel(WINFCARP());
    EXPECT_EQ(column(*panel, 1), (QStringList{u"Anuales"_s, u"Bancos"_s, u"Mensuales"_s}));

    addReport(1, u"Planilla"_s, {{1, 1}});
    ui.clear();
    auto remove = open(TINFORM5(), u"1"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminación inválida, hay información en \"Informe\"."_s});
    EXPECT_EQ(countRows(u"INFORME5"_s), 3);
    ui.clear();
    removeThrough(TINFORM5(), u"2"_s);
    EXPECT_EQ(countRows(u"INFORME5"_s), 2);

    // Changed on another workstation since it was shown.
    auto mine = open(TINFORM5(), u"3"_s, u"UPD"_s);
    auto other = openConnection();
    ASSERT_FALSE(other->execute(u"UPDATE INFORME5 SET InfCarDes = ? WHERE InfCarId = ?"_s, {u"Bancos y cajas"_s, 3}));
    ui.clear();
    mine->setText(u"InfCarDes"_s, u"Transferencias"_s);
    EXPECT_FALSE(mine->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"INFORME5 fue modificada."_s});
}

TEST_F(ReportDefinitionTest, WithTheGroupCopiedAutomaticallyFoldersChangeNothing)
{
    setParameterText(u"SincroAuto"_s, u"Inf"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    auto change = open(TINFORM5(), u"1"_s, u"UPD"_s);
    change->setText(u"InfCarDes"_s, u"Otra"_s);
    EXPECT_FALSE(change->confirm());
    EXPECT_EQ(fieldOf(u"INFORME5"_s, u"InfCarDes"_s, u"InfCarId = 1"_s).toString(), u"Mensuales"_s);
}

TEST_F(ReportDefinitionTest, TheColumnChooserOffersColumnsFunctionsAndAccumulators)
{
    addRow(u"ACUMHL"_s, {{u"AcuId"_s, 3}, {u"AcuDesc"_s, u"Sueldo anual"_s}, {u"AcuTipo"_s, u"H"_s}});
    const QList<ColumnChoice> choices = WSELCOLU(*database, {u"Importe liquidado"_s});
    QStringList inserted;
    for (const ColumnChoice& choice : choices)
        inserted << choice.inserted;
    EXPECT_EQ(inserted.first(), u"[Importe liquidado]"_s);
    EXPECT_EQ(inserted.mid(1, 3), (QStringList{u"REDONDEAR()"_s, u"SQR()"_s, u"Fix()"_s}));
    EXPECT_TRUE(inserted.contains(u"DateDiff()"_s));
    EXPECT_EQ(inserted.mid(inserted.size() - 4),
              (QStringList{u"[ACH3]"_s, u"[ACH03]"_s, u"[ACHCC3]"_s, u"[ACHCC03]"_s}));
    EXPECT_EQ(choices.last().shown, u"ACHCC03 - Sueldo anual"_s);

    // A formula naming an accumulator passes the check.
    auto report = editor();
    report->setAccumulatorNames(accumulatorNames(*database));
    report->setSubject(ReportList::Data, ReportSubjects::Liquidations);
    report->add(ReportList::Data, 40);
    CalculatedColumn column = report->newCalculated();
    column.title = u"Proporción"_s;
    column.kind = CalculatedKind::betweenColumns;
    column.formula = u"[Importe liquidado] / [ACHCC3]"_s;
    ASSERT_TRUE(report->storeCalculated(column));
    ASSERT_EQ(report->checkFormulas().size(), 1);
    EXPECT_FALSE(report->checkFormulas().first().error) << report->checkFormulas().first().text.toStdString();
}

// The filter editor and the formula guards need no database.

ReportField field(int id, const QString& description, const QString& type, bool summable = false)
{
    ReportField made;
    made.id = id;
    made.description = description;
    made.type = type;
    made.summable = summable;
    made.group = 1;
    return made;
}

TEST(ReportFilterEditor, ShowsItsCaptionOperatorsAndExamplesByType)
{
    WFILTRO text(field(2, u"Nombre"_s, u"C"_s), {});
    EXPECT_EQ(text.caption(), u"Filtro por Nombre"_s);
    EXPECT_EQ(text.operators(), (QStringList{u"igual a"_s, u"distinto de"_s, u"conteniendo"_s}));
    EXPECT_EQ(text.examples().first(), u"un valor          J"_s);
    WFILTRO number(field(40, u"Importe"_s, u"N"_s), {});
    EXPECT_EQ(number.operators(), (QStringList{u"igual a"_s, u"distinto de"_s}));
    EXPECT_FALSE(number.setOperator(u"conteniendo"_s));
    EXPECT_EQ(number.examples().last(), u"valor c/decimales 10.50"_s);
    WFILTRO date(field(3, u"Ingreso"_s, u"F"_s), {});
    EXPECT_EQ(date.examples().size(), 7);
    EXPECT_EQ(date.examples().at(4), u"sin fecha         1/1/100"_s);
    EXPECT_TRUE(date.setOperator(u"distinto de"_s));
    EXPECT_EQ(date.filter().negation, u"S"_s);
}

TEST(ReportFilterEditor, AcceptsNullAndRefusesWhatTheFieldCannotHold)
{
    ScriptedUi ui;
    auto confirmed = [&ui](const QString& type, const QString& condition, bool fixed = true) {
        WFILTRO editor(field(9, u"Campo"_s, type), {});
        editor.setFixed(fixed);
        editor.setCondition(condition);
        return editor.confirm(ui);
    };
    EXPECT_TRUE(confirmed(u"N"_s, u"NULL"_s));
    EXPECT_TRUE(confirmed(u"N"_s, u" not null "_s));
    EXPECT_TRUE(confirmed(u"N"_s, u"100:300,500:600,10.50,-3"_s));
    EXPECT_TRUE(confirmed(u"F"_s, u"1/10/99:31/10/99,1/1/100,1/1/1753"_s));
    EXPECT_TRUE(confirmed(u"F"_s, u"null"_s));
    EXPECT_TRUE(confirmed(u"C"_s, u"A:F,M:R"_s));
    EXPECT_TRUE(confirmed(u"N"_s, QString(), false)) << "asked when run: no condition yet";
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();

    EXPECT_FALSE(confirmed(u"N"_s, u"10,abc"_s));
    EXPECT_FALSE(confirmed(u"N"_s, u"10:"_s));
    EXPECT_FALSE(confirmed(u"N"_s, u"1' OR '1'='1"_s));
    EXPECT_FALSE(confirmed(u"F"_s, u"31/02/00"_s));
    EXPECT_FALSE(confirmed(u"F"_s, u"31/10/00:1/10/00"_s));
    EXPECT_FALSE(confirmed(u"C"_s, QString()));
    EXPECT_EQ(ui.texts(), (QStringList{u"Debe indicar valores numéricos"_s, u"Debe indicar valores numéricos"_s,
                                       u"Debe indicar valores numéricos"_s, u"Fecha incorrecta"_s,
                                       u"Fecha desde posterior a fecha hasta"_s,
                                       u"Falta indicar la condición del filtro"_s}));
}

TEST(ReportFormulaGuard, FindsTheFirstForbiddenWordAsASubstringInAnyCase)
{
    EXPECT_EQ(PCONTSQL(u"[Sueldo] * 2"_s), QString());
    EXPECT_EQ(PCONTSQL(u"[Selected] + 1"_s), u"SELECT"_s);
    EXPECT_EQ(PCONTSQL(u"drop table x; update y"_s), u"UPDATE"_s) << "words are looked for in their order";
    EXPECT_EQ(PCONTSQL(u"[Executado]"_s), u"EXEC"_s);
    EXPECT_EQ(formulaWordRefusal(u"[Selected]"_s), u"No se permite utilizar la palabra SELECT en la fórmula"_s);
    EXPECT_EQ(formulaReferences(u"iif([A] > 0, [B b], 0) + [C"_s), (QStringList{u"A"_s, u"B b"_s}));
}

TEST(ReportFormulaCheck, NamesEveryFaultInColumnOrder)
{
    ReportCatalogue catalogue;
    catalogue.setFields({field(40, u"Sueldo"_s, u"N"_s, true), field(41, u"Horas"_s, u"N"_s, true)});
    ReportDefinition definition;
    auto calculated = [](int id, const QString& title, const QString& formula) {
        CalculatedColumn column;
        column.id = id;
        column.title = title;
        column.kind = CalculatedKind::betweenColumns;
        column.formula = formula;
        return column;
    };
    definition.calculated = {
        calculated(1, u"Total"_s, u"[Sueldo] + [Extra] + [Total]"_s),
        calculated(2, u"Extra"_s, u"[Horas] * 2 + [Nada] + [ACH10]"_s),
        calculated(3, QString(), u"1"_s),
        calculated(4, u"Bien"_s, u"[Sueldo] / 30"_s),
    };
    // Data: Sueldo, Total, Extra, Bien (Horas is not in the report; 3 is not placed).
    definition.data = {{40, 0, 0}, {10001, 0, 0}, {10002, 0, 0}, {10004, 0, 0}};

    const QList<FormulaCheckLine> lines = PCONTFOR(definition, catalogue, {u"ACH10"_s});
    QStringList shown;
    for (const FormulaCheckLine& line : lines)
        shown << (line.error ? u"E "_s : u"- "_s) + line.text;
    EXPECT_EQ(shown,
              (QStringList{
                  u"E No puede utilizar la columna [Extra] en la fórmula de cálculo de [Total] porque se calcula despues"_s,
                  u"E En la columna calculada \"Total\" no puede incluir la propia columna de cálculo en la fórmula."_s,
                  u"E La fórmula de cálculo de [Extra] hace referencia a la columna [Horas] que no está incluida en el informe"_s,
                  u"E La fórmula de cálculo de [Extra] hace referencia a la columna [Nada] que no existe"_s,
                  u"- La columna calculada [Bien] es correcta"_s,
                  u"E La columna calculada \"3\" no tiene título."_s,
              }));
}

}  // namespace
