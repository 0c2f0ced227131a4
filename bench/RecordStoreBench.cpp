// Record store speed against a bare SQLite loop running the same statements.
//
// Each pair does one piece of work twice: once through the record store
// (DataFiles, FileManager, the SQLite engine) and once with the sqlite3 C API
// directly, on a file of the same schema, in the same journal mode and with
// the same SQL. The record store should stay within 1.5x of the bare loop.
//
//   BM_AddVelTra_*      add 100,000 ledger entries, 1,000 per transaction
//   BM_ReadKeyOrder_*   read a 1,000,000-entry ledger in By_Client order,
//                       in keyset pages of 16, 64, 256, then 1024 rows
//
// Files live under $VEL_BENCH_DIR (default /tmp/velbench). Every run of an
// add benchmark starts from an empty folder; the large ledger is built once
// and shared by both read benchmarks.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "LedgerEntries.h"
#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAddEntries = 100'000;
constexpr int kGroup = 1'000;  // entries per transaction
constexpr int kReadEntries = 1'000'000;
constexpr int kBuildGroup = 50'000;  // the shared ledger is built in larger transactions
constexpr int kFirstPage = 16;
constexpr int kMaxPage = 1024;

// ---- the data --------------------------------------------------------------

using velbench::Entry;
using velbench::fill;
using velbench::makeEntry;

std::vector<Entry> makeEntries(int n) {
  std::vector<Entry> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) makeEntry(i, v[static_cast<std::size_t>(i)]);
  return v;
}

const std::vector<Entry>& addEntries() {
  static const std::vector<Entry> v = makeEntries(kAddEntries);
  return v;
}

// ---- folders and files -----------------------------------------------------

fs::path benchRoot() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench");
}

fs::path freshFolder(const std::string& name) {
  fs::path p = benchRoot() / name;
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

std::string ledgerPath(const fs::path& folder) {
  const vel::FileDecl& d = vel::fileDirectory()[static_cast<std::size_t>(vel::fileIndex("VelTra"))];
  return (folder / d.diskName()).string();
}

// An empty VelTra file made by the engine: the schema both sides use.
std::string createLedger(const fs::path& folder) {
  std::string path = ledgerPath(folder);
  auto engine = vel::makeSqliteEngine();
  if (engine->create(vel::layoutOf<vel::rec::VelTra>(), path, vel::kOwnerPassword) != 0) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    std::abort();
  }
  return path;
}

// ---- the bare loop ---------------------------------------------------------

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc == want) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

sqlite3* openBare(const std::string& path) {
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
  check(db, rc, SQLITE_OK, "open");
  sqlite3_busy_timeout(db, 5000);
  check(db,
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                     nullptr),
        SQLITE_OK, "pragmas");
  return db;
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr), SQLITE_OK,
        sql);
  return st;
}

void exec(sqlite3* db, const char* sql) {
  check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK, sql);
}

const char* const kInsertSql =
    "INSERT INTO \"main\".rec(\"CLIENT_ID\",\"DATE\",\"TYPE\",\"ACCOUNT\",\"SOURCE\",\"CREDIT\","
    "\"DEBIT\",\"STATUS\",\"BRANCH_ID\",\"X_DATE\",\"X_TIME\",\"X_ID\",\"BANK_NAME\","
    "\"BANK_ACCOUNT\",\"DELETED\",\"UNIQUE\",\"SENT\",\"PAYOVER\",\"COLL_COMM\",\"AGE_COMM\") "
    "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15,?16,?17,?18,?19,?20)";

const char* const kColumns =
    "\"_id\",\"_ver\",\"CLIENT_ID\",\"DATE\",\"TYPE\",\"ACCOUNT\",\"SOURCE\",\"CREDIT\","
    "\"DEBIT\",\"STATUS\",\"BRANCH_ID\",\"X_DATE\",\"X_TIME\",\"X_ID\",\"BANK_NAME\","
    "\"BANK_ACCOUNT\",\"DELETED\",\"UNIQUE\",\"SENT\",\"PAYOVER\",\"COLL_COMM\",\"AGE_COMM\"";

// The first page in By_Client order, and every page after a (client, _id).
std::string firstPageSql() {
  return std::string("SELECT ") + kColumns +
         " FROM \"main\".rec WHERE (\"CLIENT_ID\"<>'') ORDER BY \"CLIENT_ID\",\"_id\" LIMIT ?";
}
std::string nextPageSql() {
  return std::string("SELECT ") + kColumns +
         " FROM \"main\".rec WHERE (\"CLIENT_ID\"<>'') AND (\"CLIENT_ID\",\"_id\")>(?,?) "
         "ORDER BY \"CLIENT_ID\",\"_id\" LIMIT ?";
}

void bindText(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_text(st, i, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
}

void bindEntry(sqlite3_stmt* st, const Entry& e) {
  bindText(st, 1, e.clientId);
  sqlite3_bind_int64(st, 2, vel::dateToYyyymmdd(static_cast<std::int32_t>(e.date)));
  bindText(st, 3, e.type);
  bindText(st, 4, e.account);
  bindText(st, 5, e.source);
  sqlite3_bind_double(st, 6, e.credit);
  sqlite3_bind_double(st, 7, e.debit);
  bindText(st, 8, e.status);
  bindText(st, 9, e.branchId);
  sqlite3_bind_int64(st, 10, e.xDate);
  sqlite3_bind_int64(st, 11, e.xTime);
  bindText(st, 12, e.xId);
  bindText(st, 13, e.bankName);
  bindText(st, 14, e.bankAccount);
  sqlite3_bind_int64(st, 15, e.deleted);
  bindText(st, 16, e.unique);
  sqlite3_bind_int64(st, 17, e.sent);
  sqlite3_bind_double(st, 18, e.payover);
  sqlite3_bind_double(st, 19, e.collComm);
  sqlite3_bind_double(st, 20, e.ageComm);
}

// Adds entries [0, n) of `make` in transactions of `group`.
template <class Make>
void bareAdd(sqlite3* db, int n, int group, Make make) {
  sqlite3_stmt* ins = prepare(db, kInsertSql);
  Entry scratch;
  for (int done = 0; done < n;) {
    exec(db, "BEGIN IMMEDIATE");
    for (int j = 0; j < group && done < n; ++j, ++done) {
      bindEntry(ins, make(done, scratch));
      check(db, sqlite3_step(ins), SQLITE_DONE, "insert");
      sqlite3_reset(ins);
      sqlite3_clear_bindings(ins);
    }
    exec(db, "COMMIT");
  }
  sqlite3_finalize(ins);
}

// The ledger both read benchmarks walk, built once per run.
const std::string& sharedLedger() {
  static const std::string path = [] {
    fs::path folder = freshFolder("read");
    std::string p = createLedger(folder);
    sqlite3* db = openBare(p);
    bareAdd(db, kReadEntries, kBuildGroup, [](int i, Entry& e) -> const Entry& {
      makeEntry(i, e);
      return e;
    });
    sqlite3_close_v2(db);
    return p;
  }();
  return path;
}

// One row read into locals, as a program working on the bare API would.
struct Row {
  std::int64_t id = 0, ver = 0, date = 0, xDate = 0, xTime = 0, deleted = 0, sent = 0;
  std::string clientId, type, account, source, status, branchId, xId, bankName, bankAccount, unique;
  double credit = 0, debit = 0, payover = 0, collComm = 0, ageComm = 0;
};

void columnText(sqlite3_stmt* st, int col, std::string& out) {
  const unsigned char* p = sqlite3_column_text(st, col);
  out.assign(p ? reinterpret_cast<const char*>(p) : "",
             static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
}

void readRow(sqlite3_stmt* st, Row& r) {
  r.id = sqlite3_column_int64(st, 0);
  r.ver = sqlite3_column_int64(st, 1);
  columnText(st, 2, r.clientId);
  r.date = sqlite3_column_int64(st, 3);
  columnText(st, 4, r.type);
  columnText(st, 5, r.account);
  columnText(st, 6, r.source);
  r.credit = sqlite3_column_double(st, 7);
  r.debit = sqlite3_column_double(st, 8);
  columnText(st, 9, r.status);
  columnText(st, 10, r.branchId);
  r.xDate = sqlite3_column_int64(st, 11);
  r.xTime = sqlite3_column_int64(st, 12);
  columnText(st, 13, r.xId);
  columnText(st, 14, r.bankName);
  columnText(st, 15, r.bankAccount);
  r.deleted = sqlite3_column_int64(st, 16);
  columnText(st, 17, r.unique);
  r.sent = sqlite3_column_int64(st, 18);
  r.payover = sqlite3_column_double(st, 19);
  r.collComm = sqlite3_column_double(st, 20);
  r.ageComm = sqlite3_column_double(st, 21);
}

// ---- the record store side -------------------------------------------------

// A data folder opened the way the program opens it.
struct Store {
  explicit Store(const fs::path& folder)
      : engine(vel::makeSqliteEngine()),
        errors(ui),
        files(folder.string(), *engine, errors),
        tra(files.fm<vel::rec::VelTra>()) {
    tra.Open();
    if (!tra.engineFile()) {
      std::fprintf(stderr, "cannot open the ledger in %s\n", folder.c_str());
      std::abort();
    }
  }
  ~Store() { tra.Close(); }

  std::unique_ptr<vel::Engine> engine;
  vel::SilentUi ui;
  vel::ErrorManager errors;
  vel::DataFiles files;
  vel::FileManager& tra;
};

// ---- benchmarks ------------------------------------------------------------

void BM_AddVelTra_RecordStore(benchmark::State& state) {
  const auto& entries = addEntries();
  fs::path folder = freshFolder("add-store");
  Store s(folder);
  vel::FileManager& tra = s.tra;
  auto& r = tra.rec<vel::rec::VelTra>();
  for (auto _ : state) {
    for (int done = 0; done < kAddEntries;) {
      std::unique_ptr<vel::Transaction> tx;
      if (s.engine->begin({tra.engineFile()}, 2, tx) != 0) {
        state.SkipWithError("begin failed");
        return;
      }
      for (int j = 0; j < kGroup && done < kAddEntries; ++j, ++done) {
        tra.ClearBuffer();
        fill(r, entries[static_cast<std::size_t>(done)]);
        if (tra.TryInsert() != 0) {
          state.SkipWithError(("insert failed: " + tra.LastEngineText()).c_str());
          return;
        }
      }
      if (tx->commit() != 0) state.SkipWithError("commit failed");
    }
  }
  if (tra.Records() != kAddEntries) state.SkipWithError("wrong record count");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kAddEntries);
}

void BM_AddVelTra_BareSqlite(benchmark::State& state) {
  const auto& entries = addEntries();
  fs::path folder = freshFolder("add-bare");
  sqlite3* db = openBare(createLedger(folder));
  for (auto _ : state) {
    bareAdd(db, kAddEntries, kGroup,
            [&](int i, Entry&) -> const Entry& { return entries[static_cast<std::size_t>(i)]; });
  }
  sqlite3_close_v2(db);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kAddEntries);
}

void BM_ReadKeyOrder_RecordStore(benchmark::State& state) {
  const std::string& path = sharedLedger();
  Store s(fs::path(path).parent_path());
  velbench::walkByClient(state, s.tra, kReadEntries);
}

void BM_ReadKeyOrder_BareSqlite(benchmark::State& state) {
  const std::string& path = sharedLedger();
  sqlite3* db = openBare(path);
  sqlite3_stmt* first = prepare(db, firstPageSql().c_str());
  sqlite3_stmt* after = prepare(db, nextPageSql().c_str());
  Row row;
  std::int64_t rows = 0;
  for (auto _ : state) {
    double sum = 0;
    rows = 0;
    std::string lastClient;
    std::int64_t lastId = 0;
    int limit = kFirstPage;
    bool started = false;
    for (;;) {
      sqlite3_stmt* st = started ? after : first;
      int p = 1;
      if (started) {
        sqlite3_bind_text(st, p++, lastClient.data(), static_cast<int>(lastClient.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, p++, lastId);
      }
      sqlite3_bind_int64(st, p, limit);
      int n = 0, rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        readRow(st, row);
        sum += row.debit;
        ++n;
      }
      check(db, rc, SQLITE_DONE, "page");
      sqlite3_reset(st);
      if (n == 0) break;
      rows += n;
      lastClient = row.clientId;
      lastId = row.id;
      started = true;
      limit = std::min(limit * 4, kMaxPage);
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(first);
  sqlite3_finalize(after);
  sqlite3_close_v2(db);
  if (rows != kReadEntries) state.SkipWithError("wrong number of records read");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * rows);
}

// One timed pass per run: a pass is long enough that the timer's own cost is
// nothing, and wall time is what counts (commits wait on the disk). Three
// runs each, or $VEL_BENCH_REPETITIONS.
void onePass(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 3);
}

BENCHMARK(BM_AddVelTra_RecordStore)->Apply(onePass);
BENCHMARK(BM_AddVelTra_BareSqlite)->Apply(onePass);
BENCHMARK(BM_ReadKeyOrder_RecordStore)->Apply(onePass);
BENCHMARK(BM_ReadKeyOrder_BareSqlite)->Apply(onePass);

}  // namespace

BENCHMARK_MAIN();
