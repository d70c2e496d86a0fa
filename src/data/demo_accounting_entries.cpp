// The demo company's accounting entries: the salary journal and the year-end bonus provision.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoAccountingEntries()
{
    return {
        {"ASIENTO", {"AsiId", "AsiDesc", "AsiProvisi"}, {
            {1, "Sueldos del mes", "N"},
            {2, "Provisión de aguinaldo", "S"},
        }},
        {"ASIENTO1", {"AsiId", "AsiLin", "AsiDH", "RubId", "CCId", "AsiDetalle", "AsiApCC",
                      "AsiValor", "AsiUltCorL"}, {
            {1, 1, "D", 52110, "ADM", "Sueldos administración", "N", "I", 1},
            {1, 2, "D", 52110, "OBRA-CVIEJA", "Jornales obra Ciudad Vieja", "N", "I", 1},
            {1, 3, "H", 21110, "", "Sueldos a pagar", "N", "L", 0},
            {1, 4, "H", 21310, "", "Aportes BPS", "N", "I", 1},
            {2, 1, "D", 52120, "ADM", "Aguinaldo devengado", "S", "I", 1},
            {2, 2, "H", 21110, "", "Aguinaldo a pagar", "N", "I", 0},
        }},
        {"ASIENT4", {"AsiId", "AsiLin", "AsiCorLin", "AsiCalculo", "ConId", "AsiMult", "AsiDiv"}, {
            {1, 1, 1, "C", 1, 1.0, 1.0},
            {1, 2, 1, "C", 2, 1.0, 1.0},
            {1, 4, 1, "C", 101, 1.0, 1.0},
            {2, 1, 1, "C", 1, 1.0, 12.0},
        }},
    };
}
