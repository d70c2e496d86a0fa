// The directory groups against the test run's own slapd: what the search
// finds, how the typed text narrows it, what a failing directory leaves, the
// stored settings and a profile linked to a group.
#include "security/directory_groups.h"
#include "security/profile_forms.h"
#include "security/profiles.h"

#include "../engine/engine_fixture.h"
#include "test_directory.h"

#include "support/pencript.h"

#include <QElapsedTimer>
#include <QProcess>

namespace {

QStringList namesOf(const DirectoryAnswer& answer)
{
    QStringList names;
    for (const DirectoryGroup& group : answer.groups)
        names << group.name;
    return names;
}

/// Every group of tests/fixtures/directory.ldif, in Spanish order.
const QStringList everyGroup = {"administradores", "Contadores",     "Ñandú Técnicos",
                                "Sueldos",         "Sueldos Centro", "Todo (*) el personal"};

}  // namespace

class DirectoryGroups : public EngineTest {
protected:
    void SetUp() override
    {
        const QString missing = testDirectoryMissing();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        EngineTest::SetUp();
    }

    DirectorySettings wrongPassword() const
    {
        DirectorySettings settings = testDirectorySettings();
        settings.password = "otra";
        return settings;
    }

    void configure(bool inUse, const DirectorySettings& settings)
    {
        ASSERT_TRUE(saveDirectorySettings(*database, ui, inUse, settings)) << ui.texts().join(" | ").toStdString();
        ui.clear();
    }

    /// The stored text of parameter ("Configur", `name`), as it is in the table.
    QString storedText(const QString& name)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT ParValorCa FROM PARAMETR WHERE ParTabla = 'Configur' "
                                         "AND ParParamet = ? AND ParIndice = 0")));
        query.addBindValue(name);
        if (!query.exec() || !query.next())
            return "<ninguno>";
        return query.value(0).toString();
    }
};

TEST_F(DirectoryGroups, EveryKindOfGroupIsListedSortedWithItsPathSignedInOrAnonymously)
{
    // The test server answers an anonymous search with 3 entries at most
    // unless it asks page by page, as Active Directory caps its answers.
    for (bool anonymous : {false, true}) {
        const DirectoryAnswer answer = findDirectoryGroups(testDirectorySettings(anonymous), QString());
        ASSERT_TRUE(answer.ok()) << answer.error.toStdString();
        EXPECT_EQ(namesOf(answer), everyGroup) << "anonymous " << anonymous;
    }
    const DirectoryAnswer answer = findDirectoryGroups(testDirectorySettings(), QString());
    ASSERT_EQ(answer.groups.size(), everyGroup.size());
    EXPECT_EQ(answer.groups[4].path, "cn=Sueldos Centro,ou=Centro,ou=Montevideo,ou=Grupos,dc=uordane,dc=test");
    EXPECT_EQ(answer.groups[2].path, "cn=Ñandú Técnicos,ou=Montevideo,ou=Grupos,dc=uordane,dc=test");
}

TEST_F(DirectoryGroups, StartTlsSignsInOverAnEncryptedConnection)
{
    if (qEnvironmentVariableIsEmpty("LDAPTLS_CACERT"))
        GTEST_SKIP() << "LDAPTLS_CACERT no está definido: el servidor de prueba no tiene certificado (openssl)";
    DirectorySettings settings = testDirectorySettings();
    settings.startTls = true;
    const DirectoryAnswer answer = findDirectoryGroups(settings, "sueldos");
    ASSERT_TRUE(answer.ok()) << answer.error.toStdString();
    EXPECT_EQ(namesOf(answer), (QStringList{"Sueldos", "Sueldos Centro"}));
}

// The typed text keeps the groups whose name contains it in any case, and
// filter characters in it match only literally: each of the last five would
// select every entry if it reached the filter as written.
TEST_F(DirectoryGroups, TheTextKeepsGroupsWhoseNameContainsItLiterallyInAnyCase)
{
    const QStringList starGroup = {"Todo (*) el personal"};
    const QList<std::pair<QString, QStringList>> cases = {
        {"sueldos", {"Sueldos", "Sueldos Centro"}},  // "Ana Sueldos" is a person, not a group
        {"  DORES ", {"administradores", "Contadores"}},
        {"ñandú", {"Ñandú Técnicos"}},
        {"Tesorería", {}},
        {"*", starGroup},
        {"(*)", starGroup},
        {"*)(objectClass=*", {}},
        {")(|(cn=*", {}},
        {"*))(|(cn=*", {}},
        {"\\2a", {}},
        {"\\", {}},
    };
    for (const auto& [text, groups] : cases) {
        const DirectoryAnswer answer = findDirectoryGroups(testDirectorySettings(), text);
        EXPECT_TRUE(answer.ok()) << text.toStdString() << ": " << answer.error.toStdString();
        EXPECT_EQ(namesOf(answer), groups) << text.toStdString();
    }
    EXPECT_EQ(ldapFilterValue("a*(b)\\c"), "a\\2a\\28b\\29\\5cc");
}

TEST_F(DirectoryGroups, AWrongPasswordOrADeadPortGivesNoGroupsAndTheTestSaysWhy)
{
    DirectorySettings deadPort = testDirectorySettings();
    deadPort.uri = QStringLiteral("ldap://127.0.0.1:%1").arg(deadLoopbackPort());
    const QList<std::pair<DirectorySettings, QString>> failures = {
        {wrongPassword(), "El usuario o la contraseña del directorio no son correctos (código 49"},
        {deadPort, "No se pudo conectar con el servidor de directorio (código -1"},
    };
    for (const auto& [settings, reason] : failures) {
        QElapsedTimer clock;
        clock.start();
        const DirectoryAnswer answer = findDirectoryGroups(settings, QString());
        EXPECT_LT(clock.elapsed(), 10'000) << "never waits much beyond the 2 s timeout";
        EXPECT_TRUE(answer.groups.isEmpty());
        EXPECT_TRUE(answer.error.startsWith(reason)) << answer.error.toStdString();

        ui.clear();
        EXPECT_FALSE(showDirectoryTest(answer, ui));
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
                  QStringList{QStringLiteral("No se pudo consultar el directorio. ") + answer.error});
    }
    DirectorySettings notLdap = testDirectorySettings();
    notLdap.uri = "http://127.0.0.1";
    EXPECT_EQ(findDirectoryGroups(notLdap, QString()).error,
              "La dirección del servidor de directorio no es válida: http://127.0.0.1");
    ui.clear();
    EXPECT_TRUE(showDirectoryTest(findDirectoryGroups(testDirectorySettings(true), QString()), ui));
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{"Se encontraron 6 grupos en el directorio."});
}

TEST_F(DirectoryGroups, TheSelectionListsGroupsOnlyWhileTheDirectoryIsInUse)
{
    configure(false, testDirectorySettings());
    QString problem = "sin tocar";
    EXPECT_EQ(WSELGRLD(*database, QString(), &problem), QStringList{"--Ninguno--"});

    configure(true, testDirectorySettings());
    EXPECT_EQ(WSELGRLD(*database, QString(), &problem), QStringList{"--Ninguno--"} + everyGroup);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    EXPECT_EQ(WSELGRLD(*database, "centro"), (QStringList{"--Ninguno--", "Sueldos Centro"}));

    configure(true, wrongPassword());
    EXPECT_EQ(WSELGRLD(*database, QString(), &problem), QStringList{"--Ninguno--"});
    EXPECT_TRUE(problem.contains("contraseña")) << problem.toStdString();
}

TEST_F(DirectoryGroups, SettingsAreStoredWithThePasswordScrambledAndAudited)
{
    DirectorySettings settings = testDirectorySettings();
    settings.startTls = true;
    ASSERT_TRUE(saveDirectorySettings(*database, ui, true, settings));
    EXPECT_TRUE(directoryInUse(*database));
    const DirectorySettings read = readDirectorySettings(*database);
    EXPECT_EQ(read.uri, settings.uri);
    EXPECT_EQ(read.bindDn, testDirectoryAdmin);
    EXPECT_EQ(read.password, testDirectoryPassword);
    EXPECT_TRUE(read.startTls);
    const QString stored = storedText("LDAPCLAVE");
    EXPECT_NE(stored, testDirectoryPassword);
    EXPECT_EQ(pencriptUnscramble(stored), testDirectoryPassword);
    ASSERT_FALSE(auditEntries().isEmpty());
    EXPECT_EQ(auditEntries().last(), QStringLiteral("Modifica directorio, Usa directorio S, Servidor %1, Usuario "
                                                    "cn=admin,dc=uordane,dc=test, StartTLS S")
                                         .arg(settings.uri));
    EXPECT_EQ(auditLines().last().area, 25);

    // Each refusal keeps what was stored.
    const auto refused = [this](bool inUse, const DirectorySettings& given) {
        ui.clear();
        EXPECT_FALSE(saveDirectorySettings(*database, ui, inUse, given));
        return ui.texts();
    };
    DirectorySettings noServer;
    EXPECT_EQ(refused(true, noServer), QStringList{"Falta indicar el servidor de directorio."});
    DirectorySettings noPassword = settings;
    noPassword.password.clear();
    EXPECT_EQ(refused(false, noPassword), QStringList{"Falta la contraseña del usuario del directorio."});
    DirectorySettings badPassword = settings;
    badPassword.password = "tab\there";
    EXPECT_EQ(refused(false, badPassword), QStringList{"Caracteres inválidos en la contraseña del directorio."});
    EXPECT_TRUE(directoryInUse(*database));
    EXPECT_EQ(readDirectorySettings(*database).password, testDirectoryPassword);

    // Anonymous: no account and no password.
    DirectorySettings anonymous = testDirectorySettings(true);
    ASSERT_TRUE(saveDirectorySettings(*database, ui, false, anonymous));
    EXPECT_FALSE(directoryInUse(*database));
    EXPECT_TRUE(readDirectorySettings(*database).bindDn.isEmpty());
    EXPECT_TRUE(readDirectorySettings(*database).password.isEmpty());
}

TEST_F(DirectoryGroups, AProfileLinkedToAGroupKeepsItsNameInPrfGruLDAP)
{
    VBGlob::put("Usuario", "admin");
    configure(true, testDirectorySettings());
    const QStringList choices = WSELGRLD(*database, "centro");
    ASSERT_EQ(choices.size(), 2);

    ProfileFormInput input = newProfileForm(*database);
    input.key = "LIQUIDADOR";
    input.description = "Liquida sueldos";
    input.directoryGroup = choices.last();
    ASSERT_TRUE(WABMPERF(*database, ui, input, "INS")) << ui.texts().join(" | ").toStdString();

    const std::optional<StoredProfile> stored = readProfile(*database, "LIQUIDADOR");
    ASSERT_TRUE(stored.has_value());
    QSqlQuery query(database->connection());
    query.prepare(sql("SELECT PrfGruLDAP FROM PERFILES WHERE PrfCorrela = ?"));
    query.addBindValue(stored->correlative);
    ASSERT_TRUE(query.exec() && query.next());
    EXPECT_EQ(query.value(0).toString().trimmed(), "Sueldos Centro");
    EXPECT_EQ(readProfileForm(*database, "LIQUIDADOR")->directoryGroup, "Sueldos Centro");

    // "--Ninguno--" clears the link.
    input.directoryGroup.clear();
    ASSERT_TRUE(WABMPERF(*database, ui, input, "UPD"));
    EXPECT_TRUE(readProfileForm(*database, "LIQUIDADOR")->directoryGroup.isEmpty());
}

TEST_F(DirectoryGroups, TheAdminCommandPrintsNameAndPathOfEachGroupOrSaysWhyNot)
{
    configure(true, testDirectorySettings());
    // The company is opened the way the command is told: a folder or a server.
    QStringList company;
    const DatabaseLocation where = location();
    if (where.backend == Backend::Sqlite)
        company << folder.path();
    else
        company << "--server" << where.server << "--port" << QString::number(where.port) << "--database"
                << where.database << "--user" << where.user;
    const auto run = [&company](const QStringList& text, QString* output, QString* errors) {
        QProcess admin;
        admin.start(QStringLiteral(UORDANE_ADMIN), QStringList{"groups"} + company + text);
        if (!admin.waitForFinished(30000))
            return -1;
        *output = QString::fromUtf8(admin.readAllStandardOutput());
        *errors = QString::fromUtf8(admin.readAllStandardError());
        return admin.exitCode();
    };
    QString output;
    QString errors;
    ASSERT_EQ(run({"centro"}, &output, &errors), 0) << errors.toStdString();
    EXPECT_EQ(output, "Sueldos Centro\tcn=Sueldos Centro,ou=Centro,ou=Montevideo,ou=Grupos,dc=uordane,dc=test\n");
    ASSERT_EQ(run({}, &output, &errors), 0) << errors.toStdString();
    EXPECT_EQ(output.count(QChar('\n')), 6);
    EXPECT_TRUE(output.startsWith("administradores\tcn=administradores,ou=Grupos,dc=uordane,dc=test\n"));

    configure(true, wrongPassword());
    EXPECT_EQ(run({}, &output, &errors), 1);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    EXPECT_TRUE(errors.contains("No se pudo consultar el directorio. El usuario o la contraseña del directorio no son "
                                "correctos"))
        << errors.toStdString();
}

TEST(DirectoryTimeout, AServerThatNeverAnswersIsGivenUpAfterTheTimeout)
{
    SilentLoopbackServer silent;
    ASSERT_NE(silent.port(), 0);
    DirectorySettings settings;
    settings.uri = QStringLiteral("ldap://127.0.0.1:%1").arg(silent.port());
    settings.timeoutSeconds = 1;
    QElapsedTimer clock;
    clock.start();
    const DirectoryAnswer answer = findDirectoryGroups(settings, QString());
    EXPECT_LT(clock.elapsed(), 10'000) << "an unanswering directory must not hold the program";
    EXPECT_TRUE(answer.groups.isEmpty());
    EXPECT_TRUE(answer.error.startsWith("El servidor de directorio no respondió a tiempo")) << answer.error.toStdString();
}
