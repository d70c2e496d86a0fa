// Additional attribute definitions: TFUNATRI's checks in field order, the
// stored values a change must still fit, the list's filters and order, both
// delete paths with their refusals, the procedures and the audit texts.
#include "tables/attributes.h"
#include "tables/attributes_procedures.h"

#include "organisation_tables_fixture.h"

#include <QDate>

namespace {

using namespace Qt::StringLiterals;

enum Position {
    Id = 1,
    Type,
    Description,
    Table,
    Classifier,
    Length,
    Decimals,
    Capitals,
    Mandatory,
    Validation,
    Suggested,
    Load,
};

class AttributesTest : public OrganisationTableTest {
protected:
    void addAttribute(int id, const QString& description, const QString& type, int length, int decimals = 0,
                      const QString& table = u"F"_s, const QString& validation = {}, const QString& classifier = {})
    {
        addRow(u"FUNATRIB"_s, {{u"FunAId"_s, id}, {u"FunADescri"_s, description}, {u"FunATipo"_s, type},
                               {u"FunALongit"_s, length}, {u"FunADecima"_s, decimals}, {u"FunATabla"_s, table},
                               {u"FunAValida"_s, validation}, {u"FunAClasif"_s, classifier},
                               {u"FunAMayusc"_s, u"N"_s}, {u"FunAObliga"_s, u"N"_s}});
    }

    void addEmployee(qint64 id, const QString& state)
    {
        addRow(u"FUNCIONA"_s, {{u"FunId"_s, id}, {u"FunApeNom"_s, u"Empleado "_s + QString::number(id)},
                               {u"FunActEgr"_s, state}});
    }

    void addPosition(qint64 employee, int position, const QDate& end = {})
    {
        addRow(u"CARGOSFU"_s, {{u"FunId"_s, employee}, {u"FunAL"_s, position},
                               {u"FunFecBaja"_s, end.isValid() ? QVariant(end) : QVariant()}});
    }

    void addValue(qint64 employee, int position, int attribute, const QString& value)
    {
        addRow(u"FUNATRVA"_s, {{u"FunId"_s, employee}, {u"FunAL"_s, position}, {u"FunAId"_s, attribute},
                               {u"FunAValor"_s, value}});
    }

    /// "employee/position=value" of every stored value of `attribute`.
    QStringList valuesOf(int attribute)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT FunId, FunAL, FunAValor, FunAValN FROM FUNATRVA WHERE FunAId = ? "
                          u"ORDER BY FunId, FunAL"_s));
        query.addBindValue(attribute);
        query.exec();
        while (query.next()) {
            found << query.value(0).toString() + u'/' + query.value(1).toString() + u'=' + query.value(2).toString()
                         + u'~' + QString::number(query.value(3).toDouble());
        }
        return found;
    }

    /// The refusal shown when the focus tries to pass `position`.
    QString refusalAt(Transaction& form, int position)
    {
        ui.clear();
        form.focusEntered(position + 1);
        return ui.texts().join(u'|');
    }
};

TEST_F(AttributesTest, ANewDefinitionIsOfferedTheFirstFreeNumber)
{
    // Init wrote the two fixed attributes, 1 and 2.
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunADescri"_s, u"FunAId = 1"_s).toString(), u"Mensuales/Jornaleros"_s);
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunADescri"_s, u"FunAId = 2"_s).toString(), u"Admnistrativo/Obrero"_s);
    addAttribute(4, u"Turno"_s, u"AN"_s, 10);
    EXPECT_EQ(PCALCFUN(*database), 3);
    auto form = open(TFUNATRI(), u"0"_s, u"INS"_s);
    EXPECT_EQ(form->text(Id).trimmed(), u"3"_s);
    addAttribute(3, u"Sindicato"_s, u"CH"_s, 1);
    EXPECT_EQ(PCALCFUN(*database), 5);
}

TEST_F(AttributesTest, TheNumericFamilyIsCheckedFieldByField)
{
    auto form = open(TFUNATRI(), u"0"_s, u"INS"_s);
    ASSERT_TRUE(form->focusEntered(Type));
    // No type yet: the description cannot be reached.
    EXPECT_EQ(refusalAt(*form, Type), u"Debe seleccionar el tipo para el atributo"_s);
    form->setText(Type, u"Numérico"_s);
    EXPECT_EQ(refusalAt(*form, Type + 1), u"Debe ingresar una descripción para el atributo"_s);
    form->setText(Description, u"Horas de guardia"_s);

    const auto lengthRefusal = [&](const QString& length) {
        form->setText(Length, length);
        return refusalAt(*form, Length);
    };
    EXPECT_EQ(lengthRefusal(u"0"_s), u"Debe ingresar longitud para este tipo de atributo"_s);
    EXPECT_EQ(lengthRefusal(u"16"_s), u"La longitud máxima de un atributo de tipo numérico es 15"_s);
    EXPECT_EQ(lengthRefusal(u"5"_s), u""_s);

    const auto decimalsRefusal = [&](const QString& decimals) {
        form->setText(Decimals, decimals);
        return refusalAt(*form, Decimals);
    };
    EXPECT_EQ(decimalsRefusal(u"6"_s), u"La cantidad de decimales no puede ser mayor a 5"_s);
    form->setText(Length, u"2"_s);
    EXPECT_EQ(decimalsRefusal(u"2"_s), u"La longitud debe ser mayor que la cantidad de decimales"_s);
    form->setText(Length, u"5"_s);
    EXPECT_EQ(decimalsRefusal(u"2"_s), u""_s);

    form->setText(Capitals, u"S"_s);
    EXPECT_EQ(refusalAt(*form, Capitals), u"No puede seleccionar mayúsculas para este tipo de atributo"_s);
    form->setText(Capitals, u"N"_s);

    // The suggested value is a value of the definition being entered.
    form->setText(Suggested, u"1234.5"_s);
    EXPECT_EQ(refusalAt(*form, Suggested), u"-Valor sugerido-  no puede tener más de 3 enteros."_s);
    form->setText(Suggested, u"1.234"_s);
    EXPECT_EQ(refusalAt(*form, Suggested), u"-Valor sugerido-  no puede tener más de 2 decimales."_s);
    form->setText(Validation, u"5:"_s);
    form->setText(Suggested, u"4,5"_s);
    EXPECT_EQ(refusalAt(*form, Suggested), u"-Valor sugerido-  tiene valor incorrecto."_s);
    form->setText(Suggested, u"123,45"_s);
    EXPECT_EQ(refusalAt(*form, Suggested), u""_s);
}

TEST_F(AttributesTest, AYesNoTypeSetsWhatItRequires)
{
    auto form = open(TFUNATRI(), u"0"_s, u"INS"_s);
    ASSERT_TRUE(form->focusEntered(Type));
    form->setText(Type, u"CH"_s);
    EXPECT_EQ(form->text(Length).trimmed(), u"1"_s);
    EXPECT_EQ(form->value(u"FunAMayusc"_s).toString(), u"S"_s);
    EXPECT_EQ(form->value(u"FunAObliga"_s).toString(), u"S"_s);
    EXPECT_EQ(form->value(u"FunAValida"_s).toString(), u"S,N"_s);
    form->setText(Description, u"Afiliado al sindicato"_s);

    form->setText(Capitals, u"N"_s);
    EXPECT_EQ(refusalAt(*form, Capitals), u"Los atributos de tipo Si/No deben ser en mayúsculas"_s);
    form->setText(Capitals, u"S"_s);
    form->setText(Mandatory, u"N"_s);
    EXPECT_EQ(refusalAt(*form, Mandatory), u"Los atributos de tipo Si/No deben ser obligatorios"_s);
    form->setText(Mandatory, u"S"_s);
    form->setText(Validation, u"S,N,X"_s);
    EXPECT_EQ(refusalAt(*form, Validation), u"Los atributos de tipo Si/No deben tener validación \"\"S,N\"\""_s);

    // Another type resets capitals and mandatory while adding; a date has
    // no length.
    form->setText(Type, u"FE"_s);
    EXPECT_EQ(form->text(Length).trimmed(), u"0"_s);
    EXPECT_EQ(form->value(u"FunAMayusc"_s).toString(), u"N"_s);
    EXPECT_EQ(form->value(u"FunAObliga"_s).toString(), u"N"_s);
    form->setText(Length, u"3"_s);
    EXPECT_EQ(refusalAt(*form, Decimals), u"No debe ingresar longitud para este tipo de atributo"_s);
    form->setText(Length, u"0"_s);
    form->setText(Decimals, u"1"_s);
    EXPECT_EQ(refusalAt(*form, Decimals), u"No debe ingresar decimales para este tipo de atributo"_s);
}

TEST_F(AttributesTest, AConfirmedAddLoadsTheSuggestedValueAndTheReportCatalogue)
{
    addEmployee(1001, u"A"_s);
    addEmployee(1002, u"G"_s);
    addEmployee(1003, u"E"_s);  // gone: not loaded
    auto form = open(TFUNATRI(), u"0"_s, u"INS"_s);
    ASSERT_TRUE(form->focusEntered(Type));
    form->setText(Type, u"NU"_s);
    form->setText(Description, u"Horas de guardia"_s);
    form->setText(Classifier, u"Horarios"_s);
    form->setText(Length, u"5"_s);
    form->setText(Decimals, u"2"_s);
    form->setText(Suggested, u"12,5"_s);
    form->setText(Load, u"S"_s);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_EQ(valuesOf(3), (QStringList{u"1001/0=12,5~12.5"_s, u"1002/0=12,5~12.5"_s}));
    EXPECT_EQ(fieldOf(u"CAMPOS"_s, u"CamText"_s, u"CamId = 803"_s).toString(), u"FUNATRVAF3.FunAValN"_s);
    EXPECT_EQ(fieldOf(u"CAMPOS"_s, u"CamSumar"_s, u"CamId = 803"_s).toString(), u"S"_s);
    EXPECT_EQ(fieldOf(u"CAMPOS"_s, u"CamGrupo"_s, u"CamId = 803"_s).toInt(), 1);
    EXPECT_EQ(auditEntries().last(),
              u"Agrega atributo 3, Descripción = Horas de guardia, Tabla = F, Tipo = NU, Mayúsculas = N, "
              u"Obligatorio = N, Longitud = 5, Cantidad de decimales = 2, Clasificador = Horarios, "
              u"Valor sugerido = 12,5"_s);

    // Marked with no suggested value: refused before anything is written.
    auto again = open(TFUNATRI(), u"3"_s, u"UPD"_s);
    again->setText(Suggested, QString());
    again->setText(Load, u"S"_s);
    ui.clear();
    EXPECT_FALSE(again->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Para cargar el valor sugerido debe indicar -Valor sugerido-"_s});
    again->setText(Load, u"N"_s);
    again->setText(Description, u"Horas de retén"_s);
    again->setText(Length, u"8"_s);
    ASSERT_TRUE(again->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditEntries().last(), u"Modifica atributo 3, Descripción = Horas de retén, Longitud = 8, Valor sugerido ="_s);
    EXPECT_EQ(fieldOf(u"CAMPOS"_s, u"CamDes"_s, u"CamId = 803"_s).toString(), u"Horas de retén"_s);
}

TEST_F(AttributesTest, AChangeThatAStoredValueNoLongerFitsIsRefusedNamingTheEmployee)
{
    addAttribute(5, u"Turno"_s, u"AN"_s, 20);
    addAttribute(6, u"Sector"_s, u"AN"_s, 20, 0, u"C"_s);
    addValue(1001, 0, 5, u"Vespertino"_s);
    addValue(1002, 2, 6, u"Mantenimiento"_s);

    auto form = open(TFUNATRI(), u"5"_s, u"UPD"_s);
    form->setText(Length, u"5"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Modificación inválida. El valor Vespertino de -Turno- del funcionario 1001 "
                                      u"no puede tener más de 5 caracteres."_s});
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunALongit"_s, u"FunAId = 5"_s).toInt(), 20);

    form->setText(Length, u"10"_s);
    EXPECT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    auto positions = open(TFUNATRI(), u"6"_s, u"UPD"_s);
    positions->setText(Validation, u"A:L"_s);
    ui.clear();
    EXPECT_FALSE(positions->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Modificación inválida. El valor Mantenimiento de -Sector- del funcionario "
                                      u"1002 del cargo 2 tiene valor incorrecto."_s});
}

TEST_F(AttributesTest, TheListFiltersBoundValuesInClassifierOrder)
{
    addAttribute(5, u"Turno"_s, u"AN"_s, 10, 0, u"F"_s, {}, u"B"_s);
    addAttribute(6, u"Sector"_s, u"AN"_s, 20, 0, u"C"_s, {}, u"A"_s);
    addAttribute(7, u"Certificado médico"_s, u"FE"_s, 0, 0, u"F"_s, {}, u"B"_s);
    addAttribute(8, u"Horas"_s, u"NU"_s, 5, 2, u"F"_s, {}, u"A"_s);
    auto panel = openPanel(WFUNATRI());
    // The fixed attributes have no classifier: they come first.
    EXPECT_EQ(keys(*panel), (QStringList{u"2"_s, u"1"_s, u"8"_s, u"6"_s, u"7"_s, u"5"_s}));
    EXPECT_EQ(panel->cellText(2, 3), u"Numérico"_s);

    panel->setFilterValue(u"Tipo"_s, u"AN"_s);
    EXPECT_EQ(keys(*panel), (QStringList{u"2"_s, u"1"_s, u"6"_s, u"5"_s}));
    panel->setFilterValue(u"Tabla"_s, u"Cargo"_s);
    EXPECT_EQ(keys(*panel), QStringList{u"6"_s});
    // A quote is a value like any other: nothing matches, nothing breaks.
    panel->setFilterValue(u"Tabla"_s, u"C' OR '1'='1"_s);
    EXPECT_EQ(panel->rowCount(), 0);
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    panel->setFilterValue(u"Tipo"_s, QString());
    panel->setFilterValue(u"Tabla"_s, QString());
    panel->setDescriptionFilter(u"medico"_s);
    EXPECT_EQ(keys(*panel), QStringList{u"7"_s});
}

TEST_F(AttributesTest, DeletingFromTheListTakesValuesAndApplications)
{
    addAttribute(5, u"Turno"_s, u"AN"_s, 10);
    addAttribute(6, u"Sector"_s, u"AN"_s, 10);
    addValue(1001, 0, 5, u"Noche"_s);
    addRow(u"CONCEPT5"_s, {{u"ConId"_s, 150}, {u"ConAplId"_s, 5}, {u"ConAplValo"_s, u"Noche"_s}});
    addRow(u"INFORME"_s, {{u"InfId"_s, 9}, {u"InfDes"_s, u"Turnos por sector"_s}});
    addRow(u"INFORME3"_s, {{u"InfId"_s, 9}, {u"InfCorFilt"_s, 1}, {u"CamId"_s, 806}});
    PACTUALI(*database);

    auto panel = openPanel(WFUNATRI());
    // A filter of a report uses the attribute.
    panel->remove({rowOf(*panel, u"6"_s)});
    EXPECT_EQ(ui.texts(),
              QStringList{u"No puede eliminar el atributo porque es un campo filtro del informe \"Turnos por sector\""_s});

    // With values: the question warns; No keeps everything.
    ui.clear();
    ui.answer(false);
    panel->remove({rowOf(*panel, u"5"_s)});
    EXPECT_EQ(ui.texts(),
              QStringList{u"Existen valores cargados que se perderán para -Turno-, ¿Confirma eliminación?"_s});
    EXPECT_EQ(valuesOf(5).size(), 1);

    ui.clear();
    ui.answer(true);
    panel->remove({rowOf(*panel, u"5"_s)});
    EXPECT_TRUE(valuesOf(5).isEmpty());
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunAId"_s, u"FunAId = 5"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(fieldOf(u"CONCEPT5"_s, u"ConAplValo"_s, u"ConAplId = 5"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(fieldOf(u"CAMPOS"_s, u"CamId"_s, u"CamId = 805"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(auditEntries().last(), u"Elimina atributo 5 - Turno"_s);
    EXPECT_EQ(rowOf(*panel, u"5"_s), -1);

    // Copied automatically: refused before anything is asked.
    setParameterText(u"SincroAuto"_s, u"AtAdic"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    ui.clear();
    panel->remove({rowOf(*panel, u"1"_s)});
    EXPECT_EQ(ui.texts(), QStringList{u"No puede eliminar atributos adicionales, esta tabla se copia automaticamente."_s});
}

TEST_F(AttributesTest, TheFormRefusesToDeleteADefinitionWithValues)
{
    addAttribute(5, u"Turno"_s, u"AN"_s, 10);
    addValue(1001, 0, 5, u"Noche"_s);
    removeThrough(TFUNATRI(), u"5"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminación inválida, hay información en \"FunAtrValores\"."_s});
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunADescri"_s, u"FunAId = 5"_s).toString(), u"Turno"_s);

    addAttribute(6, u"Sector"_s, u"AN"_s, 10);
    addRow(u"CONCEPT5"_s, {{u"ConId"_s, 150}, {u"ConAplId"_s, 6}, {u"ConAplValo"_s, u"A"_s}});
    ui.clear();
    removeThrough(TFUNATRI(), u"6"_s);
    EXPECT_EQ(fieldOf(u"FUNATRIB"_s, u"FunAId"_s, u"FunAId = 6"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(fieldOf(u"CONCEPT5"_s, u"ConAplId"_s, u"ConAplId = 6"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(auditEntries().last(), u"Elimina atributo 6 - Sector"_s);
}

TEST_F(AttributesTest, ValuesAreWrittenChangedAndDeletedByPosition)
{
    addAttribute(5, u"Turno"_s, u"AN"_s, 10, 0, u"C"_s);
    addAttribute(6, u"Certificado"_s, u"FE"_s, 0);
    addEmployee(1001, u"A"_s);
    addEmployee(1002, u"G"_s);
    addEmployee(1003, u"A"_s);
    addPosition(1001, 1);
    addPosition(1001, 2, QDate(2024, 5, 31));  // ended: not loaded for an active employee
    addPosition(1002, 1, QDate(2024, 5, 31));  // "G" keeps even an ended position
    addPosition(1003, 1);
    ASSERT_FALSE(PADDATFC(*database, ui, 5, u"C"_s, u"Noche"_s));
    EXPECT_EQ(valuesOf(5), (QStringList{u"1001/1=Noche~0"_s, u"1002/1=Noche~0"_s, u"1003/1=Noche~0"_s}));

    ASSERT_FALSE(PGRAFAVA(*database, ui, 1001, 1, 5, u"AN"_s, u"Tarde"_s));
    ASSERT_FALSE(PGRAFAVA(*database, ui, 1003, 0, 0, u"AN"_s, QString()));
    EXPECT_EQ(valuesOf(5), (QStringList{u"1001/1=Tarde~0"_s, u"1002/1=Noche~0"_s}));

    ASSERT_FALSE(PGRAFAVA(*database, ui, 1001, 0, 6, u"AN"_s, u"15/03/24"_s));
    EXPECT_EQ(fieldOf(u"FUNATRVA"_s, u"FunAValF"_s, u"FunAId = 6"_s).toDateTime().date(), QDate(2024, 3, 15));
}

}  // namespace
