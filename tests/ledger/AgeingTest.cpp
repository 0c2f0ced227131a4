// The four ageing rules, case by case, and the balance they keep.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dictionary/LedgerFiles.h"
#include "ledger/Ageing.h"

namespace vel::ledger {
namespace {

// An ageing record in rand, written the way the tests read best.
struct Buckets {
  double TOTAL = 0, CURRENT = 0, P30 = 0, P60 = 0, P90 = 0, P90PLUS = 0, BALBF = 0;
};

rec::VelAge record(const Buckets& b) {
  rec::VelAge r;
  r.TOTAL = b.TOTAL;
  r.CURRENT = b.CURRENT;
  r.P30 = b.P30;
  r.P60 = b.P60;
  r.P90 = b.P90;
  r.P90PLUS = b.P90PLUS;
  r.BALBF = b.BALBF;
  r.SENT = 1;
  return r;
}

void expectBuckets(const rec::VelAge& r, const Buckets& want, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_DOUBLE_EQ(r.TOTAL, want.TOTAL);
  EXPECT_DOUBLE_EQ(r.CURRENT, want.CURRENT);
  EXPECT_DOUBLE_EQ(r.P30, want.P30);
  EXPECT_DOUBLE_EQ(r.P60, want.P60);
  EXPECT_DOUBLE_EQ(r.P90, want.P90);
  EXPECT_DOUBLE_EQ(r.P90PLUS, want.P90PLUS);
  EXPECT_DOUBLE_EQ(r.BALBF, want.BALBF);
  EXPECT_EQ(r.SENT, 0) << "every change marks the record for sending again";
}

enum class Rule { Open, Charge, Pay, Adjust };

struct Case {
  std::string name;
  Buckets before;
  Rule rule;
  double amount;
  Buckets after;
};

// clang-format off
void apply(rec::VelAge& r, Rule rule, double amount) {
  switch (rule) {
    case Rule::Open: Age_Open(r, amount); break;
    case Rule::Charge: Age_Charge(r, amount); break;
    case Rule::Pay: Age_Pay(r, amount); break;
    case Rule::Adjust: Age_Adjust(r, amount); break;
  }
}
// clang-format on

TEST(Ageing, EachRuleGivesTheBucketsOfItsCase) {
  // Buckets in the order TOTAL, CURRENT, P30, P60, P90, P90PLUS, BALBF.
  // clang-format off
  const std::vector<Case> cases = {
      {"open fills TOTAL and CURRENT, clears the rest",
       {999, 1, 2, 3, 4, 5, 6}, Rule::Open, 150, {150, 150, 0, 0, 0, 0, 0}},
      {"charge rolls every bucket one period older",
       {180, 100, 50, 0, 20, 10, 0}, Rule::Charge, 100, {280, 100, 100, 50, 0, 30, 180}},
      {"charge carries a credit in CURRENT on into P30",
       {-50, -50, 0, 0, 0, 0, 0}, Rule::Charge, 100, {50, 100, -50, 0, 0, 0, -50}},
      {"payment clears the oldest debt first and leaves CURRENT",
       {180, 100, 0, 50, 0, 30, 0}, Rule::Pay, 40, {140, 100, 0, 40, 0, 0, 0}},
      {"payment equal to the oldest bucket clears it and stops",
       {150, 100, 20, 0, 0, 30, 0}, Rule::Pay, 30, {120, 100, 20, 0, 0, 0, 0}},
      {"payment beyond everything open leaves a credit in CURRENT",
       {200, 100, 100, 0, 0, 0, 0}, Rule::Pay, 250, {-50, -50, 0, 0, 0, 0, 0}},
      {"credit in an older bucket pays the older debt before the payment is allocated",
       {-50, 20, -100, 0, 0, 30, 0}, Rule::Pay, 0.01, {-50.01, -50.01, 0, 0, 0, 0, 0}},
      {"a small credit is used up against one older bucket",
       {20, 0, 0, -30, 0, 50, 0}, Rule::Pay, 5, {15, 0, 0, 0, 0, 15, 0}},
      {"a credit CURRENT can carry stays in CURRENT",
       {40, 50, -10, 0, 0, 0, 0}, Rule::Pay, 15, {25, 25, 0, 0, 0, 0, 0}},
      {"a zero payment only gathers the credits",
       {0, 0, -20, 0, 20, 0, 0}, Rule::Pay, 0, {0, 0, 0, 0, 0, 0, 0}},
      {"a payment skips buckets that hold nothing",
       {70, 10, 0, 60, 0, 0, 0}, Rule::Pay, 65, {5, 5, 0, 0, 0, 0, 0}},
      {"a premium rise (negative difference) raises TOTAL and CURRENT only",
       {130, 100, 30, 0, 0, 0, 55}, Rule::Adjust, -20, {150, 120, 30, 0, 0, 0, 55}},
      {"a premium cut lowers TOTAL and CURRENT only",
       {130, 100, 30, 0, 0, 0, 55}, Rule::Adjust, 25.5, {104.5, 74.5, 30, 0, 0, 0, 55}},
  };
  // clang-format on
  for (const Case& c : cases) {
    rec::VelAge r = record(c.before);
    apply(r, c.rule, c.amount);
    expectBuckets(r, c.after, c.name);
  }
}

// Amounts that agree to the cent are equal, whatever their last binary
// digits: 0.1 + 0.2 paid against a bucket of 0.30 is a tie.
TEST(Ageing, PaymentEqualToABucketAtCentsIsATie) {
  rec::VelAge r = record({10.30, 0, 10, 0, 0, 0.30, 0});
  Age_Pay(r, 0.1 + 0.2);
  expectBuckets(r, {10, 0, 10, 0, 0, 0, 0}, "tie at cents");

  rec::VelAge up = record({10.30, 0, 10, 0, 0, 0.1 + 0.2, 0});
  Age_Pay(up, 0.30);
  expectBuckets(up, {10, 0, 10, 0, 0, 0, 0}, "the bucket carries the binary noise");
}

TEST(Ageing, FirstMonthsPremiumReachesP90AfterFourChargesAndP90PlusAfterFive) {
  rec::HamAge r;  // the hamper club's record follows the same rules
  Age_Open(r, 1);
  for (double premium : {10.0, 100.0, 1000.0}) Age_Charge(r, premium);
  EXPECT_DOUBLE_EQ(r.P90, 1);
  EXPECT_DOUBLE_EQ(r.P90PLUS, 0);
  Age_Charge(r, 10000);
  EXPECT_DOUBLE_EQ(r.P90, 10);
  EXPECT_DOUBLE_EQ(r.P90PLUS, 1);
  EXPECT_DOUBLE_EQ(r.TOTAL, 11111);
  EXPECT_DOUBLE_EQ(r.BALBF, 1111);
}

// Long mixed runs of charges, payments and corrections, with overpayments
// that leave credits rolling through the buckets: TOTAL stays the sum of the
// five buckets, and equals what was charged less what was paid.
TEST(Ageing, TotalStaysTheSumOfTheBucketsOverLongMixedRuns) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_int_distribution<std::int64_t> cents(0, 60000);
  for (int member = 0; member < 50; ++member) {
    rec::VelAge r;
    std::int64_t owed = cents(rng);
    Age_Open(r, fromCents(owed));
    for (int step = 0; step < 2000; ++step) {
      const int what = pick(rng);
      const std::int64_t amount = cents(rng);
      if (what < 3) {
        Age_Charge(r, fromCents(amount));
        owed += amount;
      } else if (what < 8) {
        // Payments run a little larger than charges on average, so that
        // credits appear and roll on.
        const std::int64_t paid = amount + amount / 2;
        Age_Pay(r, fromCents(paid));
        owed -= paid;
      } else {
        const std::int64_t diff = amount - 30000;
        Age_Adjust(r, fromCents(diff));
        owed -= diff;
      }
      const AgeBuckets b = bucketsOf(r);
      ASSERT_EQ(b.TOTAL, b.bucketSum()) << "member " << member << " step " << step;
      ASSERT_EQ(b.TOTAL, owed) << "member " << member << " step " << step;
    }
  }
}

}  // namespace
}  // namespace vel::ledger
