// TOBRAS: two pages validated in order, and its audit sentence.
#include "engine/transaction.h"
#include "tables/works.h"

#include "organisation_tables_fixture.h"

namespace {

class WorksTest : public OrganisationTableTest {
protected:
    bool type(Transaction& form, const QString& field, const QString& text)
    {
        const int position = form.position(field);
        EXPECT_GT(position, 0) << field.toStdString();
        return form.setText(position, text);
    }

    /// Types every required field but the ones in `leaveOut`.
    void fill(Transaction& form, const QStringList& leaveOut = {})
    {
        const QList<QPair<QString, QString>> values = {
            {QStringLiteral("ObrNro"), QStringLiteral("145220")},
            {QStringLiteral("ObrEstado"), QStringLiteral("1")},
            {QStringLiteral("ObrDireccO"), QStringLiteral("Sarandí 580")},
            {QStringLiteral("ObrDeparta"), QStringLiteral("Paysandú")},
            {QStringLiteral("ObrTipoCon"), QStringLiteral("1")},
            {QStringLiteral("ObrForma"), QStringLiteral("2")},
            {QStringLiteral("ObrNroEmpr"), QStringLiteral("2100345")},
            {QStringLiteral("ObrNroCont"), QStringLiteral("21003450017")},
            {QStringLiteral("ObrTipoApo"), QStringLiteral("1")},
            {QStringLiteral("ObrRazonSo"), QStringLiteral("Inmobiliaria Sarandí S.R.L.")},
            {QStringLiteral("ObrDireccT"), QStringLiteral("Rincón 477")},
            {QStringLiteral("ObrTelTit"), QStringLiteral("2915 3030")},
        };
        for (const auto& [field, text] : values) {
            if (!leaveOut.contains(field)) {
                EXPECT_TRUE(type(form, field, text)) << field.toStdString();
            }
        }
    }
};

// A works keyed "0" is a works like any other (the key is text), and one
// with data the checks refuse today is deleted after the question alone.
TEST_F(WorksTest, AWorksKeyedZeroWithRefusedDataIsDeletedAfterTheQuestionAlone)
{
    addRow(QStringLiteral("OBRAS"), {{QStringLiteral("ObrId"), QStringLiteral("0")},
                                     {QStringLiteral("ObrNro"), QStringLiteral("145220")}});
    ui.answer(true);
    auto form = open(TOBRAS(), QStringLiteral("0"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(countRows(QStringLiteral("OBRAS")), 0);
    EXPECT_EQ(auditEntries().size(), 1);
}

TEST_F(WorksTest, MissingDataIsRefusedInOrderAcrossBothPages)
{
    const QStringList expected = {
        QStringLiteral("Falta número de la obra"),       QStringLiteral("Falta Estado de la obra"),
        QStringLiteral("Falta dirección"),               QStringLiteral("Falta Departamento de la obra"),
        QStringLiteral("Falta Tipo de contribuyente"),   QStringLiteral("Falta forma de realización de la obra"),
        QStringLiteral("Falta Nro. de empresa titular"), QStringLiteral("Falta Nro. de contribuyente titular"),
        QStringLiteral("Falta Tipo de aportacion del titular"), QStringLiteral("Falta Razón social del titular"),
        QStringLiteral("Falta Dirección titular"),       QStringLiteral("Falta Teléfono del titular"),
    };
    const QStringList fields = {
        QStringLiteral("ObrNro"),     QStringLiteral("ObrEstado"),  QStringLiteral("ObrDireccO"),
        QStringLiteral("ObrDeparta"), QStringLiteral("ObrTipoCon"), QStringLiteral("ObrForma"),
        QStringLiteral("ObrNroEmpr"), QStringLiteral("ObrNroCont"), QStringLiteral("ObrTipoApo"),
        QStringLiteral("ObrRazonSo"), QStringLiteral("ObrDireccT"), QStringLiteral("ObrTelTit"),
    };
    auto form = open(TOBRAS(), QString(), QStringLiteral("INS"));
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Falta Centro de costo")});
    type(*form, QStringLiteral("ObrId"), QStringLiteral("obra-nueva"));
    ASSERT_TRUE(form->focusEntered(2));
    for (int missing = 0; missing < fields.size(); ++missing) {
        ui.clear();
        fill(*form, fields.mid(missing));
        EXPECT_FALSE(form->confirm());
        EXPECT_EQ(ui.texts(), QStringList{expected.at(missing)});
        EXPECT_EQ(form->field(form->takeFocusRequest()).name, fields.at(missing));
    }
    EXPECT_EQ(countRows(QStringLiteral("OBRAS")), 0);
    EXPECT_FALSE(type(*form, QStringLiteral("ObrDeparta"), QStringLiteral("Buenos Aires")));
}

TEST_F(WorksTest, TheAuditNamesGivenFieldsThenOnlyChangedOnes)
{
    auto form = open(TOBRAS(), QString(), QStringLiteral("INS"));
    type(*form, QStringLiteral("ObrId"), QStringLiteral("obra-nueva"));
    ASSERT_TRUE(form->focusEntered(2));
    fill(*form);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    ASSERT_EQ(auditEntries().size(), 1);
    EXPECT_EQ(auditEntries().first(),
              QStringLiteral("Agrega obra centro de costo OBRA-NUEVA Número = 145220, estado de la obra = 1, "
                             "dirección de la obra = Sarandí 580, nro. de empresa titular = 2100345, "
                             "nro. de contribuyente titular = 21003450017, tipo de aportación del titular = 1, "
                             "tipo de contribuyente = 1, razón social del titular = Inmobiliaria Sarandí S.R.L., "
                             "dirección del titular = Rincón 477, teléfono del titular = 2915 3030, "
                             "forma de realización = 2"));

    // A field the form does not show survives a modification.
    ASSERT_FALSE(database->execute(QStringLiteral("UPDATE OBRAS SET ObrEMail = 'obra@ejemplo.uy'")));
    auto change = open(TOBRAS(), QStringLiteral("OBRA-NUEVA"), QStringLiteral("UPD"));
    type(*change, QStringLiteral("ObrEstado"), QStringLiteral("9"));
    type(*change, QStringLiteral("ObrFaxTit"), QStringLiteral("2915 3031"));
    ASSERT_TRUE(change->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditEntries().last(), QStringLiteral("Modifica obra centro de costo OBRA-NUEVA, estado de la obra = 9, "
                                                  "fax del titular = 2915 3031"));
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(QStringLiteral("SELECT ObrEMail, ObrEstado, ObrDeparta FROM OBRAS"))) && query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("obra@ejemplo.uy"));
    EXPECT_EQ(query.value(1).toString(), QStringLiteral("9"));
    EXPECT_EQ(query.value(2).toString(), QStringLiteral("Paysandú"));
}

}  // namespace
