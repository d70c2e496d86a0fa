#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The locale form over LOCALES.
const TransactionDecl& TLOCAL();
/// The list of locales, with the default locale protected from delete.
const WorkPanelDecl& WLOCALES();
