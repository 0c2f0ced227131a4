// Moving an office between stores: every file arrives with every value and
// in its arrival order, the source is never written, a target in the way is
// refused, a copy cut short leaves nothing behind, and the closing check
// catches a value that differs. The same code moves into and out of a
// PostgreSQL database (the MigratePostgres cases, which need VEL_TEST_PG).
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/DemoOffice.h"
#include "maintenance/Migrate.h"
#include "recordstore/DataFiles.h"
#include "support/FileDamage.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

// One demo office, seeded once for every case, which each copies first.
class MigrateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    office_ = new test::TempDir;
    auto engine = makeSqliteEngine();
    test::ScriptedUi ui;
    ErrorManager errors(ui);
    DataFiles files(office_->path(), *engine, errors);
    FixedClock clock(dateFromYmd(2026, 12, 8), 0);
    DemoOptions o;
    o.clients = 60;
    o.months = 3;
    const DemoResult r = seedDemoOffice(files, clock, o);
    ASSERT_TRUE(r.ok) << r.message;
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
  }

  // The demo office's record files copied into `dir`.
  static void copyOffice(const std::string& dir) {
    for (const auto& e : fs::directory_iterator(office_->path()))
      if (e.path().extension() == ".Tps") fs::copy_file(e.path(), fs::path(dir) / e.path().filename());
  }

  static std::set<std::string> recordFiles(const std::string& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ".Tps") out.insert(e.path().filename().string());
    return out;
  }

  // Every byte and the time of every file of `dir`.
  static std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      std::ifstream in(e.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      out[e.path().filename().string()] =
          bytes.str() + "@" + std::to_string(fs::last_write_time(e.path()).time_since_epoch().count());
    }
    return out;
  }

  static inline test::TempDir* office_ = nullptr;
  std::unique_ptr<Engine> sourceEngine = makeSqliteEngine();
  std::unique_ptr<Engine> targetEngine = makeSqliteEngine();
  test::TempDir source, target;
  void SetUp() override { copyOffice(source.path()); }
  StoreSide from() { return {*sourceEngine, source.path()}; }
  StoreSide to() { return {*targetEngine, target.path()}; }
};

// The record hashes of a file in arrival order: its values and its order.
std::vector<std::uint64_t> arrival(Engine& engine, const std::string& folder, const FileDecl& d) {
  std::vector<std::uint64_t> out;
  std::unique_ptr<EngineFile> f;
  EXPECT_EQ(engine.open(*d.layout, folder + "/" + d.diskName(), OpenMode{Access::ReadOnly},
                        kOwnerPassword, f),
            0)
      << d.label;
  if (!f) return out;
  f->setOrder(kPhysicalOrder);
  RecordBuffer rec(*d.layout);
  while (f->next(rec.get()) == 0) out.push_back(recordHash(*d.layout, rec.get()));
  return out;
}

// Changes one field of the first record of `label` at `folder`.
void changeFirstRecord(Engine& engine, const std::string& folder, const std::string& label,
                       const std::string& field) {
  const FileDecl& d = *findFile(label);
  std::unique_ptr<EngineFile> f;
  ASSERT_EQ(engine.open(*d.layout, folder + "/" + d.diskName(), OpenMode{}, kOwnerPassword, f), 0);
  RecordBuffer rec(*d.layout);
  ASSERT_EQ(f->setOrder(kPhysicalOrder), 0);
  ASSERT_EQ(f->next(rec.get()), 0);
  FieldRef v = d.layout->field(rec.get(), d.layout->fieldIndex(field));
  if (v.isText()) v.text() = "Changed";
  else if (v.isReal()) v.real() += 0.01;
  else v.whole() += 1;
  ASSERT_EQ(f->put(rec.get()), 0) << label;
}

TEST_F(MigrateTest, EveryFileArrivesWithItsValuesInArrivalOrderAndMatches) {
  const MigrateReport r = migrateOffice(from(), to());
  ASSERT_TRUE(r.failure.empty()) << r.failure;
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(recordFiles(target.path()), recordFiles(source.path()));
  ASSERT_EQ(r.files.size(), recordFiles(source.path()).size());
  std::int64_t records = 0;
  for (const MigratedFile& f : r.files) {
    EXPECT_TRUE(f.matches()) << f.label << ": " << f.problem;
    records += f.source.records;
    EXPECT_EQ(arrival(*sourceEngine, source.path(), *findFile(f.label)),
              arrival(*targetEngine, target.path(), *findFile(f.label)))
        << f.label;
  }
  EXPECT_GT(records, 1000);  // the demo's clients, ledgers and setup lists

  // The copy is an office of its own: the running numbers go on from the
  // copied ones.
  test::ScriptedUi ui;
  ErrorManager errors(ui);
  DataFiles copied(target.path(), *targetEngine, errors);
  FileManager& cli = copied.fm<rec::VelCli>();
  FileUse use(cli);
  std::int64_t highest = 0;
  cli.SetOrder(kPhysicalOrder);
  while (cli.TryReadNext() == kDone) highest = std::max(highest, cli.field("NUMBER").whole());
  ASSERT_GT(highest, 0);
  cli.ClearBuffer();
  ASSERT_EQ(cli.TryReserveNumber(), kDone);
  EXPECT_EQ(cli.field("NUMBER").whole(), highest + 1);
}

TEST_F(MigrateTest, SourceIsLeftByteForByteAsItWas) {
  const auto before = snapshot(source.path());
  ASSERT_TRUE(migrateOffice(from(), to()).ok());
  EXPECT_TRUE(compareOffices(from(), to()).ok());
  EXPECT_EQ(snapshot(source.path()), before);
}

TEST_F(MigrateTest, ChangedValueOrLostRecordAtTheTargetIsCaught) {
  ASSERT_TRUE(migrateOffice(from(), to()).ok());
  // A text, an amount and a date, each in a file of its own.
  const std::map<std::string, std::string> changed = {
      {"VelCli", "SURNAME"}, {"VelTra", "CREDIT"}, {"VelPay", "DATE"}};
  for (const auto& [label, field] : changed) changeFirstRecord(*targetEngine, target.path(), label, field);
  // A record gone from another file.
  {
    const FileDecl& d = *findFile("Town");
    std::unique_ptr<EngineFile> f;
    ASSERT_EQ(targetEngine->open(*d.layout, target.file(d.diskName()), OpenMode{}, kOwnerPassword, f), 0);
    RecordBuffer rec(*d.layout);
    ASSERT_EQ(f->setOrder(kPhysicalOrder), 0);
    ASSERT_EQ(f->next(rec.get()), 0);
    ASSERT_EQ(f->erase(), 0);
  }
  const MigrateReport r = compareOffices(from(), to());
  EXPECT_FALSE(r.ok());
  for (const MigratedFile& f : r.files) {
    ASSERT_TRUE(f.compared) << f.problem;
    if (changed.count(f.label)) {
      EXPECT_EQ(f.source.records, f.target.records) << f.label;
      EXPECT_NE(f.source.checksum, f.target.checksum) << f.label;
    } else if (f.label == "Town") {
      EXPECT_EQ(f.source.records, f.target.records + 1);
    } else {
      EXPECT_TRUE(f.matches()) << f.label;
    }
  }
}

TEST_F(MigrateTest, TargetHoldingAnOfficeFileIsRefusedUntouchedUnlessReplaced) {
  const FileDecl& town = *findFile("Town");
  ASSERT_EQ(targetEngine->create(*town.layout, target.file(town.diskName()), kOwnerPassword), 0);
  {
    std::unique_ptr<EngineFile> f;
    ASSERT_EQ(targetEngine->open(*town.layout, target.file(town.diskName()), OpenMode{},
                                 kOwnerPassword, f),
              0);
    rec::Town t;
    t.TOWN = "Nowhere";
    ASSERT_EQ(f->add(&t), 0);
  }
  MigrateReport r = migrateOffice(from(), to());
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.occupied, std::vector<std::string>{"Town.Tps"});
  EXPECT_NE(r.failure.find("Town.Tps"), std::string::npos) << r.failure;
  EXPECT_EQ(recordFiles(target.path()), std::set<std::string>{"Town.Tps"});
  EXPECT_EQ(arrival(*targetEngine, target.path(), town).size(), 1u);

  MigrateOptions replace;
  replace.replace = true;
  r = migrateOffice(from(), to(), replace);
  EXPECT_TRUE(r.ok()) << r.failure;
  EXPECT_EQ(arrival(*targetEngine, target.path(), town),
            arrival(*sourceEngine, source.path(), town));
}

TEST_F(MigrateTest, SourceThatCannotBeReadToItsEndLeavesTheTargetEmpty) {
  const FileDecl& tra = *findFile("VelTra");
  ASSERT_GT(test::damagePages(source.file(tra.diskName())), 0);
  const MigrateReport r = migrateOffice(from(), to());
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.failure.find("VelTra"), std::string::npos) << r.failure;
  EXPECT_TRUE(recordFiles(target.path()).empty());
}

TEST_F(MigrateTest, FolderWithoutRecordFilesIsRefused) {
  test::TempDir empty;
  const MigrateReport r = migrateOffice({*sourceEngine, empty.path()}, to());
  EXPECT_FALSE(r.ok());
  EXPECT_FALSE(r.failure.empty());
  EXPECT_TRUE(recordFiles(target.path()).empty());
}

TEST(MigrateChecksum, CanonicalFormIgnoresTrailingBlanksAndTheSignOfZeroOnly) {
  const Layout& l = layoutOf<rec::VelTra>();
  rec::VelTra a, b;
  a.CLIENT_ID = "C0001";
  b.CLIENT_ID = "C0001   ";
  a.CREDIT = 0.0;
  b.CREDIT = -0.0;
  EXPECT_EQ(recordHash(l, &a), recordHash(l, &b));
  b.CLIENT_ID = "c0001";
  EXPECT_NE(recordHash(l, &a), recordHash(l, &b));  // case is a value
  b = a;
  b.CREDIT = 0.001;
  EXPECT_NE(recordHash(l, &a), recordHash(l, &b));
  // The same value in another field is another record.
  b = a;
  a.ACCOUNT = "X";
  b.SOURCE = "X";
  EXPECT_NE(recordHash(l, &a), recordHash(l, &b));
}

// ---- PostgreSQL ------------------------------------------------------------

// The test database's connection string; the case fails without one.
std::string testConnection() {
  const char* c = std::getenv("VEL_TEST_PG");
  return c ? c : "";
}

void dropSchema(const std::string& connection, const std::string& schema) {
  PGconn* db = PQconnectdb(connection.c_str());
  if (PQstatus(db) == CONNECTION_OK)
    PQclear(PQexec(db, ("SET client_min_messages TO warning; DROP SCHEMA IF EXISTS " + schema +
                               " CASCADE").c_str()));
  PQfinish(db);
}

class MigratePostgres : public MigrateTest {
 protected:
  void SetUp() override {
    MigrateTest::SetUp();
    connection = testConnection();
    ASSERT_FALSE(connection.empty())
        << "VEL_TEST_PG names no PostgreSQL server (start one with tests/pg/pgcluster.sh)";
    schema = "mig_" + std::to_string(std::random_device{}() % 1000000000u);
    database = makePostgresEngine(PgSettings{connection, schema});
  }
  void TearDown() override {
    if (!connection.empty()) dropSchema(connection, schema);
  }
  std::string connection, schema;
  std::unique_ptr<Engine> database;
};

TEST_F(MigratePostgres, OfficeGoesIntoTheDatabaseAndComesBackTheSame) {
  const StoreSide db{*database, ""};
  MigrateReport in = migrateOffice(from(), db);
  ASSERT_TRUE(in.ok()) << in.failure;
  for (const MigratedFile& f : in.files) EXPECT_TRUE(f.matches()) << f.label << ": " << f.problem;

  // The program finds the office there: its clients, by key.
  {
    test::ScriptedUi ui;
    ErrorManager errors(ui);
    DataFiles files(target.path(), *database, errors);
    FileManager& cli = files.fm<rec::VelCli>();
    FileUse use(cli);
    std::int64_t n = 0;
    EXPECT_EQ(cli.TryRecords(n), kDone) << cli.LastEngineText();
    EXPECT_EQ(n, 60);
    cli.ClearBuffer();
    cli.SetOrder(cli.keyIndex("By_Client"));
    ASSERT_EQ(cli.TryReadNext(), kDone) << cli.LastEngineText();
    const std::string first(cli.rec<rec::VelCli>().CLIENT_ID.str());
    cli.ClearBuffer();
    cli.rec<rec::VelCli>().CLIENT_ID = first;
    EXPECT_EQ(cli.TryGetByKey(cli.keyIndex("By_Client")), kDone) << cli.LastEngineText();
  }

  // A second move onto it is refused: the schema holds the office.
  const MigrateReport again = migrateOffice(from(), db);
  EXPECT_FALSE(again.ok());
  EXPECT_EQ(again.occupied.size(), in.files.size());

  const MigrateReport back = migrateOffice(db, to());
  ASSERT_TRUE(back.ok()) << back.failure;
  EXPECT_TRUE(compareOffices(from(), to()).ok());
  for (const MigratedFile& f : in.files)
    EXPECT_EQ(arrival(*sourceEngine, source.path(), *findFile(f.label)),
              arrival(*targetEngine, target.path(), *findFile(f.label)))
        << f.label;
}

TEST_F(MigratePostgres, ChangedValueInTheDatabaseIsCaught) {
  const StoreSide db{*database, ""};
  ASSERT_TRUE(migrateOffice(from(), db).ok());
  changeFirstRecord(*database, "", "VelTra", "DEBIT");
  const MigrateReport r = compareOffices(from(), db);
  EXPECT_FALSE(r.ok());
  for (const MigratedFile& f : r.files)
    EXPECT_EQ(f.matches(), f.label != "VelTra") << f.label << ": " << f.problem;
}

}  // namespace
}  // namespace vel
