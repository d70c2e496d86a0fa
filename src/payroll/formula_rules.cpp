#include "payroll/formula_rules.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/parameters.h"
#include "engine/lines.h"
#include "engine/transaction.h"
#include "payroll/routine_list.h"
#include "support/ui_port.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// ---------------------------------------------------------------------------
// Vocabulary

const QStringList comparisons{u">"_s, u">="_s, u"<"_s, u"<="_s, u"="_s, u"<>"_s};

/// The operands of both programs with the description the grid shows; an
/// empty description is worked out from what the operand names.
const QList<std::pair<QString, QString>>& commonOperands()
{
    static const QList<std::pair<QString, QString>> operands{
        {u"ACH"_s, {}}, {u"ACL"_s, {}}, {u"ACM"_s, {}}, {u"BAS"_s, {}}, {u"IB"_s, {}}, {u"IMP"_s, {}},
        {u"XIM"_s, {}}, {u"XBA"_s, {}}, {u"XIB"_s, {}},
        {u"AGN"_s, u"Aguinaldo"_s}, {u"HAB"_s, u"Haberes"_s}, {u"HAM"_s, u"Haberes mes"_s},
        {u"FIJ"_s, u"Haberes fijo"_s}, {u"GRA"_s, u"Haberes gravados"_s}, {u"GRM"_s, u"Haberes gravados mes"_s},
        {u"RET"_s, u"Retenciones"_s}, {u"ANT"_s, u"Años antigüedad"_s}, {u"ANM"_s, u"Meses antigüedad"_s},
        {u"ANR"_s, u"Años desde fecha reconocida"_s}, {u"ANI"_s, u"Años desde fecha ingreso"_s},
        {u"LIC"_s, u"Licencia año corriente"_s}, {u"SMN"_s, u"Base prestaciones y contrib."_s},
        {u"HSD"_s, u"Horas diarias"_s}, {u"HSM"_s, u"Horas mensuales"_s}, {u"CAN"_s, u"Cantidad"_s},
        {u"RUT"_s, u"Rutina específica"_s}, {u"DCA"_s, u"Días corrientes año anterior"_s},
        {u"DCC"_s, u"Días corrientes año actual"_s}, {u"GAS"_s, u"Licencia gozar año ant sdo"_s},
        {u"GAT"_s, u"Licencia gozar año ant tot"_s}, {u"GCT"_s, u"Licencia gozar año corr tot"_s},
        {u"LAS"_s, u"Licencia liqui año ant sdo"_s}, {u"LAT"_s, u"Licencia liqui año ant tot"_s},
        {u"LCT"_s, u"Licencia liqui año corr tot"_s}, {u"VAL"_s, u"Valor"_s},
        {u"ADN"_s, {}}, {u"ADF"_s, {}}, {u"ADB"_s, {}},
    };
    return operands;
}

/// The operands only the quantity lines accept.
const QList<std::pair<QString, QString>>& quantityOperands()
{
    static const QList<std::pair<QString, QString>> operands{
        {u"JID"_s, u"Jornales indem. despido"_s}, {u"MID"_s, u"Meses indemnización despido"_s},
        {u"LGA"_s, u"Licencia gozar año ant."_s}, {u"LGC"_s, u"Licencia gozar año corr."_s},
        {u"LLA"_s, u"Licencia liquidar año ant."_s}, {u"LLC"_s, u"Licencia liquidar año corr."_s},
    };
    return operands;
}

bool listed(const QList<std::pair<QString, QString>>& operands, const QString& operand)
{
    return std::any_of(operands.begin(), operands.end(), [&](const auto& entry) { return entry.first == operand; });
}

bool isOneOf(const QString& value, std::initializer_list<const char16_t*> codes)
{
    return std::any_of(codes.begin(), codes.end(), [&](const char16_t* code) { return value == QStringView(code); });
}

bool isAccumulator(const QString& operand)
{
    return isOneOf(operand, {u"ACH", u"ACL", u"ACM"});
}

bool isEmployeeAmount(const QString& operand)
{
    return isOneOf(operand, {u"IMP", u"IB", u"XIM", u"XIB"});
}

bool isAttribute(const QString& operand)
{
    return isOneOf(operand, {u"ADN", u"ADF", u"ADB"});
}

/// The operands that look a basic value up by the dimension flags.
bool searchesBasic(const QString& operand)
{
    return isOneOf(operand, {u"IB", u"BAS", u"XIB", u"XBA"});
}

/// The operands that may carry the dimension flags.
bool takesFlags(const QString& operand)
{
    return isOneOf(operand, {u"IB", u"BAS", u"AGN", u"XIB", u"XBA", u"ACH", u"ACM", u"ACL", u"ADB"});
}

/// The operands and the operation that take a number.
bool takesNumber(const FormulaLine& line)
{
    return isAccumulator(line.operand) || isEmployeeAmount(line.operand) || isAttribute(line.operand)
           || isOneOf(line.operand, {u"RUT", u"VAL"}) || line.operation == u"V"_s;
}

bool flagValid(const QString& flag)
{
    return flag.isEmpty() || isOneOf(flag, {u"N", u"M", u"F"});
}

// ---------------------------------------------------------------------------
// What the lines name

struct Found {
    bool exists = false;
    QVariant value;
};

/// `field` of the row of `table` whose key (by `index`) is `key`.
Found lookUp(Database& database, const QString& table, const QString& index, const QVariantList& key,
             const QString& field)
{
    Found found;
    TableCursor cursor(database);
    if (!cursor.open(table, Access::ReadOnly) && !cursor.setIndex(index)) {
        cursor.seek(Comparison::Equal, key);
        if (!cursor.noMatch() && cursor.hasCurrent()) {
            found.exists = true;
            found.value = cursor.value(field);
        }
    }
    database.idleFreeLocks();
    return found;
}

QString accumulatorType(const QString& operand)
{
    return operand.right(1);  // ACH, ACL, ACM: "H", "L", "M"
}

Found accumulator(Database& database, const QString& operand, int number, const QString& field)
{
    return lookUp(database, u"ACUMHL"_s, u"IACUMHL"_s, {accumulatorType(operand), number}, field);
}

Found basic(Database& database, int code)
{
    return lookUp(database, u"BASICOS"_s, u"IBASICOS"_s, {code}, u"BasDesc"_s);
}

Found attribute(Database& database, int number, const QString& field)
{
    return lookUp(database, u"FUNATRIB"_s, u"IFUNATRI"_s, {number}, field);
}

Found group(Database& database, int code)
{
    return lookUp(database, u"APORTE"_s, u"IGRAVANT"_s, {code}, u"AporDesc"_s);
}

Found conceptRow(Database& database, int code, const QString& field)
{
    return lookUp(database, u"CONCEPT"_s, u"ICONCEPT"_s, {code}, field);
}

constexpr int legalDeduction = 2;  // ConTipo "Descuento de ley"

// ---------------------------------------------------------------------------
// The rules

FieldVerdict refuse(const QString& message)
{
    return FieldVerdict::refuse(message);
}

/// A refusal whose question was the message.
FieldVerdict alreadyTold()
{
    FieldVerdict verdict;
    verdict.kind = FieldVerdict::Kind::Refused;
    return verdict;
}

/// A code of `field` that its table does not hold: the question, then the
/// list to choose from. True when a code that exists was chosen (it is then
/// typed into the line).
bool chosenFromList(LineTable& lines, int row, const QString& field, const QString& missingName,
                    const QString& listObject, const std::function<bool(int code)>& exists)
{
    UiPort& ui = lines.form().ui();
    if (!ui.question(u"No existe "_s + missingName + u". DESEA VISUALIZAR?"_s, DefaultButton::Yes))
        return false;
    const int column = lines.column(field);
    QString key = lines.text(row, column).trimmed();
    QString mode;
    ui.callObject(listObject, key, mode);
    bool isNumber = false;
    const int chosen = key.trimmed().toInt(&isNumber);
    if (!isNumber || !exists(chosen))
        return false;
    return lines.setText(row, column, QString::number(chosen));
}

/// Codes are stored in capitals whatever was typed.
void takeInCapitals(LineTable& lines, int row, const FormulaTable& table)
{
    for (const QString& suffix : {u"Ope"_s, u"Usar"_s, u"Anio"_s, u"Cargo"_s, u"CCosto"_s, u"RefAux"_s}) {
        const int column = lines.column(table.field(suffix));
        const QString typed = lines.value(row, column).toString();
        if (typed != typed.toUpper())
            lines.setText(row, column, typed.toUpper());
    }
}

FieldVerdict numberVerdict(Database& database, const FormulaLine& line, FormulaKind kind,
                           const SpecificRoutines& routines)
{
    const QString& operand = line.operand;
    const int number = line.number;
    const bool outside99 = number < 1 || number > 99;
    if (operand == u"ACL"_s && outside99)
        return refuse(u"-Nº- debe ser 1 a 99 para Acumulador de la Liquidación (ACL)"_s);
    if (operand == u"ACH"_s && outside99)
        return refuse(u"-Nº- debe ser 1 a 99 para Acumulador Histórico (ACH)"_s);
    if (operand == u"ACM"_s && outside99)
        return refuse(u"-Nº- debe ser 1 a 99 para Acumulador de movimientos (ACM)"_s);
    // Where a missing number has a message of its own, the range speaks
    // only of a number given.
    if (line.operation == u"V"_s && number != 0 && (number < 1 || number > 10))
        return refuse(u"-Nº- debe ser 1 a 10 para operador V"_s);
    if (operand == u"VAL"_s && number != 0 && (number < 1 || number > 10))
        return refuse(u"-Nº- debe ser 1 a 10 para Valor (VALOR)"_s);
    if (isEmployeeAmount(operand) && (number < 1 || number > 12))
        return refuse(u"-Nº- debe ser 1 a 12 para Importe Funcionario (IMP, IMPSUB, IB, IBSUB)"_s);
    if (isAttribute(operand) && (operand == u"ADB"_s ? number != 0 && outside99 : outside99))
        return refuse(
            u"-Nº- debe ser 1 a 99 para Atributos adicionales del cargo o del funcionario (ADINUM, ADIAÑO, BASADI)"_s);
    if (operand == u"ADN"_s) {
        const Found type = attribute(database, number, u"FunATipo"_s);
        if (type.exists && type.value.toString().trimmed() != u"NU"_s)
            return refuse(u"El atributo adicional debe ser del tipo numérico."_s);
    }
    if (operand == u"ADF"_s) {
        const Found type = attribute(database, number, u"FunATipo"_s);
        if (type.exists && type.value.toString().trimmed() != u"FE"_s)
            return refuse(u"El atributo adicional debe ser del tipo fecha."_s);
    }
    if (operand == u"ADB"_s && number == 0)
        return refuse(u"Falta indicar -Nº- para búsqueda de básico (BASADI)"_s);
    if (operand == u"RUT"_s && number == 0)
        return refuse(u"Falta indicar Nº para RUT"_s);
    if (operand == u"RUT"_s && !routines.ok())
        return refuse(routines.error);
    if (operand == u"RUT"_s && !routines.contains(number))
        return refuse(u"Nºde RUT incorrecto"_s);
    if (operand == u"VAL"_s && number == 0)
        return refuse(u"Falta indicar Nº para VAL"_s);
    if (line.operation == u"V"_s && number == 0)
        return refuse(u"Falta indicar Nº para operador V"_s);
    if (number != 0 && !takesNumber(line)) {
        if (kind == FormulaKind::Amount)
            return refuse(u"-Nº- se indica solo para importe funcionario (IMP, IMPSUB, IB, IBSUB), acumulador de la "
                          "liquidación (ACL), acumulador de movimientos (ACM), acumulador histórico (ACH), RUT, VAL, "
                          "operador VA, o Atributos adicionales del cargo o del funcionario (ADINUM, ADIAÑO)"_s);
        return refuse(u"-Nº- se indica solo para importe funcionario (IMP, IMPSUB, IB, IBSUB), acumulador de la "
                      "liquidación (ACL), acumulador de movimientos (ACM) o acumulador histórico (ACH), RUT o "
                      "Atributos adicionales del cargo o del funcionario (ADINUM, ADIAÑO, BASADI)"_s);
    }
    return FieldVerdict::ok();
}

FieldVerdict yearVerdict(Database& database, const FormulaLine& line)
{
    const bool calendarYear = line.operand == u"ACH"_s
                              && accumulator(database, line.operand, line.number, u"AcuPeriodo"_s)
                                         .value.toString()
                                         .trimmed()
                                     == u"C"_s;
    if (calendarYear && !isOneOf(line.year, {u"A", u"C"}))
        return refuse(u"Debe indicar año para acumulador histórico año civil: A-anterior, C-corriente"_s);
    if (!calendarYear && !line.year.isEmpty())
        return refuse(u"Año se indica solo para acumulador histórico año civil"_s);
    return FieldVerdict::ok();
}

FieldVerdict flagsVerdict(const FormulaLine& line)
{
    if (!flagValid(line.position))
        return refuse(u"-Cargo- debe ser N, M, F"_s);
    if (!flagValid(line.costCentre))
        return refuse(u"-CCosto- debe ser N, M, F"_s);
    if (line.hasFlags() && !takesFlags(line.operand))
        return refuse(
            u"No puede indicar Cargo, Centro de costo o Referencia para el valor del campo -Usar- seleccionado"_s);
    if (!line.hasFlags() && searchesBasic(line.operand))
        return refuse(u"Falta indicar -Básico Cargo CCosto Ref.- para búsqueda de básico (BAS, BASSUB, IB, IBSUB)"_s);
    if (!flagValid(line.reference))
        return refuse(u"-Ref.- debe ser N, M, F"_s);
    return FieldVerdict::ok();
}

/// Anything on a "T" line but its comment.
bool carriesMoreThanComment(const FormulaLine& line)
{
    return !line.operand.isEmpty() || line.number != 0 || line.basic != 0 || line.hasFlags()
           || line.multiplier != 0 || line.divisor != 0 || line.operandConcept != 0 || !line.open.isEmpty()
           || !line.close.isEmpty();
}

}  // namespace

// ---------------------------------------------------------------------------

namespace FormulaVocabulary {

const QStringList& operations()
{
    static const QStringList all{u"+"_s, u"-"_s, u"*"_s, u"/"_s, u"L"_s,  u">"_s,  u">="_s, u"<"_s, u"<="_s, u"="_s,
                                 u"<>"_s, u":="_s, u"::"_s, u"T"_s, u"R"_s, u"R+"_s, u"R-"_s, u"V"_s, u"F"_s};
    return all;
}

bool isComparison(const QString& operation)
{
    return comparisons.contains(operation);
}

bool acceptsOperand(FormulaKind kind, const QString& operand)
{
    if (operand.isEmpty() || listed(commonOperands(), operand))
        return true;
    return kind == FormulaKind::Quantity && listed(quantityOperands(), operand);
}

QString fixedDescription(const QString& operand)
{
    for (const auto& list : {commonOperands(), quantityOperands()}) {
        for (const auto& [code, description] : list) {
            if (code == operand)
                return description;
        }
    }
    return {};
}

bool concernsSubstitute(const QString& operand)
{
    return isOneOf(operand, {u"XIM", u"XBA", u"XIB"});
}

}  // namespace FormulaVocabulary

QString employeeAmountName(Database& database, int number)
{
    QString name = u"Importe "_s + QString::number(number);
    PPARLC(database, QString::fromUtf16(employeeAmountNamesGroup), u"Imp"_s + QString::number(number), 0, name);
    return name.trimmed().isEmpty() ? u"Importe "_s + QString::number(number) : name.trimmed();
}

QString operandDescription(Database& database, FormulaKind kind, const FormulaLine& line)
{
    const QString& operand = line.operand;
    if (!FormulaVocabulary::acceptsOperand(kind, operand))
        return {};
    QString description;
    if (isAccumulator(operand))
        description = accumulator(database, operand, line.number, u"AcuDesc"_s).value.toString().trimmed();
    else if (searchesBasic(operand))
        description = basic(database, line.basic).value.toString().trimmed();
    else if (isOneOf(operand, {u"IMP", u"XIM"}) && line.number >= 1 && line.number <= 12)
        description = employeeAmountName(database, line.number);
    else if (isAttribute(operand))
        description = attribute(database, line.number, u"FunADescri"_s).value.toString().trimmed();
    else
        description = FormulaVocabulary::fixedDescription(operand);
    if (FormulaVocabulary::concernsSubstitute(operand))
        description += u" func. subrogado"_s;
    return description;
}

int nextLineNumber(const LineTable& lines, FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    Database& database = lines.form().database();
    const int stored = conceptRow(database, lines.form().value(u"ConId"_s).toInt(), table.lastNumberField).value.toInt();
    return int(std::max<qlonglong>(stored, lines.lastNumber())) + 5;
}

FieldVerdict reviewFormulaLine(LineTable& lines, int row, FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    Database& database = lines.form().database();
    const int lineColumn = lines.column(table.field(u"Lin"_s));
    // A new line left without a number takes the next one.
    if (lines.mode(row) == Mode::Insert && lines.value(row, lineColumn).toInt() == 0)
        lines.setText(row, lineColumn, QString::number(nextLineNumber(lines, kind)));
    takeInCapitals(lines, row, table);
    FormulaLine line = FormulaLine::of(lines, row, table);

    // A line that only opens or closes a parenthesis needs no operation.
    const bool onlyParenthesis = line.operation.isEmpty() && (!line.open.isEmpty() || !line.close.isEmpty());
    if (!onlyParenthesis && !FormulaVocabulary::operations().contains(line.operation))
        return refuse(u"-Operación- debe ser +, -, *, /, L, >, >=, <, <=, =, <>, :=, ::, T, R, R+, R-, V, F"_s);
    if (!line.open.isEmpty() && line.open != u"("_s)
        return refuse(u"Caracter incorrecto en apertura de paréntesis"_s);
    if (!FormulaVocabulary::acceptsOperand(kind, line.operand))
        return refuse(u"-Usar- inválido"_s);
    const SpecificRoutines routines =
        line.operand == u"RUT"_s ? SpecificRoutineList::read() : SpecificRoutines{};
    if (FieldVerdict verdict = numberVerdict(database, line, kind, routines); verdict.kind != FieldVerdict::Kind::Ok)
        return verdict;
    if (FieldVerdict verdict = yearVerdict(database, line); verdict.kind != FieldVerdict::Kind::Ok)
        return verdict;
    if (line.basic != 0 && !basic(database, line.basic).exists) {
        const auto exists = [&](int code) { return basic(database, code).exists; };
        if (!chosenFromList(lines, row, u"BasId"_s, u"Basicos"_s, u"WKQ00A0"_s, exists))
            return alreadyTold();
        line = FormulaLine::of(lines, row, table);
    }
    if (FieldVerdict verdict = flagsVerdict(line); verdict.kind != FieldVerdict::Kind::Ok)
        return verdict;
    if (line.operation == u"R"_s && line.multiplier == 0)
        return refuse(u"Debe indicar la base de redondeo en el multiplicador"_s);
    if (line.operation == u"R"_s && line.multiplier < 0)
        return refuse(u"La base de redondeo no puede ser negativa"_s);
    // The divisor is kept in a 16-bit whole number.
    if (line.divisor > 32767)
        return refuse(u"-Div- no puede ser mayor que 32767"_s);
    if (line.operation == u"T"_s && carriesMoreThanComment(line))
        return refuse(u"Si utiliza T toda la línea debe estar en blanco"_s);
    if (table.isAmount()) {
        if (line.group != 0 && !group(database, line.group).exists) {
            const auto exists = [&](int code) { return group(database, code).exists; };
            if (!chosenFromList(lines, row, table.groupField, u"Aporte"_s, u"WKQ00L0"_s, exists))
                return alreadyTold();
            line = FormulaLine::of(lines, row, table);
        }
        if (line.operation == u"L"_s && line.group == 0)
            return refuse(u"Operación L requiere grupo de aportes"_s);
    }
    if (line.operandConcept != 0 && !conceptRow(database, line.operandConcept, u"ConTipo"_s).exists) {
        const auto exists = [&](int code) { return conceptRow(database, code, u"ConTipo"_s).exists; };
        if (!chosenFromList(lines, row, table.conceptField, u"Conceptos"_s, u"WKQ00N0"_s, exists))
            return alreadyTold();
        line = FormulaLine::of(lines, row, table);
    }
    if (line.operandConcept != 0 && conceptRow(database, line.operandConcept, u"ConTipo"_s).value.toInt() != legalDeduction)
        return refuse(u"El concepto indicado no es descuento de ley"_s);
    if (table.isAmount() && line.operandConcept != 0 && line.group != 0)
        return refuse(u"Si indicó concepto no debe indicar grupo de aportes"_s);
    if (line.line == 0)
        return refuse(u"Falta nº de línea"_s);
    // Two lines of one number could not both be stored.
    if (lines.repeatsKey(row))
        return refuse(u"Ya existe el registro"_s);
    if (!line.close.isEmpty() && line.close != u")"_s)
        return refuse(u"Caracter incorrecto en cierre de paréntesis"_s);
    if (FormulaVocabulary::isComparison(line.operation) && (!line.open.isEmpty() || !line.close.isEmpty()))
        return refuse(u"No puede hacer una comparación en la misma línea en que abre o cierra paréntesis"_s);
    return FieldVerdict::ok();
}
