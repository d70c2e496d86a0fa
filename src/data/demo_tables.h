#pragma once

// The demo company's rows, table by table. Each subject keeps its rows in a
// file of its own (demo_*.cpp); loadDemoCompany writes them in the order
// listed there, inside one transaction.

#include <QList>
#include <QStringList>
#include <QVariantList>

/// The rows of one table: the fields named once, then one value list per row.
struct DemoTable {
    const char* table;
    QStringList fields;
    QList<QVariantList> rows;
};

QList<DemoTable> demoBasicValues();
QList<DemoTable> demoConcepts();
QList<DemoTable> demoLiquidationTypes();
QList<DemoTable> demoAttributes();
QList<DemoTable> demoAccountingEntries();
