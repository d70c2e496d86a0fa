#pragma once

// The change of a concept's code and the merge of a concept into another
// (WCONCAMB asking, PCONCAMB changing), with the preview of what moves.
//
// A change gives every reference of the old code the new one, table by
// table, in one database transaction; a merge does the same except that the
// old concept's definition (CONCEPT and its four detail tables) is deleted,
// since the target keeps its own. "Solo liquidaciones" moves only the
// history rows of a range of liquidation dates.

#include "payroll/procedure_result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Database;
class UiPort;

/// What the panel asks for.
struct ConceptCodeChange {
    int oldCode = 0;
    int newCode = 0;
    bool merge = false;             ///< "existente": the new code is an existing concept
    bool onlyLiquidations = false;  ///< only the history rows of the date range
    QDate from;                     ///< liquidation dates, both included
    QDate to;
};

/// One place that holds concept codes, and how many rows hold the old one.
struct ImpactCount {
    QString table;
    QString field;
    QString description;  ///< what a person calls it
    int rows = 0;
    bool deleted = false;  ///< a merge deletes these rows instead
    QList<int> concepts;   ///< the concepts whose rows they are, for references left as they are
};

/// What a change or merge would do, counted before it is asked for.
struct ConceptChangeImpact {
    QList<ImpactCount> rewritten;  ///< each step of the rewrite, in its order
    int parameters = 0;            ///< parameter rows holding the old code
    QList<ImpactCount> untouched;  ///< references the change leaves as they are

    /// The preview as lines of text, as the panel and the console show it.
    QStringList lines(const ConceptCodeChange& change) const;
};

/// Counts the rows each step of `change` would touch and the references it
/// leaves; a failure to read is returned in `error`.
ConceptChangeImpact previewConceptCodeChange(Database& database, const ConceptCodeChange& change, DbError* error);

/// Rewrites the references of `change.oldCode` to `change.newCode` (or only
/// the history of the date range), and the parameters that hold it, in one
/// database transaction: a failing step undoes every step before it. The
/// codes are checked by the panel; this only writes.
ProcedureResult PCONCAMB(Database& database, UiPort& ui, const ConceptCodeChange& change);

/// The panel of the change of code, called with the concept's code as key.
///
///   WCONCAMB panel(database, ui);
///   panel.start("10");
///   panel.setNewCode(u"20"_s);
///   panel.setMerge(true);
///   panel.confirm();  // checks, preview, question, PCONCAMB, "Cambio finalizado"
class WCONCAMB {
public:
    WCONCAMB(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    void start(const QString& key);
    int oldCode() const { return change_.oldCode; }
    void setOldCode(const QString& text) { oldText_ = text.trimmed(); }
    void setNewCode(const QString& text) { newText_ = text.trimmed(); }
    void setMerge(bool merge) { change_.merge = merge; }
    void setOnlyLiquidations(bool only) { change_.onlyLiquidations = only; }
    void setDates(const QString& from, const QString& to)
    {
        fromText_ = from.trimmed();
        toText_ = to.trimmed();
    }
    /// Where the preview goes before the question (the window's text box,
    /// the console's output). Without one it is not shown.
    void onImpact(std::function<void(const QStringList&)> show) { showImpact_ = std::move(show); }

    /// Checks what was typed and shows the preview without asking; false
    /// (the first refusal shown) when a check refuses.
    bool preview();
    /// Checks what was typed (the first refusal is shown and false
    /// returned), shows the preview, asks, runs PCONCAMB and says "Cambio
    /// finalizado" or its failure. True when the change was made.
    bool confirm();
    /// Whether the last confirm was refused by a check or a failure (No to
    /// the question is neither).
    bool refused() const { return refused_; }
    /// The change as the last confirm checked it.
    const ConceptCodeChange& change() const { return change_; }

    /// The confirmation question of `change`.
    static QString question(const ConceptCodeChange& change);

private:
    bool refuse(const QString& text);
    bool checked();
    bool showPreview();

    Database& database_;
    UiPort& ui_;
    ConceptCodeChange change_;
    QString oldText_;
    QString newText_;
    QString fromText_;
    QString toText_;
    std::function<void(const QStringList&)> showImpact_;
    bool refused_ = false;
};
