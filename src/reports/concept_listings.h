#pragma once

#include "reports/listings.h"

// The concept listings, chosen in WCONLIS.

/// "Listado resumido de conceptos": one line per concept in code order with
/// its type, quantity, fraction, nominal or net, currency and the days it
/// accumulates.
ListingResult RCONLISR(KQRView& view, const ListingRun& run);

/// "Listado detallado de conceptos": every concept with all its settings,
/// its amount and quantity lines, the accumulators it feeds and the
/// concepts it expands to.
ListingResult RCONLISD(KQRView& view, const ListingRun& run);

/// What the summarised listing shows for a multiplier and a divisor: "x30"
/// for a multiplier, "/25" when there is a divisor, empty for neither.
QString daysAccumulationText(double multiplier, double divisor);
