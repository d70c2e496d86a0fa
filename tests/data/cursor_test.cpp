#include "data_fixture.h"

#include "data/selection_list.h"
#include "data/statement.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

const QString catId = QStringLiteral("CatId");
const QString catDesc = QStringLiteral("CatDesc");

}  // namespace

class CursorTest : public BackendDataTest {
protected:
    void addCategories(int first, int last)
    {
        ASSERT_TRUE(db().beginTransaction().ok());
        for (int id = first; id <= last; ++id)
            addCategory(db(), id, QStringLiteral("Categoría %1").arg(id));
        ASSERT_TRUE(db().commit().ok());
    }

    /// Rewrites the description of category `id` through `database`, as a
    /// transaction of that workstation does.
    static void changeCategory(Database& database, int id, const QString& description)
    {
        TableCursor categories(database);
        ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
        ASSERT_TRUE(categories.seek(Comparison::Equal, {id}).ok());
        ASSERT_TRUE(categories.edit().ok());
        ASSERT_TRUE(categories.setValue(catDesc, description).ok());
        const DbError error = categories.update();
        ASSERT_TRUE(error.ok()) << qPrintable(error.fullText());
    }

    /// Moves `cursor` on to the category `id`.
    static void moveOnTo(TableCursor& cursor, int id)
    {
        while (!cursor.atEnd() && cursor.integer(catId) < id)
            ASSERT_TRUE(cursor.moveNext().ok());
        ASSERT_EQ(cursor.integer(catId), id);
    }

    /// Adds employee positions: `positions` rows for each employee of `employees`.
    void addPositions(const QList<int>& employees, int positions, int category, int firstLine = 1)
    {
        TableCursor cargos(db());
        ASSERT_TRUE(cargos.open(QStringLiteral("CARGOSFU")).ok());
        ASSERT_TRUE(db().beginTransaction().ok());
        for (int employee : employees) {
            for (int line = firstLine; line < firstLine + positions; ++line) {
                cargos.addNew();
                cargos.setValue(QStringLiteral("FunId"), employee);
                cargos.setValue(QStringLiteral("FunAL"), line);
                cargos.setValue(QStringLiteral("FunCatId"), category);
                ASSERT_TRUE(cargos.update().ok());
            }
        }
        ASSERT_TRUE(db().commit().ok());
    }
};

TEST_P(CursorTest, MovingFirstOnAnEmptyTableIsNoErrorAndStandsAtEnd)
{
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_EQ(categories.recordCount(), 0);

    EXPECT_TRUE(categories.moveFirst().ok());
    EXPECT_TRUE(categories.atEnd());
    EXPECT_TRUE(categories.atStart());
    EXPECT_FALSE(categories.hasCurrent());
    EXPECT_EQ(categories.moveNext().number, DbErrorNumber::NoCurrentRecord);
    EXPECT_EQ(categories.edit().number, DbErrorNumber::NoCurrentRecord);
    EXPECT_EQ(categories.text(catDesc), QString());
    EXPECT_TRUE(categories.moveLast().ok());
    EXPECT_TRUE(categories.atEnd());
}

TEST_P(CursorTest, SeeksFindTheFirstOrLastMatchingRecordInIndexOrder)
{
    addCategories(1, 40);
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.setIndex(QStringLiteral("ICATEGOR")).ok());

    struct Case {
        Comparison comparison;
        int key;
        int found;
    };
    const QList<Case> cases = {
        {Comparison::Equal, 7, 7},         {Comparison::GreaterOrEqual, 7, 7}, {Comparison::Greater, 7, 8},
        {Comparison::LessOrEqual, 7, 7},   {Comparison::Less, 7, 6},           {Comparison::GreaterOrEqual, -5, 1},
        {Comparison::LessOrEqual, 1000, 40},
    };
    for (const Case& item : cases) {
        ASSERT_TRUE(categories.seek(item.comparison, {item.key}).ok());
        EXPECT_FALSE(categories.noMatch()) << item.key;
        EXPECT_EQ(categories.integer(catId), item.found) << "seek " << static_cast<int>(item.comparison) << " " << item.key;
        EXPECT_EQ(categories.text(catDesc), QStringLiteral("Categoría %1").arg(item.found));
    }

    // Seeks past either end find nothing and leave the cursor at end.
    for (const Case& item : QList<Case>{{Comparison::Equal, 41, 0}, {Comparison::GreaterOrEqual, 41, 0},
                                        {Comparison::Greater, 40, 0}, {Comparison::Less, 1, 0}}) {
        ASSERT_TRUE(categories.seek(item.comparison, {item.key}).ok());
        EXPECT_TRUE(categories.noMatch()) << item.key;
        EXPECT_TRUE(categories.atEnd());
        EXPECT_FALSE(categories.hasCurrent());
    }

    // After a seek the cursor moves on from the record found, both ways.
    ASSERT_TRUE(categories.seek(Comparison::Equal, {20}).ok());
    ASSERT_TRUE(categories.moveNext().ok());
    EXPECT_EQ(categories.integer(catId), 21);
    ASSERT_TRUE(categories.movePrevious().ok());
    ASSERT_TRUE(categories.movePrevious().ok());
    EXPECT_EQ(categories.integer(catId), 19);
}

TEST_P(CursorTest, ARangeReadComparesOnlyTheLeadingKeyFields)
{
    addPositions({5, 9, 12}, 3, 1);
    TableCursor cargos(db());
    ASSERT_TRUE(cargos.open(QStringLiteral("CARGOSFU"), Access::ReadOnly).ok());
    ASSERT_TRUE(cargos.setIndex(QStringLiteral("ICARGOSF")).ok());

    auto readRange = [&](int employee) {
        QList<int> lines;
        cargos.seek(Comparison::GreaterOrEqual, {employee, 0});
        while (!cargos.atEnd() && cargos.integer(QStringLiteral("FunId")) == employee) {
            lines << static_cast<int>(cargos.integer(QStringLiteral("FunAL")));
            cargos.moveNext();
        }
        return lines;
    };
    EXPECT_EQ(readRange(9), (QList<int>{1, 2, 3}));
    EXPECT_EQ(readRange(7), QList<int>{});   // a key that falls between two others
    EXPECT_EQ(readRange(13), QList<int>{});  // past the last key

    // One value for a two-field key: only FunId is compared.
    ASSERT_TRUE(cargos.seek(Comparison::Equal, {12}).ok());
    EXPECT_EQ(cargos.integer(QStringLiteral("FunAL")), 1);
    ASSERT_TRUE(cargos.seek(Comparison::Greater, {5}).ok());
    EXPECT_EQ(cargos.integer(QStringLiteral("FunId")), 9);
    EXPECT_EQ(cargos.integer(QStringLiteral("FunAL")), 1);
    ASSERT_TRUE(cargos.seek(Comparison::LessOrEqual, {9}).ok());
    EXPECT_EQ(cargos.integer(QStringLiteral("FunId")), 9);
    EXPECT_EQ(cargos.integer(QStringLiteral("FunAL")), 3);

    // Too many values for the index is refused, not guessed.
    EXPECT_FALSE(cargos.seek(Comparison::Equal, {9, 1, 1}).ok());
}

TEST_P(CursorTest, MovesVisitEveryRecordOnceInIndexOrderEvenWithEqualKeys)
{
    // 300 rows whose secondary key (FunCatId) is the same for many of them,
    // more than one read-ahead window holds.
    QList<int> employees;
    for (int employee = 1; employee <= 100; ++employee)
        employees << employee;
    addPositions(employees, 1, 4);
    addPositions(employees, 1, 2, 2);
    QList<int> more;
    for (int employee = 101; employee <= 200; ++employee)
        more << employee;
    addPositions(more, 1, 3);

    TableCursor cargos(db());
    ASSERT_TRUE(cargos.open(QStringLiteral("CARGOSFU")).ok());
    ASSERT_TRUE(cargos.setIndex(QStringLiteral("ICARGOS6")).ok());
    EXPECT_EQ(cargos.recordCount(), 300);

    QList<int> categories;
    QSet<QString> seen;
    for (cargos.moveFirst(); !cargos.atEnd(); cargos.moveNext()) {
        categories << static_cast<int>(cargos.integer(QStringLiteral("FunCatId")));
        seen.insert(cargos.text(QStringLiteral("FunId")) + '/' + cargos.text(QStringLiteral("FunAL")) + '/'
                    + cargos.text(QStringLiteral("FunCatId")));
    }
    EXPECT_EQ(categories.size(), 300);
    EXPECT_EQ(seen.size(), 300);
    EXPECT_TRUE(std::is_sorted(categories.begin(), categories.end()));
    EXPECT_EQ(cargos.moveNext().number, DbErrorNumber::NoCurrentRecord);

    int backwards = 0;
    for (cargos.moveLast(); !cargos.atStart(); cargos.movePrevious()) {
        ++backwards;
        if (backwards > 400)
            break;
    }
    EXPECT_EQ(backwards, 300);
    EXPECT_EQ(cargos.movePrevious().number, DbErrorNumber::NoCurrentRecord);

    // Changing direction in the middle of a window goes back to the neighbour.
    cargos.moveFirst();
    for (int step = 0; step < 40; ++step)
        cargos.moveNext();
    const QString fortieth = cargos.text(QStringLiteral("FunId"));
    cargos.moveNext();
    cargos.movePrevious();
    EXPECT_EQ(cargos.text(QStringLiteral("FunId")), fortieth);
}

TEST_P(CursorTest, ADuplicateKeyIsRefusedWith3022AndTheCursorStaysWhereItWas)
{
    addCategories(1, 5);
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {4}).ok());
    const Bookmark before = categories.bookmark();

    ASSERT_TRUE(categories.addNew().ok());
    categories.setValue(catId, 2);
    categories.setValue(catDesc, QStringLiteral("Otra"));
    const DbError error = categories.update();
    EXPECT_EQ(error.number, DbErrorNumber::DuplicateKey);
    EXPECT_EQ(error.message, QStringLiteral("Ya existe el registro"));
    EXPECT_FALSE(error.driverText.isEmpty());

    categories.cancelUpdate();
    EXPECT_EQ(categories.bookmark(), before);
    EXPECT_EQ(categories.integer(catId), 4);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatId = ?"), {2}), 1);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {QStringLiteral("Otra")}), 0);
}

TEST_P(CursorTest, AnAddedRecordIsReachedThroughLastModified)
{
    addCategories(1, 3);
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());
    ASSERT_TRUE(categories.addNew().ok());
    EXPECT_EQ(categories.editMode(), EditMode::Adding);
    categories.setValue(catId, 10);
    categories.setValue(catDesc, QStringLiteral("Nueva"));
    ASSERT_TRUE(categories.update().ok());
    EXPECT_EQ(categories.editMode(), EditMode::None);
    EXPECT_EQ(categories.integer(catId), 1);  // still on the record it stood on

    ASSERT_TRUE(categories.setBookmark(categories.lastModified()).ok());
    EXPECT_EQ(categories.text(catDesc), QStringLiteral("Nueva"));
    ASSERT_TRUE(categories.movePrevious().ok());
    EXPECT_EQ(categories.integer(catId), 3);
}

TEST_P(CursorTest, EditUpdateAndDeleteWriteTheTable)
{
    addCategories(1, 5);
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("categori")).ok());  // names in any case
    ASSERT_TRUE(categories.setIndex(QStringLiteral("icategor")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {3}).ok());

    EXPECT_EQ(categories.setValue(QStringLiteral("catdesc"), QStringLiteral("x")).number, DbErrorNumber::NotEditing);
    ASSERT_TRUE(categories.edit().ok());
    EXPECT_EQ(categories.editMode(), EditMode::Editing);
    ASSERT_TRUE(categories.setValue(QStringLiteral("catdesc"), QStringLiteral("Oficiales")).ok());
    ASSERT_TRUE(categories.update().ok());
    EXPECT_EQ(categories.text(catDesc), QStringLiteral("Oficiales"));
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {QStringLiteral("Oficiales")}), 1);
    EXPECT_EQ(categories.update().number, DbErrorNumber::NotEditing);

    // Changing the key moves the record in the index.
    ASSERT_TRUE(categories.edit().ok());
    categories.setValue(catId, 30);
    ASSERT_TRUE(categories.update().ok());
    ASSERT_TRUE(categories.moveNext().ok());
    EXPECT_TRUE(categories.atEnd());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {30}).ok());
    EXPECT_EQ(categories.text(catDesc), QStringLiteral("Oficiales"));

    // After a delete the next move goes on from where the record was.
    ASSERT_TRUE(categories.seek(Comparison::Equal, {2}).ok());
    ASSERT_TRUE(categories.remove().ok());
    EXPECT_FALSE(categories.hasCurrent());
    ASSERT_TRUE(categories.moveNext().ok());
    EXPECT_EQ(categories.integer(catId), 4);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI")), 4);
    ASSERT_TRUE(categories.seek(Comparison::Equal, {2}).ok());
    EXPECT_TRUE(categories.noMatch());
}

TEST_P(CursorTest, RefusalsLoseNothing)
{
    addCategories(1, 1);
    TableCursor readOnly(db());
    ASSERT_TRUE(readOnly.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
    readOnly.moveFirst();
    EXPECT_EQ(readOnly.edit().number, DbErrorNumber::ReadOnly);
    EXPECT_EQ(readOnly.addNew().number, DbErrorNumber::ReadOnly);
    EXPECT_EQ(readOnly.remove().number, DbErrorNumber::ReadOnly);

    TableCursor categories(db());
    EXPECT_EQ(categories.open(QStringLiteral("NOEXISTE")).number, DbErrorNumber::TableNotFound);
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    EXPECT_EQ(categories.setIndex(QStringLiteral("ICARGOS6")).number, DbErrorNumber::NotAnIndex);
    categories.moveFirst();
    ASSERT_TRUE(categories.edit().ok());
    EXPECT_EQ(categories.setValue(QStringLiteral("NoCampo"), 1).number, DbErrorNumber::ItemNotFound);
    // CatDesc holds 30 characters: a longer text is refused, not cut.
    const DbError tooLong = categories.setValue(catDesc, QString(31, 'x'));
    EXPECT_EQ(tooLong.number, DbErrorNumber::FieldTooSmall);
    EXPECT_EQ(categories.text(catDesc), QStringLiteral("Categoría 1"));
    categories.cancelUpdate();
}

TEST_P(CursorTest, NullsReadAsTheEmptyValueOfTheFieldType)
{
    ASSERT_TRUE(db().execute(QStringLiteral("INSERT INTO PARAMETR (ParTabla, ParParamet, ParIndice) VALUES (?, ?, ?)"),
                             {QStringLiteral("G"), QStringLiteral("P"), 0})
                    .ok());
    TableCursor parameters(db());
    ASSERT_TRUE(parameters.open(QStringLiteral("PARAMETR")).ok());
    ASSERT_TRUE(parameters.seek(Comparison::Equal, {QStringLiteral("G"), QStringLiteral("P"), 0}).ok());
    ASSERT_FALSE(parameters.noMatch());

    const QVariant text = parameters.value(QStringLiteral("ParValorCa"));
    EXPECT_FALSE(text.isNull());
    EXPECT_EQ(text.toString(), QString());
    const QVariant number = parameters.value(QStringLiteral("ParValorNu"));
    EXPECT_FALSE(number.isNull());
    EXPECT_EQ(number.toDouble(), 0.0);
    EXPECT_EQ(parameters.date(QStringLiteral("ParValorFe")), QDateTime(QDate(100, 1, 1), QTime(0, 0)));
}

// A cursor remembers the field it found for the characters of a name; a
// name changed in place, at the same address, reads the field it now names.
TEST_P(CursorTest, AFieldNameChangedInPlaceReadsTheFieldItNamesNow)
{
    ASSERT_TRUE(db().execute(QStringLiteral("INSERT INTO PARAMETR (ParTabla, ParParamet, ParIndice, ParValorCa, "
                                            "ParValorNu) VALUES (?, ?, ?, ?, ?)"),
                             {QStringLiteral("G"), QStringLiteral("P"), 0, QStringLiteral("texto"), 7.5})
                    .ok());
    TableCursor parameters(db());
    ASSERT_TRUE(parameters.open(QStringLiteral("PARAMETR")).ok());
    ASSERT_TRUE(parameters.seek(Comparison::Equal, {QStringLiteral("G"), QStringLiteral("P"), 0}).ok());

    QString name = QString::fromLatin1("ParValorCa");
    const QChar* characters = name.constData();
    EXPECT_EQ(parameters.text(name), QStringLiteral("texto"));
    name[8] = u'N';
    name[9] = u'u';
    ASSERT_EQ(name.constData(), characters);
    EXPECT_EQ(parameters.number(name), 7.5);
    EXPECT_EQ(parameters.text(QStringLiteral("PARVALORCA")), QStringLiteral("texto"));
}

TEST_P(CursorTest, ValuesAreBoundNeverPastedIntoTheStatement)
{
    const QString hostile = QStringLiteral("O'Hara'); DROP TABLE X;--");
    addCategory(db(), 1, hostile);
    addCategory(db(), 2, QStringLiteral("Normal"));

    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());
    EXPECT_EQ(categories.text(catDesc), hostile);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI")), 2);

    ASSERT_TRUE(db().execute(QStringLiteral("UPDATE [CATEGORI] SET [CatDesc] = ? WHERE [CatId] = ?"), {hostile, 2}).ok());
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {hostile}), 2);
}

TEST_P(CursorTest, TextsBoundInUtf8KeepTheirAccentsAndAnEmptyTextIsNotNull)
{
    const QString accented = QStringLiteral("Peón d'O'Hara ñ");
    Statement add(db(), translateJetSql(QStringLiteral("INSERT INTO CATEGORI (CatId, CatDesc) VALUES (?, ?)"),
                                        db().backend()));
    for (const auto& [id, text] : {std::pair{1, accented}, std::pair{2, QStringLiteral("")}}) {
        add.addBindValue(id);
        add.addBindText(text.toUtf8());
        ASSERT_TRUE(add.exec());
    }
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {accented}), 1);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {QStringLiteral("")}), 1);
}

TEST_P(CursorTest, DatesAndCurrencyKeepTheirValues)
{
    TableCursor parameters(db());
    ASSERT_TRUE(parameters.open(QStringLiteral("PARAMETR")).ok());
    ASSERT_TRUE(parameters.addNew().ok());
    parameters.setValue(QStringLiteral("ParTabla"), QStringLiteral("G"));
    parameters.setValue(QStringLiteral("ParParamet"), QStringLiteral("P"));
    parameters.setValue(QStringLiteral("ParValorFe"), QDate(2026, 12, 31));
    parameters.setValue(QStringLiteral("ParValorNu"), 1234.5678);
    ASSERT_TRUE(parameters.update().ok());

    TableCursor again(db());
    ASSERT_TRUE(again.open(QStringLiteral("PARAMETR")).ok());
    ASSERT_TRUE(again.seek(Comparison::Equal, {QStringLiteral("G"), QStringLiteral("P")}).ok());
    EXPECT_EQ(again.date(QStringLiteral("ParValorFe")), QDateTime(QDate(2026, 12, 31), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(again.number(QStringLiteral("ParValorNu")), 1234.5678);
    EXPECT_EQ(again.integer(QStringLiteral("ParIndice")), 0);  // never set: empty, not Null

    TableCursor configuration(db());
    ASSERT_TRUE(configuration.open(QStringLiteral("CONFIGUR")).ok());
    ASSERT_TRUE(configuration.moveFirst().ok());
    ASSERT_TRUE(configuration.hasCurrent());
    ASSERT_TRUE(configuration.edit().ok());
    configuration.setValue(QStringLiteral("CfVersion"), 3.123456);
    ASSERT_TRUE(configuration.update().ok());
    configuration.moveFirst();
    EXPECT_DOUBLE_EQ(configuration.number(QStringLiteral("CfVersion")), 3.1235);
}

TEST_P(CursorTest, AQueryCursorReadsAndWritesTheRowsOfItsSelect)
{
    addCategory(db(), 1, QStringLiteral("Zeta"));
    addCategory(db(), 2, QStringLiteral("Alfa"));
    addCategory(db(), 3, QStringLiteral("Media"));

    QueryCursor query(db());
    ASSERT_TRUE(query.open(QStringLiteral("SELECT * FROM [CATEGORI]  ORDER BY CatDesc")).ok());
    EXPECT_EQ(query.recordCount(), 3);
    QStringList order;
    for (; !query.atEnd(); query.moveNext())
        order << query.text(catDesc);
    EXPECT_EQ(order, (QStringList{"Alfa", "Media", "Zeta"}));

    ASSERT_TRUE(query.moveFirst().ok());
    ASSERT_TRUE(query.edit().ok());
    query.setValue(catDesc, QStringLiteral("Beta"));
    ASSERT_TRUE(query.update().ok());
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI"), QStringLiteral("CatDesc = ?"), {QStringLiteral("Beta")}), 1);

    ASSERT_TRUE(query.moveLast().ok());
    EXPECT_EQ(query.text(catDesc), QStringLiteral("Zeta"));
    ASSERT_TRUE(query.remove().ok());
    ASSERT_TRUE(query.moveFirst().ok());
    int remaining = 0;
    for (; !query.atEnd(); query.moveNext())
        ++remaining;
    EXPECT_EQ(remaining, 2);

    // A filtered select with a bound value, and one that is not over one
    // table: read-only.
    QueryCursor filtered(db());
    ASSERT_TRUE(filtered.open(QStringLiteral("SELECT CatId, CatDesc FROM CATEGORI WHERE CatId > ?"), {2}).ok());
    EXPECT_EQ(filtered.recordCount(), 1);
    QueryCursor summary(db());
    ASSERT_TRUE(summary.open(QStringLiteral("SELECT MAX(CatId) AS Mayor FROM CATEGORI")).ok());
    EXPECT_EQ(summary.integer(QStringLiteral("Mayor")), 3);
    EXPECT_EQ(summary.edit().number, DbErrorNumber::ReadOnly);

    QueryCursor broken(db());
    const DbError error = broken.open(QStringLiteral("SELECT * FROM NOEXISTE"));
    EXPECT_FALSE(error.ok());
    EXPECT_FALSE(error.driverText.isEmpty());
}

TEST_P(CursorTest, ACursorLeftOpenWhenItsConnectionClosesFailsCleanly)
{
    addCategories(1, 3);
    auto second = openSecond();
    TableCursor categories(*second);
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {2}).ok());
    ASSERT_TRUE(categories.edit().ok());
    second->close();

    EXPECT_FALSE(categories.seek(Comparison::Equal, {1}).ok());
    EXPECT_FALSE(categories.moveFirst().ok());
    // That its lock went with the connection: RecordLocksTest.ALockIsFreedWhenTheConnectionHoldingItCloses.
}

// A cursor reading through a table may keep its select open between moves;
// nothing else on its connection may then read or write an old snapshot.
TEST_P(CursorTest, AReaderStoppedHalfwayLeavesItsConnectionReadingAndWritingFreshData)
{
    addCategories(1, 40);
    // A writer that has already run its statements once.
    TableCursor writer(db());
    ASSERT_TRUE(writer.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(writer.seek(Comparison::Equal, {10}).ok());
    ASSERT_TRUE(writer.edit().ok());
    ASSERT_TRUE(writer.setValue(catDesc, QStringLiteral("Diez")).ok());
    ASSERT_TRUE(writer.update().ok());

    TableCursor reader(db());
    ASSERT_TRUE(reader.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
    ASSERT_TRUE(reader.moveFirst().ok());
    moveOnTo(reader, 2);

    auto second = openSecond();
    changeCategory(*second, 20, QStringLiteral("Cambiada por otro"));
    changeCategory(*second, 30, QStringLiteral("También cambiada"));

    // The writer reads the other workstation's change and writes over it.
    ASSERT_TRUE(writer.seek(Comparison::Equal, {20}).ok());
    EXPECT_EQ(writer.text(catDesc), QStringLiteral("Cambiada por otro"));
    ASSERT_TRUE(writer.edit().ok());
    ASSERT_TRUE(writer.setValue(catDesc, QStringLiteral("Escrita aquí")).ok());
    const DbError error = writer.update();
    ASSERT_TRUE(error.ok()) << qPrintable(error.fullText());

    // The reader goes on from where it stood and meets both changes.
    moveOnTo(reader, 20);
    EXPECT_EQ(reader.text(catDesc), QStringLiteral("Escrita aquí"));
    moveOnTo(reader, 30);
    EXPECT_EQ(reader.text(catDesc), QStringLiteral("También cambiada"));
}

TEST_P(CursorTest, AfterIdleWithFreeLocksAReaderSeesWhatOthersWroteSince)
{
    addCategories(1, 40);
    TableCursor reader(db());
    ASSERT_TRUE(reader.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
    ASSERT_TRUE(reader.seek(Comparison::GreaterOrEqual, {1}).ok());
    moveOnTo(reader, 2);

    auto second = openSecond();
    changeCategory(*second, 20, QStringLiteral("Cambiada por otro"));
    db().idleFreeLocks();

    moveOnTo(reader, 20);
    EXPECT_EQ(reader.text(catDesc), QStringLiteral("Cambiada por otro"));
}

/// The categories `cursor` passes from where it stands, moving forwards
/// (or backwards) to the end.
QList<int> categoriesPassed(TableCursor& cursor, bool backwards = false)
{
    QList<int> passed;
    while (backwards ? !cursor.atStart() : !cursor.atEnd()) {
        passed << static_cast<int>(cursor.integer(catId));
        const DbError error = backwards ? cursor.movePrevious() : cursor.moveNext();
        if (!error.ok()) {
            ADD_FAILURE() << qPrintable(error.fullText());
            break;
        }
    }
    return passed;
}

QList<int> categoryRange(int from, int to)
{
    QList<int> range;
    for (int id = from; from <= to ? id <= to : id >= to; id += from <= to ? 1 : -1)
        range << id;
    return range;
}

// A scan reads windows of rows on a server, larger as it goes on; across
// their ends, and at a table's end that falls on one, every record is met
// once and in order, both ways and from a seek.
TEST_P(CursorTest, AScanLongerThanItsWindowsMeetsEveryRecordOnceInOrder)
{
    addCategories(1, 128);
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
    ASSERT_TRUE(categories.moveFirst().ok());
    EXPECT_EQ(categoriesPassed(categories), categoryRange(1, 128));
    EXPECT_TRUE(categories.atEnd());
    EXPECT_EQ(categories.moveNext().number, DbErrorNumber::NoCurrentRecord);

    addCategories(129, 1000);
    ASSERT_TRUE(categories.moveFirst().ok());
    EXPECT_EQ(categoriesPassed(categories), categoryRange(1, 1000));
    ASSERT_TRUE(categories.moveLast().ok());
    EXPECT_EQ(categoriesPassed(categories, true), categoryRange(1000, 1));
    ASSERT_TRUE(categories.seek(Comparison::GreaterOrEqual, {300}).ok());
    EXPECT_EQ(categoriesPassed(categories), categoryRange(300, 1000));
    ASSERT_TRUE(categories.seek(Comparison::Less, {650}).ok());
    EXPECT_EQ(categoriesPassed(categories, true), categoryRange(649, 1));

    // A look-up, then moves on from the record found.
    ASSERT_TRUE(categories.seek(Comparison::Equal, {990}).ok());
    EXPECT_EQ(categoriesPassed(categories), categoryRange(990, 1000));
}

// A scan that the connection interrupts (another cursor's look-up and edit,
// the scanning cursor's own edit, a transaction) goes on from the record it
// stood on, and meets what was written ahead of it since.
TEST_P(CursorTest, AScanInterruptedOnItsConnectionGoesOnFromWhereItStood)
{
    addCategories(1, 300);
    TableCursor scan(db());
    ASSERT_TRUE(scan.open(QStringLiteral("CATEGORI")).ok());
    TableCursor other(db());
    ASSERT_TRUE(other.open(QStringLiteral("CATEGORI")).ok());

    QList<int> passed;
    QStringList descriptions;
    ASSERT_TRUE(scan.moveFirst().ok());
    while (!scan.atEnd() && passed.size() <= 300) {
        const int id = static_cast<int>(scan.integer(catId));
        passed << id;
        descriptions << scan.text(catDesc);
        if (id % 40 == 10) {
            // Ten records ahead, well inside the window read, changes under the scan.
            ASSERT_TRUE(other.seek(Comparison::Equal, {id + 10}).ok());
            ASSERT_TRUE(other.edit().ok());
            ASSERT_TRUE(db().beginTransaction().ok());
            ASSERT_TRUE(other.setValue(catDesc, QStringLiteral("Cambiada %1").arg(id + 10)).ok());
            ASSERT_TRUE(other.update().ok());
            ASSERT_TRUE(db().commit().ok());
            // And the scan writes the record it stands on.
            ASSERT_TRUE(scan.edit().ok());
            ASSERT_TRUE(scan.setValue(catDesc, QStringLiteral("Leída %1").arg(id)).ok());
            ASSERT_TRUE(scan.update().ok());
        }
        ASSERT_TRUE(scan.moveNext().ok());
    }
    EXPECT_EQ(passed, categoryRange(1, 300));
    for (int id = 20; id <= 300; id += 40)
        EXPECT_EQ(descriptions.value(id - 1), QStringLiteral("Cambiada %1").arg(id));
    ASSERT_TRUE(scan.seek(Comparison::Equal, {50}).ok());
    EXPECT_EQ(scan.text(catDesc), QStringLiteral("Leída 50"));
}

// A selection list filled while a cursor of the same connection stands in
// the middle of a scan lists what the table holds now, not what it held when
// the scan began.
TEST_P(CursorTest, ASelectionListFilledDuringAScanListsTheTableAsItIsNow)
{
    addCategories(1, 40);
    TableCursor reader(db());
    ASSERT_TRUE(reader.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
    ASSERT_TRUE(reader.moveFirst().ok());
    moveOnTo(reader, 5);

    auto second = openSecond();
    changeCategory(*second, 20, QStringLiteral("Cambiada por otro"));

    const QList<SelectionEntry> entries = KQDCJET(db(), QStringLiteral("CATEGORI"), catId, catDesc, catId);
    ASSERT_EQ(entries.size(), 40);
    EXPECT_EQ(entries.at(19), (SelectionEntry{QStringLiteral("20"), QStringLiteral("Cambiada por otro")}));
    moveOnTo(reader, 20);
    EXPECT_EQ(reader.text(catDesc), QStringLiteral("Cambiada por otro"));
}

TEST_P(CursorTest, ARecordAddedThroughAQueryCursorJoinsItsResult)
{
    addCategory(db(), 1, QStringLiteral("Uno"));
    QueryCursor query(db());
    ASSERT_TRUE(query.open(QStringLiteral("SELECT * FROM CATEGORI")).ok());
    ASSERT_TRUE(query.addNew().ok());
    query.setValue(catId, 2);
    query.setValue(catDesc, QStringLiteral("Dos"));
    ASSERT_TRUE(query.update().ok());
    EXPECT_EQ(query.recordCount(), 2);
    EXPECT_EQ(query.integer(catId), 1);
    ASSERT_TRUE(query.setBookmark(query.lastModified()).ok());
    EXPECT_EQ(query.text(catDesc), QStringLiteral("Dos"));
    ASSERT_TRUE(query.movePrevious().ok());
    EXPECT_EQ(query.integer(catId), 1);

    // A bookmark of a record deleted since is refused.
    const Bookmark second = query.lastModified();
    ASSERT_TRUE(db().execute(QStringLiteral("DELETE FROM CATEGORI WHERE CatId = 2")).ok());
    EXPECT_EQ(query.setBookmark(second).number, DbErrorNumber::NoCurrentRecord);
}

// A statement a cursor lets go of stays prepared for the next cursor of the
// connection that runs the same text; that must never show one cursor's rows
// or bound values to another, nor keep a closed connection's file open.
TEST_P(CursorTest, CursorsRunningTheSameStatementsOneAfterAnotherOrTogetherKeepTheirOwnRows)
{
    addCategories(1, 6);
    for (int id = 1; id <= 6; ++id) {
        TableCursor lookUp(db());
        ASSERT_TRUE(lookUp.open(QStringLiteral("CATEGORI"), Access::ReadOnly).ok());
        ASSERT_TRUE(lookUp.seek(Comparison::Equal, {id}).ok());
        EXPECT_EQ(lookUp.text(catDesc), QStringLiteral("Categoría %1").arg(id));
    }
    changeCategory(db(), 3, QStringLiteral("Cambiada"));
    TableCursor first(db());
    TableCursor second(db());
    ASSERT_TRUE(first.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(second.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(first.seek(Comparison::GreaterOrEqual, {2}).ok());
    ASSERT_TRUE(second.seek(Comparison::GreaterOrEqual, {5}).ok());
    ASSERT_TRUE(first.moveNext().ok());
    ASSERT_TRUE(second.moveNext().ok());
    EXPECT_EQ(first.integer(catId), 3);
    EXPECT_EQ(first.text(catDesc), QStringLiteral("Cambiada"));
    EXPECT_EQ(second.integer(catId), 6);
    ASSERT_TRUE(second.moveNext().ok());
    EXPECT_TRUE(second.atEnd());
    ASSERT_TRUE(first.moveNext().ok());
    EXPECT_EQ(first.integer(catId), 4);
}

TEST_P(CursorTest, ClosingAConnectionClosesItsFileWithTheStatementsKeptForReuse)
{
    if (backend() != Backend::Sqlite)
        GTEST_SKIP() << "a server keeps no file of the program open";
    addCategories(1, 3);
    {
        TableCursor categories(db());
        ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
        ASSERT_TRUE(categories.seek(Comparison::Equal, {2}).ok());
    }
    const auto descriptorsOnTheFile = [&] {
        int count = 0;
        const QString file = QFileInfo(databaseFile()).canonicalFilePath();
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QString& name : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            count += QFile::symLinkTarget(descriptors.filePath(name)) == file ? 1 : 0;
        return count;
    };
    EXPECT_GT(descriptorsOnTheFile(), 0);
    db().close();
    EXPECT_EQ(descriptorsOnTheFile(), 0);
    ASSERT_TRUE(db().open()) << qPrintable(db().errorText());
    TableCursor categories(db());
    ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {2}).ok());
    EXPECT_EQ(categories.text(catDesc), QStringLiteral("Categoría 2"));
}

INSTANTIATE_ON_EACH_BACKEND(CursorTest);
