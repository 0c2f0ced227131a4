// The client's statement: brought-forward balance, the period's transactions
// in date order with their running balance, totals and the ageing on file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ClientDocuments.h"
#include "reports/ReportFixture.h"

namespace vel::test {
namespace {

using report::BandKind;
using Rows = std::vector<std::vector<std::string>>;

class StatementTest : public ReportFixture {
 protected:
  report::Document statement(const std::string& id, std::int32_t from, std::int32_t to) {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = from;
    ctx.periodEnd = to;
    ReportProgress progress(ui, "Statement");
    report::Document doc = clientStatement(ctx, progress, id);
    EXPECT_FALSE(ctx.failed);
    return doc;
  }

  // The texts of the ageing band: headings, then values.
  static std::vector<std::string> ageingTexts(const report::Document& doc) {
    std::vector<std::string> out;
    for (const auto& b : doc.bands())
      if (b.kind == BandKind::Free)
        for (const auto& i : b.items)
          if (i.kind == report::Item::Kind::Text) out.push_back(i.text);
    return out;
  }

  void ageing(const std::string& id, double current, double p30, double p60, double p90,
              double p90plus) {
    add<rec::VelAge>([&](rec::VelAge& a) {
      a.CLIENT_ID = id;
      a.CURRENT = current;
      a.P30 = p30;
      a.P60 = p60;
      a.P90 = p90;
      a.P90PLUS = p90plus;
      a.TOTAL = current + p30 + p60 + p90 + p90plus;
    });
  }
};

TEST_F(StatementTest, BroughtForwardRunningBalanceInDateOrderAndTotals) {
  config("Velmora Burial Society", "12 Vilakazi Street", "Orlando East", "1804", "01");
  client("0042/MOK", "Active");
  client("0042/MOKA", "Active");  // a neighbour in key order, never on this statement
  // Before the period: 3 x 150 invoiced, 200 received -> 250.00 brought forward.
  entry("0042/MOK", day(2026, 1, 21), "Invoice", 150);
  entry("0042/MOK", day(2026, 2, 21), "Invoice", 150);
  entry("0042/MOK", day(2026, 2, 28), "Invoice", 150);
  entry("0042/MOK", day(2026, 2, 5), "Payment", 200);
  // Within the period, written out of date order; a deleted entry is off the ledger.
  entry("0042/MOK", day(2026, 3, 21), "Invoice", 150);
  entry("0042/MOK", day(2026, 3, 2), "Payment", 500.10);
  add<rec::VelTra>([&](rec::VelTra& t) {
    t.CLIENT_ID = "0042/MOK";
    t.DATE = day(2026, 3, 3);
    t.TYPE = "Payment";
    t.CREDIT = 99;
    t.DELETED = 1;
  });
  // After the period, and another client's.
  entry("0042/MOK", day(2026, 4, 21), "Invoice", 150);
  entry("0042/MOKA", day(2026, 3, 10), "Invoice", 999);
  ageing("0042/MOK", 150, 0, 0, 0, -250.10);

  const report::Document doc = statement("0042/MOK", day(2026, 3, 1), day(2026, 3, 31));
  EXPECT_EQ(doc.title, "Statement");
  ASSERT_EQ(doc.headerLines.size(), 2u);
  EXPECT_EQ(doc.headerLines[1], "Surname 0042/MOK (0042/MOK)");
  EXPECT_EQ(doc.periodText, "Period: 01/03/2026 to 31/03/2026");
  EXPECT_EQ(doc.rows(), (Rows{
                            {"", "Balance brought forward:", "", "", "250.00"},
                            {"02/03/2026", "Payment", "", "500.10", "-250.10"},
                            {"21/03/2026", "Invoice", "150.00", "", "-100.10"},
                        }));
  EXPECT_EQ(doc.rows(BandKind::ReportTotal),
            (Rows{{"", "TOTALS:", "150.00", "500.10", "-100.10"}}));
  EXPECT_EQ(ageingTexts(doc),
            (std::vector<std::string>{"Ageing", "Current", "150.00", "30 Days", "0.00", "60 Days",
                                      "0.00", "90 Days", "0.00", "90 Days Plus", "-250.10",
                                      "Total", "-100.10"}));
}

TEST_F(StatementTest, AQuietPeriodAndAClientWithoutAgeingStillPrintWhole) {
  client("0007/DUB", "Active");
  entry("0007/DUB", day(2026, 1, 21), "Invoice", 85);
  const report::Document doc = statement("0007/DUB", day(2026, 3, 1), day(2026, 3, 31));
  EXPECT_EQ(doc.rows(), (Rows{{"", "Balance brought forward:", "", "", "85.00"}}));
  EXPECT_EQ(doc.rows(BandKind::ReportTotal), (Rows{{"", "TOTALS:", "0.00", "0.00", "85.00"}}));
  const auto texts = ageingTexts(doc);
  ASSERT_EQ(texts.size(), 13u);
  for (std::size_t i = 2; i < texts.size(); i += 2) EXPECT_EQ(texts[i], "0.00");
}

}  // namespace
}  // namespace vel::test
