#pragma once

#include <QString>

class Database;
struct TransactionDecl;
struct WorkPanelDecl;

/// The auxiliary references form over REFAUXIL. Its title carries the name
/// the employer gives to the reference (see auxiliaryReferenceTitle).
const TransactionDecl& TREFAUXI();
/// The list of auxiliary references, with a description filter; its title
/// carries the employer's name for the reference too.
const WorkPanelDecl& WREFAUXI();

/// `title` preceded by the employer's own name for the auxiliary reference,
/// the text of the parameter ("Configur", "RefAux", 0), and " - "; `title`
/// alone when that name is empty or is just "Referencia" in any case.
QString auxiliaryReferenceTitle(Database& database, const QString& title);
