// What the engine does for any declaration beyond what categories use:
// composite keys, reference fields with their list, notices, hooks, and a
// write that the database refuses.
#include "engine/transaction.h"
#include "tables/categories.h"

#include "engine_fixture.h"

namespace {

/// A form over CARGOSFU: the employee's category is a reference to CATEGORI
/// and a missing position is only a notice.
const TransactionDecl& employeePositionForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TPRUEBA");
        declaration.title = QStringLiteral("Cargo de funcionario");
        declaration.table = QStringLiteral("CARGOSFU");
        FieldDecl employee = keyField(QStringLiteral("FunId"), QStringLiteral("Funcionario"), QStringLiteral("ZZZZZ9"));
        FieldDecl line = keyField(QStringLiteral("FunAL"), QStringLiteral("Línea"), QStringLiteral("Z9"));
        FieldDecl category;
        category.name = QStringLiteral("FunCatId");
        category.label = QStringLiteral("Categoría");
        category.picture = QStringLiteral("ZZ9");
        category.kind = FieldKind::Reference;
        category.reference.table = QStringLiteral("CATEGORI");
        category.reference.missingName = QStringLiteral("Categorias");
        category.reference.listObject = QStringLiteral("WCATEGOR");
        category.reference.descriptionField = QStringLiteral("CatDesc");
        FieldDecl position;
        position.name = QStringLiteral("FunCarId");
        position.label = QStringLiteral("Cargo");
        position.picture = QStringLiteral("ZZZ9");
        position.kind = FieldKind::Number;
        position.rule = [](Transaction& form) {
            return form.value(QStringLiteral("FunCarId")).toInt() == 0
                ? FieldVerdict::refuse(QStringLiteral("Aviso: No ingresó el cargo."))
                : FieldVerdict::ok();
        };
        declaration.fields = {employee, line, category, position};
        declaration.keyMissingMessage = QStringLiteral("Falta funcionario");
        declaration.audit.insert = QStringLiteral("Agrega cargo de funcionario ");
        declaration.audit.parts = {{QStringLiteral("FunCatId"), QStringLiteral(", categoría = ")},
                                   {QStringLiteral("FunCarId"), QStringLiteral(", cargo = ")}};
        declaration.hooks.beforeStore += [](Transaction&, RecordCursor& record) {
            record.setValue(QStringLiteral("PTCarId"), 99);
        };
        return declaration;
    }();
    return form;
}

class TransactionTest : public EngineTest {
protected:
    std::unique_ptr<Transaction> newEmployeePosition(const QString& category, const QString& position)
    {
        auto form = std::make_unique<Transaction>(employeePositionForm(), *database, ui);
        form->start(QStringLiteral("0"), QStringLiteral("INS"));
        form->setText(1, QStringLiteral("100"));
        form->setText(2, QStringLiteral("1"));
        // Leaving the key reads the record: a new one starts empty.
        EXPECT_TRUE(form->focusEntered(3));
        form->setText(3, category);
        form->setText(4, position);
        return form;
    }

    QVariantList employeeRow()
    {
        QSqlQuery query(database->connection());
        query.exec(sql(QStringLiteral("SELECT FunCatId, FunCarId, PTCarId FROM CARGOSFU WHERE FunId = 100 AND FunAL = 1")));
        if (!query.next())
            return {};
        return {query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
    }
};

TEST_F(TransactionTest, MissingReferenceOffersItsListAndTakesTheChoice)
{
    addCategory(5, QStringLiteral("Peones"));
    QString keyGiven;
    ui.onCall(QStringLiteral("WCATEGOR"), [&](QString& key, QString&) {
        keyGiven = key;
        key = QStringLiteral("5");
    });
    ui.answer(true);
    auto form = newEmployeePosition(QStringLiteral("8"), QStringLiteral("12"));
    ASSERT_TRUE(form->focusEntered(4));
    EXPECT_EQ(form->text(3), QStringLiteral("  5"));
    EXPECT_EQ(form->referenceDescription(3), QStringLiteral("Peones"));
    ASSERT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("No existe Categorias. DESEA VISUALIZAR?")});
    EXPECT_EQ(keyGiven, QStringLiteral("8"));
    EXPECT_EQ(employeeRow(), (QVariantList{5, 12, 99})) << "the hook set the field the screen does not hold";
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega cargo de funcionario 100 1, categoría = 5, cargo = 12")});
}

TEST_F(TransactionTest, ReferenceStillMissingAfterTheListOrRefusedKeepsTheFocus)
{
    ui.onCall(QStringLiteral("WCATEGOR"), [](QString&, QString&) {});
    ui.answer(true);
    auto form = newEmployeePosition(QStringLiteral("8"), QStringLiteral("12"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(form->takeFocusRequest(), 3);
    EXPECT_EQ(form->validationStage(), 3);

    ui.clear();
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_TRUE(ui.calledObjects().isEmpty()) << "No does not open the list";
    EXPECT_TRUE(employeeRow().isEmpty());
}

TEST_F(TransactionTest, ANoticeIsShownButNeverStopsTheConfirm)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = newEmployeePosition(QStringLiteral("5"), QStringLiteral("0"));
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{QStringLiteral("Aviso: No ingresó el cargo.")});
    EXPECT_EQ(employeeRow(), (QVariantList{5, 0, 99}));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega cargo de funcionario 100 1, categoría = 5")});
}

TEST_F(TransactionTest, FocusRunsTheFieldsBeforeItInOrderAndStopsAtTheFirstFailure)
{
    auto form = std::make_unique<Transaction>(employeePositionForm(), *database, ui);
    form->start(QStringLiteral("0"), QStringLiteral("INS"));
    form->setText(1, QStringLiteral("100"));
    EXPECT_FALSE(form->focusEntered(4)) << "the line of the key is missing";
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Falta funcionario")});
    EXPECT_EQ(form->takeFocusRequest(), 2);
    EXPECT_EQ(form->validationStage(), 2);
    EXPECT_EQ(countRows(QStringLiteral("CARGOSFU")), 0);
}

TEST_F(TransactionTest, AFieldChangedAfterItsValidationIsValidatedAgain)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = newEmployeePosition(QStringLiteral("5"), QStringLiteral("12"));
    ASSERT_TRUE(form->focusEntered(4));
    ASSERT_EQ(form->validationStage(), 4);

    // Back in the category with the mouse: a category that does not exist.
    form->setText(3, QStringLiteral("8"));
    EXPECT_EQ(form->validationStage(), 3);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("No existe Categorias. DESEA VISUALIZAR?")});
    EXPECT_TRUE(employeeRow().isEmpty());

    // Typing the same value again does not send validation back.
    form->setText(3, QStringLiteral("5"));
    ASSERT_TRUE(form->focusEntered(4));
    form->setText(3, QStringLiteral("5"));
    EXPECT_EQ(form->validationStage(), 4);
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(employeeRow(), (QVariantList{5, 12, 99}));
}

TEST_F(TransactionTest, AKeyTakenByAnotherWorkstationAfterValidationIsReportedAndNotAudited)
{
    Transaction form(TCATEGOR(), *database, ui);
    form.start(QStringLiteral("0"), QStringLiteral("INS"));
    form.setText(1, QStringLiteral("9"));
    ASSERT_TRUE(form.focusEntered(2));
    form.setText(2, QStringLiteral("Mía"));

    std::unique_ptr<Database> other = openConnection();
    QString error;
    ASSERT_TRUE(insertRow(*other, QStringLiteral("CATEGORI"),
                          {{QStringLiteral("CatId"), 9}, {QStringLiteral("CatDesc"), QStringLiteral("Suya")}}, &error));

    EXPECT_FALSE(form.confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Ya existe el registro")});
    EXPECT_EQ(categoryDescription(9), QStringLiteral("Suya"));
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
    EXPECT_FALSE(form.isClosed());
    EXPECT_EQ(form.text(2), QStringLiteral("Mía")) << "the screen keeps what was typed";
    EXPECT_FALSE(database->inTransaction());
}

}  // namespace

namespace {

/// Text keys, code lists and dates, over FICCOD and LOCALES.
const TransactionDecl& annotationForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TPRUEBA2");
        declaration.table = QStringLiteral("FICCOD");
        FieldDecl allowed;
        allowed.name = QStringLiteral("FicAutoges");
        allowed.label = QStringLiteral("Se permite consultar");
        allowed.kind = FieldKind::CodeList;
        allowed.choices = {{1, QStringLiteral("Si")}, {0, QStringLiteral("No")}};
        declaration.fields = {keyField(QStringLiteral("FicCod"), QStringLiteral("Código"), QStringLiteral("!!!!!!")),
                              textField(QStringLiteral("FicDesc"), QStringLiteral("Descripción")), allowed};
        declaration.keyMissingMessage = QStringLiteral("Falta código");
        declaration.audit.insert = QStringLiteral("Agrega código de anotación ");
        declaration.audit.modify = QStringLiteral("Modifica código de anotación ");
        declaration.audit.parts = {{QStringLiteral("FicDesc"), QStringLiteral(", descripción = ")},
                                   {QStringLiteral("FicAutoges"), QStringLiteral(", se permite consultar = ")}};
        return declaration;
    }();
    return form;
}

const TransactionDecl& localeForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TPRUEBA3");
        declaration.table = QStringLiteral("LOCALES");
        FieldDecl opened;
        opened.name = QStringLiteral("LocFchInic");
        opened.label = QStringLiteral("Fecha inicio");
        opened.picture = QStringLiteral("dd/mm/yyyy");
        opened.kind = FieldKind::Date;
        declaration.fields = {keyField(QStringLiteral("LocId"), QStringLiteral("Local"), QStringLiteral("ZZ9")),
                              textField(QStringLiteral("LocDesc"), QStringLiteral("Descripción"),
                                        QStringLiteral("Falta descripción")),
                              opened};
        declaration.keyMissingMessage = QStringLiteral("Falta número de local");
        return declaration;
    }();
    return form;
}

TEST_F(TransactionTest, TextKeysAndCodeListsAreStoredAsTheirValues)
{
    Transaction form(annotationForm(), *database, ui);
    form.start(QStringLiteral(""), QStringLiteral("INS"));
    ASSERT_TRUE(form.setText(1, QStringLiteral("ab1")));
    ASSERT_TRUE(form.focusEntered(2));
    form.setText(2, QStringLiteral("Licencia"));
    EXPECT_FALSE(form.setText(3, QStringLiteral("Quizás")));
    ASSERT_TRUE(form.setText(3, QStringLiteral("si")));
    EXPECT_EQ(form.text(3), QStringLiteral("Si"));
    ASSERT_TRUE(form.confirm());

    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(QStringLiteral("SELECT FicCod, FicAutoges FROM FICCOD"))) && query.next());
    EXPECT_EQ(query.value(0).toString().trimmed(), QStringLiteral("AB1"));
    EXPECT_EQ(query.value(1).toInt(), 1);
    EXPECT_EQ(auditTexts(),
              QStringList{QStringLiteral("Agrega código de anotación AB1, descripción = Licencia, se permite consultar = Si")});

    // Changing only the code names only the code.
    Transaction change(annotationForm(), *database, ui);
    change.start(QStringLiteral("AB1"), QStringLiteral("UPD"));
    ASSERT_EQ(change.text(2), QStringLiteral("Licencia"));
    change.setText(3, QStringLiteral("No"));
    ASSERT_TRUE(change.confirm());
    EXPECT_EQ(auditTexts().last(), QStringLiteral("Modifica código de anotación AB1, se permite consultar = No"));
}

TEST_F(TransactionTest, DatesAreReadThroughTheirPictureAndInvalidOnesRefused)
{
    Transaction form(localeForm(), *database, ui);
    form.start(QStringLiteral("0"), QStringLiteral("INS"));
    form.setText(1, QStringLiteral("3"));
    ASSERT_TRUE(form.focusEntered(2));
    EXPECT_EQ(form.text(3), QString()) << "a new record has no date";
    form.setText(2, QStringLiteral("Casa central"));
    QString error;
    EXPECT_FALSE(form.setText(3, QStringLiteral("31/02/2026"), &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(form.setText(3, QStringLiteral("5/3/2026")));
    EXPECT_EQ(form.text(3), QStringLiteral("05/03/2026"));
    ASSERT_TRUE(form.confirm());

    Transaction shown(localeForm(), *database, ui);
    shown.start(QStringLiteral("3"), QStringLiteral("DSP"));
    EXPECT_EQ(shown.value(QStringLiteral("LocFchInic")).toDate(), QDate(2026, 3, 5));
    EXPECT_EQ(shown.text(3), QStringLiteral("05/03/2026"));
}

}  // namespace
