#include "support/pencript.h"

#include "support/ui_port.h"

#include <array>
#include <cassert>

namespace {

// Five pieces of 52: every printable ASCII character, the Spanish letters
// with accents, diaeresis and tilde in both cases, the opening question and
// exclamation marks, the ordinal indicators, the degree sign, grave-accented
// vowels and the cedilla, each twice in shuffled order in the used part.
const QString& table()
{
    static const QString text = QStringLiteral(
        "F0^*¿ì2nPíüKA/J-zè@.ÁVªùj|$x\\ÉÇd6Um4ÒW,t#XDbÍ!+N8<g>"
        "ó&;ñàOY%ÈTCÙofvúE9òhiauk7=À] cM°1Ì)5y:Rçwá`{S}3ÜpIr_"
        "['GÚqZ\"?~QLºÓeH¡sBé(ÑlqKRI<ABó985Íìç-6\"0Ç)L+úñ!sDáCÈ"
        "_Ñ@fW={N?ÙE&T#p4,º^°¿*(i2eGz}7$Ìt.:Ulncüò3aÜ\\X]Mèru|"
        "ÓùFJyHªOÚY`j[àÒSwv% ¡dP;h'/1~kéíbo>ÀgVxÁÉmQZG=Éaó;)K");
    assert(text.size() == 260 && "the substitution table has 260 characters");
    return text;
}

/// Whether the used part of the table holds `character`.
bool knownInTable(QChar character)
{
    const QString& text = table();
    for (int position = 0; position < pencriptTableUsed; ++position) {
        if (text.at(position) == character)
            return true;
    }
    return false;
}

/// Scrambles; stops at the first character outside the table.
QString scramble(const QString& text, bool& failed)
{
    const QString& substitution = table();
    const QString input = text.left(pencriptMaxLength);
    QString result;
    result.reserve(input.size());
    failed = false;
    int position = 1;  // where the search for the next character starts
    for (const QChar character : input) {
        int steps = 0;
        int found = 0;
        for (int count = 1; count <= pencriptTableUsed; ++count) {
            const int candidate = (position - 1 + count - 1) % pencriptTableUsed + 1;
            if (substitution.at(candidate - 1) == character) {
                steps = count;
                found = candidate;
                break;
            }
        }
        if (found == 0) {
            failed = true;
            return result;
        }
        result += QChar(static_cast<char16_t>(steps));
        position = found % pencriptTableUsed + 1;
    }
    return result;
}

QString unscramble(const QString& text)
{
    const QString& substitution = table();
    const QString input = text.left(pencriptMaxLength);
    QString result;
    result.reserve(input.size());
    int position = 0;
    for (const QChar character : input) {
        // Codes above 250 (never written by scramble) wrap like the sum does,
        // so a damaged text reads as other characters instead of failing.
        position = (position + character.unicode() - 1) % pencriptTableUsed + 1;
        if (position <= 0)
            position += pencriptTableUsed;
        result += substitution.at(position - 1);
    }
    return result;
}

}  // namespace

const QString& pencriptTable()
{
    return table();
}

bool pencriptKnows(QChar character)
{
    return knownInTable(character);
}

void PENCRIPT(const QString& text, const QString& mode, QString& failure, QString& result, UiPort& ui)
{
    failure = QStringLiteral("N");
    if (mode == QLatin1String("E")) {
        bool failed = false;
        result = scramble(text, failed);
        if (failed)
            failure = QStringLiteral("S");
        return;
    }
    if (mode == QLatin1String("D")) {
        result = unscramble(text);
        return;
    }
    ui.message(QStringLiteral("LLamada a la función encriptación incorrecta"), MessageIcon::Information);
    result.clear();
}

std::optional<QString> pencriptScramble(const QString& text)
{
    bool failed = false;
    QString result = scramble(text, failed);
    if (failed)
        return std::nullopt;
    return result;
}

QString pencriptUnscramble(const QString& text)
{
    return unscramble(text);
}
