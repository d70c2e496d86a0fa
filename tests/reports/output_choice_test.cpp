// The program-wide output of listings: every listing, whatever its table,
// starts its job with the output chosen last, and a refused printer job
// draws nothing.
#include "report_fixture.h"
#include "reports/users_listing.h"

namespace {

/// An output that records the jobs it was asked to start and refuses them
/// when told to (a printer job without a printer).
class RecordingOutput : public ReportOutput {
public:
    bool accept = true;
    QStringList asked;  ///< the output of each job, in order
    QList<ReportDocument> delivered;

    bool canStart(const JobSettings& settings) override
    {
        asked.append(settings.output);
        return accept;
    }
    void deliver(const ReportDocument& document) override { delivered.append(document); }
};

class OutputChoiceTest : public ListingDatabaseTest {
protected:
    void TearDown() override
    {
        ReportOutputChoice::set("SCR");
        ListingDatabaseTest::TearDown();
    }

    /// Runs every listing of the program and the users listing to `output`.
    void printEverything()
    {
        for (const ListingEntry& listing : Listings::all()) {
            KQRView listingView(&output);
            const ListingResult result = listing.run(listingView, ListingRun::now(*database));
            ASSERT_TRUE(result.ok()) << listing.name.toStdString() << ": " << result.errorMessage.toStdString();
        }
        KQRView usersView(&output);
        ASSERT_TRUE(RUSUARIO(usersView, ListingRun::now(*database), {{"ANA", "Ana", "SUPERVISOR", false}}).ok());
    }

    RecordingOutput output;
};

TEST_F(OutputChoiceTest, EveryListingFollowsTheChoiceMadeLast)
{
    ASSERT_FALSE(Listings::all().isEmpty());
    const int jobs = static_cast<int>(Listings::all().size()) + 1;
    EXPECT_EQ(ReportOutputChoice::current(), "SCR") << "listings go to the screen unless the printer is chosen";

    ReportOutputChoice::set(" prn ");
    ASSERT_EQ(ReportOutputChoice::current(), "PRN");
    ASSERT_NO_FATAL_FAILURE(printEverything());
    EXPECT_EQ(output.asked, QStringList(jobs, "PRN"));
    ASSERT_EQ(output.delivered.size(), jobs);
    for (const ReportDocument& document : output.delivered)
        EXPECT_EQ(document.output, "PRN") << document.name.toStdString();

    output.asked.clear();
    output.delivered.clear();
    ReportOutputChoice::set("cualquiera");
    EXPECT_EQ(ReportOutputChoice::current(), "SCR") << "anything but PRN is the screen";
    ASSERT_NO_FATAL_FAILURE(printEverything());
    EXPECT_EQ(output.asked, QStringList(jobs, "SCR"));
    for (const ReportDocument& document : output.delivered)
        EXPECT_EQ(document.output, "SCR") << document.name.toStdString();

    // A caller that names its output keeps it whatever the choice.
    ReportOutputChoice::set("PRN");
    EXPECT_EQ(ListingRun::now(*database, "SCR").output, "SCR");
}

TEST_F(OutputChoiceTest, APrinterJobTheOutputRefusesDeliversNothing)
{
    ReportOutputChoice::set("PRN");
    output.accept = false;
    ASSERT_NO_FATAL_FAILURE(printEverything());
    EXPECT_EQ(output.asked.size(), Listings::all().size() + 1);
    EXPECT_TRUE(output.delivered.isEmpty());
}

}  // namespace
