#pragma once

struct LineTableDecl;
struct TransactionDecl;
struct WorkPanelDecl;

/// The leave-day scale form: DIASLICE with its seniority steps in DIASLIC1.
const TransactionDecl& TDIASLIC();
/// The lines of a scale: years of seniority and leave days.
const LineTableDecl& leaveDayLines();
/// The scale header alone, refused to delete while it still has lines.
const TransactionDecl& TDIASLI1();
/// The list of leave-day scales.
const WorkPanelDecl& WDIASSLI();
