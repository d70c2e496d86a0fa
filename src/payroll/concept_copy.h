#pragma once

#include "payroll/procedure_result.h"

#include <QString>

class Database;
class UiPort;

// The copy of a concept: WCONCOPI asks for the new code and description,
// PCONCOPI makes the copy.

/// Copies concept `source` to `target` with `description`: every field of
/// the concept (the hidden ones too) and its amount lines, quantity lines,
/// accumulator lines and expansion rows, each with the target code; not its
/// applications. With `replace` the target's own definition is deleted
/// first. All in one database transaction; a duplicate key gives "Ya existe
/// el registro" and leaves nothing written.
ProcedureResult PCONCOPI(Database& database, UiPort& ui, int source, int target, const QString& description,
                         bool replace);

/// The panel that copies a concept, called with the source concept as key.
///
///   WCONCOPI copy(database, ui);
///   copy.start("1");
///   copy.setTarget("7");
///   copy.setDescription("Sueldo mensual (copia)");
///   copy.confirm();  // checks, question, PCONCOPI, reminder, TCONCEP in UPD
class WCONCOPI {
public:
    WCONCOPI(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    static QString title() { return QStringLiteral("Copia de concepto"); }
    /// Takes the source concept and offers its description for the copy.
    void start(const QString& key);
    int source() const { return source_; }
    QString sourceDescription() const { return sourceDescription_; }
    QString target() const { return target_; }  ///< the new code as typed
    void setTarget(const QString& typed) { target_ = typed; }
    QString description() const { return description_; }
    void setDescription(const QString& text) { description_ = text; }
    /// The checks and the question, then the copy, the reminder about the
    /// accounting entries and the new concept in its form. True when the
    /// concept was copied.
    bool confirm();
    /// The key handed back: the new concept once copied.
    QString handBack() const;

private:
    Database& database_;
    UiPort& ui_;
    int source_ = 0;
    QString sourceDescription_;
    QString target_;
    QString description_;
    int copied_ = 0;
};
