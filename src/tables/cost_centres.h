#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The cost centres form over CENTROCO.
const TransactionDecl& TCENTROC();
/// The list of cost centres, with a description filter; the default cost
/// centre of the employee preferences is protected from delete.
const WorkPanelDecl& WCENTROS();
