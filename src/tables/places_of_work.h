#pragma once

#include <QString>

struct TransactionDecl;
struct WorkPanelDecl;

/// The places of work form over LUGARTRA.
const TransactionDecl& TLUGARTR();
/// The list of places of work; the default place of work of the employee
/// preferences is protected from delete.
const WorkPanelDecl& WLUGARST();

/// What a new place of work stores in `TraPerfile`: every profile may use it,
/// one "S" per profile position.
QString newPlaceOfWorkAccess();
