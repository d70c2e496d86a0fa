#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The database schema as one declarative registry: every table the program
// opens, its fields with their storage types and its indexes with their ordered
// key fields. It is the only place that names them; the SQL of each backend is
// generated from it.

enum class FieldType {
    Integer,   ///< 16-bit signed
    Long,      ///< 32-bit signed
    Double,
    Currency,  ///< fixed point, four decimals
    Date,      ///< date and time of day; a date alone has time zero
    Text,
    Memo,
    YesNo,
};

/// Whether values of `type` are numbers (yes/no fields included).
bool isNumericType(FieldType type);

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;  ///< characters of a text field; 0 = unbounded
};

struct IndexDef {
    QString name;
    QStringList fields;  ///< key fields in order
    bool primary = false;
    bool unique = false;
};

struct TableDef {
    QString name;
    QString description;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    /// The field called `name` (any letter case), or nullptr.
    const FieldDef* field(const QString& name) const;
    /// The index called `name` (any letter case), or nullptr.
    const IndexDef* index(const QString& name) const;
    /// The primary index, or nullptr for a table without indexes.
    const IndexDef* primaryIndex() const;
};

namespace Schema {

/// Version of the schema this program writes; stored in the database, and an
/// older database is upgraded when opened.
extern const int currentVersion;

/// Every table, in alphabetical order.
const QList<TableDef>& tables();
/// The table called `name` (any letter case), or nullptr.
const TableDef* table(const QString& name);

}  // namespace Schema
