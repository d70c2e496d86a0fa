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
/// The units beyond a text's own that utf8ToUtf16 may write over.
constexpr qsizetype utf8DecodingRoom = 8;
/// Decodes the UTF-8 `bytes` into `out`, which has room for `length` units
/// (UTF-16 never needs more units than UTF-8 bytes) and utf8DecodingRoom
/// more; returns the units written. The same text as QString::fromUtf8,
/// invalid sequences included; the one- to three-byte forms of the texts we
/// store are decoded in line.
qsizetype utf8ToUtf16(QChar* out, const char* bytes, qsizetype length);
/// Puts the text of the UTF-8 `bytes` in `text`, keeping its buffer when it
/// has room (a cursor reads a text field into the same string row after row).
void assignUtf8Text(QString& text, const char* bytes, qsizetype length);
/// The text `value` holds, to be changed in place where it is: nullptr when
/// it holds another type or shares its storage with another value.
/// Whether `value` holds a `T`, told by the type's interface, of which QtCore
/// has one for each of its own types; without the call metaType() is, as
/// this runs for fields of every row. Another interface only ever means a
/// slower path taken.
template <typename T>
bool holds(const QVariant& value)
{
    return value.data_ptr().typeInterface() == QMetaType::fromType<T>().iface();
}
inline QString* textHeldAlone(QVariant& value)
{
    if (!holds<QString>(value) || !value.isDetached())
        return nullptr;
    // Not QVariant::data(), which would ask for a detach again, out of line.
    auto* text = const_cast<QString*>(static_cast<const QString*>(value.constData()));
    return text->isDetached() ? text : nullptr;
}
/// Stores the UTF-8 `bytes` in `into` as text, in the buffer of the text it
/// already holds when that is not shared; no bytes (a Null) is the empty text.
void assignUtf8Value(QVariant& into, const char* bytes, qsizetype length);
/// Whether `given` is already what a field of `type` holds of it once stored
/// and read back (a whole number as an int, a text as a QString): what
/// fromStorage(toStorage(given)) would give, without the trip.
bool heldAsGiven(FieldType type, const QVariant& given);
/// A stored value as the program sees it: typed, Null as the empty value.
QVariant fromStorage(FieldType type, const QVariant& stored);
/// A value given to a field as it is stored; an invalid value is the empty one.
QVariant toStorage(FieldType type, const QVariant& given, Backend backend);
