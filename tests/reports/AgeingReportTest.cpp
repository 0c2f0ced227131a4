// The ageing report of a route: which clients owe, their arrears by age with
// negative amounts signed, the column totals and the header.
#include "reports/AgeingReport.h"

#include "reports/PaymentFixture.h"

namespace vel::test {
namespace {

class AgeingReport : public PaymentFixture {
 protected:
  void ageing(const std::string& id, double current, double p30, double p60, double p90,
              double p90plus, double total) {
    add<rec::VelAge>([&](rec::VelAge& a) {
      a.CLIENT_ID = id;
      a.CURRENT = current;
      a.P30 = p30;
      a.P60 = p60;
      a.P90 = p90;
      a.P90PLUS = p90plus;
      a.TOTAL = total;
    });
  }
  const report::Document& run() {
    pickers.route = "Soweto North";
    printAgeing(files, ui, clock, pickers, output);
    EXPECT_EQ(1u, output.docs.size());
    return output.docs.back();
  }
};

TEST_F(AgeingReport, ListsOwingClientsOfTheRouteAndTotalsEachColumn) {
  config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
  member("0001/AAA", "Active", "Soweto North");
  member("0002/BBB", "Non Active", "Soweto North");
  member("0003/CCC", "Active", "Tembisa");
  member("0004/DDD", "Active", "Soweto North");
  member("0005/EEE", "Active", "Soweto North");
  member("0007/GGG", "Active", "Soweto North");
  ageing("0004/DDD", 145.00, 0, 0, 0, 0, 0);             // nothing owed in total
  ageing("0001/AAA", 145.00, 145.00, 0, 0, 0, 290.00);
  ageing("0003/CCC", 99.00, 0, 0, 0, 0, 99.00);          // another route
  ageing("0002/BBB", -20.00, 0, 0, 145.00, 1234.56, 1359.56);
  ageing("0005/EEE", -145.00, 0, 0, 0, 0, -145.00);      // paid ahead
  ageing("0006/FFF", 50.00, 0, 0, 0, 0, 50.00);          // client gone: on no route
  ageing("0007/GGG", 0.01, 0, 0, 0, 0, 0.01);

  const report::Document& doc = run();
  EXPECT_EQ("AGEING REPORT", doc.title);
  EXPECT_EQ((std::vector<std::string>{"Thembeka Burial Society, 12 Vilakazi Street, Orlando "
                                      "East, Soweto"}),
            doc.headerLines);
  EXPECT_EQ("Route: Soweto North", doc.periodText);
  std::vector<std::string> headings;
  for (const report::Column& c : doc.columns) headings.push_back(c.heading);
  EXPECT_EQ((std::vector<std::string>{"Ref No", "Surname", "First Name", "Current", "30 days",
                                      "60 days", "90 days", "+90 days", "Total"}),
            headings);
  EXPECT_EQ((Rows{{"0001/AAA", "Surname 0001", "Thandi", "145.00", "145.00", "0.00", "0.00",
                   "0.00", "290.00"},
                  {"0002/BBB", "Surname 0002", "Thandi", "-20.00", "0.00", "0.00", "145.00",
                   "1234.56", "1359.56"},
                  {"0007/GGG", "Surname 0007", "Thandi", "0.01", "0.00", "0.00", "0.00", "0.00",
                   "0.01"}}),
            doc.rows());
  EXPECT_EQ((Rows{{"", "", "Total", "125.01", "145.00", "0.00", "145.00", "1234.56",
                   "1649.57"}}),
            doc.rows(report::BandKind::ReportTotal));
}

TEST_F(AgeingReport, NoRouteChosenPrintsNothingAndAnEmptyRouteZeroTotals) {
  member("0001/AAA", "Active", "Tembisa");
  ageing("0001/AAA", 145.00, 0, 0, 0, 0, 145.00);
  printAgeing(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  const report::Document& doc = run();
  EXPECT_TRUE(doc.rows().empty());
  EXPECT_EQ((Rows{{"", "", "Total", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}}),
            doc.rows(report::BandKind::ReportTotal));
  EXPECT_EQ(1u, report::paginate(doc).size());
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Ageing, please wait ...", ui.windows[0]->text);
  EXPECT_EQ((std::vector<int>{0, 100}), ui.windows[0]->percents);
}

}  // namespace
}  // namespace vel::test
