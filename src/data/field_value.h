#pragma once

#include "data/database.h"
#include "data/schema.h"

#include <QDateTime>
#include <QVariant>

// How field values travel between the program and the engine: the one place
// that knows the stored form of each field type.

/// `value` rounded to the four decimals of a currency field.
double roundToCurrency(double value);
/// A stored date (text on SQLite, a timestamp elsewhere); the empty date when
/// it is not one.
QDateTime dateFromStorage(const QVariant& stored);
/// The date in SQLite's text form "yyyy-MM-ddTHH:mm:ss"; the empty date when
/// it is not one. Reads the digits directly: dates are read on every row.
QDateTime dateFromSqliteText(const char* text, int length);
/// A stored value as the program sees it: typed, Null as the empty value.
QVariant fromStorage(FieldType type, const QVariant& stored);
/// A value given to a field as it is stored; an invalid value is the empty one.
QVariant toStorage(FieldType type, const QVariant& given, Backend backend);
