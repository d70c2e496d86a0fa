#include "data/field_value.h"

#include "data/cursor.h"
#include "data/schema_sql.h"

#include <QStringDecoder>
#include <QtEndian>

#include <cmath>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

double roundToCurrency(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

namespace {

/// "yyyy-MM-ddTHH:mm:ss" (the time part optional) read by hand: the form
/// every date is stored in on SQLite, read far more often than any other.
/// Nothing when the text is not in that form.
std::optional<QDateTime> canonicalSqliteDate(const char* text, int length)
{
    auto digits = [&](int from, int count, int& result) {
        result = 0;
        for (int at = from; at < from + count; ++at) {
            if (at >= length || text[at] < '0' || text[at] > '9')
                return false;
            result = result * 10 + (text[at] - '0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (length < 10 || !digits(0, 4, year) || !digits(5, 2, month) || !digits(8, 2, day))
        return std::nullopt;
    if (length >= 19 && !(digits(11, 2, hour) && digits(14, 2, minute) && digits(17, 2, second)))
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return emptyDate();
    return QDateTime(date, time);
}

/// Writes the eight bytes of `word`, first byte lowest, as eight UTF-16
/// units at `to`, as they stand: right for ASCII only, which the caller checks.
inline void widenEight(quint64 word, char16_t* to)
{
#if defined(__SSE2__)
    const __m128i eight = _mm_cvtsi64_si128(static_cast<long long>(word));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(eight, _mm_setzero_si128()));
#else
    for (int index = 0; index < 8; ++index)
        to[index] = char16_t((word >> (8 * index)) & 0xFF);
#endif
}

}  // namespace

QDateTime dateFromStorage(const QVariant& stored)
{
    if (stored.metaType().id() == QMetaType::QString) {
        const QByteArray latin = stored.toString().toLatin1();
        if (const std::optional<QDateTime> moment = canonicalSqliteDate(latin.constData(), int(latin.size())))
            return *moment;
    }
    if (stored.metaType().id() == QMetaType::QDateTime)
        return stored.toDateTime();
    if (stored.metaType().id() == QMetaType::QDate)
        return QDateTime(stored.toDate(), QTime(0, 0));
    const QString text = stored.toString();
    QDateTime moment = QDateTime::fromString(text, QLatin1String(SchemaSql::sqliteDateFormat));
    if (!moment.isValid())
        moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!moment.isValid())
        moment = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return moment.isValid() ? moment : emptyDate();
}

bool heldAsGiven(FieldType type, const QVariant& given)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return holds<int>(given);
    case FieldType::Double:
        return holds<double>(given);
    case FieldType::Text:
    case FieldType::Memo:
        return holds<QString>(given);
    case FieldType::Currency:  // rounded to four places
    case FieldType::Date:      // kept to the second
        break;
    }
    return false;
}

/// A stored value as the program sees it: typed, Null as the empty value.
QVariant fromStorage(FieldType type, const QVariant& stored)
{
    if (stored.isNull())
        return emptyValue(type);
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        // As stored by toStorage; QVariant::toInt would go through a conversion.
        if (stored.metaType().id() == QMetaType::LongLong)
            return static_cast<int>(*static_cast<const qint64*>(stored.constData()));
        return stored.toInt();
    case FieldType::Double:
        return stored.toDouble();
    case FieldType::Currency:
        return roundToCurrency(stored.toDouble());
    case FieldType::Date:
        return dateFromStorage(stored);
    case FieldType::Text:
    case FieldType::Memo:
        return stored.toString();
    }
    return stored;
}

/// A value given to a field as it is stored; an invalid value is the empty one.
QVariant toStorage(FieldType type, const QVariant& given, Backend backend)
{
    // Most values come in the type they are stored as (a record's held
    // values, a seek's whole-number key) and are taken as they are.
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        if (holds<int>(given))
            return qint64(*static_cast<const int*>(given.constData()));
        if (holds<qint64>(given))
            return given;
        break;
    case FieldType::Double:
    case FieldType::Text:
    case FieldType::Memo:
        if (heldAsGiven(type, given))
            return given;
        break;
    case FieldType::Currency:
    case FieldType::Date:
        break;
    }
    if (!given.isValid() || given.isNull())
        return storageValue(emptyValue(type), backend);
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return given.toLongLong();
    case FieldType::Double:
        return given.toDouble();
    case FieldType::Currency:
        return roundToCurrency(given.toDouble());
    case FieldType::Date: {
        const int id = given.metaType().id();
        if (id == QMetaType::QDateTime || id == QMetaType::QDate)
            return storageValue(given, backend);
        return storageValue(dateFromStorage(given), backend);
    }
    case FieldType::Text:
    case FieldType::Memo:
        return given.toString();
    }
    return given;
}

QDateTime dateFromSqliteText(const char* text, int length)
{
    if (const std::optional<QDateTime> moment = canonicalSqliteDate(text, length))
        return *moment;
    return dateFromStorage(QString::fromUtf8(text, length));
}

qsizetype utf8ToUtf16(QChar* out, const char* bytes, qsizetype length)
{
    // Fields are decoded on every row a cursor passes, and the decoder's
    // set-up costs more than a short text. Well-formed sequences of up to
    // three bytes (every character of a Spanish text) are decoded here; at
    // the first other byte the decoder takes over, so that what it makes of
    // an invalid or four-byte sequence is what QString::fromUtf8 makes.
    const auto* at = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* const end = at + length;
    char16_t* const first = reinterpret_cast<char16_t*>(out);
    char16_t* to = first;
    // Decodes the sequence at `at` when it is one of ours; false otherwise.
    auto decodeSequence = [&] {
        auto isContinuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
        const unsigned lead = *at;
        if (lead < 0x80) {
            *to++ = char16_t(lead);
            ++at;
            return true;
        }
        if (lead >= 0xC2 && lead <= 0xDF && end - at >= 2 && isContinuation(at[1])) {
            *to++ = char16_t(((lead & 0x1F) << 6) | (at[1] & 0x3F));
            at += 2;
            return true;
        }
        // Overlong forms and surrogates are the decoder's to replace.
        if (lead >= 0xE0 && lead <= 0xEF && end - at >= 3 && isContinuation(at[1]) && isContinuation(at[2])
            && !(lead == 0xE0 && at[1] < 0xA0) && !(lead == 0xED && at[1] >= 0xA0)) {
            *to++ = char16_t(((lead & 0x0F) << 12) | ((at[1] & 0x3F) << 6) | (at[2] & 0x3F));
            at += 3;
            return true;
        }
        return false;
    };
    bool ours = true;
    // Eight bytes at a time: all of them widened at once (there is room: no
    // text has fewer bytes than units), kept up to the first that is not
    // ASCII, which starts a longer sequence.
    while (ours && end - at >= 8) {
        const quint64 word = qFromLittleEndian<quint64>(at);
        widenEight(word, to);
        const quint64 highBits = word & 0x8080808080808080ULL;
        if (highBits == 0) {
            at += 8;
            to += 8;
            continue;
        }
        const int ascii = qCountTrailingZeroBits(highBits) / 8;
        at += ascii;
        to += ascii;
        ours = decodeSequence();
    }
    // Three to seven bytes left: the last eight bytes of the text are read
    // at once, and when the ones not yet decoded are ASCII they are widened
    // together. Eight units are written; those past the text fall in the
    // room the caller leaves beyond it.
    if (ours && end - at > 2 && length >= 8) {
        const int decoded = int(8 - (end - at));
        const quint64 rest = qFromLittleEndian<quint64>(end - 8) >> (8 * decoded);
        if ((rest & 0x8080808080808080ULL) == 0) {
            widenEight(rest, to);
            to += end - at;
            at = end;
        }
    }
    while (ours && at < end) {
        // The few bytes left, ASCII ones without the sequence's tests.
        while (at < end && *at < 0x80)
            *to++ = char16_t(*at++);
        if (at < end)
            ours = decodeSequence();
    }
    if (ours)
        return to - first;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* decoded = decoder.appendToBuffer(reinterpret_cast<QChar*>(to),
                                                  QByteArrayView(reinterpret_cast<const char*>(at), end - at));
    return decoded - out;
}

void assignUtf8Text(QString& text, const char* bytes, qsizetype length)
{
    // Decoded straight into the string's own buffer, which has room for as
    // many units as there are bytes (never fewer) and the decoder's. Rows of
    // one column mostly have texts of one length, so the buffer is grown only
    // now and then and the length set only when it changes. The string is
    // not shared.
    if (text.capacity() < length + utf8DecodingRoom)
        text.reserve(length + utf8DecodingRoom);
    const qsizetype units = utf8ToUtf16(text.data(), bytes, length);
    if (text.size() != units)
        text.resize(units);
}

void assignUtf8Value(QVariant& into, const char* bytes, qsizetype length)
{
    if (bytes == nullptr) {
        into.setValue(QString());
        return;
    }
    if (QString* text = textHeldAlone(into)) {
        assignUtf8Text(*text, bytes, length);
        return;
    }
    into = QString::fromUtf8(bytes, length);
}
