#include "payroll/readable_formula.h"

#include "engine/lines.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

/// A number as a person reads it here: decimal comma, no trailing zeros.
QString numberText(double value)
{
    QString text = QString::number(value, 'f', 4);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text.replace(u'.', u',');
}

QString operationSymbol(const QString& operation)
{
    if (operation == u"*"_s)
        return u"×"_s;
    if (operation == u"/"_s)
        return u"÷"_s;
    return operation;
}

bool rounds(const QString& operation)
{
    return operation == u"R"_s || operation == u"R+"_s || operation == u"R-"_s;
}

/// What the line uses: its operand with number, basic value and flags, the
/// concept and the contribution group it names.
QString usedText(const FormulaLine& line)
{
    QStringList parts;
    if (!line.operand.isEmpty()) {
        QString operand = line.operand;
        if (line.number != 0)
            operand += u' ' + QString::number(line.number);
        if (line.basic != 0)
            operand += u' ' + QString::number(line.basic);
        parts << operand;
    } else if (line.basic != 0) {
        parts << u"Básico "_s + QString::number(line.basic);
    }
    if (!line.year.isEmpty())
        parts << u"[Año "_s + line.year + u']';
    if (!line.position.isEmpty())
        parts << u"[Carg "_s + line.position + u']';
    if (!line.costCentre.isEmpty())
        parts << u"[CCos "_s + line.costCentre + u']';
    if (!line.reference.isEmpty())
        parts << u"[Ref. "_s + line.reference + u']';
    if (line.operandConcept != 0)
        parts << u"Conc. "_s + QString::number(line.operandConcept);
    if (line.group != 0)
        parts << u"Apor. "_s + QString::number(line.group);
    return parts.join(u' ');
}

/// The rows that take part, in line-number order.
QList<int> rowsInOrder(const LineTable& lines, const FormulaTable& table)
{
    QList<int> rows;
    for (int row = 0; row < lines.rowCount(); ++row) {
        if (lines.mode(row) != Mode::Delete)
            rows << row;
    }
    const int lineColumn = lines.column(table.field(u"Lin"_s));
    std::stable_sort(rows.begin(), rows.end(), [&](int left, int right) {
        return lines.value(left, lineColumn).toLongLong() < lines.value(right, lineColumn).toLongLong();
    });
    return rows;
}

}  // namespace

QString readableFormula(const LineTable& lines, FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    QStringList pieces;
    for (int row : rowsInOrder(lines, table)) {
        const FormulaLine line = FormulaLine::of(lines, row, table);
        if (line.operation == u"T"_s)
            continue;  // a comment line
        // A program starts by taking its first value: a leading "+" or ":="
        // says nothing to the reader.
        const bool plainStart = pieces.isEmpty() && (line.operation == u"+"_s || line.operation == u":="_s);
        if (!plainStart && !line.operation.isEmpty())
            pieces << operationSymbol(line.operation);
        if (rounds(line.operation) && line.multiplier != 0)
            pieces << numberText(line.multiplier);
        if (!line.open.isEmpty())
            pieces << line.open;
        if (const QString used = usedText(line); !used.isEmpty())
            pieces << used;
        if (!rounds(line.operation) && line.multiplier != 0 && line.multiplier != 1)
            pieces << u"×"_s << numberText(line.multiplier);
        if (line.divisor != 0 && line.divisor != 1)
            pieces << u"÷"_s << numberText(line.divisor);
        if (!line.close.isEmpty())
            pieces << line.close;
    }
    return pieces.join(u' ');
}

Parentheses countParentheses(const LineTable& lines, FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    Parentheses count;
    for (int row : rowsInOrder(lines, table)) {
        const FormulaLine line = FormulaLine::of(lines, row, table);
        count.opened += line.open.count(u'(');
        count.closed += line.close.count(u')');
    }
    return count;
}

QString unbalancedNotice(const LineTable& lines, FormulaKind kind)
{
    const Parentheses count = countParentheses(lines, kind);
    if (count.balanced())
        return {};
    return u"Aviso: Los paréntesis del cálculo de "_s + formulaTable(kind).noun + u" no están balanceados: se abren "_s
           + QString::number(count.opened) + u" y se cierran "_s + QString::number(count.closed) + u'.';
}
