#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The positions form over CARGOS.
const TransactionDecl& TCARGO();
/// The list of positions, with a description filter; the default position
/// and the default part-time position are protected from delete.
const WorkPanelDecl& WCARGOS();
