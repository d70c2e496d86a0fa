#include "security/profile_forms.h"
#include "security/profiles.h"
#include "security/user_forms.h"

#include "../engine/engine_fixture.h"

#include "engine/audit.h"
#include "support/pencript.h"

namespace {

/// Every right "N" but those given as "S".
QString rightsWith(std::initializer_list<int> given)
{
    QString rights(profileRightsWidth, QChar(' '));
    for (const RightDecl& right : profileRights())
        setRight(rights, right.position, QChar('N'));
    for (int position : given)
        setRight(rights, position, QChar('S'));
    return rights;
}

}  // namespace

class Profiles : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        VBGlob::put("Usuario", "admin");
        VBGlob::put("Permisos", "SSSSSSMMS");
        // SUPERVISOR (number 1, right 9) is the fixed profile of user ADMIN.
        writeProfile("CONSULTA", rightsWith({}));
    }

    void writeProfile(const QString& key, const QString& rights)
    {
        int correlative = 0;
        const ProcedureOutcome outcome =
            PGRABAPE(*database, ui, key, QStringLiteral("Perfil ") + key, rights, QString(), correlative);
        ASSERT_TRUE(outcome.ok()) << outcome.errorMessage.toStdString();
    }

    void addWorkPlace(int id, const QString& description, const QString& access = QString(50, QChar('S')))
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, "LUGARTRA",
                              {{"TraId", id}, {"TraDesc", description},
                               {"TraPerfile", *pencriptScramble(access)}},
                              &error))
            << error.toStdString();
    }

    /// The unscrambled access string of place `id`.
    QString accessOf(int id)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql("SELECT TraPerfile FROM LUGARTRA WHERE TraId = ?"));
        query.addBindValue(id);
        if (!query.exec() || !query.next())
            return "<ninguno>";
        return pencriptUnscramble(query.value(0).toString());
    }

    int correlativeOf(const QString& key)
    {
        const std::optional<StoredProfile> stored = readProfile(*database, key);
        return stored ? stored->correlative : -1;
    }

    ProfileFormInput form(const QString& key)
    {
        const std::optional<ProfileFormInput> input = readProfileForm(*database, key);
        EXPECT_TRUE(input.has_value()) << key.toStdString();
        return input.value_or(ProfileFormInput{});
    }
};

TEST_F(Profiles, TheOnlyProfileWithRightNineCannotLoseIt)
{
    ProfileFormInput supervisor = form("SUPERVISOR");
    setRight(supervisor.rights, Right::CreateUsers, QChar('N'));
    EXPECT_FALSE(WABMPERF(*database, ui, supervisor, "UPD"));
    EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8(
                              "No puede quitar el permiso -Crear usuarios y perfiles, asignar permisos- o el menú "
                              "completo a este perfil porque no quedaría ningún perfil habilitado a crear usuarios.")});
    EXPECT_EQ(rightAt(form("SUPERVISOR").rights, Right::CreateUsers), QChar('S'));

    // Once another profile has the right, this one may give it up.
    ProfileFormInput consulta = form("CONSULTA");
    setRight(consulta.rights, Right::CreateUsers, QChar('S'));
    ASSERT_TRUE(WABMPERF(*database, ui, consulta, "UPD"));
    EXPECT_TRUE(WABMPERF(*database, ui, supervisor, "UPD"));
    EXPECT_EQ(rightAt(form("SUPERVISOR").rights, Right::CreateUsers), QChar('N'));
}

TEST_F(Profiles, SaveChecksRunInOrderAndWriteNothing)
{
    const auto confirm = [this](const ProfileFormInput& input, const QString& mode = "INS") {
        ui.clear();
        EXPECT_FALSE(WABMPERF(*database, ui, input, mode));
        return ui.texts();
    };
    // Right 19 "N" with 10 and 30 given, and "Ficha funcional" without items:
    // each refusal shows only once the ones before it are mended.
    QString rights = rightsWith({Right::Reports, Right::ReportDesigner, Right::PersonnelFile,
                                 Right::PerformanceReview, Right::PositionDescription});
    EXPECT_EQ(confirm({" ", "Nuevo", rights, {}, {}}), QStringList{"Falta indicar perfil."});
    EXPECT_EQ(confirm({"NUE\tVO", "Nuevo", rights, {}, {}}), QStringList{"Caracteres inválidos en perfil"});
    EXPECT_EQ(confirm({"consulta", "Otra", rights, {}, {}}), QStringList{"Ya existe perfil"});
    EXPECT_TRUE(confirm({"NUEVO", "Nuevo", rights, {}, {}}).at(0).contains("-Emisión de informes-"));
    setRight(rights, Right::Reports, QChar('N'));
    EXPECT_TRUE(confirm({"NUEVO", "Nuevo", rights, {}, {}}).at(0).contains("-Crear y modificar informes-"));
    setRight(rights, Right::SeeAmounts, QChar('S'));
    EXPECT_EQ(confirm({"NUEVO", "Nuevo", rights, {}, {}}),
              QStringList{QString::fromUtf8("Si selecciona -Ficha funcional- debe indicar permiso al menos para un "
                                            "item de la ficha.")});
    setRight(rights, 104, QChar('S'));
    EXPECT_TRUE(confirm({"NUEVO", "Nuevo", rights, {}, {}}).at(0).contains("-Evaluación de desempeño-"));
    setRight(rights, 113, QChar('S'));
    EXPECT_TRUE(confirm({"NUEVO", "Nuevo", rights, {}, {}}).at(0).contains("-Descripción de cargos-"));
    EXPECT_EQ(countRows("PERFILES"), 2);
    EXPECT_TRUE(auditTexts().isEmpty());

    setRight(rights, 119, QChar('S'));
    ui.clear();
    ASSERT_TRUE(WABMPERF(*database, ui, {"nuevo", "Recursos humanos", rights, {}, {}}, "INS"));
    EXPECT_EQ(correlativeOf("NUEVO"), 3);
    const QString text = auditEntries().last();
    EXPECT_TRUE(text.startsWith("Crea perfil nuevo, Recursos humanos, Tabla de funcionarios"));
    EXPECT_TRUE(text.contains(", Ver importes del funcionario, liquidaciones, movimientos S,"));
    EXPECT_TRUE(text.endsWith(", Tablas de descripción S, Acceso a funcionarios de"));
    for (const AuditLine& line : auditLines())
        EXPECT_EQ(line.area, AuditArea::UsersAndProfiles);
}

TEST_F(Profiles, TheWorkPlaceGridIsStoredScrambledAndReadBack)
{
    addWorkPlace(1, "Oficina");
    addWorkPlace(2, "Planta");
    ProfileFormInput consulta = form("CONSULTA");
    ASSERT_EQ(consulta.workPlaces.size(), 2);
    EXPECT_EQ(consulta.workPlaces.at(0).access, QChar('S')) << "a new place is open to every profile";
    consulta.workPlaces[0].access = QChar('N');
    consulta.workPlaces[1].access = QChar('C');
    ASSERT_TRUE(WABMPERF(*database, ui, consulta, "UPD"));

    const int position = correlativeOf("CONSULTA");
    ASSERT_EQ(position, 2);
    EXPECT_EQ(accessOf(1), QStringLiteral("SN") + QString(48, QChar('S')));
    EXPECT_EQ(accessOf(2), QStringLiteral("SC") + QString(48, QChar('S')));
    QSqlQuery raw(database->connection());
    ASSERT_TRUE(raw.exec(sql("SELECT TraPerfile FROM LUGARTRA")));
    while (raw.next())
        EXPECT_FALSE(raw.value(0).toString().contains("SSSS"));
    const ProfileFormInput reread = form("consulta");
    EXPECT_EQ(reread.workPlaces.at(0).access, QChar('N'));
    EXPECT_EQ(reread.workPlaces.at(1).access, QChar('C'));
    EXPECT_EQ(form("SUPERVISOR").workPlaces.at(1).access, QChar('S'));
    EXPECT_TRUE(auditEntries().last().startsWith("Modifica perfil CONSULTA, Perfil CONSULTA,"));
    EXPECT_TRUE(auditEntries().last().endsWith(", Acceso a funcionarios de Oficina N, Planta C"));
}

TEST_F(Profiles, AProfileAUserHasIsNotDeletedAndADeletedOneTakesItsAccessAndParametersAlong)
{
    ui.answer(true);
    EXPECT_FALSE(deleteProfile(*database, ui, "supervisor"));
    EXPECT_EQ(ui.texts().last(), "No se puede eliminar el perfil porque hay usuarios asociados");
    ASSERT_TRUE(WABMUSUA(*database, ui, {"luis", "Luis", "CONSULTA", "", ""}, "INS"));
    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(deleteProfile(*database, ui, "CONSULTA"));
    EXPECT_EQ(ui.texts().last(), "No se puede eliminar el perfil porque hay usuarios asociados");
    EXPECT_EQ(countRows("PERFILES"), 2);

    // TEMPORAL (3) follows CONSULTA (2); deleting CONSULTA renumbers it 2,
    // and its access and parameters move with it.
    writeProfile("TEMPORAL", rightsWith({}));
    addWorkPlace(5, "Obra", QStringLiteral("SNC") + QString(47, QChar('S')));
    setParameterText("Product2", "Vista", "de CONSULTA");
    setParameterText("Product3", "Vista", "de TEMPORAL");
    ASSERT_TRUE(WABMUSUA(*database, ui, {"luis", "Luis", "SUPERVISOR", "", ""}, "UPD"));
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(deleteProfile(*database, ui, "consulta"));
    EXPECT_EQ(ui.texts(), QStringList{"¿Confirma al eliminación del perfil consulta?"});
    EXPECT_EQ(auditTexts().last(), "Elimina perfil consulta");
    EXPECT_EQ(correlativeOf("TEMPORAL"), 2);
    EXPECT_EQ(accessOf(5).left(3), "SCS");
    QString view;
    EXPECT_TRUE(PPARLC(*database, "Product2", "Vista", 0, view));
    EXPECT_EQ(view, "de TEMPORAL");
    EXPECT_FALSE(PPARLC(*database, "Product3", "Vista", 0, view));
}

TEST_F(Profiles, CopyTakesRightsAndAccessAndStopsAtFiftyProfiles)
{
    addWorkPlace(1, "Oficina", QStringLiteral("SC") + QString(48, QChar('N')));
    ui.answer(true);
    ASSERT_TRUE(WCOPIAPE(*database, ui, "consulta", "copia"));
    EXPECT_EQ(auditTexts().last(), "Copia perfil consulta a perfil copia");
    const std::optional<StoredProfile> copy = readProfile(*database, "COPIA");
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->data.description.trimmed(), "Perfil CONSULTA");
    EXPECT_EQ(copy->data.rights, form("CONSULTA").rights);
    EXPECT_EQ(copy->correlative, 3);
    EXPECT_EQ(accessOf(1).left(3), "SCC");

    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAPE(*database, ui, "consulta", "Copia"));
    EXPECT_EQ(ui.texts().last(), "El perfil Copia ya existe");

    for (int number = 4; number <= maximumProfiles; ++number)
        writeProfile(QStringLiteral("P%1").arg(number), rightsWith({}));
    ASSERT_EQ(countRows("PERFILES"), 50);
    ui.clear();
    ui.answer(true);
    EXPECT_FALSE(WCOPIAPE(*database, ui, "consulta", "otra"));
    EXPECT_EQ(ui.texts().last(), "No se permiten más de 50 perfiles");
    ui.clear();
    EXPECT_FALSE(WABMPERF(*database, ui, {"otra", "Otra", rightsWith({}), {}, {}}, "INS"));
    EXPECT_EQ(ui.texts(), QStringList{"No se permiten más de 50 perfiles"});
    EXPECT_EQ(countRows("PERFILES"), 50);
}

TEST_F(Profiles, SavingTheRunsOwnProfilePutsItsRightsIntoTheContext)
{
    ProfileFormInput consulta = form("CONSULTA");
    setRight(consulta.rights, Right::Tables, QChar('C'));
    ASSERT_TRUE(WABMPERF(*database, ui, consulta, "UPD"));
    EXPECT_EQ(VBGlob::get("Permisos"), "SSSSSSMMS") << "another user's profile stays out";

    ProfileFormInput supervisor = form("SUPERVISOR");
    setRight(supervisor.rights, Right::Tables, QChar('N'));
    ASSERT_TRUE(WABMPERF(*database, ui, supervisor, "UPD"));
    const QString permissions = VBGlob::get("Permisos");
    EXPECT_EQ(permissions.left(9), "SSSSSSMNS");
    EXPECT_EQ(permissions.size(), 119);
}

TEST_F(Profiles, TheGateRefusesWithoutRightNineAndWhileProfilesAreCopied)
{
    VBGlob::put("Permisos", "SSSSSSMM");
    EXPECT_FALSE(profilesActionAllowed(*database, ui, ProfilesAction::Print));
    EXPECT_FALSE(profilesActionAllowed(*database, ui, ProfilesAction::Directory));
    VBGlob::put("Permisos", "SSSSSSMMS");
    setParameterText("SincroAuto", "Usu", "S");
    setParameterText("SincroAuto", "Hay", "S");
    EXPECT_FALSE(profilesActionAllowed(*database, ui, ProfilesAction::Change));
    EXPECT_FALSE(profilesActionAllowed(*database, ui, ProfilesAction::Delete));
    EXPECT_FALSE(profilesActionAllowed(*database, ui, ProfilesAction::Copy));
    // The directory's settings are not part of the copied tables.
    EXPECT_TRUE(profilesActionAllowed(*database, ui, ProfilesAction::Directory));
    EXPECT_EQ(ui.texts(), (QStringList{"No tiene permiso para efectuar esta operación",
                                       "No tiene permiso para efectuar esta operación",
                                       "Esta tabla se copia automaticamente",
                                       "No puede eliminar perfiles, esta tabla se copia automaticamente",
                                       "No puede copiar perfiles, esta tabla se copia automaticamente"}));
}

TEST_F(Profiles, TheHierarchyIsStoredAsEnteredAndKeptByWritesThatDoNotName)
{
    ProfileFormInput input = form("CONSULTA");
    input.key = "AUDITOR";
    input.hierarchy = 12;
    ASSERT_TRUE(WABMPERF(*database, ui, input, "INS")) << ui.texts().join('|').toStdString();
    EXPECT_EQ(form("AUDITOR").hierarchy, 12);

    // A value another program wrote, beyond what the list's two digits show,
    // comes back to the form and survives a save of the form unchanged.
    QSqlQuery update(database->connection());
    update.prepare(sql("UPDATE PERFILES SET PrfJerarqu = ? WHERE PrfClave = ?"));
    update.addBindValue(300);
    update.addBindValue(*scrambledProfileKey("AUDITOR"));
    ASSERT_TRUE(update.exec());
    input = form("AUDITOR");
    EXPECT_EQ(input.hierarchy, 300);
    input.description = "Auditoría";
    ASSERT_TRUE(WABMPERF(*database, ui, input, "UPD"));
    EXPECT_EQ(form("AUDITOR").hierarchy, 300);

    // A write that does not name the hierarchy (the procedure alone) keeps it.
    writeProfile("AUDITOR", input.rights);
    EXPECT_EQ(form("AUDITOR").hierarchy, 300);

    input.hierarchy = 40000;
    ui.clear();
    EXPECT_FALSE(WABMPERF(*database, ui, input, "UPD"));
    EXPECT_EQ(ui.texts(), QStringList{"La jerarquía debe ser un número entre -32768 y 32767"});
    EXPECT_EQ(form("AUDITOR").hierarchy, 300);
}
