// A walk tells the end of its data from a failure: a lock another station
// holds beyond the wait, or a damaged page, never looks like the end of the
// file, in the reporting and the quiet forms alike.
#include <sqlite3.h>

#include <cstdio>
#include <set>

#include "Processes.h"
#include "StoreFixture.h"
#include "errors/EngineStatus.h"

namespace vel {
namespace {

constexpr int kPayments = 3000;

class ReadFailureTest : public test::EngineStoreFixture {
 protected:
  void addPayments() {
    FileManager& pay = files.fm<rec::VelPay>();
    FileUse use(pay);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({pay.engineFile()}, 2, tx), 0);
    for (int i = 0; i < kPayments; ++i) {
      pay.ClearBuffer();
      auto& p = pay.rec<rec::VelPay>();
      p.CLIENT_ID = std::to_string(10000 + i);
      p.DATE = 46000 + i % 30;
      p.CREDIT = 100;
      p.BANK_NAME = "Capitec Bank";
      ASSERT_EQ(pay.engineFile()->add(pay.buffer()), 0);
    }
    ASSERT_EQ(tx->commit(), 0);
  }
  std::string payFile() { return dir.file(files.fm<rec::VelPay>().decl().diskName()); }
};

TEST_P(ReadFailureTest, LockHeldBeyondTheWaitStopsTheWalkAsAFailureNotAsTheEnd) {
  VEL_SQLITE_FILES_ONLY();
  addPayments();
  test::Pipe lockNow, locked, release;
  const std::string path = payFile();
  test::Child holder([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    sqlite3_busy_timeout(db, 60000);
    lockNow.wait();
    // The whole file, readers included, as a station committing a long change.
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
    locked.send();
    release.wait();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  });

  FileManager& pay = files.fm<rec::VelPay>();
  FileUse use(pay);
  ASSERT_EQ(pay.SetOrder(pay.keyIndex("By_Client")), kDone);
  ASSERT_EQ(pay.engineFile()->option("Recover=1"), 0);  // a short wait keeps the test short
  std::set<std::string> read;
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(pay.TryReadNext(), kDone);
    read.insert(std::string(pay.rec<rec::VelPay>().CLIENT_ID.str()));
  }
  lockNow.send();
  ASSERT_TRUE(holder.waitFor(locked)) << "no lock taken: " << holder.exitCode();

  // What was read ahead is still the file as last committed and may be
  // handed out; the next page meets the lock. The quiet form then answers
  // "not usable", not the level of the end of data.
  int rc, more = 0;
  while ((rc = pay.TryReadNext()) == kDone) ++more;
  EXPECT_LT(100 + more, kPayments);
  EXPECT_EQ(rc, kNotUsable);
  EXPECT_FALSE(pay.EndOfData());
  EXPECT_EQ(pay.LastEngineCode(), ecode::kRecordHeld);
  EXPECT_EQ(pay.LastError(), msg::RecordHeld);
  // The reporting form says so; the level is 5 but the end was not reached.
  ui.expect("Record not read", kOk);
  EXPECT_EQ(pay.ReadNext(), kFailed);
  EXPECT_FALSE(pay.EndOfData());
  // A fetch by key and a count meet the same lock and say so.
  pay.ClearBuffer();
  pay.rec<rec::VelPay>().CLIENT_ID = "10007";
  EXPECT_EQ(pay.TryGetByKey(pay.keyIndex("By_Client")), kNotUsable);
  std::int64_t count = -1;
  EXPECT_EQ(pay.TryRecords(count), kNotUsable);

  release.send();
  ASSERT_EQ(holder.exitCode(), 0);
  // Once the lock is gone the walk goes on from where it stood, to the end.
  ASSERT_EQ(pay.SetOrder(pay.keyIndex("By_Client")), kDone);
  pay.ClearBuffer();
  int n = 0;
  while (pay.TryReadNext() == kDone) ++n;
  EXPECT_TRUE(pay.EndOfData());
  EXPECT_EQ(n, kPayments);
  EXPECT_EQ(pay.TryRecords(count), kDone);
  EXPECT_EQ(count, kPayments);
}

// Overwrites two pages of the records' own table in the middle of the file.
void damageTwoPages(const std::string& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "SELECT pageno FROM dbstat WHERE name='rec' AND pagetype='leaf' "
                               "ORDER BY pageno",
                               -1, &st, nullptr),
            SQLITE_OK);
  std::vector<int> leaves;
  while (sqlite3_step(st) == SQLITE_ROW) leaves.push_back(sqlite3_column_int(st, 0));
  sqlite3_finalize(st);
  int pageSize = 0;
  sqlite3_exec(
      db, "PRAGMA page_size",
      [](void* out, int, char** v, char**) {
        *static_cast<int*>(out) = std::atoi(v[0]);
        return 0;
      },
      &pageSize, nullptr);
  sqlite3_close(db);
  ASSERT_GT(leaves.size(), 10u);
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_TRUE(f);
  std::string junk(static_cast<std::size_t>(pageSize), '\x5a');
  for (std::size_t at : {leaves.size() / 3, leaves.size() / 2}) {
    std::fseek(f, static_cast<long>(leaves[at] - 1) * pageSize, SEEK_SET);
    std::fwrite(junk.data(), 1, junk.size(), f);
  }
  std::fclose(f);
}

TEST_P(ReadFailureTest, DamagedPageStopsEveryReadAsAFailureNotAsTheEnd) {
  VEL_SQLITE_FILES_ONLY();
  addPayments();
  std::vector<std::string> positions;
  {
    FileManager& pay = files.fm<rec::VelPay>();
    FileUse use(pay);
    ASSERT_EQ(pay.SetOrder(kPhysicalOrder), kDone);
    while (pay.TryReadNext() == kDone) positions.push_back(pay.Position());
  }  // closed: the damage is done to a file nobody holds open
  damageTwoPages(payFile());

  FileManager& pay = files.fm<rec::VelPay>();
  FileUse use(pay);
  for (int order : {kPhysicalOrder, pay.keyIndex("By_Client"), pay.keyIndex("By_Date")}) {
    SCOPED_TRACE(order);
    ASSERT_EQ(pay.SetOrder(order), kDone);
    int n = 0, rc;
    while ((rc = pay.TryReadNext()) == kDone) ++n;
    EXPECT_LT(n, kPayments);
    EXPECT_EQ(rc, kNotUsable);
    EXPECT_FALSE(pay.EndOfData());
    EXPECT_EQ(pay.LastEngineCode(), ecode::kInvalidFile);
    EXPECT_FALSE(pay.LastEngineText().empty());
  }
  // Read back by position, or found by key, on a damaged page: a failure,
  // not "no such record".
  int damaged = 0;
  for (const auto& pos : positions) {
    int rc = pay.Reget(pos);
    if (rc == kDone) continue;
    ++damaged;
    EXPECT_EQ(rc, kNotUsable);
    EXPECT_EQ(pay.LastEngineCode(), ecode::kInvalidFile);
  }
  EXPECT_GT(damaged, 0);
  ui.expect("Record Retrieval Error", kOk);
  ASSERT_EQ(pay.SetOrder(kPhysicalOrder), kDone);
  while (pay.ReadNext() == kDone) {
  }
  EXPECT_FALSE(pay.EndOfData());
}

TEST_P(ReadFailureTest, RecordGoneIsNotFoundNotAFailure) {
  addPayments();
  FileManager& pay = files.fm<rec::VelPay>();
  FileUse use(pay);
  pay.ClearBuffer();
  pay.rec<rec::VelPay>().CLIENT_ID = "10010";
  ASSERT_EQ(pay.GetByKey(pay.keyIndex("By_Client")), kDone);
  std::string pos = pay.Position();
  ASSERT_EQ(pay.Delete(false), kDone);
  EXPECT_EQ(pay.Reget(pos), kFailed);
  EXPECT_EQ(pay.LastEngineCode(), ecode::kRecordNotFound);
  EXPECT_EQ(pay.TryGetByKey(pay.keyIndex("By_Client")), kFailed);
  EXPECT_EQ(pay.LastEngineCode(), ecode::kRecordNotFound);
}

INSTANTIATE_TEST_SUITE_P(Engines, ReadFailureTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
