// Text that looks like SQL is data like any other: quotes, semicolons,
// comment markers and keywords typed into any free-text field of any
// organisation table are stored and shown exactly as typed, and the tables
// are still there afterwards.
#include "engine_fixture.h"

#include "data/cursor.h"
#include "data/schema.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"

namespace {

const QString hostile = QStringLiteral("O'Brien\"; DROP TABLE CATEGORI; -- /* x */ ' OR '1'='1 %_[a] \\");

/// A key value of `field`'s type that no demo row uses; a text key fits the
/// field, so that what is stored is what is sought.
QVariant freshKey(const FieldDef& field, int serial)
{
    switch (field.type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::YesNo:
        return 90 + serial;
    case FieldType::Date:
        return QDateTime(QDate(2031, 1, 1).addDays(serial), QTime(0, 0));
    case FieldType::Text:
    case FieldType::Memo:
        // A short key in digits: the letters of the fixed rows (liquidation
        // types "X" and "T") stay free.
        if (field.size > 0 && field.size < 4)
            return QString::number(serial).right(field.size);
        return QStringLiteral("Q%1").arg(serial);
    }
    return serial;
}

QString fitted(const FieldDef& field)
{
    return field.size > 0 ? hostile.left(field.size) : hostile;
}

class SqlSafetyTest : public EngineTest {};

}  // namespace

TEST_F(SqlSafetyTest, EveryFreeTextFieldStoresAndShowsWhatWasTyped)
{
    int serial = 0;
    int checkedFields = 0;
    for (const QString& name : ObjectRegistry::names()) {
        const TransactionDecl* declaration = ObjectRegistry::transaction(name);
        if (!declaration)
            continue;
        const TableDef* table = Schema::table(declaration->table);
        ASSERT_NE(table, nullptr) << name.toStdString();
        QList<int> keyPositions;
        for (int index = 0; index < declaration->fields.size(); ++index) {
            if (declaration->fields[index].kind == FieldKind::Key)
                keyPositions << index + 1;
        }
        for (int position = 1; position <= declaration->fields.size(); ++position) {
            const FieldDecl& field = declaration->fields[position - 1];
            const FieldDef* stored = table->field(field.name);
            if (field.kind != FieldKind::Text || !stored || stored->type != FieldType::Text)
                continue;
            ++serial;
            QVariantList key;
            TableCursor cursor(*database);
            ASSERT_FALSE(cursor.open(declaration->table)) << name.toStdString();
            cursor.addNew();
            for (int keyPosition : keyPositions) {
                const FieldDef* keyField = table->field(declaration->fields[keyPosition - 1].name);
                key << freshKey(*keyField, serial);
                cursor.setValue(keyField->name, key.last());
            }
            const QString typed = fitted(*stored);
            ASSERT_FALSE(cursor.setValue(field.name, typed)) << name.toStdString();
            ASSERT_FALSE(cursor.update()) << name.toStdString() << " " << field.name.toStdString();

            // Stored as typed: read back through the primary index.
            TableCursor reader(*database);
            reader.open(declaration->table, Access::ReadOnly);
            reader.seek(Comparison::Equal, key);
            ASSERT_FALSE(reader.noMatch()) << name.toStdString();
            EXPECT_EQ(reader.text(field.name), typed) << name.toStdString() << " " << field.name.toStdString();
            ++checkedFields;

            // Shown as typed by the form, where the field has no mask that
            // changes letters on purpose.
            if (keyPositions.size() != 1 || !field.picture.isEmpty())
                continue;
            Transaction form(*declaration, *database, ui);
            form.start(key.first().toString(), "DSP");
            EXPECT_EQ(form.text(position), typed) << name.toStdString() << " " << field.name.toStdString();
            form.close();
        }
    }
    EXPECT_GT(checkedFields, 20);
    EXPECT_GE(countRows("CATEGORI"), 0);  // the table is still there
}

TEST_F(SqlSafetyTest, ACategoryTypedWithSqlInItsDescriptionIsWrittenAndAuditedAsTyped)
{
    const TransactionDecl* declaration = ObjectRegistry::transaction("TCATEGOR");
    ASSERT_NE(declaration, nullptr);
    Transaction form(*declaration, *database, ui);
    form.start("0", "INS");
    ASSERT_TRUE(form.setText(1, "42"));
    form.focusEntered(2);
    ASSERT_TRUE(form.setText(2, hostile.left(30)));
    ASSERT_TRUE(form.confirm()) << ui.texts().join(" | ").toStdString();
    EXPECT_EQ(categoryDescription(42), hostile.left(30).trimmed());
    EXPECT_EQ(auditTexts(), QStringList{"Agrega categorìa 42, descripción = " + hostile.left(30).trimmed()});
}
