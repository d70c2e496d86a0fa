#pragma once

// Set-up of the formula-line tests: the organisation tables' fixture with a
// user who may change concepts ("M" at position 7), a list of specific
// routines of the test's own, and short ways to put concepts, basic
// values, accumulators, contribution groups, attributes and lines in.

#include "organisation_tables_fixture.h"

#include "engine/lines.h"
#include "payroll/concept_formulas.h"
#include "payroll/routine_list.h"

#include <QSqlQuery>

class ConceptFormulaTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
        routines.write(QStringLiteral("rutinas.txt"), "# rutinas de prueba\n3;Días trabajados\n7;Salario vacacional\n");
        SpecificRoutineList::setFolder(routines.path());
    }

    void TearDown() override
    {
        SpecificRoutineList::setFolder(QString());
        OrganisationTableTest::TearDown();
    }

    /// ConTipo: 1 earning, 2 legal deduction, 3 deduction.
    void addConcept(int id, const QString& description, int type = 1, int lastAmountLine = 0)
    {
        addRow(QStringLiteral("CONCEPT"), {{QStringLiteral("ConId"), id},
                                           {QStringLiteral("ConDesc"), description},
                                           {QStringLiteral("ConTipo"), type},
                                           {QStringLiteral("ConUltOpeL"), lastAmountLine},
                                           {QStringLiteral("ConUltCanL"), 0}});
    }

    void addBasic(int id, const QString& description)
    {
        addRow(QStringLiteral("BASICOS"), {{QStringLiteral("BasId"), id}, {QStringLiteral("BasDesc"), description}});
    }

    /// `type` "H", "L" or "M"; `period` "C" (calendar year), "L", "A".
    void addAccumulator(const QString& type, int id, const QString& description, const QString& period = {})
    {
        addRow(QStringLiteral("ACUMHL"), {{QStringLiteral("AcuTipo"), type},
                                          {QStringLiteral("AcuId"), id},
                                          {QStringLiteral("AcuDesc"), description},
                                          {QStringLiteral("AcuPeriodo"), period}});
    }

    void addGroup(int id, const QString& description)
    {
        addRow(QStringLiteral("APORTE"), {{QStringLiteral("AporId"), id}, {QStringLiteral("AporDesc"), description}});
    }

    /// `type` "AN", "CH", "FE" or "NU".
    void addAttribute(int id, const QString& type, const QString& description)
    {
        addRow(QStringLiteral("FUNATRIB"), {{QStringLiteral("FunAId"), id},
                                            {QStringLiteral("FunATipo"), type},
                                            {QStringLiteral("FunADescri"), description}});
    }

    void addAmountLine(int conceptId, int line, const QString& operation, const QString& operand = {}, int number = 0)
    {
        addRow(QStringLiteral("CONCEPT1"), {{QStringLiteral("ConId"), conceptId},
                                            {QStringLiteral("OpeLin"), line},
                                            {QStringLiteral("OpeOpe"), operation},
                                            {QStringLiteral("OpeUsar"), operand},
                                            {QStringLiteral("OpeNro"), number}});
    }

    /// The stored lines of `conceptId` as "line operation operand number",
    /// in line order.
    QStringList storedLines(int conceptId, FormulaKind kind = FormulaKind::Amount)
    {
        const FormulaTable& table = formulaTable(kind);
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT %1Lin, %1Ope, %1Usar, %1Nro FROM %2 WHERE ConId = ? ORDER BY %1Lin")
                              .arg(table.prefix, table.table)));
        query.addBindValue(conceptId);
        EXPECT_TRUE(query.exec());
        QStringList lines;
        while (query.next()) {
            lines << QStringLiteral("%1 %2 %3 %4")
                         .arg(query.value(0).toInt())
                         .arg(query.value(1).toString().trimmed(), query.value(2).toString().trimmed())
                         .arg(query.value(3).toInt());
        }
        return lines;
    }

    int lastLine(int conceptId, FormulaKind kind = FormulaKind::Amount)
    {
        return fieldOf(QStringLiteral("CONCEPT"), formulaTable(kind).lastNumberField,
                       QStringLiteral("ConId = %1").arg(conceptId))
            .toInt();
    }

    static const TransactionDecl& formOf(FormulaKind kind)
    {
        return kind == FormulaKind::Amount ? TCONCEP1() : TCONCEP4();
    }

    /// Types `cells` (field = text) into a new line of `lines`; returns its row.
    static int typeLine(LineTable& lines, const QList<std::pair<QString, QString>>& cells)
    {
        const int row = lines.addLine();
        EXPECT_GE(row, 0) << "the lines are not open for changes";
        for (const auto& [field, text] : cells) {
            QString error;
            const int column = lines.column(field);
            EXPECT_GE(column, 0) << field.toStdString();
            EXPECT_TRUE(lines.setText(row, column, text, &error)) << field.toStdString() << ": " << error.toStdString();
        }
        return row;
    }

    TempFolder routines;
};
