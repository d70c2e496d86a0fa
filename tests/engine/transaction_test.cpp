// What the engine does for any declaration beyond what categories use:
// composite keys and a rule on one of them, reference fields with their list,
// notices, hooks, and a write that the database refuses.
#include "engine/transaction.h"
#include "tables/categories.h"

#include "engine_fixture.h"

using namespace Qt::StringLiterals;

namespace {

/// A form over CARGOSFU: the employee's category is a reference to CATEGORI
/// and a missing position is only a notice.
const TransactionDecl& employeePositionForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TPRUEBA"_s;
        declaration.title = u"Cargo de funcionario"_s;
        declaration.table = u"CARGOSFU"_s;
        FieldDecl employee = keyField(u"FunId"_s, u"Funcionario"_s, u"ZZZZZ9"_s);
        FieldDecl line = keyField(u"FunAL"_s, u"Línea"_s, u"Z9"_s);
        FieldDecl category;
        category.name = u"FunCatId"_s;
        category.label = u"Categoría"_s;
        category.picture = u"ZZ9"_s;
        category.kind = FieldKind::Reference;
        category.reference.table = u"CATEGORI"_s;
        category.reference.missingName = u"Categorias"_s;
        category.reference.listObject = u"WCATEGOR"_s;
        category.reference.descriptionField = u"CatDesc"_s;
        FieldDecl position;
        position.name = u"FunCarId"_s;
        position.label = u"Cargo"_s;
        position.picture = u"ZZZ9"_s;
        position.kind = FieldKind::Number;
        position.rule = [](Transaction& form) {
            return form.value(u"FunCarId"_s).toInt() == 0 ? FieldVerdict::refuse(u"Aviso: No ingresó el cargo."_s)
                                                          : FieldVerdict::ok();
        };
        declaration.fields = {employee, line, category, position};
        declaration.keyMissingMessage = u"Falta funcionario"_s;
        declaration.audit.insert = u"Agrega cargo de funcionario "_s;
        declaration.audit.parts = {{u"FunCatId"_s, u", categoría = "_s}, {u"FunCarId"_s, u", cargo = "_s}};
        declaration.hooks.beforeStore += [](Transaction&, RecordCursor& record) { record.setValue(u"PTCarId"_s, 99); };
        return declaration;
    }();
    return form;
}

class TransactionTest : public EngineTest {
protected:
    std::unique_ptr<Transaction> newEmployeePosition(const QString& category, const QString& position)
    {
        auto form = std::make_unique<Transaction>(employeePositionForm(), *database, ui);
        form->start(u"0"_s, u"INS"_s);
        form->setText(1, u"100"_s);
        form->setText(2, u"1"_s);
        // Leaving the key reads the record: a new one starts empty.
        EXPECT_TRUE(form->focusEntered(3));
        form->setText(3, category);
        form->setText(4, position);
        return form;
    }

    QVariantList employeeRow()
    {
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT FunCatId, FunCarId, PTCarId FROM CARGOSFU WHERE FunId = 100 AND FunAL = 1"_s));
        if (!query.next())
            return {};
        return {query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
    }
};

TEST_F(TransactionTest, AMissingReferenceOffersItsListKeepsTheFocusAndTakesTheChoice)
{
    addCategory(5, u"Peones"_s);
    // No: the list is not opened. Yes, and the list left without a choice:
    // still missing. Either way the focus stays on the reference.
    auto form = newEmployeePosition(u"8"_s, u"12"_s);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    ui.onCall(u"WCATEGOR"_s, [](QString&, QString&) {});
    ui.answer(true);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.calledObjects(), QStringList{u"WCATEGOR"_s});
    EXPECT_EQ(form->takeFocusRequest(), 3);
    EXPECT_EQ(form->validationStage(), 3);
    EXPECT_TRUE(employeeRow().isEmpty());

    ui.clear();
    QString keyGiven;
    ui.onCall(u"WCATEGOR"_s, [&](QString& key, QString&) {
        keyGiven = key;
        key = u"5"_s;
    });
    ui.answer(true);
    ASSERT_TRUE(form->focusEntered(4));
    EXPECT_EQ(form->text(3), u"  5"_s);
    EXPECT_EQ(form->referenceDescription(3), u"Peones"_s);
    ASSERT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), QStringList{u"No existe Categorias. DESEA VISUALIZAR?"_s});
    EXPECT_EQ(keyGiven, u"8"_s);
    EXPECT_EQ(employeeRow(), (QVariantList{5, 12, 99})) << "the hook set the field the screen does not hold";
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega cargo de funcionario 100 1, categoría = 5, cargo = 12"_s});
}

TEST_F(TransactionTest, ANoticeIsShownButNeverStopsTheConfirm)
{
    addCategory(5, u"Peones"_s);
    auto form = newEmployeePosition(u"5"_s, u"0"_s);
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{u"Aviso: No ingresó el cargo."_s});
    EXPECT_EQ(employeeRow(), (QVariantList{5, 0, 99}));
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega cargo de funcionario 100 1, categoría = 5"_s});
}

TEST_F(TransactionTest, FocusRunsTheFieldsBeforeItInOrderAndStopsAtTheFirstFailure)
{
    auto form = std::make_unique<Transaction>(employeePositionForm(), *database, ui);
    form->start(u"0"_s, u"INS"_s);
    form->setText(1, u"100"_s);
    EXPECT_FALSE(form->focusEntered(4)) << "the line of the key is missing";
    EXPECT_EQ(ui.texts(), QStringList{u"Falta funcionario"_s});
    EXPECT_EQ(form->takeFocusRequest(), 2);
    EXPECT_EQ(form->validationStage(), 2);
    EXPECT_EQ(countRows(u"CARGOSFU"_s), 0);
}

TEST_F(TransactionTest, AFieldChangedAfterItsValidationIsValidatedAgain)
{
    addCategory(5, u"Peones"_s);
    auto form = newEmployeePosition(u"5"_s, u"12"_s);
    ASSERT_TRUE(form->focusEntered(4));
    ASSERT_EQ(form->validationStage(), 4);

    // Back in the category with the mouse: a category that does not exist.
    form->setText(3, u"8"_s);
    EXPECT_EQ(form->validationStage(), 3);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe Categorias. DESEA VISUALIZAR?"_s});
    EXPECT_TRUE(employeeRow().isEmpty());

    // Typing the same value again does not send validation back.
    form->setText(3, u"5"_s);
    ASSERT_TRUE(form->focusEntered(4));
    form->setText(3, u"5"_s);
    EXPECT_EQ(form->validationStage(), 4);
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(employeeRow(), (QVariantList{5, 12, 99}));
}

TEST_F(TransactionTest, AKeyTakenByAnotherWorkstationAfterValidationIsReportedAndNotAudited)
{
    Transaction form(TCATEGOR(), *database, ui);
    form.start(u"0"_s, u"INS"_s);
    form.setText(1, u"9"_s);
    ASSERT_TRUE(form.focusEntered(2));
    form.setText(2, u"Mía"_s);

    std::unique_ptr<Database> other = openConnection();
    QString error;
    ASSERT_TRUE(insertRow(*other, u"CATEGORI"_s, {{u"CatId"_s, 9}, {u"CatDesc"_s, u"Suya"_s}}, &error));

    EXPECT_FALSE(form.confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Ya existe el registro"_s});
    EXPECT_EQ(categoryDescription(9), u"Suya"_s);
    EXPECT_EQ(countRows(u"AUDITORI"_s), 0);
    EXPECT_FALSE(form.isClosed());
    EXPECT_EQ(form.text(2), u"Mía"_s) << "the screen keeps what was typed";
    EXPECT_FALSE(database->inTransaction());
}

}  // namespace

namespace {

/// Text keys, code lists and dates, over FICCOD and LOCALES.
const TransactionDecl& annotationForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TPRUEBA2"_s;
        declaration.table = u"FICCOD"_s;
        FieldDecl allowed;
        allowed.name = u"FicAutoges"_s;
        allowed.label = u"Se permite consultar"_s;
        allowed.kind = FieldKind::CodeList;
        allowed.choices = {{1, u"Si"_s}, {0, u"No"_s}};
        declaration.fields = {keyField(u"FicCod"_s, u"Código"_s, u"!!!!!!"_s),
                              textField(u"FicDesc"_s, u"Descripción"_s), allowed};
        declaration.keyMissingMessage = u"Falta código"_s;
        declaration.audit.insert = u"Agrega código de anotación "_s;
        declaration.audit.modify = u"Modifica código de anotación "_s;
        declaration.audit.parts = {{u"FicDesc"_s, u", descripción = "_s},
                                   {u"FicAutoges"_s, u", se permite consultar = "_s}};
        return declaration;
    }();
    return form;
}

const TransactionDecl& localeForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TPRUEBA3"_s;
        declaration.table = u"LOCALES"_s;
        FieldDecl opened;
        opened.name = u"LocFchInic"_s;
        opened.label = u"Fecha inicio"_s;
        opened.picture = u"dd/mm/yyyy"_s;
        opened.kind = FieldKind::Date;
        declaration.fields = {keyField(u"LocId"_s, u"Local"_s, u"ZZ9"_s),
                              textField(u"LocDesc"_s, u"Descripción"_s, u"Falta descripción"_s), opened};
        declaration.keyMissingMessage = u"Falta número de local"_s;
        return declaration;
    }();
    return form;
}

TEST_F(TransactionTest, TextKeysAndCodeListsAreStoredAsTheirValues)
{
    Transaction form(annotationForm(), *database, ui);
    form.start(u""_s, u"INS"_s);
    ASSERT_TRUE(form.setText(1, u"ab1"_s));
    ASSERT_TRUE(form.focusEntered(2));
    form.setText(2, u"Licencia"_s);
    EXPECT_FALSE(form.setText(3, u"Quizás"_s));
    ASSERT_TRUE(form.setText(3, u"si"_s));
    EXPECT_EQ(form.text(3), u"Si"_s);
    ASSERT_TRUE(form.confirm());

    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(u"SELECT FicCod, FicAutoges FROM FICCOD"_s)) && query.next());
    EXPECT_EQ(query.value(0).toString().trimmed(), u"AB1"_s);
    EXPECT_EQ(query.value(1).toInt(), 1);
    EXPECT_EQ(auditTexts(),
              QStringList{u"Agrega código de anotación AB1, descripción = Licencia, se permite consultar = Si"_s});

    // Changing only the code names only the code.
    Transaction change(annotationForm(), *database, ui);
    change.start(u"AB1"_s, u"UPD"_s);
    ASSERT_EQ(change.text(2), u"Licencia"_s);
    change.setText(3, u"No"_s);
    ASSERT_TRUE(change.confirm());
    EXPECT_EQ(auditTexts().last(), u"Modifica código de anotación AB1, se permite consultar = No"_s);
}

TEST_F(TransactionTest, DatesAreReadThroughTheirPictureAndInvalidOnesRefused)
{
    Transaction form(localeForm(), *database, ui);
    form.start(u"0"_s, u"INS"_s);
    form.setText(1, u"3"_s);
    ASSERT_TRUE(form.focusEntered(2));
    EXPECT_EQ(form.text(3), QString()) << "a new record has no date";
    form.setText(2, u"Casa central"_s);
    QString error;
    EXPECT_FALSE(form.setText(3, u"31/02/2026"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(form.setText(3, u"5/3/2026"_s));
    EXPECT_EQ(form.text(3), u"05/03/2026"_s);
    ASSERT_TRUE(form.confirm());

    Transaction shown(localeForm(), *database, ui);
    shown.start(u"3"_s, u"DSP"_s);
    EXPECT_EQ(shown.value(u"LocFchInic"_s).toDate(), QDate(2026, 3, 5));
    EXPECT_EQ(shown.text(3), u"05/03/2026"_s);
}

/// Keyed by two fields; a rule on the first refuses type "Z".
const TransactionDecl& twoKeyForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TPRUEBA4");
        declaration.table = QStringLiteral("ACUMHL");
        FieldDecl type = keyField(QStringLiteral("AcuTipo"), QStringLiteral("Tipo"), {});
        type.rule = [](Transaction& form) {
            return form.value(QStringLiteral("AcuTipo")).toString() == QStringLiteral("Z")
                ? FieldVerdict::refuse(QStringLiteral("Tipo inválido"))
                : FieldVerdict::ok();
        };
        declaration.fields = {type, keyField(QStringLiteral("AcuId"), QStringLiteral("Nº"), QStringLiteral("Z9")),
                              textField(QStringLiteral("AcuDesc"), QStringLiteral("Descripción"))};
        declaration.keyMissingMessage = QStringLiteral("Falta clave");
        return declaration;
    }();
    return form;
}

TEST_F(TransactionTest, ARuleOnAKeyFieldRefusesBeforeTheKeyIsSought)
{
    Transaction form(twoKeyForm(), *database, ui);
    form.start(QStringLiteral("0"), QStringLiteral("INS"));
    form.setText(QStringLiteral("AcuTipo"), QStringLiteral("Z"));
    form.setText(QStringLiteral("AcuId"), QStringLiteral("1"));
    EXPECT_FALSE(form.focusEntered(3));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Tipo inválido")});
    EXPECT_EQ(form.takeFocusRequest(), 1);
}

}  // namespace
