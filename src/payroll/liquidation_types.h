#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// A liquidation type on two pages: general data and advances.
const TransactionDecl& TTIPOLIQ();
/// The concepts not repeated where a type's advance is deducted.
const TransactionDecl& TTIPOLIN();
/// The liquidation types' work panel.
const WorkPanelDecl& WTIPOSLI();
/// The liquidation types' selection prompt: type and description.
const WorkPanelDecl& WKQ00S0();
