#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The places of payment form over LUGARCOB.
const TransactionDecl& TLUGARCO();
/// The list of places of payment; the default place of payment of the
/// employee preferences is protected from delete.
const WorkPanelDecl& WLUGARSC();
