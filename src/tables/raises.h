#pragma once

struct LineTableDecl;
struct TransactionDecl;
struct WorkPanelDecl;

/// The raise table form: AUMENTO with its dated percentages in AUMENTO1.
const TransactionDecl& TTABAUME();
/// The lines of a raise table: date, percentage and remark.
const LineTableDecl& raiseLines();
/// The list of raise tables, with the default table protected from delete.
const WorkPanelDecl& WTABLASA();
/// The raise tables' selection prompt: table and description.
const WorkPanelDecl& WKQ00I0();
