// TLOCAL: notices that never stop a confirm, the code lists of the
// installation, and the audit sentence; the code-list files shipped with
// the program.
#include "engine/transaction.h"
#include "tables/code_lists.h"
#include "tables/locales.h"
#include "tables/works.h"

#include "organisation_tables_fixture.h"

#include <QDir>
#include <QSet>

namespace {

using Kind = ScriptedUi::Shown::Kind;

class LocalesTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        useCodeLists();
    }

    void type(Transaction& form, const QString& field, const QString& text)
    {
        const int position = form.position(field);
        ASSERT_GT(position, 0) << field.toStdString();
        ASSERT_TRUE(form.setText(position, text)) << field.toStdString();
    }

    /// A new locale 7 with its description typed.
    std::unique_ptr<Transaction> newLocale()
    {
        auto form = open(TLOCAL(), QStringLiteral("0"), QStringLiteral("INS"));
        type(*form, QStringLiteral("LocId"), QStringLiteral("7"));
        EXPECT_TRUE(form->focusEntered(2));
        type(*form, QStringLiteral("LocDesc"), QStringLiteral("Ruta 8 km 28"));
        return form;
    }

    QString storedText(const QString& field)
    {
        QSqlQuery query(database->connection());
        if (!query.exec(sql(QStringLiteral("SELECT ") + field + QStringLiteral(" FROM LOCALES WHERE LocId = 7")))
            || !query.next())
            return QStringLiteral("<ninguno>");
        return query.value(0).toString();
    }
};

// A delete checks no field: a locale the checks of today refuse (no
// description, a department that is not in the list) still goes, and the
// person sees only the question, none of the notices.
TEST_F(LocalesTest, ALocaleTheChecksRefuseIsDeletedAfterTheQuestionAlone)
{
    addRow(QStringLiteral("LOCALES"), {{QStringLiteral("LocId"), 7}, {QStringLiteral("LocDesc"), QString()},
                                       {QStringLiteral("LocDeparta"), QStringLiteral("Atlántida")}});
    ui.answer(true);
    auto form = open(TLOCAL(), QStringLiteral("7"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(countRows(QStringLiteral("LOCALES")), 0);
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina local 7")});
}

TEST_F(LocalesTest, MissingMinistryNumberGroupAndSubgroupAreNoticesAndTheLocaleIsSaved)
{
    auto form = newLocale();
    type(*form, QStringLiteral("LocDeparta"), QStringLiteral("Canelones"));
    type(*form, QStringLiteral("LocLocalid"), QStringLiteral("Pando"));
    ASSERT_TRUE(form->confirm());

    const QStringList notices = {QStringLiteral("Aviso: No ingresó el Nº MTSS."),
                                 QStringLiteral("Aviso: No ingresó el Grupo."),
                                 QStringLiteral("Aviso: No ingresó el SubGrupo")};
    EXPECT_EQ(ui.texts(), notices);
    EXPECT_EQ(ui.messages(MessageIcon::Information), notices);
    EXPECT_EQ(storedText(QStringLiteral("LocDesc")), QStringLiteral("Ruta 8 km 28"));
    EXPECT_EQ(storedText(QStringLiteral("LocLocalid")), QStringLiteral("Pando"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega local 7 Descripción/dirección = Ruta 8 km 28, "
                                                       "departamento = Canelones, localidad = Pando")});
}

TEST_F(LocalesTest, DepartmentAndLocalityMustBeInTheListsAndTogether)
{
    auto form = newLocale();
    type(*form, QStringLiteral("LocPlaTrab"), QStringLiteral("123457"));
    type(*form, QStringLiteral("LocDeparta"), QStringLiteral("Buenos Aires"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Departamento incorrecto")});
    EXPECT_EQ(form->takeFocusRequest(), form->position(QStringLiteral("LocDeparta")));

    // Pando is in the list, but not in Montevideo.
    ui.clear();
    type(*form, QStringLiteral("LocDeparta"), QStringLiteral("montevideo"));
    type(*form, QStringLiteral("LocLocalid"), QStringLiteral("Pando"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Localidad incorrecta")});
    EXPECT_EQ(storedText(QStringLiteral("LocDesc")), QStringLiteral("<ninguno>"));

    // Without the list file no department can be checked, and none is taken.
    form->close();
    QDir(codeLists.path()).remove(QStringLiteral("deptos.txt"));
    form = newLocale();
    type(*form, QStringLiteral("LocPlaTrab"), QStringLiteral("123457"));
    type(*form, QStringLiteral("LocDeparta"), QStringLiteral("Canelones"));
    ui.clear();
    EXPECT_FALSE(form->confirm());
    ASSERT_EQ(ui.messages(MessageIcon::Exclamation).size(), 1);
    EXPECT_TRUE(ui.messages(MessageIcon::Exclamation).first().startsWith(
        QStringLiteral("No se puede leer el archivo deptos.txt")));
    EXPECT_EQ(countRows(QStringLiteral("LOCALES")), 0);
}

TEST_F(LocalesTest, ActivityDatesAreCheckedAndTheAuditNamesGroupsWithTheirNamesAndDatesShort)
{
    auto form = newLocale();
    QString error;
    EXPECT_FALSE(form->setText(form->position(QStringLiteral("LocFchInic")), QStringLiteral("30/02/2020"), &error));
    EXPECT_EQ(error, QStringLiteral("Fecha inválida"));
    EXPECT_EQ(form->text(form->position(QStringLiteral("LocFchInic"))), QString());

    type(*form, QStringLiteral("LocPlaTrab"), QStringLiteral("123457"));
    type(*form, QStringLiteral("GruCod"), QStringLiteral("09"));
    type(*form, QStringLiteral("SubgruCod"), QStringLiteral("01"));
    type(*form, QStringLiteral("LocFchInic"), QStringLiteral("16/08/2010"));
    // A closing before the start is refused; on the start day it is taken.
    type(*form, QStringLiteral("LocFchCier"), QStringLiteral("15/08/2010"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Fecha inválida")});
    EXPECT_EQ(form->takeFocusRequest(), form->position(QStringLiteral("LocFchCier")));
    type(*form, QStringLiteral("LocFchCier"), QStringLiteral("16/08/2010"));
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(ui.texts().isEmpty());
    EXPECT_EQ(auditEntries().last(),
              QStringLiteral("Agrega local 7 Descripción/dirección = Ruta 8 km 28, nro. MTSS = 123457, "
                             "grupo = 09 - Industria de la construcción, subgrupo = 01 - Construcción, "
                             "fecha inicio actividad = 16/08/10, fecha cierre actividad = 16/08/10"));

    auto change = open(TLOCAL(), QStringLiteral("7"), QStringLiteral("UPD"));
    EXPECT_EQ(change->text(change->position(QStringLiteral("LocFchInic"))), QStringLiteral("16/08/2010"));
    type(*change, QStringLiteral("LocDesc"), QStringLiteral("Ruta 8 km 29"));
    type(*change, QStringLiteral("LocFchCier"), QStringLiteral("31/12/2025"));
    ASSERT_TRUE(change->confirm());
    EXPECT_EQ(auditEntries().last(), QStringLiteral("Modifica local 7, descripción/dirección = Ruta 8 km 29, "
                                                  "fecha cierre actividad = 31/12/25"));
    EXPECT_EQ(storedText(QStringLiteral("GruCod")), QStringLiteral("09"));
}

TEST(CodeListFiles, ListTheDepartmentsLocalitiesGroupsAndSubgroupsOfUruguay)
{
    CodeLists::setFolder(QStringLiteral(UORDANE_SOURCE_DIR "/data"));
    const CodeList departments = PLEEDEPT();
    const CodeList localities = PLEELOCA();
    const CodeList groups = PLEEGRUP();
    const CodeList subgroups = PLEESUBG();
    CodeLists::setFolder(QString());
    ASSERT_TRUE(departments.ok()) << departments.error.toStdString();
    ASSERT_TRUE(localities.ok()) << localities.error.toStdString();
    ASSERT_TRUE(groups.ok()) << groups.error.toStdString();
    ASSERT_TRUE(subgroups.ok()) << subgroups.error.toStdString();

    // The same departments as the works form offers.
    QStringList names;
    for (const CodeListEntry& entry : departments.entries)
        names << entry.name;
    EXPECT_EQ(names, uruguayanDepartments());

    // Every department has localities, and every locality a known department.
    QSet<QString> withLocalities;
    for (const CodeListEntry& entry : localities.entries) {
        EXPECT_TRUE(CodeLists::containsName(departments, entry.parent)) << entry.parent.toStdString();
        withLocalities.insert(entry.parent);
    }
    EXPECT_EQ(withLocalities.size(), 19);
    EXPECT_TRUE(CodeLists::containsName(localities, QStringLiteral("Pando"), QStringLiteral("Canelones")));

    EXPECT_EQ(groups.entries.size(), 24);
    EXPECT_EQ(CodeLists::nameOf(groups, QStringLiteral("09")).left(26), QStringLiteral("Industria de la construcci"));
    for (const CodeListEntry& entry : subgroups.entries)
        EXPECT_FALSE(CodeLists::nameOf(groups, entry.parent).isEmpty()) << entry.parent.toStdString();
    EXPECT_FALSE(CodeLists::nameOf(subgroups, QStringLiteral("01"), QStringLiteral("09")).isEmpty());
}

TEST(CodeListFiles, ALineWithoutItsPartsIsReportedWithItsNumber)
{
    TempFolder folder;
    folder.write(QStringLiteral("grupo.txt"), "01;Alimentos\n\n02 Frigoríficos\n");
    CodeLists::setFolder(folder.path());
    const CodeList groups = PLEEGRUP();
    CodeLists::setFolder(QString());
    EXPECT_EQ(groups.error, QStringLiteral("El archivo grupo.txt tiene una línea inválida (3)"));
    EXPECT_TRUE(groups.entries.isEmpty());
}

}  // namespace
