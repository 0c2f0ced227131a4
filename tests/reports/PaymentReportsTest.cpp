// The payment reports of a route: who is listed as not having paid in a
// period or in the three months up to an action date, which payments are
// listed as paid and how they are totalled, and the menu items' selections.
#include "reports/PaymentReports.h"

#include "reports/IssuedReceipts.h"
#include "reports/PaymentFixture.h"

namespace vel::test {
namespace {

class PremiumsNotPaid : public PaymentFixture {
 protected:
  Rows run() {
    pickers.route = "Soweto North";
    printPremiumsNotPaid(files, ui, clock, pickers, output);
    EXPECT_EQ(1u, output.docs.size());
    return output.docs.empty() ? Rows{} : output.docs.back().rows();
  }
};

TEST_F(PremiumsNotPaid, ListsActiveClientsOfTheRouteWithNoPaymentInThePeriod) {
  // Period 01/03/2026 to 15/03/2026, the default on the clock's day.
  member("0001/AAA", "Active", "Soweto North");
  payment("0001/AAA", day(2026, 3, 1), 145.00);  // first day: paid
  member("0002/BBB", "Active", "Soweto North");
  payment("0002/BBB", day(2026, 3, 15), 145.00);  // last day: paid
  member("0003/CCC", "Active", "Soweto North", "12 Vilakazi Street", "", "Orlando East");
  payment("0003/CCC", day(2026, 2, 28), 120.00);
  payment("0003/CCC", day(2026, 3, 16), 150.00);  // after the period: the latest payment
  payment("0003/CCC", day(2026, 1, 31), 110.00);
  member("0004/DDD", "Active", "Soweto North", "4 Mofolo Road");  // never paid
  member("0005/EEE", "Active", "Tembisa");                        // another route
  member("0006/FFF", "Non Active", "Soweto North");
  member("0007/GGG", "Active", "Soweto North");
  payment("0007/ggg", day(2026, 3, 5), 145.00);  // the client key ignores case

  EXPECT_EQ((Rows{{"0003/CCC", "Surname 0003", "Thandi", "150.00",
                   "12 Vilakazi Street, Orlando East"},
                  {"0004/DDD", "Surname 0004", "Thandi", "", "4 Mofolo Road"}}),
            run());
  const report::Document& doc = output.docs[0];
  EXPECT_EQ("PREMIUMS NOT PAID", doc.title);
  EXPECT_EQ((std::vector<std::string>{"Route: Soweto North"}), doc.headerLines);
  EXPECT_EQ("Period: 01/03/2026 to 15/03/2026", doc.periodText);
}

TEST_F(PremiumsNotPaid, AClientsPaymentsEndWhereTheNextClientsBegin) {
  // The first client has no payments; reading from its place in the payment
  // key must not take the next client's payment as its own.
  member("0001/AAA", "Active", "Soweto North");
  member("0002/BBB", "Active", "Soweto North");
  payment("0002/BBB", day(2026, 3, 3), 145.00);
  member("0003/CCC", "Active", "Soweto North");
  payment("0001/AA", day(2026, 3, 3), 145.00);  // a shorter identifier sorting just before

  EXPECT_EQ((Rows{{"0001/AAA", "Surname 0001", "Thandi", "", ""},
                  {"0003/CCC", "Surname 0003", "Thandi", "", ""}}),
            run());
}

TEST_F(PremiumsNotPaid, AsksRouteThenPeriodAndCancellingEitherPrintsNothing) {
  member("0001/AAA", "Active", "Soweto North");
  printPremiumsNotPaid(files, ui, clock, pickers, output);  // no route chosen
  EXPECT_EQ((std::vector<std::string>{"route"}), asked);
  EXPECT_TRUE(output.docs.empty());

  asked.clear();
  pickers.route = "Soweto North";
  cancelPeriod = true;
  printPremiumsNotPaid(files, ui, clock, pickers, output);
  EXPECT_EQ((std::vector<std::string>{"route", "period"}), asked);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  cancelPeriod = false;
  periodStart = day(2026, 2, 1);
  periodEnd = day(2026, 2, 28);
  printPremiumsNotPaid(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_EQ("Period: 01/02/2026 to 28/02/2026", output.docs[0].periodText);
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Generating Report", ui.windows[0]->title);
  EXPECT_EQ("Printing Premiums Not Paid, please wait ...", ui.windows[0]->text);
  // One step per client read.
  EXPECT_EQ((std::vector<int>{0, 100}), ui.windows[0]->percents);
}

TEST_F(PremiumsNotPaid, RouteWithNobodyStillGivesAPage) {
  member("0001/AAA", "Active", "Tembisa");
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(1u, report::paginate(output.docs[0]).size());
}

class PremiumsNotPaid3 : public PaymentFixture {
 protected:
  // Action date 15/03/2026; the window starts 91 days earlier, 14/12/2025.
  Rows run() {
    pickers.route = "Soweto North";
    pickers.actionDate = day(2026, 3, 15);
    printPremiumsNotPaid3(files, ui, clock, pickers, output);
    EXPECT_EQ(1u, output.docs.size());
    return output.docs.empty() ? Rows{} : output.docs.back().rows();
  }
};

TEST_F(PremiumsNotPaid3, WindowIsTheNinetyTwoDaysEndingOnTheActionDate) {
  const std::int32_t action = day(2026, 3, 15);
  ASSERT_EQ(day(2025, 12, 14), notPaidWindowStart(action));
  member("0001/AAA", "Active", "Soweto North");
  payment("0001/AAA", action - 91, 145.00);  // first day of the window
  member("0002/BBB", "Active", "Soweto North");
  payment("0002/BBB", action - 92, 140.00);  // the day before it
  member("0003/CCC", "Active", "Soweto North");
  payment("0003/CCC", action, 145.00);  // the action date itself
  member("0004/DDD", "Active", "Soweto North");
  payment("0004/DDD", action + 1, 135.00);  // after the action date

  EXPECT_EQ((Rows{{"0002/BBB", "Surname 0002", "Thandi", "140.00", ""},
                  {"0004/DDD", "Surname 0004", "Thandi", "135.00", ""}}),
            run());
  const report::Document& doc = output.docs[0];
  EXPECT_EQ("PREMIUMS NOT PAID FOR 3 MONTHS", doc.title);
  EXPECT_EQ("End Period: 15/03/2026", doc.periodText);
  EXPECT_EQ((std::vector<std::string>{"Route: Soweto North"}), doc.headerLines);
}

TEST_F(PremiumsNotPaid3, AsksRouteThenActionDateStartingFromToday) {
  member("0001/AAA", "Active", "Soweto North");
  payment("0001/AAA", day(2026, 1, 10), 145.00);
  pickers.route = "Soweto North";
  printPremiumsNotPaid3(files, ui, clock, pickers, output);  // action date cancelled
  EXPECT_EQ((std::vector<std::string>{"route", "action date"}), asked);
  EXPECT_EQ(clock.today(), pickers.actionOpenedWith);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  // An action date far on: the January payment is older than the window.
  pickers.actionDate = day(2026, 6, 30);
  printPremiumsNotPaid3(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_EQ((Rows{{"0001/AAA", "Surname 0001", "Thandi", "145.00", ""}}), output.docs[0].rows());
  EXPECT_EQ(0, ui.rangesShown);
}

class PremiumsPaid : public PaymentFixture {
 protected:
  const report::Document& run() {
    pickers.route = "Soweto North";
    printPremiumsPaid(files, ui, clock, pickers, output);
    EXPECT_EQ(1u, output.docs.size());
    return output.docs.back();
  }
};

TEST_F(PremiumsPaid, ListsThePeriodsPaymentsOfTheRouteInDateOrderWithTotals) {
  member("0001/AAA", "Active", "Soweto North");
  member("0002/BBB", "Non Active", "Soweto North");  // any status: the route decides
  member("0003/CCC", "Active", "Tembisa");
  payment("0002/BBB", day(2026, 3, 15), 85.00, "SEL");     // last day, paid self
  payment("0001/AAA", day(2026, 3, 1), 145.00);            // first day
  payment("0001/AAA", day(2026, 2, 28), 145.00);           // before the period
  payment("0001/AAA", day(2026, 3, 16), 145.00);           // after it
  payment("0003/CCC", day(2026, 3, 5), 99.00);             // another route
  payment("0001/AAA", day(2026, 3, 7), 145.00, "", 1);     // marked double

  const report::Document& doc = run();
  EXPECT_EQ("PREMIUMS PAID", doc.title);
  EXPECT_EQ("Period: 01/03/2026 to 15/03/2026", doc.periodText);
  EXPECT_EQ((std::vector<std::string>{"Route: Soweto North"}), doc.headerLines);
  EXPECT_EQ("Policy Holder", doc.columns[4].heading);
  EXPECT_EQ("Paid Self", doc.columns[5].heading);
  EXPECT_EQ((Rows{{"0001/AAA", "Surname 0001", "Thandi", "01/03/2026", "145.00", "", ""},
                  {"0001/AAA", "Surname 0001", "Thandi", "07/03/2026", "145.00", "",
                   "Double Payment"},
                  {"0002/BBB", "Surname 0002", "Thandi", "15/03/2026", "", "85.00", ""}}),
            doc.rows());
  EXPECT_EQ((Rows{{"", "", "Total", "", "290.00", "85.00", ""}}),
            doc.rows(report::BandKind::ReportTotal));
}

TEST_F(PremiumsPaid, PaymentOfAMissingClientIsNotTakenForThePreviousClient) {
  member("0001/AAA", "Active", "Soweto North");
  payment("0001/AAA", day(2026, 3, 2), 145.00);
  payment("0009/GON", day(2026, 3, 3), 100.00);  // no such client
  payment("0001/aaa", day(2026, 3, 4), 145.00);  // found without regard to case

  const report::Document& doc = run();
  EXPECT_EQ((Rows{{"0001/AAA", "Surname 0001", "Thandi", "02/03/2026", "145.00", "", ""},
                  {"0001/aaa", "Surname 0001", "Thandi", "04/03/2026", "145.00", "", ""}}),
            doc.rows());
  EXPECT_EQ((Rows{{"", "", "Total", "", "290.00", "0.00", ""}}),
            doc.rows(report::BandKind::ReportTotal));
}

TEST_F(PremiumsPaid, AsksRouteThenPeriodAndAnEmptyPeriodPrintsZeroTotals) {
  pickers.route = std::nullopt;
  printPremiumsPaid(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_EQ(0, ui.rangesShown);

  asked.clear();
  const report::Document& doc = run();
  EXPECT_EQ((std::vector<std::string>{"route", "period"}), asked);
  EXPECT_TRUE(doc.rows().empty());
  EXPECT_EQ((Rows{{"", "", "Total", "", "0.00", "0.00", ""}}),
            doc.rows(report::BandKind::ReportTotal));
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Premiums Paid, please wait ...", ui.windows[0]->text);
}

class IssuedReceipts : public PaymentFixture {
 protected:
  void issue(const std::string& code, int number, std::int32_t issued, std::int32_t received = 0,
             double amount = 0, const std::string& client = "") {
    add<rec::AgeIss>([&](rec::AgeIss& r) {
      r.CODE = code;
      r.NUMBER = number;
      r.DATE_ISS = issued;
      r.DATE_REC = received;
      r.AMOUNT = amount;
      r.CLIENT_ID = client;
      r.PREFIX = "A";
    });
  }
};

TEST_F(IssuedReceipts, ListsTheChosenAgentsReceiptsOnly) {
  issue("AG1", 101, day(2026, 3, 2));  // a code sorting before the chosen one
  issue("AG2", 501, day(2026, 3, 2), day(2026, 3, 9), 145.00, "0001/AAA");
  issue("AG2", 502, day(2026, 3, 2));
  issue("ag2", 503, day(2026, 3, 3));  // the code key ignores case
  issue("AG3", 901, day(2026, 3, 2));  // the next agent's book
  pickers.agent = "AG2";

  printIssuedReceipts(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  const report::Document& doc = output.docs[0];
  EXPECT_EQ("Issued Receipts", doc.title);
  EXPECT_EQ("Agent: AG2", doc.periodText);
  EXPECT_EQ((Rows{{"501", "0001/AAA", "145.00", "02/03/2026", "09/03/2026"},
                  {"502", "", "0.00", "02/03/2026", ""},
                  {"503", "", "0.00", "03/03/2026", ""}}),
            doc.rows());
  EXPECT_EQ((std::vector<std::string>{"agent"}), asked);
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Issued Receipts, please wait ...", ui.windows[0]->text);
}

TEST_F(IssuedReceipts, NoAgentChosenPrintsNothingAndAnAgentWithoutBooksAPage) {
  issue("AG1", 101, day(2026, 3, 2));
  printIssuedReceipts(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  pickers.agent = "AG0";
  printIssuedReceipts(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_TRUE(output.docs[0].rows().empty());
  EXPECT_EQ(1u, report::paginate(output.docs[0]).size());
}

}  // namespace
}  // namespace vel::test
