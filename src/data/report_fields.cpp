#include "data/report_fields.h"

#include "data/database_setup.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

using namespace ReportSubject;

constexpr const char* money = "ZZZ,ZZZ,ZZZ,ZZ9.99";
constexpr const char* day = "dd/mm/yy";

// Numbers from 1001 on: 600 to 619 are kept for computed fields of clock
// marks, 700 onwards for accumulators and 801 to 900 for the attributes.
const QList<ReportFieldRow> fields = {
    {1001, "Número de funcionario", employee, "FUNCIONA", "FUNCIONA.FunId", "N", "ZZZZZZZ9", false},
    {1002, "Apellidos y nombres", employee, "FUNCIONA", "FUNCIONA.FunApeNom", "C", "", false},
    {1003, "Primer apellido", employee, "FUNCIONA", "FUNCIONA.FunApe1", "C", "", false},
    {1004, "Segundo apellido", employee, "FUNCIONA", "FUNCIONA.FunApe2", "C", "", false},
    {1005, "Nombre", employee, "FUNCIONA", "FUNCIONA.FunNom1", "C", "", false},
    {1006, "Situación (A activo, E egresado)", employee, "FUNCIONA", "FUNCIONA.FunActEgr", "C", "", false},
    {1007, "Código de horario", employee, "FUNCIONA", "FUNCIONA.FunHorId", "N", "ZZZ9", false},
    {1008, "Horario", employee, "HORARIOS", "HORARIOS.HorDesc", "C", "", false},
    {1009, "Lugar de cobro", employee, "LUGARCOB", "LUGARCOB.CobDesc", "C", "", false},
    {1010, "Local", employee, "LOCALES", "LOCALES.LocDesc", "C", "", false},

    {1101, "Número de cargo del funcionario", position, "CARGOSFU", "CARGOSFU.FunAL", "N", "ZZZ9", false},
    {1102, "Código de cargo", position, "CARGOSFU", "CARGOSFU.FunCarId", "N", "ZZZ9", false},
    {1103, "Cargo", position, "CARGOS", "CARGOS.CarDesc1", "C", "", false},
    {1104, "Código de categoría", position, "CARGOSFU", "CARGOSFU.FunCatId", "N", "ZZZ9", false},
    {1105, "Categoría", position, "CATEGORI", "CATEGORI.CatDesc", "C", "", false},
    {1106, "Lugar de trabajo", position, "LUGARTRA", "LUGARTRA.TraDesc", "C", "", false},
    {1107, "Fecha de ingreso", position, "CARGOSFU", "CARGOSFU.FunFecIngr", "F", day, false},
    {1108, "Fecha de baja", position, "CARGOSFU", "CARGOSFU.FunFecBaja", "F", day, false},

    {1201, "Código de anotación", personalFile, "FICHA", "FICHA.FicCod", "C", "", false},
    {1202, "Anotación", personalFile, "FICCOD", "FICCOD.FicDesc", "C", "", false},
    {1203, "Número de anotación", personalFile, "FICHA", "FICHA.FicCorrel", "N", "ZZZZZZZ9", false},

    {1301, "Número de liquidación", liquidations, "HISTORIA", "HISTORIA.HCorLiq", "N", "ZZZZZZZ9", false},
    {1302, "Fecha de liquidación", liquidations, "HISTORIA", "HISTORIA.HPLFch", "F", day, false},
    {1303, "Tipo de liquidación", liquidations, "HISTORIA", "HISTORIA.HTLId", "C", "", false},
    {1304, "Descripción del tipo de liquidación", liquidations, "TIPLIQUI", "TIPLIQUI.TLDesc", "C", "", false},
    {1305, "Concepto liquidado", liquidations, "HISTORIA", "HISTORIA.HConId", "N", "ZZZ9", false},
    {1306, "Importe liquidado", liquidations, "HISTORIA", "HISTORIA.HMovImp", "N", money, true},
    {1307, "Haber o descuento (H/D)", liquidations, "HISTORIA", "HISTORIA.HMovTipo", "C", "", false},
    {1308, "Centro de costo", liquidations, "HISTORIA", "HISTORIA.MovCCId", "C", "", false},
    {1309, "Descripción del centro de costo", liquidations, "CENTROCO", "CENTROCO.CCDesc", "C", "", false},
    {1310, "Cargo liquidado", liquidations, "HISTORIA", "HISTORIA.MovCarId", "N", "ZZZ9", false},
    {1311, "Referencia auxiliar", liquidations, "HISTORIA", "HISTORIA.MovRefAuxi", "C", "", false},

    {1401, "Descripción del concepto", concepts, "CONCEPT", "CONCEPT.ConDesc", "C", "", false},
    {1402, "Tipo de concepto", concepts, "CONCEPT", "CONCEPT.ConTipo", "N", "9", false},
    {1403, "Genera aguinaldo", concepts, "CONCEPT", "CONCEPT.ConAguinal", "C", "", false},
    {1404, "Grupo del concepto", concepts, "CONCEPT", "CONCEPT.ConGrupo", "C", "", false},

    {1501, "Número de movimiento", movements, "MOVIMIEN", "MOVIMIEN.MovId", "N", "ZZZZZZZ9", false},
    {1502, "Concepto del movimiento", movements, "MOVIMIEN", "MOVIMIEN.ConId", "N", "ZZZ9", false},
    {1503, "Importe del movimiento", movements, "MOVIMIEN", "MOVIMIEN.MovImp", "N", money, true},
    {1504, "Centro de costo del movimiento", movements, "MOVIMIEN", "MOVIMIEN.MovCCId", "C", "", false},
    {1505, "Cargo del movimiento", movements, "MOVIMIEN", "MOVIMIEN.MovCarId", "N", "ZZZ9", false},
    {1506, "Tipo de liquidación del movimiento", movements, "MOVIMIEN", "MOVIMIEN.MovTLId", "C", "", false},

    {1551, "Número de liquidación en cálculo", calculations, "LIQUIDAC", "LIQUIDAC.LCorLiq", "N", "ZZZZZZZ9", false},
    {1552, "Concepto calculado", calculations, "LIQUIDAC", "LIQUIDAC.LConId", "N", "ZZZ9", false},
    {1553, "Importe calculado", calculations, "LIQUIDAC", "LIQUIDAC.LImporte", "N", money, true},
};

bool failed(const QSqlQuery& query, const QString& what, QString* error)
{
    if (error)
        *error = what + QStringLiteral(": ") + query.lastError().text();
    return false;
}

bool fieldExists(Database& database, int id, bool* exists, QString* error)
{
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM \"CAMPOS\" WHERE \"CamId\" = ?"));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return failed(query, QStringLiteral("No se pudo leer el catálogo de campos de informes"), error);
    *exists = query.value(0).toInt() > 0;
    return true;
}

/// The catalogue row of one attribute definition.
RowValues attributeRow(int attribute, const QString& description, const QString& table, const QString& type,
                       int decimals)
{
    const bool position = table.trimmed() == QStringLiteral("C");
    const QString alias = (position ? QStringLiteral("FUNATRVAC") : QStringLiteral("FUNATRVAF"))
                          + QString::number(attribute);
    QString column = alias + QStringLiteral(".FunAValor");
    QString fieldType = QStringLiteral("C");
    QString picture;
    bool summable = false;
    if (type.trimmed() == QStringLiteral("FE")) {
        column = alias + QStringLiteral(".FunAValF");
        fieldType = QStringLiteral("F");
        picture = QString::fromLatin1(day);
    } else if (type.trimmed() == QStringLiteral("NU")) {
        column = alias + QStringLiteral(".FunAValN");
        fieldType = QStringLiteral("N");
        picture = QStringLiteral("ZZZ,ZZZ,ZZZ,ZZ9")
                  + (decimals > 0 ? QStringLiteral(".") + QString(decimals, QLatin1Char('9')) : QString());
        summable = true;
    }
    const int id = 800 + attribute;
    return {{"CamId", id}, {"CamDes", description.trimmed().left(50)}, {"CamGrupo", position ? 2 : 1},
            {"CamOrden", id}, {"CamTabla", attributeJoin(position, attribute)}, {"CamText", column},
            {"CamTipo", fieldType}, {"CamPLEdici", picture}, {"CamSumar", summable ? "S" : "N"},
            {"CamAtribut", "S"}};
}

bool writeAttributeFields(Database& database, QString* error)
{
    QSqlQuery definitions(database.connection());
    definitions.setForwardOnly(true);
    if (!definitions.exec(QStringLiteral("SELECT \"FunAId\", \"FunADescri\", \"FunATabla\", \"FunATipo\", "
                                         "\"FunADecima\" FROM \"FUNATRIB\" ORDER BY \"FunAId\"")))
        return failed(definitions, QStringLiteral("No se pudieron leer los atributos adicionales"), error);
    QList<RowValues> rows;
    while (definitions.next()) {
        const int attribute = definitions.value(0).toInt();
        if (attribute >= 1 && attribute <= 100)
            rows.append(attributeRow(attribute, definitions.value(1).toString(), definitions.value(2).toString(),
                                     definitions.value(3).toString(), definitions.value(4).toInt()));
    }
    for (const RowValues& row : rows) {
        QSqlQuery remove(database.connection());
        remove.prepare(QStringLiteral("DELETE FROM \"CAMPOS\" WHERE \"CamId\" = ?"));
        remove.addBindValue(row.first().second);
        if (!remove.exec())
            return failed(remove, QStringLiteral("No se pudo actualizar el catálogo de campos de informes"), error);
        if (!insertRow(database, QStringLiteral("CAMPOS"), row, error))
            return false;
    }
    return true;
}

}  // namespace

const QList<ReportFieldRow>& fixedReportFields()
{
    return fields;
}

QString attributeJoin(bool position, int attribute)
{
    const QString number = QString::number(attribute);
    const QString alias = (position ? QStringLiteral("FUNATRVAC") : QStringLiteral("FUNATRVAF")) + number;
    return QStringLiteral("LEFT JOIN FUNATRVA AS ") + alias + QStringLiteral(" ON (") + alias
           + (position ? QStringLiteral(".FunId = CARGOSFU.FunId AND ") + alias + QStringLiteral(".FunAL = CARGOSFU.FunAL AND ")
                       : QStringLiteral(".FunId = FUNCIONA.FunId AND ") + alias + QStringLiteral(".FunAL = 0 AND "))
           + alias + QStringLiteral(".FunAId = ") + number + QLatin1Char(')');
}

bool writeReportFields(Database& database, QString* error)
{
    int order = 0;
    for (const ReportFieldRow& field : fields) {
        ++order;
        bool exists = false;
        if (!fieldExists(database, field.id, &exists, error))
            return false;
        if (exists)
            continue;
        const RowValues row = {{"CamId", field.id},
                               {"CamDes", QString::fromUtf8(field.description).left(50)},
                               {"CamGrupo", field.group},
                               {"CamOrden", order},
                               {"CamTabla", QString::fromLatin1(field.table)},
                               {"CamText", QString::fromLatin1(field.column)},
                               {"CamTipo", QString::fromLatin1(field.type)},
                               {"CamPLEdici", QString::fromLatin1(field.picture)},
                               {"CamSumar", field.summable ? "S" : "N"},
                               {"CamAtribut", "N"}};
        if (!insertRow(database, QStringLiteral("CAMPOS"), row, error))
            return false;
    }
    return writeAttributeFields(database, error);
}
