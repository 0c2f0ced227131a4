// Start-up of the frame: a new folder's seeding, the configuration and its
// first run, the date checks, the daily sequence and the single-instance lock.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "shell/FrameText.h"
#include "shell/ShellFixture.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

using Outcome = Startup::Outcome;

class StartupTest : public ShellFixture {};

TEST_F(StartupTest, EmptyFolderIsSeededWithoutLogIn) {
  ui.boxes.expect("Update Information", kOk, "Please update information in Branch Detail file");
  auto s = station(day(2026, 12, 8));
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());
  s->close();

  EXPECT_EQ(1, ui.firstRunsShown);  // cancelled: start-up goes on with a cleared record
  EXPECT_EQ(0, ui.loginsShown);
  EXPECT_EQ(1, globals().USER_CODE);
  EXPECT_EQ(0, globals().IS_ADMIN);
  EXPECT_EQ("[1.02]", globals().VERSION());
  EXPECT_TRUE(all<rec::Config>().empty());

  auto defprn = all<rec::DefPrn>();
  ASSERT_EQ(1u, defprn.size());
  EXPECT_EQ(0, defprn[0].ON_INV.value + defprn[0].ON_PAY.value + defprn[0].ON_5LATE.value +
                   defprn[0].ON_10LATE.value);
  auto balance = all<rec::Balance>();
  ASSERT_EQ(2u, balance.size());
  EXPECT_EQ("Petty Cash", balance[0].ENTITY.str());
  EXPECT_EQ("Bank", balance[1].ENTITY.str());
  EXPECT_EQ(1u, all<rec::BDetal>().size());
  auto comm = all<rec::CommStr>();
  ASSERT_EQ(1u, comm.size());
  EXPECT_EQ(10, comm[0].AGENT.value);
  EXPECT_EQ(5, comm[0].COLL.value);
  for (const char* name : {"Config.Tps", "Users.Tps", "VelData.Tps"})
    EXPECT_TRUE(fileExists(*engine, dir.file(name))) << name;
  // No configuration record to date: nothing daily has run; the backup is
  // taken at every start.
  EXPECT_EQ((std::vector<std::string>{"convert", "backup"}), ran);
}

TEST_F(StartupTest, FirstRunAddsTheConfigurationAndTheTitleCarriesIt) {
  ui.onFirstRun = [this](FirstRunForm& f) {
    ui.boxes.expect(FirstRunForm::kTitle, kOk, "Please enter the Business Name");
    EXPECT_EQ(FirstRunForm::Step::Stay, f.okPressed());
    f.draft.name = "Thembeka Burial Society";
    f.draft.branchId = "12345";
    ui.boxes.expect(FirstRunForm::kTitle, kOk, "The Branch ID may be at most 4 characters");
    EXPECT_EQ(FirstRunForm::Step::Stay, f.okPressed());
    f.draft.branchId = "07";
    f.draft.addr1 = "12 Vilakazi Street";
    EXPECT_EQ(FirstRunForm::Step::Close, f.okPressed());
    ui.boxes.expect("Update Information", kOk);
  };
  auto s = station(day(2026, 12, 8));
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());

  auto config = all<rec::Config>();
  ASSERT_EQ(1u, config.size());
  EXPECT_EQ("Thembeka Burial Society", config[0].NAME.str());
  EXPECT_EQ("12 Vilakazi Street", config[0].ADDR1.str());
  EXPECT_EQ(day(2026, 12, 8), config[0].DATE.value);  // the first start-up's date
  EXPECT_EQ("Thembeka Burial Society", all<rec::BDetal>()[0].BUS_NAME.str());
  EXPECT_EQ("07", globals().CUR_BRANCH());
  EXPECT_EQ(std::string("Velmora Administration Version 1.02 - Thembeka Burial Society") +
                std::string(27, ' ') + "    Ref No KX07  ",
            s->title());
}

TEST_F(StartupTest, DailySequenceRunsOncePerDayInOrder) {
  installConfig(day(2026, 12, 7));
  installBranchDetail();
  setSwitches(1, 1, 1);
  {
    auto s = station(day(2026, 12, 8));
    ASSERT_EQ(Outcome::Running, s->initialise());
    ASSERT_EQ(Outcome::Running, s->open());
    EXPECT_TRUE(s->dailySequenceRan());
  }
  // VelData is new: no invoice or message runs on the folder's first day.
  EXPECT_EQ((std::vector<std::string>{"convert", "backup"}), ran);
  EXPECT_EQ(1, ui.noticeShown);
  EXPECT_EQ(day(2026, 12, 8), all<rec::Config>()[0].DATE.value);
  ASSERT_EQ(1u, all<rec::VelData>().size());
  EXPECT_EQ(day(2026, 12, 8), all<rec::VelData>()[0].DATE.value);
  EXPECT_EQ("07", all<rec::VelData>()[0].BRANCH_ID.str());

  ran.clear();
  auto again = station(day(2026, 12, 8));
  ASSERT_EQ(Outcome::Running, again->initialise());
  ASSERT_EQ(Outcome::Running, again->open());
  EXPECT_FALSE(again->dailySequenceRan());
  // The day's sequence is not run twice; the backup is taken at every start.
  EXPECT_EQ((std::vector<std::string>{"convert", "backup"}), ran);
}

// The invoice gate opens after the 20th, once a month, and rolls December
// over into January of the next year.
struct GateCase {
  int y, m, d;
  bool opens;
  int nextY, nextM;
};

class InvoiceGateTest : public ShellFixture, public ::testing::WithParamInterface<GateCase> {};

TEST_P(InvoiceGateTest, OpensAfterTheTwentieth) {
  const GateCase c = GetParam();
  const std::int32_t today = day(c.y, c.m, c.d);
  installConfig(today - 1);
  installBranchDetail();
  setSwitches(1, 0, 1);
  setNextInvoiceDate(day(c.y, c.m, 1));
  auto s = station(today);
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());
  EXPECT_EQ(c.opens, s->invoiceGateOpened());
  std::vector<std::string> expected{"convert"};
  if (c.opens) {
    expected.push_back("invoices");
    expected.push_back("sms Invoice");
  }
  expected.push_back("sms 10 Day");
  expected.push_back("backup");
  EXPECT_EQ(expected, ran);
  const std::int32_t next = c.opens ? day(c.nextY, c.nextM, 20) : day(c.y, c.m, 1);
  EXPECT_EQ(next, all<rec::VelData>()[0].DATE.value);
}

INSTANTIATE_TEST_SUITE_P(Days, InvoiceGateTest,
                         ::testing::Values(GateCase{2026, 11, 20, false, 0, 0},
                                           GateCase{2026, 11, 21, true, 2026, 12},
                                           GateCase{2026, 12, 28, true, 2027, 1},
                                           GateCase{2027, 2, 28, true, 2027, 3}));

TEST_F(StartupTest, GateStaysShutWhenThisMonthWasInvoiced) {
  installConfig(day(2026, 11, 22));
  installBranchDetail();
  setSwitches(0, 0, 0);
  setNextInvoiceDate(day(2026, 12, 20));
  auto s = station(day(2026, 11, 25));
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());
  EXPECT_FALSE(s->invoiceGateOpened());
  EXPECT_EQ((std::vector<std::string>{"convert", "backup"}), ran);
}

TEST_F(StartupTest, NewMonthResetsMarksBeforeTheInvoiceRun) {
  // Last start-up in October; the first of November falls on the 23rd: the
  // marks are cleared first, so November is invoiced.
  installConfig(day(2026, 10, 30));
  installBranchDetail();
  setSwitches(0, 0, 0);
  setNextInvoiceDate(day(2026, 11, 20));
  auto s = station(day(2026, 11, 23));
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());
  EXPECT_EQ((std::vector<std::string>{"convert", "reset", "invoices", "backup"}), ran);
}

TEST_F(StartupTest, SameMonthAYearLaterStillResets) {
  installConfig(day(2025, 12, 8));
  installBranchDetail();
  setSwitches(0, 0, 0);
  auto s = station(day(2026, 12, 8));
  ASSERT_EQ(Outcome::Running, s->initialise());
  ASSERT_EQ(Outcome::Running, s->open());
  EXPECT_EQ((std::vector<std::string>{"convert", "reset", "backup"}), ran);
}

TEST_F(StartupTest, ClockSetBackStopsTheProgram) {
  installConfig(day(2026, 12, 8));
  installBranchDetail();
  ui.boxes.expect("Program Halted", kOk, "Invalid System Date");
  auto s = station(day(2026, 12, 7));
  ASSERT_EQ(Outcome::Running, s->initialise());
  EXPECT_EQ(Outcome::Stopped, s->open());
  EXPECT_TRUE(ui.boxes.halted());
  EXPECT_EQ(day(2026, 12, 8), all<rec::Config>()[0].DATE.value);
}

TEST_F(StartupTest, SecondCopyOnTheMachineIsRefusedAfterLogIn) {
  installConfig(day(2026, 12, 8));
  installBranchDetail();
  auto first = station(day(2026, 12, 8));
  ASSERT_EQ(Outcome::Running, first->initialise());

  // A second process on the same machine (its own store and managers).
  ErrorManager em2(ui);
  auto engine2 = test::makeEngineFor(dir.path());
  DataFiles files2(dir.path(), *engine2, em2);
  ui.boxes.expect("Execution Error!", kOk, "Velmora Administration Already Running!");
  Startup second(files2, ui, clock, {}, dir.file("instance.lock"));
  EXPECT_EQ(Outcome::SecondCopy, second.initialise());
}

TEST_F(StartupTest, LockOfACopyThatDiedIsFreeAgain) {
  const std::string lockPath = dir.file("instance.lock");
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  pid_t child = fork();
  if (child == 0) {
    InstanceLock lock;
    char ok = lock.acquire(lockPath) == InstanceLock::Outcome::Acquired ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    pause();  // killed below, holding the lock
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(1, read(ready[0], &ok, 1));
  ASSERT_EQ('y', ok);
  InstanceLock mine;
  EXPECT_EQ(InstanceLock::Outcome::AlreadyRunning, mine.acquire(lockPath));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(InstanceLock::Outcome::Acquired, mine.acquire(lockPath));
  close(ready[0]);
  close(ready[1]);
}

// Overwrites the page that holds the Config records, as a failing disk or a
// station dying on a broken share may leave it.
void damageRecordPage(const std::string& file) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &db));
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db,
                                          "SELECT rootpage, (SELECT page_size FROM "
                                          "pragma_page_size) FROM sqlite_master WHERE name='rec'",
                                          -1, &st, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(st));
  const long page = sqlite3_column_int64(st, 0), size = sqlite3_column_int64(st, 1);
  sqlite3_finalize(st);
  sqlite3_close(db);
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp((page - 1) * size);
  const std::string junk(static_cast<std::size_t>(size), '\x5a');
  f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

// A configuration that cannot be opened or read stops the program: going on
// with a cleared record would skip the log-in the configuration asks for.
TEST_F(StartupTest, ConfigurationThatCannotBeUsedStopsBeforeAnyLogInDecision) {
  VEL_SQLITE_FILES_ONLY();
  enum Damage { OtherOwner, DamagedRecordPage, NotARecordFile };
  for (Damage damage : {OtherOwner, DamagedRecordPage, NotARecordFile}) {
    SCOPED_TRACE(damage);
    globals().clear();
    std::filesystem::remove(dir.file("Config.Tps"));
    if (damage == OtherOwner) {
      DataFiles other(dir.path(), *engine, errors, "SomebodyElse");
      FileManager& f = other.fm<rec::Config>();
      FileUse use(f);
      ASSERT_EQ(kDone, f.EnsureOpen());
    } else if (damage == DamagedRecordPage) {
      installConfig(day(2026, 12, 7), 1);
      damageRecordPage(dir.file("Config.Tps"));
    } else {
      std::ofstream(dir.file("Config.Tps")) << "not a record file";
    }
    ScriptedShellUi fresh;
    ErrorManager em(fresh);
    DataFiles station(dir.path(), *engine, em);
    fresh.boxes.expect("Program Halted", kOk, "No Configuration File");
    Startup s(station, fresh, clock, {}, dir.file("instance.lock"));
    EXPECT_EQ(Outcome::Stopped, s.initialise());
    EXPECT_TRUE(fresh.boxes.halted());
    EXPECT_EQ(0, fresh.firstRunsShown);
    EXPECT_EQ(0, fresh.loginsShown);
    EXPECT_NE(1, globals().USER_CODE);  // nobody got the administrator's rights
    fresh.boxes.verifyDone();
  }
}

TEST(FrameText, StatusZonesAndVersion) {
  EXPECT_EQ("[1.02]", versionFromTitle(kFrameTitle));
  EXPECT_EQ("Tuesday, December 8, 2026", statusDay(dateFromYmd(2026, 12, 8)));
  EXPECT_EQ("Sunday, January 3, 2027", statusDay(dateFromYmd(2027, 1, 3)));
  EXPECT_EQ("Wednesday", weekdayName(dateFromYmd(2026, 12, 9)));
  EXPECT_EQ("12:05 AM", statusTime(timeFromHms(0, 5, 59)));
  EXPECT_EQ("12:00 PM", statusTime(timeFromHms(12, 0, 0)));
  EXPECT_EQ("7:21 PM", statusTime(timeFromHms(19, 21, 0)));
  EXPECT_EQ("User: THANDI", statusUser("THANDI    "));
}

}  // namespace
}  // namespace vel::test
