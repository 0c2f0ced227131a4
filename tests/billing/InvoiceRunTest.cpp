// The month's invoice run and the month reset, driven without windows on
// real files with a fixed clock.
#include <gtest/gtest.h>

#include <map>

#include "billing/InvoiceRun.h"
#include "common/Money.h"
#include "ledger/Ageing.h"
#include "ledger/LedgerFixture.h"
#include "ledger/MessageHooks.h"

namespace vel::test {
namespace {

using billing::Generate_Invoices;
using billing::Reset_Invoiced;

class InvoiceRunTest : public LedgerFixture {
 protected:
  void SetUp() override { clock.set(today, timeFromHms(21, 5, 0)); }

  void client(const std::string& id, const std::string& active, double planPrem, int invoiced = 0) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.ACTIVE = active;
      c.PLANPREM = planPrem;
      c.PREMIUM = planPrem + 1000;  // never billed by the run: PLANPREM is
      c.INVOICED = invoiced;
    });
  }
  void hamper(const std::string& id, const std::string& active, double premium) {
    add<rec::Hamper>([&](rec::Hamper& h) {
      h.CLIENT_ID = id;
      h.ACTIVE = active;
      h.PREMIUM = premium;
    });
  }
  template <class R>
  void ageing(const std::string& id, ledger::AgeBuckets b) {
    add<R>([&](R& a) {
      a.CLIENT_ID = id;
      ledger::storeBuckets(a, b);
    });
  }

  billing::InvoiceRunResult run(int groupSize = 2) {
    billing::InvoiceRunOptions o;
    o.groupSize = groupSize;
    o.lockWaitSeconds = 1;
    return Generate_Invoices(files, ui, clock, stamp, o);
  }

  template <class R>
  R member(const std::string& id) {
    for (const R& r : all<R>())
      if (r.CLIENT_ID == id) return r;
    ADD_FAILURE() << "no member " << id;
    return R{};
  }

  // What a run leaves, to compare one run with another.
  struct Totals {
    std::size_t invoices = 0, entries = 0, ageing = 0;
    std::int64_t debits = 0, owed = 0;
    int marked = 0;
    bool operator==(const Totals&) const = default;
  };
  Totals totals() {
    Totals t;
    for (const auto& i : all<rec::VelInv>()) ++t.invoices, t.debits += toCents(i.DEBIT);
    for (const auto& e : all<rec::VelTra>()) ++t.entries, t.debits += toCents(e.DEBIT);
    for (const auto& a : all<rec::VelAge>()) ++t.ageing, t.owed += toCents(a.TOTAL);
    for (const auto& c : all<rec::VelCli>()) t.marked += c.INVOICED.value;
    return t;
  }

  FixedClock clock{0, 0};
};

TEST_F(InvoiceRunTest, BillsEveryActiveMemberOnceWithInvoiceAgeingMarksAndTransaction) {
  client("0001/ABE", "Active", 150);
  client("0002/BEK", "active", 150);    // other case: not billed
  client("0003/CEL", "", 150);          // blank: not billed
  client("0004/DUB", "Active", 0);      // nothing to pay is billed all the same
  client("0005/ELS", "Active", 99, 1);  // already invoiced this month
  client("0006/FAK", "Suspended", 80);
  ageing<rec::VelAge>("0001/ABE", {18000, 10000, 5000, 0, 2000, 1000, 0});
  hamper("0001/ABE", "Active", 50);
  hamper("0009/HAM", "Cancelled", 50);
  add<rec::Hamper>([](rec::Hamper& h) {  // the run leaves a hamper member's reminders alone
    h.CLIENT_ID = "0010/HAN";
    h.ACTIVE = "Active";
    h.PREMIUM = 25.5;
    h.DAY5 = 0;
    h.DAY10 = 1;
  });

  const auto result = run();
  ASSERT_TRUE(result.ok) << result.failure;
  EXPECT_EQ(2, result.clientsInvoiced);
  EXPECT_EQ(2, result.hamperInvoiced);
  EXPECT_EQ(15000 + 0 + 5000 + 2550, result.cents);

  const auto invoices = all<rec::VelInv>();
  ASSERT_EQ(2u, invoices.size());
  EXPECT_EQ("0001/ABE", invoices[0].CLIENT_ID.str());
  EXPECT_EQ(150.0, invoices[0].DEBIT.value);
  EXPECT_EQ(today, invoices[0].DATE.value);
  EXPECT_TRUE(invoices[0].STATUS.blank());
  EXPECT_EQ(uniqueStamp(today, clock.now()), invoices[0].UNIQUE.str());
  EXPECT_EQ("0004/DUB", invoices[1].CLIENT_ID.str());

  const auto entries = all<rec::VelTra>();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("Invoice", entries[0].TYPE.str());
  EXPECT_EQ(150.0, entries[0].DEBIT.value);
  EXPECT_EQ(0.0, entries[0].CREDIT.value);
  EXPECT_EQ("Administra", entries[0].X_ID.str());
  EXPECT_EQ(0.0, entries[1].DEBIT.value);

  // The roll of the record on file, and a fresh record for the one without.
  const auto rolled = ledger::bucketsOf(member<rec::VelAge>("0001/ABE"));
  EXPECT_EQ((ledger::AgeBuckets{33000, 15000, 10000, 5000, 0, 3000, 18000}), rolled);
  EXPECT_EQ((ledger::AgeBuckets{0, 0, 0, 0, 0, 0, 0}),
            ledger::bucketsOf(member<rec::VelAge>("0004/DUB")));
  EXPECT_EQ(2u, all<rec::VelAge>().size());

  const auto c = member<rec::VelCli>("0001/ABE");
  EXPECT_EQ(1, c.INVOICED.value);
  EXPECT_EQ(today + 14, c.SMS_DATE.value);
  EXPECT_EQ(1, c.SMS_SENDIT.value);
  EXPECT_EQ(1, c.DAY5.value);
  EXPECT_EQ(1, c.DAY10.value);
  EXPECT_EQ(0, member<rec::VelCli>("0002/BEK").INVOICED.value);
  EXPECT_EQ(0, member<rec::VelCli>("0006/FAK").SMS_SENDIT.value);

  const auto h = member<rec::Hamper>("0010/HAN");
  EXPECT_EQ(1, h.INVOICED.value);
  EXPECT_EQ(today + 14, h.SMS_DATE.value);
  EXPECT_EQ(0, h.DAY5.value);
  EXPECT_EQ(1, h.DAY10.value);
  ASSERT_EQ(2u, all<rec::HamInv>().size());
  EXPECT_EQ(25.5, all<rec::HamInv>()[1].DEBIT.value);
  EXPECT_EQ(2u, all<rec::HamTra>().size());
  EXPECT_EQ(2550, ledger::bucketsOf(member<rec::HamAge>("0010/HAN")).CURRENT);
}

TEST_F(InvoiceRunTest, SecondRunBillsNobodyAndAResetBillsEveryActiveMemberAgain) {
  for (int n = 1; n <= 5; ++n) client("000" + std::to_string(n) + "/KOP", "Active", 100 + n);
  client("0006/KOP", "Lapsed", 10);
  ASSERT_EQ(5, run().clientsInvoiced);
  const Totals once = totals();

  const auto again = run();
  EXPECT_TRUE(again.ok);
  EXPECT_EQ(0, again.membersInvoiced());
  EXPECT_EQ(once, totals());

  ASSERT_TRUE(Reset_Invoiced(files, ui));
  for (const auto& c : all<rec::VelCli>()) EXPECT_EQ(0, c.INVOICED.value);
  clock.set(today + 31, timeFromHms(9, 0, 0));
  EXPECT_EQ(5, run().clientsInvoiced);
  // A member billed twice has last month's premium in P30.
  const auto b = ledger::bucketsOf(member<rec::VelAge>("0003/KOP"));
  EXPECT_EQ((ledger::AgeBuckets{20600, 10300, 10300, 0, 0, 0, 10300}), b);
}

TEST_F(InvoiceRunTest, MemberWhoseWriteFailsIsLeftWholeAndTheRunCanBeFinished) {
  for (int n = 1; n <= 7; ++n) client("000" + std::to_string(n) + "/MAS", "Active", 10 * n);
  // The fifth client's transaction cannot be written (as a full disk would
  // refuse it): his invoice, ageing and marks, written before it, go too.
  refuseAddsWhere("VelTra", "CLIENT_ID", "'0005/MAS'");
  ui.expect("Generating Velmora Data", kOk);

  const auto stopped = run(3);
  EXPECT_FALSE(stopped.ok);
  EXPECT_NE(std::string::npos, stopped.failure.find("0005/MAS")) << stopped.failure;
  EXPECT_NE(std::string::npos, stopped.failure.find("VelTra")) << stopped.failure;
  EXPECT_EQ(4, stopped.clientsInvoiced);
  EXPECT_EQ(4u, all<rec::VelInv>().size());
  EXPECT_EQ(4u, all<rec::VelAge>().size());
  EXPECT_EQ(4u, all<rec::VelTra>().size());
  EXPECT_EQ(0, member<rec::VelCli>("0005/MAS").INVOICED.value);
  EXPECT_EQ(0, member<rec::VelCli>("0005/MAS").DAY5.value);

  acceptAgain("VelTra");
  const auto finished = run(3);
  ASSERT_TRUE(finished.ok);
  EXPECT_EQ(3, finished.clientsInvoiced);
  EXPECT_EQ(stopped.cents + finished.cents, 10 * (1 + 2 + 3 + 4 + 5 + 6 + 7) * 100);
  // Every member billed once: each invoice matches one transaction and the
  // ageing's CURRENT.
  std::map<std::string, int> invoices;
  for (const auto& i : all<rec::VelInv>()) ++invoices[i.CLIENT_ID.text()];
  for (const auto& a : all<rec::VelAge>()) {
    EXPECT_EQ(1, invoices[a.CLIENT_ID.text()]) << a.CLIENT_ID.str();
    EXPECT_EQ(a.TOTAL.value, a.CURRENT.value);
  }
  EXPECT_EQ(7u, invoices.size());
  EXPECT_EQ(7u, all<rec::VelTra>().size());
}

TEST_F(InvoiceRunTest, FilesHeldByAnotherStationStopTheRunWithNothingWritten) {
  client("0001/NEL", "Active", 100);
  {
    FileManager& f = files.fm<rec::VelAge>();
    FileUse use(f);
    ASSERT_EQ(kDone, f.EnsureOpen());
  }
  WriteLock held(path("VelAge"));
  ui.expect("Generating Velmora Data", kOk);
  const auto result = run();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.failure.find("VelAge")) << result.failure;
  EXPECT_EQ(0, member<rec::VelCli>("0001/NEL").INVOICED.value);
  EXPECT_TRUE(all<rec::VelInv>().empty());
}

TEST_F(InvoiceRunTest, SmsSideIsToldOfACompleteRunOnly) {
  client("0001/OUT", "Active", 100);
  int told = 0;
  bool automatic = false;
  ledger::messageHooks().afterInvoiceRun = [&](DataFiles&, bool a) {
    ++told;
    automatic = a;
  };
  billing::InvoiceRunOptions o;
  o.automatic = true;
  EXPECT_TRUE(Generate_Invoices(files, ui, clock, stamp, o).ok);
  EXPECT_EQ(1, told);
  EXPECT_TRUE(automatic);

  refuseAdds("VelInv");
  ASSERT_TRUE(Reset_Invoiced(files, ui));
  ui.expect("Generating Velmora Data", kOk);
  EXPECT_FALSE(run().ok);
  EXPECT_EQ(1, told);
  ledger::messageHooks().afterInvoiceRun = nullptr;
}

// The bar of each pass: 100 / records per record read (skipped ones too),
// shown cut to a whole number.
class RecordingUi : public ScriptedUi {
 public:
  struct Bar : Progress {
    explicit Bar(std::vector<std::vector<int>>& log) : log_(log) { log_.emplace_back(); }
    void setPercent(int p) override { log_.back().push_back(p); }
    std::vector<std::vector<int>>& log_;
  };
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    EXPECT_EQ("Generating Velmora Data", title);
    EXPECT_EQ("Generating Invoices, please wait ...", text);
    return std::make_unique<Bar>(bars);
  }
  std::vector<std::vector<int>> bars;
};

TEST_F(InvoiceRunTest, EachPassHasAWholeNumberBar) {
  for (int n = 1; n <= 7; ++n) client("000" + std::to_string(n) + "/PIT", n == 2 ? "" : "Active", 5);
  for (int n = 1; n <= 3; ++n) hamper("000" + std::to_string(n) + "/PIT", "Active", 5);
  RecordingUi bars;
  ErrorManager barErrors{bars};
  DataFiles station{dir.path(), *engine, barErrors};
  ASSERT_TRUE(Generate_Invoices(station, bars, clock, stamp).ok);
  // 100/7 = 14.285714...: its running sum cut to whole numbers.
  ASSERT_EQ(2u, bars.bars.size());
  EXPECT_EQ((std::vector<int>{0, 14, 28, 42, 57, 71, 85, 100}), bars.bars[0]);
  EXPECT_EQ((std::vector<int>{0, 33, 66, 100}), bars.bars[1]);
}

}  // namespace
}  // namespace vel::test
