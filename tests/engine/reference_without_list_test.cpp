// A reference field that does not offer its list: a missing code is refused
// with "No existe X" alone, no question asked; the one that offers it asks.
#include "organisation_tables_fixture.h"

#include "engine/transaction.h"

using namespace Qt::StringLiterals;

namespace {

/// A reference to `table` by its primary index, offered from `list`.
ReferenceDecl referenceTo(const QString& table, const QString& missingName, const QString& list,
                          const QString& descriptionField)
{
    ReferenceDecl reference;
    reference.table = table;
    reference.missingName = missingName;
    reference.listObject = list;
    reference.descriptionField = descriptionField;
    return reference;
}

const TransactionDecl& formWithTwoReferences()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TREFPRUE"_s;
        declaration.title = u"Prueba"_s;
        declaration.table = u"CONCEPT"_s;
        declaration.index = u"ICONCEPT"_s;
        FieldDecl centre;
        centre.name = u"ConCCId"_s;
        centre.label = u"Centro de costo"_s;
        centre.kind = FieldKind::Reference;
        centre.reference = referenceTo(u"CENTROCO"_s, u"CentroCosto"_s, u"WCENTROS"_s, u"CCDesc"_s);
        centre.reference.offersList = false;
        FieldDecl annotation;
        annotation.name = u"ConFicCod"_s;
        annotation.label = u"Código anotación"_s;
        annotation.kind = FieldKind::Reference;
        annotation.reference = referenceTo(u"FICCOD"_s, u"FicCod"_s, u"WCODIGOS"_s, u"FicDesc"_s);
        declaration.fields = {keyField(u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s),
                              textField(u"ConDesc"_s, u"Descripción"_s, u"Falta descripción"_s), centre, annotation};
        declaration.keyMissingMessage = u"Falta concepto"_s;
        return declaration;
    }();
    return form;
}

using ReferenceWithoutListTest = OrganisationTableTest;

TEST_F(ReferenceWithoutListTest, AMissingCodeIsRefusedWithoutTheQuestion)
{
    addRow(u"CENTROCO"_s, {{u"CCId"_s, u"ADM"_s}, {u"CCDesc"_s, u"Administración"_s}});
    auto form = open(formWithTwoReferences(), u"0"_s, u"INS"_s);
    form->setText(u"ConId"_s, u"7"_s);
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(u"ConDesc"_s, u"Prueba"_s);
    form->setText(u"ConCCId"_s, u"NADA"_s);
    EXPECT_FALSE(form->confirm());
    ASSERT_EQ(ui.shown().size(), 1);
    EXPECT_EQ(ui.shown().first().kind, ScriptedUi::Shown::Message);
    EXPECT_EQ(ui.shown().first().text, u"No existe CentroCosto"_s);
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Exclamation);
    EXPECT_EQ(form->takeFocusRequest(), form->position(u"ConCCId"_s));
    EXPECT_TRUE(ui.calledObjects().isEmpty());

    ui.clear();
    form->setText(u"ConCCId"_s, u"ADM"_s);
    form->setText(u"ConFicCod"_s, u"NADA"_s);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe FicCod. DESEA VISUALIZAR?"_s});
    EXPECT_EQ(form->referenceDescription(form->position(u"ConCCId"_s)), u"Administración"_s);
}

}  // namespace
