// Converting a 100,000-client VelCli from layout K into the current layout,
// against a bare SQLite copy of the same rows.
//
//   BM_ConvertVelCliK_Conversion   the start-up conversion (Conversion::run):
//                                  read every client through the engine, copy
//                                  it by field name, fill the defaults, add it
//                                  to nVelCli.Tps in groups, swap the files
//   BM_ConvertVelCliK_BareSqlite   one INSERT ... SELECT of the shared columns
//                                  from the old file into an empty file of the
//                                  current layout, in one transaction
//
// items_per_second is clients per second. The old file is built once under
// $VEL_BENCH_DIR (default /tmp/velbench) and copied afresh for every run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "dictionary/OlderLayouts.h"
#include "maintenance/Conversion.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClients = 100'000;

fs::path benchDir() {
  const char* d = std::getenv("VEL_BENCH_DIR");
  return fs::path(d && *d ? d : "/tmp/velbench") / "conversion";
}

// The old VelCli (layout K), made once by the record store.
const fs::path& oldClients() {
  static const fs::path file = [] {
    fs::path dir = benchDir() / "source";
    fs::path p = dir / "VelCli.Tps";
    if (fs::exists(p)) return p;
    fs::create_directories(dir);
    auto engine = vel::makeSqliteEngine();
    const vel::Layout& k = *vel::olderLayout("VelCli", "K");
    std::string tmp = (dir / "VelCli.building").string();
    fs::remove(tmp);
    if (engine->create(k, tmp, vel::kOwnerPassword)) std::abort();
    std::unique_ptr<vel::EngineFile> f;
    if (engine->open(k, tmp, vel::OpenMode{}, vel::kOwnerPassword, f)) std::abort();
    std::unique_ptr<vel::Transaction> tx;
    vel::rec::older::VelCliK c;
    for (int i = 0; i < kClients; ++i) {
      if (i % 5000 == 0) {
        if (tx && tx->commit()) std::abort();
        tx.reset();
        if (engine->begin({f.get()}, 5, tx)) std::abort();
      }
      c.NUMBER = i + 1;
      c.CLIENT_ID = std::to_string(100000 + i).substr(1) + "/Mok";
      c.SURNAME = "Mokoena" + std::to_string(i % 977);
      c.FIRSTNAME = "Thandiwe";
      c.INITIALS = "T";
      c.ID_NUMBER = std::to_string(8001015000000LL + i);
      c.H_ADDR1 = std::to_string(i % 300) + " Church Street";
      c.H_ADDR3 = "Polokwane";
      c.PHONE_CELL = "082" + std::to_string(1000000 + i);
      c.BANK_NAME = "Standard Bank";
      c.REMARKS = "Joined at the church meeting; pays at the office.";
      c.AGE_CODE = "A" + std::to_string(i % 40);
      c.PREMIUM = 95.5 + i % 7;
      c.PLAN = "A";
      c.OPTION = i % 3 ? "Family" : "Single";
      c.ACTIVE = "Active";
      c.PLANPREM = 120;
      if (f->add(&c)) std::abort();
    }
    if (tx->commit()) std::abort();
    tx.reset();
    f.reset();
    fs::rename(tmp, p);
    return p;
  }();
  return file;
}

fs::path freshCopy() {
  fs::path dir = benchDir() / "run";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(oldClients(), dir / "VelCli.Tps");
  return dir;
}

void BM_ConvertVelCliK_Conversion(benchmark::State& state) {
  oldClients();
  vel::SilentUi ui;
  vel::FixedClock clock{vel::dateFromYmd(2026, 12, 9), 0};
  auto engine = vel::makeSqliteEngine();
  for (auto _ : state) {
    state.PauseTiming();
    fs::path dir = freshCopy();
    state.ResumeTiming();
    vel::Conversion c(dir.string(), *engine, ui, clock);
    vel::ConversionReport r = c.run();
    if (r.converted.size() != 1) state.SkipWithError("the conversion did not convert VelCli");
  }
  state.SetItemsProcessed(state.iterations() * kClients);
}

void exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::fprintf(stderr, "%s\n", err ? err : "?");
    std::abort();
  }
}

void BM_ConvertVelCliK_BareSqlite(benchmark::State& state) {
  oldClients();
  auto engine = vel::makeSqliteEngine();
  const vel::Layout& cur = vel::layoutOf<vel::rec::VelCli>();
  const vel::Layout& k = *vel::olderLayout("VelCli", "K");
  std::string cols;
  for (const auto& f : k.fields())
    if (cur.fieldIndex(f.name) >= 0)
      cols += std::string(cols.empty() ? "" : ",") + "\"" + f.name + "\"";
  for (auto _ : state) {
    state.PauseTiming();
    fs::path dir = freshCopy();
    std::string target = (dir / "nVelCli.Tps").string();
    if (engine->create(cur, target, vel::kOwnerPassword)) std::abort();
    state.ResumeTiming();
    sqlite3* db = nullptr;
    sqlite3_open(target.c_str(), &db);
    exec(db, "PRAGMA synchronous=FULL");
    exec(db, "ATTACH DATABASE '" + (dir / "VelCli.Tps").string() + "' AS o");
    exec(db, "BEGIN; INSERT INTO main.rec(" + cols + ") SELECT " + cols +
                 " FROM o.rec ORDER BY \"_id\"; COMMIT");
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * kClients);
}

int repetitions() {
  const char* r = std::getenv("VEL_BENCH_REPETITIONS");
  return r && *r ? std::atoi(r) : 3;
}

BENCHMARK(BM_ConvertVelCliK_Conversion)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(repetitions());
BENCHMARK(BM_ConvertVelCliK_BareSqlite)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(repetitions());

}  // namespace
