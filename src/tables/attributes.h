#pragma once

struct TransactionDecl;
struct WorkPanelDecl;

/// One definition of an additional employee or position attribute
/// (FUNATRIB), checked in field order; after a confirmed add or change it
/// loads the suggested value when asked and refreshes the report catalogue.
const TransactionDecl& TFUNATRI();
/// The list of attribute definitions, filtered by type, table and
/// description, in classifier and description order; its delete takes the
/// values and application conditions with the definition.
const WorkPanelDecl& WFUNATRI();
