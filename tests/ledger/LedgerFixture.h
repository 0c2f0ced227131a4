// A data folder for ledger postings: real files in a temporary folder, a
// scripted Ui that fails the test on any box it was not told to expect, and
// a fixed moment of posting.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "support/Records.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace vel::test {

// Another station's write lock on a record file (it has begun a write and
// not committed yet): readers go on, other writers wait.
class WriteLock {
 public:
  explicit WriteLock(const std::string& path) {
    EXPECT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db_));
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
  }
  ~WriteLock() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

class LedgerFixture : public ::testing::Test {
 protected:
  void TearDown() override { ui.verifyDone(); }

  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert()) << f.label() << ": " << f.LastEngineText();
  }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  // Makes every add to the file fail as a full disk would, until dropped.
  void refuseAdds(const std::string& label) { runSql(label, refuseSql("INSERT")); }
  void refuseChanges(const std::string& label) { runSql(label, refuseSql("UPDATE")); }
  void acceptAgain(const std::string& label) { runSql(label, "DROP TRIGGER refuse"); }

  std::string path(const std::string& label) { return files.fm(label).path(); }

  static std::string refuseSql(const std::string& what) {
    return "CREATE TRIGGER refuse BEFORE " + what +
           " ON rec BEGIN SELECT RAISE(ABORT, 'disk full'); END";
  }
  void runSql(const std::string& label, const std::string& sql) {
    {  // the file exists from its first use
      FileManager& f = files.fm(label);
      FileUse use(f);
      ASSERT_EQ(kDone, f.EnsureOpen());
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path(label).c_str(), &db));
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    sqlite3_close(db);
    ASSERT_EQ(SQLITE_OK, rc) << (err ? err : "");
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeSqliteEngine();
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  const std::int32_t today = dateFromYmd(2026, 3, 15);
  const Moment at{today, timeFromHms(10, 30, 15, 25)};
  const ledger::PostingStamp stamp{"01", "Administrator"};
};

}  // namespace vel::test
