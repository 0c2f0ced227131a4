// Exporting the transaction ledger to CSV, against the sqlite3 command-line
// shell writing the same columns of the same file.
//
//   BM_ExportVelTra_RecordStore  writeExport of VelTra.csv: the record store's
//                                walk in record order, every value through
//                                its picture, RFC 4180 cells, a buffered
//                                file renamed into place at the end
//   BM_ExportVelTra_Sqlite3Shell `sqlite3 -csv FILE "SELECT <the 19 columns>
//                                FROM rec ORDER BY _id" > out.csv`: the same
//                                columns, raw values, no pictures
//
// The ledger holds 1,000,000 entries (about 100,000 clients, ten entries
// each) and is built once under $VEL_BENCH_DIR/export (default
// /tmp/velbench/export), kept between runs; its build is not measured. The
// shell benchmark is skipped when no `sqlite3` is on the PATH. The export is
// meant to stay within 2x of the shell.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/ExportTables.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 1'000'000;
constexpr int kClients = 100'000;
constexpr int kBuildGroup = 50'000;

fs::path exportRoot() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "export";
}

fs::path dataFolder() { return exportRoot() / "data"; }
fs::path outFolder() { return exportRoot() / "out"; }

std::string ledgerPath() { return (dataFolder() / vel::findFile("VelTra")->diskName()).string(); }

void die(sqlite3* db, const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "no database");
  std::abort();
}

void exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) die(db, sql);
}

std::int64_t countEntries(const std::string& path) {
  sqlite3* db = nullptr;
  std::int64_t n = -1;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM rec", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return n;
}

// The million-entry ledger, made by the engine (schema, owner) and filled by
// SQL in large transactions; kept when a complete one is already there.
void buildLedger() {
  static bool built = false;
  if (built) return;
  built = true;
  const std::string path = ledgerPath();
  if (fs::exists(path) && countEntries(path) == kEntries) return;
  fs::remove_all(dataFolder());
  fs::create_directories(dataFolder());
  auto engine = vel::makeSqliteEngine();
  if (engine->create(vel::layoutOf<vel::rec::VelTra>(), path, vel::kOwnerPassword) != 0)
    die(nullptr, "create VelTra");
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    die(db, "open");
  exec(db, "PRAGMA journal_mode=DELETE");
  sqlite3_stmt* ins = nullptr;
  if (sqlite3_prepare_v2(
          db,
          "INSERT INTO rec(\"CLIENT_ID\",\"DATE\",\"TYPE\",\"ACCOUNT\",\"SOURCE\",\"CREDIT\","
          "\"DEBIT\",\"STATUS\",\"BRANCH_ID\",\"X_DATE\",\"X_TIME\",\"X_ID\",\"BANK_NAME\","
          "\"BANK_ACCOUNT\",\"DELETED\",\"UNIQUE\",\"SENT\",\"PAYOVER\",\"COLL_COMM\","
          "\"AGE_COMM\") "
          "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,0,?15,0,?16,?17,?18)",
          -1, &ins, nullptr) != SQLITE_OK)
    die(db, "prepare");
  const std::int32_t firstDay = vel::dateFromYmd(2023, 1, 1);
  char client[16], unique[20];
  for (std::int64_t i = 0; i < kEntries; ++i) {
    if (i % kBuildGroup == 0) exec(db, "BEGIN");
    const bool payment = i % 3 == 2;
    const std::int32_t d = firstDay + static_cast<std::int32_t>(i / 400);
    const std::int64_t time = (i * 37) % 8'640'000;
    std::snprintf(client, sizeof client, "%04d/MEM", static_cast<int>((i * 7919) % kClients + 1));
    std::snprintf(unique, sizeof unique, "%d%lld", d, static_cast<long long>(time));
    sqlite3_bind_text(ins, 1, client, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(ins, 2, vel::dateToYyyymmdd(d));
    sqlite3_bind_text(ins, 3, payment ? "Payment" : "Invoice", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 4, payment ? "Petty Cash" : "", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 5, payment ? "Cash" : "", -1, SQLITE_STATIC);
    sqlite3_bind_double(ins, 6, payment ? 150.0 : 0.0);
    sqlite3_bind_double(ins, 7, payment ? 0.0 : 150.0);
    sqlite3_bind_text(ins, 8, "", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 9, "01", -1, SQLITE_STATIC);
    sqlite3_bind_int64(ins, 10, d);
    sqlite3_bind_int64(ins, 11, time);
    sqlite3_bind_text(ins, 12, "ADMIN", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 13, payment ? "First National Bank" : "", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 14, payment ? "62123456789" : "", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 15, unique, -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(ins, 16, payment ? 142.5 : 0.0);
    sqlite3_bind_double(ins, 17, payment ? 4.5 : 0.0);
    sqlite3_bind_double(ins, 18, payment ? 3.0 : 0.0);
    if (sqlite3_step(ins) != SQLITE_DONE) die(db, "insert");
    sqlite3_reset(ins);
    if (i % kBuildGroup == kBuildGroup - 1 || i == kEntries - 1) exec(db, "COMMIT");
  }
  sqlite3_finalize(ins);
  sqlite3_close(db);
}

void BM_ExportVelTra_RecordStore(benchmark::State& state) {
  buildLedger();
  fs::create_directories(outFolder());
  vel::SilentUi ui;
  vel::ErrorManager errors(ui);
  auto engine = vel::makeSqliteEngine();
  vel::DataFiles files(dataFolder().string(), *engine, errors);
  const vel::ExportDecl& decl = *vel::findExport("VelTra.csv");
  vel::Progress silent;
  std::int64_t written = 0;
  for (auto _ : state) {
    vel::ExportResult r = vel::writeExport(files, decl, outFolder().string(), silent);
    if (!r.ok) state.SkipWithError(r.failure.c_str());
    written = r.records;
  }
  state.SetItemsProcessed(state.iterations() * written);
}

void BM_ExportVelTra_Sqlite3Shell(benchmark::State& state) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) {
    state.SkipWithError("no sqlite3 command-line shell on the PATH");
    return;
  }
  buildLedger();
  fs::create_directories(outFolder());
  const std::string cmd =
      "sqlite3 -csv -header '" + ledgerPath() +
      "' 'SELECT \"CLIENT_ID\",\"DATE\",\"TYPE\",\"ACCOUNT\",\"SOURCE\",\"CREDIT\",\"DEBIT\","
      "\"STATUS\",\"BRANCH_ID\",\"X_DATE\",\"X_TIME\",\"X_ID\",\"BANK_NAME\",\"BANK_ACCOUNT\","
      "\"DELETED\",\"UNIQUE\",\"PAYOVER\",\"COLL_COMM\",\"AGE_COMM\" FROM rec ORDER BY \"_id\"' > "
      "'" +
      (outFolder() / "VelTra-shell.csv").string() + "'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sqlite3 failed");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void onePass(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  b->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(reps && *reps ? std::atoi(reps) : 3);
}

BENCHMARK(BM_ExportVelTra_RecordStore)->Apply(onePass);
BENCHMARK(BM_ExportVelTra_Sqlite3Shell)->Apply(onePass);

}  // namespace
