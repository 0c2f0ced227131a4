// A policy's premium follows from its plan row, its children and the hamper
// add-on, and is counted once however often it is worked out.
#include <optional>
#include <string>

#include "members/PlanPremium.h"
#include "members/PlanFixture.h"
#include "support/FileDamage.h"

namespace vel::test {
namespace {

class PlanPremium : public PlanFixture {
 protected:
  void SetUp() override {
    plan("A", "Single", 85.00, 55.00, 8.50, 10000);
    plan("A", "Family", 145.00, 95.00, 14.50, 10000);
    plan("A", "Family 10", 285.00, 185.00, 28.50, 10000);
    plan("B", "Family", 215.00, 145.00, 21.50, 7500);
    plan("HAM", "Hamper", 150.00, 0, 0, 0);
  }

  // The rows of plan `code` as the plan list shows them, in key order.
  std::vector<rec::Plan> rowsOf(const std::string& code) {
    std::vector<rec::Plan> rows;
    for (const rec::Plan& p : readAll<rec::Plan>(files))
      if (p.PLAN == code) rows.push_back(p);
    return rows;
  }

  // A family policy with five free children and a sixth at 25.00 / 20.00.
  rec::VelCli familyWithSixChildren() {
    for (int i = 1; i <= 5; ++i) child("0042/MOK", i);
    child("0042/MOK", 6, 25.00, 20.00);
    child("0043/DLA", 6, 99.00, 99.00);  // another policy's child
    return policy("0042/MOK", "A", "Family");
  }
};

TEST_F(PlanPremium, PickingTheSecondRowOfAPlanTakesThatRowsOptionAndAmounts) {
  const auto rows = rowsOf("A");
  ASSERT_EQ(3u, rows.size());
  rec::VelCli c = policy("0042/MOK", "", "");
  c.MYCOMM = 3.00;
  ASSERT_EQ(kDone, pickPlan(files, c, planPickOf(rows[1])));
  EXPECT_EQ("A", c.PLAN);
  EXPECT_EQ("Family", c.OPTION);
  EXPECT_DOUBLE_EQ(145.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(95.00, c.PREMTOPAY);
  EXPECT_DOUBLE_EQ(10000, c.BENEFIT);
  EXPECT_DOUBLE_EQ(145.00, c.PLANPREM);
  EXPECT_DOUBLE_EQ(0, c.HAMPER);
  EXPECT_DOUBLE_EQ(3.00, c.MYCOMM);  // the row's commission is not stored
}

TEST_F(PlanPremium, HamperAddOnIsBilledWithThePremiumUntilTheHamperLedgerBillsIt) {
  rec::VelCli c = policy("0042/MOK", "", "");
  c.HAM_BYTE = 1;
  ASSERT_EQ(kDone, pickPlan(files, c, planPickOf(rowsOf("B")[0])));
  EXPECT_DOUBLE_EQ(215.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(150.00, c.HAMPER);
  EXPECT_DOUBLE_EQ(365.00, c.PLANPREM);

  // Once copied to the hamper scheme, the contribution is billed there alone.
  hamperMember("0042/MOK");
  ASSERT_EQ(kDone, pickPlan(files, c, planPickOf(rowsOf("B")[0])));
  EXPECT_DOUBLE_EQ(150.00, c.HAMPER);
  EXPECT_DOUBLE_EQ(215.00, c.PLANPREM);
}

TEST_F(PlanPremium, ChildrensPremiumsAreCountedOnceHoweverOftenTheStatusIsSet) {
  rec::VelCli c = familyWithSixChildren();
  c.PREMIUM = 170.00;  // stored already with the sixth child in it
  c.PREMTOPAY = 115.00;
  c.HAM_BYTE = 1;
  c.HAMPER = 150.00;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(kDone, recomputePremium(files, c, std::nullopt));
    EXPECT_DOUBLE_EQ(170.00, c.PREMIUM) << "pass " << i;
    EXPECT_DOUBLE_EQ(115.00, c.PREMTOPAY) << "pass " << i;
    // The sixth child's premium is billed, and so is the hamper add-on.
    EXPECT_DOUBLE_EQ(320.00, c.PLANPREM) << "pass " << i;
  }
}

TEST_F(PlanPremium, PlanPickedOnTheFormIsTheStartingPointAndChildrenComeWithIt) {
  rec::VelCli c = familyWithSixChildren();
  ASSERT_EQ(kDone, pickPlan(files, c, planPickOf(rowsOf("B")[0])));
  EXPECT_DOUBLE_EQ(240.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(165.00, c.PREMTOPAY);
  EXPECT_DOUBLE_EQ(240.00, c.PLANPREM);
  // The status set afterwards starts from the picked row, not the table's.
  ASSERT_EQ(kDone, recomputePremium(files, c, PlanRate{200.00, 150.00}));
  EXPECT_DOUBLE_EQ(225.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(170.00, c.PREMTOPAY);
}

TEST_F(PlanPremium, PlanAFamily10ChildrenRideFreeInEitherFormOfThePlanCode) {
  for (const char* code : {"A", "Plan A"}) {
    rec::VelCli c = familyWithSixChildren();
    c.PLAN = code;
    c.OPTION = "Family 10";
    c.PREMIUM = 999.00;
    ASSERT_EQ(kDone, recomputePremium(files, c, std::nullopt)) << code;
    EXPECT_DOUBLE_EQ(285.00, c.PREMIUM) << code;
    EXPECT_DOUBLE_EQ(185.00, c.PREMTOPAY) << code;
    EXPECT_DOUBLE_EQ(285.00, c.PLANPREM) << code;
  }
}

TEST_F(PlanPremium, APlanNoLongerInTheTableLeavesThePremiumAsItIs) {
  rec::VelCli c = familyWithSixChildren();
  c.PLAN = "C";
  c.PREMIUM = 310.00;
  c.PREMTOPAY = 220.00;
  c.PLANPREM = 310.00;
  EXPECT_EQ(kRefused, recomputePremium(files, c, std::nullopt));
  EXPECT_DOUBLE_EQ(310.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(220.00, c.PREMTOPAY);
  EXPECT_DOUBLE_EQ(310.00, c.PLANPREM);
}

TEST_F(PlanPremium, OptionIsMatchedAsTheOfficeTypedIt) {
  std::optional<PlanRate> rate;
  ASSERT_EQ(kDone, readPlanRate(files, "Plan A", "family ", rate));
  ASSERT_TRUE(rate);
  EXPECT_DOUBLE_EQ(145.00, rate->premium);
  ASSERT_EQ(kDone, readPlanRate(files, "A", "Family 1", rate));
  EXPECT_FALSE(rate);
}

TEST(PlanPremiumSums, AreKeptAtCents) {
  rec::VelCli c{};
  c.PLAN = "A";
  c.OPTION = "Family";
  c.HAMPER = 0.1;
  setPolicyPremium(c, PlanRate{0.1, 0.2}, ChildPremiums{0.2, 0.1}, false);
  EXPECT_EQ(0.3, c.PREMIUM.value);  // 0.1 + 0.2 is 0.30000000000000004 unrounded
  EXPECT_EQ(0.3, c.PREMTOPAY.value);
  EXPECT_EQ(0.4, c.PLANPREM.value);
}

}  // namespace
}  // namespace vel::test

namespace vel::test {
namespace {

// Children that cannot be read (another station holds the file) stop the
// premium being worked out: the policy keeps what it had and the clerk is
// told why, instead of the premium dropping to the plan's alone.
TEST_F(PlanPremium, ChildrenHeldByAnotherStationLeaveThePremiumAsItIs) {
  rec::VelCli c = familyWithSixChildren();
  c.PREMIUM = 170.00;
  c.PLANPREM = 170.00;
  FileManager& chd = files.fm<rec::VelChd>();
  FileUse keepOpen(chd);
  ASSERT_GT(chd.Records(), 0);
  ExclusiveLock other(chd.path());
  ASSERT_TRUE(other.take());
  ui.expect("Record not read", kOk);
  EXPECT_EQ(kFailed, recomputePremium(files, c, std::nullopt));
  EXPECT_DOUBLE_EQ(170.00, c.PREMIUM);
  EXPECT_DOUBLE_EQ(170.00, c.PLANPREM);
}

}  // namespace
}  // namespace vel::test
