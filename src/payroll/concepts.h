#pragma once

#include <QList>
#include <QString>

struct TransactionDecl;
struct WorkPanelDecl;

/// The concept form: a payroll concept with its type, class, taxation,
/// legal reporting, personal-file and leave settings, on a header and five
/// pages.
const TransactionDecl& TCONCEP();

/// The concepts' work panel: from a number on, by description and status.
const WorkPanelDecl& WCONCEPT();

/// The concepts' selection prompt: from a number on, by description and
/// group, the inactive ones only when asked.
const WorkPanelDecl& WKQ00N0();

/// The bank pension fund items of "CB_CodPartidas.txt", to choose from.
const WorkPanelDecl& WSELPART();

/// One item of "CB_CodPartidas.txt", written "code;text" a line (blank
/// lines and lines beginning with "#" are skipped).
struct BankFundItem {
    QString code;
    QString text;
};

/// The bank pension fund items of the file; `error` says why none could be read.
QList<BankFundItem> readBankFundItems(QString* error = nullptr);
/// Where the file is looked for first (tests); empty: the program's folder.
void setBankFundItemsFolder(const QString& folder);

/// The text of bank pension fund item `code` as the audit names it
/// ("3-Horas extras"); "No se informa" for blank.
QString bankFundItemText(const QString& code);
