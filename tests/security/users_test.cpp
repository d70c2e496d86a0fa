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
        VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("admin"));
        VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
        addProfile(QStringLiteral("CONSULTA"), false, 2);
    }

    void addProfile(const QString& key, bool mayCreateUsers, int correlative)
    {
        const QString padded = key.leftJustified(20);
        const QString record = QStringLiteral("00") + padded + QString(60, ' ') + rights(mayCreateUsers);
        QString error;
        ASSERT_TRUE(insertRow(*database, QStringLiteral("PERFILES"),
                              {{QStringLiteral("PrfClave"), *pencriptScramble(padded)},
                               {QStringLiteral("PrfDatos"), *pencriptScramble(record)},
                               {QStringLiteral("PrfCorrela"), correlative}},
                              &error))
            << error.toStdString();
    }

    bool save(const QString& name, const QString& fullName, const QString& profile, const QString& password,
              const QString& mode = QStringLiteral("INS"))
    {
        return WABMUSUA(*database, ui, {name, fullName, profile, password, password}, mode);
    }

    QString storedData(const QString& name)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT UsuDatos FROM USUARIOS WHERE UsuNombre = ?")));
        query.addBindValue(*scrambledUserName(name));
        if (!query.exec() || !query.next())
            return QStringLiteral("<ninguno>");
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
        return {QStringLiteral("<ninguno>"), {}, {}, false};
    }

    ScriptedUi ui;
};

TEST_F(Users, NothingReadableOfNamesPasswordsOrProfilesInTheDatabaseFile)
{
    if (backend() == Backend::Postgres)
        GTEST_SKIP() << "the server keeps its data in its own files";
    int correlative = 0;
    ASSERT_TRUE(PGRABAPE(*database, ui, QStringLiteral("CONTADURIA"), QStringLiteral("Contaduria central"),
                         rights(true), QString(), correlative)
                    .ok());
    ASSERT_TRUE(PGRABAUS(*database, ui, QStringLiteral("MARTINEZ"), QStringLiteral("Pedro Martinez"),
                         QStringLiteral("CONSULTA"), QStringLiteral("secreto1"), QStringLiteral("INS"))
                    .ok());
    // Through the form, the audit entry names the user (the trail must be
    // readable) but never the password.
    ASSERT_TRUE(save(QStringLiteral("GOMEZ"), QStringLiteral("Ana Gomez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("secreto2")));
    EXPECT_TRUE(listed("MARTINEZ").hasPassword);
    database->close();
    QByteArray bytes;
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
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
    ASSERT_TRUE(save(QStringLiteral("ana"), QStringLiteral("Ana Pérez"), QStringLiteral("consulta"),
                     QStringLiteral("clave")));
    const QString first = storedData(QStringLiteral("ANA"));
    // The record begins with the clock's seconds: wait for the next second.
    const int second = QTime::currentTime().second();
    while (QTime::currentTime().second() == second)
        QThread::msleep(20);
    ASSERT_TRUE(save(QStringLiteral("ANA"), QStringLiteral("Ana Pérez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("CLAVE"), QStringLiteral("UPD")));
    const QString second_ = storedData(QStringLiteral("ana"));
    EXPECT_NE(first, second_);
    const UserData a = UserData::fromRecord(pencriptUnscramble(first));
    const UserData b = UserData::fromRecord(pencriptUnscramble(second_));
    EXPECT_EQ(a.fullName, b.fullName);
    EXPECT_EQ(a.password, b.password);
    EXPECT_EQ(a.profile, b.profile);
    EXPECT_EQ(b.fullName.trimmed(), QString::fromUtf8("Ana Pérez"));
    EXPECT_EQ(b.password.trimmed(), "CLAVE");
    EXPECT_EQ(b.profile.trimmed(), "CONSULTA");
    EXPECT_EQ(countRows("USUARIOS"), 2) << "small and capital letters are one user";
}

TEST_F(Users, FormChecksRunInOrderAndWriteNothing)
{
    const auto confirm = [this](UserFormInput input) {
        ui.clear();
        EXPECT_FALSE(WABMUSUA(*database, ui, input, QStringLiteral("INS")));
        return ui.texts();
    };
    EXPECT_EQ(confirm({" ", "", "", "a", "b"}), QStringList{"Falta indicar usuario"});
    EXPECT_EQ(confirm({"pepe", " ", "", "a", "b"}), QStringList{"Falta indicar nombre de usuario"});
    EXPECT_EQ(confirm({"pepe", "Pepe", " ", "a", "b"}), QStringList{"Falta indicar el perfil"});
    EXPECT_EQ(confirm({"pepe", "Pepe", "CONSULTA", "a", "b"}),
              QStringList{QString::fromUtf8("La contraseña nueva y la repetición de la contraseña no son iguales")});
    EXPECT_EQ(confirm({QString::fromUtf8("pe\tpe"), "Pepe", "CONSULTA", "", "  "}),
              QStringList{"Caracteres invalidos en usuario"});
    EXPECT_EQ(confirm({"admin", "Otro", "CONSULTA", "", ""}), QStringList{"Ya existe usuario"});
    setParameterNumber(QStringLiteral("Configur"), QString::fromUtf8("CONTRASEÑA"), 1);
    EXPECT_EQ(confirm({"pepe", "Pepe", "CONSULTA", " ", ""}),
              QStringList{QString::fromUtf8("La contraseña no puede estar vacía")});
    EXPECT_EQ(countRows("USUARIOS"), 1);
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(Users, AFullNameThatCannotBeScrambledIsRefusedInsteadOfStoredCut)
{
    EXPECT_FALSE(save(QStringLiteral("pepe"), QString::fromUtf8("Pepe €uro"), QStringLiteral("CONSULTA"), ""));
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().at(0).startsWith(QString::fromUtf8("Caracteres inválidos"))) << ui.texts().at(0).toStdString();
    EXPECT_EQ(countRows("USUARIOS"), 1);
}

TEST_F(Users, AuditTextsOfAddAndChangeNameOnlyWhatChanged)
{
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe Gómez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("x1")));
    ASSERT_TRUE(save(QStringLiteral("luis"), QStringLiteral("Luis"), QStringLiteral("CONSULTA"), ""));
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe Gómez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("x2"), QStringLiteral("UPD")));
    ASSERT_TRUE(save(QStringLiteral("luis"), QStringLiteral("Luis Sosa"), QStringLiteral("SUPERVISOR"), "",
                     QStringLiteral("UPD")));
    EXPECT_EQ(auditTexts(),
              (QStringList{QString::fromUtf8("Agrega usuario pepe, Nombre = Pepe Gómez, Perfil = CONSULTA, Con contraseña"),
                           QString::fromUtf8("Agrega usuario luis, Nombre = Luis, Perfil = CONSULTA"),
                           QString::fromUtf8("Modifica usuario pepe, Contraseña modificada"),
                           QString::fromUtf8("Modifica usuario luis, Nombre = Luis Sosa, Perfil = SUPERVISOR")}));
    for (const AuditLine& line : auditLines())
        EXPECT_EQ(line.area, AuditArea::UsersAndProfiles);
}

TEST_F(Users, PasswordsMatchInAnyCaseAndTheRunsOwnUserGetsItsNewPassword)
{
    VBGlob::put(QStringLiteral("Contraseña"), QStringLiteral("vieja"));
    ASSERT_TRUE(save(QStringLiteral("Admin"), QStringLiteral("Administrador"), QStringLiteral("supervisor"),
                     QStringLiteral("Nueva1"), QStringLiteral("UPD")));
    EXPECT_EQ(VBGlob::get(QStringLiteral("Contraseña")), "Nueva1");
    EXPECT_EQ(countRows("USUARIOS"), 1) << "the change went to ADMIN";
    // "nueva1" and "NUEVA1" are the same password: no change is audited.
    ASSERT_TRUE(save(QStringLiteral("ADMIN"), QStringLiteral("Administrador"), QStringLiteral("SUPERVISOR"),
                     QStringLiteral("nueva1"), QStringLiteral("UPD")));
    EXPECT_EQ(auditTexts().last(), "Modifica usuario ADMIN");
    ASSERT_TRUE(save(QStringLiteral("otro"), QStringLiteral("Otro"), QStringLiteral("CONSULTA"), QStringLiteral("zz")));
    EXPECT_EQ(VBGlob::get(QStringLiteral("Contraseña")), "nueva1") << "another user's password stays out";
}

TEST_F(Users, TheLastUserAbleToCreateUsersIsNeitherReprofiledNorDeleted)
{
    ASSERT_TRUE(save(QStringLiteral("luis"), QStringLiteral("Luis"), QStringLiteral("CONSULTA"), ""));
    ui.clear();
    EXPECT_FALSE(save(QStringLiteral("admin"), QStringLiteral("Administrador"), QStringLiteral("CONSULTA"), "",
                      QStringLiteral("UPD")));
    EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8(
                              "No puede cambiar el perfil porque es el único usuario con perfil para crear usuarios")});
    EXPECT_EQ(listed("ADMIN").profile, "SUPERVISOR");

    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(deleteUser(*database, ui, QStringLiteral("admin")));
    EXPECT_EQ(ui.texts(), (QStringList{QString::fromUtf8("¿Confirma al eliminación del usuario admin?"),
                                       QString::fromUtf8("No se puede eliminar el usuario porque es el único que "
                                                         "puede crear otros usuarios")}));
    EXPECT_EQ(countRows("USUARIOS"), 2);

    // A second creator lifts the refusal; the user without the right goes any time.
    ASSERT_TRUE(save(QStringLiteral("jefa"), QStringLiteral("Jefa"), QStringLiteral("SUPERVISOR"), ""));
    ui.answer(true);
    EXPECT_TRUE(deleteUser(*database, ui, QStringLiteral("admin")));
    ui.answer(true);
    EXPECT_TRUE(deleteUser(*database, ui, QStringLiteral("LUIS")));
    EXPECT_EQ(listed("JEFA").name, "JEFA");
    EXPECT_EQ(countRows("USUARIOS"), 1);
    EXPECT_EQ(auditTexts().mid(auditTexts().size() - 2),
              (QStringList{"Elimina usuario admin", "Elimina usuario LUIS"}));
    ui.answer(false);
    EXPECT_FALSE(deleteUser(*database, ui, QStringLiteral("jefa")));
    EXPECT_EQ(countRows("USUARIOS"), 1);
}

TEST_F(Users, CopyGivesNameAndProfileButNoPassword)
{
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe Gómez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("clave")));
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(WCOPIAUS(*database, ui, QStringLiteral("pepe"), QStringLiteral("pepa")));
    const std::optional<UserData> copy = readUser(*database, QStringLiteral("PEPA"));
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->fullName.trimmed(), QString::fromUtf8("Pepe Gómez"));
    EXPECT_EQ(copy->profile.trimmed(), "CONSULTA");
    EXPECT_FALSE(copy->hasPassword());
    EXPECT_EQ(auditTexts().last(), "Copia usuario pepe a usuario pepa");

    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAUS(*database, ui, QStringLiteral("admin"), QStringLiteral("PEPA")));
    EXPECT_EQ(ui.texts().last(), "El usuario PEPA ya existe");
    // The same words, without accent, as the user form's refusal.
    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAUS(*database, ui, QStringLiteral("pepe"), QString::fromUtf8("pe\tpa")));
    EXPECT_EQ(ui.texts(), (QStringList{QString::fromUtf8("¿Confirma copiado del usuario?"),
                                       "Caracteres invalidos en usuario"}));
    QString failed;
    EXPECT_FALSE(PCOPIARU(*database, QStringLiteral("nadie"), QStringLiteral("nuevo"), failed).ok());
    EXPECT_EQ(failed, "S");
    EXPECT_EQ(countRows("USUARIOS"), 3);
}

TEST_F(Users, ClearingThePasswordKeepsNameAndProfile)
{
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe"), QStringLiteral("CONSULTA"), QStringLiteral("k")));
    ui.answer(true);
    ASSERT_TRUE(clearUserPassword(*database, ui, QStringLiteral("pepe")));
    EXPECT_EQ(ui.texts().at(0), QString::fromUtf8("¿Desea borrar la contraseña del usuario pepe ?"));
    const UserListing user = listed("PEPE");
    EXPECT_FALSE(user.hasPassword);
    EXPECT_EQ(user.fullName, "Pepe");
    EXPECT_EQ(user.profile, "CONSULTA");
    EXPECT_EQ(auditTexts().last(), QString::fromUtf8("Borra contraseña usuario pepe"));
}

TEST_F(Users, PanelGateNeedsRightNineAndRespectsTheAutomaticCopy)
{
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMN"));
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Print));
    EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8("No tiene permiso para efectuar esta operación")});
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
    EXPECT_TRUE(usersActionAllowed(*database, ui, UsersAction::Add));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Usu"), QStringLiteral("S"));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("S"));
    ui.clear();
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Delete));
    EXPECT_FALSE(usersActionAllowed(*database, ui, UsersAction::Copy));
    EXPECT_TRUE(usersActionAllowed(*database, ui, UsersAction::ClearPassword));
    EXPECT_EQ(ui.texts(), (QStringList{QString::fromUtf8("Esta tabla se copia automáticamente"),
                                       "No puede copiar usuarios, esta tabla se copia automaticamente."}));
}

TEST_F(Users, ClearingWaitsForAnotherWorkstationAndKeepsWhatItWrote)
{
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe"), QStringLiteral("CONSULTA"), QStringLiteral("k")));
    auto other = openConnection();
    TableCursor held(*other);
    ASSERT_TRUE(held.open(QStringLiteral("USUARIOS")).ok());
    ASSERT_TRUE(held.setIndex(QStringLiteral("IUSUARIO")).ok());
    ASSERT_TRUE(held.seek(Comparison::Equal, {*scrambledUserName(QStringLiteral("pepe"))}).ok());
    ASSERT_FALSE(held.noMatch());
    ASSERT_TRUE(held.edit().ok());
    const UserData renamed{QStringLiteral("00"), QStringLiteral("Pepe Renombrado"), QStringLiteral("K"),
                           QStringLiteral("CONSULTA")};
    bool released = false;
    ui.onProcessEvents([&] {
        if (released)
            return;
        released = true;
        held.setValue(QStringLiteral("UsuDatos"), *pencriptScramble(renamed.record()));
        EXPECT_TRUE(held.update().ok());
    });
    ASSERT_TRUE(PBORRACO(*database, ui, QStringLiteral("PEPE")).ok());
    EXPECT_TRUE(released) << "the lock of the other workstation was waited for";
    const UserListing user = listed("PEPE");
    EXPECT_EQ(user.fullName, "Pepe Renombrado");
    EXPECT_FALSE(user.hasPassword);
}

TEST_F(Users, TheListingPrintsTheUsersAsListedButNoPassword)
{
    ASSERT_TRUE(save(QStringLiteral("pepe"), QStringLiteral("Pepe Gómez"), QStringLiteral("CONSULTA"),
                     QStringLiteral("clave9")));
    QList<UserListing> users;
    ASSERT_TRUE(WUSUARIO(*database, users).ok());
    QList<UsersListingRow> rows;
    for (const UserListing& user : users)
        rows.append({user.name, user.fullName, user.profile, user.hasPassword});
    KQRView view(nullptr);
    ASSERT_TRUE(RUSUARIO(view, ListingRun::now(*database), rows).ok());
    ASSERT_EQ(view.document().pages.size(), 1);
    const ReportPage& page = view.document().pages.first();
    for (const QString& text : {QStringLiteral("Usuarios"), QStringLiteral("ADMIN"), QStringLiteral("PEPE"),
                                QString::fromUtf8("Pepe Gómez"), QStringLiteral("CONSULTA"), QStringLiteral("Si")})
        EXPECT_NE(page.findText(text), nullptr) << text.toStdString();
    for (const TextOperation& text : page.texts())
        EXPECT_FALSE(text.text.contains(QStringLiteral("CLAVE9"), Qt::CaseInsensitive));
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
                                    [](const UserListing& user) { return user.name == QStringLiteral("MGOMEZ"); });
    ASSERT_NE(clerk, users.end());
    EXPECT_EQ(clerk->fullName, QStringLiteral("María Gómez"));
    EXPECT_EQ(clerk->profile, QStringLiteral("LIQUIDADOR"));
    EXPECT_TRUE(clerk->hasPassword);
    const std::optional<UserData> stored = readUser(*database, QStringLiteral("mgomez"));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->password.trimmed(), QStringLiteral("PLATA2026"));

    const std::optional<StoredProfile> reader = readProfile(*database, QStringLiteral("CONSULTA"));
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->data.description.trimmed(), QStringLiteral("Consulta de tablas"));
    EXPECT_EQ(reader->correlative, 3);
    EXPECT_EQ(rightAt(reader->data.rights, 8), QChar('C'));
    EXPECT_EQ(rightAt(reader->data.rights, 9), QChar('N'));
    // A second supervisor: the first user is no longer the only one who may create users.
    QString answer;
    ASSERT_TRUE(PHAYUSUP(*database, *scrambledUserName(QStringLiteral("ADMIN")), answer).ok());
    EXPECT_EQ(answer, QStringLiteral("S"));
}
