#include "data/parameters.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"

#include <optional>

namespace {

/// The values a writer sets; the others stay as they are.
struct ParameterValues {
    std::optional<QString> text;
    std::optional<double> number;
    std::optional<QDateTime> date;
};

/// Opens PARAMETR on IPARAMET and stands on the row of (group, name, index);
/// false when there is no such row or the table cannot be read.
bool seekParameter(TableCursor& parameters, const QString& group, const QString& name, int index, Access access)
{
    if (parameters.open(QStringLiteral("PARAMETR"), access))
        return false;
    if (parameters.setIndex(QStringLiteral("IPARAMET")))
        return false;
    if (parameters.seek(Comparison::GreaterOrEqual, {group.trimmed(), name.trimmed(), index}))
        return false;
    parameters.database().idleFreeLocks();
    if (parameters.atEnd())
        return false;
    return parameters.text(QStringLiteral("ParTabla")).trimmed() == group.trimmed()
        && parameters.text(QStringLiteral("ParParamet")).trimmed() == name.trimmed()
        && parameters.integer(QStringLiteral("ParIndice")) == index;
}

DbError setValues(TableCursor& parameters, const ParameterValues& values)
{
    if (values.text)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorCa"), *values.text))
            return error;
    if (values.number)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorNu"), *values.number))
            return error;
    if (values.date)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorFe"), *values.date))
            return error;
    return {};
}

DbError writeParameter(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                       const ParameterValues& values)
{
    TableCursor parameters(database);
    const bool exists = seekParameter(parameters, group, name, index, Access::ReadWrite);
    if (!parameters.isOpen())
        return DbError::make(DbErrorNumber::TableNotFound, QStringLiteral("No existe la tabla PARAMETR"));
    if (exists) {
        DbError lockError;
        editWaitingForLock(parameters, ui, &lockError);
        if (lockError)
            return lockError;
        if (DbError error = database.beginTransaction())
            return error;
        if (DbError error = setValues(parameters, values)) {
            parameters.cancelUpdate();
            database.rollback();
            return error;
        }
        if (DbError error = parameters.update())
            return error;
        return database.commit();
    }
    parameters.addNew();
    if (DbError error = database.beginTransaction())
        return error;
    parameters.setValue(QStringLiteral("ParTabla"), group.trimmed());
    parameters.setValue(QStringLiteral("ParParamet"), name.trimmed());
    parameters.setValue(QStringLiteral("ParIndice"), index);
    if (DbError error = setValues(parameters, values)) {
        parameters.cancelUpdate();
        database.rollback();
        return error;
    }
    if (DbError error = parameters.update()) {
        parameters.cancelUpdate();
        if (error.number == DbErrorNumber::DuplicateKey)
            return DbError::make(error.number, QStringLiteral("Ya existe el registro"), error.driverText);
        return error;
    }
    if (DbError error = database.commit())
        return error;
    parameters.setBookmark(parameters.lastModified());
    return {};
}

}  // namespace

bool PPARLC(Database& database, const QString& group, const QString& name, int index, QString& text)
{
    TableCursor parameters(database);
    if (!seekParameter(parameters, group, name, index, Access::ReadOnly))
        return false;
    text = parameters.text(QStringLiteral("ParValorCa"));
    return true;
}

bool PPARLN40(Database& database, const QString& group, const QString& name, int index, double& number)
{
    TableCursor parameters(database);
    if (!seekParameter(parameters, group, name, index, Access::ReadOnly))
        return false;
    number = parameters.number(QStringLiteral("ParValorNu"));
    return true;
}

bool PPARAMLE(Database& database, const QString& group, const QString& name, int index, QString& text,
              double& number, QDateTime& date)
{
    TableCursor parameters(database);
    if (!seekParameter(parameters, group, name, index, Access::ReadOnly))
        return false;
    text = parameters.text(QStringLiteral("ParValorCa"));
    number = parameters.number(QStringLiteral("ParValorNu"));
    date = parameters.date(QStringLiteral("ParValorFe"));
    return true;
}

DbError PPARGC(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
               const QString& text)
{
    return writeParameter(database, ui, group, name, index, {text, std::nullopt, std::nullopt});
}

DbError PPARGN40(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 double number)
{
    return writeParameter(database, ui, group, name, index, {std::nullopt, number, std::nullopt});
}

DbError PPARAMGR(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 const QString& text, double number, const QDateTime& date)
{
    return writeParameter(database, ui, group, name, index, {text, number, date});
}
