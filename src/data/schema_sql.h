#pragma once

#include "data/database.h"
#include "data/schema.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The SQL that creates the schema's tables and indexes, generated from the
// registry for SQLite and for PostgreSQL.
//
// Column types:
//
//   registry   SQLite        PostgreSQL
//   Integer    SMALLINT      SMALLINT
//   Long       INTEGER       INTEGER
//   Double     REAL          DOUBLE PRECISION
//   Currency   NUMERIC       NUMERIC(19,4)
//   Date       TEXT          TIMESTAMP
//   Text       TEXT          VARCHAR(size), TEXT when unbounded
//   Memo       TEXT          TEXT
//   YesNo      SMALLINT      SMALLINT
//
// SQLite has no date type. A date is stored there as the text
// "yyyy-MM-ddTHH:mm:ss" (`sqliteDateFormat`), always with four digits of year
// and the time of day, so that text order is chronological order and the
// empty date, 1 January of the year 100, sorts before every real one.
//
// Table and column names are those of the registry, quoted so that their
// letter case survives on PostgreSQL. Index names live in one namespace per
// database on both engines while the registry's names are only unique per
// table, so an index is created as TABLE_INDEX ("CARGOSFU_ICARGOS6").
// Every index, the primary one included, is a (unique) index over its key
// fields; no table has a declared primary key, so SQLite keeps its rowid.
// PostgreSQL has no stable row identity of its own (ctid moves on every
// update), so each table created there gets a last column `kq_rowid`, a
// bigserial primary key that the cursors use as SQLite's rowid.

namespace SchemaSql {

/// The text form of a date in an SQLite database.
inline constexpr const char* sqliteDateFormat = "yyyy-MM-ddTHH:mm:ss";

/// `date` as it is stored in an SQLite date column.
QString sqliteDateText(const QDateTime& date);
/// The date stored as `text` in an SQLite date column; invalid when it is not one.
QDateTime sqliteDate(const QString& text);

/// The column type of `field` on `backend`.
QString columnType(const FieldDef& field, Backend backend);
/// The name under which `index` of `table` exists in the database.
QString indexSqlName(const TableDef& table, const IndexDef& index);

/// CREATE TABLE for `table`.
QString createTable(const TableDef& table, Backend backend);
/// CREATE [UNIQUE] INDEX for one index of `table`.
QString createIndex(const TableDef& table, const IndexDef& index);
/// The column definition of the row identity on `backend`; empty on SQLite,
/// where every table has its rowid.
QString rowIdDefinition(Backend backend);
/// ALTER TABLE ... ADD COLUMN for a field added to an existing table.
QString addColumn(const TableDef& table, const FieldDef& field, Backend backend);
/// ALTER TABLE that gives a table of an older PostgreSQL database its row
/// identity, numbering the rows it holds; empty on SQLite.
QString addRowId(const TableDef& table, Backend backend);
/// The table and all its indexes, in the order they are to be run.
QStringList createStatements(const TableDef& table, Backend backend);
/// A query whose one column lists the names of the indexes in the database.
QString existingIndexesQuery(Backend backend);

}  // namespace SchemaSql
