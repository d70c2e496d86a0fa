// uordane-admin run as a script runs it, on a company folder or on the test
// server: the commands' output, exit statuses and effects.
#include "console_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

namespace {

struct AdminRun {
    int status = -1;
    QStringList out;  ///< standard output, one entry per line
    QString err;
};

class AdminCommandTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(folder.file("tmp")));
    }

    /// The options that name the test's company.
    QStringList company() const
    {
        if (backend() != Backend::Postgres)
            return {folder.path()};
        const DatabaseLocation where = location();
        const QString server = where.port > 0 ? where.server + u':' + QString::number(where.port) : where.server;
        QStringList options{"--server", server, "--database", where.database};
        if (!where.user.isEmpty())
            options << "--user" << where.user;
        return options;
    }

    /// uordane-admin `command` with `arguments`, its temporary folder the
    /// test's own; `environment` changes the rest of its environment.
    AdminRun admin(const QString& command, const QStringList& arguments,
                   const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("TEMP", folder.file("tmp"));
        variables.insert("TMP", folder.file("tmp"));
        if (environment)
            environment(variables);
        process.setProcessEnvironment(variables);
        process.start(QStringLiteral(UORDANE_ADMIN_PATH), QStringList{command} + arguments);
        AdminRun run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "uordane-admin did not finish: " << process.errorString().toStdString();
            process.kill();
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QStringList leftInTemp() const
    {
        return QDir(folder.file("tmp")).entryList(QDir::Files | QDir::Hidden);
    }
};

TEST_F(AdminCommandTest, FormAddsRefusesAnExistingKeyAndDeletesOnlyAFreeCategory)
{
    AdminRun run = admin("form", QStringList{"TCATEGOR"} + company()
                                     + QStringList{"--mode", "INS", "--key", "90", "--set", "CatDesc=Capataz"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(categoryDescription(90), QStringLiteral("Capataz"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega categorìa 90, descripción = Capataz")});
    ASSERT_FALSE(auditLines().isEmpty());
    EXPECT_EQ(auditLines().first().user.trimmed(), QStringLiteral("ADMIN"));

    run = admin("form", QStringList{"TCATEGOR"} + company()
                            + QStringList{"--mode", "INS", "--key", "90", "--set", "CatDesc=Otra"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringList{QStringLiteral("Exclamación: Ya existe el registro")});

    addCategory(3, QStringLiteral("Peón"));
    addEmployeeWithCategory(100, 3);
    run = admin("form", QStringList{"TCATEGOR"} + company() + QStringList{"--mode", "DLT", "--key", "3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringList{QStringLiteral(
                           "Exclamación: Eliminación inválida, hay información en \"CargosFuncionario\".")});

    run = admin("form", QStringList{"TCATEGOR"} + company()
                            + QStringList{"--mode", "DLT", "--key", "90", "--answer", "si", "--usuario", "maria"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringList{QStringLiteral("Pregunta: ¿Realmente desea eliminar estos datos?  => si")});
    EXPECT_EQ(categoryDescription(90), QStringLiteral("<ninguna>"));
    ASSERT_EQ(auditLines().size(), 2);
    EXPECT_EQ(auditLines().last().text, QStringLiteral("Elimina categoría 90"));
    EXPECT_EQ(auditLines().last().user.trimmed(), QStringLiteral("MARIA"));

    // A user without "M" at position 8 may look but not change.
    run = admin("form", QStringList{"TCATEGOR"} + company()
                            + QStringList{"--key", "91", "--set", "CatDesc=X", "--permisos", "SSSSSSSNS"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringList{QStringLiteral("Exclamación: No tiene permisos para ejecutar esta opción")});
    EXPECT_EQ(categoryDescription(91), QStringLiteral("<ninguna>"));
}

TEST_F(AdminCommandTest, PanelListsAndDeletesWithoutLeavingItsWorkDatabase)
{
    addCategory(1, QStringLiteral("Peón"));
    addCategory(2, QStringLiteral("Oficial"));
    AdminRun run = admin("panel", QStringList{"WCATEGOR"} + company()
                                      + QStringList{"--press", "Eliminar", "--row", "1", "--answer", "si"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 3);
    EXPECT_EQ(run.out.at(0), QStringLiteral("Pregunta: ¿Realmente desea eliminar estos datos?  => si"));
    EXPECT_EQ(run.out.at(2), QStringLiteral("2\tOficial"));
    EXPECT_EQ(categoryDescription(1), QStringLiteral("<ninguna>"));
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
}

TEST_F(AdminCommandTest, AuditUsersAndListingOpenTheCompanyTheSameWay)
{
    addCategory(7, QStringLiteral("Capataces"));
    ASSERT_EQ(admin("form", QStringList{"TCATEGOR"} + company() + QStringList{"--key", "8", "--set", "CatDesc=Peones"})
                  .status,
              0);

    AdminRun run = admin("audit", company() + QStringList{"--last", "1"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 2);
    EXPECT_TRUE(run.out.at(1).contains(QStringLiteral("ADMIN"))) << run.out.at(1).toStdString();
    EXPECT_TRUE(run.out.at(1).endsWith(QStringLiteral("Agrega categorìa 8, descripción = Peones")));

    run = admin("users", company());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 2);
    EXPECT_TRUE(run.out.at(1).startsWith(QStringLiteral("ADMIN"))) << run.out.at(1).toStdString();

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
    AdminRun run = admin("form", {"TCATEGOR"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Falta la carpeta de datos"))) << run.err.toStdString();

    run = admin("audit", {folder.file("no-existe")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No existe la base de datos"))) << run.err.toStdString();

    run = admin("users", {"--server", "127.0.0.1:1", "--database", "nada"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No puede conectar con la base de datos"))) << run.err.toStdString();

    run = admin("form", QStringList{"TCATEGOR"} + company() + QStringList{"--set", "CatNada=1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("El formulario TCATEGOR no tiene el campo CatNada")));

    run = admin("form", QStringList{"TCATEGOR"} + company() + QStringList{"--answer", "tal vez"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI")), 0);
}

}  // namespace

namespace {

TEST_F(AdminCommandTest, AUruguayanWorkstationShowsAndTakesDecimalCommas)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, QStringLiteral("AUMENTO"),
                          {{QStringLiteral("AumId"), 5}, {QStringLiteral("AumDesc"), QStringLiteral("Convenio")}}, &error))
        << error.toStdString();
    ASSERT_TRUE(insertRow(*database, QStringLiteral("AUMENTO1"),
                          {{QStringLiteral("AumId"), 5},
                           {QStringLiteral("AumFch"), QDate(2026, 3, 1)},
                           {QStringLiteral("AumPor"), 2.5}},
                          &error))
        << error.toStdString();
    auto locale = [](const char* name) {
        return [name](QProcessEnvironment& variables) { variables.insert("LC_ALL", name); };
    };
    const QStringList display = QStringList{"TTABAUME"} + company() + QStringList{"--mode", "DSP", "--key", "5"};

    AdminRun run = admin("form", display, locale("es_UY.UTF-8"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("1:AumPor\t2,500000"))) << run.out.join('|').toStdString();
    run = admin("form", display, locale("C.UTF-8"));
    EXPECT_TRUE(run.out.contains(QStringLiteral("1:AumPor\t2.500000"))) << run.out.join('|').toStdString();

    run = admin("form", QStringList{"TTABAUME"} + company()
                            + QStringList{"--mode", "UPD", "--key", "5", "--row", "1:AumPor=3,25"},
                locale("es_UY.UTF-8"));
    EXPECT_EQ(run.status, 0) << run.out.join('|').toStdString() << run.err.toStdString();
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(QStringLiteral("SELECT AumPor FROM AUMENTO1 WHERE AumId = 5"))));
    ASSERT_TRUE(query.next());
    EXPECT_DOUBLE_EQ(query.value(0).toDouble(), 3.25);
}

TEST_F(AdminCommandTest, HolidaysGeneratesListsAndDeletesTheYearsOfACalendar)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, QStringLiteral("CALFER"),
                          {{QStringLiteral("CalFerId"), QStringLiteral("NA")},
                           {QStringLiteral("CalFerDsc"), QStringLiteral("Feriados nacionales")}},
                          &error));
    AdminRun run = admin("holidays", company() + QStringList{"NA", "--add", "2025", "2025", "--weekdays", "sa",
                                                             "--movable"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Se han agregado los feriados"))) << run.err.toStdString();

    run = admin("holidays", company() + QStringList{"NA", "--list", "2025"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // 52 Saturdays, the 8 fixed days and the 10 movable holidays, one of
    // them (19 April) on a Saturday.
    EXPECT_EQ(run.out.size(), 52 + 8 + 10 - 1);
    ASSERT_GE(run.out.size(), 4);
    EXPECT_EQ(run.out.mid(0, 4), (QStringList{QStringLiteral("01/01/2025\tMiércoles\tAño Nuevo"),
                                              QStringLiteral("04/01/2025\tSábado\t"),
                                              QStringLiteral("06/01/2025\tLunes\tDía de Reyes"),
                                              QStringLiteral("11/01/2025\tSábado\t")}));
    EXPECT_TRUE(run.out.contains(QStringLiteral("03/03/2025\tLunes\tCarnaval")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("19/04/2025\tSábado\tDesembarco de los 33")));

    run = admin("holidays", company() + QStringList{"NA", "--delete", "2025", "2025"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(countRows(QStringLiteral("CALFER1")), 0);

    run = admin("holidays", company() + QStringList{"XX", "--list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("No existe el calendario XX")));

    // A calendar added by form, its key typed as text; the range panel it
    // opens has no window on the console.
    run = admin("form", QStringList{"TCALFER"} + company()
                            + QStringList{"--mode", "INS", "--key", "CO", "--set", "CalFerDsc=Construcción"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString() << run.out.join(u'|').toStdString();
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega calendario CO, descripción = Construcción")});

    run = admin("holidays", company() + QStringList{"NA", "--add", "2026", "2025"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(countRows(QStringLiteral("CALFER1")), 0);
}

}  // namespace
