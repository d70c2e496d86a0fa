// The demo company's employee attribute definitions, the employees' values
// and the concepts' application conditions that use them. Attributes 1
// ("Mensuales/Jornaleros") and 2 ("Admnistrativo/Obrero") are the fixed ones
// every company gets; 3 to 7 are the demo's own.
#include "data/demo_tables.h"

#include <QDate>
#include <QString>

QList<DemoTable> demoAttributes()
{
    const QString yes = QStringLiteral("S");
    const QString no = QStringLiteral("N");
    return {
        {"FUNATRIB", {"FunAId", "FunADescri", "FunATabla", "FunATipo", "FunALongit", "FunADecima", "FunAMayusc",
                      "FunAObliga", "FunAValida", "FunAValIni", "FunAClasif", "FunAAyuda"}, {
            // Union membership decides who pays the union dues (concept 150);
            // the dues are withheld only with the worker's consent, so the
            // flag is kept per employee.
            {3, "Afiliado al sindicato", "F", "CH", 1, 0, yes, yes, "S,N", no, "Gremial", "S=Si N=No"},
            // The shift belongs to the position: one employee may hold a
            // morning and an evening position.
            {4, "Turno", "C", "AN", 1, 0, yes, no, "M,T,N", "M", "Horario", "M=Mañana, T=Tarde, N=Noche"},
            {5, "Recibe tickets de alimentación", "F", "CH", 1, 0, yes, yes, "S,N", no, "Beneficios", "S=Si N=No"},
            // The day the current medical certificate of fitness ("carné de
            // salud") expires: it is renewed every two years.
            {6, "Vencimiento del carné de salud", "F", "FE", 0, 0, no, no, "", "", "Salud",
             "Fecha de vencimiento del carné de salud vigente"},
            // Weekly hours of the contract: at most 48, eight hours a day on
            // six days (Ley 5.350).
            {7, "Horas semanales", "F", "NU", 2, 0, no, no, "1:48", "44", "Horario", "Horas semanales del contrato"},
        }},
        // Employees 1001 to 1006 (see employees() of the demo company). 1006
        // left the company and keeps the values it had.
        {"FUNATRVA", {"FunId", "FunAL", "FunAId", "FunAValor", "FunAValN", "FunAValF"}, {
            // 1001, 1002 and 1004 have their fixed attributes with the
            // employees themselves.
            {1003, 0, 1, "M", 0, QVariant()}, {1003, 0, 2, "A", 0, QVariant()},
            {1005, 0, 1, "J", 0, QVariant()}, {1005, 0, 2, "O", 0, QVariant()},
            {1006, 0, 1, "J", 0, QVariant()}, {1006, 0, 2, "O", 0, QVariant()},
            {1001, 0, 3, "N", 0, QVariant()}, {1002, 0, 3, "S", 0, QVariant()},
            {1003, 0, 3, "N", 0, QVariant()}, {1004, 0, 3, "S", 0, QVariant()},
            {1005, 0, 3, "S", 0, QVariant()},
            {1001, 1, 4, "M", 0, QVariant()}, {1002, 1, 4, "M", 0, QVariant()},
            {1003, 1, 4, "T", 0, QVariant()}, {1004, 1, 4, "M", 0, QVariant()},
            {1005, 1, 4, "N", 0, QVariant()},
            {1002, 0, 5, "S", 0, QVariant()}, {1004, 0, 5, "S", 0, QVariant()},
            {1005, 0, 5, "S", 0, QVariant()}, {1001, 0, 5, "N", 0, QVariant()},
            {1003, 0, 5, "N", 0, QVariant()},
            {1002, 0, 6, "10/06/26", 0, QDate(2026, 6, 10)}, {1004, 0, 6, "22/09/25", 0, QDate(2025, 9, 22)},
            {1005, 0, 6, "09/01/27", 0, QDate(2027, 1, 9)},
            {1001, 0, 7, "44", 44, QVariant()}, {1002, 0, 7, "48", 48, QVariant()},
            {1003, 0, 7, "30", 30, QVariant()}, {1004, 0, 7, "48", 48, QVariant()},
            {1005, 0, 7, "48", 48, QVariant()},
        }},
        // To whom the demo concepts apply (invented for the demo, following
        // how Uruguayan payrolls split monthly and daily paid staff).
        {"CONCEPT5", {"ConId", "ConAplId", "ConAplValo"}, {
            {1, 1, "M"},                  // Sueldo mensual: monthly paid
            {2, 1, "J"},                  // Jornales: daily paid
            {5, 2, "O"},                  // Horas extra: manual workers
            {5, 7, "1:48"},               //   with a contract of hours
            {20, 1, "M,J"},               // Aguinaldo: everyone
            {101, 1, "M,J"},              // Aporte jubilatorio BPS: everyone
            {102, 1, "M,J"},              // FONASA: everyone
            {103, 1, "M,J"},              // IRPF: everyone
            {150, 3, "S"},                // Cuota sindical: union members
        }},
    };
}
