#include "engine/modes.h"

QString modeCode(Mode mode)
{
    switch (mode) {
    case Mode::Insert:
        return QStringLiteral("INS");
    case Mode::Update:
        return QStringLiteral("UPD");
    case Mode::Delete:
        return QStringLiteral("DLT");
    case Mode::Display:
        return QStringLiteral("DSP");
    }
    return {};
}

std::optional<Mode> modeFromCode(const QString& code)
{
    const QString upper = code.trimmed().toUpper();
    for (Mode mode : {Mode::Insert, Mode::Update, Mode::Delete, Mode::Display}) {
        if (modeCode(mode) == upper)
            return mode;
    }
    // The table of mode words knows the delete mode as "DEL" too.
    if (upper == QLatin1String("DEL"))
        return Mode::Delete;
    return std::nullopt;
}

QString modeWord(Mode mode)
{
    switch (mode) {
    case Mode::Insert:
        return QStringLiteral("Inserta");
    case Mode::Update:
        return QStringLiteral("Actualiza");
    case Mode::Delete:
        return QStringLiteral("Elimina");
    case Mode::Display:
        return QStringLiteral("Visualizar");
    }
    return {};
}
