// The member selection values are one copy per thread.
#include <gtest/gtest.h>

#include <thread>

#include "members/MemberContext.h"

namespace vel {
namespace {

TEST(MemberContext, EachThreadKeepsItsOwnPicks) {
  memberContext().clear();
  memberContext().CUR_CLIENT_ID = "0042/MOL";
  memberContext().selectPlan({"A", "Family", 120.0, 90.0, 10.0, 15000.0});

  std::string seenClient = "unset";
  std::string seenPlan = "unset";
  std::thread other([&] {
    seenClient = memberContext().CUR_CLIENT_ID;
    seenPlan = memberContext().SEL_PLAN;
    memberContext().CUR_CLIENT_ID = "0007/DLA";
    memberContext().SEL_PLAN = "B";
  });
  other.join();

  EXPECT_EQ("", seenClient);
  EXPECT_EQ("", seenPlan);
  EXPECT_EQ("0042/MOL", memberContext().CUR_CLIENT_ID);
  PlanPick p = memberContext().selectedPlan();
  EXPECT_EQ("A", p.plan);
  EXPECT_EQ("Family", p.option);
  EXPECT_DOUBLE_EQ(120.0, p.premium);
  EXPECT_DOUBLE_EQ(90.0, p.payOver);
  EXPECT_DOUBLE_EQ(15000.0, p.cover);
  memberContext().clear();
  EXPECT_EQ("", memberContext().SEL_PLAN);
}

}  // namespace
}  // namespace vel
