#pragma once

class Database;
struct TransactionDecl;

/// The expansion of one concept (CONCEPT2): the concepts a movement of it
/// brings along, in a grid of concept codes with their descriptions. Called
/// with the concept's code, in "UPD".
const TransactionDecl& TCONCEP2();

/// Whether some concept expands into `concept` (a row of CONCEPT2 names it
/// as the expanded concept): such a concept cannot be deleted.
bool conceptUsedByOtherConcepts(Database& database, int conceptCode);
