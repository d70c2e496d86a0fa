// The demo company's liquidation types, accumulators and contribution groups.
#include "data/demo_tables.h"

#include <QDate>

QList<DemoTable> demoLiquidationTypes()
{
    return {
        // The run types of a Uruguayan company: the monthly salary run (law
        // 17.829 caps deductions at 70% of the month's net), a fortnight for
        // day workers, an advance half-way through the month deducted in the
        // monthly run, the year-end bonus (aguinaldo, law 12.840) paid in two
        // parts, June for December to May and December for June to November,
        // and the holiday pay (salario vacacional, law 16.101) paid before leave.
        {"TIPLIQUI", {"TLId", "TLDesc", "TLAguinald", "TLAdelanto", "TLConIdAgu", "TLConIdDes",
                      "TLIdDescue", "TLRepetir", "TLModoRep", "TLDtoSinHa", "TLIncTodas", "TLL17829",
                      "TLMovBenef"}, {
            {"1", "Liquidación mensual", "", "", 0, 0, "", "", "", "N", "S", "M", "N"},
            {"2", "Quincena de jornaleros", "", "", 0, 0, "", "", "", "N", "S", "S", "N"},
            {"A", "Aguinaldo diciembre", "S", "", 20, 0, "", "", "", "N", "N", "N", "N"},
            {"J", "Aguinaldo junio", "S", "", 20, 0, "", "", "", "N", "N", "N", "N"},
            {"Q", "Adelanto quincenal", "", "S", 0, 160, "1", "", "", "N", "N", "N", "N"},
            {"V", "Salario vacacional", "", "", 0, 0, "", "", "", "N", "N", "N", "N"},
        }},
        // The totals the demo concepts feed: what the year-end bonus is
        // worked out from (a twelfth of the earnings of its half-year), the
        // year's taxed earnings that IRPF settles over the calendar year, the
        // run's earnings taxed by BPS and FONASA (contributions 101, 102) and
        // by IRPF (103), and the month's overtime hours.
        {"ACUMHL", {"AcuTipo", "AcuId", "AcuDesc", "AcuConteni", "AcuPeriodo", "AcuDesde", "AcuHasta",
                    "AcuExLiqAc", "AcuTLId", "AcuExAdela"}, {
            {"H", 1, "Haberes para aguinaldo", "I", "A", 12, 11, "N", "", "S"},
            {"H", 2, "Haberes gravados del año", "I", "C", 1, 12, "N", "", "S"},
            {"L", 1, "Haberes gravados BPS", "I", "", 0, 0, "N", "", "N"},
            {"L", 2, "Haberes gravados IRPF", "I", "", 0, 0, "N", "", "N"},
            {"M", 1, "Horas extra del mes", "C", "", 0, 0, "N", "", "N"},
        }},
        {"CONCEPT3", {"ConId", "AcuTipo", "AcuId", "ConAcuOpe", "ConAcuMult"}, {
            {1, "H", 1, "S", 1}, {2, "H", 1, "S", 1}, {5, "H", 1, "S", 1},
            {1, "H", 2, "G", 1}, {2, "H", 2, "G", 1}, {5, "H", 2, "G", 1}, {20, "H", 2, "G", 1},
            {1, "L", 1, "G", 1}, {2, "L", 1, "G", 1}, {5, "L", 1, "G", 1}, {20, "L", 1, "G", 1},
            {1, "L", 2, "G", 1}, {2, "L", 2, "G", 1}, {5, "L", 2, "G", 1}, {20, "L", 2, "G", 1},
            {5, "M", 1, "S", 1},
        }},
        // BPS and FONASA tax the whole of every earning; the FONASA rate
        // depends on the dependants declared (law 18.211).
        {"APOCON", {"ApCId", "ApCDes"}, {
            {1, "Con hijos menores a cargo"},
            {2, "Con cónyuge a cargo"},
        }},
        {"APORTE", {"AporId", "AporDesc"}, {
            {1, "Aportes BPS"},
            {2, "FONASA"},
        }},
        {"APORTE1", {"AporId", "AporConId", "AporPorGra", "AporApCId"}, {
            {1, 1, 100, 0}, {1, 2, 100, 0}, {1, 5, 100, 0}, {1, 20, 100, 0},
            {2, 1, 100, 0}, {2, 2, 100, 0}, {2, 5, 100, 0}, {2, 20, 100, 0},
        }},
    };
}
