#include "data/db_error.h"

QString DbError::fullText() const
{
    QString text = message;
    if (!driverText.isEmpty())
        text += QStringLiteral(" (") + driverText + QStringLiteral(")");
    return text;
}

QString DbError::textWithDetails() const
{
    if (driverText.isEmpty())
        return message;
    return message + QStringLiteral("\nDetalle: ") + driverText;
}

bool isLockConflict(int number)
{
    switch (number) {
    case 3008:
    case 3009:
    case 3046:
    case 3158:
    case 3202:
    case 3211:
    case 3212:
    case 3260:
        return true;
    }
    return number >= 3186 && number <= 3189;
}

namespace {

int lastNumber = 0;
QString lastMessage;

}  // namespace

int LastError::number()
{
    return lastNumber;
}

QString LastError::message()
{
    return lastMessage;
}

void LastError::set(int number, const QString& message)
{
    lastNumber = number;
    lastMessage = message;
}

void LastError::setNumber(int number)
{
    lastNumber = number;
}

void LastError::setMessage(const QString& message)
{
    lastMessage = message;
}

void LastError::clear()
{
    lastNumber = 0;
    lastMessage.clear();
}
