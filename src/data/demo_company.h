#pragma once

#include "data/database.h"

#include <QString>

/// The name of the demo company, as its configuration record holds it.
inline constexpr const char* demoCompanyName = "Construcciones del Plata S.A.";

/// Fills a database made by createDatabase() with a believable construction
/// company of Montevideo: the organisation tables, a few concepts and run
/// types, and employees with their positions, movements and history, so that
/// every screen and every reference check has something to show. One
/// transaction: on failure nothing is written and `error` says why.
bool loadDemoCompany(Database& database, QString* error);
