#pragma once

// Set-up of the concept maintenance tests (copy, bulk delete, where used):
// concepts with every kind of detail, a picture of whole tables to compare
// before and after, and a way to make a table refuse a change.

#include "concept_fixture.h"
#include "refused_changes.h"

#include <QMap>
#include <QSqlError>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

class ConceptMaintenanceTest : public ConceptTest {
protected:
    /// The tables a concept procedure may touch.
    static QStringList touchedTables()
    {
        return {u"CONCEPT"_s, u"CONCEPT1"_s, u"CONCEPT2"_s, u"CONCEPT3"_s, u"CONCEPT4"_s, u"CONCEPT5"_s,
                u"PARAMETR"_s, u"FUNCIONA"_s, u"AUDITORI"_s};
    }

    /// Concept `code` with two amount lines (the second takes concept 1 as
    /// operand), a quantity line, an accumulator line, an expansion into
    /// concept 1 and an application; hidden fields set as another program
    /// would.
    void addConceptWithDetail(int code, const QString& description)
    {
        addConcept(code, description, 3,
                   {{u"ConGlobal"_s, u"G"_s}, {u"ConOrdinal"_s, 7}, {u"ConIncVora"_s, u"S"_s},
                    {u"ConUltOpeL"_s, 10}, {u"ConUltCanL"_s, 5}, {u"ConExpande"_s, u"S"_s},
                    {u"ConPriorid"_s, 120}, {u"ConNotas"_s, u"Afiliados al sindicato"_s}});
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, code}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"="_s}, {u"OpeUsar"_s, u"IMP"_s},
                               {u"OpeMult"_s, 0.01}});
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, code}, {u"OpeLin"_s, 10}, {u"OpeOpe"_s, u"*"_s}, {u"ConIdImp"_s, 1}});
        addRow(u"CONCEPT4"_s, {{u"ConId"_s, code}, {u"CanLin"_s, 5}, {u"CanOpe"_s, u"="_s}, {u"CanUsar"_s, u"CAN"_s}});
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, code}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 1}, {u"ConAcuOpe"_s, u"S"_s},
                               {u"ConAcuMult"_s, 1.0}});
        addRow(u"CONCEPT2"_s, {{u"ConId"_s, code}, {u"ExpConId"_s, 1}});
        addRow(u"CONCEPT5"_s, {{u"ConId"_s, code}, {u"ConAplId"_s, 1}, {u"ConAplValo"_s, u"M"_s}});
    }

    /// Every row of every table a concept procedure may touch.
    QMap<QString, QStringList> picture()
    {
        QMap<QString, QStringList> tables;
        for (const QString& table : touchedTables())
            tables.insert(table, rowsOf(table));
        return tables;
    }

    /// The rows of `table` that belong to concept `code`, without the
    /// concept code, sorted: what a copy must repeat.
    QStringList detailOf(const QString& table, int code)
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT * FROM "_s + table + u" WHERE ConId = ?"_s));
        query.addBindValue(code);
        EXPECT_TRUE(query.exec()) << table.toStdString();
        while (query.next()) {
            QStringList values;
            for (int column = 0; column < query.record().count(); ++column) {
                const QString name = query.record().fieldName(column);
                if (name.compare(u"ConId"_s, Qt::CaseInsensitive) == 0 || name == u"kq_rowid"_s)
                    continue;
                values << name + u'=' + query.value(column).toString().trimmed();
            }
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }

    /// Makes every `change` of `table` fail, and lets it go again.
    void refuse(const QString& change, const QString& table) { refuseChanges(*database, change, table); }
    void allow(const QString& change, const QString& table) { allowChanges(*database, change, table); }
};
