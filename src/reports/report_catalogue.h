#pragma once

// The report field catalogue (CAMPOS) as the report generator runs it: each
// field's column and the joins that bring its table into a report's query.
// Only what the catalogue says and what this file knows of the schema's
// relations ever becomes SQL; a catalogue text that is not a plain
// TABLE.Field of the schema, or a table it cannot join, is refused.

#include "data/database.h"
#include "data/report_fields.h"
#include "reports/report_condition.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/// One catalogue field as read from CAMPOS.
struct ReportCatalogueField {
    int id = 0;
    QString description;  ///< `CamDes`
    int group = 0;        ///< `CamGrupo`
    QString table;        ///< `CamTabla`
    QString column;       ///< `CamText`
    ReportFieldType type = ReportFieldType::Character;
    QString picture;      ///< `CamPLEdici`
    bool summable = false;
};

/// The catalogue fields by number.
using ReportFieldCatalogue = QHash<int, ReportCatalogueField>;

/// Reads every row of CAMPOS. False with `error` set on a database failure.
bool readReportCatalogue(Database& database, ReportFieldCatalogue& catalogue, QString* error);

/// The FROM clause and the column expressions of a report's fields.
struct ReportSource {
    QString from;             ///< "FUNCIONA JOIN ... LEFT JOIN ..."
    QHash<int, QString> columns;  ///< field number -> checked column expression
    QString error;            ///< why the fields cannot be read together
    bool ok() const { return error.isEmpty(); }
    /// The table that gives one row per record of its own (HISTORIA,
    /// MOVIMIEN, LIQUIDAC, FICHA); empty when the rows are the employees.
    QString rowTable;
    /// Whether the employee's positions (CARGOSFU) are joined: a row per position.
    bool positionJoined = false;
};

/// Plans the query of a report that reads `fields`: checks each field's
/// catalogue texts and joins every table they need, in dependency order.
ReportSource planReportSource(const QList<ReportCatalogueField>& fields);
