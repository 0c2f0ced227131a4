// The cash count set against the run's receipts, in exact cents.
#include "PaymentsFixture.h"
#include "billing/Cashbox.h"

namespace vel::test {
namespace {

class CashboxTest : public PaymentsFixture {
 protected:
  FixedClock clock{today, at.time};
  // One R100, one R50, two R20, one R5 and, when asked, one C50.
  void countOf195(CashboxForm& f, bool withFiftyCents) {
    for (auto [i, n] : {std::pair{1, "1"}, {2, "1"}, {3, "2"}, {5, "1"}})
      ASSERT_TRUE(f.enterCount(i, n));
    if (withFiftyCents) {
      ASSERT_TRUE(f.enterCount(8, "1"));
    }
  }
};

TEST_F(CashboxTest, ExactCountAddsTheRecordWithoutAWarning) {
  CashboxForm f(files, ui, clock, "AG1", 150.00 + 45.50);
  countOf195(f, true);
  EXPECT_EQ(19550, f.cashCents());
  EXPECT_EQ(0, f.differenceCents());
  EXPECT_EQ(4000, f.lineCents(3));
  EXPECT_EQ(CashboxForm::Step::Close, f.ok());
  auto c = all<rec::Cashbox>();
  ASSERT_EQ(1u, c.size());
  EXPECT_EQ(today, c[0].DATE);
  EXPECT_EQ(c[0].CODE, "AG1");
  EXPECT_EQ(2, c[0].R20);
  EXPECT_EQ(1, c[0].C50);
  EXPECT_EQ(0, c[0].START);
}

TEST_F(CashboxTest, ShortCountWarnsAndIsStillKept) {
  CashboxForm f(files, ui, clock, "AG1", 195.50);
  countOf195(f, false);
  EXPECT_EQ(50, f.differenceCents());
  ui.expect("Cash Error", kOk, "Total cash entered when capturing receipts differs from coinage");
  EXPECT_EQ(CashboxForm::Step::Close, f.ok());
  auto c = all<rec::Cashbox>();
  ASSERT_EQ(1u, c.size());
  EXPECT_DOUBLE_EQ(195.50, c[0].IN_TOTAL);
  EXPECT_DOUBLE_EQ(195.00, c[0].CSH_TOTAL);
}

// Cent coins add up exactly where doubles would drift: 3 x C10 = 0.30.
TEST_F(CashboxTest, CentCoinsAddUpExactly) {
  CashboxForm f(files, ui, clock, "AG1", 0.30);
  ASSERT_TRUE(f.enterCount(10, "3"));
  EXPECT_EQ(0, f.differenceCents());
  EXPECT_EQ(CashboxForm::Step::Close, f.ok());
  EXPECT_DOUBLE_EQ(0.30, all<rec::Cashbox>()[0].CSH_TOTAL);
}

// A count the record cannot hold is refused with a box naming it; the count
// keeps its old value and nothing is written.
TEST_F(CashboxTest, CountsThatDoNotFitAreRefusedByValue) {
  CashboxForm f(files, ui, clock, "AG1", 0);
  ASSERT_TRUE(f.enterCount(0, "2"));
  ui.expect("Cashbox Error", kOk,
            "R 200: 40000 is more than one count can hold (at most 32767).|The count was not taken.");
  EXPECT_FALSE(f.enterCount(0, "40000"));
  ui.expect("Cashbox Error", kOk, "C 01: -3 is below zero.|The count was not taken.");
  EXPECT_FALSE(f.enterCount(13, "-3"));
  ui.expect("Cashbox Error", kOk);
  EXPECT_FALSE(f.enterCount(1, "1.5"));
  EXPECT_EQ(2, f.count(0));
  EXPECT_EQ(40000, f.cashCents());
  ASSERT_TRUE(f.enterCount(0, "32767"));
  EXPECT_TRUE(all<rec::Cashbox>().empty());
}

TEST_F(CashboxTest, AgentCodeMustBeAnAgentOnFile) {
  add<rec::Agent>([](rec::Agent& a) { a.CODE = "AG1"; });
  CashboxForm f(files, ui, clock, "", 0);
  EXPECT_FALSE(f.enterAgent("XX9"));
  EXPECT_TRUE(f.enterAgent("ag1"));
  EXPECT_EQ(f.record().CODE, "AG1");
}

}  // namespace
}  // namespace vel::test

#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"

namespace vel::test {
namespace {

// The list's own form refuses a count that does not fit the same way, and
// nothing is stored.
TEST_F(CashboxTest, ListFormRefusesACountThatDoesNotFit) {
  Catalog catalog;
  addCashbox(catalog);
  const FormDecl& form = *catalog.form(kCashboxForm);
  int r200 = -1;
  {
    FormCycle probe(files, ui, form, Request::Insert);
    for (std::size_t i = 0; i < probe.entries().size(); ++i)
      if (probe.entries()[i]->field == "R200") r200 = static_cast<int>(i);
  }
  ASSERT_GE(r200, 0);
  runFormWith(files, ui, form, Request::Insert, {}, [&](FormCycle& c) {
    // Beyond what the record holds: the cycle itself refuses the text.
    ui.expect("Invalid Entry", kOk, "R 200 must lie between -32768 and 32767");
    EXPECT_FALSE(c.enter(r200, "40000"));
    // A count the record could hold but no cashbox can: the form's check.
    ASSERT_TRUE(c.enter(r200, "-3"));
    ui.expect("Cashbox Error", kOk, "R 200: -3 cannot be counted.|A count must be from 0 to 32767.");
    EXPECT_FALSE(c.accept(r200));
    ui.expect("Changes will be lost!", kYes);
    c.leave();
  });
  EXPECT_TRUE(all<rec::Cashbox>().empty());
}

}  // namespace
}  // namespace vel::test
