#include "payroll/concept_consistency.h"

#include "data/database.h"
#include "support/ui_port.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

/// A concept as the warnings name it.
struct ConceptNamed {
    int code = 0;
    QString description;
    int priority = 0;

    QString quoted() const { return u"'"_s + QString::number(code) + u"-"_s + description + u"'"_s; }
};

/// A concept that accumulates into liquidation accumulator `accumulator`.
struct Accumulating {
    ConceptNamed concept_;
    int accumulator = 0;
};

/// The concepts whose lines read each liquidation accumulator, by its
/// number, in concept order, each concept once per accumulator.
using Readers = QHash<int, QList<ConceptNamed>>;

ConceptNamed named(const QSqlQuery& query, int first)
{
    return {query.value(first).toInt(), query.value(first + 1).toString().trimmed(), query.value(first + 2).toInt()};
}

/// Every (concept, accumulator) pair of CONCEPT3 of type "L", read in one
/// pass in the order the control goes through them.
QList<Accumulating> accumulatingConcepts(Database& database, DbError* error)
{
    QList<Accumulating> rows;
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(translateJetSql(u"SELECT a.AcuId, c.ConId, c.ConDesc, c.ConPriorid FROM CONCEPT3 a "
                                    "JOIN CONCEPT c ON c.ConId = a.ConId WHERE a.AcuTipo = 'L' "
                                    "ORDER BY c.ConId, a.AcuId"_s,
                                    database.backend()))) {
        *error = database.failure(query.lastError(), u"No se pudo leer los acumuladores de los conceptos"_s);
        return rows;
    }
    while (query.next())
        rows.append({named(query, 1), query.value(0).toInt()});
    return rows;
}

/// The concepts whose lines of `table` use "ACL" with a number.
Readers accumulatorReaders(Database& database, const QString& table, const QString& prefix, DbError* error)
{
    Readers readers;
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    const QString statement = u"SELECT DISTINCT l.%1Nro, c.ConId, c.ConDesc, c.ConPriorid FROM %2 l "
                              "JOIN CONCEPT c ON c.ConId = l.ConId WHERE TRIM(l.%1Usar) = 'ACL' "
                              "ORDER BY c.ConId, l.%1Nro"_s.arg(prefix, table);
    if (!query.exec(translateJetSql(statement, database.backend()))) {
        *error = database.failure(query.lastError(), u"No se pudo leer "_s + table);
        return readers;
    }
    while (query.next())
        readers[query.value(0).toInt()].append(named(query, 1));
    return readers;
}

}  // namespace

QStringList conceptConsistencyWarnings(Database& database, DbError* error)
{
    QStringList warnings;
    DbError failure;
    const QList<Accumulating> accumulating = accumulatingConcepts(database, &failure);
    const Readers amountReaders = failure ? Readers{} : accumulatorReaders(database, u"CONCEPT1"_s, u"Ope"_s, &failure);
    const Readers quantityReaders =
        failure ? Readers{} : accumulatorReaders(database, u"CONCEPT4"_s, u"Can"_s, &failure);
    database.idleFreeLocks();
    if (error)
        *error = failure;
    if (failure)
        return warnings;

    struct Ending {
        const Readers* readers;
        QString text;
    };
    const Ending endings[] = {
        {&amountReaders, u" que utiliza dicho acumulador en el cálculo de importe."_s},
        {&quantityReaders, u" que utiliza dicho acumulador en el cálculo de cantidad."_s},
    };
    for (const Accumulating& row : accumulating) {
        const ConceptNamed& accumulates = row.concept_;
        for (const Ending& ending : endings) {
            for (const ConceptNamed& reader : ending.readers->value(row.accumulator)) {
                // Concepts are liquidated in the order of their priority.
                if (accumulates.priority <= reader.priority)
                    continue;
                warnings << u"AVISO: El concepto "_s + accumulates.quoted()
                        + u" que se acumula en el acumulador de liquidación "_s + QString::number(row.accumulator)
                        + u" se liquida después que el concepto "_s + reader.quoted() + ending.text;
            }
        }
    }
    return warnings;
}

ProcedureResult PCTRCON2(Database& database, UiPort& ui, const QString& file, QStringList* warnings)
{
    ui.statusText(1, u"Controlando conceptos..."_s);
    DbError error;
    const QStringList found = conceptConsistencyWarnings(database, &error);
    ui.statusText(1, QString());
    if (error)
        return ProcedureResult::from(error);
    if (warnings)
        *warnings = found;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        return ProcedureResult::failure(u"No se pudo escribir "_s + file + u": "_s + out.errorString());
    for (const QString& line : found)
        out.write((line + u'\n').toUtf8());
    if (!out.commit())
        return ProcedureResult::failure(u"No se pudo escribir "_s + file + u": "_s + out.errorString());
    return {};
}
