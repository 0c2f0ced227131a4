// Plan codes in the plan table's one-letter form and the long form of older
// policies name the same plan, for every rule that asks.
#include <gtest/gtest.h>

#include "members/PlanCode.h"

namespace vel {
namespace {

TEST(PlanCode, OneLetterCodeAndLongFormAreTheSamePlan) {
  struct Case {
    const char* plan;
    char letter;
    bool is;
  };
  const Case cases[] = {
      {"A", 'A', true},       {"a", 'A', true},        {"A  ", 'A', true},
      {"Plan A", 'A', true},  {"PLAN B ", 'B', true},  {"plan c", 'C', true},
      {"Plan  A", 'A', true}, {"B", 'A', false},       {"Plan B", 'A', false},
      {"HAM", 'H', false},    {"AB", 'A', false},      {"", 'A', false},
      {"Plan ", 'A', false},  {"Plan", 'P', false},    {"Planet", 'A', false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.is, isPlan(c.plan, c.letter)) << "\"" << c.plan << "\" as plan " << c.letter;
}

TEST(PlanCode, DocumentAgeTextFollowsEitherForm) {
  EXPECT_EQ("<64", documentAgeText("A"));
  EXPECT_EQ("<64", documentAgeText("Plan A"));
  EXPECT_EQ("65 - 74", documentAgeText("B"));
  EXPECT_EQ(">75", documentAgeText("Plan C"));
  EXPECT_EQ("", documentAgeText("D"));
  EXPECT_EQ("", documentAgeText("HAM"));
  EXPECT_EQ("", documentAgeText(""));
}

TEST(PlanCode, TableCodeDropsTheLongFormsPrefix) {
  EXPECT_EQ("A", planTableCode("Plan A"));
  EXPECT_EQ("HAM", planTableCode(" HAM "));
  EXPECT_EQ("Planet", planTableCode("Planet"));
}

}  // namespace
}  // namespace vel
