#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Database;
struct LineTableDecl;
struct TransactionDecl;
struct WorkPanelDecl;

/// The basic values' selection prompt: number and description.
const WorkPanelDecl& WKQ00A0();

/// A basic (BASICOS) with its dated values (BASICOS1) in one form; the
/// values are its lines, keyed by position, cost centre and reference.
const TransactionDecl& TBASICO();
/// The values of a basic as TBASICO's grid shows them.
const LineTableDecl& basicValueLines();
/// The list of basics, with Agregar, Eliminar (PELIMBAS), Imprimir
/// (RBASICL2), the change of number (WCAMBIAB) and the import (WIMPBASI).
const WorkPanelDecl& WBASICOS();
/// The selection list other forms pick a basic from.
const WorkPanelDecl& WSELBASI();

/// The columns of TBASICO's grid of values, in order.
enum BasicValueColumn {
    PositionColumn = 0,   ///< CarId, 0: every position
    CostCentreColumn,     ///< CCId, blank: every cost centre
    ReferenceColumn,      ///< RefAuxId, blank: every reference
    ValidFromColumn,      ///< BasVigenci
    ClassifierColumn,     ///< BasClasif
    AmountColumn,         ///< BasImp
    PreviousAmountColumn, ///< BasImpAnt
};

/// One value of a basic, as the panel's second grid and the listing show it.
struct BasicValueRow {
    int basic = 0;
    int position = 0;
    QString costCentre;
    QString reference;
    QDate validFrom;  ///< invalid: none given
    QString classifier;
    double amount = 0;
    double previousAmount = 0;
};

/// The values of basic `basic` in the order of IBASICO; false with `error`
/// set when they cannot be read.
bool readBasicValues(Database& database, int basic, QList<BasicValueRow>& rows, QString* error = nullptr);

/// An amount as the audit sentences and the listing write it
/// ("###,###,###,##0.00###": thousands, two to five decimals).
QString basicAmountText(double amount);
