#include "data/demo_company.h"

#include "data/database_setup.h"
#include "data/demo_tables.h"
#include "data/report_fields.h"
#include "data/schema_sql.h"
#include "support/pencript.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

namespace {

/// Every profile may use every place of work; kept scrambled, as the
/// profiles' data is.
const QString allProfiles = pencriptScramble(QString(50, 'S')).value_or(QString(50, 'S'));

QList<DemoTable> organisationTables()
{
    return {
        {"CATEGORI", {"CatId", "CatDesc"}, {
            {1, "Administrativos"},
            {2, "Obreros de la construcción"},
            {3, "Capataces"},
            {4, "Técnicos"},
            {5, "Dirección"},
        }},
        {"CARGOS", {"CarId", "CarDesc1", "CarDesc2"}, {
            {1, "Gerente general", ""},
            {2, "Auxiliar administrativo", "Oficina central"},
            {3, "Contador", ""},
            {4, "Oficial albañil", "Categoría VI"},
            {5, "Medio oficial", "Categoría IV"},
            {6, "Peón práctico", "Categoría II"},
            {7, "Capataz de obra", ""},
            {8, "Chofer", "Camión y retroexcavadora"},
            {9, "Sereno", ""},
        }},
        {"CENTROCO", {"CCId", "CCDesc", "CCIdExt"}, {
            {"ADM", "Administración", "6100"},
            {"OBRA-CVIEJA", "Obra Ciudad Vieja", "6210"},
            {"OBRA-PUNTA", "Obra Punta del Este", "6220"},
            {"TALLER", "Taller y depósito", "6300"},
        }},
        {"HORARIOS", {"HorId", "HorDesc"}, {
            {1, "Lunes a viernes de 9 a 18"},
            {2, "Lunes a viernes de 7 a 16"},
            {3, "Nocturno de 22 a 6"},
        }},
        {"LUGARTRA", {"TraId", "TraDesc", "TraPerfile"}, {
            {1, "Oficina central, Montevideo", allProfiles},
            {2, "Obra Ciudad Vieja", allProfiles},
            {3, "Obra Punta del Este", allProfiles},
            {4, "Depósito Las Piedras", allProfiles},
        }},
        {"LUGARCOB", {"CobId", "CobDesc", "LugEnsob"}, {
            {1, "Oficina central", "OFC"},
            {2, "Obra Ciudad Vieja", "OCV"},
            {3, "Transferencia bancaria", "TRB"},
        }},
        {"LOCALES", {"LocId", "LocDesc", "LocNroKm", "LocTelefon", "LocFax", "LocPlaTrab",
                     "LocDeparta", "LocLocalid", "GruCod", "SubgruCod", "LocCPostal",
                     "LocFchInic", "LocObserva"}, {
            {1, "Av. 18 de Julio", "1234", "2901 4455", "2901 4456", "123456", "Montevideo",
             "Montevideo", "09", "01", "11100", QDate(1998, 3, 2), "Oficina central"},
            {2, "Ruta 8", "km 28", "2292 1188", "", "123457", "Canelones", "Pando", "09", "01",
             "91000", QDate(2010, 8, 16), "Depósito y taller"},
            {3, "Calle 20 esquina 27", "", "4244 7788", "", "", "Maldonado", "Punta del Este",
             "09", "01", "20100", QDate(2023, 11, 1), "Obrador"},
        }},
        {"OBRAS", {"ObrId", "ObrNro", "ObrEstado", "ObrDireccO", "ObrDeparta", "ObrTipoCon",
                   "ObrForma", "ObrNroEmpr", "ObrNroCont", "ObrDigCont", "ObrTipoApo",
                   "ObrRazonSo", "ObrDireccT", "ObrTelTit", "ObrPorAUC", "ObrPorCCM"}, {
            {"OBRA-CVIEJA", 145220, "1", "Sarandí 580", "Montevideo", "1", "1", "2100345",
             "21003450017", "7", "1", "Inmobiliaria Sarandí S.R.L.", "Rincón 477",
             "2915 3030", 100.0, 100.0},
            {"OBRA-PUNTA", 151873, "1", "Calle 20 esquina 27", "Maldonado", "1", "2", "2100888",
             "21008880011", "3", "1", "Fideicomiso Torre Gorlero", "Gorlero 1001",
             "4244 1200", 100.0, 100.0},
        }},
        {"BANCOSTR", {"BanIdTR", "BanDscTR", "BanBIC"}, {
            {1, "Banco de la República Oriental del Uruguay", "BROUUYMM"},
            {2, "Banco Itaú Uruguay", "ITAUUYMM"},
            {3, "Banco Santander", "BSCHUYMM"},
            {4, "BBVA Uruguay", "BBVAUYMM"},
            {5, "Scotiabank Uruguay", "COMEUYMM"},
            {6, "HSBC Bank Uruguay", "BLICUYMM"},
        }},
        {"BILLETES", {"BilValor"}, {
            {2000}, {1000}, {500}, {200}, {100}, {50}, {20},
        }},
        {"FICCOD", {"FicCod", "FicDesc", "FicAutoges", "FicReConf", "FicPerCons"}, {
            {"AMON", "Amonestación", 0, 1, 0},
            {"SUSP", "Suspensión", 0, 1, 0},
            {"FELIC", "Felicitación", 1, 0, 12},
            {"CERTM", "Certificación médica", 1, 0, 6},
            {"CAPAC", "Curso de capacitación", 1, 0, 24},
        }},
        {"RUBROS", {"RubId", "RubDesc", "RubMon", "RubIdExt"}, {
            {52110, "Sueldos y jornales", 1, "5.2.1.1"},
            {52120, "Aguinaldo", 1, "5.2.1.2"},
            {52130, "Salario vacacional", 1, "5.2.1.3"},
            {21110, "Sueldos a pagar", 1, "2.1.1.1"},
            {21310, "BPS a pagar", 1, "2.1.3.1"},
            {21320, "FONASA a pagar", 1, "2.1.3.2"},
            {21330, "IRPF a pagar", 1, "2.1.3.3"},
        }},
        {"REFAUXIL", {"RefAuxId", "RefAuxDesc", "RefAuxInac"}, {
            {"SUNCA", "Cuota sindical SUNCA", 0},
            {"ANDA", "Préstamo ANDA", 0},
            {"EMBARGO-01", "Retención judicial 2-1234/2024", 0},
            {"FONDO-SOC", "Fondo social construcción", 1},
        }},
        {"DIASLICE", {"DiLId", "DilDesc"}, {
            {1, "Régimen general"},
            {2, "Industria de la construcción"},
        }},
        // Twenty days a year, and one more for every four years after the fifth.
        {"DIASLIC1", {"DiLId", "DiLAnios", "DiLDias"}, {
            {1, 0, 20}, {1, 5, 21}, {1, 9, 22}, {1, 13, 23}, {1, 17, 24},
            {2, 0, 20}, {2, 5, 21}, {2, 9, 22},
        }},
        {"AUMENTO", {"AumId", "AumDesc"}, {
            {1, "Consejo salarios construcción"},
            {2, "Personal administrativo"},
        }},
        {"AUMENTO1", {"AumId", "AumFch", "AumPor", "AumObs"}, {
            {1, QDate(2024, 5, 1), 5.5, "Convenio grupo 9"},
            {1, QDate(2024, 11, 1), 3.2, "Ajuste semestral"},
            {1, QDate(2025, 5, 1), 4.8, "Convenio grupo 9"},
            {2, QDate(2024, 7, 1), 6.0, "Ajuste anual"},
        }},
        {"CALFER", {"CalFerId", "CalFerDsc"}, {
            {"NA", "Feriados nacionales"},
            {"CO", "Construcción"},
        }},
        {"CALFER1", {"CalFerId", "CalFerFch", "CalFchDesc"}, {
            // The national calendar of 2025 and 2026, movable holidays included.
            {"NA", QDate(2025, 1, 1), "Año Nuevo"},
            {"NA", QDate(2025, 1, 6), "Día de Reyes"},
            {"NA", QDate(2025, 3, 3), "Carnaval"},
            {"NA", QDate(2025, 3, 4), "Carnaval"},
            {"NA", QDate(2025, 4, 14), "Semana de Turismo"},
            {"NA", QDate(2025, 4, 15), "Semana de Turismo"},
            {"NA", QDate(2025, 4, 16), "Semana de Turismo"},
            {"NA", QDate(2025, 4, 17), "Semana de Turismo"},
            {"NA", QDate(2025, 4, 18), "Semana de Turismo"},
            {"NA", QDate(2025, 4, 19), "Desembarco de los 33"},
            {"NA", QDate(2025, 5, 1), "Día de los Trabajadores"},
            {"NA", QDate(2025, 5, 18), "Batalla de Las Piedras"},
            {"NA", QDate(2025, 6, 19), "Natalicio de Artigas"},
            {"NA", QDate(2025, 7, 18), "Jura de la Constitución"},
            {"NA", QDate(2025, 8, 25), "Declaratoria de Independencia"},
            {"NA", QDate(2025, 10, 12), "Día de la Diversidad Cultural"},
            {"NA", QDate(2025, 11, 2), "Día de los Difuntos"},
            {"NA", QDate(2025, 12, 25), "Navidad"},
            {"NA", QDate(2026, 1, 1), "Año Nuevo"},
            {"NA", QDate(2026, 1, 6), "Día de Reyes"},
            {"NA", QDate(2026, 2, 16), "Carnaval"},
            {"NA", QDate(2026, 2, 17), "Carnaval"},
            {"NA", QDate(2026, 3, 30), "Semana de Turismo"},
            {"NA", QDate(2026, 3, 31), "Semana de Turismo"},
            {"NA", QDate(2026, 4, 1), "Semana de Turismo"},
            {"NA", QDate(2026, 4, 2), "Semana de Turismo"},
            {"NA", QDate(2026, 4, 3), "Semana de Turismo"},
            {"NA", QDate(2026, 4, 19), "Desembarco de los 33"},
            {"NA", QDate(2026, 5, 1), "Día de los Trabajadores"},
            {"NA", QDate(2026, 5, 18), "Batalla de Las Piedras"},
            {"NA", QDate(2026, 6, 19), "Natalicio de Artigas"},
            {"NA", QDate(2026, 7, 18), "Jura de la Constitución"},
            {"NA", QDate(2026, 8, 25), "Declaratoria de Independencia"},
            {"NA", QDate(2026, 10, 12), "Día de la Diversidad Cultural"},
            {"NA", QDate(2026, 11, 2), "Día de los Difuntos"},
            {"NA", QDate(2026, 12, 25), "Navidad"},
            {"CO", QDate(2025, 1, 1), "Año Nuevo"},
            {"CO", QDate(2025, 5, 1), "Día de los Trabajadores"},
            {"CO", QDate(2025, 7, 18), "Jura de la Constitución"},
            {"CO", QDate(2025, 8, 25), "Declaratoria de Independencia"},
            {"CO", QDate(2025, 12, 25), "Navidad"},
            {"CO", QDate(2025, 4, 28), "Día de la construcción"},
        }},
    };
}

QList<DemoTable> employees()
{
    return {
        {"FUNCIONA", {"FunId", "FunApeNom", "FunApe1", "FunApe2", "FunNom1", "FunActEgr",
                      "FunHorId", "FunCobId", "FunLocId", "FunApCId", "FunPConId"}, {
            {1001, "Rodríguez Pereira, María José", "Rodríguez", "Pereira", "María", "A", 1, 3, 1, 0, 0},
            {1002, "González Silva, Juan Carlos", "González", "Silva", "Juan", "A", 2, 2, 1, 0, 0},
            {1003, "Fernández Castro, Ana Laura", "Fernández", "Castro", "Ana", "A", 1, 3, 1, 0, 0},
            {1004, "Martínez López, Diego", "Martínez", "López", "Diego", "A", 2, 2, 3, 0, 0},
            {1005, "Pérez Suárez, Lucía", "Pérez", "Suárez", "Lucía", "A", 3, 1, 2, 0, 0},
            {1006, "Sosa Olivera, Néstor", "Sosa", "Olivera", "Néstor", "E", 2, 2, 1, 0, 0},
        }},
        {"CARGOSFU", {"FunId", "FunAL", "FunCarId", "FunCatId", "FunTraId", "DiLId", "AumId",
                      "CalFerId", "FunFecIngr", "FunFecBaja", "PTCarId", "PTConId"}, {
            {1001, 1, 3, 1, 1, 1, 2, "NA", QDate(2012, 3, 1), QVariant(), 0, 0},
            {1002, 1, 4, 2, 2, 2, 1, "CO", QDate(2019, 6, 10), QVariant(), 0, 0},
            {1003, 1, 2, 1, 1, 1, 2, "NA", QDate(2021, 2, 15), QVariant(), 0, 0},
            {1004, 1, 7, 3, 3, 2, 1, "CO", QDate(2016, 9, 5), QVariant(), 0, 0},
            {1005, 1, 9, 2, 4, 2, 1, "CO", QDate(2023, 1, 9), QVariant(), 0, 0},
            {1006, 1, 6, 2, 2, 2, 1, "CO", QDate(2018, 4, 2), QDate(2024, 12, 20), 0, 0},
        }},
        {"CARGOSCC", {"FunId", "FunAL", "FunCCId", "FunCCPorc"}, {
            {1001, 1, "ADM", 100},
            {1002, 1, "OBRA-CVIEJA", 100},
            {1003, 1, "ADM", 100},
            {1004, 1, "OBRA-PUNTA", 70},
            {1004, 1, "OBRA-CVIEJA", 30},
            {1005, 1, "TALLER", 100},
        }},
        {"REMUNERA", {"FunId", "FunAL", "RemCorre", "RemCarId", "RemLocId"}, {
            {1001, 1, 1, 3, 1},
            {1002, 1, 1, 4, 1},
            {1004, 1, 1, 7, 3},
        }},
        {"MOVIMIEN", {"MovId", "FunId", "ConId", "MovImp", "MovCarId", "MovCCId", "MovRefAuxi",
                      "MovTLId"}, {
            {1, 1001, 1, 68500, 3, "ADM", "", "1"},
            {2, 1002, 2, 52340, 4, "OBRA-CVIEJA", "", "1"},
            {3, 1002, 150, 620, 4, "OBRA-CVIEJA", "SUNCA", "1"},
            {4, 1004, 5, 8120, 7, "OBRA-PUNTA", "", "1"},
            {5, 1003, 1, 41200, 2, "ADM", "ANDA", "1"},
        }},
        {"HISTORIA", {"FunId", "HCorLiq", "HCorLin", "HConId", "HMovImp", "HMovTipo", "HPLFch",
                      "MovCarId", "MovCCId", "MovRefAuxi", "HCobId", "HTLId"}, {
            {1001, 1, 1, 1, 65800, "H", QDate(2025, 1, 31), 3, "ADM", "", 3, "1"},
            {1001, 1, 2, 101, 9870, "D", QDate(2025, 1, 31), 3, "ADM", "", 3, "1"},
            {1002, 1, 1, 2, 50120, "H", QDate(2025, 1, 31), 4, "OBRA-CVIEJA", "", 2, "1"},
            {1002, 1, 2, 150, 600, "D", QDate(2025, 1, 31), 4, "OBRA-CVIEJA", "SUNCA", 2, "1"},
            {1006, 2, 1, 20, 21400, "H", QDate(2024, 12, 20), 6, "OBRA-CVIEJA", "", 2, "A"},
        }},
        {"HISLIQ", {"HLCorLiq", "HLTLId"}, {
            {1, "1"},
            {2, "A"},
        }},
        {"FICHA", {"FunId", "FicCorrel", "FicCod"}, {
            {1002, 1, "CAPAC"},
            {1004, 1, "FELIC"},
            {1006, 1, "AMON"},
        }},
        {"CRONOGRA", {"CroFunId", "CroFecha", "CroCCId", "CroGHId", "CroNroJorn"}, {
            {1004, QDate(2025, 2, 3), "OBRA-PUNTA", "DIURNO", 1},
            {1005, QDate(2025, 2, 3), "TALLER", "NOCHE", 1},
        }},
        {"GRUPOSHO", {"GHId", "GHCalFerId"}, {
            {"DIURNO", "CO"},
            {"NOCHE", "CO"},
        }},
        {"FUNATRVA", {"FunId", "FunAL", "FunAId", "FunAValor"}, {
            {1001, 0, 1, "M"}, {1001, 0, 2, "A"},
            {1002, 0, 1, "J"}, {1002, 0, 2, "O"},
            {1004, 0, 1, "J"}, {1004, 0, 2, "O"},
        }},
    };
}

bool insertTable(Database& database, const DemoTable& demo, QString* error)
{
    for (const QVariantList& row : demo.rows) {
        Q_ASSERT_X(row.size() == demo.fields.size(), "loadDemoCompany",
                   "a demo row must have one value per field");
        RowValues values;
        for (qsizetype column = 0; column < row.size(); ++column)
            values.append({demo.fields.at(column), row.at(column)});
        if (!insertRow(database, QString::fromLatin1(demo.table), values, error))
            return false;
    }
    return true;
}

/// `rights` with the character at `position` (1-based) replaced.
QString withRight(QString rights, int position, QChar value)
{
    rights[position - 1] = value;
    return rights;
}

/// Two profiles beside the supervisor and three users, so that the users and
/// profiles screens have something to show: a payroll clerk who may do all
/// but manage users, and a clerk who may only look at the tables.
bool addUsersAndProfiles(Database& database, QString* error)
{
    const QString clerk = withRight(fullRights(), 9, 'N');
    const QString reader = withRight(withRight(withRight(clerk, 7, 'C'), 8, 'C'), 1, 'N');
    return writeSetupProfile(database, {"LIQUIDADOR", "Liquidación de sueldos", clerk, 2}, error)
           && writeSetupProfile(database, {"CONSULTA", "Consulta de tablas", reader, 3}, error)
           && writeSetupUser(database, {"MGOMEZ", "María Gómez", "Plata2026", "LIQUIDADOR"}, error)
           && writeSetupUser(database, {"RSILVA", "Rodrigo Silva", QString(), "CONSULTA"}, error)
           && writeSetupUser(database, {"LPEREIRA", "Lucía Pereira", "Sarandi", "SUPERVISOR"}, error);
}

bool nameCompany(Database& database, QString* error)
{
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("UPDATE \"CONFIGUR\" SET \"CfEmpresa\" = ? WHERE \"CfId\" = 0"));
    query.addBindValue(QString::fromUtf8(demoCompanyName));
    if (query.exec())
        return true;
    if (error)
        *error = QStringLiteral("No se pudo guardar el nombre de la empresa: ") + query.lastError().text();
    return false;
}

/// The IRP brackets of the monthly scale, in BPC: up to 7 free, then 10 %,
/// 15 %, 24 %, 25 %, 27 %, 31 % and, past 115, 36 %. The eighth limit
/// repeats the seventh, so that the last bracket reads "más de 115 bpc".
bool setIrpBrackets(Database& database, QString* error)
{
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("UPDATE \"CONFIGUR\" SET \"CfFranja1\" = 7, \"CfFranja2\" = 10, \"CfFranja3\" = 15, "
                                 "\"CfFranja4\" = 30, \"CfFranja5\" = 50, \"CfFranja6\" = 75, "
                                 "\"CfFranja7\" = 115, \"CfFranja8\" = 115 WHERE \"CfId\" = 0"));
    if (query.exec())
        return true;
    if (error)
        *error = QStringLiteral("No se pudieron guardar las franjas del IRP: ") + query.lastError().text();
    return false;
}

}  // namespace

bool loadDemoCompany(Database& database, QString* error)
{
    if (!database.connection().transaction()) {
        if (error)
            *error = QStringLiteral("No se pudo iniciar la transacción: ")
                     + database.connection().lastError().text();
        return false;
    }
    bool loaded =
        nameCompany(database, error) && setIrpBrackets(database, error) && addUsersAndProfiles(database, error);
    for (const QList<DemoTable>& group :
         {organisationTables(), demoBasicValues(), demoConcepts(), demoLiquidationTypes(),
          demoAttributes(), demoAccountingEntries(), employees()}) {
        for (const DemoTable& demo : group) {
            if (loaded)
                loaded = insertTable(database, demo, error);
        }
    }
    loaded = loaded && loadDemoReports(database, error);
    if (loaded && database.connection().commit())
        return true;
    if (loaded && error)
        *error = QStringLiteral("No se pudo confirmar la transacción: ")
                 + database.connection().lastError().text();
    database.connection().rollback();
    return false;
}
