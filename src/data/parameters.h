#pragma once

#include "data/db_error.h"

#include <QDateTime>
#include <QString>

class Database;
class UiPort;

// The parameter store: rows of PARAMETR addressed by group (ParTabla), name
// (ParParamet) and index (ParIndice), each holding a text, a number and a
// date. Group and name are compared trimmed, so "Feriados " finds the row of
// "Feriados".
//
// A reader copies the value into its result only when the row exists: a
// caller that wants a default sets the result to it before the call. Readers
// return whether the row was found. A writer updates the row (waiting for its
// lock) or adds it, in one short transaction, and leaves the value fields of
// the other kinds as they are; it returns the failure, 3022 with "Ya existe el
// registro" when another workstation added the same row at the same moment.

/// Reads ParValorCa.
bool PPARLC(Database& database, const QString& group, const QString& name, int index, QString& text);
/// Reads ParValorNu.
bool PPARLN40(Database& database, const QString& group, const QString& name, int index, double& number);
/// Reads the three values.
bool PPARAMLE(Database& database, const QString& group, const QString& name, int index, QString& text,
              double& number, QDateTime& date);

/// Writes ParValorCa.
DbError PPARGC(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
               const QString& text);
/// Writes ParValorNu.
DbError PPARGN40(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 double number);
/// Writes the three values.
DbError PPARAMGR(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 const QString& text, double number, const QDateTime& date);
