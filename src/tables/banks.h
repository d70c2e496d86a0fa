#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The form of the banks for transfers over BANCOSTR.
const TransactionDecl& TBANCOST();
/// The list of the banks for transfers.
const WorkPanelDecl& WBANCOST();
