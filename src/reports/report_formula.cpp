#include "reports/report_formula.h"

#include "support/dates.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

struct ReportFormula::Node {
    enum class Kind { Constant, Column, Negate, Binary, Call };
    Kind kind = Kind::Constant;
    ReportValue constant;
    QString name;  ///< column title, operator or function name (upper case)
    std::vector<int> children;
};

double ReportValue::toNumber() const
{
    switch (kind) {
    case Kind::Null:
        return 0;
    case Kind::Number:
        return number;
    case Kind::Text: {
        QString written = text.trimmed();
        written.replace(u',', u'.');
        return written.toDouble();
    }
    case Kind::Date:
        return double(QDate(1899, 12, 30).daysTo(date));
    }
    return 0;
}

namespace {

using Node = ReportFormula::Node;

/// The functions and how many arguments each takes (lowest, highest).
struct FunctionShape {
    const char16_t* name;
    int fewest;
    int most;
};

constexpr FunctionShape functions[] = {
    {u"REDONDEAR", 1, 2}, {u"SQR", 1, 1},   {u"FIX", 1, 1},     {u"INT", 1, 1},
    {u"IIF", 3, 3},       {u"SWITCH", 2, 64}, {u"LEFT$", 2, 2},  {u"RIGHT$", 2, 2},
    {u"MID$", 2, 3},      {u"DAY", 1, 1},   {u"MONTH", 1, 1},   {u"YEAR", 1, 1},
    {u"DATEADD", 3, 3},   {u"DATEDIFF", 3, 3},
};

const FunctionShape* functionNamed(const QString& name)
{
    for (const FunctionShape& shape : functions) {
        if (name == QStringView(shape.name))
            return &shape;
    }
    return nullptr;
}

/// A recursive-descent reader over the formula's characters.
class Parser {
public:
    Parser(const QString& text, std::vector<Node>& nodes, QStringList& references)
        : text_(text), nodes_(nodes), references_(references) {}

    int parse(QString& error)
    {
        const int root = comparison(0);
        skipBlanks();
        if (error_.isEmpty() && at_ < text_.size())
            fail(u"Carácter inesperado '"_s + text_.at(at_) + u"' en la posición "_s + QString::number(at_ + 1));
        error = error_;
        return error_.isEmpty() ? root : -1;
    }

private:
    int add(Node node)
    {
        nodes_.push_back(std::move(node));
        return int(nodes_.size()) - 1;
    }

    int fail(const QString& message)
    {
        if (error_.isEmpty())
            error_ = message;
        return -1;
    }

    void skipBlanks()
    {
        while (at_ < text_.size() && text_.at(at_).isSpace())
            ++at_;
    }

    bool take(QStringView symbol)
    {
        skipBlanks();
        if (QStringView(text_).mid(at_).startsWith(symbol)) {
            at_ += symbol.size();
            return true;
        }
        return false;
    }

    int binary(const QString& op, int left, int right)
    {
        if (left < 0 || right < 0)
            return -1;
        Node node;
        node.kind = Node::Kind::Binary;
        node.name = op;
        node.children = {left, right};
        return add(std::move(node));
    }

    int comparison(int depth)
    {
        if (depth > maximumFormulaDepth)
            return fail(u"La fórmula tiene más de "_s + QString::number(maximumFormulaDepth)
                        + u" niveles de paréntesis o funciones"_s);
        int left = additive(depth);
        for (const char16_t* op : {u"<=", u">=", u"<>", u"=", u"<", u">"}) {
            if (error_.isEmpty() && take(QStringView(op)))
                return binary(QString::fromUtf16(op), left, additive(depth));
        }
        return left;
    }

    int additive(int depth)
    {
        int left = term(depth);
        while (error_.isEmpty()) {
            if (take(u"+"))
                left = binary(u"+"_s, left, term(depth));
            else if (take(u"-"))
                left = binary(u"-"_s, left, term(depth));
            else if (take(u"&"))
                left = binary(u"&"_s, left, term(depth));
            else
                break;
        }
        return left;
    }

    int term(int depth)
    {
        int left = unary(depth);
        while (error_.isEmpty()) {
            if (take(u"*"))
                left = binary(u"*"_s, left, unary(depth));
            else if (take(u"/"))
                left = binary(u"/"_s, left, unary(depth));
            else
                break;
        }
        return left;
    }

    int unary(int depth)
    {
        // Signs nest without parentheses ("- - -1"); they count as depth too.
        if (depth > maximumFormulaDepth)
            return comparison(depth);
        if (take(u"-")) {
            const int operand = unary(depth + 1);
            if (operand < 0)
                return -1;
            Node node;
            node.kind = Node::Kind::Negate;
            node.children = {operand};
            return add(std::move(node));
        }
        if (take(u"+"))
            return unary(depth + 1);
        return primary(depth);
    }

    int primary(int depth)
    {
        skipBlanks();
        if (at_ >= text_.size())
            return fail(u"La fórmula termina de forma incompleta"_s);
        const QChar current = text_.at(at_);
        if (current == u'(') {
            ++at_;
            const int inner = comparison(depth + 1);
            if (error_.isEmpty() && !take(u")"))
                return fail(u"Falta cerrar un paréntesis"_s);
            return inner;
        }
        if (current == u'[')
            return column();
        if (current == u'"' || current == u'\'')
            return textConstant(current);
        if (current == u'#')
            return dateConstant();
        if (current.isDigit() || current == u'.')
            return number();
        if (current.isLetter())
            return call(depth);
        return fail(u"Carácter inesperado '"_s + current + u"' en la posición "_s + QString::number(at_ + 1));
    }

    int column()
    {
        const qsizetype end = text_.indexOf(u']', at_ + 1);
        if (end < 0)
            return fail(u"Falta cerrar un corchete"_s);
        const QString title = text_.mid(at_ + 1, end - at_ - 1).trimmed();
        at_ = end + 1;
        if (title.isEmpty())
            return fail(u"Hay una referencia a columna sin nombre: []"_s);
        if (!references_.contains(title))
            references_.append(title);
        Node node;
        node.kind = Node::Kind::Column;
        node.name = title;
        return add(std::move(node));
    }

    int textConstant(QChar quote)
    {
        QString value;
        qsizetype at = at_ + 1;
        for (; at < text_.size(); ++at) {
            if (text_.at(at) != quote) {
                value += text_.at(at);
                continue;
            }
            if (at + 1 < text_.size() && text_.at(at + 1) == quote) {
                value += quote;
                ++at;
                continue;
            }
            break;
        }
        if (at >= text_.size())
            return fail(u"Falta cerrar un texto entre comillas"_s);
        at_ = at + 1;
        Node node;
        node.constant = ReportValue::ofText(value);
        return add(std::move(node));
    }

    int dateConstant()
    {
        const qsizetype end = text_.indexOf(u'#', at_ + 1);
        if (end < 0)
            return fail(u"Falta cerrar una fecha entre #"_s);
        const QString written = text_.mid(at_ + 1, end - at_ - 1).trimmed();
        at_ = end + 1;
        const ParsedDate parsed = parseDate(written);
        if (!parsed.valid || parsed.empty)
            return fail(u"Fecha incorrecta: #"_s + written + u'#');
        Node node;
        node.constant = ReportValue::ofDate(parsed.date);
        return add(std::move(node));
    }

    int number()
    {
        qsizetype end = at_;
        bool point = false;
        while (end < text_.size() && (text_.at(end).isDigit() || (text_.at(end) == u'.' && !point))) {
            point = point || text_.at(end) == u'.';
            ++end;
        }
        bool read = false;
        const double value = text_.mid(at_, end - at_).toDouble(&read);
        if (!read)
            return fail(u"Número incorrecto en la posición "_s + QString::number(at_ + 1));
        at_ = end;
        Node node;
        node.constant = ReportValue::ofNumber(value);
        return add(std::move(node));
    }

    int call(int depth)
    {
        qsizetype end = at_;
        while (end < text_.size() && (text_.at(end).isLetterOrNumber() || text_.at(end) == u'$'))
            ++end;
        const QString written = text_.mid(at_, end - at_);
        at_ = end;
        const QString name = written.toUpper();
        const FunctionShape* shape = functionNamed(name);
        if (!shape)
            return fail(u"Función desconocida: "_s + written);
        if (!take(u"("))
            return fail(u"Falta el paréntesis después de "_s + written);
        if (depth + 1 > maximumFormulaDepth)
            return comparison(depth + 1);
        Node node;
        node.kind = Node::Kind::Call;
        node.name = name;
        if (!take(u")")) {
            do {
                const int argument = comparison(depth + 1);
                if (argument < 0)
                    return -1;
                node.children.push_back(argument);
            } while (take(u","));
            if (!take(u")"))
                return fail(u"Falta cerrar el paréntesis de "_s + written);
        }
        const int count = int(node.children.size());
        if (count < shape->fewest || count > shape->most)
            return fail(u"Cantidad de argumentos incorrecta en "_s + written);
        if (name == u"SWITCH"_s && count % 2 != 0)
            return fail(u"Switch lleva pares de condición y valor"_s);
        return add(std::move(node));
    }

    const QString& text_;
    std::vector<Node>& nodes_;
    QStringList& references_;
    qsizetype at_ = 0;
    QString error_;
};

/// Evaluates the tree; the first failure wins and stops the evaluation.
class Evaluator {
public:
    Evaluator(const std::vector<Node>& nodes, const ReportFormula::ColumnLookup& column)
        : nodes_(nodes), column_(column) {}

    FormulaOutcome run(int root)
    {
        FormulaOutcome outcome;
        outcome.value = value(root);
        outcome.error = error_;
        if (!outcome.ok())
            outcome.value = ReportValue::null();
        return outcome;
    }

private:
    ReportValue fail(const QString& message)
    {
        if (error_.isEmpty())
            error_ = message;
        return ReportValue::null();
    }

    static bool isTrue(const ReportValue& value)
    {
        if (value.kind == ReportValue::Kind::Text)
            return !value.text.isEmpty();
        return value.toNumber() != 0;
    }

    static ReportValue number(double value)
    {
        if (!std::isfinite(value))
            return ReportValue::null();
        return ReportValue::ofNumber(value);
    }

    ReportValue value(int index)
    {
        if (!error_.isEmpty())
            return ReportValue::null();
        const Node& node = nodes_.at(std::size_t(index));
        switch (node.kind) {
        case Node::Kind::Constant:
            return node.constant;
        case Node::Kind::Column: {
            const std::optional<ReportValue> found = column_ ? column_(node.name) : std::nullopt;
            if (!found)
                return fail(u"La columna ["_s + node.name + u"] no existe"_s);
            return *found;
        }
        case Node::Kind::Negate: {
            const ReportValue operand = value(node.children.at(0));
            return operand.isNull() ? operand : number(-operand.toNumber());
        }
        case Node::Kind::Binary:
            return binary(node);
        case Node::Kind::Call:
            return call(node);
        }
        return ReportValue::null();
    }

    static int compare(const ReportValue& left, const ReportValue& right)
    {
        if (left.kind == ReportValue::Kind::Text && right.kind == ReportValue::Kind::Text)
            return QString::compare(left.text, right.text);
        const double a = left.toNumber();
        const double b = right.toNumber();
        return a < b ? -1 : (a > b ? 1 : 0);
    }

    ReportValue binary(const Node& node)
    {
        const ReportValue left = value(node.children.at(0));
        const ReportValue right = value(node.children.at(1));
        if (!error_.isEmpty())
            return ReportValue::null();
        const QString& op = node.name;
        if (op == u"&"_s || (op == u"+"_s && left.kind == ReportValue::Kind::Text
                             && right.kind == ReportValue::Kind::Text))
            return ReportValue::ofText(shown(left) + shown(right));
        if (op == u"="_s)
            return ReportValue::ofNumber(compare(left, right) == 0);
        if (op == u"<>"_s)
            return ReportValue::ofNumber(compare(left, right) != 0);
        if (op == u"<"_s)
            return ReportValue::ofNumber(compare(left, right) < 0);
        if (op == u">"_s)
            return ReportValue::ofNumber(compare(left, right) > 0);
        if (op == u"<="_s)
            return ReportValue::ofNumber(compare(left, right) <= 0);
        if (op == u">="_s)
            return ReportValue::ofNumber(compare(left, right) >= 0);
        // A date plus or minus days stays a date.
        if (left.kind == ReportValue::Kind::Date && (op == u"+"_s || op == u"-"_s)
            && right.kind != ReportValue::Kind::Date) {
            const double whole = std::trunc(right.toNumber());
            if (!(std::abs(whole) <= 3'000'000))
                return fail(u"Fecha fuera de rango"_s);
            const qint64 days = qint64(whole);
            return ReportValue::ofDate(left.date.addDays(op == u"+"_s ? days : -days));
        }
        const double a = left.toNumber();
        const double b = right.toNumber();
        if (op == u"+"_s)
            return number(a + b);
        if (op == u"-"_s)
            return number(a - b);
        if (op == u"*"_s)
            return number(a * b);
        if (b == 0)
            return fail(u"División por cero"_s);
        return number(a / b);
    }

    static QString shown(const ReportValue& value)
    {
        switch (value.kind) {
        case ReportValue::Kind::Null:
            return {};
        case ReportValue::Kind::Number:
            return QString::number(value.number, 'g', 15);
        case ReportValue::Kind::Text:
            return value.text;
        case ReportValue::Kind::Date:
            return formatDate(value.date);
        }
        return {};
    }

    std::optional<QDate> dateOf(const ReportValue& value)
    {
        if (value.kind == ReportValue::Kind::Date)
            return value.date;
        if (value.kind == ReportValue::Kind::Text) {
            const ParsedDate parsed = parseDate(value.text.trimmed());
            if (parsed.valid && !parsed.empty)
                return parsed.date;
        }
        fail(u"Se esperaba una fecha"_s);
        return std::nullopt;
    }

    /// A count of characters: whole, from 0 up to a sane limit.
    std::optional<int> countOf(const ReportValue& value, int lowest)
    {
        const double wanted = std::trunc(value.toNumber());
        if (!(wanted >= lowest) || wanted > 1'000'000) {
            fail(u"Cantidad de caracteres incorrecta"_s);
            return std::nullopt;
        }
        return int(wanted);
    }

    ReportValue dateAdd(const QString& interval, double amount, const QDate& date)
    {
        const double whole = std::trunc(amount);
        if (!(std::abs(whole) <= 1'000'000))
            return fail(u"Fecha fuera de rango"_s);
        const int count = int(whole);
        const QString unit = interval.trimmed().toLower();
        QDate result;
        if (unit == u"d"_s || unit == u"y"_s || unit == u"w"_s)
            result = date.addDays(count);
        else if (unit == u"ww"_s)
            result = date.addDays(qint64(count) * 7);
        else if (unit == u"m"_s)
            result = date.addMonths(count);
        else if (unit == u"q"_s)
            result = date.addMonths(count * 3);
        else if (unit == u"yyyy"_s)
            result = date.addYears(count);
        else
            return fail(u"Intervalo desconocido: "_s + interval);
        if (!result.isValid() || result.year() < 100 || result.year() > 9999)
            return fail(u"Fecha fuera de rango"_s);
        return ReportValue::ofDate(result);
    }

    ReportValue dateDiff(const QString& interval, const QDate& from, const QDate& to)
    {
        const QString unit = interval.trimmed().toLower();
        if (unit == u"d"_s || unit == u"y"_s || unit == u"w"_s)
            return ReportValue::ofNumber(double(from.daysTo(to)));
        if (unit == u"ww"_s)
            return ReportValue::ofNumber(double(from.daysTo(to) / 7));
        const int months = (to.year() - from.year()) * 12 + to.month() - from.month();
        if (unit == u"m"_s)
            return ReportValue::ofNumber(months);
        if (unit == u"q"_s)
            return ReportValue::ofNumber(((to.year() * 12 + to.month() - 1) / 3) - ((from.year() * 12 + from.month() - 1) / 3));
        if (unit == u"yyyy"_s)
            return ReportValue::ofNumber(to.year() - from.year());
        return fail(u"Intervalo desconocido: "_s + interval);
    }

    ReportValue call(const Node& node)
    {
        const QString& name = node.name;
        // iif and Switch evaluate only the branch they choose, so that
        // iif([b] = 0, 0, [a] / [b]) guards a division.
        if (name == u"IIF"_s) {
            const ReportValue condition = value(node.children.at(0));
            return value(node.children.at(isTrue(condition) ? 1 : 2));
        }
        if (name == u"SWITCH"_s) {
            for (std::size_t pair = 0; pair + 1 < node.children.size(); pair += 2) {
                if (isTrue(value(node.children.at(pair))))
                    return value(node.children.at(pair + 1));
            }
            return ReportValue::null();
        }
        std::vector<ReportValue> arguments;
        for (const int child : node.children)
            arguments.push_back(value(child));
        if (!error_.isEmpty())
            return ReportValue::null();
        const ReportValue& first = arguments.at(0);
        if (name == u"REDONDEAR"_s) {
            const double places = arguments.size() > 1 ? std::trunc(arguments.at(1).toNumber()) : 0;
            if (places < -15 || places > 15)
                return fail(u"REDONDEAR admite de -15 a 15 decimales"_s);
            const double scale = std::pow(10.0, places);
            return number(std::round(first.toNumber() * scale) / scale);
        }
        if (name == u"SQR"_s) {
            if (first.toNumber() < 0)
                return fail(u"Raíz cuadrada de un número negativo"_s);
            return number(std::sqrt(first.toNumber()));
        }
        if (name == u"FIX"_s)
            return number(std::trunc(first.toNumber()));
        if (name == u"INT"_s)
            return number(std::floor(first.toNumber()));
        if (name == u"LEFT$"_s || name == u"RIGHT$"_s) {
            const std::optional<int> count = countOf(arguments.at(1), 0);
            if (!count)
                return ReportValue::null();
            const QString text = shown(first);
            return ReportValue::ofText(name == u"LEFT$"_s ? text.left(*count) : text.right(*count));
        }
        if (name == u"MID$"_s) {
            const std::optional<int> start = countOf(arguments.at(1), 1);
            const std::optional<int> length =
                arguments.size() > 2 ? countOf(arguments.at(2), 0) : std::optional<int>(1'000'000);
            if (!start || !length)
                return ReportValue::null();
            return ReportValue::ofText(shown(first).mid(*start - 1, *length));
        }
        if (name == u"DAY"_s || name == u"MONTH"_s || name == u"YEAR"_s) {
            const std::optional<QDate> date = dateOf(first);
            if (!date)
                return ReportValue::null();
            return ReportValue::ofNumber(name == u"DAY"_s ? date->day()
                                         : name == u"MONTH"_s ? date->month() : date->year());
        }
        if (name == u"DATEADD"_s) {
            const std::optional<QDate> date = dateOf(arguments.at(2));
            return date ? dateAdd(shown(first), arguments.at(1).toNumber(), *date) : ReportValue::null();
        }
        if (name == u"DATEDIFF"_s) {
            const std::optional<QDate> from = dateOf(arguments.at(1));
            const std::optional<QDate> to = from ? dateOf(arguments.at(2)) : std::nullopt;
            return to ? dateDiff(shown(first), *from, *to) : ReportValue::null();
        }
        return fail(u"Función desconocida: "_s + name);
    }

    const std::vector<Node>& nodes_;
    const ReportFormula::ColumnLookup& column_;
    QString error_;
};

}  // namespace

ReportFormula::ReportFormula(const QString& text)
{
    if (text.size() > maximumFormulaLength) {
        error_ = u"La fórmula tiene "_s + QString::number(text.size()) + u" caracteres; el máximo es "_s
                 + QString::number(maximumFormulaLength);
        return;
    }
    if (text.trimmed().isEmpty()) {
        error_ = u"No indicó una fórmula para el campo calculado"_s;
        return;
    }
    Parser parser(text, nodes_, references_);
    root_ = parser.parse(error_);
    if (!error_.isEmpty()) {
        nodes_.clear();
        root_ = -1;
    }
}

ReportFormula::~ReportFormula() = default;
ReportFormula::ReportFormula(ReportFormula&&) noexcept = default;
ReportFormula& ReportFormula::operator=(ReportFormula&&) noexcept = default;

FormulaOutcome ReportFormula::evaluate(const ColumnLookup& column) const
{
    if (!isValid())
        return {ReportValue::null(), error_};
    Evaluator evaluator(nodes_, column);
    return evaluator.run(root_);
}

QStringList formulaReferences(const QString& formula)
{
    QStringList found;
    qsizetype at = 0;
    while ((at = formula.indexOf(u'[', at)) >= 0) {
        const qsizetype end = formula.indexOf(u']', at + 1);
        if (end < 0)
            break;
        const QString title = formula.mid(at + 1, end - at - 1).trimmed();
        if (!title.isEmpty() && !found.contains(title))
            found.append(title);
        at = end + 1;
    }
    return found;
}
