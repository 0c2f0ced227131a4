// The management report's four passes on records written into a data folder,
// and the menu item around them: period prompt, progress window, output.
#include "reports/ManagementReport.h"

#include "reports/ReportFixture.h"

namespace vel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class ManagementReport : public ReportFixture {
 protected:
  // Period 1/3/2026 to 15/3/2026, the default on the clock's day.
  ManagementFigures walk() {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = day(2026, 3, 1);
    ctx.periodEnd = day(2026, 3, 15);
    ReportProgress progress(ui, "test");
    return walkManagement(ctx, progress);
  }
  Rows rows() {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = day(2026, 3, 1);
    ctx.periodEnd = day(2026, 3, 15);
    ReportProgress progress(ui, "test");
    return managementDocument(ctx, walkManagement(ctx, progress)).rows();
  }
};

TEST_F(ManagementReport, TotalsThePeriodsLedgerSkippingDeletedEntries) {
  client("0001/AAA", "Active", day(2026, 3, 1), 145.00, 95.00);     // pays over 50 a payment
  client("0002/BBB", "Non Active", day(2026, 2, 28), 85.00, 55.00);  // pays over 30
  entry("0001/AAA", day(2026, 2, 28), "Invoice", 145.00);            // before the period
  entry("0001/AAA", day(2026, 3, 1), "Invoice", 145.00);
  entry("0002/BBB", day(2026, 3, 1), "Invoice", 85.00);
  entry("0001/AAA", day(2026, 3, 1), "Payment", 145.00, "", 14.50, 7.25);  // first day
  entry("0002/BBB", day(2026, 3, 15), "Payment", 85.00, "", 8.50, 4.25);   // last day
  entry("0001/AAA", day(2026, 3, 16), "Payment", 145.00, "", 14.50, 7.25); // after it
  entry("0001/AAA", day(2026, 3, 10), "Payment", 500.00, "DEL", 50.00, 25.00);
  entry("0002/BBB", day(2026, 3, 10), "Invoice", 999.00, "DEL");
  entry("0002/BBB", day(2026, 3, 11), "Journal", 1000.00);  // neither invoice nor payment

  EXPECT_EQ((Rows{{"Premiums Due", "230.00"},
                  {"Premiums Paid", "230.00"},
                  {"Premium Amount to Pay Over", "80.00"},
                  {"Gross Profit on Premiums", "150.00"},
                  {"Agent Commission", "23.00"},
                  {"Collector Commission", "11.50"},
                  {"Nett Profit", "115.50"},
                  {"Active", "1"},
                  {"Non Active", "1"},
                  {"Main Member Deceased", "0"},
                  {"Dependants Deceased", "0"},
                  {"Claims", "0"},
                  {"Amount", "0"},
                  {"Became Active during period", "1"},
                  {"Became Non Active during period", "0"}}),
            rows());
}

TEST_F(ManagementReport, PaymentOfAMissingClientAddsNothingToThePayOver) {
  client("0001/AAA", "Active", 0, 145.00, 95.00);
  entry("0001/AAA", day(2026, 3, 2), "Payment", 145.00);
  entry("0009/GON", day(2026, 3, 3), "Payment", 100.00);  // no such client
  entry("0001/AAA", day(2026, 3, 4), "Payment", 145.00);

  ManagementFigures m = walk();
  EXPECT_DOUBLE_EQ(390.00, m.premiumsPaid);
  EXPECT_DOUBLE_EQ(100.00, m.payOver);  // 2 x 50, not the previous client's 50 again
  EXPECT_EQ(1, m.paymentsWithoutClient);
}

TEST_F(ManagementReport, CountsDeathsOfThePeriodAsClaims) {
  // Main member and spouse both died in the period: two claims.
  client("0001/DEC", "Deceased", day(2026, 3, 5), 0, 0, day(2026, 3, 2));
  // Only the spouse, on the period's last day.
  client("0002/DEC", "Deceased", day(2026, 2, 20), 0, 0, day(2026, 3, 15));
  client("0003/DEC", "Deceased", day(2026, 2, 20), 0, 0, day(2026, 3, 16));
  // A spouse's death counts only on a deceased main member's record.
  client("0004/ACT", "Active", 0, 0, 0, day(2026, 3, 3));
  client("0005/NON", "Non Active", day(2026, 3, 1));
  client("0006/LAP", "Lapsed", day(2026, 3, 1));
  add<rec::VelChd>([&](rec::VelChd& c) {
    c.CLIENT_ID = "0004/ACT";
    c.ACTIVE = "Deceased";
    c.DATECHANGE = day(2026, 3, 10);
    c.C1_BENEFIT = 5000.00;
  });
  add<rec::VelChd>([&](rec::VelChd& c) {
    c.CLIENT_ID = "0004/ACT";
    c.ACTIVE = "Deceased";
    c.DATECHANGE = day(2026, 2, 28);
    c.C1_BENEFIT = 7500.00;
  });
  add<rec::VelChd>([&](rec::VelChd& c) {
    c.CLIENT_ID = "0004/ACT";
    c.ACTIVE = "Active";
    c.DATECHANGE = day(2026, 3, 10);
    c.C1_BENEFIT = 2500.00;
  });
  add<rec::VelExt>([&](rec::VelExt& e) {
    e.CLIENT_ID = "0004/ACT";
    e.ACTIVE = "Deceased";
    e.DATECHANGE = day(2026, 3, 1);
  });
  add<rec::VelExt>([&](rec::VelExt& e) {
    e.CLIENT_ID = "0004/ACT";
    e.ACTIVE = "Deceased";
    e.DATECHANGE = day(2026, 3, 16);
  });

  ManagementFigures m = walk();
  EXPECT_EQ(1, m.active);
  EXPECT_EQ(1, m.nonActive);
  EXPECT_EQ(0, m.becameActive);
  EXPECT_EQ(1, m.becameNonActive);
  EXPECT_EQ(1, m.mainDeceased);
  EXPECT_EQ(4, m.dependantsDeceased);  // two spouses, a child, one extended member
  EXPECT_EQ(5, m.claims);
  EXPECT_DOUBLE_EQ(45000.00, m.claimAmount);  // 20000 + 10000 + child's 5000 + 10000
}

TEST_F(ManagementReport, MainMemberAndSpouseDyingInThePeriodAreTwoFixedClaims) {
  client("0001/DEC", "Deceased", day(2026, 3, 5), 0, 0, day(2026, 3, 5));
  Rows r = rows();
  EXPECT_EQ((std::vector<std::string>{"Claims", "2"}), r[11]);
  EXPECT_EQ((std::vector<std::string>{"Amount", "20000"}), r[12]);
}

TEST_F(ManagementReport, ProgressAdvancesPerRecordOfEachPass) {
  for (int d = 1; d <= 4; ++d) entry("0001/AAA", day(2026, 3, d), "Invoice", 10.00);
  walk();
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Generating Report", ui.windows[0]->title);
  // Transactions: four reads of a quarter each; then clients, children and
  // extended family, each empty.
  EXPECT_EQ((std::vector<int>{0, 25, 50, 75, 100, 0, 0, 0}), ui.windows[0]->percents);
}

TEST_F(ManagementReport, MenuItemAsksThePeriodAndHandsOverOneDocument) {
  config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto 1804", "07");
  ui.onDateRange = [](DateRangeForm& f) { f.acceptPressed(); };

  printManagementReport(files, ui, clock, output);

  EXPECT_EQ(std::make_pair(day(2026, 3, 1), day(2026, 3, 15)), ui.rangeOpenedWith);
  ASSERT_EQ(1u, output.docs.size());
  const report::Document& doc = output.docs[0];
  EXPECT_EQ("MANAGEMENT REPORT", doc.title);
  EXPECT_EQ((std::vector<std::string>{
                "Thembeka Burial Society, 12 Vilakazi Street, Orlando East, Soweto"}),
            doc.headerLines);
  EXPECT_EQ("Period: 01/03/2026 to 15/03/2026", doc.periodText);
  EXPECT_EQ("Report Date/Time: 15/03/2026 10:30", doc.footerLine(1).left);
  EXPECT_EQ("07  [1.02]", doc.footerLine(1).centre);
  EXPECT_EQ(15u, doc.rows().size());
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Management Report, please wait ...", ui.windows[0]->text);
}

TEST_F(ManagementReport, CancelledPeriodEndsWithoutOutput) {
  ui.onDateRange = [](DateRangeForm& f) { f.cancelPressed(); };
  printManagementReport(files, ui, clock, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());
}

TEST_F(ManagementReport, DefaultPeriodOnTheFirstOfAMonthIsThatOneDay) {
  clock.set(day(2026, 4, 1), timeFromHms(8, 0, 0));
  ui.onDateRange = [](DateRangeForm& f) { f.cancelPressed(); };
  printManagementReport(files, ui, clock, output);
  EXPECT_EQ(1, ui.rangesShown);
  EXPECT_EQ(std::make_pair(day(2026, 4, 1), day(2026, 4, 1)), ui.rangeOpenedWith);
}

}  // namespace
}  // namespace vel::test
