#include "security/profiles.h"
#include "security/user_forms.h"
#include "security/users.h"

#include "../engine/engine_fixture.h"

#include "data/cursor.h"
#include "data/demo_company.h"
#include "engine/audit.h"
#include "reports/users_listing.h"
#include "support/pencript.h"

#include <QFile>
#include <QThread>

namespace {

/// The rights string of a profile record: right 9 (create users) as given.
QString rights(bool mayCreateUsers)
{
    QString text(200, ' ');
    for (int position = 0; position < 47; ++position)
        text[position] = QChar('N');
    text[8] = mayCreateUsers ? QChar('S') : QChar('N');
    return text;
}

}  // namespace

class Users : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        VBGlob::put("Usuario", "admin");
        VBGlob::put("Permisos", "SSSSSSMMS");
        addProfile("CONSULTA", false, 2);
    }

    void addProfile(const QString& key, bool mayCreateUsers, int correlative)
    {
        const QString padded = key.leftJustified(20);
        const QString record = QStringLiteral("00") + padded + QString(60, ' ') + rights(mayCreateUsers);
        QString error;
        ASSERT_TRUE(insertRow(*database, "PERFILES",
                              {{"PrfClave", *pencriptScramble(padded)},
                               {"PrfDatos", *pencriptScramble(record)},
                               {"PrfCorrela", correlative}},
                              &error))
            << error.toStdString();
    }

    bool save(const QString& name, const QString& fullName, const QString& profile, const QString& password,
              const QString& mode = "INS")
    {
        return WABMUSUA(*database, ui, {name, fullName, profile, password, password}, mode);
    }

    QString storedData(const QString& name)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql("SELECT UsuDatos FROM USUARIOS WHERE UsuNombre = ?"));
        query.addBindValue(*scrambledUserName(name));
        if (!query.exec() || !query.next())
            return "<ninguno>";
        return query.value(0).toString();
    }

    UserListing listed(const QString& name)
    {
        QList<UserListing> users;
        EXPECT_TRUE(WUSUARIO(*database, users).ok());
        for (const UserListing& user : users) {
            if (user.name == name)
                return user;
        }
        return {"<ninguno>", {}, {}, false};
    }

    ScriptedUi ui;
};

TEST_F(Users, NothingReadableOfNamesPasswordsOrProfilesInTheDatabaseFile)
{
    if (backend() == Backend::Postgres)
        GTEST_SKIP() << "the server keeps its data in its own files";
    int correlative = 0;
    ASSERT_TRUE(PGRABAPE(*database, ui, "CONTADURIA", "Contaduria central", rights(true), QString(), correlative).ok());
    ASSERT_TRUE(PGRABAUS(*database, ui, "MARTINEZ", "Pedro Martinez", "CONSULTA", "secreto1", "INS").ok());
    // Through the form, the audit entry names the user (the trail must be
    // readable) but never the password.
    ASSERT_TRUE(save("GOMEZ", "Ana Gomez", "CONSULTA", "secreto2"));
    EXPECT_TRUE(listed("MARTINEZ").hasPassword);
    database->close();
    QByteArray bytes;
    for (const QString& suffix : {QString(), QString("-wal")}) {
        QFile file(folder.file("KQ_DATA.MDB") + suffix);
        if (file.open(QIODevice::ReadOnly))
            bytes += file.readAll();
    }
    ASSERT_GT(bytes.size(), 0);
    for (const QByteArray& secret : {QByteArray("MARTINEZ"), QByteArray("Martinez"), QByteArray("SECRETO"),
                                     QByteArray("secreto"), QByteArray("CONSULTA "), QByteArray("CONTADURIA"),
                                     QByteArray("Contaduria"), QByteArray("SUPERVISOR")})
        EXPECT_FALSE(bytes.contains(secret)) << secret.constData();
    EXPECT_TRUE(bytes.contains("Agrega usuario GOMEZ")) << "the search does see plain text";
}

TEST_F(Users, SavingTwiceStoresDifferentTextsThatReadTheSame)
{
    ASSERT_TRUE(save("ana", "Ana Pérez", "consulta", "clave"));
    const QString first = storedData("ANA");
    // The record begins with the clock's seconds: wait for the next second.
    const int second = QTime::currentTime().second();
    while (QTime::currentTime().second() == second)
        QThread::msleep(20);
    ASSERT_TRUE(save("ANA", "Ana Pérez", "CONSULTA", "CLAVE", "UPD"));
    const QString second_ = storedData("ana");
    EXPECT_NE(first, second_);
    const UserData a = UserData::fromRecord(pencriptUnscramble(first));
    const UserData b = UserData::fromRecord(pencriptUnscramble(second_));
    EXPECT_EQ(a.fullName, b.fullName);
    EXPECT_EQ(a.password, b.password);
    EXPECT_EQ(a.profile, b.profile);
    EXPECT_EQ(b.fullName.trimmed(), "Ana Pérez");
    EXPECT_EQ(b.password.trimmed(), "CLAVE");
    EXPECT_EQ(b.profile.trimmed(), "CONSULTA");
    EXPECT_EQ(countRows("USUARIOS"), 2) << "small and capital letters are one user";
}

TEST_F(Users, FormChecksRunInOrderAndWriteNothing)
{
    const auto confirm = [this](UserFormInput input) {
        ui.clear();
        EXPECT_FALSE(WABMUSUA(*database, ui, input, "INS"));
        return ui.texts();
    };
    EXPECT_EQ(confirm({" ", "", "", "a", "b"}), QStringList{"Falta indicar usuario"});
    EXPECT_EQ(confirm({"pepe", " ", "", "a", "b"}), QStringList{"Falta indicar nombre de usuario"});
    EXPECT_EQ(confirm({"pepe", "Pepe", " ", "a", "b"}), QStringList{"Falta indicar el perfil"});
    EXPECT_EQ(confirm({"pepe", "Pepe", "CONSULTA", "a", "b"}),
              QStringList{"La contraseña nueva y la repetición de la contraseña no son iguales"});
    EXPECT_EQ(confirm({"pe\tpe", "Pepe", "CONSULTA", "", "  "}), QStringList{"Caracteres invalidos en usuario"});
    EXPECT_EQ(confirm({"admin", "Otro", "CONSULTA", "", ""}), QStringList{"Ya existe usuario"});
    setParameterNumber("Configur", "CONTRASEÑA", 1);
    EXPECT_EQ(confirm({"pepe", "Pepe", "CONSULTA", " ", ""}), QStringList{"La contraseña no puede estar vacía"});
    EXPECT_EQ(countRows("USUARIOS"), 1);
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(Users, AFullNameThatCannotBeScrambledIsRefusedInsteadOfStoredCut)
{
    EXPECT_FALSE(save("pepe", "Pepe €uro", "CONSULTA", ""));
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().at(0).startsWith("Caracteres inválidos")) << ui.texts().at(0).toStdString();
    EXPECT_EQ(countRows("USUARIOS"), 1);
}

TEST_F(Users, AuditTextsOfAddAndChangeNameOnlyWhatChanged)
{
    ASSERT_TRUE(save("pepe", "Pepe Gómez", "CONSULTA", "x1"));
    ASSERT_TRUE(save("luis", "Luis", "CONSULTA", ""));
    ASSERT_TRUE(save("pepe", "Pepe Gómez", "CONSULTA", "x2", "UPD"));
    ASSERT_TRUE(save("luis", "Luis Sosa", "SUPERVISOR", "", "UPD"));
    EXPECT_EQ(auditTexts(),
              (QStringList{"Agrega usuario pepe, Nombre = Pepe Gómez, Perfil = CONSULTA, Con contraseña",
                           "Agrega usuario luis, Nombre = Luis, Perfil = CONSULTA",
                           "Modifica usuario pepe, Contraseña modificada",
                           "Modifica usuario luis, Nombre = Luis Sosa, Perfil = SUPERVISOR"}));
    for (const AuditLine& line : auditLines())
        EXPECT_EQ(line.area, AuditArea::UsersAndProfiles);
}

TEST_F(Users, PasswordsMatchInAnyCaseAndTheRunsOwnUserGetsItsNewPassword)
{
    VBGlob::put("Contraseña", "vieja");
    ASSERT_TRUE(save("Admin", "Administrador", "supervisor", "Nueva1", "UPD"));
    EXPECT_EQ(VBGlob::get("Contraseña"), "Nueva1");
    EXPECT_EQ(countRows("USUARIOS"), 1) << "the change went to ADMIN";
    // "nueva1" and "NUEVA1" are the same password: no change is audited.
    ASSERT_TRUE(save("ADMIN", "Administrador", "SUPERVISOR", "nueva1", "UPD"));
    EXPECT_EQ(auditTexts().last(), "Modifica usuario ADMIN");
    ASSERT_TRUE(save("otro", "Otro", "CONSULTA", "zz"));
    EXPECT_EQ(VBGlob::get("Contraseña"), "nueva1") << "another user's password stays out";
}

TEST_F(Users, TheLastUserAbleToCreateUsersIsNeitherReprofiledNorDeleted)
{
    ASSERT_TRUE(save("luis", "Luis", "CONSULTA", ""));
    ui.clear();
    EXPECT_FALSE(save("admin", "Administrador", "CONSULTA", "", "UPD"));
    EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8(
                              "No puede cambiar el perfil porque es el único usuario con perfil para crear usuarios")});
    EXPECT_EQ(listed("ADMIN").profile, "SUPERVISOR");

    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(deleteUser(*database, ui, "admin"));
    EXPECT_EQ(ui.texts(), (QStringList{"¿Confirma al eliminación del usuario admin?",
                                       QString::fromUtf8("No se puede eliminar el usuario porque es el único que "
                                                         "puede crear otros usuarios")}));
    EXPECT_EQ(countRows("USUARIOS"), 2);

    // A second creator lifts the refusal; the user without the right goes any time.
    ASSERT_TRUE(save("jefa", "Jefa", "SUPERVISOR", ""));
    ui.answer(true);
    EXPECT_TRUE(deleteUser(*database, ui, "admin"));
    ui.answer(true);
    EXPECT_TRUE(deleteUser(*database, ui, "LUIS"));
    EXPECT_EQ(listed("JEFA").name, "JEFA");
    EXPECT_EQ(countRows("USUARIOS"), 1);
    EXPECT_EQ(auditTexts().mid(auditTexts().size() - 2),
              (QStringList{"Elimina usuario admin", "Elimina usuario LUIS"}));
    ui.answer(false);
    EXPECT_FALSE(deleteUser(*database, ui, "jefa"));
    EXPECT_EQ(countRows("USUARIOS"), 1);
}

TEST_F(Users, CopyGivesNameAndProfileButNoPassword)
{
    ASSERT_TRUE(save("pepe", "Pepe Gómez", "CONSULTA", "clave"));
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(WCOPIAUS(*database, ui, "pepe", "pepa"));
    const std::optional<UserData> copy = readUser(*database, "PEPA");
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->fullName.trimmed(), "Pepe Gómez");
    EXPECT_EQ(copy->profile.trimmed(), "CONSULTA");
    EXPECT_FALSE(copy->hasPassword());
    EXPECT_EQ(auditTexts().last(), "Copia usuario pepe a usuario pepa");

    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAUS(*database, ui, "admin", "PEPA"));
    EXPECT_EQ(ui.texts().last(), "El usuario PEPA ya existe");
    // The same words, without accent, as the user form's refusal.
    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAUS(*database, ui, "pepe", "pe\tpa"));
    EXPECT_EQ(ui.texts(), (QStringList{"¿Confirma copiado del usuario?", "Caracteres invalidos en usuario"}));
    QString failed;
    EXPECT_FALSE(PCOPIARU(*database, "nadie", "nuevo", failed).ok());
    EXPECT_EQ(failed, "S");
    EXPECT_EQ(countRows("USUARIOS"), 3);
}

TEST_F(Users, ClearingThePasswordKeepsNameAndProfile)
{
    ASSERT_TRUE(save("pepe", "Pepe", "CONSULTA", "k"));
    ui.answer(true);
    ASSERT_TRUE(clearUserPassword(*database, ui, "pepe"));
    EXPECT_EQ(ui.texts().at(0), "¿Desea borrar la contraseña del usuario pepe ?");
    const UserListing user = listed("PEPE");
    EXPECT_FALSE(user.hasPassword);
    EXPECT_EQ(user.fullName, "Pepe");
    EXPECT_EQ(user.profile, "CONSULTA");
    EXPECT_EQ(auditTexts().last(), "Borra contraseña usuario pepe");
}

TEST_F(Users, PanelGateNeedsRightNineAndRespectsTheAutomaticCopy)
{
    VBGlob::put("Permisos", "SSSSSSMMN");
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Print));
    EXPECT_EQ(ui.texts(), QStringList{"No tiene permiso para efectuar esta operación"});
    VBGlob::put("Permisos", "SSSSSSMMS");
    EXPECT_TRUE(usersActionAllowed(*database, ui, UsersAction::Add));
    setParameterText("SincroAuto", "Usu", "S");
    setParameterText("SincroAuto", "Hay", "S");
    ui.clear();
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Delete));
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Copy));
    EXPECT_TRUE(usersActionAllowed(*database, ui, UsersAction::ClearPassword));
    EXPECT_EQ(ui.texts(), (QStringList{"Esta tabla se copia automáticamente",
                                       "No puede copiar usuarios, esta tabla se copia automaticamente."}));
}

TEST_F(Users, ClearingWaitsForAnotherWorkstationAndKeepsWhatItWrote)
{
    ASSERT_TRUE(save("pepe", "Pepe", "CONSULTA", "k"));
    auto other = openConnection();
    TableCursor held(*other);
    ASSERT_TRUE(held.open("USUARIOS").ok());
    ASSERT_TRUE(held.setIndex("IUSUARIO").ok());
    ASSERT_TRUE(held.seek(Comparison::Equal, {*scrambledUserName("pepe")}).ok());
    ASSERT_FALSE(held.noMatch());
    ASSERT_TRUE(held.edit().ok());
    const UserData renamed{"00", "Pepe Renombrado", "K", "CONSULTA"};
    bool released = false;
    ui.onProcessEvents([&] {
        if (released)
            return;
        released = true;
        held.setValue("UsuDatos", *pencriptScramble(renamed.record()));
        EXPECT_TRUE(held.update().ok());
    });
    ASSERT_TRUE(PBORRACO(*database, ui, "PEPE").ok());
    EXPECT_TRUE(released) << "the lock of the other workstation was waited for";
    const UserListing user = listed("PEPE");
    EXPECT_EQ(user.fullName, "Pepe Renombrado");
    EXPECT_FALSE(user.hasPassword);
}

TEST_F(Users, TheListingPrintsTheUsersAsListedButNoPassword)
{
    ASSERT_TRUE(save("pepe", "Pepe Gómez", "CONSULTA", "clave9"));
    QList<UserListing> users;
    ASSERT_TRUE(WUSUARIO(*database, users).ok());
    QList<UsersListingRow> rows;
    for (const UserListing& user : users)
        rows.append({user.name, user.fullName, user.profile, user.hasPassword});
    KQRView view(nullptr);
    ASSERT_TRUE(RUSUARIO(view, ListingRun::now(*database), rows).ok());
    ASSERT_EQ(view.document().pages.size(), 1);
    const ReportPage& page = view.document().pages.first();
    for (const char* text : {"Usuarios", "ADMIN", "PEPE", "Pepe Gómez", "CONSULTA", "Si"})
        EXPECT_NE(page.findText(text), nullptr) << text;
    for (const TextOperation& text : page.texts())
        EXPECT_FALSE(text.text.contains("CLAVE9", Qt::CaseInsensitive));
}

// The demo company writes its users and profiles through the setup's own
// writer: the screens must read them back as they were meant.
class DemoUsers : public EngineTest {};

TEST_F(DemoUsers, ReadBackThroughTheUsersAndProfilesScreens)
{
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();

    QList<UserListing> users;
    ASSERT_TRUE(WUSUARIO(*database, users).ok());
    ASSERT_EQ(users.size(), 4);
    const auto clerk = std::find_if(users.begin(), users.end(),
                                    [](const UserListing& user) { return user.name == "MGOMEZ"; });
    ASSERT_NE(clerk, users.end());
    EXPECT_EQ(clerk->fullName, "María Gómez");
    EXPECT_EQ(clerk->profile, "LIQUIDADOR");
    EXPECT_TRUE(clerk->hasPassword);
    const std::optional<UserData> stored = readUser(*database, "mgomez");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->password.trimmed(), "PLATA2026");

    const std::optional<StoredProfile> reader = readProfile(*database, "CONSULTA");
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->data.description.trimmed(), "Consulta de tablas");
    EXPECT_EQ(reader->correlative, 3);
    EXPECT_EQ(rightAt(reader->data.rights, 8), QChar('C'));
    EXPECT_EQ(rightAt(reader->data.rights, 9), QChar('N'));
    // A second supervisor: the first user is no longer the only one who may create users.
    QString answer;
    ASSERT_TRUE(PHAYUSUP(*database, *scrambledUserName("ADMIN"), answer).ok());
    EXPECT_EQ(answer, "S");
}
