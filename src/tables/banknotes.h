#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The banknotes and coins form over BILLETES.
const TransactionDecl& TBILLETE();
/// The list of banknotes and coins.
const WorkPanelDecl& WBILLETE();
