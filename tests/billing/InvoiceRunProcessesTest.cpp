// The invoice run as real processes on one office of 5,000 clients: killed
// at random moments, run by two stations at once, and started by the daily
// sequence of two stations at once. No test waits on the clock: the kills
// follow the run's own progress bar.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "billing/InvoiceRun.h"
#include "common/Dates.h"
#include "common/Money.h"
#include "dictionary/Dictionary.h"
#include "ledger/Ageing.h"
#include "ledger/InvoicePosting.h"
#include "recordstore/Processes.h"
#include "shell/ShellUi.h"
#include "shell/Startup.h"
#include "support/Records.h"
#include "support/Engines.h"
#include "support/TempDir.h"

namespace vel::test {
namespace {

constexpr int kClients = 5000;
constexpr int kHamper = 300;
const std::int32_t kToday = dateFromYmd(2026, 11, 23);
const ledger::PostingStamp kStamp{"01", "Station"};

std::string clientId(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d/TST", n);
  return buf;
}

// A station's Ui for the daily sequence: nothing to log in, nothing to ask.
struct QuietShellUi : ShellUi {
  unsigned message(std::string_view, std::string_view, Icon, unsigned, unsigned d) override {
    ++shown;
    return d;
  }
  void halt(int) override {}
  void runLogin(LoginForm&) override {}
  void runFirstRun(FirstRunForm&) override {}
  void runDateRange(DateRangeForm&) override {}
  void runChangePassword(ChangePasswordForm&) override {}
  int shown = 0;
};

// A station whose progress bar signals once the run has passed `percent`
// of a pass (the clients' pass when `hamperPass` is false).
struct SignallingUi : QuietShellUi {
  SignallingUi(Pipe& p, int percent) : pipe(p), at(percent) {}
  struct Bar : Progress {
    explicit Bar(SignallingUi& u) : ui(u) {}
    void setPercent(int p) override {
      if (!ui.sent && p >= ui.at) {
        ui.sent = true;
        ui.pipe.send();
      }
    }
    SignallingUi& ui;
  };
  std::unique_ptr<Progress> progress(std::string_view, std::string_view) override {
    return std::make_unique<Bar>(*this);
  }
  Pipe& pipe;
  int at;
  bool sent = false;
};

struct Station {
  explicit Station(const std::string& folder, Ui& ui)
      : engine(makeEngineFor(folder)), errors(ui), files(folder, *engine, errors) {}
  std::unique_ptr<Engine> engine;
  ErrorManager errors;
  DataFiles files;
};

class InvoiceRunProcessesTest : public ::testing::Test {
 protected:
  // The office: 5,000 clients (every seventh not active, every third with
  // an ageing record already), 300 hamper members, nobody invoiced yet.
  static void SetUpTestSuite() {
    pristine_ = new TempDir;
    QuietShellUi ui;
    Station s(pristine_->path(), ui);
    FileManager& cli = s.files.fm<rec::VelCli>();
    FileManager& age = s.files.fm<rec::VelAge>();
    FileManager& ham = s.files.fm<rec::Hamper>();
    FileUse c(cli), a(age), h(ham);
    ledger::LedgerTransaction tx(s.files, {&cli, &age, &ham}, 10);
    ASSERT_TRUE(tx.begun());
    for (int n = 1; n <= kClients; ++n) {
      cli.ClearBuffer();
      auto& r = cli.rec<rec::VelCli>();
      r.NUMBER = n;
      r.CLIENT_ID = clientId(n);
      r.ACTIVE = n % 7 == 0 ? "Lapsed" : "Active";
      r.PLANPREM = 50 + (n % 200) + 0.25 * (n % 4);
      // Numbered here: the group's write lock keeps the numbers ours.
      ASSERT_EQ(ecode::kNone, cli.engineFile()->add(cli.buffer()));
      if (n % 3 == 0) {
        age.ClearBuffer();
        auto& g = age.rec<rec::VelAge>();
        g.CLIENT_ID = clientId(n);
        ledger::storeBuckets(g, {30000, 10000, 10000, 10000, 0, 0, 20000});
        ASSERT_EQ(kDone, age.Insert());
      }
    }
    for (int n = 1; n <= kHamper; ++n) {
      ham.ClearBuffer();
      auto& r = ham.rec<rec::Hamper>();
      r.CLIENT_ID = clientId(n * 11);
      r.ACTIVE = "Active";
      r.NUMBER = n;
      r.PREMIUM = 30;
      ASSERT_EQ(ecode::kNone, ham.engineFile()->add(ham.buffer()));
    }
    ASSERT_TRUE(tx.commit());
    active_ = 0;  // each suite of this fixture builds the office afresh
    for (int n = 1; n <= kClients; ++n)
      if (n % 7 != 0) ++active_;
  }
  static void TearDownTestSuite() {
    delete pristine_;
    pristine_ = nullptr;
  }

  // A copy of the office in this test's own folder.
  void copyOffice(const std::string& to) { ASSERT_EQ(0, test::copyOffice(pristine_->path(), to)); }

  static billing::InvoiceRunResult run(DataFiles& files, Ui& ui, int groupSize) {
    FixedClock clock(kToday, timeFromHms(8, 0, 0));
    billing::InvoiceRunOptions o;
    o.groupSize = groupSize;
    return billing::Generate_Invoices(files, ui, clock, kStamp, o);
  }

  // What the office holds, for comparing one run with another.
  struct Totals {
    std::size_t invoices = 0, entries = 0, ageing = 0, hamperInvoices = 0;
    std::int64_t billed = 0, owed = 0;
    int marked = 0;
    bool operator==(const Totals&) const = default;
  };
  static Totals totals(DataFiles& files) {
    Totals t;
    for (const auto& i : readAll<rec::VelInv>(files)) ++t.invoices, t.billed += toCents(i.DEBIT);
    for (const auto& e : readAll<rec::VelTra>(files)) ++t.entries, t.billed += toCents(e.DEBIT);
    for (const auto& g : readAll<rec::VelAge>(files)) ++t.ageing, t.owed += toCents(g.TOTAL);
    for (const auto& c : readAll<rec::VelCli>(files)) t.marked += c.INVOICED.value;
    t.hamperInvoices = readAll<rec::HamInv>(files).size();
    return t;
  }

  // Every client has all four writes of this month or none of them; returns
  // how many have them.
  static int checkWholeMembers(DataFiles& files) {
    std::map<std::string, int> invoices, entries;
    std::map<std::string, rec::VelAge> ageing;
    for (const auto& i : readAll<rec::VelInv>(files)) {
      EXPECT_EQ(kToday, i.DATE.value);
      ++invoices[i.CLIENT_ID.text()];
    }
    for (const auto& e : readAll<rec::VelTra>(files)) ++entries[e.CLIENT_ID.text()];
    for (const auto& g : readAll<rec::VelAge>(files)) ageing[g.CLIENT_ID.text()] = g;
    int whole = 0;
    for (const auto& c : readAll<rec::VelCli>(files)) {
      const std::string id = c.CLIENT_ID.text();
      const int n = c.NUMBER.value;
      const bool hadAgeing = n % 3 == 0;
      const auto g = ageing.find(id);
      if (c.INVOICED.value == 1) {
        ++whole;
        EXPECT_EQ(1, invoices[id]) << id;
        EXPECT_EQ(1, entries[id]) << id;
        EXPECT_EQ(1, c.DAY5.value) << id;
        EXPECT_EQ(kToday + 14, c.SMS_DATE.value) << id;
        if (g == ageing.end()) {
          ADD_FAILURE() << id << " invoiced without an ageing record";
          continue;
        }
        const auto b = ledger::bucketsOf(g->second);
        EXPECT_EQ(toCents(c.PLANPREM), b.CURRENT) << id;
        EXPECT_EQ((hadAgeing ? 30000 : 0) + toCents(c.PLANPREM), b.TOTAL) << id;
      } else {
        EXPECT_EQ(0, invoices[id]) << id;
        EXPECT_EQ(0, entries[id]) << id;
        EXPECT_EQ(0, c.SMS_SENDIT.value) << id;
        EXPECT_EQ(hadAgeing, g != ageing.end()) << id;
        if (g != ageing.end()) {
          EXPECT_EQ(30000, ledger::bucketsOf(g->second).TOTAL) << id;
        }
      }
    }
    return whole;
  }

  static TempDir* pristine_;
  static int active_;
  TempDir dir;
};

TempDir* InvoiceRunProcessesTest::pristine_ = nullptr;
int InvoiceRunProcessesTest::active_ = 0;

TEST_F(InvoiceRunProcessesTest, KilledRunLeavesWholeMembersAndAReRunGivesTheCleanTotals) {
  Totals clean;
  {
    copyOffice(dir.path());
    QuietShellUi ui;
    Station s(dir.path(), ui);
    const auto r = run(s.files, ui, 100);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(active_, r.clientsInvoiced);
    clean = totals(s.files);
  }

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  copyOffice(dir.path());
  int kills = 0, finished = 0, done = 0;
  while (kills < 30) {
    // A moment past what earlier runs finished: the bar counts the members
    // already invoiced too, so the kill lands among new writes.
    const int from = done * 100 / kClients;
    const int at = std::uniform_int_distribution<int>(from, 99)(random);
    Pipe signal;
    bool killed = false;
    {
      Child child([&] {
        SignallingUi ui(signal, at);
        Station s(dir.path(), ui);
        return run(s.files, ui, 100).ok ? 0 : 1;
      });
      if (child.waitFor(signal)) killed = true;  // the child is killed leaving this scope
      else EXPECT_EQ(0, child.exitCode());
    }
    kills += killed ? 1 : 0;

    QuietShellUi ui;
    Station s(dir.path(), ui);
    done = checkWholeMembers(s.files);
    if (HasFailure()) return;
    if (done == active_ || !killed) {
      // The month is complete: a re-run adds nothing, and the office holds
      // what one clean run gives. Start again from the untouched office.
      EXPECT_EQ(0, run(s.files, ui, 100).clientsInvoiced);
      EXPECT_EQ(clean, totals(s.files));
      ++finished;
      copyOffice(dir.path());
      done = 0;
    }
  }
  QuietShellUi ui;
  Station s(dir.path(), ui);
  ASSERT_TRUE(run(s.files, ui, 100).ok);
  EXPECT_EQ(active_, checkWholeMembers(s.files));
  EXPECT_EQ(clean, totals(s.files));
}

// Stations starting the month's run at the same moment: every active
// member is invoiced exactly once, whichever station reaches him first.
class RunsAtOnce : public InvoiceRunProcessesTest, public ::testing::WithParamInterface<int> {};

TEST_P(RunsAtOnce, InvoiceEveryActiveMemberExactlyOnce) {
  copyOffice(dir.path());
  std::vector<std::unique_ptr<Pipe>> go;
  std::vector<std::unique_ptr<Child>> stations;
  for (int n = 0; n < GetParam(); ++n) {
    go.push_back(std::make_unique<Pipe>());
    Pipe& mine = *go.back();
    stations.push_back(std::make_unique<Child>([&] {
      QuietShellUi ui;
      Station s(dir.path(), ui);
      mine.wait();
      return run(s.files, ui, 50).ok ? 0 : 1;
    }));
  }
  for (auto& g : go) g->send();
  for (auto& c : stations) EXPECT_EQ(0, c->exitCode());

  QuietShellUi ui;
  Station s(dir.path(), ui);
  EXPECT_EQ(active_, checkWholeMembers(s.files));
  std::map<std::string, int> hamper;
  for (const auto& i : readAll<rec::HamInv>(s.files)) ++hamper[i.CLIENT_ID.text()];
  EXPECT_EQ(static_cast<std::size_t>(kHamper), hamper.size());
  for (const auto& [id, n] : hamper) EXPECT_EQ(1, n) << id;
}

INSTANTIATE_TEST_SUITE_P(InvoiceRunProcesses, RunsAtOnce, ::testing::Values(2, 8),
                         [](const ::testing::TestParamInfo<int>& p) {
                           return std::to_string(p.param) + "Stations";
                         });

TEST_F(InvoiceRunProcessesTest, DailySequenceOfTwoStationsResetsAndBillsTheMonthOnce) {
  copyOffice(dir.path());
  {
    // Last month's marks on every client, and a folder last started in
    // October: the first start-up on the 23rd of November resets, then bills.
    QuietShellUi ui;
    Station s(dir.path(), ui);
    FileManager& cli = s.files.fm<rec::VelCli>();
    FileUse use(cli);
    ledger::LedgerTransaction tx(s.files, {&cli}, 10);
    ASSERT_TRUE(tx.begun());
    cli.SetOrder(kPhysicalOrder);
    while (cli.TryReadNext() == kDone) {
      cli.rec<rec::VelCli>().INVOICED = 1;
      ASSERT_EQ(kDone, cli.TryUpdate());
    }
    ASSERT_TRUE(tx.commit());
    FileManager& cfg = s.files.fm<rec::Config>();
    FileUse useCfg(cfg);
    cfg.ClearBuffer();
    cfg.rec<rec::Config>().BRANCH_ID = "01";
    cfg.rec<rec::Config>().DATE = dateFromYmd(2026, 10, 28);
    ASSERT_EQ(kDone, cfg.Insert());
    FileManager& data = s.files.fm<rec::VelData>();
    FileUse useData(data);
    data.ClearBuffer();
    data.rec<rec::VelData>().DATE = dateFromYmd(2026, 10, 28);
    ASSERT_EQ(kDone, data.Insert());
  }

  Pipe go1, go2;
  auto station = [&](Pipe& go) {
    return [&] {
      QuietShellUi ui;
      Station s(dir.path(), ui);
      FixedClock clock(kToday, timeFromHms(7, 30, 0));
      StartupHooks hooks;
      hooks.generateInvoices = [&] {
        billing::InvoiceRunOptions o;
        o.automatic = true;
        o.groupSize = 200;
        billing::Generate_Invoices(s.files, ui, clock, kStamp, o);
      };
      hooks.resetInvoiced = [&] { return billing::resetInvoicedWithin(s.files, ui); };
      Startup startup(s.files, ui, clock, hooks, dir.file("instance.lock"));
      go.wait();
      return startup.runDailyHeadless() ? 0 : 1;
    };
  };
  Child first(station(go1)), second(station(go2));
  go1.send();
  go2.send();
  EXPECT_EQ(0, first.exitCode());
  EXPECT_EQ(0, second.exitCode());

  QuietShellUi ui;
  Station s(dir.path(), ui);
  // Inactive clients keep no mark after the reset; active ones are billed once.
  EXPECT_EQ(active_, checkWholeMembers(s.files));
  EXPECT_EQ(dateFromYmd(2026, 12, 20), readAll<rec::VelData>(s.files)[0].DATE.value);
  EXPECT_EQ(kToday, readAll<rec::Config>(s.files)[0].DATE.value);
}

}  // namespace
}  // namespace vel::test
