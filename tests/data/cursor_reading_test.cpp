// A scan reads each field of its current record only when asked for: these
// tests read rows early, late, partly and not at all, and across the moments
// the scan's select ends (another statement, a window's end, an edit), and
// check every value against what was written.

#include "data_fixture.h"

#include "data/field_value.h"
#include "data/schema_sql.h"
#include "data/statement.h"

#include <QRandomGenerator>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace {

const QString readingTable = QStringLiteral("LECTURA");
const QString idField = QStringLiteral("LecId");
const QString groupField = QStringLiteral("LecGrupo");
const QString textField = QStringLiteral("LecTexto");
const QString memoField = QStringLiteral("LecNota");
const QString amountField = QStringLiteral("LecImporte");
const QString rateField = QStringLiteral("LecTasa");
const QString dateField = QStringLiteral("LecFecha");
const QString activeField = QStringLiteral("LecActivo");

constexpr int readingRows = 300;

const TableDef& readingTableDef()
{
    static const TableDef table{
        readingTable, QStringLiteral("Lecturas de prueba"),
        {FieldDef{idField, FieldType::Long, 0}, FieldDef{groupField, FieldType::Long, 0},
         FieldDef{textField, FieldType::Text, 40}, FieldDef{memoField, FieldType::Memo, 0},
         FieldDef{amountField, FieldType::Currency, 0}, FieldDef{rateField, FieldType::Double, 0},
         FieldDef{dateField, FieldType::Date, 0}, FieldDef{activeField, FieldType::YesNo, 0}},
        {IndexDef{QStringLiteral("ILECTURA"), {idField}, true, true},
         IndexDef{QStringLiteral("ILECTUR1"), {groupField, idField}, false, false}}};
    return table;
}

/// What row `id` holds; every seventh row has Nulls in all but its keys.
struct ExpectedRow {
    int id = 0;
    bool nulls = false;
    QString text;
    QString memo;
    double amount = 0;
    double rate = 0;
    QDateTime date;
    int active = 0;
};

ExpectedRow expectedRow(int id)
{
    ExpectedRow row;
    row.id = id;
    row.nulls = id % 7 == 0;
    if (row.nulls) {
        row.date = emptyDate();
        return row;
    }
    // Accents, a three-byte sign and a character beyond the first plane, at
    // places that fall inside and across the decoder's eight-byte runs.
    row.text = QStringLiteral("Línea %1 ñandú € %2").arg(id).arg(id % 3 == 0 ? QStringLiteral("😀") : QString());
    row.memo = QStringLiteral("Nota número %1, con acentos: áéíóú ÁÉÍÓÚ ü").arg(id).repeated(1 + id % 4);
    row.amount = id * 10.1234;
    row.rate = id / 8.0;
    row.date = QDateTime(QDate(2020, 1, 1).addDays(id), QTime(8, 30));
    row.active = id % 2;
    return row;
}

}  // namespace

class CursorReadingTest : public BackendDataTest {
protected:
    void SetUp() override
    {
        BackendDataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const QString& statement : SchemaSql::createStatements(readingTableDef(), db().backend())) {
            QSqlQuery query(db().connection());
            ASSERT_TRUE(query.exec(statement)) << qPrintable(query.lastError().text());
        }
        db().registerTable(readingTableDef());
        TableCursor rows(db());
        ASSERT_TRUE(rows.open(readingTable).ok());
        ASSERT_TRUE(db().beginTransaction().ok());
        for (int id = 1; id <= readingRows; ++id) {
            const ExpectedRow expected = expectedRow(id);
            ASSERT_TRUE(rows.addNew().ok());
            rows.setValue(idField, id);
            rows.setValue(groupField, id / 10);
            if (!expected.nulls) {
                rows.setValue(textField, expected.text);
                rows.setValue(memoField, expected.memo);
                rows.setValue(amountField, expected.amount);
                rows.setValue(rateField, expected.rate);
                rows.setValue(dateField, expected.date);
                rows.setValue(activeField, expected.active);
            }
            ASSERT_TRUE(rows.update().ok());
        }
        ASSERT_TRUE(db().commit().ok());
        // Nulls, as rows written by other programs have them.
        QSqlQuery nulls(db().connection());
        QString sql = QStringLiteral("UPDATE %1 SET ").arg(quoteName(readingTable));
        for (const QString& field : {textField, memoField, amountField, rateField, dateField, activeField})
            sql += quoteName(field) + QStringLiteral(" = NULL, ");
        sql.chop(2);
        ASSERT_TRUE(nulls.exec(sql + QStringLiteral(" WHERE ") + quoteName(idField) + QStringLiteral(" % 7 = 0")))
            << qPrintable(nulls.lastError().text());
    }

    /// Checks every field of the current record of `cursor` against `expected`,
    /// through the typed readers and through value().
    static void expectFields(const RecordCursor& cursor, const ExpectedRow& expected)
    {
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(cursor.integer(idField), expected.id);
        EXPECT_EQ(cursor.integer(groupField), expected.id / 10);
        EXPECT_EQ(cursor.text(textField), expected.text);
        EXPECT_EQ(cursor.value(memoField).toString(), expected.memo);
        EXPECT_DOUBLE_EQ(cursor.number(amountField), roundToCurrency(expected.amount));
        EXPECT_DOUBLE_EQ(cursor.value(amountField).toDouble(), roundToCurrency(expected.amount));
        EXPECT_DOUBLE_EQ(cursor.number(rateField), expected.rate);
        EXPECT_EQ(cursor.date(dateField), expected.date);
        EXPECT_EQ(cursor.integer(activeField), expected.active);
        EXPECT_EQ(cursor.number(activeField), expected.active);
        EXPECT_EQ(cursor.text(activeField), QString::number(expected.active));
    }
};

INSTANTIATE_ON_EACH_BACKEND(CursorReadingTest);

// One scan through the whole table, past the server's first window, reading
// rows in three ways: every field, only the key, or nothing at all; and one
// record half now and half after another statement of the connection ended
// the scan's select. Every row comes once and in order, and every field read
// has the value written, Nulls as the empty values.
TEST_P(CursorReadingTest, FieldsReadWhenAskedForHaveTheRowsValues)
{
    TableCursor scan(db());
    ASSERT_TRUE(scan.open(readingTable, Access::ReadOnly).ok());
    TableCursor lookUp(db());
    ASSERT_TRUE(lookUp.open(readingTable, Access::ReadOnly).ok());
    int position = 0;
    Bookmark bookmarked;
    ASSERT_TRUE(scan.moveFirst().ok());
    while (!scan.atEnd()) {
        ++position;
        const ExpectedRow expected = expectedRow(position);
        if (position == 250) {
            // Half the record now, then another cursor's seek ends the
            // scan's select; the rest of the record is still there.
            EXPECT_EQ(scan.text(textField), expected.text);
            ASSERT_TRUE(lookUp.seek(Comparison::Equal, {position}).ok());
            EXPECT_EQ(lookUp.text(memoField), expected.memo);
            expectFields(scan, expected);
        } else if (position % 3 == 0) {
            expectFields(scan, expected);
        } else if (position % 3 == 1) {
            EXPECT_EQ(scan.integer(idField), position);
        } else if (position == 101) {
            bookmarked = scan.bookmark();  // the only thing asked of this record
        }  // else nothing read: the scan moves on from this record's keys
        ASSERT_TRUE(scan.moveNext().ok());
    }
    EXPECT_EQ(position, readingRows);
    ASSERT_TRUE(scan.setBookmark(bookmarked).ok());
    expectFields(scan, expectedRow(101));
}

// A range read through the second index, backwards and forwards: the moves
// that turn round start from the keys of a record whose fields were never read.
TEST_P(CursorReadingTest, MovesTurnRoundFromARecordNotRead)
{
    TableCursor range(db());
    ASSERT_TRUE(range.open(readingTable, Access::ReadOnly).ok());
    ASSERT_TRUE(range.setIndex(QStringLiteral("ILECTUR1")).ok());
    ASSERT_TRUE(range.seek(Comparison::GreaterOrEqual, {12}).ok());
    for (int step = 0; step < 5; ++step)
        ASSERT_TRUE(range.moveNext().ok());
    ASSERT_TRUE(range.movePrevious().ok());
    expectFields(range, expectedRow(124));
    ASSERT_TRUE(range.seek(Comparison::LessOrEqual, {3}).ok());
    ASSERT_TRUE(range.movePrevious().ok());
    ASSERT_TRUE(range.moveNext().ok());
    ASSERT_TRUE(range.moveNext().ok());
    expectFields(range, expectedRow(40));
}

// Edit and delete take the record's lock by its key and write the record
// as stored, although the scan read none of its fields.
TEST_P(CursorReadingTest, RecordsNotReadAreLockedEditedAndDeletedWhole)
{
    auto second = openSecond();
    second->registerTable(readingTableDef());
    TableCursor other(*second);
    ASSERT_TRUE(other.open(readingTable).ok());

    TableCursor scan(db());
    ASSERT_TRUE(scan.open(readingTable).ok());
    ASSERT_TRUE(scan.moveFirst().ok());
    for (int position = 1; position < 20; ++position)
        ASSERT_TRUE(scan.moveNext().ok());
    ASSERT_TRUE(scan.edit().ok());

    ASSERT_TRUE(other.seek(Comparison::Equal, {20}).ok());
    EXPECT_EQ(other.edit().number, DbErrorNumber::LockedByAnotherWorkstation);

    ASSERT_TRUE(scan.setValue(textField, QStringLiteral("Cambiada")).ok());
    ASSERT_TRUE(scan.update().ok());
    ExpectedRow changed = expectedRow(20);
    changed.text = QStringLiteral("Cambiada");
    ASSERT_TRUE(other.seek(Comparison::Equal, {20}).ok());
    expectFields(other, changed);

    ASSERT_TRUE(scan.moveNext().ok());
    ASSERT_TRUE(scan.remove().ok());
    EXPECT_EQ(countRows(quoteName(readingTable)), readingRows - 1);
    ASSERT_TRUE(other.seek(Comparison::Equal, {21}).ok());
    EXPECT_TRUE(other.noMatch());
}

// The in-line decoder makes of any bytes what QString::fromUtf8 makes:
// texts of every length around its eight-byte runs, every sequence length,
// and the malformed ones it hands to Qt's decoder.
TEST(Utf8Decoding, SameTextAsQtForAnyBytes)
{
    QList<QByteArray> samples = {
        "", "a", "Movimiento", "Movimiento número 1234", "ñandú", "12345678", "1234567ñ", "€uro y más €",
        "\xF0\x9F\x98\x80 al comienzo", "\x80 suelto", "corto \xC3", "corto \xE2\x82", "largo \xC0\x80",
        "\xE0\x80\x80 sobrelargo", "\xED\xA0\x80 sustituto", "\xF5\x80\x80\x80 fuera", "\xFF\xFE", "\xC3\x28",
    };
    // And many made at random from an alphabet of all those pieces.
    const QList<QByteArray> pieces = {"a", "Z", " ", "1234567", "\xC3\xB1", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                      "\x80", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xFF"};
    QRandomGenerator random(28);
    for (int sample = 0; sample < 2000; ++sample) {
        QByteArray bytes;
        for (int piece = random.bounded(12); piece > 0; --piece)
            bytes += pieces.at(random.bounded(pieces.size()));
        samples << bytes;
    }
    // One string takes every sample in turn, growing and shrinking in place.
    QVariant running = QString::fromLatin1("x");
    for (const QByteArray& bytes : samples) {
        assignUtf8Value(running, bytes.constData(), bytes.size());
        ASSERT_EQ(running.toString(), QString::fromUtf8(bytes)) << bytes.toHex().constData();

        QString decoded(bytes.size() + utf8DecodingRoom, Qt::Uninitialized);
        decoded.truncate(utf8ToUtf16(decoded.data(), bytes.constData(), bytes.size()));
        ASSERT_EQ(decoded, QString::fromUtf8(bytes)) << bytes.toHex().constData();

        // Into a string that held a longer, then a shorter text before.
        QVariant held = QStringLiteral("un texto anterior bastante más largo que cualquier muestra");
        assignUtf8Value(held, bytes.constData(), bytes.size());
        ASSERT_EQ(held.toString(), QString::fromUtf8(bytes)) << bytes.toHex().constData();
        assignUtf8Value(held, "", 0);
        EXPECT_EQ(held.toString(), QString());
    }
}

// Texts are bound to SQLite as UTF-8 encoded by the program itself: what the
// file receives must be what Qt's UTF-8 encoder makes of the same text, for
// every length of sequence and for surrogates, paired and alone (a lone half
// becomes the replacement character).
TEST_F(DataTest, TextsAreBoundAsQtEncodesThem)
{
    QList<QString> samples = {u""_s, u"Sueldo"_s, u"Descripción = Aguinaldo, ñandú"_s, u"€uro y más €"_s,
                              u"😀 al comienzo"_s, QString(QChar(0xD83D)) + u" medio par"_s,
                              u"fin "_s + QChar(0xDE00), u"ß\u07FF\u0800\uFFFD"_s};
    const QList<QString> pieces = {u"a"_s, u" "_s, u"ñ"_s, u"€"_s, u"😀"_s, QString(QChar(0xD800)), u"\u07FF"_s};
    QRandomGenerator random(7);
    for (int sample = 0; sample < 300; ++sample) {
        QString text;
        for (int piece = random.bounded(10); piece > 0; --piece)
            text += pieces.at(random.bounded(pieces.size()));
        samples << text;
    }
    Statement bytesOf(db(), u"SELECT CAST(? AS BLOB)"_s);
    for (const QString& text : samples) {
        bytesOf.addBindValue(text);
        ASSERT_TRUE(bytesOf.exec() && bytesOf.next());
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        const QByteArray expected = encoder.encode(text);
        EXPECT_EQ(bytesOf.value(0).toByteArray(), expected) << expected.toHex().constData();
        bytesOf.finish();
    }
}
