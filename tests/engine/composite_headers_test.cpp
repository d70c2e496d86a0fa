// The engine's vocabulary for forms keyed by two fields with lines under
// them, key rules, code lists whose choices follow the form, lines with their
// own audit sentence, and panels whose rows are made for the panel.
#include "engine/lines.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"

#include "organisation_tables_fixture.h"

using namespace Qt::StringLiterals;

namespace {

const LineTableDecl& feeds()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"CONCEPT3"_s;
        declaration.index = u"ICONCEP8"_s;
        declaration.headerKey = u"AcuTipo"_s;
        declaration.moreHeaderKeys = {u"AcuId"_s};
        declaration.columns = {{u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s}, {u"ConAcuOpe"_s, u"Op"_s, {}}};
        declaration.auditText = [](const Transaction& form, Mode mode, const QVector<QVariant>& values,
                                   const QVector<QVariant>&) {
            return (mode == Mode::Insert ? u"Alta "_s : u"Baja "_s) + form.value(u"AcuTipo"_s).toString()
                   + form.value(u"AcuId"_s).toString() + u"/"_s + values.value(0).toString();
        };
        return declaration;
    }();
    return lines;
}

const TransactionDecl& compositeForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TPRUEBA"_s;
        declaration.title = u"Prueba"_s;
        declaration.table = u"ACUMHL"_s;
        FieldDecl type = keyField(u"AcuTipo"_s, u"Tipo"_s, {});
        type.rule = [](Transaction& form) {
            return form.value(u"AcuTipo"_s).toString() == u"Z"_s ? FieldVerdict::refuse(u"Tipo inválido"_s)
                                                                  : FieldVerdict::ok();
        };
        FieldDecl content;
        content.name = u"AcuConteni"_s;
        content.label = u"Contenido"_s;
        content.kind = FieldKind::CodeList;
        content.choices = {{u"C"_s, u"Cantidad"_s}, {u"A"_s, u"Ajustado"_s}};
        content.choicesNow = [](const Transaction& form) {
            QList<CodeChoice> offered = {{u"C"_s, u"Cantidad"_s}};
            if (form.value(u"AcuTipo"_s).toString() == u"H"_s)
                offered.append({u"A"_s, u"Ajustado"_s});
            return offered;
        };
        declaration.fields = {type, keyField(u"AcuId"_s, u"Nº"_s, u"Z9"_s), content,
                              textField(u"AcuDesc"_s, u"Descripción"_s)};
        declaration.keyMissingMessage = u"Falta clave"_s;
        declaration.lines = &feeds();
        return declaration;
    }();
    return form;
}

class CompositeHeadersTest : public OrganisationTableTest {};

TEST_F(CompositeHeadersTest, AKeyRuleRefusesBeforeTheKeyIsSought)
{
    auto form = open(compositeForm(), u"0"_s, u"INS"_s);
    form->setText(u"AcuTipo"_s, u"Z"_s);
    form->setText(u"AcuId"_s, u"1"_s);
    EXPECT_FALSE(form->focusEntered(3));
    EXPECT_EQ(ui.texts(), QStringList{u"Tipo inválido"_s});
    EXPECT_EQ(form->takeFocusRequest(), 1);
}

TEST_F(CompositeHeadersTest, ACodeListOffersWhatTheFormAllowsNow)
{
    auto form = open(compositeForm(), u"0"_s, u"INS"_s);
    form->setText(u"AcuTipo"_s, u"L"_s);
    EXPECT_EQ(form->choices(3).size(), 1);
    EXPECT_FALSE(form->setText(3, u"Ajustado"_s));
    form->setText(u"AcuTipo"_s, u"H"_s);
    EXPECT_EQ(form->choices(3).size(), 2);
    EXPECT_TRUE(form->setText(3, u"Ajustado"_s));
    EXPECT_EQ(form->text(3), u"Ajustado"_s);
}

TEST_F(CompositeHeadersTest, LinesFollowBothKeyFieldsAndWriteTheirOwnAudit)
{
    addRow(u"ACUMHL"_s, {{u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 1}, {u"AcuDesc"_s, u"Uno"_s}});
    addRow(u"ACUMHL"_s, {{u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 2}, {u"AcuDesc"_s, u"Dos"_s}});
    addRow(u"CONCEPT3"_s, {{u"ConId"_s, 7}, {u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 1}});
    addRow(u"CONCEPT3"_s, {{u"ConId"_s, 8}, {u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 2}});

    auto form = open(compositeForm(), u"H\t2"_s, u"UPD"_s);
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 1) << "only the lines of H 2";
    EXPECT_EQ(lines.value(0, 0).toInt(), 8);
    const int row = lines.addLine();
    lines.setText(row, 0, u"9"_s);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"AcuId"_s, u"ConId = 9"_s).toInt(), 2);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"AcuTipo"_s, u"ConId = 9"_s).toString(), u"H"_s);
    EXPECT_EQ(auditTexts().last(), u"Alta H2/9"_s);
}

TEST_F(CompositeHeadersTest, APanelMakesItsRowsFromTheParentItIsCalledWith)
{
    WorkPanelDecl declaration;
    declaration.name = u"WPRUEBA"_s;
    declaration.title = u"Prueba"_s;
    declaration.columns = {{u"Nombre"_s, u"Nombre"_s, {}, {}}, {u"Padre"_s, u"Padre"_s, {}, {}}};
    declaration.parentField = u"Padre"_s;
    declaration.panelRows = [](const WorkPanel& panel, QString&) {
        return QList<QStringList>{{u"a de "_s + panel.parent(), panel.parent()}, {u"otra"_s, u"otro"_s}};
    };
    auto panel = openPanel(declaration, pickerKey(u"H 3"_s, QString()));
    ASSERT_EQ(panel->rowCount(), 1);
    EXPECT_EQ(panel->cellText(0, 0), u"a de H 3"_s);
}

}  // namespace
