#pragma once

#include <QString>

#include <optional>

/// What a transaction is called to do with a record.
enum class Mode { Insert, Update, Delete, Display };

/// "INS", "UPD", "DLT" or "DSP".
QString modeCode(Mode mode);
/// The mode of a code (any letter case, blanks ignored); nothing for others.
std::optional<Mode> modeFromCode(const QString& code);
/// The word status bar panel 1 shows: "Inserta", "Actualiza", "Elimina",
/// "Visualizar".
QString modeWord(Mode mode);
