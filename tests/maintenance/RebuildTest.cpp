// The index rebuild: each file opened exclusively, every key built again,
// each file's integrity checked; a file another station holds or one that
// is damaged is named on the status line and in the closing list, and the
// other files are rebuilt all the same.
#include <gtest/gtest.h>

#include "BackupOffice.h"
#include "errors/EngineStatus.h"
#include "maintenance/Rebuild.h"
#include "recordstore/Processes.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel {
namespace {

struct RebuildRun {
  RebuildReport report;
  std::vector<std::string> lines;  // every status line shown, in order
};

RebuildRun rebuild(test::BackupOffice& o) {
  RebuildRun r;
  r.report = rebuildIndexes(*o.engine, o.dir.path(), kOwnerPassword,
                            [&](std::string_view s) { r.lines.emplace_back(s); });
  return r;
}

bool shows(const RebuildRun& r, std::string_view line) {
  return std::find(r.lines.begin(), r.lines.end(), line) != r.lines.end();
}

// The eleven files in order with their texts, the rebuild of each file
// present, and the not-yet-made ones named but not counted against the run.
TEST(Rebuild, RebuildsEveryPresentFileInOrderAndEndsComplete) {
  VEL_SQLITE_FILES_ONLY();
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  std::vector<std::string> labels;
  for (const auto& f : rebuildList()) {
    ASSERT_NE(findFile(f.label), nullptr) << f.label;
    labels.emplace_back(f.label);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"VelAge", "VelAud", "VelCli", "VelData", "VelInv",
                                              "VelPay", "VelTra", "BankName", "BankList",
                                              "Holiday", "BankBranch"}));
  o.create({"VelAud", "VelData", "BankName", "BankList", "BankBranch"});
  std::filesystem::remove(o.tps("Holiday"));

  // A key dropped behind the program's back is what a rebuild is for.
  ASSERT_TRUE(test::sqlOn(o.tps("VelCli"), "DROP INDEX k_By_Name"));
  std::unique_ptr<EngineFile> f;
  ASSERT_EQ(o.engine->open(o.layout("VelCli"), o.tps("VelCli"), OpenMode{}, kOwnerPassword, f),
            ecode::kInvalidKeys);

  RebuildRun r = rebuild(o);
  EXPECT_TRUE(r.report.ok());
  EXPECT_EQ(r.report.rebuilt, 10);
  EXPECT_EQ(r.report.absent, 1);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines[0].rfind("Holiday - File Not Found", 0), 0u) << r.lines[0];
  r.lines[0] = "Holiday - File Not Found";
  EXPECT_EQ(r.lines, (std::vector<std::string>{
                         "Holiday - File Not Found", "Rebuilding Ageing", "Rebuilding Audit",
                         "Rebuilding Clients", "Rebuilding Data", "Rebuilding Invoice",
                         "Rebuilding Payments", "Rebuilding Transactions", "Rebuilding BankName",
                         "Rebuilding BankList", "Rebuilding BankBranch", "Rebuild Complete"}));
  EXPECT_EQ(o.engine->open(o.layout("VelCli"), o.tps("VelCli"), OpenMode{}, kOwnerPassword, f), 0);
  f.reset();
  EXPECT_EQ(o.count("VelCli", o.tps("VelCli")), 40);
  EXPECT_FALSE(std::filesystem::exists(o.tps("Holiday")));  // a rebuild makes no files
}

// Another process is writing to VelCli the whole time: "Client - " and the
// reason on the status line, in the closing list, and every other file
// rebuilt.
TEST(Rebuild, FileAnotherStationHoldsIsNamedAndTheOthersAreRebuilt) {
  VEL_SQLITE_FILES_ONLY();
  test::BackupOffice o;
  ASSERT_TRUE(o.seed());
  test::Pipe locked, release;
  const std::string path = o.tps("VelCli");
  test::Child holder([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE; UPDATE rec SET _ver=_ver+1;", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
      return 2;
    locked.send();
    release.wait();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  });
  ASSERT_TRUE(holder.waitFor(locked)) << "no lock taken: " << holder.exitCode();

  RebuildRun r = rebuild(o);
  release.send();
  EXPECT_EQ(holder.exitCode(), 0);
  const std::string line = "Client - " + std::string(engineCodeText(ecode::kLockTimeout));
  EXPECT_TRUE(shows(r, line.substr(0, kRebuildStatusWidth)));
  EXPECT_FALSE(shows(r, "Rebuilding Clients"));
  EXPECT_TRUE(shows(r, "Rebuilding Transactions"));
  ASSERT_EQ(r.report.problems.size(), 1u);
  EXPECT_EQ(r.report.problems[0].label, "VelCli");
  EXPECT_EQ(r.report.problems[0].kind, RebuildProblem::Kind::NotOpened);
  EXPECT_EQ(r.report.problems[0].line, line);
  EXPECT_EQ(r.lines.back(), "Rebuild Complete: 1 file needs attention");
  EXPECT_EQ(r.report.finalStatus(), r.lines.back());
}

// Records overwritten in the middle of VelTra: the file is named as damaged,
// never counted as rebuilt.
TEST(Rebuild, DamagedFileIsNamedNeverPassed) {
  VEL_SQLITE_FILES_ONLY();
  test::BackupOffice o;
  ASSERT_TRUE(o.seed(300));
  ASSERT_GT(test::damagePages(o.tps("VelTra"), 0.5), 0);
  RebuildRun r = rebuild(o);
  ASSERT_FALSE(r.report.ok());
  bool named = false;
  for (const auto& p : r.report.problems) {
    EXPECT_EQ(p.label, "VelTra") << p.line;
    EXPECT_EQ(p.line.rfind("Transact - ", 0), 0u) << p.line;
    EXPECT_GT(p.line.size(), std::string("Transact - ").size()) << "no reason given";
    named = named || p.kind == RebuildProblem::Kind::Damaged;
  }
  EXPECT_TRUE(named);
  EXPECT_TRUE(shows(r, "Rebuilding Payments"));
  EXPECT_EQ(r.lines.back(), "Rebuild Complete: 1 file needs attention");
}

// While a file is open exclusively no other process reads it; once closed
// it is shared again.
TEST(Rebuild, ExclusiveOpenKeepsOtherStationsOutUntilClosed) {
  test::BackupOffice o;
  ASSERT_TRUE(o.seed(10));
  std::unique_ptr<EngineFile> mine;
  ASSERT_EQ(o.engine->open(o.layout("VelCli"), o.tps("VelCli"),
                           OpenMode{Access::ReadWrite, Share::DenyAll}, kOwnerPassword, mine),
            0);
  const std::string folder = o.dir.path();
  auto otherReads = [&] {
    test::Child other([&] {
      auto engine = test::makeEngineFor(folder);
      std::unique_ptr<EngineFile> f;
      int code = engine->open(*findFile("VelCli")->layout, folder + "/VelCli.Tps",
                              OpenMode{}, kOwnerPassword, f);
      if (code) return code;
      f->option("Recover=1");
      std::int64_t n = 0;
      return f->records(n);
    });
    return other.exitCode();
  };
  EXPECT_EQ(otherReads(), ecode::kLockTimeout);
  mine.reset();
  EXPECT_EQ(otherReads(), 0);
}

}  // namespace
}  // namespace vel
