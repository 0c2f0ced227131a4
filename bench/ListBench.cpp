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

#include "ListOffice.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "forms/ListPager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

using velbench::Office;
using velbench::office;
constexpr int kPage = velbench::kListPage;

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
