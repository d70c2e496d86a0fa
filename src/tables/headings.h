#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The account headings form over RUBROS.
const TransactionDecl& TRUBRO();
/// The list of account headings, with a description filter.
const WorkPanelDecl& WRUBROS();
