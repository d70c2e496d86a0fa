#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

class Database;

// Small reads the payroll definitions share: a field of one concept and
// whether some rows answer a condition. Values are always bound.

/// Concept types as `ConTipo` stores them.
enum class ConceptType { Internal = 0, Earning = 1, LegalDeduction = 2, Deduction = 3 };

/// `field` of concept `conceptId`, or an invalid value when there is no such concept.
QVariant conceptField(Database& database, int conceptId, const QString& field);

/// Whether `statement` (a select written with bare names and "?" for each
/// of `values`) returns a row. A failed read counts as a row, so that a
/// check built on it refuses rather than lets a delete through.
bool anyRow(Database& database, const QString& statement, const QVariantList& values);

/// The rows of `statement` (as anyRow), each as its column values.
QList<QVariantList> readRows(Database& database, const QString& statement, const QVariantList& values,
                             bool* failed = nullptr);
