#include "security/profiles.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "startup/vbglob.h"
#include "support/pencript.h"

#include <QTime>

#include <functional>

namespace {

using K = RightKind;

const QString payrollTab = QStringLiteral("Liquidación");
const QString tablesTab = QStringLiteral("Tablas y sistema");
const QString reportsTab = QStringLiteral("Informes");
const QString designerTab = QStringLiteral("Generador de informes y Planilla horizontal");
const QString clockTab = QStringLiteral("Marcas");
const QString filesTab = QStringLiteral("Legajos");
const QString humanResourcesTab = QStringLiteral("Recursos humanos");

QList<RightDecl> buildRights()
{
    QList<RightDecl> rights = {
        {1, "Tabla de funcionarios, Importación y exportación de funcionarios, Aumentos", K::YesNo, payrollTab},
        {2, "Ingreso de movimentos, Generación automática de movimientos, Importación de movimientos, Egreso de "
            "funcionarios", K::YesNo, payrollTab},
        {3, "Liquidar/Anular liquidación", K::YesNo, payrollTab},
        {4, "Confirmar liquidación, Copia de respaldo", K::YesNo, payrollTab},
        {5, "Eliminación de liquidación confirmada", K::YesNo, payrollTab},
        {6, "Restauración copia automática", K::YesNo, payrollTab},
        {7, "Tabla de conceptos, acumuladores", K::NoneConsultModify, tablesTab},
        {8, "Tablas secundarias (básicos, centros de costo, locales, lugares, atributos adicionales, referencias, "
            "etc.)", K::NoneConsultModify, tablesTab},
        {9, "Tabla de usuarios, Ejecución scripts", K::YesNo, tablesTab},
        {10, "Emisión de informes, Planilla de Trabajo, Archivos BPS, GAFI, Transferencias bancarias", K::YesNo,
         reportsTab},
        {11, "Configuración, Depuración histórico, Conversión desde DOS y Access, Compactación", K::YesNo, tablesTab},
        {12, "Consultar auditoría", K::YesNo, tablesTab},
        {13, "Ejecutar programas externos", K::YesNo, tablesTab},
        {14, "Legajos", K::YesNo, filesTab},
        {15, "Ingreso de movimientos en formato de planilla", K::YesNo, payrollTab},
        {16, "Marcas - por funcionario", K::YesNo, clockTab},
        {17, "Eliminar empresa", K::YesNo, tablesTab},
        {18, "Copiar desde otra empresa", K::YesNo, tablesTab},
        {19, "Ver importes del funcionario, liquidaciones, movimientos", K::YesNo, reportsTab},
        {20, "Marcas - por dia", K::YesNo, clockTab},
        {21, "Cronogramas turnos", K::YesNo, clockTab},
        {22, "Cronogramas funcionarios", K::YesNo, clockTab},
        {23, "Horarios, Configuración", K::YesNo, clockTab},
        {24, "Turnos", K::YesNo, clockTab},
        {25, "Control de marcas, Vista previa de movimientos", K::YesNo, clockTab},
        {26, "Generación de movimientos", K::YesNo, clockTab},
        {27, "Asignar turno", K::YesNo, clockTab},
        {28, "Tarjetas", K::YesNo, clockTab},
        {29, "Eliminar marcas", K::YesNo, clockTab},
        {30, "Crear y modificar informes", K::YesNo, designerTab},
    };
    for (int category = 0; category <= 9; ++category)
        rights.append({31 + category, QStringLiteral("Emitir informes de las categoría %1").arg(category), K::YesNo,
                       designerTab});
    rights += {
        {41, "Modificar/Eliminar movimientos fijos", K::YesNo, payrollTab},
        {42, "VORAN", K::YesNo, reportsTab},
        {43, "Declaraciones 3100", K::YesNo, reportsTab},
        {44, "FONASA", K::YesNo, reportsTab},
        {45, "Supervisa a", K::YesNo, filesTab},
        {46, "Modificar/Eliminar anotaciones leídas", K::YesNo, filesTab},
        {47, "Usar botones Cambiar y Eliminar todo", K::YesNo, payrollTab},
        {100, "Ficha funcional", K::YesNo, filesTab},
        {101, "Datos generales", K::YesNo, filesTab},
        {102, "Documentos", K::YesNo, filesTab},
        {103, "Familiares", K::YesNo, filesTab},
        {104, "Educación", K::YesNo, filesTab},
        {105, "Legajo", K::YesNo, filesTab},
        {106, "Cargo", K::YesNo, filesTab},
        {107, "Formulario 3100", K::YesNo, filesTab},
        {108, "Datos médicos", K::YesNo, filesTab},
        {109, "Tablas", K::YesNo, filesTab},
        {110, "Sin lugar de trabajo", K::YesNo, filesTab},
        {111, "Evaluación de desempeño", K::YesNo, humanResourcesTab},
        {112, "Evaluación", K::YesNo, humanResourcesTab},
        {113, "Análisis de evaluación", K::YesNo, humanResourcesTab},
        {114, "Tablas de evaluación", K::YesNo, humanResourcesTab},
        {115, "Descripción de cargos", K::YesNo, humanResourcesTab},
        {116, "Descripción", K::YesNo, humanResourcesTab},
        {117, "Competencias", K::YesNo, humanResourcesTab},
        {118, "Diccionario de competencias", K::YesNo, humanResourcesTab},
        {119, "Tablas de descripción", K::YesNo, humanResourcesTab},
    };
    return rights;
}

QString padded(const QString& text, int width)
{
    return text.leftJustified(width, ' ', true);
}

QString secondsNow()
{
    return QStringLiteral("%1").arg(QTime::currentTime().second(), 2, 10, QChar('0'));
}

QString storedKey(const QString& key)
{
    return padded(key.trimmed().toUpper(), profileKeyWidth);
}

ProcedureOutcome invalidCharacters()
{
    return ProcedureOutcome::failure(QStringLiteral("Caracteres inválidos en perfil"));
}

ProcedureOutcome tooManyProfiles()
{
    return ProcedureOutcome::failure(QStringLiteral("No se permiten más de 50 perfiles"));
}

/// Opens PERFILES on IPERFILE and seeks the scrambled key.
DbError seekProfile(TableCursor& profiles, const QString& scrambledKey, Access access)
{
    if (DbError error = profiles.open(QStringLiteral("PERFILES"), access))
        return error;
    if (DbError error = profiles.setIndex(QStringLiteral("IPERFILE")))
        return error;
    DbError error = profiles.seek(Comparison::Equal, {scrambledKey});
    profiles.database().idleFreeLocks();
    return error;
}

ProfileData dataOf(const RecordCursor& profiles)
{
    return ProfileData::fromRecord(pencriptUnscramble(profiles.text(QStringLiteral("PrfDatos"))));
}

/// The number of profiles and the highest correlative number among them.
DbError profileNumbers(Database& database, int& count, int& highest)
{
    count = 0;
    highest = 0;
    TableCursor profiles(database);
    if (DbError error = profiles.open(QStringLiteral("PERFILES"), Access::ReadOnly))
        return error;
    DbError error = profiles.moveFirst();
    for (; !error && !profiles.atEnd(); error = profiles.moveNext()) {
        ++count;
        highest = std::max(highest, int(profiles.integer(QStringLiteral("PrfCorrela"))));
    }
    database.idleFreeLocks();
    return error.number == DbErrorNumber::NoCurrentRecord ? DbError::success() : error;
}

/// Writes `build(stored)` as the current record's TraPerfile, under the
/// record's lock (waited for) and inside a short transaction. The stored
/// string is read under the lock, unscrambled and padded with "S" to 50, so
/// another workstation's change to another profile's character is kept.
ProcedureOutcome rewriteAccess(TableCursor& places, UiPort& ui, const std::function<QString(const QString&)>& build)
{
    DbError failure;
    editWaitingForLock(places, ui, &failure);
    if (places.editMode() != EditMode::Editing)
        return ProcedureOutcome::fromDbError(failure);
    const QString stored = pencriptUnscramble(places.text(QStringLiteral("TraPerfile")))
                               .leftJustified(workPlaceAccessWidth, QChar('S'), true);
    const std::optional<QString> scrambled = pencriptScramble(build(stored));
    if (!scrambled) {
        places.cancelUpdate();
        return ProcedureOutcome::failure(QStringLiteral("Caracteres inválidos en el acceso al lugar de trabajo"));
    }
    Database& database = places.database();
    if (DbError error = database.beginTransaction()) {
        places.cancelUpdate();
        return ProcedureOutcome::fromDbError(error);
    }
    places.setValue(QStringLiteral("TraPerfile"), *scrambled);
    if (DbError error = places.update()) {
        places.cancelUpdate();
        return ProcedureOutcome::fromDbError(error);
    }
    return ProcedureOutcome::fromDbError(database.commit());
}

/// Rewrites the access string of every place of work with `build`.
ProcedureOutcome rewriteEveryAccess(Database& database, UiPort& ui, const std::function<QString(const QString&)>& build)
{
    TableCursor places(database);
    if (DbError error = places.open(QStringLiteral("LUGARTRA")))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = places.setIndex(QStringLiteral("ILUGARTR")))
        return ProcedureOutcome::fromDbError(error);
    DbError error = places.moveFirst();
    for (; !error && !places.atEnd(); error = places.moveNext()) {
        if (ProcedureOutcome outcome = rewriteAccess(places, ui, build); !outcome.ok())
            return outcome;
    }
    database.idleFreeLocks();
    if (error && error.number != DbErrorNumber::NoCurrentRecord)
        return ProcedureOutcome::fromDbError(error);
    return ProcedureOutcome::success();
}

/// Adds a profile record; 3022 when the key exists.
DbError addProfile(TableCursor& profiles, const QString& scrambledKey, const QString& scrambledData, int correlative,
                   const QString& directoryGroup, int hierarchy)
{
    Database& database = profiles.database();
    if (DbError error = database.beginTransaction())
        return error;
    profiles.addNew();
    profiles.setValue(QStringLiteral("PrfClave"), scrambledKey);
    profiles.setValue(QStringLiteral("PrfDatos"), scrambledData);
    profiles.setValue(QStringLiteral("PrfCorrela"), correlative);
    profiles.setValue(QStringLiteral("PrfGruLDAP"), directoryGroup);
    profiles.setValue(QStringLiteral("PrfJerarqu"), hierarchy);
    if (DbError error = profiles.update()) {
        profiles.cancelUpdate();
        return error;
    }
    return database.commit();
}

QString productGroup(int correlative)
{
    return QStringLiteral("Product") + QString::number(correlative);
}

/// Whether a stored user has the profile `key` (trimmed, capitals).
DbError profileInUse(Database& database, const QString& key, bool& used)
{
    used = false;
    TableCursor users(database);
    if (DbError error = users.open(QStringLiteral("USUARIOS"), Access::ReadOnly))
        return error;
    DbError error = users.moveFirst();
    for (; !error && !users.atEnd(); error = users.moveNext()) {
        const UserData data = UserData::fromRecord(pencriptUnscramble(users.text(QStringLiteral("UsuDatos"))));
        if (data.profile.trimmed() == key) {
            used = true;
            break;
        }
    }
    database.idleFreeLocks();
    return error.number == DbErrorNumber::NoCurrentRecord ? DbError::success() : error;
}

}  // namespace

const QList<RightDecl>& profileRights()
{
    static const QList<RightDecl> rights = buildRights();
    return rights;
}

const RightDecl* findRight(int position)
{
    for (const RightDecl& right : profileRights()) {
        if (right.position == position)
            return &right;
    }
    return nullptr;
}

const QStringList& rightTabs()
{
    static const QStringList tabs = {payrollTab, tablesTab,  reportsTab,       designerTab,
                                     clockTab,   filesTab,   humanResourcesTab};
    return tabs;
}

QChar rightAt(const QString& rights, int position)
{
    if (position < 1 || position > rights.size())
        return QChar(' ');
    return rights.at(position - 1);
}

void setRight(QString& rights, int position, QChar value)
{
    if (rights.size() < position)
        rights = padded(rights, position);
    rights[position - 1] = value;
}

QString normalisedRights(const QString& rights)
{
    QString result(profileRightsWidth, QChar(' '));
    for (const RightDecl& right : profileRights())
        result[right.position - 1] = rightAt(rights, right.position);
    return result;
}

QString ProfileData::record() const
{
    return padded(seconds, 2) + padded(key, profileKeyWidth) + padded(description, profileDescriptionWidth)
           + padded(rights, profileRightsWidth);
}

ProfileData ProfileData::fromRecord(const QString& record)
{
    const QString full = padded(record, profileRecordWidth);
    return {full.mid(0, 2), full.mid(2, profileKeyWidth), full.mid(22, profileDescriptionWidth),
            full.mid(82, profileRightsWidth)};
}

std::optional<QString> scrambledProfileKey(const QString& key)
{
    return pencriptScramble(storedKey(key));
}

DbError WPERFILE(Database& database, QList<ProfileListing>& profiles)
{
    profiles.clear();
    TableCursor cursor(database);
    if (DbError error = cursor.open(QStringLiteral("PERFILES"), Access::ReadOnly))
        return error;
    if (DbError error = cursor.setIndex(QStringLiteral("IPERFILE")))
        return error;
    DbError error = cursor.moveFirst();
    for (; !error && !cursor.atEnd(); error = cursor.moveNext()) {
        const ProfileData data = dataOf(cursor);
        profiles.append({pencriptUnscramble(cursor.text(QStringLiteral("PrfClave"))).trimmed(),
                         data.description.trimmed(), int(cursor.integer(QStringLiteral("PrfJerarqu"))),
                         int(cursor.integer(QStringLiteral("PrfCorrela"))),
                         cursor.text(QStringLiteral("PrfGruLDAP")).trimmed()});
    }
    database.idleFreeLocks();
    return error.number == DbErrorNumber::NoCurrentRecord ? DbError::success() : error;
}

std::optional<StoredProfile> readProfile(Database& database, const QString& key, DbError* failure)
{
    const std::optional<QString> scrambled = scrambledProfileKey(key);
    if (!scrambled)
        return std::nullopt;
    TableCursor profiles(database);
    const DbError error = seekProfile(profiles, *scrambled, Access::ReadOnly);
    if (failure)
        *failure = error;
    if (error || profiles.noMatch())
        return std::nullopt;
    return StoredProfile{dataOf(profiles), int(profiles.integer(QStringLiteral("PrfCorrela"))),
                         profiles.text(QStringLiteral("PrfGruLDAP")).trimmed(),
                         int(profiles.integer(QStringLiteral("PrfJerarqu")))};
}

QString thisRunsProfile(Database& database)
{
    const std::optional<UserData> user = readUser(database, VBGlob::get(QStringLiteral("Usuario")));
    return user ? user->profile.trimmed() : QString();
}

DbError countProfiles(Database& database, int& count)
{
    int highest = 0;
    return profileNumbers(database, count, highest);
}

ProcedureOutcome PGRABAPE(Database& database, UiPort& ui, const QString& key, const QString& description,
                          const QString& rights, const QString& directoryGroup, int& correlative,
                          std::optional<int> hierarchy)
{
    correlative = 0;
    const std::optional<QString> scrambledKey = scrambledProfileKey(key);
    if (!scrambledKey)
        return invalidCharacters();
    const ProfileData data{secondsNow(), key.trimmed().toUpper(), description, rights};
    // A record that cannot be scrambled whole would be stored cut short and
    // read back as other rights, so it is refused before anything is written.
    const std::optional<QString> scrambledData = pencriptScramble(data.record());
    if (!scrambledData)
        return ProcedureOutcome::failure(QStringLiteral("Caracteres inválidos en la descripción del perfil"));

    TableCursor profiles(database);
    if (DbError error = seekProfile(profiles, *scrambledKey, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (profiles.noMatch()) {
        int count = 0;
        int highest = 0;
        if (DbError error = profileNumbers(database, count, highest))
            return ProcedureOutcome::fromDbError(error);
        if (count >= maximumProfiles)
            return tooManyProfiles();
        const DbError added = addProfile(profiles, *scrambledKey, *scrambledData, highest + 1, directoryGroup,
                                          hierarchy.value_or(0));
        if (!added) {
            correlative = highest + 1;
            return ProcedureOutcome::success();
        }
        if (added.number != DbErrorNumber::DuplicateKey)
            return ProcedureOutcome::fromDbError(added);
        // Another workstation added the same key a moment ago: change it.
        if (DbError error = profiles.seek(Comparison::Equal, {*scrambledKey}))
            return ProcedureOutcome::fromDbError(error);
        if (profiles.noMatch())
            return ProcedureOutcome::fromDbError(added);
    }
    DbError failure;
    editWaitingForLock(profiles, ui, &failure);
    if (profiles.editMode() != EditMode::Editing)
        return ProcedureOutcome::fromDbError(failure);
    if (DbError error = database.beginTransaction()) {
        profiles.cancelUpdate();
        return ProcedureOutcome::fromDbError(error);
    }
    profiles.setValue(QStringLiteral("PrfDatos"), *scrambledData);
    profiles.setValue(QStringLiteral("PrfGruLDAP"), directoryGroup);
    if (hierarchy)
        profiles.setValue(QStringLiteral("PrfJerarqu"), *hierarchy);
    correlative = int(profiles.integer(QStringLiteral("PrfCorrela")));
    if (DbError error = profiles.update()) {
        profiles.cancelUpdate();
        return ProcedureOutcome::fromDbError(error);
    }
    return ProcedureOutcome::fromDbError(database.commit());
}

ProcedureOutcome PGPRFLUG(Database& database, UiPort& ui, int workPlace, int correlative, QChar access)
{
    if (correlative < 1 || correlative > workPlaceAccessWidth)
        return ProcedureOutcome::failure(QStringLiteral("Número de perfil fuera de rango: %1").arg(correlative));
    TableCursor places(database);
    if (DbError error = places.open(QStringLiteral("LUGARTRA")))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = places.setIndex(QStringLiteral("ILUGARTR")))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = places.seek(Comparison::Equal, {workPlace}))
        return ProcedureOutcome::fromDbError(error);
    database.idleFreeLocks();
    if (places.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("No existe el lugar de trabajo %1").arg(workPlace));
    return rewriteAccess(places, ui, [&](const QString& stored) {
        QString changed = stored;
        changed[correlative - 1] = access;
        return changed;
    });
}

ProcedureOutcome PPRFCORR(Database& database, UiPort& ui)
{
    QueryCursor profiles(database);
    if (DbError error = profiles.open(QStringLiteral("SELECT * FROM PERFILES  ORDER BY PrfCorrela")))
        return ProcedureOutcome::fromDbError(error);
    QList<int> oldNumbers;  ///< the correlative of the profile now numbered index + 1
    DbError moved;
    for (; !moved && !profiles.atEnd(); moved = profiles.moveNext()) {
        const int old = int(profiles.integer(QStringLiteral("PrfCorrela")));
        oldNumbers.append(old);
        const int number = int(oldNumbers.size());
        if (old == number)
            continue;
        DbError failure;
        editWaitingForLock(profiles, ui, &failure);
        if (profiles.editMode() != EditMode::Editing)
            return ProcedureOutcome::fromDbError(failure);
        if (DbError begun = database.beginTransaction()) {
            profiles.cancelUpdate();
            return ProcedureOutcome::fromDbError(begun);
        }
        profiles.setValue(QStringLiteral("PrfCorrela"), number);
        if (DbError updated = profiles.update()) {
            profiles.cancelUpdate();
            return ProcedureOutcome::fromDbError(updated);
        }
        if (DbError committed = database.commit())
            return ProcedureOutcome::fromDbError(committed);
    }
    database.idleFreeLocks();
    if (moved)
        return ProcedureOutcome::fromDbError(moved);

    bool anyRenumbered = false;
    for (int index = 0; index < oldNumbers.size(); ++index)
        anyRenumbered = anyRenumbered || oldNumbers[index] != index + 1;
    if (!anyRenumbered)
        return ProcedureOutcome::success();
    // Each profile keeps its own access to every place of work; positions no
    // profile holds any more are open, as on a new place of work.
    ProcedureOutcome rewritten = rewriteEveryAccess(database, ui, [&](const QString& stored) {
        QString access(workPlaceAccessWidth, QChar('S'));
        for (int index = 0; index < oldNumbers.size() && index < workPlaceAccessWidth; ++index) {
            const int old = oldNumbers[index];
            if (old >= 1 && old <= workPlaceAccessWidth)
                access[index] = stored.at(old - 1);
        }
        return access;
    });
    if (!rewritten.ok())
        return rewritten;
    // Ascending order: a profile's new number was freed by the one renamed
    // before it (or by the deleted profile).
    for (int index = 0; index < oldNumbers.size(); ++index) {
        if (oldNumbers[index] == index + 1)
            continue;
        if (DbError error = database.execute(QStringLiteral("UPDATE PARAMETR SET ParTabla = ? WHERE ParTabla = ?"),
                                             {productGroup(index + 1), productGroup(oldNumbers[index])}))
            return ProcedureOutcome::fromDbError(error);
    }
    return ProcedureOutcome::success();
}

ProcedureOutcome PBORRAPE(Database& database, UiPort& ui, const QString& key)
{
    const QString plainKey = key.trimmed().toUpper();
    const std::optional<QString> scrambledKey = scrambledProfileKey(key);
    if (!scrambledKey)
        return invalidCharacters();
    bool used = false;
    if (DbError error = profileInUse(database, plainKey, used))
        return ProcedureOutcome::fromDbError(error);
    if (used)
        return ProcedureOutcome::failure(QStringLiteral("No se puede eliminar el perfil porque hay usuarios asociados"));
    TableCursor profiles(database);
    if (DbError error = seekProfile(profiles, *scrambledKey, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (profiles.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("No existe el perfil ") + key.trimmed());
    DbError failure;
    editWaitingForLock(profiles, ui, &failure);
    if (profiles.editMode() != EditMode::Editing)
        return ProcedureOutcome::fromDbError(failure);
    const int correlative = int(profiles.integer(QStringLiteral("PrfCorrela")));
    profiles.cancelUpdate();
    // The lock was free a moment ago; remove() takes it again for the delete.
    if (DbError error = profiles.remove())
        return ProcedureOutcome::fromDbError(error);
    profiles.close();
    if (DbError error = database.execute(QStringLiteral("DELETE * FROM PARAMETR WHERE ParTabla = ?"),
                                         {productGroup(correlative)}))
        return ProcedureOutcome::fromDbError(error);
    return PPRFCORR(database, ui);
}

ProcedureOutcome PCOPIAPE(Database& database, UiPort& ui, const QString& source, const QString& newKey,
                          QString& failed)
{
    failed = QStringLiteral("S");
    const std::optional<QString> scrambledNew = scrambledProfileKey(newKey);
    if (!scrambledNew)
        return invalidCharacters();
    TableCursor profiles(database);
    if (DbError error = seekProfile(profiles, *scrambledNew, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (!profiles.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("El perfil ") + newKey.trimmed() + QStringLiteral(" ya existe"));
    int count = 0;
    int highest = 0;
    if (DbError error = profileNumbers(database, count, highest))
        return ProcedureOutcome::fromDbError(error);
    if (count >= maximumProfiles)
        return tooManyProfiles();
    DbError readFailure;
    const std::optional<StoredProfile> original = readProfile(database, source, &readFailure);
    if (readFailure)
        return ProcedureOutcome::fromDbError(readFailure);
    if (!original)
        return ProcedureOutcome::failure(QStringLiteral("No existe el perfil ") + source.trimmed());
    const ProfileData copy{secondsNow(), newKey.trimmed().toUpper(), original->data.description,
                           original->data.rights};
    const std::optional<QString> scrambledData = pencriptScramble(copy.record());
    if (!scrambledData)
        return invalidCharacters();
    const int correlative = highest + 1;
    const DbError added = addProfile(profiles, *scrambledNew, *scrambledData, correlative, QString(), 0);
    if (added.number == DbErrorNumber::DuplicateKey)
        return ProcedureOutcome::failure(QStringLiteral("Ya existe el registro"), added.number);
    if (added)
        return ProcedureOutcome::fromDbError(added);
    failed = QStringLiteral("N");
    const int from = original->correlative;
    if (from < 1 || from > workPlaceAccessWidth || correlative > workPlaceAccessWidth)
        return ProcedureOutcome::success();
    return rewriteEveryAccess(database, ui, [&](const QString& stored) {
        QString changed = stored;
        changed[correlative - 1] = stored.at(from - 1);
        return changed;
    });
}

DbError readWorkPlaceAccess(Database& database, int correlative, QList<WorkPlaceAccess>& places)
{
    places.clear();
    TableCursor cursor(database);
    if (DbError error = cursor.open(QStringLiteral("LUGARTRA"), Access::ReadOnly))
        return error;
    if (DbError error = cursor.setIndex(QStringLiteral("ILUGARTR")))
        return error;
    DbError error = cursor.moveFirst();
    for (; !error && !cursor.atEnd(); error = cursor.moveNext()) {
        const QString access = pencriptUnscramble(cursor.text(QStringLiteral("TraPerfile")));
        QChar character = rightAt(access, correlative);
        if (character != QChar('N') && character != QChar('C'))
            character = QChar('S');
        places.append({int(cursor.integer(QStringLiteral("TraId"))), cursor.text(QStringLiteral("TraDesc")).trimmed(),
                       character});
    }
    database.idleFreeLocks();
    return error.number == DbErrorNumber::NoCurrentRecord ? DbError::success() : error;
}
