// The gateway's file format: amounts, due days, file names and lines 5-6.
#include <gtest/gtest.h>

#include <string>

#include "common/Dates.h"
#include "sms/GatewayFile.h"

namespace vel::sms {
namespace {

TEST(GatewayFile, AmountsArePlainNumbersWithoutTrailingZeros) {
  struct Case {
    double amount;
    const char* text;
  };
  for (const Case& c : {Case{150.00, "150"}, Case{99.50, "99.5"}, Case{0.1 + 0.2, "0.3"},
                        Case{1234567.89, "1234567.89"}, Case{0, "0"}, Case{65.05, "65.05"}}) {
    EXPECT_EQ(c.text, amountText(c.amount)) << c.amount;
  }
}

TEST(GatewayFile, DueDayRunsOverTheMonthEndAndZeroIsTheLastDayBefore) {
  struct Case {
    const char* dom;
    std::int32_t today, due;
  };
  const Case cases[] = {
      {"1", dateFromYmd(2026, 7, 7), dateFromYmd(2026, 7, 1)},
      {"15", dateFromYmd(2026, 7, 7), dateFromYmd(2026, 7, 15)},
      {"", dateFromYmd(2026, 7, 7), dateFromYmd(2026, 6, 30)},     // blank: day 0
      {"0", dateFromYmd(2026, 3, 2), dateFromYmd(2026, 2, 28)},
      {"31", dateFromYmd(2026, 6, 10), dateFromYmd(2026, 7, 1)},   // June has 30 days
      {"30", dateFromYmd(2026, 2, 3), dateFromYmd(2026, 3, 2)},
      {"0", dateFromYmd(2026, 1, 9), dateFromYmd(2025, 12, 31)},   // across the year
      {"abc", dateFromYmd(2026, 7, 7), dateFromYmd(2026, 6, 30)},  // not a number: as blank
  };
  for (const Case& c : cases) EXPECT_EQ(c.due, dueDay(c.dom, c.today)) << "DOM '" << c.dom << "'";
}

TEST(GatewayFile, FileNameIsTheDateAndTheTimeAsAPlainNumber) {
  const std::int32_t day = dateFromYmd(2014, 7, 3);
  EXPECT_EQ("SK2014070391502", messageFileStem({day, timeFromHms(9, 15, 2)}));
  EXPECT_EQ("SK201407035", messageFileStem({day, timeFromHms(0, 0, 5, 99)}));
  EXPECT_EQ("SK20140703235959", messageFileStem({day, timeFromHms(23, 59, 59)}));
}

TEST(GatewayFile, DateAndTimeLinesAndTrailingBlanksRemoved) {
  GatewayAccount a{"user   ", "pw ", "", "0820000000"};
  const std::string text = messageFile(a, {dateFromYmd(2027, 1, 3), timeFromHms(7, 5, 9)},
                                       "0831112222   ", freeText("Hello there   "));
  EXPECT_EQ(
      "5\r\nuser\r\npw\r\n\r\n3/Jan/2027\r\n07:05\r\n0820000000\r\n0831112222~ Hello there\r\n",
      text);
  // No cell number: lines 1-7 only.
  EXPECT_EQ("5\r\nuser\r\npw\r\n\r\n31/Dec/2026\r\n23:59\r\n0820000000\r\n",
            messageFile(a, {dateFromYmd(2026, 12, 31), timeFromHms(23, 59, 0)}, "  ", "~ x"));
}

}  // namespace
}  // namespace vel::sms
