// uordane-admin run as a script runs it, on a company folder or on the test
// server: the commands' output, exit statuses and effects.
#include "console_fixture.h"

#include <QFile>
#include <QSqlQuery>

namespace {

using AdminRun = AdminCommandRun;

class AdminCommandTest : public ConsoleTest {
protected:
    QStringList company() const { return adminCompany(); }

    /// uordane-admin `command` with `arguments` as given.
    AdminRun admin(const QString& command, const QStringList& arguments,
                   const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        return runAdminProcess(QStringList{command} + arguments, environment);
    }
};

// The refusals of an existing key and of a category in use, and the answers'
// order, are the in-process form tests' (form_script_test); here: exit
// statuses, who is audited, rights.
TEST_F(AdminCommandTest, FormAddsAndDeletesACategoryAsTheUserItIsToldAndOnlyWithTheRight)
{
    const QStringList tcategor = QStringList{"TCATEGOR"} + company();
    AdminRun run = admin("form", tcategor + QStringList{"--mode", "INS", "--key", "90", "--set", "CatDesc=Capataz"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(categoryDescription(90), "Capataz");
    EXPECT_EQ(auditTexts(), QStringList{"Agrega categorìa 90, descripción = Capataz"});
    ASSERT_FALSE(auditLines().isEmpty());
    EXPECT_EQ(auditLines().first().user.trimmed(), "ADMIN");

    run = admin("form", tcategor + QStringList{"--mode", "DLT", "--key", "90", "--answer", "si", "--usuario", "maria"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringList{"Pregunta: ¿Realmente desea eliminar estos datos?  => si"});
    EXPECT_EQ(categoryDescription(90), "<ninguna>");
    ASSERT_EQ(auditLines().size(), 2);
    EXPECT_EQ(auditLines().last().text, "Elimina categoría 90");
    EXPECT_EQ(auditLines().last().user.trimmed(), "MARIA");

    // A user without "M" at position 8 may look but not change.
    run = admin("form", tcategor + QStringList{"--key", "91", "--set", "CatDesc=X", "--permisos", "SSSSSSSNS"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringList{"Exclamación: No tiene permisos para ejecutar esta opción"});
    EXPECT_EQ(categoryDescription(91), "<ninguna>");
}

TEST_F(AdminCommandTest, PanelListsAndDeletesWithoutLeavingItsWorkDatabase)
{
    addCategory(1, "Peón");
    addCategory(2, "Oficial");
    AdminRun run = admin("panel", QStringList{"WCATEGOR"} + company()
                                      + QStringList{"--press", "Eliminar", "--row", "1", "--answer", "si"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 3);
    EXPECT_EQ(run.out.at(0), "Pregunta: ¿Realmente desea eliminar estos datos?  => si");
    EXPECT_EQ(run.out.at(2), "2\tOficial");
    EXPECT_EQ(categoryDescription(1), "<ninguna>");
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
}

TEST_F(AdminCommandTest, AuditUsersAndListingOpenTheCompanyTheSameWay)
{
    addCategory(7, "Capataces");
    ASSERT_EQ(admin("form", QStringList{"TCATEGOR"} + company() + QStringList{"--key", "8", "--set", "CatDesc=Peones"})
                  .status,
              0);

    AdminRun run = admin("audit", company() + QStringList{"--last", "1"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 2);
    EXPECT_TRUE(run.out.at(1).contains("ADMIN")) << run.out.at(1).toStdString();
    EXPECT_TRUE(run.out.at(1).endsWith("Agrega categorìa 8, descripción = Peones"));

    run = admin("users", company());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 2);
    EXPECT_TRUE(run.out.at(1).startsWith("ADMIN")) << run.out.at(1).toStdString();

    // The listing needs no display: not even with a session that names a
    // platform it cannot reach.
    const QString pdf = folder.file("categorias.pdf");
    run = admin("listing", QStringList{"RCATEGOR"} + company() + QStringList{"--pdf", pdf},
                [](QProcessEnvironment& variables) {
                    variables.remove("DISPLAY");
                    variables.remove("WAYLAND_DISPLAY");
                    variables.remove("XDG_RUNTIME_DIR");
                    variables.insert("QT_QPA_PLATFORM", "xcb");
                });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
}

TEST_F(AdminCommandTest, WrongUsageAndACompanyThatCannotBeOpenedExitWithTwo)
{
    const QStringList tcategor = QStringList{"TCATEGOR"} + company();
    const struct {
        QString command;
        QStringList arguments;
        QString error;
    } cases[] = {
        {"form", {"TCATEGOR"}, "Falta la carpeta de datos"},
        {"audit", {folder.file("no-existe")}, "No existe la base de datos"},
        {"users", {"--server", "127.0.0.1:1", "--database", "nada"}, "No puede conectar con la base de datos"},
        {"form", tcategor + QStringList{"--set", "CatNada=1"}, "El formulario TCATEGOR no tiene el campo CatNada"},
        {"form", tcategor + QStringList{"--answer", "tal vez"}, ""},
    };
    for (const auto& usage : cases) {
        SCOPED_TRACE(usage.arguments.join(' ').toStdString());
        const AdminRun run = admin(usage.command, usage.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(usage.error)) << run.err.toStdString();
    }
    EXPECT_EQ(countRows("CATEGORI"), 0);
}

TEST_F(AdminCommandTest, AUruguayanWorkstationShowsAndTakesDecimalCommas)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, "AUMENTO",
                          {{"AumId", 5}, {"AumDesc", "Convenio"}}, &error))
        << error.toStdString();
    ASSERT_TRUE(insertRow(*database, "AUMENTO1",
                          {{"AumId", 5},
                           {"AumFch", QDate(2026, 3, 1)},
                           {"AumPor", 2.5}},
                          &error))
        << error.toStdString();
    auto locale = [](const char* name) {
        return [name](QProcessEnvironment& variables) { variables.insert("LC_ALL", name); };
    };
    const QStringList display = QStringList{"TTABAUME"} + company() + QStringList{"--mode", "DSP", "--key", "5"};

    AdminRun run = admin("form", display, locale("es_UY.UTF-8"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("1:AumPor\t2,500000")) << run.out.join('|').toStdString();
    run = admin("form", display, locale("C.UTF-8"));
    EXPECT_TRUE(run.out.contains("1:AumPor\t2.500000")) << run.out.join('|').toStdString();

    run = admin("form", QStringList{"TTABAUME"} + company()
                            + QStringList{"--mode", "UPD", "--key", "5", "--row", "1:AumPor=3,25"},
                locale("es_UY.UTF-8"));
    EXPECT_EQ(run.status, 0) << run.out.join('|').toStdString() << run.err.toStdString();
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql("SELECT AumPor FROM AUMENTO1 WHERE AumId = 5")));
    ASSERT_TRUE(query.next());
    EXPECT_DOUBLE_EQ(query.value(0).toDouble(), 3.25);
}

TEST_F(AdminCommandTest, HolidaysGeneratesListsAndDeletesTheYearsOfACalendar)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, "CALFER", {{"CalFerId", "NA"}, {"CalFerDsc", "Feriados nacionales"}}, &error));
    AdminRun run = admin("holidays", company() + QStringList{"NA", "--add", "2025", "2025", "--weekdays", "sa",
                                                             "--movable"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Se han agregado los feriados")) << run.err.toStdString();

    run = admin("holidays", company() + QStringList{"NA", "--list", "2025"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // 52 Saturdays, the 8 fixed days and the 10 movable holidays, one of
    // them (19 April) on a Saturday.
    EXPECT_EQ(run.out.size(), 52 + 8 + 10 - 1);
    ASSERT_GE(run.out.size(), 4);
    EXPECT_EQ(run.out.mid(0, 4), (QStringList{"01/01/2025\tMiércoles\tAño Nuevo",
                                              "04/01/2025\tSábado\t",
                                              "06/01/2025\tLunes\tDía de Reyes",
                                              "11/01/2025\tSábado\t"}));
    EXPECT_TRUE(run.out.contains("03/03/2025\tLunes\tCarnaval"));
    EXPECT_TRUE(run.out.contains("19/04/2025\tSábado\tDesembarco de los 33"));

    run = admin("holidays", company() + QStringList{"NA", "--delete", "2025", "2025"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(countRows("CALFER1"), 0);

    run = admin("holidays", company() + QStringList{"XX", "--list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("No existe el calendario XX"));

    // A calendar added by form, its key typed as text; the range panel it
    // opens has no window on the console.
    run = admin("form", QStringList{"TCALFER"} + company()
                            + QStringList{"--mode", "INS", "--key", "CO", "--set", "CalFerDsc=Construcción"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString() << run.out.join(u'|').toStdString();
    EXPECT_EQ(auditTexts(), QStringList{"Agrega calendario CO, descripción = Construcción"});

    run = admin("holidays", company() + QStringList{"NA", "--add", "2026", "2025"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(countRows("CALFER1"), 0);
}

}  // namespace
