#include <gtest/gtest.h>

#include <limits>

#include "common/Dates.h"
#include "common/Picture.h"

namespace vel {
namespace {

TEST(Picture, NumbersInEveryPictureInUse) {
  struct Case {
    const char* picture;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {"n_9.2", 150, "   150.00"},
      {"n_9.2", 0, "     0.00"},
      {"n_9.2", -12.5, "   -12.50"},
      {"n_9.2", 1.005, "     1.01"},
      {"n_9.2", 123456789.5, "123456789.50"},  // too wide: shown in full
      {"n_9.2", -999999.99, "-999999.99"},     // the minus is never dropped
      {"n-_10.2", -1234.56, "  -1234.56"},
      {"n-_10.2", 0, "      0.00"},
      {"n-_10.2", -0.004, "      0.00"},  // rounds to zero: no "-0.00"
      {"n_6", 42, "    42"},
      {"n_6", 1234567, "1234567"},
      {"n_4", 2, "   2"},
      {"n_4", 12345, "12345"},
      {"n_9", 1000000, "  1000000"},
      {"n2", 1, " 1"},
      {"n2", -5, "-5"},
      {"n3", 7, "  7"},
      {"n3", 2.5, "  3"},
      {"n3", -2.5, " -3"},
      {"N~R~_7.2b", 150, "R150.00"},
      {"N~R~_7.2b", 5, "  R5.00"},
      {"N~R~_7.2b", 0, "       "},
      {"N~R~_7.2b", 0.004, "       "},
      {"N~R~_7.2b", -5, " -R5.00"},
      {"N~R~_7.2b", 1500, "R1500.00"},
      {"n06", 42, "000042"},
      {"n06.2", -1.5, "-01.50"},
      {"n~R~04.2", 1.5, "R1.50"},
      {"n~R~08.2", -1.5, "-R001.50"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatPicture(c.picture, c.value), c.text) << c.picture << " " << c.value;
    const Picture p = Picture::parse(c.picture);
    ASSERT_TRUE(p.valid()) << c.picture;
    if (c.value == static_cast<double>(static_cast<std::int64_t>(c.value))) {
      EXPECT_EQ(p.formatWhole(static_cast<std::int64_t>(c.value)), c.text) << c.picture;
    }
  }
  EXPECT_EQ(Picture::parse("n_4").formatWhole(std::numeric_limits<std::int64_t>::min()),
            "-9223372036854775808");
}

TEST(Picture, DatesAndTimes) {
  const Picture d06 = Picture::parse("d06");
  EXPECT_EQ(d06.formatWhole(dateFromYmd(2026, 12, 7)), "07/12/2026");
  EXPECT_EQ(d06.formatWhole(dateFromYmd(1850, 3, 1)), "01/03/1850");
  EXPECT_EQ(d06.formatWhole(maxDate()), "31/12/9999");
  EXPECT_EQ(d06.formatWhole(0), "          ");  // no date
  EXPECT_EQ(formatPicture("d06", 46363), "08/12/2026");

  EXPECT_EQ(formatPicture("t01", timeFromHms(9, 5, 59, 99)), "09:05");  // never rounds up
  EXPECT_EQ(formatPicture("t01", 0), "00:00");
  EXPECT_EQ(formatPicture("T04", timeFromHms(23, 59, 59)), "23:59:59");
  EXPECT_EQ(formatPicture("t01", kHundredthsPerDay), "24:00");  // outside the day: not wrapped
}

TEST(Picture, TextIsFittedToItsWidth) {
  const Picture s4 = Picture::parse("s4");
  EXPECT_EQ(s4.formatText("Branch"), "Bran");
  EXPECT_EQ(s4.formatText("AB"), "AB  ");
  EXPECT_EQ(Picture::parse("n_6").formatText("12"), "    12");
}

TEST(Picture, MalformedPicturesAreInvalid) {
  for (const char* bad : {"", "n", "n_", "n_9.", "n~R_9.2", "n_9.2x", "nb", "d", "d6", "d99", "t02",
                          "s", "s0", "x12", "n0", "n_9.2.1", "n_9.99"}) {
    EXPECT_FALSE(Picture::parse(bad).valid()) << bad;
  }
  // An invalid picture still shows the value rather than nothing.
  EXPECT_EQ(formatPicture("zz", 12.5), "12.5");
}

TEST(Picture, DeformatNumberReadsWhatItWritesAndRefusesTheRest) {
  const Picture money = Picture::parse("n-_10.2");
  for (double v : {0.0, 150.0, -1234.56, 0.01, 99999.99}) {
    EXPECT_EQ(money.deformatNumber(money.format(v)), v) << v;
  }
  const Picture premium = Picture::parse("N~R~_7.2b");
  EXPECT_EQ(premium.deformatNumber(" R150.00"), 150.0);
  EXPECT_EQ(premium.deformatNumber("-R5"), -5.0);
  EXPECT_EQ(premium.deformatNumber("r 12.5"), 12.5);
  EXPECT_EQ(premium.deformatNumber("       "), 0.0);
  EXPECT_EQ(money.deformatNumber("1.005"), 1.01);
  EXPECT_EQ(money.deformatNumber(".5"), 0.5);
  EXPECT_EQ(Picture::parse("n3").deformatNumber("12.5"), 13.0);

  for (const char* bad : {"abc", "12a", "1.2.3", "--5", "-", ".", "1,000.00", "R12", "- 5", "1e5"})
    EXPECT_FALSE(money.deformatNumber(bad).has_value()) << bad;
  EXPECT_FALSE(Picture::parse("d06").deformatNumber("12").has_value());
}

TEST(Picture, DeformatNumberTakesADecimalComma) {
  const Picture money = Picture::parse("n-_10.2");
  EXPECT_EQ(money.deformatNumber("12,50"), 12.5);
  EXPECT_EQ(money.deformatNumber("-3,5"), -3.5);
  EXPECT_EQ(money.deformatNumber(",75"), 0.75);
  EXPECT_EQ(Picture::parse("N~R~_9.2").deformatNumber("R 1250,05"), 1250.05);
  EXPECT_EQ(Picture::parse("n6.3").deformatNumber("1,250"), 1.25);
  // More digits after the comma than the picture has decimals reads as a
  // thousands separator would: refused rather than guessed.
  for (const char* bad : {"1,250", "1,2,3", "1,25.0", "12,", "1,000.00"})
    EXPECT_FALSE(money.deformatNumber(bad).has_value()) << bad;
  EXPECT_FALSE(Picture::parse("n3").deformatNumber("12,5").has_value());
}

TEST(Picture, LargestAndSmallestThatFitTheWidth) {
  EXPECT_EQ(Picture::parse("n_9.2").largest(), 999999.99);
  EXPECT_EQ(Picture::parse("n_9.2").smallest(), -99999.99);  // the minus takes a place
  EXPECT_EQ(Picture::parse("n-_10.2").smallest(), -999999.99);
  EXPECT_EQ(Picture::parse("N~R~_7.2b").largest(), 999.99);
  EXPECT_EQ(Picture::parse("n3").largest(), 999.0);
  EXPECT_EQ(Picture::parse("n3").smallest(), -99.0);
  for (const char* pic : {"n_9.2", "n-_10.2", "N~R~_7.2b", "n3", "n6.3"}) {
    const Picture p = Picture::parse(pic);
    EXPECT_EQ(static_cast<int>(p.format(p.largest()).size()), p.width()) << pic;
    EXPECT_EQ(static_cast<int>(p.format(p.smallest()).size()), p.width()) << pic;
  }
}

TEST(Picture, DeformatDateAcceptsDayMonthYearAndRefusesNonDates) {
  const Picture d06 = Picture::parse("d06");
  const std::int32_t dec7 = dateFromYmd(2026, 12, 7);
  for (const char* text : {"07/12/2026", "7/12/2026", "07-12-2026", " 7.12.2026 "})
    EXPECT_EQ(d06.deformatDate(text), dec7) << text;
  EXPECT_EQ(d06.deformatDate(d06.formatWhole(dec7)), dec7);
  EXPECT_EQ(d06.deformatDate("29/02/2024"), dateFromYmd(2024, 2, 29));
  EXPECT_EQ(d06.deformatDate(""), 0);

  for (const char* bad :
       {"31/02/2026", "29/02/2025", "00/12/2026", "07/13/2026", "07/12/26", "07/12-2026",
        "07/12/20261", "7//2026", "07/12/1800", "abc", "07/12/2026x", "123/12/2026"})
    EXPECT_FALSE(d06.deformatDate(bad).has_value()) << bad;
  EXPECT_FALSE(Picture::parse("n_9.2").deformatDate("07/12/2026").has_value());
}

TEST(Picture, DeformatTime) {
  const Picture t01 = Picture::parse("t01");
  EXPECT_EQ(t01.deformatTime("09:05"), timeFromHms(9, 5, 0));
  EXPECT_EQ(t01.deformatTime("9:05:30"), timeFromHms(9, 5, 30));
  for (const char* bad : {"24:00", "9:5", "09:60", "09:05:", "0905", "ab:cd"})
    EXPECT_FALSE(t01.deformatTime(bad).has_value()) << bad;
}

}  // namespace
}  // namespace vel
