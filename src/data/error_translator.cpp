#include "data/error_translator.h"

#include "support/ui_port.h"

int translateDatabaseError(UiPort& ui, const DbError& pending)
{
    if (!pending.ok()) {
        LastError::setNumber(pending.number);
        if (LastError::message().isEmpty())
            LastError::setMessage(pending.fullText());
    }
    const int number = LastError::number();
    const QString message = LastError::message();
    LastError::setMessage(QString());

    if (number == 0)
        return 0;
    if (number == DbErrorNumber::PathNotFound || number == DbErrorNumber::InvalidPicture)
        return resumeNextResult;
    if (number == DbErrorNumber::DuplicateKey) {
        ui.message(QStringLiteral("Ya existe el registro"), MessageIcon::Exclamation);
        return number;
    }
    if (number == DbErrorNumber::TransactionLogFull) {
        ui.question(QStringLiteral("Transaction Log Is Full, must commit or rollback"), DefaultButton::Yes);
        return number;
    }
    if (number == DbErrorNumber::ChangedByAnotherUser) {
        ui.question(QStringLiteral("Los datos fueron modificados por otro usuario") + QStringLiteral("Descarta modificaciones"),
                    DefaultButton::Yes);
        return number;
    }
    if (number == DbErrorNumber::ProgramEnds || (number >= 1001 && number <= 1200)) {
        ui.message(message, MessageIcon::Exclamation);
        return number;
    }
    ui.message(QStringLiteral("Error No. ") + QString::number(number) + QStringLiteral(" : ") + message,
               MessageIcon::Exclamation);
    return number;
}
