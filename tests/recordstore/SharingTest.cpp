// Sharing one data folder between stations: real processes working on the
// same files at the same time.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <set>
#include <tuple>

#include "StoreFixture.h"
#include "errors/EngineStatus.h"

namespace vel {
namespace {

// A one-way signal between two processes.
class Signal {
 public:
  Signal() {
    if (::pipe(fd_) != 0) std::abort();
  }
  ~Signal() {
    ::close(fd_[0]);
    ::close(fd_[1]);
  }
  void send() {
    char c = 1;
    if (::write(fd_[1], &c, 1) != 1) std::abort();
  }
  void wait() {
    char c;
    if (::read(fd_[0], &c, 1) != 1) std::abort();
  }

 private:
  int fd_[2];
};

// Runs `body` in a child process; its result is the child's exit code.
pid_t spawn(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

int exitCode(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A station in a child process: its own engine, managers and a Ui that
// counts every box it is shown.
struct Station {
  explicit Station(const std::string& folder)
      : engine(test::makeEngineFor(folder)), files(folder, *engine, errors) {}
  struct CountingUi : SilentUi {
    unsigned message(std::string_view text, std::string_view title, Icon i, unsigned b,
                     unsigned d) override {
      ++shown;
      lastTitle = title;
      lastText = text;
      return SilentUi::message(text, title, i, b, d);
    }
    int shown = 0;
    std::string lastTitle, lastText;
  } ui;
  std::unique_ptr<Engine> engine;
  ErrorManager errors{ui};
  DataFiles files;
};

class SharingTest : public test::EngineStoreFixture {};

// Stations adding clients at the same moment, each through the reporting
// Insert: every one of them succeeds without a box, and the numbers run from
// 1 without a gap or a repeat. Nothing here depends on how fast the machine
// is: a station waits out the others' locks however long they last.
class StationsAddingClientsAtOnce
    : public test::StoreFixtureOn<::testing::TestWithParam<std::tuple<test::EngineKind, int>>> {
 protected:
  StationsAddingClientsAtOnce() : StoreFixtureOn(std::get<0>(GetParam())) {}
};

TEST_P(StationsAddingClientsAtOnce, NumberThemWithoutGapOrRepeat) {
  const int stations = std::get<1>(GetParam());
  const int each = 600 / stations;
  Signal ready, go;
  std::vector<pid_t> children;
  for (int n = 0; n < stations; ++n) {
    const char station = static_cast<char>('A' + n);
    children.push_back(spawn([&, station] {
      Station s(dir.path());
      FileManager& cli = s.files.fm<rec::VelCli>();
      FileUse use(cli);
      if (cli.EnsureOpen() != kDone) return 3;
      ready.send();
      go.wait();
      for (int i = 0; i < each; ++i) {
        cli.ClearBuffer();
        auto& c = cli.rec<rec::VelCli>();
        c.CLIENT_ID = std::string(1, station) + std::to_string(i);
        c.SURNAME = "Station";
        if (cli.Insert() != kDone) {
          std::fprintf(stderr, "station %c: %s: %s\n", station, s.ui.lastTitle.c_str(),
                       s.ui.lastText.c_str());
          return 1;
        }
      }
      if (s.ui.shown == 0) return 0;
      std::fprintf(stderr, "station %c: %s: %s\n", station, s.ui.lastTitle.c_str(),
                   s.ui.lastText.c_str());
      return 2;
    }));
  }
  // All open first, then all start at once.
  for (int n = 0; n < stations; ++n) ready.wait();
  for (int n = 0; n < stations; ++n) go.send();
  for (pid_t child : children) EXPECT_EQ(exitCode(child), 0) << "1: an insert failed, 2: a box was shown";

  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  EXPECT_EQ(cli.Records(), stations * each);
  ASSERT_EQ(cli.SetOrder(cli.keyIndex("By_Number")), kDone);
  std::int64_t expect = 1;
  std::set<char> seen;
  while (cli.ReadNext() == kDone) {
    auto& c = cli.rec<rec::VelCli>();
    ASSERT_EQ(c.NUMBER, expect) << "gap or repeat before " << c.CLIENT_ID.text();
    ASSERT_FALSE(c.CLIENT_ID.blank()) << "a reservation was left behind";
    seen.insert(c.CLIENT_ID.str()[0]);
    ++expect;
  }
  EXPECT_EQ(expect, stations * each + 1);
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(stations));
}

INSTANTIATE_TEST_SUITE_P(
    Sharing, StationsAddingClientsAtOnce,
    ::testing::Combine(::testing::Values(test::EngineKind::SQLite, test::EngineKind::PostgreSQL),
                       ::testing::Values(2, 4, 8)),
    [](const ::testing::TestParamInfo<std::tuple<test::EngineKind, int>>& p) {
      return std::to_string(std::get<1>(p.param)) + "Stations" +
             test::engineName(std::get<0>(p.param));
    });

// A station that holds a file locked (as a long commit on a slow share does)
// while this one opens it. The holder keeps the lock until told to let go.
class LockHolder {
 public:
  explicit LockHolder(const std::string& file) {
    pid_ = spawn([this, file] {
      sqlite3* db = nullptr;
      if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) return 1;
      if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
      locked_.send();
      release_.wait();
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      return 0;
    });
    locked_.wait();
  }
  // Lets go and waits until the holder has ended, so the lock is surely gone.
  int release() {
    if (pid_ <= 0) return 0;
    release_.send();
    int rc = exitCode(pid_);
    pid_ = 0;
    return rc;
  }
  ~LockHolder() { release(); }

 private:
  Signal locked_, release_;
  pid_t pid_ = 0;
};

// A Ui that lets the holder go when the open asks, then answers Retry.
struct RetryAfterRelease : SilentUi {
  unsigned message(std::string_view text, std::string_view title, Icon, unsigned b,
                   unsigned) override {
    boxes.push_back(std::string(title) + ": " + std::string(text));
    buttons = b;
    if (holder) holderRc = holder->release();
    return kRetry;
  }
  LockHolder* holder = nullptr;
  std::vector<std::string> boxes;
  unsigned buttons = 0;
  int holderRc = -1;
};

TEST_P(SharingTest, OpeningAFileAnotherStationHoldsOffersToTryAgain) {
  VEL_SQLITE_FILES_ONLY();
  {
    FileManager& town = files.fm<rec::Town>();
    FileUse use(town);
    town.ClearBuffer();
    town.rec<rec::Town>().TOWN = "Polokwane";
    ASSERT_EQ(town.Insert(), kDone);
  }
  LockHolder holder(dir.file("Town.Tps"));
  RetryAfterRelease answer;
  answer.holder = &holder;
  ErrorManager em(answer);
  auto other = station(em);
  FileManager& town = other->fm<rec::Town>();
  FileUse use(town);
  ASSERT_EQ(town.EnsureOpen(), kDone);
  EXPECT_FALSE(answer.halted);
  ASSERT_EQ(answer.boxes.size(), 1u);
  EXPECT_EQ(answer.boxes[0].rfind("File Access Error: File Town could not be opened.", 0), 0u)
      << answer.boxes[0];
  EXPECT_NE(answer.boxes[0].find("Lock Time-out"), std::string::npos) << answer.boxes[0];
  EXPECT_EQ(answer.buttons, kRetry | kCancel);
  EXPECT_EQ(answer.holderRc, 0);
  EXPECT_EQ(town.Records(), 1);
}

TEST_P(SharingTest, GivingUpOnAHeldFileLeavesOnlyThatFileUnusedAndTheProgramRunning) {
  VEL_SQLITE_FILES_ONLY();
  {
    FileUse use(files.fm<rec::Town>());
    ASSERT_EQ(files.fm<rec::Town>().EnsureOpen(), kDone);  // creates it
  }
  LockHolder holder(dir.file("Town.Tps"));
  FileManager& town = files.fm<rec::Town>();
  FileManager& route = files.fm<rec::Route>();
  FileUse useTown(town), useRoute(route);
  ui.expect("File Access Error", kCancel);
  EXPECT_EQ(town.EnsureOpen(), kNotUsable);
  EXPECT_FALSE(ui.halted());
  EXPECT_EQ(town.LastEngineCode(), ecode::kLockTimeout);
  // Other files work on.
  route.ClearBuffer();
  route.rec<rec::Route>().ROUTE = "North";
  EXPECT_EQ(route.Insert(), kDone);
  EXPECT_EQ(holder.release(), 0);
}

TEST_P(SharingTest, SecondProcessToSaveTheSameRecordGetsTheFirstOnesVersion) {
  {
    FileManager& agent = files.fm<rec::Agent>();
    FileUse use(agent);
    agent.ClearBuffer();
    agent.rec<rec::Agent>().CODE = "AG1";
    agent.rec<rec::Agent>().TELNO = "015 000 0000";
    ASSERT_EQ(agent.Insert(), kDone);
  }
  Signal bothRead, firstSaved;
  pid_t first = spawn([&] {
    Station s(dir.path());
    FileManager& agent = s.files.fm<rec::Agent>();
    FileUse use(agent);
    agent.rec<rec::Agent>().CODE = "AG1";
    if (agent.GetByKey(0) != kDone || agent.WatchAndReread() != kDone) return 1;
    bothRead.wait();
    agent.rec<rec::Agent>().TELNO = "015 111 1111";
    if (agent.Update(true) != kDone) return 2;
    firstSaved.send();
    return 0;
  });

  FileManager& agent = files.fm<rec::Agent>();
  FileUse use(agent);
  auto& a = agent.rec<rec::Agent>();
  a.CODE = "AG1";
  ASSERT_EQ(agent.GetByKey(0), kDone);
  ASSERT_EQ(agent.WatchAndReread(), kDone);
  bothRead.send();
  firstSaved.wait();
  a.TELNO = "015 222 2222";
  ui.expect("Record Was Not Updated", kOk);
  EXPECT_EQ(agent.Update(true), kFailed);
  EXPECT_EQ(agent.LastEngineCode(), ecode::kChanged);
  EXPECT_EQ(a.TELNO, "015 111 1111");
  ASSERT_EQ(exitCode(first), 0);
}

TEST_P(SharingTest, TransactionWaitingTooLongOnAnotherProcessesLockIsCancelled) {
  files.rm<rec::BankName>().Open();
  FileManager& names = files.fm<rec::BankName>();
  names.ClearBuffer();
  names.rec<rec::BankName>().NAME = "Nedbank";
  ASSERT_EQ(names.Insert(), kDone);

  Signal locked, release;
  pid_t holder = spawn([&] {
    Station s(dir.path());
    FileManager& other = s.files.fm<rec::BankName>();
    FileUse use(other);
    std::unique_ptr<Transaction> tx;
    if (s.engine->begin({other.engineFile()}, 2, tx) != 0) return 1;
    locked.send();
    release.wait();
    return tx->rollback();
  });
  locked.wait();
  names.rec<rec::BankName>().NAME = "Nedbank";
  ASSERT_EQ(names.GetByKey(0), kDone);
  names.rec<rec::BankName>().NAME = "Nedbank Ltd";
  ui.expect("Transaction cancelled", kOk);
  EXPECT_EQ(files.rm<rec::BankName>().Update(), kFailed);
  release.send();
  ASSERT_EQ(exitCode(holder), 0);
  EXPECT_NE(ui.shown().at(0).text.find("attempting to frame the transaction on BankName"),
            std::string::npos);
  // Nothing was written: the old name is still there.
  names.rec<rec::BankName>().NAME = "Nedbank";
  EXPECT_EQ(names.GetByKey(0), kDone);
  files.rm<rec::BankName>().Close();
}

TEST_P(SharingTest, StationDyingInsideATransactionLeavesNoneOfItsChanges) {
  Signal written;
  pid_t dying = spawn([&] {
    Station s(dir.path());
    FileManager& town = s.files.fm<rec::Town>();
    FileManager& route = s.files.fm<rec::Route>();
    FileUse t(town), r(route);
    std::unique_ptr<Transaction> tx;
    if (s.engine->begin({town.engineFile(), route.engineFile()}, 2, tx) != 0) return 1;
    town.ClearBuffer();
    town.rec<rec::Town>().TOWN = "Half";
    route.ClearBuffer();
    route.rec<rec::Route>().ROUTE = "Done";
    if (town.TryInsert() != kDone || route.TryInsert() != kDone) return 2;
    written.send();
    ::pause();  // killed here, before it commits
    return 3;
  });
  written.wait();
  ::kill(dying, SIGKILL);
  EXPECT_EQ(exitCode(dying), 100 + SIGKILL);

  FileManager& town = files.fm<rec::Town>();
  FileManager& route = files.fm<rec::Route>();
  FileUse t(town), r(route);
  EXPECT_EQ(town.Records(), 0);
  EXPECT_EQ(route.Records(), 0);
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Whole";
  EXPECT_EQ(town.Insert(), kDone);  // and the files work on
}

TEST_P(SharingTest, AReaderPausedInAWalkHoldsNoLockOnTheFile) {
  constexpr int kRecords = 3000;
  {
    FileManager& pay = files.fm<rec::VelPay>();
    FileUse use(pay);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({pay.engineFile()}, 2, tx), 0);
    for (int i = 0; i < kRecords; ++i) {
      pay.ClearBuffer();
      auto& p = pay.rec<rec::VelPay>();
      p.CLIENT_ID = std::to_string(10000 + i);
      p.CREDIT = 100;
      ASSERT_EQ(pay.TryInsert(), kDone);
    }
    ASSERT_EQ(tx->commit(), 0);
  }
  Signal paused, resume;
  pid_t reader = spawn([&] {
    Station s(dir.path());
    FileManager& pay = s.files.fm<rec::VelPay>();
    FileUse use(pay);
    pay.SetOrder(pay.keyIndex("By_Client"));
    int n = 0;
    while (pay.TryReadNext() == kDone) {
      if (++n == 700) {  // well inside a page read ahead
        paused.send();
        resume.wait();
      }
    }
    return n == kRecords + 1 ? 0 : 1;  // the record added meanwhile lies ahead of it
  });
  paused.wait();
  // A writer that will not wait at all still commits: the reader holds nothing.
  FileManager& pay = files.fm<rec::VelPay>();
  FileUse use(pay);
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({pay.engineFile()}, 0, tx), 0) << engineStatus().text;
  pay.ClearBuffer();
  pay.rec<rec::VelPay>().CLIENT_ID = "99999";
  ASSERT_EQ(pay.TryInsert(), kDone);
  EXPECT_EQ(tx->commit(), 0) << engineStatus().text;
  resume.send();
  EXPECT_EQ(exitCode(reader), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, SharingTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
