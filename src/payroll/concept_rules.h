#pragma once

// What the concept form knows beyond its declaration: the codes its rules
// look at, the state it reads when it opens, the rules and derived values
// attached to its fields, its delete refusal, its audit sentence and what
// follows a confirm. Used by concept_form.cpp only.

#include "engine/transaction.h"

#include <QList>
#include <QString>

namespace Concept {

/// `ConTipo`.
enum Type { Internal = 0, Earning = 1, LegalDeduction = 2, Deduction = 3 };

/// `ConGraCC`: how the amount is split by cost centre.
enum CostCentreSplit { ByPosition = 0, NoSplit = 1, ByLiquidation = 2, Forced = 3 };

/// The number of retention percentages (`ConPorR1` to `ConPorR10`).
inline constexpr int bracketCount = 10;

/// What the form reads when it opens.
struct OpeningState {
    /// The IRP bracket limits of CONFIGUR, in BPC units; a bracket is
    /// defined when its limit is not zero.
    QList<double> bracketLimits;
    /// "VersionCS" is "S": the client-server installation.
    bool clientServer = false;
    /// The company contributes as a rural employer (see readsRuralContribution).
    bool ruralContribution = false;
};

/// The state of `form`, read when it started.
OpeningState& openingState(Transaction& form);
/// Reads the bracket limits, the installation kind and the contribution type.
void readOpeningState(Transaction& form);

/// The text beside retention percentage `bracket` (1 to 10): "hasta 7 bpc",
/// "más de 115 bpc" for the last defined bracket, empty for one not defined.
QString bracketLimitText(const OpeningState& state, int bracket);

/// The name of retention percentage `bracket` ("ConPorR3").
QString percentageField(int bracket);

/// Attaches the rules and derived values to the declared fields.
void attachRules(QList<FieldDecl>& fields);

/// A concept that another concept expands cannot be deleted.
FieldVerdict deleteVerdict(Transaction& form);

/// The audit sentence of a confirm: every phrase on insert, the changed
/// ones on modify (empty when nothing changed), the code on delete.
QString auditText(const Transaction& form);

/// After a confirm: the applications panel, and for a new concept the
/// amount lines, quantity lines and expansion, then the notice.
void afterConfirm(Transaction& form, Mode written);

/// The header buttons: refused on a concept not yet confirmed, otherwise
/// their object opens when the program has it.
void pressCommand(Transaction& form, const CommandDecl& command);

/// The hidden fields of a new concept start with their defaults.
void storeNewConceptDefaults(Transaction& form, RecordCursor& record);

/// Opens `object` for `key` in `mode` when it is registered; "Opcion no
/// disponible" otherwise. False when it could not be opened.
bool openIfRegistered(Transaction& form, const QString& object, const QString& mode);

}  // namespace Concept
