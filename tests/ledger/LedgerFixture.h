// A data folder for ledger postings: real files in a temporary folder, a
// scripted Ui that fails the test on any box it was not told to expect, and
// a fixed moment of posting.
#pragma once

#include <gtest/gtest.h>

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
#include "support/Engines.h"

namespace vel::test {

// Another station's write lock on a record file (it has begun a write and
// not committed yet): readers go on, other writers wait.
class WriteLock {
 public:
  explicit WriteLock(const std::string& path) : hold_(path, FileHold::Write) {
    EXPECT_TRUE(hold_.take()) << path;
  }

 private:
  FileHold hold_;
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

  // Makes every add (change) of the file fail as a full disk would, until
  // acceptAgain; refuseAddsWhere only those of records with `field` =
  // `literal` (an SQL literal).
  void refuseAdds(const std::string& label) { refuse(label, "INSERT"); }
  void refuseChanges(const std::string& label) { refuse(label, "UPDATE"); }
  void refuseAddsWhere(const std::string& label, const std::string& field,
                       const std::string& literal) {
    refuse(label, "INSERT", field, literal);
  }
  void acceptAgain(const std::string& label) {
    EXPECT_EQ("", refuseWrites(path(label), "INSERT", false));
    EXPECT_EQ("", refuseWrites(path(label), "UPDATE", false));
  }

  std::string path(const std::string& label) { return files.fm(label).path(); }

  void refuse(const std::string& label, const std::string& statement,
              const std::string& field = {}, const std::string& literal = {}) {
    {  // the file exists from its first use
      FileManager& f = files.fm(label);
      FileUse use(f);
      ASSERT_EQ(kDone, f.EnsureOpen());
    }
    ASSERT_EQ("", refuseWrites(path(label), statement, true, field, literal));
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  const std::int32_t today = dateFromYmd(2026, 3, 15);
  const Moment at{today, timeFromHms(10, 30, 15, 25)};
  const ledger::PostingStamp stamp{"01", "Administrator"};
};

}  // namespace vel::test
