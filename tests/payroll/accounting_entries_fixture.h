#pragma once

// Set-up of the accounting entry tests: a few headings, cost centres and
// concepts to post to, entries put in row by row, and the stored entry read
// back as short texts.

#include "organisation_tables_fixture.h"

#include "engine/lines.h"

using namespace Qt::StringLiterals;

class AccountingEntryTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || !database)
            return;
        for (const auto& [number, description] : {std::pair{52110, u"Sueldos y jornales"_s},
                                                  std::pair{21110, u"Sueldos a pagar"_s},
                                                  std::pair{21310, u"BPS a pagar"_s}})
            addRow(u"RUBROS"_s, {{u"RubId"_s, number}, {u"RubDesc"_s, description}, {u"RubMon"_s, 1},
                                 {u"RubIdExt"_s, QString::number(number)}});
        addRow(u"CENTROCO"_s, {{u"CCId"_s, u"ADM"_s}, {u"CCDesc"_s, u"Administración"_s}});
        addRow(u"CENTROCO"_s, {{u"CCId"_s, u"TALLER"_s}, {u"CCDesc"_s, u"Taller"_s}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 1}, {u"ConDesc"_s, u"Sueldo mensual"_s}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 101}, {u"ConDesc"_s, u"Aporte jubilatorio BPS"_s}});
    }

    void addEntry(int entry, const QString& description)
    {
        addRow(u"ASIENTO"_s, {{u"AsiId"_s, entry}, {u"AsiDesc"_s, description}, {u"AsiProvisi"_s, u"N"_s}});
    }

    /// A line: its side, heading, split and cost-centre filter.
    void addLine(int entry, int line, const QString& side, int heading, const QString& split = {},
                 const QString& costCentre = {})
    {
        addRow(u"ASIENTO1"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, line}, {u"AsiDH"_s, side}, {u"RubId"_s, heading},
                               {u"AsiApCC"_s, split}, {u"CCId"_s, costCentre}, {u"AsiUltCorL"_s, 0}});
    }

    void addCalculation(int entry, int line, int number, const QString& kind, int concept_ = 0,
                        const QString& parameter = {})
    {
        addRow(u"ASIENT4"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, line}, {u"AsiCorLin"_s, number},
                              {u"AsiCalculo"_s, kind}, {u"ConId"_s, concept_}, {u"AsiConGrup"_s, parameter},
                              {u"AsiMult"_s, 1}, {u"AsiDiv"_s, 1}});
    }

    /// The lines of `entry` as "line:side:heading:split:filter" and their
    /// calculations as "line.number=kind/concept/parameter", in key order.
    QStringList stored(int entry)
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT AsiLin, AsiDH, RubId, AsiApCC, CCId FROM ASIENTO1 WHERE AsiId = ? ORDER BY AsiLin"_s));
        query.addBindValue(entry);
        query.exec();
        while (query.next())
            rows << u"%1:%2:%3:%4:%5"_s.arg(query.value(0).toString(), query.value(1).toString().trimmed(),
                                            QString::number(query.value(2).toDouble(), 'f', 0),
                                            query.value(3).toString().trimmed(), query.value(4).toString().trimmed());
        query.prepare(sql(u"SELECT AsiLin, AsiCorLin, AsiCalculo, ConId, AsiConGrup FROM ASIENT4 WHERE AsiId = ? "
                          "ORDER BY AsiLin, AsiCorLin"_s));
        query.addBindValue(entry);
        query.exec();
        while (query.next())
            rows << u"%1.%2=%3/%4/%5"_s.arg(query.value(0).toString(), query.value(1).toString(),
                                             query.value(2).toString().trimmed(), query.value(3).toString(),
                                             query.value(4).toString().trimmed());
        return rows;
    }

    static void type(LineTable& lines, int row, const QStringList& texts)
    {
        for (int column = 0; column < texts.size(); ++column)
            ASSERT_TRUE(lines.setText(row, column, texts.at(column))) << column << texts.at(column).toStdString();
    }

    void copyAutomatically(const QString& group)
    {
        for (const QString& name : {group, u"Hay"_s})
            addRow(u"PARAMETR"_s, {{u"ParTabla"_s, u"SincroAuto"_s}, {u"ParParamet"_s, name}, {u"ParIndice"_s, 0},
                                   {u"ParValorCa"_s, u"S"_s}});
    }
};
