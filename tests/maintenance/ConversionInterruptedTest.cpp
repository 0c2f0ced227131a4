// A conversion cut short loses nothing. The conversion runs in a process of
// its own that is ended at each step of a swap, and at random moments, and a
// second start must then find every record there, exactly once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "maintenance/ConversionFixture.h"
#include "support/Engines.h"

namespace vel {
namespace {

using test::OldFolder;
namespace older = rec::older;

constexpr int kCutExit = 77;

// Runs the conversion of `dir` in a child process; `cut` decides at each
// step whether the child ends there (as a power cut would end it: no
// clean-up). Returns the child's exit code, or 100 + signal.
int convertInChild(const std::string& dir, int groupSize,
                   const std::function<bool(std::string_view, ConversionStep)>& cut,
                   const std::function<void(pid_t)>& whileRunning = {}) {
  pid_t pid = ::fork();
  if (pid == 0) {
    auto engine = test::makeEngineFor(dir);
    SilentUi ui;
    FixedClock clock{test::kConvertDay, 0};
    Conversion c(dir, *engine, ui, clock);
    c.groupSize = groupSize;
    c.afterStep = [&](std::string_view label, ConversionStep s) {
      if (cut && cut(label, s)) ::_exit(kCutExit);
    };
    ConversionReport r = c.run();
    ::_exit(r.stopped ? 1 : 0);
  }
  if (whileRunning) whileRunning(pid);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A transaction file in layout A whose entries each carry their own number.
void writeTransactions(OldFolder& f, int n) {
  std::vector<older::VelTraA> t(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    t[i].CLIENT_ID = "0001/Mok";
    t[i].UNIQUE = std::to_string(i + 1);
    t[i].DEBIT = i;
  }
  f.writeOld("VelTra", "A", t);
}

void expectTransactionsOnce(OldFolder& f, int n) {
  auto t = f.read<rec::VelTra>();
  std::set<std::string> seen;
  for (const auto& x : t) EXPECT_TRUE(seen.insert(x.UNIQUE.text()).second) << x.UNIQUE.text();
  EXPECT_EQ(static_cast<int>(t.size()), n);
  EXPECT_EQ(f.countOld("VelTra.Old", "VelTra", "A"), n);
  EXPECT_FALSE(f.has("nVelTra.Tps"));
}

TEST(ConversionInterrupted, AtEachStepTheNextStartEndsWithEveryRecordOnce) {
  VEL_SQLITE_FILES_ONLY();
  const ConversionStep steps[] = {ConversionStep::Copying, ConversionStep::Copied,
                                  ConversionStep::OldRemoved, ConversionStep::OldKept,
                                  ConversionStep::Swapped};
  for (ConversionStep at : steps) {
    SCOPED_TRACE(static_cast<int>(at));
    OldFolder f;
    // An earlier conversion's .Old is there too: it must not be taken for
    // this one's.
    f.writeWith(*olderLayout("VelTra", "B"), "VelTra", std::vector<older::VelTraB>{});
    std::filesystem::rename(f.path("VelTra.Tps"), f.path("VelTra.Old"));
    writeTransactions(f, 450);
    ASSERT_EQ(convertInChild(f.dir.path(), 100,
                             [&](std::string_view, ConversionStep s) { return s == at; }),
              kCutExit);
    ConversionReport r = f.convert();
    EXPECT_FALSE(r.stopped) << r.failure;
    expectTransactionsOnce(f, 450);
  }
}

// Where the folder cannot hold a second name for a file, the .Tps file is
// renamed to .Old before the new file takes its name: a run cut short in
// between leaves no .Tps at all. The next start finishes that swap rather
// than letting an empty file be made over the office's records.
TEST(ConversionInterrupted, ASwapCutShortBetweenItsRenamesIsFinished) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  writeTransactions(f, 300);
  const std::string tps = f.path("VelTra.Tps");
  ASSERT_EQ(convertInChild(f.dir.path(), 100,
                           [&](std::string_view, ConversionStep s) {
                             if (s != ConversionStep::OldKept) return false;
                             ::unlink(tps.c_str());  // only the .Old name is left
                             return true;
                           }),
            kCutExit);
  ASSERT_FALSE(f.has("VelTra.Tps"));
  ASSERT_TRUE(f.has("nVelTra.Tps"));
  ConversionReport r = f.convert();
  EXPECT_EQ(r.finished, std::vector<std::string>{"VelTra"});
  EXPECT_TRUE(r.converted.empty());
  expectTransactionsOnce(f, 300);
}

// A new file that is not complete is never put in place, even with the .Tps
// name gone: the old records go back under their name and are converted
// again.
TEST(ConversionInterrupted, AnIncompleteNewFileIsThrownAwayAndTheConversionRedone) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  writeTransactions(f, 300);
  const std::string tps = f.path("VelTra.Tps"), old = f.path("VelTra.Old");
  int groups = 0;
  ASSERT_EQ(convertInChild(f.dir.path(), 100,
                           [&](std::string_view, ConversionStep s) {
                             if (s != ConversionStep::Copying || ++groups < 2) return false;
                             return ::rename(tps.c_str(), old.c_str()) == 0;
                           }),
            kCutExit);
  ASSERT_FALSE(f.has("VelTra.Tps"));
  ConversionReport r = f.convert();
  EXPECT_TRUE(r.finished.empty());
  EXPECT_EQ(r.converted, std::vector<std::string>{"VelTra"});
  expectTransactionsOnce(f, 300);
}

// The old records removed by hand after a run was cut short: the new file is
// all that is left of them, and it is put in place, never thrown away.
TEST(ConversionInterrupted, ANewFileLeftAloneIsPutInPlace) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  writeTransactions(f, 300);
  ASSERT_EQ(convertInChild(
                f.dir.path(), 100,
                [](std::string_view, ConversionStep s) { return s == ConversionStep::Copied; }),
            kCutExit);
  std::filesystem::remove(f.path("VelTra.Tps"));
  ConversionReport r = f.convert();
  EXPECT_EQ(r.finished, std::vector<std::string>{"VelTra"});
  EXPECT_EQ(f.read<rec::VelTra>().size(), 300u);
}

// An office in the first client layout: clients with children inside,
// extended family apart, and a ledger in older layouts.
struct OldOffice {
  static constexpr int kClients = 1200;
  explicit OldOffice(OldFolder& f) {
    std::vector<older::VelCliG> clients(kClients);
    std::vector<older::VelExtA> ext;
    for (int i = 0; i < kClients; ++i) {
      auto& c = clients[static_cast<std::size_t>(i)];
      c.NUMBER = i + 1;
      c.CLIENT_ID = std::to_string(10000 + i) + "/Cli";
      c.SURNAME = "Client" + std::to_string(i);
      c.H_ADDR3 = "Town" + std::to_string(i % 37);
      c.PREMIUM = 80 + i % 5;
      c.REMARKS = std::string(static_cast<std::size_t>(200 + i % 300), 'x');
      const int kids = i % 6;  // 0 to 5 inline children
      Text<20>* surnames[] = {&c.C1_SURNAME, &c.C2_SURNAME, &c.C3_SURNAME, &c.C4_SURNAME,
                              &c.C5_SURNAME};
      for (int k = 0; k < kids; ++k) *surnames[k] = "Kid" + std::to_string(k);
      for (int e = 0; e < i % 3; ++e) {
        older::VelExtA x;
        x.CLIENT_ID = c.CLIENT_ID;
        x.SURNAME = "Ext" + std::to_string(e);
        x.DOB = dateFromYmd(1990 + e, 1, 1);
        ext.push_back(x);
      }
      children += kids + i % 3;
    }
    f.writeOld("VelCli", "G", clients);
    f.writeOld("VelExt", "A", ext);
    extended = static_cast<int>(ext.size());
    std::vector<older::VelAudA> aud(900);
    for (int i = 0; i < 900; ++i) aud[static_cast<std::size_t>(i)].DATE = i;
    f.writeOld("VelAud", "A", aud);
    writeTransactions(f, 2500);
  }

  void expectWhole(OldFolder& f) const {
    auto cli = f.read<rec::VelCli>();
    std::set<std::string> ids;
    for (const auto& c : cli)
      EXPECT_TRUE(ids.insert(c.CLIENT_ID.text()).second) << c.CLIENT_ID.text();
    EXPECT_EQ(static_cast<int>(cli.size()), kClients);
    std::set<std::pair<std::string, std::int64_t>> kids;
    for (const auto& k : f.read<rec::VelChd>())
      EXPECT_TRUE(kids.emplace(k.CLIENT_ID.text(), k.NUMBER.value).second)
          << k.CLIENT_ID.text() << " " << k.NUMBER.value;
    EXPECT_EQ(static_cast<int>(kids.size()), children);
    EXPECT_EQ(f.read<rec::Town>().size(), 37u);
    EXPECT_FALSE(f.has("VelExt.Tps"));
    // The extended family are kept as VelExt.Old: in their first layout, or
    // converted when a run cut short had converted them already.
    EXPECT_EQ(f.countAny("VelExt.Old", "VelExt"), extended);
    auto aud = f.read<rec::VelAud>("By_Unique");
    EXPECT_EQ(aud.size(), 900u);
    expectTransactionsOnce(f, 2500);
    for (const auto& name : f.listing()) EXPECT_NE(name[0], 'n') << name << " was left behind";
  }

  int children = 0;
  int extended = 0;
};

TEST(ConversionInterrupted, TheClientSplitCutShortAtEachStepMakesEachChildOnce) {
  VEL_SQLITE_FILES_ONLY();
  const ConversionStep steps[] = {ConversionStep::Copying, ConversionStep::Copied,
                                  ConversionStep::ExtendedRemoved, ConversionStep::OldKept};
  for (ConversionStep at : steps) {
    SCOPED_TRACE(static_cast<int>(at));
    OldFolder f;
    OldOffice office(f);
    int seen = 0;
    ASSERT_EQ(convertInChild(f.dir.path(), 250,
                             [&](std::string_view label, ConversionStep s) {
                               return label == "VelCli" && s == at &&
                                      ++seen == 2 - (at != ConversionStep::Copying);
                             }),
              kCutExit);
    ConversionReport r = f.convert();
    EXPECT_FALSE(r.stopped) << r.failure;
    office.expectWhole(f);
  }
}

// Killed at random moments, again and again, then left to finish: the
// office is whole. Where the kill lands depends on the machine; what is
// checked does not.
TEST(ConversionInterrupted, KilledAtRandomMomentsTheOfficeEndsWhole) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  OldOffice office(f);
  std::mt19937 random(std::random_device{}());
  int killed = 0;
  for (int round = 0; round < 8; ++round) {
    const int delayMs = std::uniform_int_distribution<int>(0, 250)(random);
    int code = convertInChild(f.dir.path(), 200, {}, [&](pid_t pid) {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      ::kill(pid, SIGKILL);
    });
    if (code == 100 + SIGKILL)
      ++killed;
    else
      ASSERT_EQ(code, 0) << "the conversion failed on its own";
  }
  ConversionReport r = f.convert();
  EXPECT_FALSE(r.stopped) << r.failure;
  office.expectWhole(f);
  RecordProperty("killed", killed);
}

}  // namespace
}  // namespace vel

namespace vel {
namespace {

// Not a test of its own: writes the old office above into the folder named
// by VEL_OLD_OFFICE_DIR, with the counts a whole conversion ends with, for
// the command-line test that kills `velmora-admin convert`
// (tests/apps/ConvertInterrupted.sh).
TEST(ConversionInterrupted, OldOfficeForTheCommandLine) {
  VEL_SQLITE_FILES_ONLY();
  const char* target = std::getenv("VEL_OLD_OFFICE_DIR");
  if (!target || !*target) GTEST_SKIP() << "only made for the command-line test";
  OldFolder f;
  OldOffice office(f);
  std::filesystem::create_directories(target);
  for (const auto& name : f.listing())
    std::filesystem::copy_file(f.path(name), std::filesystem::path(target) / name,
                               std::filesystem::copy_options::overwrite_existing);
  std::ofstream expected(std::filesystem::path(target) / "expected.txt");
  expected << "VelCli " << OldOffice::kClients << "\nVelChd " << office.children
           << "\nTown 37\nVelAud 900\nVelTra 2500\nVelExt 0\n";
}

}  // namespace
}  // namespace vel

namespace vel {
namespace {

// Two stations started on the folder at once both find the old files; one
// converts while the other waits, and the office ends whole.
TEST(ConversionInterrupted, TwoStationsStartingTogetherConvertOnce) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  OldOffice office(f);
  pid_t first = ::fork();
  if (first == 0) {
    auto engine = test::makeEngineFor(f.dir.path());
    SilentUi ui;
    FixedClock clock{test::kConvertDay, 0};
    Conversion c(f.dir.path(), *engine, ui, clock);
    c.groupSize = 100;
    ::_exit(c.run().stopped ? 1 : 0);
  }
  int second = convertInChild(f.dir.path(), 100, {});
  int status = 0;
  ::waitpid(first, &status, 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 100, 0);
  EXPECT_EQ(second, 0);
  office.expectWhole(f);
}

}  // namespace
}  // namespace vel
