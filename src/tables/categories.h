#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The categories form over CATEGORI.
const TransactionDecl& TCATEGOR();
/// The list of categories, with the default category protected from delete.
const WorkPanelDecl& WCATEGOR();
