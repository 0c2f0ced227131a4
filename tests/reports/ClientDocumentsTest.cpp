// The print-outs of one client: the statement (brought-forward balance, the
// period's transactions in date order with their running balance, totals and
// the ageing on file), the information sheet and the collection card.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "reports/ClientDocuments.h"
#include "reports/CollectionCards.h"
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

// The information sheet gathers the holder, spouse, beneficiary, agent and
// dependants of one client only, with ages on the report date.
TEST_F(StatementTest, InfoSheetGathersTheClientsPeopleAndOnlyHis) {
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.CLIENT_ID = "0042/MOK";
    c.SURNAME = "Mokoena";
    c.FIRSTNAME = "Thabo";
    c.ID_NUMBER = "8001015800085";
    c.DOB = day(1980, 1, 1);
    c.PLAN = "A";
    c.OPTION = "Family";
    c.PLANPREM = 161;
    c.WAIT_DATE = day(2025, 6, 3);
    c.H_ADDR3 = "Soweto";
    c.H_CODE = 804;
    c.S_SURNAME = "Mokoena";
    c.S_FIRSTNAME = "Lerato";
    c.S_DOB = day(1982, 3, 16);  // 43 on 15/03/2026: the birthday is tomorrow
    c.AGE_FNAME = "Lesego";
    c.AGE_SURNAME = "Mokwena";
    c.AGE_CODE = "AG1";
  });
  client("0042/MOKA", "Active");
  auto child = [&](const std::string& id, const std::string& first, double premium) {
    add<rec::VelChd>([&](rec::VelChd& k) {
      k.CLIENT_ID = id;
      k.C1_FIRSTNAME = first;
      k.C1_SURNAME = "Mokoena";
      k.C1_DOB = day(2016, 3, 15);
      k.PREMIUM = premium;
    });
  };
  child("0042/MOK", "Neo", 0);
  child("0042/MOKA", "Other", 0);
  child("0042/MOK", "Karabo", 16);

  ReportContext ctx(files, ui, clock);
  ReportProgress progress(ui, "Client Information");
  const report::Document doc = clientInfoSheet(ctx, progress, "0042/MOK");
  ASSERT_FALSE(ctx.failed);
  const Rows rows = doc.rows();
  auto has = [&](std::vector<std::string> row) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
  };
  EXPECT_TRUE(has({"Client No", "0042/MOK", "Plan", "A - Family"}));
  EXPECT_TRUE(has({"Age", "46", "Gender", ""}));
  EXPECT_TRUE(has({"", "Soweto 0804", "", ""}));
  EXPECT_TRUE(has({"Total Premium", "161.00", "Commencement", "03/06/2025"}));
  EXPECT_TRUE(has({"Introduced by", "Lesego Mokwena", "Agent Code", "AG1"}));
  EXPECT_TRUE(has({"Age", "43", "Gender", ""}));
  EXPECT_TRUE(has({"Neo Mokoena", "", "Age 10", "Premium 0.00"}));
  EXPECT_TRUE(has({"Karabo Mokoena", "", "Age 10", "Premium 16.00"}));
  for (const auto& r : rows) EXPECT_NE(r[0], "Other Mokoena");
  // No extended family on file: no heading for it.
  for (const auto& b : doc.bands()) EXPECT_NE(b.text, "Extended Family");
}

// One client's collection card is the card of the period's run, laid out
// alone, and leaves the run's work file as it was.
TEST_F(StatementTest, OneClientsCollectionCardMatchesThePeriodsCard) {
  config("Velmora Burial Society", "", "", "", "01");
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.CLIENT_ID = "0042/MOK";
    c.SURNAME = "Mokoena";
    c.DATE = day(2026, 3, 2);
    c.PLANPREM = 161;
    c.ROUTE = "Soweto North";
  });
  ReportContext ctx(files, ui, clock);
  ctx.periodStart = ctx.periodEnd = day(2026, 3, 2);
  ReportProgress progress(ui, "Cards");
  const report::Document period = collectionCards(ctx, progress);
  const std::int64_t workRecords = [&] {
    FileUse use(files.fm<rec::CliRout>());
    return files.fm<rec::CliRout>().Records();
  }();
  const report::Document one = clientCollectionCard(ctx, progress, "0042/MOK");
  ASSERT_FALSE(ctx.failed);
  ASSERT_EQ(one.bands().size(), 1u);
  ASSERT_EQ(period.bands().size(), 1u);
  std::vector<std::string> a, b;
  for (const auto& i : one.bands()[0].items) a.push_back(i.text);
  for (const auto& i : period.bands()[0].items) b.push_back(i.text);
  EXPECT_EQ(a, b);
  EXPECT_NE(std::find(a.begin(), a.end(), "R161.00"), a.end()) << ::testing::PrintToString(a);
  FileUse use(files.fm<rec::CliRout>());
  EXPECT_EQ(files.fm<rec::CliRout>().Records(), workRecords);
}

// The scheme's wording comes from the data folder's text file, section by
// section, and falls back to plain texts where the file says nothing.
TEST_F(StatementTest, SchemeTextsAreReadBySectionWithPlainDefaults) {
  {
    std::ofstream out(dir.file(kSchemeTextsFile));
    out << "[Scheme]\r\nThembeka Burial Society\r\n[terms]\nCover starts after the\n"
           "waiting period.\n\nPremiums are due monthly.\n[Unknown]\nignored\n";
  }
  const SchemeTexts t = readSchemeTexts(dir.path(), "Configured Name");
  EXPECT_EQ(t.scheme, "Thembeka Burial Society");
  EXPECT_EQ(t.terms, (std::vector<std::string>{"Cover starts after the waiting period.",
                                               "Premiums are due monthly."}));
  ASSERT_EQ(t.declaration.size(), 1u);  // the plain default
  EXPECT_FALSE(t.claim.empty());

  const SchemeTexts none = readSchemeTexts(dir.path() + "/nowhere", "Configured Name");
  EXPECT_EQ(none.scheme, "Configured Name");
}

TEST(PlanAgeText, LettersAndPlanNamesAlike) {
  EXPECT_EQ(planAgeText("A"), "<64");
  EXPECT_EQ(planAgeText("Plan A"), "<64");
  EXPECT_EQ(planAgeText("plan b "), "65 - 74");
  EXPECT_EQ(planAgeText("C"), ">75");
  EXPECT_EQ(planAgeText("D"), "");
  EXPECT_EQ(planAgeText("HAM"), "");
  EXPECT_EQ(planAgeText(""), "");
}

// The pack: certificate, claim form and personal details on pages of their
// own, the work number standing in for a blank home number.
TEST_F(StatementTest, PolicyPackHasItsThreePartsAndTheContactRule) {
  config("Velmora Burial Society", "", "", "", "01");
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.CLIENT_ID = "0042/MOK";
    c.SURNAME = "Mokoena";
    c.FIRSTNAME = "Thabo";
    c.PLAN = "A";
    c.OPTION = "Family";
    c.PLANPREM = 161;
    c.PHONE_WORK = "011 222 3333";
    c.WAIT_DATE = day(2025, 6, 3);
  });
  ReportContext ctx(files, ui, clock);
  ReportProgress progress(ui, "Documentation");
  const report::Document doc = policyPack(ctx, progress, "0042/MOK");
  ASSERT_FALSE(ctx.failed);
  EXPECT_EQ(doc.headerLines, (std::vector<std::string>{"Velmora Burial Society"}));
  std::vector<std::string> parts;
  int breaks = 0;
  for (const auto& b : doc.bands()) {
    if (b.kind == BandKind::GroupHeader) parts.push_back(b.text);
    if (b.kind == BandKind::PageBreak) ++breaks;
  }
  EXPECT_EQ(breaks, 2);
  for (const char* want : {"Application Certificate", "Claim Form", "Personal Details"})
    EXPECT_NE(std::find(parts.begin(), parts.end(), want), parts.end()) << want;
  const Rows rows = doc.rows();
  auto has = [&](std::vector<std::string> row) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
  };
  EXPECT_TRUE(has({"Plan", "A <64", "Option", "Family"}));
  EXPECT_TRUE(has({"Postal Address", "", "Contact No", "011 222 3333"}));
  EXPECT_TRUE(has({"", "", "Monthly Premium", "161.00"}));
  EXPECT_TRUE(has({"", "", "Commence Date", "03/06/2025"}));
  EXPECT_EQ(report::paginate(doc).size(), 3u);
}

}  // namespace
}  // namespace vel::test
