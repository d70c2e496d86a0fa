#pragma once

#include <QRegularExpression>
#include <QString>

// The description filter of the work panels: what a person types is matched
// against descriptions without regard to letter case or to an acute or grave
// accent on a vowel, and a blank stands for any run of characters. "pe n"
// lets "Peón", "PEÓN" and "pension" pass.

/// The pattern of a typed filter: upper-cased, a blank as "%", each vowel as
/// the class of its accented forms ("A" -> "[AÁÀ]"), anything else as typed.
QString accentPattern(const QString& typed);

/// The typed filter as a matcher over whole descriptions (trimmed and
/// upper-cased before matching): the pattern wrapped in "*", "%" and "*"
/// any run of characters, "_" and "?" any one character.
class AccentFilter {
public:
    AccentFilter() = default;
    explicit AccentFilter(const QString& typed);

    /// An empty filter lets every description pass.
    bool isEmpty() const { return typed_.trimmed().isEmpty(); }
    const QString& typed() const { return typed_; }
    bool passes(const QString& description) const;

private:
    QString typed_;
    QRegularExpression expression_;
};
