// uordane-admin audit: the audit trail of a data folder's database, newest
// entry first, each entry's lines joined again into its sentence.
#include "admin_command.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/database_setup.h"
#include "engine/audit.h"
#include "support/file_names.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const usage = "audit CARPETA [--last N]";

struct AuditOptions {
    QString folder;
    int last = -1;  ///< entries to show; -1 every one
};

bool parseOptions(const QStringList& arguments, AuditOptions& options, QString& problem)
{
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        if (argument == QLatin1String("--last")) {
            bool number = false;
            options.last = at + 1 < arguments.size() ? arguments.at(++at).toInt(&number) : 0;
            if (!number || options.last <= 0) {
                problem = QStringLiteral("--last necesita un número de entradas mayor que cero");
                return false;
            }
        } else if (argument.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("Opción desconocida: ") + argument;
            return false;
        } else {
            positional.append(argument);
        }
    }
    if (positional.size() != 1) {
        problem = positional.isEmpty() ? QStringLiteral("Falta la carpeta de datos")
                                       : QStringLiteral("Sobra el argumento: ") + positional.at(1);
        return false;
    }
    options.folder = positional.first();
    return true;
}

QString areaName(int area)
{
    switch (area) {
    case AuditArea::UserReports:
        return QStringLiteral("Informes");
    case AuditArea::Concepts:
        return QStringLiteral("Conceptos");
    case AuditArea::Tables:
        return QStringLiteral("Tablas");
    case AuditArea::UsersAndProfiles:
        return QStringLiteral("Usuarios");
    default:
        return QString::number(area);
    }
}

/// One entry, its lines in order.
struct Entry {
    double correlative = 0;
    QString date;
    QString time;
    QString user;
    int area = 0;
    QStringList lines;

    /// The sentence again: lines cut at a blank lost that blank; a line of
    /// the full width without any blank was cut inside a word.
    QString sentence() const
    {
        QString text;
        for (qsizetype at = 0; at < lines.size(); ++at) {
            const QString& previous = at > 0 ? lines.at(at - 1) : QString();
            const bool cutInsideWord = previous.size() == auditLineWidth && !previous.contains(u' ');
            if (at > 0 && !cutInsideWord)
                text += u' ';
            text += lines.at(at);
        }
        return text;
    }
};

QString row(const QString& correlative, const QString& date, const QString& time, const QString& user,
            const QString& area, const QString& text)
{
    return correlative.leftJustified(11) + u' ' + date.leftJustified(10) + u' ' + time.leftJustified(8) + u' '
        + user.leftJustified(20) + u' ' + area.leftJustified(10) + u' ' + text;
}

void print(const Entry& entry)
{
    adminOut(row(QString::number(entry.correlative, 'f', 0), entry.date, entry.time, entry.user,
                 areaName(entry.area), entry.sentence()));
}

int runAudit(const QStringList& arguments)
{
    AuditOptions options;
    QString problem;
    if (!parseOptions(arguments, options, problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + QString::fromUtf8(usage));
        return 2;
    }
    const QString file =
        findFileIgnoringCase(QDir(options.folder).filePath(QString::fromLatin1(databaseFileName)));
    if (!QFileInfo::exists(file)) {
        adminErr(QStringLiteral("No existe la base de datos ") + file);
        return 1;
    }
    Database database(DatabaseLocation::sqliteFile(file));
    // Only reads: opened read-only, so that nothing in the file changes.
    if (!database.open(Database::OpenMode::ReadOnly)) {
        adminErr(database.errorText());
        return 1;
    }

    // Backwards through IAUDITOR: the newest entry first, its lines last to
    // first, so --last N reads only what it shows.
    TableCursor audit(database);
    DbError error = audit.open(QStringLiteral("AUDITORI"), Access::ReadOnly);
    if (!error)
        error = audit.setIndex(QStringLiteral("IAUDITOR"));
    if (!error)
        error = audit.moveLast();
    if (error) {
        adminErr(QStringLiteral("No se pudo leer la auditoría: ") + error.fullText());
        return 1;
    }

    adminOut(row(QStringLiteral("Correlativo"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                 QStringLiteral("Usuario"), QStringLiteral("Área"), QStringLiteral("Descripción")));
    int shown = 0;
    Entry entry;
    bool pending = false;
    for (; audit.hasCurrent(); audit.movePrevious()) {
        const double correlative = audit.number(QStringLiteral("AudCorrela"));
        if (pending && correlative != entry.correlative) {
            print(entry);
            pending = false;
            if (++shown == options.last)
                return 0;
        }
        if (!pending) {
            entry = Entry{correlative,
                          audit.date(QStringLiteral("AudFecha")).date().toString(QStringLiteral("dd/MM/yyyy")),
                          audit.text(QStringLiteral("AudHora")).trimmed(),
                          audit.text(QStringLiteral("UsuNombre")).trimmed(),
                          int(audit.integer(QStringLiteral("TarCodigo"))),
                          {}};
            pending = true;
        }
        entry.lines.prepend(audit.text(QStringLiteral("AudDescrip")));
    }
    if (pending)
        print(entry);
    return 0;
}

const AdminCommand command("audit", usage, &runAudit);

}  // namespace
