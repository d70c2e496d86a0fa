#pragma once

#include <QString>

#include <optional>

class UiPort;

// PENCRIPT: the character-substitution scrambling of user names, user data,
// profile keys and profile data. Each character becomes the distance, counted
// through a fixed substitution table, from the table position after the
// previous character to the next occurrence of this one; that distance (1 to
// 250) is stored as the character with that code. Unscrambling adds the codes
// up again. The table holds every character a user name, password, full name,
// profile key or profile record may contain; a database written with this
// table can only be read with this same table, so it must never change.

/// The characters of one text that PENCRIPT processes at most.
inline constexpr int pencriptMaxLength = 300;
/// The table positions that take part in the substitution.
inline constexpr int pencriptTableUsed = 250;

/// The fixed substitution table, 260 characters of which the first 250 are used.
const QString& pencriptTable();

/// Whether `character` occurs in the used part of the table.
bool pencriptKnows(QChar character);

/// The procedure object: `mode` "E" scrambles `text`, "D" unscrambles it.
/// `failure` becomes "N", or "S" when a character of the text is not in the
/// table (scrambling stops there). Any other mode shows
/// "LLamada a la función encriptación incorrecta" and gives an empty result.
void PENCRIPT(const QString& text, const QString& mode, QString& failure, QString& result, UiPort& ui);

/// Scrambles `text` (its first 300 characters); nullopt when a character is
/// not in the table.
std::optional<QString> pencriptScramble(const QString& text);

/// Unscrambles `text` (its first 300 characters).
QString pencriptUnscramble(const QString& text);
