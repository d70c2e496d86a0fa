#include "payroll/procedure_result.h"

#include "data/database.h"

ProcedureResult ProcedureResult::from(const DbError& error)
{
    return {error.number, error.fullText()};
}

DbError runInOneTransaction(Database& database, const std::function<DbError()>& steps)
{
    if (DbError error = database.beginTransaction())
        return error;
    DbError error = steps();
    if (!error)
        error = database.commit();
    if (error)
        database.rollback();
    return error;
}
