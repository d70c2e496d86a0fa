#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The folder form over INFORME5: a number and a description.
const TransactionDecl& TINFORM5();
/// The list of report folders, ordered by description.
const WorkPanelDecl& WINFCARP();
