#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/Money.h"

namespace vel {
namespace {

// Values whose binary form lies just below the half cent, so that
// round(x * 100) rounds them the wrong way.
TEST(Money, HalfCentsRoundAwayFromZeroDespiteBinaryError) {
  struct Case {
    double rand;
    std::int64_t cents;
  };
  const Case cases[] = {
      {0.285, 29},  {1.005, 101},   {2.675, 268},  {1.015, 102},     {1.255, 126},
      {0.145, 15},  {10.075, 1008}, {4.015, 402},  {8.345, 835},     {1.045, 105},
      {0.005, 1},   {0.015, 2},     {-0.285, -29}, {-1.005, -101},   {-2.675, -268},
      {-0.005, -1}, {0.0049, 0},    {-0.0049, 0},  {0.004999999, 0}, {123456789.125, 12345678913},
      {150, 15000}, {0, 0},         {-0.0, 0},     {1e-20, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(toCents(c.rand), c.cents) << c.rand;
}

TEST(Money, ArithmeticNoiseDoesNotMoveACent) {
  EXPECT_EQ(toCents(0.1 + 0.2), 30);
  EXPECT_EQ(toCents(1.9 * 0.15), 29);  // 15% of 1.90 is exactly half a cent over 28
  double sum = 0;
  for (int i = 0; i < 1000; ++i) sum += 0.01;
  EXPECT_EQ(toCents(sum), 1000);
  EXPECT_TRUE(sameMoney(sum, 10.0));
  EXPECT_EQ(compareMoney(0.1 + 0.2, 0.3), 0);
  EXPECT_EQ(compareMoney(0.994, 0.996), -1);
  EXPECT_EQ(compareMoney(-1.0, -1.01), 1);
  EXPECT_FALSE(sameMoney(0.004, 0.006));
  EXPECT_DOUBLE_EQ(roundCents(2.675), 2.68);
  EXPECT_DOUBLE_EQ(fromCents(-101), -1.01);
}

TEST(Money, OutOfRangeValuesNeitherWrapNorCrash) {
  EXPECT_EQ(toCents(std::nan("")), 0);
  EXPECT_EQ(toCents(1e30), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(toCents(-std::numeric_limits<double>::infinity()),
            std::numeric_limits<std::int64_t>::min());
}

TEST(Money, FixedDecimalText) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {1234.5, 2, "1234.50"},
      {-1234.5, 2, "-1234.50"},
      {0.285, 2, "0.29"},
      {-0.001, 2, "0.00"},
      {9.995, 2, "10.00"},
      {99.5, 0, "100"},
      {0.5, 0, "1"},
      {-0.5, 0, "-1"},
      {0.4, 0, "0"},
      {1e20, 2, "100000000000000000000.00"},
      {0.000125, 4, "0.0001"},
      {0.00015, 4, "0.0002"},
      {std::nan(""), 2, "nan"},
  };
  for (const Case& c : cases) EXPECT_EQ(fixedDecimal(c.value, c.decimals), c.text) << c.value;
}

}  // namespace
}  // namespace vel
