#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// The schedules form over HORARIOS.
const TransactionDecl& THORARIO();
/// The list of schedules; the default schedule of the employee preferences
/// is protected from delete.
const WorkPanelDecl& WHORARIO();
