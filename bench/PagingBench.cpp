// Paging inside one long run of equal key values: a month's invoice run puts
// 100,000 invoices on one date. A page near the end of the run must cost what
// a page at its start does.
//
//   BM_PageInRun_RecordStore/0|1   ResetTo a position at the start (0) or 60
//                                  records before the end (1) of the run, then
//                                  60 TryReadNext in By_Date order, as a list
//                                  page or a resumed walk reads
//   BM_PageInRun_BareSeek/0|1      the same 60 rows bare through the sqlite3 C
//                                  API with the seek the engine makes
//                                  (DATE=? AND _id>?)
//   BM_PageInRun_BareRowValue/0|1  the same 60 rows with the single row-value
//                                  condition ((DATE,_id)>(?,?)), which seeks on
//                                  the date only and steps over the run
//
// The file ($VEL_BENCH_DIR/paging, default /tmp/velbench/paging) is built once
// by SQL: 5,000 invoices the day before, the run, 5,000 the day after.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRun = 100'000;
constexpr int kAround = 5'000;
constexpr int kPage = 60;

std::int32_t runDay() { return vel::dateFromYmd(2026, 11, 25); }

struct Office {
  explicit Office(const fs::path& f)
      : engine(vel::makeSqliteEngine()), errors(ui), files(f.string(), *engine, errors) {}
  std::unique_ptr<vel::Engine> engine;
  vel::SilentUi ui;
  vel::ErrorManager errors;
  vel::DataFiles files;
};

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc == want) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

const fs::path& folder() {
  static const fs::path path = [] {
    const char* dir = std::getenv("VEL_BENCH_DIR");
    fs::path f = (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "paging";
    if (fs::exists(f / "complete")) return f;
    fs::remove_all(f);
    fs::create_directories(f);
    {
      Office o(f);
      vel::FileManager& inv = o.files.fm<vel::rec::VelInv>();
      vel::FileUse use(inv);
      if (!inv.engineFile()) std::abort();  // creates the file with its keys
    }
    sqlite3* db = nullptr;
    check(db, sqlite3_open((f / "VelInv.Tps").c_str(), &db), SQLITE_OK, "open");
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK, "begin");
    sqlite3_stmt* st = nullptr;
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO rec(CLIENT_ID, DATE, DEBIT, STATUS, BRANCH_ID, "
                             "\"UNIQUE\") VALUES(?1, ?2, 145.0, '', '0001', ?3)",
                             -1, &st, nullptr),
          SQLITE_OK, "insert sql");
    auto add = [&](int i, std::int32_t day) {
      char id[16], unique[32];
      std::snprintf(id, sizeof id, "%04d/MOK", i % 10000);
      std::snprintf(unique, sizeof unique, "%d%08d", day, i);
      sqlite3_bind_text(st, 1, id, -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(st, 2, vel::dateToYyyymmdd(day));
      sqlite3_bind_text(st, 3, unique, -1, SQLITE_TRANSIENT);
      check(db, sqlite3_step(st), SQLITE_DONE, "insert");
      sqlite3_reset(st);
    };
    // Interleaved as the office adds them: payments of the days around keep
    // coming while the run writes its invoices.
    for (int i = 0; i < kRun; ++i) {
      if (i % 20 == 0) add(i, runDay() - 1);
      add(i, runDay());
      if (i % 20 == 10) add(i, runDay() + 1);
    }
    sqlite3_finalize(st);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK, "commit");
    sqlite3_close(db);
    std::ofstream(f / "complete") << "built\n";
    return f;
  }();
  return path;
}

// The id and position of the record `skip` records into the run.
struct Place {
  std::string position;
  std::int64_t id = 0;
};

Place placeInRun(Office& o, int skip) {
  vel::FileManager& inv = o.files.fm<vel::rec::VelInv>();
  vel::FileUse use(inv);
  inv.ClearBuffer();
  inv.rec<vel::rec::VelInv>().DATE = runDay();
  inv.SetOrderAt(inv.keyIndex("By_Date"));
  for (int i = 0; i <= skip; ++i)
    if (inv.TryReadNext() != vel::kDone) std::abort();
  Place p;
  p.position = inv.Position();
  // Positions carry the id after the order: "R<order>;<id>;...".
  std::size_t a = p.position.find(';');
  p.id = std::atoll(p.position.c_str() + a + 1);
  return p;
}

int skipFor(const benchmark::State& state) { return state.range(0) == 0 ? 0 : kRun - kPage - 1; }

void BM_PageInRun_RecordStore(benchmark::State& state) {
  Office o(folder());
  const Place at = placeInRun(o, skipFor(state));
  vel::FileManager& inv = o.files.fm<vel::rec::VelInv>();
  vel::FileUse use(inv);
  for (auto _ : state) {
    inv.ResetTo(at.position);
    for (int i = 0; i < kPage; ++i)
      if (inv.TryReadNext() != vel::kDone) state.SkipWithError("short page");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPage);
}

void barePage(benchmark::State& state, const char* sql) {
  Office o(folder());
  const Place at = placeInRun(o, skipFor(state));
  sqlite3* db = nullptr;
  check(db, sqlite3_open_v2((folder() / "VelInv.Tps").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK, "open");
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK, "page sql");
  const std::int64_t day = vel::dateToYyyymmdd(runDay());
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, day);
    sqlite3_bind_int64(st, 2, at.id);
    sqlite3_bind_int64(st, 3, kPage);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
      benchmark::DoNotOptimize(sqlite3_column_text(st, 2));
      ++rows;
    }
    sqlite3_reset(st);
    if (rows != kPage) state.SkipWithError("short page");
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPage);
}

void BM_PageInRun_BareSeek(benchmark::State& state) {
  barePage(state,
           "SELECT * FROM rec WHERE (DATE<>0) AND DATE=?1 AND _id>?2 "
           "ORDER BY DATE,_id LIMIT ?3");
}

void BM_PageInRun_BareRowValue(benchmark::State& state) {
  barePage(state,
           "SELECT * FROM rec WHERE (DATE<>0) AND (DATE,_id)>(?1,?2) "
           "ORDER BY DATE,_id LIMIT ?3");
}

void firstAndLast(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(0.3);
}

BENCHMARK(BM_PageInRun_RecordStore)->Apply(firstAndLast);
BENCHMARK(BM_PageInRun_BareSeek)->Apply(firstAndLast);
BENCHMARK(BM_PageInRun_BareRowValue)->Apply(firstAndLast);

}  // namespace
