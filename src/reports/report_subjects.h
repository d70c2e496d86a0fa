#pragma once

// The subjects of the report field catalogue (CAMPOS). Each catalogue field
// belongs to one subject group (`CamGrupo`); the definition editor's subject
// combos offer the subjects in this order and list the fields of the chosen
// group. The numbers are the catalogue seed's (data/report_fields.h), so
// that the rows init writes and the editor's combos agree.
//
//   CamGrupo  subject          what its fields come from
//   1         "Funcionario"    the employee (FUNCIONA) and the employee attributes
//   2         "Cargo"          the employee's positions (CARGOSFU) and the position attributes
//   3         "Legajo"         the personal file: annotations of the employee's file
//   4         "Liquidaciones"  the liquidation headers and their lines
//   5         "Conceptos"      the payroll concepts (CONCEPT)
//   6         "Marcas"         clock marks, with the computed fields 600 to 619
//   7         "Movimientos"    the movements entered for a liquidation
//   8         "Calculos"       the results of the calculation
//
// Field numbers with a fixed meaning: 600 to 619 are the computed fields of
// clock marks (a report holding one needs a date filter); 801 to 900 are the
// employee and position attributes, 800 plus the attribute number.

#include "data/report_fields.h"

#include <array>

namespace ReportSubjects {

constexpr int Employee = ReportSubject::employee;
constexpr int Position = ReportSubject::position;
constexpr int PersonalFile = ReportSubject::personalFile;
constexpr int Liquidations = ReportSubject::liquidations;
constexpr int Concepts = ReportSubject::concepts;
constexpr int ClockMarks = ReportSubject::clockMarks;
constexpr int Movements = ReportSubject::movements;
constexpr int Calculations = ReportSubject::calculations;

/// One subject as the editor's combos show it.
struct Subject {
    int group;             ///< `CamGrupo`
    const char16_t* name;  ///< the text of the combo
};

/// Every subject, in the order the combos offer them.
inline constexpr std::array<Subject, 8> all = {{
    {Employee, u"Funcionario"},
    {Position, u"Cargo"},
    {PersonalFile, u"Legajo"},
    {Liquidations, u"Liquidaciones"},
    {Concepts, u"Conceptos"},
    {ClockMarks, u"Marcas"},
    {Movements, u"Movimientos"},
    {Calculations, u"Calculos"},
}};

/// The computed fields of clock marks.
constexpr int firstClockMarkField = 600;
constexpr int lastClockMarkField = 619;
/// The attribute fields: 800 + `FunAId`.
constexpr int attributeFieldBase = 800;
constexpr int firstAttributeField = 801;
constexpr int lastAttributeField = 900;

constexpr bool isClockMarkField(int field) { return field >= firstClockMarkField && field <= lastClockMarkField; }
constexpr bool isAttributeField(int field) { return field >= firstAttributeField && field <= lastAttributeField; }

}  // namespace ReportSubjects
