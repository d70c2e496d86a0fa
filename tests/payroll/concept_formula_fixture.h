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

using namespace Qt::StringLiterals;

class ConceptFormulaTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        routines.write(u"rutinas.txt"_s, "# rutinas de prueba\n3;Días trabajados\n7;Salario vacacional\n");
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
        addRow(u"CONCEPT"_s, {{u"ConId"_s, id},
                              {u"ConDesc"_s, description},
                              {u"ConTipo"_s, type},
                              {u"ConUltOpeL"_s, lastAmountLine},
                              {u"ConUltCanL"_s, 0}});
    }

    void addBasic(int id, const QString& description)
    {
        addRow(u"BASICOS"_s, {{u"BasId"_s, id}, {u"BasDesc"_s, description}});
    }

    /// `type` "H", "L" or "M"; `period` "C" (calendar year), "L", "A".
    void addAccumulator(const QString& type, int id, const QString& description, const QString& period = {})
    {
        addRow(u"ACUMHL"_s,
               {{u"AcuTipo"_s, type}, {u"AcuId"_s, id}, {u"AcuDesc"_s, description}, {u"AcuPeriodo"_s, period}});
    }

    void addGroup(int id, const QString& description)
    {
        addRow(u"APORTE"_s, {{u"AporId"_s, id}, {u"AporDesc"_s, description}});
    }

    /// `type` "AN", "CH", "FE" or "NU".
    void addAttribute(int id, const QString& type, const QString& description)
    {
        addRow(u"FUNATRIB"_s, {{u"FunAId"_s, id}, {u"FunATipo"_s, type}, {u"FunADescri"_s, description}});
    }

    void addAmountLine(int conceptId, int line, const QString& operation, const QString& operand = {}, int number = 0)
    {
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, conceptId},
                               {u"OpeLin"_s, line},
                               {u"OpeOpe"_s, operation},
                               {u"OpeUsar"_s, operand},
                               {u"OpeNro"_s, number}});
    }

    /// The stored lines of `conceptId` as "line operation operand number",
    /// in line order.
    QStringList storedLines(int conceptId, FormulaKind kind = FormulaKind::Amount)
    {
        const FormulaTable& table = formulaTable(kind);
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT %1Lin, %1Ope, %1Usar, %1Nro FROM %2 WHERE ConId = ? ORDER BY %1Lin"_s.arg(
            table.prefix, table.table)));
        query.addBindValue(conceptId);
        EXPECT_TRUE(query.exec());
        QStringList lines;
        while (query.next()) {
            lines << u"%1 %2 %3 %4"_s.arg(query.value(0).toInt())
                         .arg(query.value(1).toString().trimmed(), query.value(2).toString().trimmed())
                         .arg(query.value(3).toInt());
        }
        return lines;
    }

    int lastLine(int conceptId, FormulaKind kind = FormulaKind::Amount)
    {
        return fieldOf(u"CONCEPT"_s, formulaTable(kind).lastNumberField, u"ConId = %1"_s.arg(conceptId)).toInt();
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
