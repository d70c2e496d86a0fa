// The demo company's payroll concepts.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoConcepts()
{
    return {
        {"CONCEPT", {"ConId", "ConDesc", "ConTipo", "ConActivo", "ConClase", "ConCant",
                     "ConLiquido", "ConMonExtr", "ConPriorid"}, {
            {1, "Sueldo mensual", 1, 1, "S", "N", "N", "N", 10},
            {2, "Jornales", 1, 1, "J", "C", "N", "N", 10},
            {5, "Horas extra", 1, 1, "H", "C", "N", "N", 20},
            {20, "Aguinaldo", 1, 1, "A", "N", "N", "N", 30},
            {101, "Aporte jubilatorio BPS", 2, 1, "M", "P", "N", "N", 100},
            {102, "FONASA", 2, 1, "N", "P", "N", "N", 100},
            {103, "IRPF", 2, 1, "I", "N", "N", "N", 110},
            {150, "Cuota sindical", 3, 1, "", "N", "N", "N", 120},
        }},
    };
}
