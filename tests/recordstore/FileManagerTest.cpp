// FileManager: opening, auto-numbering, insert, update, delete and the
// messages each failure raises.
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "StoreFixture.h"

namespace vel {
namespace {

class FileManagerTest : public test::EngineStoreFixture {
 protected:
  // Whether the engine holds the record file `name` of the folder.
  bool fileThere(const std::string& name) {
    bool there = false;
    EXPECT_EQ(engine->exists(dir.file(name), there), 0);
    return there;
  }
};

TEST_P(FileManagerTest, FirstUseCreatesTheFileEmptyAndOnlyWhenNeeded) {
  FileManager& town = files.fm<rec::Town>();
  ASSERT_EQ(town.Open(), kDone);
  EXPECT_FALSE(fileThere("Town.Tps"));  // lazy: nothing yet
  EXPECT_EQ(town.Records(), 0);
  EXPECT_TRUE(fileThere("Town.Tps"));
  EXPECT_FALSE(fileThere("BankBran.Tps"));
  // Opening again from another procedure of this thread is not an error.
  errors.SetProcedureName("Browse_Town");
  EXPECT_EQ(town.Open(), kDone);
  EXPECT_EQ(town.useCount(), 2);
  EXPECT_EQ(town.Close(), kDone);
  EXPECT_TRUE(town.opened());
  errors.PopProcedureName();
  EXPECT_EQ(town.Close(), kDone);
  EXPECT_FALSE(town.opened());
  EXPECT_EQ(files.fm<rec::BankBranch>().path(), dir.file("BankBran.Tps"));
}

TEST_P(FileManagerTest, UsingAFileNoProcedureOpenedIsAFatalUsageError) {
  ui.expect("File Usage Error", kOk,
            "Attempt to use file (Town) before it was opened  Press OK to end this application");
  EXPECT_EQ(files.fm<rec::Town>().EnsureOpen(), kNotUsable);
  EXPECT_TRUE(ui.halted());
}

TEST_P(FileManagerTest, FileOfAnotherOwnerIsRefusedWithTheEnginesReason) {
  ASSERT_EQ(engine->create(layoutOf<rec::Town>(), dir.file("Town.Tps"), "Stranger"), 0);
  FileManager& town = files.fm<rec::Town>();
  town.Open();
  ui.expect("File Access Error", kOk);
  EXPECT_EQ(town.EnsureOpen(), kNotUsable);
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_NE(ui.shown()[0].text.find("File Town could not be opened.  Error: Owner Password"),
            std::string::npos)
      << ui.shown()[0].text;
}

TEST_P(FileManagerTest, FileWhoseKeysNeedRebuildingIsRepairedOnOpen) {
  VEL_SQLITE_FILES_ONLY();
  {
    FileManager& agent = files.fm<rec::Agent>();
    FileUse use(agent);
    agent.ClearBuffer();
    agent.rec<rec::Agent>().CODE = "AG7";
    agent.rec<rec::Agent>().SURNAME = "Baloyi";
    ASSERT_EQ(agent.Insert(), kDone);
  }
  sqlite3* db;
  ASSERT_EQ(sqlite3_open(dir.file("Agent.Tps").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP INDEX k_KeyCode", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  test::ScriptedUi ui2;
  ErrorManager errors2(ui2);
  auto later = station(errors2);
  FileManager& agent = later->fm<rec::Agent>();
  FileUse use(agent);
  ui2.expect("Invalid Key", kOk, "Agent key file is invalid. Key must be rebuilt.");
  agent.rec<rec::Agent>().CODE = "ag7";
  EXPECT_EQ(agent.GetByKey(agent.keyIndex("KeyCode")), kDone);
  EXPECT_EQ(agent.rec<rec::Agent>().SURNAME, "Baloyi");
  ui2.verifyDone();
}

TEST_P(FileManagerTest, ChangingARecordOntoAnotherOnesKeyNamesTheKey) {
  FileManager& users = files.fm<rec::Users>();
  FileUse use(users);
  auto& u = users.rec<rec::Users>();
  for (const char* name : {"LERATO", "PETRUS"}) {
    users.ClearBuffer();
    u.USERNAME = name;
    u.PASSWORD = std::string(name) + "1";
    ASSERT_EQ(users.Insert(), kDone);
  }
  u.USERNAME = "PETRUS";
  ASSERT_EQ(users.GetByKey(users.keyIndex("KeyUserName")), kDone);
  ASSERT_EQ(users.WatchAndReread(), kDone);
  u.USERNAME = "lerato";
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(users.Update(true), kFailed);
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_NE(ui.shown()[0].text.find("Creates Duplicate Key Username (40)"), std::string::npos)
      << ui.shown()[0].text;
  u.USERNAME = "PETRUS";
  EXPECT_EQ(users.GetByKey(users.keyIndex("KeyUserName")), kDone);
}

TEST_P(FileManagerTest, AutoNumberingStartsAtOneAndGivesAnAbandonedNumberBack) {
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  auto& c = cli.rec<rec::VelCli>();
  cli.ClearBuffer();
  ASSERT_EQ(cli.ReserveNumber(), kDone);
  EXPECT_EQ(c.NUMBER, 1);
  EXPECT_EQ(cli.Records(), 1);  // the reserved record holds the number for this station
  ASSERT_EQ(cli.DropReservation(), kDone);
  EXPECT_EQ(cli.Records(), 0);

  for (int i = 1; i <= 3; ++i) {
    cli.ClearBuffer();
    c.CLIENT_ID = "000" + std::to_string(i) + "/MOK";
    c.SURNAME = "Mokoena";
    ASSERT_EQ(cli.Insert(), kDone);  // reserves on the way
    EXPECT_EQ(c.NUMBER, i);
  }
  EXPECT_EQ(cli.Records(), 3);
  // Priming twice keeps the one reservation.
  cli.ClearBuffer();
  ASSERT_EQ(cli.ReserveNumber(), kDone);
  ASSERT_EQ(cli.ReserveNumber(), kDone);
  EXPECT_EQ(c.NUMBER, 4);
  EXPECT_EQ(cli.Records(), 4);
}

TEST_P(FileManagerTest, DuplicateKeyNamesTheClashingKey) {
  FileManager& users = files.fm<rec::Users>();
  FileUse use(users);
  auto& u = users.rec<rec::Users>();
  users.ClearBuffer();
  u.USERNAME = "THANDI";
  u.PASSWORD = "SECRET";
  ASSERT_EQ(users.Insert(), kDone);
  EXPECT_EQ(u.CODE, 1);

  users.ClearBuffer();
  ASSERT_EQ(users.ReserveNumber(), kDone);  // as a form primes its record
  u.USERNAME = "SIPHO";
  u.PASSWORD = "secret";  // keys ignore case
  ui.expect("Duplicate Key Error", kOk,
            "Adding this record creates a duplicate entry for the key: Password");
  EXPECT_EQ(users.Insert(), kFailed);
  EXPECT_EQ(users.LastError(), msg::DuplicateKey);
  // The reserved number stays for a second try with another password.
  u.PASSWORD = "OTHER";
  ASSERT_EQ(users.Insert(), kDone);
  EXPECT_EQ(u.CODE, 2);
  EXPECT_EQ(users.Records(), 2);

  // The quiet form only records it, and gives back the number it took.
  users.ClearBuffer();
  u.USERNAME = "thandi";
  u.PASSWORD = "NEW";
  EXPECT_EQ(users.TryInsert(), kFailed);
  EXPECT_EQ(users.LastEngineCode(), ecode::kDuplicateKey);
  EXPECT_FALSE(users.Reserved());
  EXPECT_EQ(users.Records(), 2);
}

TEST_P(FileManagerTest, TooLargeANumberIsRefusedWithAClearMessage) {
  FileManager& cash = files.fm<rec::Cashbox>();
  FileUse use(cash);
  auto& c = cash.rec<rec::Cashbox>();
  cash.ClearBuffer();
  c.CODE = "AG1";
  c.R50 = 70000;  // more notes than the field can count
  ui.expect("Record Insert Error", kOk);
  EXPECT_EQ(cash.Insert(), kFailed);
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_NE(ui.shown()[0].text.find("R50 = 70000 is outside -32768 to 32767"), std::string::npos)
      << ui.shown()[0].text;
  EXPECT_EQ(cash.Records(), 0);
}

TEST_P(FileManagerTest, ReadingPastTheEndSaysNothingAndMarksEndOfData) {
  FileManager& town = files.fm<rec::Town>();
  FileUse use(town);
  auto& t = town.rec<rec::Town>();
  for (const char* name : {"Giyani", "Musina"}) {
    town.ClearBuffer();
    t.TOWN = name;
    ASSERT_EQ(town.Insert(), kDone);
  }
  ASSERT_EQ(town.SetOrder(0), kDone);
  ASSERT_EQ(town.ReadNext(), kDone);
  ASSERT_EQ(town.ReadNext(), kDone);
  EXPECT_EQ(t.TOWN, "Musina");
  EXPECT_EQ(town.ReadNext(), kFailed);
  EXPECT_TRUE(town.EndOfData());
  EXPECT_EQ(t.TOWN, "Musina");  // the buffer keeps what it had
  EXPECT_TRUE(ui.shown().empty());
}

TEST_P(FileManagerTest, DeleteAsksFirstAndNoKeepsTheRecord) {
  FileManager& town = files.fm<rec::Town>();
  FileUse use(town);
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Thohoyandou";
  ASSERT_EQ(town.Insert(), kDone);
  ASSERT_EQ(town.GetByKey(0), kDone);
  ui.expect("Confirm Delete", kNo, "Are you sure you want to delete the highlighted record?");
  EXPECT_EQ(town.Delete(true), kDeclined);
  EXPECT_EQ(town.Records(), 1);
  ui.expect("Confirm Delete", kYes);
  EXPECT_EQ(town.Delete(true), kDone);
  EXPECT_EQ(town.Records(), 0);
}

TEST_P(FileManagerTest, SecondStationToSaveIsToldAndSeesTheFirstStationsVersion) {
  FileManager& route = files.fm<rec::Route>();
  FileUse use(route);
  auto& r = route.rec<rec::Route>();
  route.ClearBuffer();
  r.ROUTE = "Seshego";
  r.DESCRIPTION = "as captured";
  ASSERT_EQ(route.Insert(), kDone);

  test::ScriptedUi ui2;
  ErrorManager errors2(ui2);
  auto other = station(errors2);
  FileManager& route2 = other->fm<rec::Route>();
  FileUse use2(route2);

  // Both open the record for change.
  ASSERT_EQ(route.GetByKey(0), kDone);
  ASSERT_EQ(route.WatchAndReread(), kDone);
  route2.rec<rec::Route>().ROUTE = "Seshego";
  ASSERT_EQ(route2.GetByKey(0), kDone);
  ASSERT_EQ(route2.WatchAndReread(), kDone);

  route2.rec<rec::Route>().DESCRIPTION = "first station";
  ASSERT_EQ(route2.Update(true), kDone);

  r.DESCRIPTION = "second station";
  ui.expect("Record Was Not Updated", kOk,
            "This record was changed by another station. Those changes will now be displayed. "
            "Use the Ditto Button or Ctrl+H to recall your changes.");
  EXPECT_EQ(route.Update(true), kFailed);
  EXPECT_EQ(r.DESCRIPTION, "first station");
  // Saving again now overwrites knowingly.
  r.DESCRIPTION = "second station";
  EXPECT_EQ(route.Update(true), kDone);
  ASSERT_EQ(route2.GetByKey(0), kDone);
  EXPECT_EQ(route2.rec<rec::Route>().DESCRIPTION, "second station");
}

TEST_P(FileManagerTest, PopStateRestoresBufferAndPosition) {
  FileManager& town = files.fm<rec::Town>();
  FileUse use(town);
  auto& t = town.rec<rec::Town>();
  for (const char* name : {"A", "B", "C", "D"}) {
    town.ClearBuffer();
    t.TOWN = name;
    ASSERT_EQ(town.Insert(), kDone);
  }
  ASSERT_EQ(town.SetOrder(0), kDone);
  ASSERT_EQ(town.ReadNext(), kDone);
  int outer = town.PushState();
  ASSERT_EQ(town.SetOrder(0), kDone);
  while (town.ReadNext() == kDone) {
  }
  int inner = town.PushState();
  EXPECT_EQ(inner, outer + 1);
  town.PopState(outer);
  EXPECT_EQ(t.TOWN, "A");
  ASSERT_EQ(town.ReadNext(), kDone);
  EXPECT_EQ(t.TOWN, "B");
}

TEST_P(FileManagerTest, EachThreadHasItsOwnBufferAndPosition) {
  FileManager& town = files.fm<rec::Town>();
  {
    FileUse use(town);
    for (const char* name : {"A", "B", "C"}) {
      town.ClearBuffer();
      town.rec<rec::Town>().TOWN = name;
      ASSERT_EQ(town.Insert(), kDone);
    }
    ASSERT_EQ(town.SetOrder(0), kDone);
    ASSERT_EQ(town.ReadNext(), kDone);
  }
  town.Open();
  ASSERT_EQ(town.SetOrder(0), kDone);
  ASSERT_EQ(town.ReadNext(), kDone);
  std::string seen;
  std::thread worker([&] {
    FileUse use(town);
    town.SetOrder(0);
    while (town.ReadNext() == kDone) seen += town.rec<rec::Town>().TOWN.text();
  });
  worker.join();
  EXPECT_EQ(seen, "ABC");
  EXPECT_EQ(town.rec<rec::Town>().TOWN, "A");
  ASSERT_EQ(town.ReadNext(), kDone);
  EXPECT_EQ(town.rec<rec::Town>().TOWN, "B");
  town.Close();
}

TEST_P(FileManagerTest, ThreadsOfOneStationNumberTheirClientsWithoutClash) {
  constexpr int kThreads = 4, kEach = 60;
  std::vector<std::thread> workers;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      FileManager& cli = files.fm<rec::VelCli>();
      FileUse use(cli);
      for (int i = 0; i < kEach; ++i) {
        cli.ClearBuffer();
        cli.rec<rec::VelCli>().CLIENT_ID = "T" + std::to_string(t) + "-" + std::to_string(i);
        if (cli.Insert() != kDone) ++failures;
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(failures, 0);
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  ASSERT_EQ(cli.SetOrder(cli.keyIndex("By_Number")), kDone);
  std::int64_t expect = 1;
  while (cli.ReadNext() == kDone) ASSERT_EQ(cli.rec<rec::VelCli>().NUMBER, expect++);
  EXPECT_EQ(expect, kThreads * kEach + 1);
}

// An engine that denies write access to the first read-write open, as when
// another station holds the file with writing denied.
class DenyingEngine : public Engine {
 public:
  explicit DenyingEngine(Engine& real) : real_(real) {}
  int open(const Layout& l, const std::string& p, OpenMode m, std::string_view owner,
           std::unique_ptr<EngineFile>& out) override {
    if (m.writes()) return ecode::kAccessDenied;
    return real_.open(l, p, m, owner, out);
  }
  int create(const Layout& l, const std::string& p, std::string_view owner) override {
    return real_.create(l, p, owner);
  }
  int remove(const std::string& p) override { return real_.remove(p); }
  int repairKeys(const Layout& l, const std::string& p, std::string_view o) override {
    return real_.repairKeys(l, p, o);
  }
  int begin(const std::vector<EngineFile*>& f, int t, std::unique_ptr<Transaction>& out) override {
    return real_.begin(f, t, out);
  }

 private:
  Engine& real_;
};

TEST_P(FileManagerTest, WriteAccessDeniedFallsBackToReadOnlyOnce) {
  ASSERT_EQ(engine->create(layoutOf<rec::Town>(), dir.file("Town.Tps"), kOwnerPassword), 0);
  DenyingEngine denying(*engine);
  DataFiles denied(dir.path(), denying, errors);
  FileManager& town = denied.fm<rec::Town>();
  FileUse use(town);
  ui.expect("Access Denied", kOk, "Could not get write access to Town so trying read-only.");
  EXPECT_EQ(town.Records(), 0);
  EXPECT_EQ(town.Records(), 0);  // asked once only
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Louis Trichardt";
  ui.expect("Record Insert Error", kOk);
  EXPECT_EQ(town.Insert(), kFailed);
  EXPECT_EQ(town.LastEngineCode(), ecode::kAccessDenied);
}

INSTANTIATE_TEST_SUITE_P(Engines, FileManagerTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
