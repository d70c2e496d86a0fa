#pragma once

#include <QMap>
#include <QString>

// The specific routines of the payroll calculation that a formula line may
// call with the operand "RUT" and the routine's number. The routines live
// in the payroll calculation, not here; which numbers exist is kept as data,
// in the text file "rutinas.txt" of the installation folder, so that a new
// routine needs no new version of this program. The file is UTF-8, one
// routine a line as "number;description"; blank lines and lines that begin
// with "#" are skipped:
//
//   # Rutinas específicas del cálculo de la liquidación
//   1;Días trabajados en el mes

/// The routines as read, or why they could not be read.
struct SpecificRoutines {
    QMap<int, QString> byNumber;
    QString error;  ///< empty when the file was read

    bool ok() const { return error.isEmpty(); }
    bool contains(int number) const { return byNumber.contains(number); }
};

namespace SpecificRoutineList {

inline constexpr char16_t fileName[] = u"rutinas.txt";

/// Where "rutinas.txt" is looked for first (tests point it at their own
/// folder). Empty: the program's folder, then a "data" folder beside it or
/// above it.
void setFolder(const QString& folder);

/// Reads the list from the folder.
SpecificRoutines read();

}  // namespace SpecificRoutineList
