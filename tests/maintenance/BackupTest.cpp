// The start-up backup: every present file of the list gets a checked copy,
// a file not there yet gets none, and a file that is locked, damaged or
// declared otherwise keeps the backup it had. The copy is one consistent
// picture of the file even while another station writes to it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "BackupOffice.h"
#include "errors/EngineStatus.h"
#include "maintenance/Backup.h"
#include "recordstore/Processes.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel {
namespace {

using Result = BackupOutcome::Result;

std::vector<BackupOutcome> backup(test::BackupOffice& o, const std::string& to = {}) {
  return backupFiles(*o.engine, o.dir.path(), kOwnerPassword, to, &o.ui);
}

const BackupOutcome& outcomeOf(const std::vector<BackupOutcome>& all, std::string_view label) {
  for (const auto& o : all)
    if (o.label == label) return o;
  static BackupOutcome none;
  ADD_FAILURE() << "no outcome for " << label;
  return none;
}

// Adds `n` transactions in one transaction, so that a file is big enough to
// be copied in many steps.
void addTransactions(DataFiles& files, int n, const std::string& tag) {
  FileManager& tra = files.fm<rec::VelTra>();
  FileUse use(tra);
  ASSERT_EQ(tra.TryEnsureOpen(), kDone);
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(files.context().engine->begin({tra.engineFile()}, 5, tx), 0);
  for (int i = 0; i < n; ++i) {
    tra.ClearBuffer();
    auto& t = tra.rec<rec::VelTra>();
    t.CLIENT_ID = "0001/MOK";
    t.TYPE = "Payment";
    t.CREDIT = 150;
    t.BANK_NAME = "Standard Bank, Polokwane";
    t.UNIQUE = tag + std::to_string(i);
    ASSERT_EQ(tra.engineFile()->add(tra.buffer()), 0);
  }
  ASSERT_EQ(tx->commit(), 0);
}

TEST(BackupList, TenFilesInTheOrderHandledEachWithItsMessage) {
  std::vector<std::string> got;
  for (const auto& b : backupList()) {
    ASSERT_NE(findFile(b.label), nullptr) << b.label;
    got.push_back(std::string(b.label) + "|" + std::string(b.prefix));
  }
  EXPECT_EQ(got, (std::vector<std::string>{
                     "VelAge|Error in Ageing file ", "VelAud|Error in Audit file ",
                     "VelCli|Error in Client file ", "VelData|Error in Data file ",
                     "VelInv|Error in Invoice file ", "VelPay|Error in Payment file ",
                     "VelTra|Error in Transact file ", "Balance|Error in Balance file ",
                     "Users|Error in Users file ", "Config|Error in Config file "}));
  // Locked, damaged and otherwise declared files are refused; a file not
  // there yet and an unsupported request are not.
  for (int code : {5, 36, 43, 46, 47, 56, 57, 90}) EXPECT_TRUE(refusesBackup(code)) << code;
  for (int code : {0, 2, 33, 35, 80}) EXPECT_FALSE(refusesBackup(code)) << code;
}

TEST(Backup, EmptyFolderGetsNoBackupAndNoMessage) {
  test::BackupOffice o;
  auto out = backup(o);
  ASSERT_EQ(out.size(), 10u);
  for (const auto& r : out) EXPECT_EQ(r.result, Result::NotPresent) << r.label;
  EXPECT_TRUE(backupSucceeded(out));
  for (const auto& e : std::filesystem::directory_iterator(o.dir.path()))
    EXPECT_NE(e.path().extension(), ".Bak") << e.path();
}

TEST(Backup, EveryPresentFileIsCopiedWholeAndAMissingOneKeepsItsOldBackup) {
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  o.create({"Users", "Config"});
  // An old backup of a file that has since gone is all the office has of it.
  std::ofstream(o.bak("Balance"), std::ios::binary) << "an old backup of the balances";
  const std::string oldBalance = test::bytesOf(o.bak("Balance"));

  auto out = backup(o);
  EXPECT_TRUE(backupSucceeded(out));
  for (const auto& b : backupList()) {
    const BackupOutcome& r = outcomeOf(out, b.label);
    if (!o.exists(b.label)) {
      EXPECT_EQ(r.result, Result::NotPresent) << b.label;
      continue;
    }
    EXPECT_EQ(r.result, Result::Copied) << b.label << ": " << r.message;
    EXPECT_EQ(o.count(b.label, o.bak(b.label)), o.count(b.label, o.tps(b.label))) << b.label;
    EXPECT_EQ(o.verdict(b.label, o.bak(b.label)), "ok") << b.label;
  }
  EXPECT_GT(o.count("VelCli", o.bak("VelCli")), 0);
  EXPECT_EQ(test::bytesOf(o.bak("Balance")), oldBalance);
  // Nothing but the backups is left beside them.
  for (const auto& e : std::filesystem::directory_iterator(o.dir.path()))
    EXPECT_EQ(e.path().string().find(".Bak."), std::string::npos) << e.path();

  // To another folder: the same copies there, the data folder's untouched.
  test::TempDir away;
  const std::string cliBak = test::bytesOf(o.bak("VelCli"));
  addTransactions(o.files, 10, "A");
  out = backup(o, away.path());
  EXPECT_TRUE(backupSucceeded(out));
  EXPECT_EQ(o.count("VelTra", away.file("VelTra.Bak")), o.count("VelTra", o.tps("VelTra")));
  EXPECT_EQ(test::bytesOf(o.bak("VelCli")), cliBak);
}

// A file refused on opening keeps yesterday's backup, with one box naming
// the file and the engine's reason; the other files are still copied.
TEST(Backup, FileOfAnotherLayoutOrOwnerKeepsItsOldBackup) {
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  ASSERT_TRUE(backupSucceeded(backup(o)));
  const std::string yesterdayCli = test::bytesOf(o.bak("VelCli"));
  const std::string yesterdayAge = test::bytesOf(o.bak("VelAge"));

  // VelCli.Tps now holds another record layout; VelAge another owner's file.
  ASSERT_EQ(o.engine->remove(o.tps("VelCli")), 0);
  ASSERT_EQ(o.engine->create(o.layout("Town"), o.tps("VelCli"), kOwnerPassword), 0);
  ASSERT_EQ(o.engine->remove(o.tps("VelAge")), 0);
  ASSERT_EQ(o.engine->create(o.layout("VelAge"), o.tps("VelAge"), "SomeoneElse"), 0);
  addTransactions(o.files, 5, "B");

  o.ui.expect("Back up", kOk, "Error in Ageing file " + std::string(engineCodeText(ecode::kBadOwner)));
  o.ui.expect("Back up", kOk,
              "Error in Client file Invalid Record Declaration: the file holds another record layout");
  auto out = backup(o);
  EXPECT_FALSE(backupSucceeded(out));
  EXPECT_EQ(outcomeOf(out, "VelCli").result, Result::Refused);
  EXPECT_EQ(outcomeOf(out, "VelCli").code, ecode::kInvalidLayout);
  EXPECT_EQ(outcomeOf(out, "VelAge").code, ecode::kBadOwner);
  EXPECT_EQ(test::bytesOf(o.bak("VelCli")), yesterdayCli);
  EXPECT_EQ(test::bytesOf(o.bak("VelAge")), yesterdayAge);
  EXPECT_EQ(outcomeOf(out, "VelTra").result, Result::Copied);
  EXPECT_EQ(o.count("VelTra", o.bak("VelTra")), o.count("VelTra", o.tps("VelTra")));
}

// Another process holds VelPay locked beyond the wait: the backup says so,
// keeps the old copy and goes on.
TEST(Backup, FileAnotherStationHoldsLockedKeepsItsOldBackup) {
  VEL_SQLITE_FILES_ONLY();
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  ASSERT_TRUE(backupSucceeded(backup(o)));
  const std::string yesterday = test::bytesOf(o.bak("VelPay"));
  addTransactions(o.files, 5, "C");

  test::Pipe locked, release;
  const std::string path = o.tps("VelPay");
  test::Child holder([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    // A station committing a long change: writers and readers wait.
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE; DELETE FROM rec;", nullptr, nullptr, nullptr) != SQLITE_OK)
      return 2;
    locked.send();
    release.wait();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  });
  ASSERT_TRUE(holder.waitFor(locked)) << "no lock taken: " << holder.exitCode();

  o.ui.expect("Back up", kOk, "Error in Payment file " + std::string(engineCodeText(ecode::kLockTimeout)));
  auto out = backup(o);
  release.send();
  EXPECT_EQ(holder.exitCode(), 0);
  EXPECT_EQ(outcomeOf(out, "VelPay").result, Result::Refused);
  EXPECT_EQ(test::bytesOf(o.bak("VelPay")), yesterday);
  EXPECT_EQ(outcomeOf(out, "VelTra").result, Result::Copied);
}

// Records damaged in the middle of a file: the copy fails its check, the
// clerk is told, and yesterday's sound backup is not replaced by rubbish.
TEST(Backup, DamagedFileNeverReplacesASoundBackup) {
  VEL_SQLITE_FILES_ONLY();
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  addTransactions(o.files, 3000, "D");
  ASSERT_TRUE(backupSucceeded(backup(o)));
  const std::string yesterday = test::bytesOf(o.bak("VelTra"));
  ASSERT_EQ(o.verdict("VelTra", o.bak("VelTra")), "ok");

  ASSERT_GT(test::damagePages(o.tps("VelTra"), 0.5), 0);
  o.ui.expect("Back up", kOk);
  auto out = backup(o);
  const BackupOutcome& r = outcomeOf(out, "VelTra");
  EXPECT_EQ(r.result, Result::Failed);
  EXPECT_EQ(r.message.rfind("Error in Transact file ", 0), 0u) << r.message;
  EXPECT_EQ(test::bytesOf(o.bak("VelTra")), yesterday);
  auto boxes = o.ui.shown();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, r.message);
  EXPECT_EQ(boxes[0].buttons, kOk);
  for (const auto& e : std::filesystem::directory_iterator(o.dir.path()))
    EXPECT_EQ(e.path().string().find(".Bak."), std::string::npos) << e.path();
}

// Another process adds transactions, fifty to a commit, all the time the
// backups run. Every copy passes the full integrity check and holds whole
// commits only: a count between the file's before and after, in steps of
// fifty.
TEST(Backup, CopyTakenWhileAnotherStationWritesIsConsistent) {
  test::BackupOffice o;
  ASSERT_TRUE(o.seed(20));
  addTransactions(o.files, 40000, "E");  // several megabytes: copied in many steps
  const std::int64_t before = o.count("VelTra", o.tps("VelTra"));
  constexpr int kBatch = 50;

  test::Pipe writing, stop;
  const std::string folder = o.dir.path();
  test::Child writer([&] {
    test::OtherStation s(folder);
    FileManager& tra = s.files.fm<rec::VelTra>();
    FileUse use(tra);
    if (tra.TryEnsureOpen() != kDone) return 1;
    bool told = false;
    for (int batch = 0; !stop.ready(0); ++batch) {
      std::unique_ptr<Transaction> tx;
      if (s.engine->begin({tra.engineFile()}, 10, tx)) continue;  // the copy's lock: try again
      for (int i = 0; i < kBatch; ++i) {
        tra.ClearBuffer();
        auto& t = tra.rec<rec::VelTra>();
        t.CLIENT_ID = "0002/NDL";
        t.TYPE = "Invoice";
        t.DEBIT = 99.5;
        t.UNIQUE = "W" + std::to_string(batch) + "-" + std::to_string(i);
        if (tra.engineFile()->add(tra.buffer())) return 2;
      }
      if (tx->commit()) continue;
      if (!told) {
        writing.send();
        told = true;
      }
      // A station does some reading between its commits, if only briefly;
      // one that never paused would starve every reader of the file, not
      // only the backup. The copy must find these short gaps.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
  });
  ASSERT_TRUE(writer.waitFor(writing)) << "writer ended: " << writer.exitCode();

  std::int64_t last = before;
  for (int run = 0; run < 2; ++run) {
    auto out = backup(o);
    const BackupOutcome& r = outcomeOf(out, "VelTra");
    ASSERT_EQ(r.result, Result::Copied) << r.message;
    EXPECT_EQ(o.verdict("VelTra", o.bak("VelTra")), "ok");
    const std::int64_t n = o.count("VelTra", o.bak("VelTra"));
    EXPECT_GE(n, last);
    EXPECT_EQ((n - before) % kBatch, 0) << n;
    last = n;
  }
  stop.send();
  EXPECT_EQ(writer.exitCode(), 0);
  EXPECT_LE(last, o.count("VelTra", o.tps("VelTra")));
}

// A backup whose process died part-way left its private copy; the next
// backup of that file clears it, but never one a live process is writing.
TEST(Backup, CopyADeadBackupLeftIsClearedNotALiveOne) {
  test::BackupOffice o;
  ASSERT_TRUE(o.seed(10));
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const pid_t deadPid = ::fork();
  if (deadPid == 0) ::_exit(0);
  ::waitpid(deadPid, nullptr, 0);
  const std::string stale = o.bak("VelCli") + ".new" + std::to_string(deadPid) + "-1@" + host;
  const std::string live = o.bak("VelCli") + ".new" + std::to_string(::getppid()) + "-1@" + host;
  for (const auto& p : {stale, live}) std::ofstream(p) << "half a copy";
  ASSERT_TRUE(backupSucceeded(backup(o)));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(live));
  EXPECT_EQ(o.verdict("VelCli", o.bak("VelCli")), "ok");
}

}  // namespace
}  // namespace vel
