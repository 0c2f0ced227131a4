// What only the PostgreSQL engine has: its tables and indexes on the server,
// its lock waits against other connections, a connection the server drops,
// transactions that go on after a refused write, and copies of a table made
// as record files of the embedded engine.
//
// The tests need a server: VEL_TEST_PG holds its libpq connection string.
// Each test works in a schema of its own and drops it at the end.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"
#include "support/TempDir.h"

namespace vel {
namespace {

class PostgresEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* c = std::getenv("VEL_TEST_PG");
    ASSERT_TRUE(c && *c) << "VEL_TEST_PG is not set: these tests need a PostgreSQL server "
                            "(tests/pg/pgcluster.sh start DIR prints its connection string)";
    conninfo = c;
    schema = "t_" + std::to_string(std::random_device{}()) + std::to_string(::getpid());
    raw = PQconnectdb(conninfo.c_str());
    ASSERT_EQ(PQstatus(raw), CONNECTION_OK) << PQerrorMessage(raw);
    PQsetNoticeProcessor(raw, [](void*, const char*) {}, nullptr);
    engine = makePostgresEngine({conninfo, schema});
  }
  void TearDown() override {
    engine.reset();
    if (raw && PQstatus(raw) == CONNECTION_OK) sql("DROP SCHEMA IF EXISTS \"" + schema + "\" CASCADE");
    if (raw) PQfinish(raw);
  }

  // Runs `q` on the test's own connection (another station, as far as the
  // engine can tell); the first value of the answer.
  std::string sql(const std::string& q) {
    PGresult* r = PQexec(raw, q.c_str());
    std::string out;
    ExecStatusType st = PQresultStatus(r);
    EXPECT_TRUE(st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) << q << ": " << PQresultErrorMessage(r);
    if (st == PGRES_TUPLES_OK && PQntuples(r) > 0) out = PQgetvalue(r, 0, 0);
    PQclear(r);
    return out;
  }
  std::string table(const std::string& name) const { return "\"" + schema + "\".\"" + name + "\""; }

  std::unique_ptr<EngineFile> openNew(const Layout& l, const std::string& name,
                                      OpenMode mode = OpenMode{}) {
    EXPECT_EQ(engine->create(l, dir.file(name), "MapleCourt"), 0) << engineStatus().text;
    std::unique_ptr<EngineFile> f;
    EXPECT_EQ(engine->open(l, dir.file(name), mode, "MapleCourt", f), 0) << engineStatus().text;
    return f;
  }

  void addClients(Engine& e, EngineFile& f, int n) {
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(e.begin({&f}, 2, tx), 0) << engineStatus().text;
    rec::VelCli c;
    for (int i = 1; i <= n; ++i) {
      c = rec::VelCli{};
      c.NUMBER = i;
      c.CLIENT_ID = "C" + std::to_string(100000 + i);
      // Values that vary as an office's do, so the server plans as it would there.
      c.SURNAME = (i % 3 ? "Mokoena" : "Dlamini") + std::to_string(i % 40);
      c.INITIALS = std::string(1, static_cast<char>('A' + i % 26));
      c.ID_NUMBER = std::to_string(7000000000000 + i);
      c.H_ADDR1 = "Street " + std::to_string(i % 50);
      c.STRNO = std::to_string(i % 97);
      c.BANK_NAME = "Bank " + std::to_string(i % 7);
      c.BRANCH_NAME = "Branch " + std::to_string(i % 13);
      ASSERT_EQ(f.add(&c), 0) << engineStatus().text;
    }
    ASSERT_EQ(tx->commit(), 0);
  }

  test::TempDir dir;
  std::string conninfo, schema;
  PGconn* raw = nullptr;
  std::unique_ptr<Engine> engine;
};

TEST_F(PostgresEngineTest, EveryPageOfEveryKeyIsAnIndexScanOfThatKeyWithoutASort) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  addClients(*engine, *f, 3000);
  sql("ANALYZE " + table("VelCli.Tps"));
  rec::VelCli c;
  for (int k = 0; k < static_cast<int>(cli.keys().size()); ++k) {
    // Plans are asked for a record half-way into the file.
    c.CLIENT_ID = "C101500";
    ASSERT_EQ(f->get(cli.keyIndex("By_Client"), &c), 0);
    ASSERT_EQ(f->get(k, &c), 0);
    const std::string index = "k_VelCli.Tps_" + cli.keys()[static_cast<std::size_t>(k)].name;
    std::vector<std::string> plans = postgresReadPlans(*f, k);
    for (const std::string& plan : postgresReadPlans(*f, k, true)) plans.push_back("generic " + plan);
    for (const std::string& plan : plans) {
      SCOPED_TRACE(plan);
      std::size_t at = plan.find("using \"" + index + "\"");
      ASSERT_NE(at, std::string::npos);  // this key's own index, not a longer name's
      EXPECT_EQ(plan.find("Seq Scan"), std::string::npos);
      EXPECT_EQ(plan.find("Sort"), std::string::npos);
      std::string_view name(plan);
      if (name.starts_with("generic ")) name.remove_prefix(8);
      bool fromAnEnd = name.starts_with("first") || name.starts_with("last");
      if (!fromAnEnd) {
        EXPECT_NE(plan.find("Index Cond"), std::string::npos);
      }
      // Within a run the seek goes to the record's own place in it.
      if (name.starts_with("run") && !cli.keys()[static_cast<std::size_t>(k)].unique()) {
        EXPECT_NE(plan.find("_id) "), std::string::npos);
      }
    }
  }
  ASSERT_EQ(f->setOrder(kPhysicalOrder), 0);
  ASSERT_EQ(f->next(&c), 0);
  for (const std::string& plan : postgresReadPlans(*f, kPhysicalOrder)) {
    EXPECT_EQ(plan.find("Sort"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("Seq Scan"), std::string::npos) << plan;
  }
}

// A month of transactions: long runs of equal dates whose records lie all
// over the table. A page inside a run still seeks in the date key's index:
// the primary key, which orders each run by id too, is never read instead.
TEST_F(PostgresEngineTest, PagesInsideLongRunsOfEqualDatesSeekTheDateIndex) {
  const Layout& tra = layoutOf<rec::VelTra>();
  auto f = openNew(tra, "VelTra.Tps");
  sql("INSERT INTO " + table("VelTra.Tps") +
      "(\"CLIENT_ID\",\"DATE\",\"BRANCH_ID\",\"UNIQUE\",\"CREDIT\") SELECT 'C'||(g%5000), "
      "20260101 + g%28, 'B1', g::text, g FROM generate_series(1,200000) g");
  sql("ANALYZE " + table("VelTra.Tps"));
  rec::VelTra t;
  const int byDate = tra.keyIndex("By_Date");
  t.DATE = yyyymmddToDate(20260115);
  ASSERT_EQ(f->setOrderAt(byDate, &t), 0);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(f->next(&t), 0);  // well into the run
  std::vector<std::string> plans = postgresReadPlans(*f, byDate);
  for (const std::string& plan : postgresReadPlans(*f, byDate, true)) plans.push_back(plan);
  for (const std::string& plan : plans) {
    EXPECT_NE(plan.find("using \"k_VelTra.Tps_By_Date\""), std::string::npos) << plan;
    EXPECT_EQ(plan.find("Filter"), std::string::npos) << plan;
  }
}

TEST_F(PostgresEngineTest, OpenTellsMissingForeignAndOtherLayoutTables) {
  const Layout& town = layoutOf<rec::Town>();
  std::unique_ptr<EngineFile> f;
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f), ecode::kFileNotFound);
  bool there = true;
  EXPECT_EQ(engine->exists(dir.file("Town.Tps"), there), 0);
  EXPECT_FALSE(there);

  openNew(town, "Town.Tps");
  EXPECT_EQ(engine->exists("/another/folder/Town.Tps", there), 0);  // the table, wherever the folder
  EXPECT_TRUE(there);
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "SomeoneElse", f), ecode::kBadOwner);
  EXPECT_EQ(engine->open(layoutOf<rec::Route>(), dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f),
            ecode::kInvalidLayout);
  // A table somebody made by hand in the office's schema is no record file.
  sql("CREATE TABLE " + table("Junk.Tps") + "(a int)");
  EXPECT_EQ(engine->open(town, dir.file("Junk.Tps"), OpenMode{}, "MapleCourt", f), ecode::kInvalidFile);

  // A key whose index went missing is reported, and the repair makes it again.
  sql("DROP INDEX \"" + schema + "\".\"k_Town.Tps_" + town.keys()[0].name + "\"");
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f), ecode::kInvalidKeys);
  EXPECT_EQ(engine->repairKeys(town, dir.file("Town.Tps"), "MapleCourt"), 0) << engineStatus().text;
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f), 0);

  EXPECT_EQ(engine->remove(dir.file("Town.Tps")), 0);
  EXPECT_EQ(engine->remove(dir.file("Town.Tps")), ecode::kFileNotFound);
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f), ecode::kFileNotFound);
}

// A login the server lets read the office's tables but not change them:
// opening for writing is refused with "access denied", reading works, and a
// write the server refuses is "access denied" too.
TEST_F(PostgresEngineTest, LoginWithoutWritePrivilegeReadsButIsDeniedWriting) {
  const Layout& town = layoutOf<rec::Town>();
  auto f = openNew(town, "Town.Tps");
  rec::Town t;
  t.TOWN = "Musina";
  ASSERT_EQ(f->add(&t), 0);
  const std::string reader = schema + "_reader";
  sql("CREATE ROLE \"" + reader + "\" LOGIN");
  sql("GRANT USAGE ON SCHEMA \"" + schema + "\" TO \"" + reader + "\"");
  sql("GRANT SELECT ON ALL TABLES IN SCHEMA \"" + schema + "\" TO \"" + reader + "\"");
  {
    auto station = makePostgresEngine({conninfo + " user=" + reader, schema});
    std::unique_ptr<EngineFile> g;
    EXPECT_EQ(station->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", g), ecode::kAccessDenied);
    ASSERT_EQ(station->open(town, dir.file("Town.Tps"), OpenMode{Access::ReadOnly, Share::DenyNone},
                            "MapleCourt", g),
              0)
        << engineStatus().text;
    ASSERT_EQ(g->setOrder(0), 0);
    ASSERT_EQ(g->next(&t), 0);
    EXPECT_EQ(t.TOWN.str(), "Musina");
    EXPECT_EQ(g->put(&t), ecode::kAccessDenied);
    std::unique_ptr<Transaction> tx;
    EXPECT_EQ(station->begin({g.get()}, 1, tx), ecode::kAccessDenied);

    // Writing granted, then taken away while the file is open: the server's
    // own refusal is "access denied" as well.
    sql("GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA \"" + schema + "\" TO \"" + reader + "\"");
    ASSERT_EQ(station->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", g), 0);
    sql("REVOKE INSERT ON ALL TABLES IN SCHEMA \"" + schema + "\" FROM \"" + reader + "\"");
    t.TOWN = "Louis Trichardt";
    EXPECT_EQ(g->add(&t), ecode::kAccessDenied);
    EXPECT_EQ(engineStatus().driverCode, "42501");
  }
  sql("DROP SCHEMA \"" + schema + "\" CASCADE");
  sql("DROP ROLE \"" + reader + "\"");
}

// Stations of a new office starting together all create the same files:
// each is made once, and every station opens what was made.
TEST_F(PostgresEngineTest, StationsCreatingTheSameFilesAtOnceMakeEachOnce) {
  constexpr int kStations = 6;
  std::vector<std::unique_ptr<Engine>> stations;
  for (int i = 0; i < kStations; ++i) stations.push_back(makePostgresEngine({conninfo, schema}));
  std::vector<int> created(kStations, -1), opened(kStations, -1);
  {
    std::vector<std::thread> threads;
    for (int i = 0; i < kStations; ++i)
      threads.emplace_back([&, i] {
        created[static_cast<std::size_t>(i)] =
            stations[static_cast<std::size_t>(i)]->create(layoutOf<rec::Town>(), dir.file("Town.Tps"), "MapleCourt");
        std::unique_ptr<EngineFile> f;
        opened[static_cast<std::size_t>(i)] = stations[static_cast<std::size_t>(i)]->open(
            layoutOf<rec::Town>(), dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f);
      });
    for (auto& t : threads) t.join();
  }
  EXPECT_EQ(created, std::vector<int>(kStations, 0));
  EXPECT_EQ(opened, std::vector<int>(kStations, 0));
  EXPECT_EQ(sql("SELECT count(*) FROM \"" + schema + "\"._velmora_files"), "1");
}

// Another connection holding a table: readers go on past a writer's lock,
// writers and transactions give up with the lock time-out, and an exclusive
// holder keeps readers out too.
TEST_F(PostgresEngineTest, LocksOfAnotherConnectionOutlastingTheWaitAreLockTimeouts) {
  const Layout& town = layoutOf<rec::Town>();
  auto f = openNew(town, "Town.Tps");
  ASSERT_EQ(f->option("Recover=1"), 0);  // a short wait keeps the test short
  auto patient = openNew(town, "Town.Tps");  // the same connection, the usual wait
  rec::Town t;
  t.TOWN = "Modimolle";
  ASSERT_EQ(f->add(&t), 0);

  sql("BEGIN");
  sql("LOCK TABLE " + table("Town.Tps") + " IN EXCLUSIVE MODE");
  ASSERT_EQ(f->setOrder(0), 0);
  EXPECT_EQ(f->next(&t), 0);  // reading goes on
  std::unique_ptr<Transaction> tx;
  EXPECT_EQ(engine->begin({f.get()}, 1, tx), ecode::kLockTimeout);
  EXPECT_FALSE(tx);
  t.TOWN = "Bela-Bela";
  EXPECT_EQ(f->add(&t), ecode::kLockTimeout);
  EXPECT_EQ(engineStatus().driverCode, "55P03");
  sql("ROLLBACK");

  // Once the other connection lets go, the same file writes again.
  EXPECT_EQ(f->add(&t), 0) << engineStatus().text;
  ASSERT_EQ(engine->begin({f.get()}, 1, tx), 0);
  EXPECT_EQ(tx->commit(), 0);

  sql("BEGIN");
  sql("LOCK TABLE " + table("Town.Tps") + " IN ACCESS EXCLUSIVE MODE");
  ASSERT_EQ(f->setOrder(0), 0);
  EXPECT_EQ(f->next(&t), ecode::kRecordHeld);  // a failure, never the end of the file
  std::int64_t n = 0;
  EXPECT_EQ(patient->records(n), ecode::kRecordHeld);
  EXPECT_EQ(f->records(n), ecode::kRecordHeld);
  sql("ROLLBACK");
  EXPECT_EQ(patient->records(n), 0);
  EXPECT_EQ(n, 2);
}

TEST_F(PostgresEngineTest, ExclusiveOpenKeepsOtherStationsOutUntilClosed) {
  const Layout& town = layoutOf<rec::Town>();
  openNew(town, "Town.Tps");
  std::unique_ptr<EngineFile> mine;
  ASSERT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{Access::ReadWrite, Share::DenyAll},
                         "MapleCourt", mine),
            0);
  rec::Town t;
  t.TOWN = "Thabazimbi";
  ASSERT_EQ(mine->add(&t), 0);
  EXPECT_EQ(mine->buildKeys(true), 0) << engineStatus().text;

  auto other = makePostgresEngine({conninfo, schema});
  std::unique_ptr<EngineFile> theirs;
  EXPECT_EQ(other->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", theirs),
            ecode::kLockTimeout);
  mine.reset();  // closing keeps what was written and lets the others in
  ASSERT_EQ(other->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", theirs), 0);
  std::int64_t n = 0;
  EXPECT_EQ(theirs->records(n), 0);
  EXPECT_EQ(n, 1);
}

// A refused write inside a transaction (a duplicate key) leaves the
// transaction usable: the rest of it commits.
TEST_F(PostgresEngineTest, DuplicateInsideATransactionIsRefusedAndTheTransactionGoesOn) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  addClients(*engine, *f, 2);
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0);
  rec::VelCli c;
  c.NUMBER = 3;
  c.CLIENT_ID = "c100001";  // client 1's id in other letters: the key ignores case
  EXPECT_EQ(f->add(&c), ecode::kDuplicateKey);
  c.CLIENT_ID = "C100003";
  ASSERT_EQ(f->add(&c), 0) << engineStatus().text;
  c.CLIENT_ID = "C100002";  // rewriting it onto client 2's id
  EXPECT_EQ(f->put(&c), ecode::kDuplicateKey);
  c.CLIENT_ID = "C100004";
  EXPECT_EQ(f->put(&c), 0) << engineStatus().text;
  ASSERT_EQ(tx->commit(), 0) << engineStatus().text;
  EXPECT_EQ(sql("SELECT string_agg(\"CLIENT_ID\", ',' ORDER BY \"_id\") FROM " + table("VelCli.Tps")),
            "C100001,C100002,C100004");
}

// A member's savepoint inside a batch: what is taken back goes, the rest of
// the batch stays, also when a refused write made its own savepoint inside.
TEST_F(PostgresEngineTest, SavepointsTakeBackOneMemberAndKeepTheBatch) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  addClients(*engine, *f, 1);
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0);
  rec::VelCli c;
  for (int member = 2; member <= 4; ++member) {
    ASSERT_EQ(tx->savepoint(), 0) << engineStatus().text;
    c = rec::VelCli{};
    c.NUMBER = member;
    c.CLIENT_ID = "C10000" + std::to_string(member);
    ASSERT_EQ(f->add(&c), 0) << engineStatus().text;
    c.CLIENT_ID = "C100001";
    EXPECT_EQ(f->put(&c), ecode::kDuplicateKey);
    if (member == 3) {
      ASSERT_EQ(tx->rollbackToSavepoint(), 0) << engineStatus().text;
    } else {
      ASSERT_EQ(tx->releaseSavepoint(), 0) << engineStatus().text;
    }
  }
  ASSERT_EQ(tx->commit(), 0) << engineStatus().text;
  EXPECT_EQ(sql("SELECT string_agg(\"CLIENT_ID\", ',' ORDER BY \"_id\") FROM " + table("VelCli.Tps")),
            "C100001,C100002,C100004");
}

// Taking and letting go of a savepoint travel with the next statement. With
// nothing between them, at a rollback of the whole batch, at a commit, and
// on a connection the server ended, they keep their place: what was taken
// back is gone, the rest is kept, and nothing failed is reported done.
TEST_F(PostgresEngineTest, SavepointsSentWithTheNextStatementKeepTheirPlace) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  rec::VelCli c;
  auto add = [&](int n) {
    c = rec::VelCli{};
    c.NUMBER = n;
    c.CLIENT_ID = "C10000" + std::to_string(n);
    return f->add(&c);
  };
  auto ids = [&] {
    return sql("SELECT coalesce(string_agg(\"CLIENT_ID\", ',' ORDER BY \"_id\"), '') FROM " +
               table("VelCli.Tps"));
  };
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0);
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(tx->rollbackToSavepoint(), 0) << engineStatus().text;  // nothing between
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(1), 0) << engineStatus().text;
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(2), 0) << engineStatus().text;
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->rollback(), 0) << engineStatus().text;  // the last release still owed
  EXPECT_EQ(ids(), "");

  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0) << engineStatus().text;
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(3), 0) << engineStatus().text;
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(4), 0) << engineStatus().text;
  ASSERT_EQ(tx->rollbackToSavepoint(), 0) << engineStatus().text;
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(5), 0) << engineStatus().text;
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->commit(), 0) << engineStatus().text;  // sent with the owed release
  EXPECT_EQ(ids(), "C100003,C100005");

  // The server ends the transaction's connection while a savepoint is owed:
  // the write that carries it fails, and so does every write after it and
  // the commit. None is made on a new connection outside the transaction.
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0) << engineStatus().text;
  ASSERT_EQ(tx->savepoint(), 0);
  const std::string pid = sql("SELECT pid FROM pg_stat_activity WHERE pid <> pg_backend_pid() AND "
                              "state = 'idle in transaction' AND query LIKE '%" + schema + "%'");
  ASSERT_FALSE(pid.empty());
  ASSERT_EQ(sql("SELECT pg_terminate_backend(" + pid + ")"), "t");
  // The server process is gone before the engine writes again.
  for (int i = 0; i < 500 && sql("SELECT count(*) FROM pg_stat_activity WHERE pid = " + pid) != "0"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(add(6), 0);
  EXPECT_EQ(add(6), ecode::kDriverError);
  EXPECT_NE(tx->commit(), 0);
  EXPECT_EQ(ids(), "C100003,C100005");
  // The next transaction starts on a sound connection.
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0) << engineStatus().text;
  ASSERT_EQ(tx->savepoint(), 0);
  ASSERT_EQ(add(7), 0) << engineStatus().text;
  ASSERT_EQ(tx->releaseSavepoint(), 0);
  ASSERT_EQ(tx->commit(), 0) << engineStatus().text;
  EXPECT_EQ(ids(), "C100003,C100005,C100007");
}

// The server ending the connection in the middle of a walk is a failure,
// never the end of the file; the next read connects again.
TEST_F(PostgresEngineTest, ConnectionLostInAWalkIsAFailureNotTheEnd) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  addClients(*engine, *f, 200);
  rec::VelCli c;
  ASSERT_EQ(f->setOrder(cli.keyIndex("By_Number")), 0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(f->next(&c), 0);
  const std::string pos = f->position();
  ASSERT_EQ(sql("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE pid <> "
                "pg_backend_pid() AND query LIKE '%" + schema + "%'"),
            "1");
  int rc = 0, read = 20;
  while ((rc = f->next(&c)) == 0) ++read;
  EXPECT_EQ(rc, ecode::kDriverError);
  EXPECT_LT(read, 200);
  EXPECT_NE(engineStatus().text.find("PostgreSQL"), std::string::npos) << engineStatus().text;
  ASSERT_EQ(f->resetTo(pos), 0);
  read = 20;
  while ((rc = f->next(&c)) == 0) ++read;
  EXPECT_EQ(rc, ecode::kNoRecord) << engineStatus().text;
  EXPECT_EQ(read, 200);
}

TEST_F(PostgresEngineTest, BackupIsARecordFileOfTheEmbeddedEngineWithEveryRecord) {
  const Layout& cli = layoutOf<rec::VelCli>();
  auto f = openNew(cli, "VelCli.Tps");
  addClients(*engine, *f, 1500);
  const std::string target = dir.file("VelCli.Bak");
  ASSERT_EQ(f->backupTo(target), 0) << engineStatus().text;

  auto sqlite = makeSqliteEngine();
  std::unique_ptr<EngineFile> copy;
  ASSERT_EQ(sqlite->open(cli, target, OpenMode{Access::ReadOnly, Share::DenyNone}, "MapleCourt", copy), 0)
      << engineStatus().text;
  std::int64_t n = 0;
  ASSERT_EQ(copy->records(n), 0);
  EXPECT_EQ(n, 1500);
  rec::VelCli a, b;
  ASSERT_EQ(f->setOrder(cli.keyIndex("By_Number")), 0);
  ASSERT_EQ(copy->setOrder(cli.keyIndex("By_Number")), 0);
  int same = 0;
  while (f->next(&a) == 0 && copy->next(&b) == 0) {
    if (a.NUMBER == b.NUMBER && a.CLIENT_ID.str() == b.CLIENT_ID.str() &&
        a.SURNAME.str() == b.SURNAME.str() && a.ID_NUMBER.str() == b.ID_NUMBER.str())
      ++same;
  }
  EXPECT_EQ(same, 1500);
  std::string verdict;
  EXPECT_EQ(f->checkIntegrity(verdict), 0) << engineStatus().text;
  EXPECT_EQ(verdict, "ok");
}

}  // namespace
}  // namespace vel
