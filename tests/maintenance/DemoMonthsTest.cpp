// The demo office's months of office life: what the month resets, receipt
// books, receipts, counter payments and invoice runs leave on file must add
// up when read back from the raw files, and the office must show members in
// every stage of arrears.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/DemoOffice.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel {
namespace {

std::int64_t cents(double r) { return static_cast<std::int64_t>(std::llround(r * 100)); }

struct MonthsOffice {
  explicit MonthsOffice(std::int32_t today) : clock(today, 0) {}
  test::TempDir dir;
  std::unique_ptr<Engine> engine = test::makeEngineFor(dir.path());
  test::ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  FixedClock clock;

  ~MonthsOffice() { ui.verifyDone(); }

  DemoResult seed(int clients, int months) {
    DemoOptions o;
    o.clients = clients;
    o.months = months;
    return seedDemoOffice(files, clock, o);
  }

  template <class R>
  std::vector<R> all() {
    std::vector<R> out;
    FileManager& f = files.fm<R>();
    if (!test::fileExists(*engine, f.path())) return out;
    FileUse use(f);
    f.SetOrder(kPhysicalOrder);
    while (f.ReadNext() == kDone) out.push_back(f.rec<R>());
    return out;
  }
};

// Every ageing record of a ledger against the raw invoices and payments of
// its member: TOTAL is what was billed less what was paid, and the five
// buckets add up to it. Returns how many members owe in each bucket.
template <class Age, class Inv, class Pay>
std::map<std::string, int> checkLedger(MonthsOffice& o) {
  std::map<std::string, std::int64_t> billed, paid;
  for (const auto& i : o.all<Inv>()) billed[i.CLIENT_ID.text()] += cents(i.DEBIT);
  for (const auto& p : o.all<Pay>()) paid[p.CLIENT_ID.text()] += cents(p.CREDIT);
  std::map<std::string, int> owing;
  std::set<std::string> seen;
  for (const auto& a : o.all<Age>()) {
    const std::string id = a.CLIENT_ID.text();
    SCOPED_TRACE(id);
    EXPECT_TRUE(seen.insert(id).second) << "two ageing records";
    const std::int64_t total = cents(a.TOTAL);
    EXPECT_EQ(total, billed[id] - paid[id]);
    EXPECT_EQ(total, cents(a.CURRENT) + cents(a.P30) + cents(a.P60) + cents(a.P90) +
                         cents(a.P90PLUS));
    if (cents(a.P30) > 0) ++owing["30"];
    if (cents(a.P60) > 0) ++owing["60"];
    if (cents(a.P90) > 0) ++owing["90"];
    if (cents(a.P90PLUS) > 0) ++owing["90+"];
    if (total < 0) ++owing["credit"];
  }
  for (const auto& [id, amount] : billed) EXPECT_TRUE(seen.count(id)) << id << " has no ageing";
  for (const auto& [id, amount] : paid) EXPECT_TRUE(seen.count(id)) << id << " has no ageing";
  return owing;
}

// Six months played up to 8 December: the last run was on 21 November and
// December has been reset, not yet billed.
class PlayedMonths : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    office_ = new MonthsOffice(dateFromYmd(2026, 12, 8));
    result_ = office_->seed(400, 6);
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
  }
  static inline MonthsOffice* office_ = nullptr;
  static inline DemoResult result_;
};

TEST_F(PlayedMonths, EveryAgeingTotalIsWhatWasBilledLessWhatWasPaidAndTheBucketsSumToIt) {
  ASSERT_TRUE(result_.ok) << result_.message;
  const auto owing = checkLedger<rec::VelAge, rec::VelInv, rec::VelPay>(*office_);
  // Members behind by every stage, so the ageing report shows real figures.
  for (const char* bucket : {"30", "60", "90", "90+", "credit"})
    EXPECT_GT(owing.count(bucket) ? owing.at(bucket) : 0, 0) << bucket;
  checkLedger<rec::HamAge, rec::HamInv, rec::HamPay>(*office_);
}

TEST_F(PlayedMonths, EachActiveMemberIsBilledOnceOnEveryRunDayAndNoOneElseIs) {
  ASSERT_TRUE(result_.ok) << result_.message;
  std::set<std::int32_t> runDays;
  for (int m = 6; m <= 11; ++m) runDays.insert(dateFromYmd(2026, m, 21));
  std::map<std::string, std::multiset<std::int64_t>> invoiceDays;
  for (const auto& i : office_->all<rec::VelInv>())
    invoiceDays[i.CLIENT_ID.text()].insert(i.DATE.value);
  int active = 0;
  for (const auto& c : office_->all<rec::VelCli>()) {
    SCOPED_TRACE(c.CLIENT_ID.text());
    EXPECT_EQ(c.INVOICED, 0);  // December is reset and not billed yet
    const auto& days = invoiceDays[c.CLIENT_ID.text()];
    ASSERT_FALSE(days.empty());
    EXPECT_EQ(*days.begin(), c.DATE.value);  // the first charge, on joining
    EXPECT_LT(c.DATE.value, dateFromYmd(2026, 6, 1));
    const bool isActive = c.ACTIVE == "Active";
    active += isActive;
    for (std::int32_t run : runDays) EXPECT_EQ(days.count(run), isActive ? 1u : 0u) << run;
    EXPECT_EQ(days.size(), isActive ? 7u : 1u);
  }
  EXPECT_EQ(result_.invoicesBilled, active * 6 + result_.hamperMembers * 6);
  EXPECT_EQ(result_.monthsPlayed, 6);
}

TEST_F(PlayedMonths, CapturedReceiptsFillTheirIssuedNumbersAndArePaymentsOnFile) {
  ASSERT_TRUE(result_.ok) << result_.message;
  const auto issued = office_->all<rec::AgeIss>();
  const auto books = office_->all<rec::Receipt>();
  const auto received = office_->all<rec::ReceiveR>();
  EXPECT_EQ(static_cast<int>(books.size()), result_.receiptBooks);
  EXPECT_EQ(static_cast<int>(received.size()), result_.receiptsCaptured);
  EXPECT_GT(result_.receiptsCaptured, 0);
  EXPECT_GT(result_.counterPayments, result_.receiptsCaptured);

  std::int64_t numbers = 0;
  for (const auto& b : books) numbers += b.MEND.value - b.START.value + 1;
  EXPECT_EQ(static_cast<std::int64_t>(issued.size()), numbers);

  std::map<std::pair<std::string, std::int64_t>, rec::AgeIss> byNumber;
  for (const auto& i : issued) {
    EXPECT_TRUE(byNumber.emplace(std::pair{i.CODE.text(), std::int64_t{i.NUMBER.value}}, i).second);
    EXPECT_GT(i.NUMBER.value, 0);
  }
  std::multiset<std::pair<std::string, std::int64_t>> payments;
  for (const auto& p : office_->all<rec::VelPay>())
    payments.insert({p.CLIENT_ID.text(), cents(p.CREDIT)});
  for (const auto& r : received) {
    SCOPED_TRACE(std::to_string(r.NUMBER.value));
    auto it = byNumber.find({r.CODE.text(), r.NUMBER.value});
    ASSERT_NE(it, byNumber.end()) << "captured against no issued number";
    EXPECT_EQ(it->second.CLIENT_ID.text(), r.CLIENT_ID.text());
    EXPECT_EQ(cents(it->second.AMOUNT), cents(r.AMOUNT));
    EXPECT_EQ(it->second.DATE_REC.value, r.DATE.value);
    EXPECT_TRUE(payments.count({r.CLIENT_ID.text(), cents(r.AMOUNT)}));
  }
  // The months' receipts went out with their capture runs: none waits.
  for (const auto& p : office_->all<rec::RecPrn>()) EXPECT_EQ(p.PRINTED.value, 1);
}

TEST(DemoMonths, AfterTheTwentiethTheMonthIsBilledAndMarked) {
  MonthsOffice o(dateFromYmd(2027, 1, 25));
  const DemoResult r = o.seed(60, 2);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.monthsPlayed, 2);
  std::set<std::int64_t> days;
  for (const auto& i : o.all<rec::VelInv>())
    if (i.DATE.value >= dateFromYmd(2026, 12, 1)) days.insert(i.DATE.value);
  EXPECT_EQ(days, (std::set<std::int64_t>{dateFromYmd(2026, 12, 21), dateFromYmd(2027, 1, 21)}));
  for (const auto& c : o.all<rec::VelCli>())
    EXPECT_EQ(c.INVOICED, c.ACTIVE == "Active" ? 1 : 0) << c.CLIENT_ID.text();
  checkLedger<rec::VelAge, rec::VelInv, rec::VelPay>(o);
}

TEST(DemoMonths, MonthCountsOutsideNoneToTwoYearsAreRefusedAndNothingIsWritten) {
  for (int months : {-1, kDemoMostMonths + 1}) {
    MonthsOffice o(dateFromYmd(2026, 12, 8));
    const DemoResult r = o.seed(10, months);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("months"), std::string::npos) << r.message;
    EXPECT_TRUE(o.all<rec::VelCli>().empty());
  }
}

}  // namespace
}  // namespace vel
