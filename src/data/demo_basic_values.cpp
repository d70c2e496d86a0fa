// The demo company's basic values: the national figures of 2026, the ceilings
// the demo concepts use and a construction wage scale by position.
//
// Sources of the figures:
// - 1 Salario mínimo nacional: $ 24.572 from 1 January 2026 (was $ 23.604),
//   decree of the Executive Power of late December 2025, as reported by
//   Subrayado (31/12/2025) and la diaria (30/12/2025). The same decree raises
//   it to $ 25.383 from 1 July 2026; that value is loaded when it applies.
// - 2 Base de prestaciones y contribuciones (BPC): $ 6.864 from 1 January 2026
//   (was $ 6.576), Ministry of Economy and Finance, as reported by Caras y
//   Caretas (21/01/2026) and the GDA note on the IRPF brackets.
// - 4 Mínimo no imponible del IRPF: 7 BPC, $ 48.048 in 2026 (was $ 46.032),
//   the same GDA note; 7 x 6.864 checks it.
// - 5 Tope de aportación del primer nivel (régimen mixto): NOT CONFIRMED from a
//   published 2026 table. The amount is an estimate for the demo only; check
//   the value the social security bank publishes before relying on it.
// - 3 Laudo de la construcción: illustrative day wages by position for the
//   demo, not the wage council's published scale.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoBasicValues()
{
    return {
        {"BASICOS", {"BasId", "BasDesc"}, {
            {1, "Salario mínimo nacional"},
            {2, "Base de prestaciones y contribuciones"},
            {3, "Laudo de la construcción"},
            {4, "Mínimo no imponible IRPF (7 BPC)"},
            {5, "Tope de aportación primer nivel"},
        }},
        {"BASICOS1", {"BasId", "CarId", "CCId", "RefAuxId", "BasVigenci", "BasImp", "BasImpAnt",
                      "BasClasif"}, {
            {1, 0, "", "", QDate(2026, 1, 1), 24572.0, 23604.0, "Mensual"},
            {2, 0, "", "", QDate(2026, 1, 1), 6864.0, 6576.0, ""},
            {3, 4, "", "", QDate(2025, 5, 1), 452.30, 431.70, "Jornal"},
            {3, 5, "", "", QDate(2025, 5, 1), 386.10, 368.50, "Jornal"},
            {3, 6, "OBRA-PUNTA", "", QDate(2025, 5, 1), 341.90, 326.30, "Jornal"},
            {3, 7, "", "SUNCA", QDate(2025, 5, 1), 598.40, 571.10, "Jornal"},
            {4, 0, "", "", QDate(2026, 1, 1), 48048.0, 46032.0, "Tope"},
            {5, 0, "", "", QDate(2026, 1, 1), 92000.0, 0.0, "Tope estimado"},
        }},
    };
}
