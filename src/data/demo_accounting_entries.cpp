// The demo company's accounting entries: the monthly salary journal and the
// year-end bonus provision, over the headings and cost centres of the
// organisation demo.
//
// The salary journal is the one a Uruguayan employer posts each month:
// salaries, day wages and overtime as expense of each cost centre (split by
// cost centre), the year-end bonus likewise; on the credit side what was
// withheld from the employees and is owed to BPS (personal retirement
// contribution, concept 101) and to FONASA (health insurance, concept 102,
// with the mutual-fee complement of the industry-and-commerce regime), the
// IRPF withheld and owed to DGI (concept 103), the net pay transferred to the
// employees' bank accounts (payroll by bank transfer, Ley 19.210), and the
// line by the difference, which takes what the others leave (union dues,
// concept 150, and rounding) so that the entry balances.
#include "data/demo_tables.h"

QList<DemoTable> demoAccountingEntries()
{
    return {
        {"ASIENTO", {"AsiId", "AsiDesc", "AsiProvisi"}, {
            {1, "Sueldos del mes", "N"},
            {2, "Provisión de aguinaldo", "S"},
        }},
        {"ASIENTO1", {"AsiId", "AsiLin", "AsiDH", "RubId", "AsiApCC", "CCId", "AsiDetalle", "AsiMarA",
                      "AsiMarB", "AsiConcept", "AsiValor", "AsiUltCorL"}, {
            {1, 1, "D", 52110, "S", "", "Sueldos y jornales por centro de costo", "", "", "", "", 3},
            {1, 2, "D", 52120, "S", "", "Aguinaldo por centro de costo", "", "", "", "", 1},
            {1, 3, "H", 21310, "", "", "Aporte jubilatorio retenido", "B", "", "", "", 1},
            {1, 4, "H", 21320, "", "", "FONASA retenido y complemento de cuota mutual", "B", "", "", "", 2},
            {1, 5, "H", 21330, "", "", "IRPF retenido", "D", "", "", "", 1},
            {1, 6, "H", 21110, "", "", "Líquido a pagar por transferencia bancaria", "", "", "", "", 1},
            {1, 7, "H", 21110, "", "", "Diferencia: otras retenciones y redondeo", "", "", "", "", 1},
            {2, 1, "D", 52120, "S", "", "Aguinaldo devengado del mes", "", "", "", "", 1},
            {2, 2, "H", 21110, "", "", "Aguinaldo a pagar", "", "", "", "", 1},
        }},
        {"ASIENT4", {"AsiId", "AsiLin", "AsiCorLin", "AsiCalculo", "AsiConGrup", "ConId", "AsiMult", "AsiDiv"}, {
            {1, 1, 1, "C", "", 1, 1.0, 1.0},     // Sueldo mensual
            {1, 1, 2, "C", "", 2, 1.0, 1.0},     // Jornales
            {1, 1, 3, "C", "", 5, 1.0, 1.0},     // Horas extra
            {1, 2, 1, "C", "", 20, 1.0, 1.0},    // Aguinaldo
            {1, 3, 1, "C", "", 101, 1.0, 1.0},   // Aporte jubilatorio BPS
            {1, 4, 1, "C", "", 102, 1.0, 1.0},   // FONASA
            {1, 4, 2, "M", "1", 0, 1.0, 1.0},    // complement, industry and commerce
            {1, 5, 1, "C", "", 103, 1.0, 1.0},   // IRPF
            {1, 6, 1, "L", "", 0, 1.0, 1.0},     // net pay
            {1, 7, 1, "D", "", 0, 1.0, 1.0},     // what balances the entry
            // The bonus is a twelfth of what was earned in the month.
            {2, 1, 1, "G", "", 0, 1.0, 12.0},
            {2, 2, 1, "D", "", 0, 1.0, 1.0},
        }},
    };
}
