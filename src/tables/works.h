#pragma once

#include <QStringList>

struct TransactionDecl;
struct WorkPanelDecl;

/// The construction works form over OBRAS, on two pages: the works and its holder.
const TransactionDecl& TOBRAS();
/// The list of works.
const WorkPanelDecl& WOBRAS();
/// The 19 departments of Uruguay, in the order the works form offers them.
const QStringList& uruguayanDepartments();
