#pragma once

// WFILTRO: the condition of one filter of a report. A condition is a list of
// values separated by ","; a value may be a range written as its lower
// bound, ":" and its upper bound. "NULL" and "NOT NULL" stand for a missing
// and a present value. Numbers use "." as decimal point, dates are written
// as "dd/mm/yy" (a year of three or four digits too: "1/1/100").

#include "reports/report_definition.h"

#include <QString>
#include <QStringList>

class UiPort;

/// The texts of the operator combo.
namespace FilterOperatorText {
inline const QString equal = QStringLiteral("igual a");
inline const QString notEqual = QStringLiteral("distinto de");
inline const QString containing = QStringLiteral("conteniendo");
}  // namespace FilterOperatorText

/// What is wrong with `condition` on a field of `type` ("C", "N", "F"), or
/// empty when it can be used. An empty condition is not looked at here.
QString filterConditionFault(const QString& type, const QString& condition);

/// The filter editor, called with the field and the filter as it stands:
///
///   WFILTRO editor(field, filter);
///   editor.setOperator(u"distinto de"_s);
///   editor.setCondition(u"100:300"_s);
///   if (editor.confirm(ui)) filter = editor.filter();
///
/// Called with the mode "EMI" it asks the condition of a filter marked "E"
/// when the report is run: the operator and the fixed/at-run choice stay as
/// the definition has them, and the condition cannot be left empty.
class WFILTRO {
public:
    WFILTRO(const ReportField& field, const FilterField& filter, const QString& mode = {});

    /// Asked when the report is run (mode "EMI"), not while it is defined.
    bool isEmission() const { return emission_; }

    /// "Filtro por " and the field's description.
    QString caption() const;
    /// "igual a", "distinto de" and, for character fields, "conteniendo".
    QStringList operators() const;
    /// The examples shown beside the condition, by the field's type.
    QStringList examples() const;

    QString operatorText() const;
    /// Chooses the operator shown as `text`; false when the combo has no such entry.
    bool setOperator(const QString& text);
    QString condition() const { return filter_.condition; }
    void setCondition(const QString& condition) { filter_.condition = condition.trimmed(); }
    bool isFixed() const { return filter_.isFixed(); }
    /// Fixed ("F") or asked when the report is run ("E"); the emission keeps
    /// the definition's.
    void setFixed(bool fixed)
    {
        if (!emission_)
            filter_.fixedOrAtRun = fixed ? QStringLiteral("F") : QStringLiteral("E");
    }

    /// The checks of Confirm: the first fault is shown and false returned.
    bool confirm(UiPort& ui);
    const FilterField& filter() const { return filter_; }
    const ReportField& field() const { return field_; }

private:
    ReportField field_;
    FilterField filter_;
    bool emission_ = false;
};
