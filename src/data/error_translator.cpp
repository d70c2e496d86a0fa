#include "data/error_translator.h"

#include "support/program_end.h"
#include "support/ui_port.h"

int translateDatabaseError(UiPort& ui, const DbError& pending)
{
    if (!pending.ok()) {
        LastError::setNumber(pending.number);
        if (LastError::message().isEmpty())
            LastError::setMessage(pending.textWithDetails());
    }
    const int number = LastError::number();
    const QString message = LastError::message();
    LastError::setMessage(QString());

    if (number == 0)
        return 0;
    if (number == DbErrorNumber::PathNotFound || number == DbErrorNumber::InvalidPicture)
        return resumeNextResult;
    if (number == DbErrorNumber::DuplicateKey) {
        ui.message(QStringLiteral("Ya existe el registro"), MessageIcon::Exclamation);
        return number;
    }
    if (number == DbErrorNumber::TransactionLogFull) {
        ui.question(QStringLiteral("Transaction Log Is Full, must commit or rollback"), DefaultButton::Yes);
        return number;
    }
    if (number == DbErrorNumber::ChangedByAnotherUser) {
        ui.question(QStringLiteral("Los datos fueron modificados por otro usuario") + QStringLiteral("Descarta modificaciones"),
                    DefaultButton::Yes);
        return number;
    }
    if (number == DbErrorNumber::ProgramEnds) {
        ui.message(message, MessageIcon::Exclamation);
        ProgramEnd::request();
        return number;
    }
    if (number == DbErrorNumber::LockFileFailure
        || (number >= 1001 && number <= 1200)) {
        ui.message(message, MessageIcon::Exclamation);
        return number;
    }
    ui.message(QStringLiteral("Error No. ") + QString::number(number) + QStringLiteral(" : ") + message,
               MessageIcon::Exclamation);
    return number;
}

namespace {

QString sqliteFailureReason(const QString& code)
{
    bool number = false;
    const int extended = code.toInt(&number);
    if (!number)
        return {};
    // The primary result code is the low byte of the extended one.
    switch (extended & 0xff) {
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
        return QStringLiteral("la base de datos está ocupada por otro puesto");
    case 8:  // SQLITE_READONLY
        return QStringLiteral("el archivo es de solo lectura para este usuario");
    case 10:  // SQLITE_IOERR
        return QStringLiteral("falló la lectura o la escritura del disco");
    case 11:  // SQLITE_CORRUPT
        return QStringLiteral("la base de datos está dañada");
    case 13:  // SQLITE_FULL
        return QStringLiteral("el disco está lleno");
    case 14:  // SQLITE_CANTOPEN
        return QStringLiteral("no se puede abrir el archivo");
    case 23:  // SQLITE_AUTH
        return QStringLiteral("no hay permiso para usar el archivo");
    case 26:  // SQLITE_NOTADB
        return QStringLiteral("el archivo no es una base de datos");
    }
    return {};
}

QString postgresFailureReason(const QString& code, const QString& driverText)
{
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02"))
        return QStringLiteral("se perdió la conexión con el servidor");
    if (code == QLatin1String("57P03"))
        return QStringLiteral("el servidor no acepta conexiones en este momento");
    if (code == QLatin1String("53100"))
        return QStringLiteral("el disco del servidor está lleno");
    if (code == QLatin1String("25006"))
        return QStringLiteral("la base de datos es de solo lectura");
    if (code == QLatin1String("28P01") || code == QLatin1String("28000"))
        return QStringLiteral("el servidor rechazó el usuario o la contraseña");
    if (code == QLatin1String("3D000"))
        return QStringLiteral("el servidor no tiene esa base de datos");
    if (code == QLatin1String("42501"))
        return QStringLiteral("el usuario no tiene permiso sobre la base de datos");
    if (code == QLatin1String("XX001") || code == QLatin1String("XX002"))
        return QStringLiteral("la base de datos está dañada");
    if (code == QLatin1String("55P03") || code == QLatin1String("40001") || code == QLatin1String("40P01"))
        return QStringLiteral("la base de datos está ocupada por otro puesto");
    if (!code.isEmpty())
        return {};
    // A failed connection has no SQLSTATE: only the client library's text
    // tells why.
    if (driverText.contains(QLatin1String("authentication failed"), Qt::CaseInsensitive)
        || driverText.contains(QLatin1String("no password supplied"), Qt::CaseInsensitive))
        return QStringLiteral("el servidor rechazó el usuario o la contraseña");
    if (driverText.contains(QLatin1String("does not exist"), Qt::CaseInsensitive))
        return QStringLiteral("el servidor no tiene esa base de datos");
    if (driverText.contains(QLatin1String("server closed the connection"), Qt::CaseInsensitive)
        || driverText.contains(QLatin1String("no connection to the server"), Qt::CaseInsensitive))
        return QStringLiteral("se perdió la conexión con el servidor");
    if (driverText.contains(QLatin1String("connect"), Qt::CaseInsensitive))
        return QStringLiteral("no se puede conectar con el servidor");
    return {};
}

}  // namespace

QString databaseFailureReason(Backend backend, const QString& code, const QString& driverText)
{
    QString reason;
    switch (backend) {
    case Backend::Sqlite:
        reason = sqliteFailureReason(code);
        break;
    case Backend::Postgres:
        reason = postgresFailureReason(code, driverText);
        break;
    }
    return reason;
}
