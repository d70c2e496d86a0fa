// The demo company's liquidation types, accumulators and contribution groups.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoLiquidationTypes()
{
    return {
        {"TIPLIQUI", {"TLId", "TLDesc", "TLAguinald", "TLAdelanto", "TLConIdAgu",
                      "TLDtoSinHa", "TLIncTodas", "TLL17829", "TLMovBenef"}, {
            {"1", "Liquidación mensual", "", "", 0, "N", "S", "M", "N"},
            {"2", "Quincena de jornaleros", "", "", 0, "N", "S", "S", "N"},
            {"A", "Aguinaldo", "S", "", 20, "N", "N", "N", "N"},
        }},
    };
}
