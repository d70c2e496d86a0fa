// The demo company's payroll history and its example user-defined reports.
//
// Eight more employees join the six of the demo company, so that the cost
// centres and the attributes have groups worth a subtotal; every active
// employee gets the monthly liquidations of January to June 2025 (salary or
// daily wages as an earning, the BPS pension contribution of 15% as a legal
// deduction, Ley 16.713), the July liquidation under calculation and a few
// pending movements. The amounts are invented, of the order of the 2025
// wage council minimums for construction (Grupo 9) and for office staff
// (Grupo 19). Daily paid staff earn with the days worked in each month.
//
// Three reports in the folder "Informes de ejemplo":
//  1 "Sueldos por centro de costo": the liquidated earnings, detailed, by
//    cost centre with a subtotal for each;
//  2 "Funcionarios por atributo": the active employees by their fixed
//    attribute "Mensuales/Jornaleros", with the position they hold;
//  3 "Base de aguinaldo por funcionario": summarised by employee, the
//    earnings that generate aguinaldo between the dates asked when the report
//    runs (the first half of the year is 1/12 to 31/5, Ley 12.840) and a
//    twelfth of them as the estimated aguinaldo.
#include "data/database_setup.h"
#include "data/demo_tables.h"
#include "data/report_fields.h"

#include <QDate>
#include <QString>

#include <cmath>

namespace {

struct DemoEmployee {
    int id;
    const char* name;
    const char* surname1;
    const char* surname2;
    const char* firstName;
    int position;     ///< CARGOS
    int category;     ///< CATEGORI
    int placeOfWork;  ///< LUGARTRA
    const char* costCentre;
    bool monthly;     ///< salary (concept 1) or daily wages (concept 2)
    double pay;       ///< the month's earning at full attendance
    int placeOfPayment;
    int schedule;
    const char* entered;  ///< yyyy-MM-dd
};

// Employees 1001 to 1005 exist already in the demo company; only their
// history is added here.
const QList<DemoEmployee> newEmployees = {
    {1007, "Acosta Méndez, Carlos Alberto", "Acosta", "Méndez", "Carlos", 4, 2, 2, "OBRA-CVIEJA", false, 48200, 2, 2,
     "2020-03-02"},
    {1008, "Benítez Ramos, Sofía", "Benítez", "Ramos", "Sofía", 2, 1, 1, "ADM", true, 39800, 3, 1, "2022-08-01"},
    {1009, "Cabrera Núñez, Pablo Martín", "Cabrera", "Núñez", "Pablo", 5, 2, 3, "OBRA-PUNTA", false, 41300, 2, 2,
     "2021-11-15"},
    {1010, "Da Silva Correa, Jorge", "Da Silva", "Correa", "Jorge", 6, 2, 3, "OBRA-PUNTA", false, 36900, 2, 2,
     "2023-05-08"},
    {1011, "Ferreira Giménez, Valeria", "Ferreira", "Giménez", "Valeria", 3, 4, 1, "ADM", true, 72400, 3, 1,
     "2015-02-02"},
    {1012, "Gutiérrez Bentancor, Martín", "Gutiérrez", "Bentancor", "Martín", 8, 2, 4, "TALLER", false, 44100, 1, 2,
     "2019-07-01"},
    {1013, "Hernández Viera, Natalia", "Hernández", "Viera", "Natalia", 2, 1, 1, "ADM", true, 38600, 3, 1,
     "2024-02-05"},
    {1014, "Olivera Cardozo, Sebastián", "Olivera", "Cardozo", "Sebastián", 4, 2, 2, "OBRA-CVIEJA", false, 49050, 2,
     2, "2018-10-22"},
};

/// The active employees of the demo company before this file: number,
/// position, cost centre, monthly or daily paid, earning, place of payment.
struct ExistingEmployee {
    int id;
    int position;
    const char* costCentre;
    bool monthly;
    double pay;
    int placeOfPayment;
};

const QList<ExistingEmployee> existingEmployees = {
    {1001, 3, "ADM", true, 65800, 3},          {1002, 4, "OBRA-CVIEJA", false, 50120, 2},
    {1003, 2, "ADM", true, 41200, 3},          {1004, 7, "OBRA-PUNTA", false, 58400, 2},
    {1005, 9, "TALLER", false, 37500, 1},
};

/// Days worked against a full month, January to June and the July under
/// calculation: the building trades' summer leave shortens January.
constexpr double attendance[7] = {0.80, 1.0, 0.96, 0.92, 1.0, 1.0, 1.0};

/// Liquidation numbers of January to June (1 exists already) and their dates.
const QList<std::pair<int, QDate>> liquidations = {
    {1, QDate(2025, 1, 31)}, {3, QDate(2025, 2, 28)}, {4, QDate(2025, 3, 31)},
    {5, QDate(2025, 4, 30)}, {6, QDate(2025, 5, 31)}, {7, QDate(2025, 6, 30)},
};

double money(double value)
{
    return std::round(value * 100) / 100;
}

double earned(bool monthly, double pay, int month)
{
    return money(monthly ? pay : pay * attendance[month]);
}

QList<DemoTable> reportTables()
{
    DemoTable employees{"FUNCIONA", {"FunId", "FunApeNom", "FunApe1", "FunApe2", "FunNom1", "FunActEgr", "FunHorId",
                                     "FunCobId", "FunLocId", "FunApCId", "FunPConId"}, {}};
    DemoTable positions{"CARGOSFU", {"FunId", "FunAL", "FunCarId", "FunCatId", "FunTraId", "DiLId", "AumId",
                                     "CalFerId", "FunFecIngr", "FunFecBaja", "PTCarId", "PTConId"}, {}};
    DemoTable costCentres{"CARGOSCC", {"FunId", "FunAL", "FunCCId", "FunCCPorc"}, {}};
    DemoTable attributes{"FUNATRVA", {"FunId", "FunAL", "FunAId", "FunAValor", "FunAValN", "FunAValF"}, {}};
    for (const DemoEmployee& employee : newEmployees) {
        employees.rows.append({employee.id, employee.name, employee.surname1, employee.surname2, employee.firstName,
                               "A", employee.schedule, employee.placeOfPayment, 1, 0, 0});
        positions.rows.append({employee.id, 1, employee.position, employee.category, employee.placeOfWork,
                               employee.monthly ? 1 : 2, employee.monthly ? 2 : 1, employee.monthly ? "NA" : "CO",
                               QDate::fromString(QString::fromLatin1(employee.entered), Qt::ISODate), QVariant(), 0,
                               0});
        costCentres.rows.append({employee.id, 1, employee.costCentre, 100});
        attributes.rows.append({employee.id, 0, 1, employee.monthly ? "M" : "J", 0, QVariant()});
        attributes.rows.append({employee.id, 0, 2, employee.monthly ? "A" : "O", 0, QVariant()});
    }

    struct Paid {
        int id;
        int position;
        const char* costCentre;
        bool monthly;
        double pay;
        int placeOfPayment;
    };
    QList<Paid> paid;
    for (const ExistingEmployee& employee : existingEmployees)
        paid.append({employee.id, employee.position, employee.costCentre, employee.monthly, employee.pay,
                     employee.placeOfPayment});
    for (const DemoEmployee& employee : newEmployees)
        paid.append({employee.id, employee.position, employee.costCentre, employee.monthly, employee.pay,
                     employee.placeOfPayment});

    DemoTable history{"HISTORIA", {"FunId", "HCorLiq", "HCorLin", "HConId", "HMovImp", "HMovTipo", "HPLFch",
                                   "MovCarId", "MovCCId", "MovRefAuxi", "HCobId", "HTLId"}, {}};
    for (qsizetype month = 0; month < liquidations.size(); ++month) {
        const auto& [number, date] = liquidations.at(month);
        for (const Paid& employee : paid) {
            // January of 1001 and 1002 is in the demo company already.
            if (number == 1 && (employee.id == 1001 || employee.id == 1002))
                continue;
            const double earning = earned(employee.monthly, employee.pay, int(month));
            history.rows.append({employee.id, number, 1, employee.monthly ? 1 : 2, earning, "H", date,
                                 employee.position, employee.costCentre, "", employee.placeOfPayment, "1"});
            history.rows.append({employee.id, number, 2, 101, money(earning * 0.15), "D", date, employee.position,
                                 employee.costCentre, "", employee.placeOfPayment, "1"});
        }
    }
    DemoTable runs{"HISLIQ", {"HLCorLiq", "HLTLId"}, {}};
    for (const auto& [number, date] : liquidations) {
        if (number != 1)
            runs.rows.append({number, "1"});
    }
    // July, liquidation 8, under calculation.
    DemoTable calculation{"LIQUIDAC", {"FunId", "LCorLiq", "LConId", "LImporte"}, {}};
    for (const Paid& employee : paid) {
        const double earning = earned(employee.monthly, employee.pay, 6);
        calculation.rows.append({employee.id, 8, employee.monthly ? 1 : 2, earning});
        calculation.rows.append({employee.id, 8, 101, money(earning * 0.15)});
    }
    // Overtime and night hours entered for July.
    DemoTable movements{"MOVIMIEN", {"MovId", "FunId", "ConId", "MovImp", "MovCarId", "MovCCId", "MovRefAuxi",
                                     "MovTLId"}, {
        {6, 1007, 5, 3120, 4, "OBRA-CVIEJA", "", "1"},
        {7, 1009, 5, 2480, 5, "OBRA-PUNTA", "", "1"},
        {8, 1012, 6, 1870, 8, "TALLER", "", "1"},
        {9, 1014, 5, 3390, 4, "OBRA-CVIEJA", "", "1"},
    }};

    using namespace ReportSubject;
    const QVariant never;
    return {
        employees, positions, costCentres, attributes, history, runs, calculation, movements,
        {"INFORME5", {"InfCarId", "InfCarDes"}, {{1, "Informes de ejemplo"}}},
        {"INFORME", {"InfId", "InfDes", "InfDetRes", "InfCarId", "InfCategor", "InfUltEjec"}, {
            {1, "Sueldos por centro de costo", "D", 1, 0, never},
            {2, "Funcionarios por atributo", "D", 1, 0, never},
            {3, "Base de aguinaldo por funcionario", "R", 1, 0, never},
        }},
        // Columns: catalogue fields (see report_fields.cpp).
        {"INFORME1", {"InfId", "InfCorCamp", "CamId", "InfAncho", "InfCorte"}, {
            {1, 1, 1302, 0, 0}, {1, 2, 1001, 0, 0}, {1, 3, 1002, 30, 0}, {1, 4, 1401, 20, 0}, {1, 5, 1306, 0, 0},
            {2, 1, 1001, 0, 0}, {2, 2, 1002, 32, 0}, {2, 3, 1103, 0, 0}, {2, 4, 802, 0, 0}, {2, 5, 1107, 0, 0},
            {3, 1, 1001, 0, 0}, {3, 2, 1306, 0, 0},
        }},
        {"INFORME2", {"InfId", "InfCorClas", "CamId", "InfSubtot"}, {
            {1, 1, 1309, "S"},
            {2, 1, 801, "S"},
            {3, 1, 1002, "N"},
        }},
        // Only earnings; the employees still active; earnings that generate
        // aguinaldo, between the dates asked at the run.
        {"INFORME3", {"InfId", "InfCorFilt", "CamId", "InfFijoEmi", "InfCondici", "InfNot", "ConId"}, {
            {1, 1, 1307, "F", "H", "N", 0},
            {2, 1, 1006, "F", "A", "N", 0},
            {3, 1, 1307, "F", "H", "N", 0},
            {3, 2, 1403, "F", "G", "N", 0},
            {3, 3, 1302, "E", "1/12/24:31/5/25", "N", 0},
        }},
        {"INFORME4", {"InfId", "InfCalId", "CamId", "InfCalTitu", "InfConteni", "InfCalForm", "InfCalF1", "InfCalF2",
                      "InfCalF3", "InfCalAuxi"}, {
            {3, 1, 0, "Aguinaldo estimado", "Cálculo entre columnas", "REDONDEAR([Importe liquidado] / 12, 2)", "",
             "", "", ""},
        }},
    };
}

}  // namespace

bool loadDemoReports(Database& database, QString* error)
{
    for (const DemoTable& demo : reportTables()) {
        for (const QVariantList& row : demo.rows) {
            RowValues values;
            for (qsizetype column = 0; column < row.size(); ++column)
                values.append({demo.fields.at(column), row.at(column)});
            if (!insertRow(database, QString::fromLatin1(demo.table), values, error))
                return false;
        }
    }
    // The demo's own attributes join the catalogue too.
    return writeReportFields(database, error);
}
