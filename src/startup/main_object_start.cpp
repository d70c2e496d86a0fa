#include "startup/main_object_start.h"

#include "startup/archivos_ini.h"
#include "startup/vbglob.h"

namespace {

QString rightTrimmed(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

}  // namespace

int PINIMAIN(const CallParameters& parameters, const QString& iniFile, UiPort& ui)
{
    VBGlob::clear();
    for (int index = 0; index < CallParameters::count; ++index)
        VBGlob::put(CallParameters::contextKeys[static_cast<size_t>(index)], parameters[index]);

    if (!parameters.isClientServer()) {
        VBGlob::put("PathEmpresa", ArchivosIni::readValue("KqFiles", "DataPath", QString(), iniFile));
        return 0;
    }
    const QString login = VBGlob::get("UsuarioBD");
    const QString password = VBGlob::get("ContraseñaBD");
    const QString server = VBGlob::get("Servidor");
    if (PCONECTA(login, password, VBGlob::get("Base"), server, "default") != 0) {
        ui.message("No puede conectar con la base de datos", MessageIcon::Information);
        return 1;
    }
    if (PCONECTA(login, password, "TALDO_MASTER", server, "TALDO_MASTER") != 0) {
        ui.message("No puede conectar con la base de datos TALDO_MASTER", MessageIcon::Information);
        return 1;
    }
    return 0;
}

QString PTITULOE(const QString& systemName, const QString& subtitle)
{
    QString title = systemName + " - " + subtitle;
    const QString companyIdentifier = VBGlob::get("IdEmpresa");
    if (!companyIdentifier.trimmed().isEmpty())
        title += " - " + rightTrimmed(companyIdentifier);
    return title;
}

MainObjectStart startMainObject(const CallParameters& parameters, const QString& iniFile,
                                Database* database, UiPort& ui)
{
    MainObjectStart start;
    if (PINIMAIN(parameters, iniFile, ui) != 0) {
        start.outcome = MainObjectOutcome::Close;
        return start;
    }
    // The server answered the checks but the program's own connection to it
    // was refused at start-up: every table would be out of reach.
    if (parameters.isClientServer() && !database) {
        ui.message("No puede conectar con la base de datos", MessageIcon::Information);
        start.outcome = MainObjectOutcome::Close;
        return start;
    }
    if (parameters.permissions().trimmed().isEmpty()) {
        ui.message("Este programa no puede ejecutarse por separado", MessageIcon::Information);
        start.outcome = MainObjectOutcome::EndProgram;
        return start;
    }
    if (database) {
        const ConfigurationRecord record = PLEECONF(*database);
        start.companyName = record.companyName;
        start.databaseVersion = record.version;
    }
    start.title = PTITULOE("Dorvo", start.companyName);
    start.outcome = MainObjectOutcome::Run;
    return start;
}
