// The demo company: it loads into a new database, fills every organisation
// table, and its employees reference the codes that the reference checks
// before a delete look for.
#include "data/database.h"
#include "data/database_setup.h"
#include "data/demo_company.h"
#include "data/schema.h"
#include "temp_folder.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

qlonglong count(Database& database, const QString& sql)
{
    QSqlQuery query(database.connection());
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    return query.next() ? query.value(0).toLongLong() : -1;
}

class DemoCompany : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(createDatabaseFile(folder_.path(), true, &error)) << error.toStdString();
        ASSERT_TRUE(database_.open()) << database_.errorText().toStdString();
    }

    TempFolder folder_;
    Database database_{DatabaseLocation::sqliteFile(folder_.file("KQ_DATA.MDB"))};
};

TEST_F(DemoCompany, FillsEveryOrganisationTableAndNamesTheCompany)
{
    for (const char* table : {"CATEGORI", "CARGOS", "CENTROCO", "HORARIOS", "LUGARTRA", "LUGARCOB",
                              "LOCALES", "OBRAS", "BANCOSTR", "BILLETES", "FICCOD", "RUBROS",
                              "REFAUXIL", "DIASLICE", "DIASLIC1", "AUMENTO", "AUMENTO1", "CALFER",
                              "CALFER1", "FUNCIONA", "CARGOSFU", "MOVIMIEN", "HISTORIA"}) {
        EXPECT_GT(count(database_, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)), 0) << table;
    }
    QSqlQuery company(database_.connection());
    ASSERT_TRUE(company.exec("SELECT \"CfEmpresa\" FROM \"CONFIGUR\" WHERE \"CfId\" = 0"));
    ASSERT_TRUE(company.next());
    EXPECT_EQ(company.value(0).toString(), QString::fromUtf8(demoCompanyName));
    // The fixed rows stay as createDatabase wrote them.
    EXPECT_EQ(count(database_, "SELECT COUNT(*) FROM \"CONFIGUR\""), 1);
    EXPECT_EQ(count(database_, "SELECT COUNT(*) FROM \"TIPLIQUI\" WHERE \"TLId\" IN ('X', 'T')"), 2);
}

TEST_F(DemoCompany, EveryCodeTheEmployeesUseExists)
{
    // Each pair: a reference column and the key it must find. A reference to
    // a missing code would make the reference checks and listings lie.
    const QList<std::pair<QString, QString>> references{
        {"CARGOSFU.FunCatId", "CATEGORI.CatId"},   {"CARGOSFU.FunCarId", "CARGOS.CarId"},
        {"CARGOSFU.FunTraId", "LUGARTRA.TraId"},   {"CARGOSFU.DiLId", "DIASLICE.DiLId"},
        {"CARGOSFU.AumId", "AUMENTO.AumId"},       {"CARGOSFU.CalFerId", "CALFER.CalFerId"},
        {"CARGOSCC.FunCCId", "CENTROCO.CCId"},     {"FUNCIONA.FunHorId", "HORARIOS.HorId"},
        {"FUNCIONA.FunCobId", "LUGARCOB.CobId"},   {"FUNCIONA.FunLocId", "LOCALES.LocId"},
        {"MOVIMIEN.ConId", "CONCEPT.ConId"},       {"MOVIMIEN.MovCCId", "CENTROCO.CCId"},
        {"MOVIMIEN.MovCarId", "CARGOS.CarId"},     {"MOVIMIEN.MovTLId", "TIPLIQUI.TLId"},
        {"HISTORIA.HConId", "CONCEPT.ConId"},      {"HISTORIA.MovCCId", "CENTROCO.CCId"},
        {"HISTORIA.HCobId", "LUGARCOB.CobId"},     {"FICHA.FicCod", "FICCOD.FicCod"},
        {"CRONOGRA.CroCCId", "CENTROCO.CCId"},     {"REMUNERA.RemLocId", "LOCALES.LocId"},
        {"OBRAS.ObrId", "CENTROCO.CCId"},          {"CARGOSFU.FunId", "FUNCIONA.FunId"},
        {"FUNATRVA.FunAId", "FUNATRIB.FunAId"},    {"GRUPOSHO.GHCalFerId", "CALFER.CalFerId"},
        {"BASICOS1.BasId", "BASICOS.BasId"},       {"BASICOS1.CCId", "CENTROCO.CCId"},
        {"BASICOS1.RefAuxId", "REFAUXIL.RefAuxId"}, {"ASIENTO1.RubId", "RUBROS.RubId"},
        {"ASIENTO1.CCId", "CENTROCO.CCId"},        {"ASIENT4.ConId", "CONCEPT.ConId"},
    };
    for (const auto& [from, to] : references) {
        const QStringList source = from.split('.');
        const QStringList target = to.split('.');
        // A number 0 names nothing (an entry's calculation without a
        // concept), as an empty text does.
        const FieldDef* field = Schema::table(source[0])->field(source[1]);
        const QString none = field && field->type != FieldType::Text && field->type != FieldType::Memo
                                 ? QStringLiteral("0")
                                 : QStringLiteral("''");
        const QString orphans = QStringLiteral(
            "SELECT COUNT(*) FROM \"%1\" s WHERE s.\"%2\" IS NOT NULL AND s.\"%2\" <> %5 "
            "AND NOT EXISTS (SELECT 1 FROM \"%3\" t WHERE t.\"%4\" = s.\"%2\")")
            .arg(source[0], source[1], target[0], target[1], none);
        EXPECT_EQ(count(database_, orphans), 0) << from.toStdString() << " -> " << to.toStdString();
        // And the reference is used at all, so the check has something to find.
        EXPECT_GT(count(database_, QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE \"%2\" IS NOT NULL")
                                       .arg(source[0], source[1])), 0) << from.toStdString();
    }
}

TEST_F(DemoCompany, EveryTextFitsItsField)
{
    // PostgreSQL refuses a text longer than its column and the forms cut it:
    // the demo must stay within the sizes of the schema.
    for (const TableDef& table : Schema::tables()) {
        for (const FieldDef& field : table.fields) {
            if (field.type != FieldType::Text || field.size <= 0)
                continue;
            const qlonglong longest = count(database_, QStringLiteral("SELECT COALESCE(MAX(LENGTH(\"%1\")), 0) FROM \"%2\"")
                                                           .arg(field.name, table.name));
            EXPECT_LE(longest, field.size) << table.name.toStdString() << "." << field.name.toStdString();
        }
    }
}

TEST(DemoCompanyLoad, AFailedLoadWritesNothing)
{
    TempFolder folder;
    Database database(DatabaseLocation::sqliteFile(folder.file("KQ_DATA.MDB")));
    ASSERT_TRUE(database.open(Database::OpenMode::CreateIfMissing));
    QString error;
    ASSERT_TRUE(createDatabase(database, &error)) << error.toStdString();
    // A category that the demo also adds makes its unique key refuse the load
    // part-way through.
    ASSERT_TRUE(insertRow(database, "CATEGORI", {{"CatId", 3}, {"CatDesc", "Propia"}}, &error));

    EXPECT_FALSE(loadDemoCompany(database, &error));
    EXPECT_TRUE(error.contains("CATEGORI")) << error.toStdString();
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM \"CATEGORI\""), 1);
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM \"CARGOS\""), 0);
    QSqlQuery company(database.connection());
    ASSERT_TRUE(company.exec("SELECT \"CfEmpresa\" FROM \"CONFIGUR\""));
    ASSERT_TRUE(company.next());
    EXPECT_NE(company.value(0).toString(), QString::fromUtf8(demoCompanyName));
}

}  // namespace
