// Attribute values and the two value-list languages read whatever a person
// types without crashing or hanging, and never accept what they refuse:
// - a value PVALFUNA accepts fits its type, its limits and its list;
// - every message starts with a blank; an empty value is refused only when
//   mandatory;
// - a value that passes its type is accepted by a list made of itself, and
//   by the ranges open on either side of it;
// - a condition accepted holds only values of its type (or NULL);
// - decimal comparison is antisymmetric.
//
// Input: type selector, flags (1 mandatory, 2 capitals), length, decimals,
// then the value and the validation expression separated by a new line.
#include "support/attribute_values.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString typeOf(uint8_t selector)
{
    static const char* const types[] = {"AN", "CH", "FE", "NU", "XX"};
    return QString::fromLatin1(types[selector % 5]);
}

bool fitsType(const AttributeDefinition& definition, const QString& written)
{
    if (definition.type == QLatin1String("NU")) {
        QString number = written;
        number.replace(u',', u'.');
        const std::optional<DecimalValue> read = readDecimal(number);
        if (!read)
            return false;
        if (number.contains(u'.') && read->writtenDecimals > definition.decimals)
            return false;
        return read->integer.size() <= definition.length - definition.decimals;
    }
    if (definition.type == QLatin1String("FE"))
        return readAttributeDate(written).has_value();
    if (definition.type == QLatin1String("AN") || definition.type == QLatin1String("CH"))
        return written.size() <= definition.length;
    return true;
}

void checkValue(AttributeDefinition definition, const QString& value)
{
    const QString message = PVALFUNA(definition, value);
    check(message.isEmpty() || message.startsWith(u' '));
    QString written = value;
    while (!written.isEmpty() && written.back().isSpace())
        written.chop(1);
    if (written.isEmpty()) {
        check(message == (definition.mandatory ? QStringLiteral(" es obligatorio.") : QString()));
        return;
    }
    if (message.isEmpty()) {
        check(fitsType(definition, written));
        check(matchesValidation(definition.type, definition.validation, written));
    }
    definition.validation.clear();
    if (!PVALFUNA(definition, value).isEmpty() || written.contains(u',') || written.contains(u':'))
        return;
    for (const QString& list : {written, written + u':', u':' + written, written + u':' + written}) {
        definition.validation = list;
        check(PVALFUNA(definition, value).isEmpty());
    }
}

void checkConditionText(const AttributeDefinition& definition, const QString& text)
{
    QString condition = text;
    if (!checkCondition(definition, condition).isEmpty())
        return;
    for (const ValueListItem& item : splitValueList(condition)) {
        check(!item.malformed);
        for (const QString& bound : {item.lower.trimmed(), item.upper.trimmed()}) {
            if (bound.isEmpty() || bound.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
                continue;
            if (definition.type == QLatin1String("NU"))
                check(readDecimal(bound).has_value());
            if (definition.type == QLatin1String("FE"))
                check(readAttributeDate(bound).has_value());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    AttributeDefinition definition;
    definition.type = typeOf(data[0]);
    definition.mandatory = data[1] & 1;
    definition.capitals = data[1] & 2;
    definition.length = data[2] % 40;
    definition.decimals = data[3] % 8;
    definition.description = QStringLiteral("Atributo");
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 4), static_cast<qsizetype>(size - 4));
    const QString value = text.section(u'\n', 0, 0);
    definition.validation = text.section(u'\n', 1);

    checkValue(definition, value);
    checkConditionText(definition, value);
    checkConditionText(definition, definition.validation);

    const std::optional<DecimalValue> left = readDecimal(value);
    const std::optional<DecimalValue> right = readDecimal(definition.validation);
    if (left && right)
        check(compareDecimal(*left, *right) == -compareDecimal(*right, *left));
    return 0;
}
