// The demo office's hamper club: every member has an account on the hamper
// ledger that agrees with itself, billed at his contribution, and nothing
// on that ledger belongs to anyone else.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "common/Dates.h"
#include "maintenance/DemoOffice.h"
#include "members/MembersFixture.h"

namespace vel::test {
namespace {

std::int64_t cents(double r) { return static_cast<std::int64_t>(std::llround(r * 100)); }

class HamperDemoOfficeTest : public MembersFixture {};

TEST_F(HamperDemoOfficeTest, EveryMemberHasAHamperAccountThatAgreesWithItsAgeing) {
  const std::int32_t today = dateFromYmd(2026, 12, 8);
  FixedClock clock(today, 0);
  DemoOptions o;
  o.clients = 250;
  // The history written directly; the months played through the invoice
  // runs are checked with the policies' (DemoMonthsTest).
  o.months = 0;
  const DemoResult r = seedDemoOffice(files, clock, o);
  ASSERT_TRUE(r.ok) << r.message;
  const auto members = all<rec::Hamper>();
  ASSERT_GT(members.size(), 3u);
  ASSERT_EQ(static_cast<std::size_t>(r.hamperMembers), members.size());

  struct Account {
    int ageing = 0;
    rec::HamAge age;
    std::int64_t debits = 0, credits = 0;
    std::multiset<std::string> invoiceStamps, invoiceEntries, paymentStamps, paymentEntries;
    std::vector<rec::HamInv> invoices;
  };
  std::map<std::string, Account> acc;
  for (const auto& a : all<rec::HamAge>()) {
    ++acc[a.CLIENT_ID.text()].ageing;
    acc[a.CLIENT_ID.text()].age = a;
  }
  for (const auto& t : all<rec::HamTra>()) {
    Account& a = acc[t.CLIENT_ID.text()];
    a.debits += cents(t.DEBIT);
    a.credits += cents(t.CREDIT);
    (t.TYPE == "Payment" ? a.paymentEntries : a.invoiceEntries).insert(t.UNIQUE.text());
  }
  for (const auto& i : all<rec::HamInv>()) {
    acc[i.CLIENT_ID.text()].invoices.push_back(i);
    acc[i.CLIENT_ID.text()].invoiceStamps.insert(i.UNIQUE.text());
  }
  for (const auto& p : all<rec::HamPay>()) {
    acc[p.CLIENT_ID.text()].paymentStamps.insert(p.UNIQUE.text());
    EXPECT_GT(p.PREM2PAY, 0.0);
  }
  ASSERT_EQ(acc.size(), members.size());  // nothing for anyone outside the club

  std::set<std::int64_t> numbers;
  int paidSomething = 0;
  for (const auto& m : members) {
    SCOPED_TRACE(m.CLIENT_ID.text());
    EXPECT_TRUE(numbers.insert(m.NUMBER).second);
    const Account& a = acc[m.CLIENT_ID.text()];
    ASSERT_EQ(1, a.ageing);
    EXPECT_EQ(cents(a.age.TOTAL), a.debits - a.credits);
    EXPECT_EQ(cents(a.age.TOTAL), cents(a.age.CURRENT) + cents(a.age.P30) + cents(a.age.P60) +
                                      cents(a.age.P90) + cents(a.age.P90PLUS));
    EXPECT_EQ(a.invoiceStamps, a.invoiceEntries);
    EXPECT_EQ(a.paymentStamps, a.paymentEntries);
    ASSERT_GE(a.invoices.size(), 2u);  // a few months, not just the first charge
    bool thisMonth = false;
    for (const auto& i : a.invoices) {
      EXPECT_DOUBLE_EQ(m.PREMIUM, i.DEBIT);
      EXPECT_LE(i.DATE, today);
      const Ymd d = ymdFromDate(static_cast<std::int32_t>(i.DATE));
      thisMonth = thisMonth || (d.year == 2026 && d.month == 12);
    }
    EXPECT_EQ(thisMonth ? 1 : 0, m.INVOICED);
    EXPECT_EQ(0, m.DAY5);
    EXPECT_EQ(0, m.DAY10);
    if (a.credits > 0) ++paidSomething;
  }
  EXPECT_GT(paidSomething, 0);
}

}  // namespace
}  // namespace vel::test
