// RCATEGOR on a real database file: rows in number order through the frame,
// the company name of the configuration record, failures kept for the caller.
#include "report_fixture.h"

namespace {

class RcategorTest : public ListingDatabaseTest {
protected:
    void SetUp() override
    {
        ListingDatabaseTest::SetUp();
        ASSERT_FALSE(database->execute("DELETE FROM CATEGORI"));
    }

    void addCategory(int number, const QVariant& description)
    {
        add("CATEGORI", {{"CatId", number}, {"CatDesc", description}});
    }

    void setCompany(int id, const QString& name)
    {
        ASSERT_FALSE(database->execute("DELETE FROM CONFIGUR WHERE CfId = ?", {id}));
        add("CONFIGUR", {{"CfId", id}, {"CfEmpresa", name}});
    }

    ListingRun run() const
    {
        ListingRun run = ListingRun::now(*database);
        run.user = "operador";
        run.emittedAt = QDateTime(QDate(2026, 12, 6), QTime(9, 30, 0));
        return run;
    }
};

TEST_F(RcategorTest, ListsEveryCategoryInNumberOrderUnderTheCompanyName)
{
    addCategory(12, "Oficiales");
    addCategory(3, "Peones");
    addCategory(7, QVariant());  // Null description
    addCategory(100, "Capataces  ");
    setCompany(0, "Construcciones del Plata S.A.");
    setCompany(1, "Otra empresa");

    const ListingResult result = RCATEGOR(view, run());
    ASSERT_TRUE(result.ok()) << result.errorMessage.toStdString();

    const ReportDocument& document = view.document();
    EXPECT_EQ(document.name, "Listado de Categorias");
    EXPECT_EQ(document.output, "SCR");
    EXPECT_EQ(document.language, "spa");
    ASSERT_EQ(document.pages.size(), 1);
    const ReportPage& page = document.pages.at(0);
    EXPECT_NE(page.findText("Construcciones del Plata S.A."), nullptr);
    EXPECT_EQ(page.findText("Otra empresa"), nullptr);
    EXPECT_NE(page.findText("OPERADOR"), nullptr);
    EXPECT_NE(page.findText("06/12/26"), nullptr);
    EXPECT_NE(page.findText("09:30:00"), nullptr);
    EXPECT_NE(page.findText("Categorías"), nullptr);

    const QList<QStringList> expected = {
        {"  3", "Peones"}, {"  7", ""}, {" 12", "Oficiales"}, {"100", "Capataces"}};
    EXPECT_EQ(detailLines(document), expected);
    const TextOperation* code = page.findText("  3");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->box.left, 211);
    EXPECT_EQ(code->font.name, "Courier New");
}

TEST_F(RcategorTest, AnEmptyTableGivesOnePageWithTheHeaderOnly)
{
    setCompany(0, "Empresa");
    ASSERT_TRUE(RCATEGOR(view, run()).ok());
    ASSERT_EQ(view.document().pages.size(), 1);
    EXPECT_TRUE(detailLines(view.document()).isEmpty());
    const ReportPage& page = view.document().pages.at(0);
    for (const char* header : {"Emitido:", "Categoría", "Descripción", "     1"})
        EXPECT_NE(page.findText(header), nullptr) << header;
}

TEST_F(RcategorTest, WithoutTheCompanyRecordTheListingStillPrints)
{
    ASSERT_FALSE(database->execute("DELETE FROM CONFIGUR"));
    addCategory(1, "Única");
    ASSERT_TRUE(RCATEGOR(view, run()).ok());
    // The page hands its texts out by value: keep the list while reading it.
    const QList<TextOperation> texts = view.document().pages.at(0).texts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.first().box, (PixelBox{25, 14, 374, 28}));
    EXPECT_EQ(texts.first().text, "");
    EXPECT_EQ(detailLines(view.document()), (QList<QStringList>{{"  1", "Única"}}));
}

TEST_F(RcategorTest, AMissingTableIsReportedAndNothingIsDrawn)
{
    ASSERT_FALSE(database->execute("DROP TABLE CATEGORI"));
    const ListingResult result = RCATEGOR(view, run());
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.errorCode, 0);
    EXPECT_FALSE(result.errorMessage.isEmpty());
    EXPECT_FALSE(view.isStarted());
    EXPECT_TRUE(view.document().pages.isEmpty());
}

}  // namespace
