// The demo company's basic values: the national figures and the construction wage scale.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoBasicValues()
{
    return {
        {"BASICOS", {"BasId", "BasDesc"}, {
            {1, "Salario mínimo nacional"},
            {2, "Base de prestaciones y contribuciones"},
            {3, "Laudo de la construcción"},
        }},
        {"BASICOS1", {"BasId", "CarId", "CCId", "RefAuxId", "BasVigenci", "BasImp", "BasImpAnt",
                      "BasClasif"}, {
            {1, 0, "", "", QDate(2025, 1, 1), 23604.0, 22268.0, ""},
            {2, 0, "", "", QDate(2025, 1, 1), 6576.0, 6177.0, ""},
            {3, 4, "", "", QDate(2025, 5, 1), 452.30, 431.70, "Jornal"},
            {3, 5, "", "", QDate(2025, 5, 1), 386.10, 368.50, "Jornal"},
            {3, 6, "OBRA-PUNTA", "", QDate(2025, 5, 1), 341.90, 326.30, "Jornal"},
            {3, 7, "", "SUNCA", QDate(2025, 5, 1), 598.40, 571.10, "Jornal"},
        }},
    };
}
