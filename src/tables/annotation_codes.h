#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The annotation codes form over FICCOD.
const TransactionDecl& TCODIGO();
/// The list of annotation codes.
const WorkPanelDecl& WCODIGOS();
