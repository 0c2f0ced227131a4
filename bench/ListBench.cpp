// A list over 1,000,000 clients against a bare SQLite keyset query.
//
// The list side is what the list window does: open the client file, read the
// first page in surname order, jump by locator to a surname near the end,
// and go to the last page, each through ListPager and the record store. The
// bare side runs the same keyset queries with the sqlite3 C API on the same
// file, reading every column of the same 60 rows.
//
//   BM_ListFirstPage_*   open the file and read the first page
//   BM_ListLocate_*      rows from the first surname at or after "Zs"
//   BM_ListLastPage_*    the last page
//
// The client file is built once under $VEL_BENCH_DIR/list (default
// /tmp/velbench/list) and reused by later runs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "forms/ListPager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClients = 1'000'000;
constexpr int kPage = 60;

fs::path folder() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  fs::path p = (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "list";
  fs::create_directories(p);
  return p;
}

vel::ListDecl clientList() {
  vel::ListDecl l;
  l.procedure = "Browse_Client";
  l.file = "VelCli";
  l.columns = {vel::ColumnDecl{"Client", "CLIENT_ID", "", 10, vel::Align::Left, {}},
               vel::ColumnDecl{"Surname", "SURNAME", "", 25, vel::Align::Left, {}},
               vel::ColumnDecl{"First Name", "FIRSTNAME", "", 20, vel::Align::Left, {}},
               vel::ColumnDecl{"ID Number", "ID_NUMBER", "", 13, vel::Align::Left, {}}};
  l.tabs = {{"By Surname", "By_Name", "SURNAME"}};
  return l;
}

struct Office {
  vel::SilentUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine = vel::makeSqliteEngine();
  vel::DataFiles files{folder().string(), *engine, errors};
  vel::ListDecl decl = clientList();
  std::string path;

  Office() {
    vel::FileManager& f = files.fm<vel::rec::VelCli>();
    f.Open();
    std::int64_t have = f.Records();
    path = f.path();
    f.Close();
    if (have != kClients) build(have);
  }

  // Fills the file with SQL in one transaction: three-letter surnames spread
  // over the alphabet, a seven-digit client number and an identity number.
  void build(std::int64_t have) {
    std::fprintf(stderr, "building %d clients in %s (had %lld)...\n", kClients, path.c_str(),
                 static_cast<long long>(have));
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const std::string sql =
        "DELETE FROM rec;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(kClients) +
        ") INSERT INTO rec(CLIENT_ID, SURNAME, INITIALS, FIRSTNAME, ID_NUMBER, NUMBER) "
        "SELECT printf('%07d', i), char(65 + (i*7919) % 26) || char(97 + (i*104729) % 26) || "
        "char(97 + (i*1299709) % 26) || 'ana', 'A', 'Thandi', printf('%013d', i*7), i FROM n;";
    char* err = nullptr;
    sqlite3_exec(db, ("BEGIN;" + sql + "COMMIT;").c_str(), nullptr, nullptr, &err);
    if (err) std::fprintf(stderr, "%s\n", err);
    sqlite3_close(db);
  }
};

Office& office() {
  static Office o;
  return o;
}

void BM_ListFirstPage_List(benchmark::State& state) {
  Office& o = office();
  for (auto _ : state) {
    vel::FileManager& f = o.files.fm<vel::rec::VelCli>();
    vel::FileUse use(f);
    vel::ListPager pager(f, o.decl);
    pager.setTab(0);
    benchmark::DoNotOptimize(pager.first(kPage));
  }
}

void BM_ListLocate_List(benchmark::State& state) {
  Office& o = office();
  vel::FileManager& f = o.files.fm<vel::rec::VelCli>();
  vel::FileUse use(f);
  vel::ListPager pager(f, o.decl);
  for (auto _ : state) benchmark::DoNotOptimize(pager.locate("Zs", kPage));
}

void BM_ListLastPage_List(benchmark::State& state) {
  Office& o = office();
  vel::FileManager& f = o.files.fm<vel::rec::VelCli>();
  vel::FileUse use(f);
  vel::ListPager pager(f, o.decl);
  for (auto _ : state) benchmark::DoNotOptimize(pager.last(kPage));
}

// ---- bare SQLite ------------------------------------------------------------

const char* kWhere = " WHERE (\"SURNAME\"<>'' OR \"INITIALS\"<>'')";

int readRows(sqlite3_stmt* st) {
  int rows = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    int cols = sqlite3_column_count(st);
    for (int c = 0; c < cols; ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
    ++rows;
  }
  sqlite3_reset(st);
  return rows;
}

void BM_ListFirstPage_Bare(benchmark::State& state) {
  Office& o = office();
  std::string sql = std::string("SELECT * FROM rec") + kWhere +
                    " ORDER BY \"SURNAME\",\"INITIALS\",\"_id\" LIMIT " + std::to_string(kPage);
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(o.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    benchmark::DoNotOptimize(readRows(st));
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
}

void bareQuery(benchmark::State& state, const std::string& sql, const char* bind) {
  Office& o = office();
  sqlite3* db = nullptr;
  sqlite3_open_v2(o.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  for (auto _ : state) {
    if (bind) sqlite3_bind_text(st, 1, bind, -1, SQLITE_STATIC);
    benchmark::DoNotOptimize(readRows(st));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

void BM_ListLocate_Bare(benchmark::State& state) {
  bareQuery(state,
            std::string("SELECT * FROM rec") + kWhere +
                " AND (\"SURNAME\",\"INITIALS\",\"_id\") >= (?, '', -9223372036854775807)"
                " ORDER BY \"SURNAME\",\"INITIALS\",\"_id\" LIMIT " + std::to_string(kPage),
            "Zs");
}

void BM_ListLastPage_Bare(benchmark::State& state) {
  bareQuery(state,
            std::string("SELECT * FROM rec") + kWhere +
                " ORDER BY \"SURNAME\" DESC,\"INITIALS\" DESC,\"_id\" DESC LIMIT " +
                std::to_string(kPage),
            nullptr);
}

int repetitions() {
  const char* r = std::getenv("VEL_BENCH_REPETITIONS");
  return r && *r ? std::atoi(r) : 3;
}

BENCHMARK(BM_ListFirstPage_List)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListFirstPage_Bare)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListLocate_List)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListLocate_Bare)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListLastPage_List)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListLastPage_Bare)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());

}  // namespace
