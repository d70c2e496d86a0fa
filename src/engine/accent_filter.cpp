#include "engine/accent_filter.h"

namespace {

/// The accented forms of a vowel, or nothing for other characters.
QString vowelClass(QChar upper)
{
    switch (upper.unicode()) {
    case u'A': case u'Á': case u'À':
        return QStringLiteral("AÁÀ");
    case u'E': case u'É': case u'È':
        return QStringLiteral("EÉÈ");
    case u'I': case u'Í': case u'Ì':
        return QStringLiteral("IÍÌ");
    case u'O': case u'Ó': case u'Ò':
        return QStringLiteral("OÓÒ");
    case u'U': case u'Ú': case u'Ù':
        return QStringLiteral("UÚÙ");
    default:
        return {};
    }
}

}  // namespace

QString accentPattern(const QString& typed)
{
    QString pattern;
    for (QChar character : typed.toUpper()) {
        if (character == u' ') {
            pattern += u'%';
            continue;
        }
        const QString vowels = vowelClass(character);
        pattern += vowels.isEmpty() ? QString(character) : u'[' + vowels + u']';
    }
    return pattern;
}

AccentFilter::AccentFilter(const QString& typed) : typed_(typed)
{
    // Built from the typed characters rather than from the pattern text, so
    // that a "[" or "(" the person types is a character like any other.
    QString expression = QStringLiteral("^.*");
    for (QChar character : typed.trimmed().toUpper()) {
        const QString vowels = vowelClass(character);
        if (character == u' ' || character == u'%' || character == u'*')
            expression += QStringLiteral(".*");
        else if (character == u'_' || character == u'?')
            expression += u'.';
        else if (!vowels.isEmpty())
            expression += u'[' + vowels + u']';
        else
            expression += QRegularExpression::escape(QString(character));
    }
    expression += QStringLiteral(".*$");
    expression_ = QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
}

bool AccentFilter::passes(const QString& description) const
{
    if (isEmpty())
        return true;
    return expression_.match(description.trimmed().toUpper()).hasMatch();
}
