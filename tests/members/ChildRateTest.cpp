// A child's benefit and premium come from the children's plan table by age
// group; the first five children ride free; a blank identity number rates
// nothing.
#include "members/ChildRate.h"
#include "members/PlanFixture.h"

namespace vel::test {
namespace {

class ChildRateTest : public PlanFixture {
 protected:
  void SetUp() override {
    childPlan("A", "0 - 11 Mth", 8.00, 5.00, 1.00, 2500);
    childPlan("A", "1 - 5", 10.00, 6.50, 1.00, 5000);
    childPlan("A", "6 - 13", 25.00, 20.00, 1.50, 7500);
    childPlan("A", "14 - 26", 15.00, 10.00, 10000, 12000);
    childPlan("B", "1 - 5", 12.00, 8.00, 1.50, 4000);
  }

  // A child already rated once, so that "left as it is" can be seen.
  static rec::VelChd rated(int number) {
    rec::VelChd c{};
    c.CLIENT_ID = "0042/MOK";
    c.NUMBER = number;
    c.C1_ID_NUMBER = "1503125009087";
    c.C1_AGE = 7;
    c.C1_BENEFIT = 111;
    c.PREMIUM = 22;
    c.PREM2PAY = 33;
    return c;
  }
};

TEST(ChildAgeGroup, BandsOfTheChildrensTable) {
  const std::pair<int, const char*> cases[] = {
      {-1, "0 - 11 Mth"}, {0, "0 - 11 Mth"}, {1, "1 - 5"},    {5, "1 - 5"},  {6, "6 - 13"},
      {13, "6 - 13"},     {14, "14 - 26"},   {26, "14 - 26"}, {27, ""},      {80, ""},
  };
  for (const auto& [age, group] : cases) EXPECT_EQ(group, childAgeGroup(age)) << age;
}

TEST_F(ChildRateTest, RatesByAgeGroupAndOnlyFromTheSixthChild) {
  struct Case {
    int age, number;
    double benefit, premium, prem2pay;
  };
  const Case cases[] = {
      {0, 1, 2500, 0, 0},          {0, 6, 2500, 8.00, 5.00},
      {3, 2, 5000, 0, 0},          {10, 5, 7500, 0, 0},
      {10, 6, 7500, 25.00, 20.00}, {12, 9, 7500, 25.00, 20.00},
      // The oldest group's benefit is kept in the commission column.
      {20, 3, 10000, 0, 0},        {26, 7, 10000, 15.00, 10.00},
      // Past 26: no group, the money fields stay as they were.
      {27, 8, 111, 22, 33},
  };
  for (const Case& k : cases) {
    rec::VelChd c = rated(k.number);
    ASSERT_EQ(kDone, ChildRate(files, c, "A", k.age));
    EXPECT_EQ(k.age, c.C1_AGE.value);
    EXPECT_DOUBLE_EQ(k.benefit, c.C1_BENEFIT) << "age " << k.age << " child " << k.number;
    EXPECT_DOUBLE_EQ(k.premium, c.PREMIUM) << "age " << k.age << " child " << k.number;
    EXPECT_DOUBLE_EQ(k.prem2pay, c.PREM2PAY) << "age " << k.age << " child " << k.number;
  }
}

TEST_F(ChildRateTest, NoRowForThePlanOrGroupGivesNothing) {
  for (const char* plan : {"C", "B", ""}) {
    rec::VelChd c = rated(6);
    ASSERT_EQ(kDone, ChildRate(files, c, plan, 9)) << plan;  // B has no "6 - 13" row
    EXPECT_DOUBLE_EQ(0, c.C1_BENEFIT) << plan;
    EXPECT_DOUBLE_EQ(0, c.PREMIUM) << plan;
    EXPECT_DOUBLE_EQ(0, c.PREM2PAY) << plan;
  }
  rec::VelChd c = rated(6);
  ASSERT_EQ(kDone, ChildRate(files, c, "Plan B", 4));  // a long-form plan finds "B"
  EXPECT_DOUBLE_EQ(12.00, c.PREMIUM);
}

TEST_F(ChildRateTest, BlankIdentityNumberComputesNoAgeAndNoRating) {
  rec::VelChd c = rated(6);
  c.C1_ID_NUMBER = "   ";
  // The age a blank number "gives" is meaningless; it must not be used.
  ASSERT_EQ(kDone, rateOnIdNumber(files, c, "A", 126));
  EXPECT_EQ(7, c.C1_AGE.value);
  EXPECT_DOUBLE_EQ(111, c.C1_BENEFIT);
  EXPECT_DOUBLE_EQ(22, c.PREMIUM);

  c.C1_ID_NUMBER = "1503125009087";
  ASSERT_EQ(kDone, rateOnIdNumber(files, c, "A", 11));
  EXPECT_EQ(11, c.C1_AGE.value);
  EXPECT_DOUBLE_EQ(25.00, c.PREMIUM);
}

}  // namespace
}  // namespace vel::test
