#pragma once

#include "support/attribute_values.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class UiPort;

// The applications panel WCONAPLI ("Se aplica a"): to which employees a
// concept applies, as one condition per employee attribute (CONCEPT5). It is
// called with the concept's code after every confirmed add or change of a
// concept. The grid has one row per attribute, in classifier and
// description order; only "Condición" is typed into, the other columns show
// the attribute. A window draws it and drives it as a person does:
//
//   WCONAPLI panel(database, ui);
//   panel.start("150", "UPD");
//   panel.setCondition(panel.rowOf(3), "S");
//   panel.confirm();
//
// An empty condition means no condition on that attribute, whether or not
// the attribute is mandatory for the employees (the flag describes the
// employees' values, not the concept). A condition emptied by the person
// loses its row of CONCEPT5, so that no row ever holds an empty condition.
class WCONAPLI {
public:
    /// The grid's columns, in order.
    enum Column {
        Field,
        Condition,
        Type,
        Length,
        Decimals,
        Validation,
        Help,
        Mandatory,
        Capitals,
        ColumnCount
    };

    WCONAPLI(Database& database, UiPort& ui);

    /// Reads the concept and, for every attribute, its current condition.
    void start(const QString& key, const QString& mode);

    QString title() const;
    int conceptCode() const { return concept_; }
    QString conceptDescription() const { return conceptDescription_; }
    /// Whether the conditions can be changed: not in "DSP" and with the
    /// permission to change concepts.
    bool editable() const { return editable_; }

    static QString heading(int column);
    int rowCount() const { return int(rows_.size()); }
    QString text(int row, int column) const;
    /// The row of attribute `attribute`, or -1.
    int rowOf(int attribute) const;
    int attributeAt(int row) const { return rows_.at(row).attribute; }

    /// What the person typed into the condition of `row`; turned to
    /// capitals at once when the attribute is in capitals.
    bool setCondition(int row, const QString& condition);

    /// The row that has (or should get) the focus.
    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row);
    /// The help box of `row`: the attribute's type and limits, its
    /// validation list, and examples of conditions, one per line.
    QStringList helpLines(int row) const;

    /// Confirmar: checks every row in grid order; on the first refusal the
    /// row becomes current, the reason is shown and nothing is written.
    /// Otherwise the concept's rows of CONCEPT5 follow the grid, in one
    /// database transaction. True when it was written.
    bool confirm();

private:
    struct Row {
        int attribute = 0;
        AttributeDefinition definition;
        QString help;
        QString condition;
        QString stored;  ///< the condition CONCEPT5 held when read
    };

    bool write();

    Database& database_;
    UiPort& ui_;
    int concept_ = 0;
    QString conceptDescription_;
    bool editable_ = false;
    QList<Row> rows_;
    int currentRow_ = 0;
};
