#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// A contribution group with its lines (concept, percentage taxed,
/// conditional contribution).
const TransactionDecl& TAPORTE();
/// The contribution groups' work panel.
const WorkPanelDecl& WAPORTES();
/// The conditional contributions, listed.
const WorkPanelDecl& TAPOCON();
/// One conditional contribution.
const TransactionDecl& TAPOCONR();
/// The contribution groups' selection prompt: group and description.
const WorkPanelDecl& WKQ00L0();
