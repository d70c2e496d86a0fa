#pragma once

#include "reports/kqrview.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include "data/db_error.h"

class Database;
class UiPort;

/// What a listing procedure needs besides the report writer.
struct ListingRun {
    Database* database = nullptr;
    QString output = QStringLiteral("SCR");  ///< "SCR" preview, "PRN" printer
    QString user;                            ///< shown after "Por:"
    QDateTime emittedAt;                     ///< shown after "Emitido:"
    UiPort* ui = nullptr;                    ///< processes events in long loops

    /// A run on `database` now, by the user of this session, to `output`;
    /// empty: the program-wide output choice (ReportOutputChoice).
    static ListingRun now(Database& database, const QString& output = {});
};

/// How a listing procedure ended: error code 0 for success, else a code and
/// a message for its caller.
struct ListingResult {
    int errorCode = 0;
    QString errorMessage;

    bool ok() const { return errorCode == 0; }
    /// A database failure: its engine number, our message and the driver's text.
    static ListingResult from(const DbError& error) { return {error.number, error.fullText()}; }
};

using ListingProcedure = ListingResult (*)(KQRView& view, const ListingRun& run);

struct ListingEntry {
    QString name;   ///< the listing object, e.g. "RCATEGOR"
    QString title;  ///< its document name
    ListingProcedure run;
};

namespace Listings {

/// Every listing of the program, by object name.
const QList<ListingEntry>& all();
/// The listing called `name` (any letter case), or nullptr.
const ListingEntry* find(const QString& name);

}  // namespace Listings


/// `CfEmpresa` of the company record (`CfId` 0) of `CONFIGUR`; empty when
/// there is no such record. False with `error` set when the table cannot be
/// read.
bool readCompanyName(Database& database, QString& company, ListingResult& error);

// The listings of the organisation tables, each over its table by its
// primary index.
ListingResult RCATEGOR(KQRView& view, const ListingRun& run);  ///< categories, `CATEGORI`
ListingResult RCARGOLI(KQRView& view, const ListingRun& run);  ///< positions, `CARGOS`
ListingResult RCENTROC(KQRView& view, const ListingRun& run);  ///< cost centres, `CENTROCO`
ListingResult RHORARIO(KQRView& view, const ListingRun& run);  ///< schedules, `HORARIOS`
ListingResult RLUGARTR(KQRView& view, const ListingRun& run);  ///< places of work, `LUGARTRA`
ListingResult RLUGARCO(KQRView& view, const ListingRun& run);  ///< places of payment, `LUGARCOB`
ListingResult RRUBROLI(KQRView& view, const ListingRun& run);  ///< headings, `RUBROS`
ListingResult RCODIGOL(KQRView& view, const ListingRun& run);  ///< annotation codes, `FICCOD`
ListingResult RLOCALLI(KQRView& view, const ListingRun& run);  ///< locales, `LOCALES`, landscape
ListingResult ROBRASLI(KQRView& view, const ListingRun& run);  ///< works, `OBRAS`, two lines a works
/// Leave-day scales, `DIASLICE`, each with its lines of `DIASLIC1` under it.
ListingResult RDIASLIC(KQRView& view, const ListingRun& run);
/// Basics, `BASICOS`, each with its values of `BASICOS1` under it, landscape.
ListingResult RBASICL2(KQRView& view, const ListingRun& run);

/// The accounting entries with their lines and calculations (`ASIENTO`,
/// `ASIENTO1`, `ASIENT4`).
ListingResult RASILIST(KQRView& view, const ListingRun& run);

// The listings of the payroll definitions beside the concepts.
ListingResult RTIPOSLI(KQRView& view, const ListingRun& run);  ///< liquidation types with their rules
ListingResult RACUMHLL(KQRView& view, const ListingRun& run);  ///< accumulators with their concepts
ListingResult RAPORTEL(KQRView& view, const ListingRun& run);  ///< contribution groups with their lines
