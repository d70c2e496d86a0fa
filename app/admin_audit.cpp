// uordane-admin audit: the audit trail of a company's database, newest
// entry first, each entry's lines joined again into its sentence.
#include "admin_command.h"

#include "console/company.h"
#include "data/cursor.h"
#include "data/database.h"
#include "engine/audit.h"

namespace {

QString usage()
{
    return QStringLiteral("audit ") + Company::usage() + QStringLiteral(" [--last N]");
}

struct AuditOptions {
    Company company;
    int last = -1;  ///< entries to show; -1 every one
};

bool parseOptions(const QStringList& given, AuditOptions& options, QString& problem)
{
    QStringList arguments = given;
    if (!options.company.takeServerOptions(arguments, &problem))
        return false;
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
    if (positional.size() > 1) {
        problem = QStringLiteral("Sobra el argumento: ") + positional.at(1);
        return false;
    }
    return options.company.settle(positional.value(0), &problem);
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
        adminErr(QStringLiteral("uso: uordane-admin ") + usage());
        return 2;
    }
    std::unique_ptr<Database> opened = options.company.open(&problem, Database::OpenMode::ReadOnly);
    if (!opened) {
        adminErr(problem);
        return 2;
    }
    Database& database = *opened;

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

const AdminCommand command("audit", usage(), &runAudit);

}  // namespace
