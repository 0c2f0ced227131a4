// The management report's data walk against a bare SQL aggregate.
//
//   BM_ManagementWalk_RecordStore  walkManagement() over 1,000,000 VelTra
//                                  entries and 100,000 clients: the ledger in
//                                  By_Date order from the period start, a
//                                  client fetched by By_Client for every
//                                  payment, then every client in By_Client
//                                  order
//   BM_ManagementWalk_BareSql      the same totals from two SELECTs with the
//                                  sqlite3 C API on the same files (the client
//                                  file ATTACHed for the pay-over lookup)
//
// The period covers the whole ledger, so both sides read every row. The
// folder ($VEL_BENCH_DIR/management, default /tmp/velbench/management) is
// built once, through the record store in large transactions, and reused by
// later runs while its marker file is there.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "reports/ManagementReport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 1'000'000;
constexpr int kClients = 100'000;
constexpr int kGroup = 50'000;  // records per transaction while building

std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

std::string clientId(std::int64_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06lld/BEN", static_cast<long long>(n));
  return buf;
}

std::int32_t firstDay() { return vel::dateFromYmd(2023, 1, 1); }
std::int32_t lastDay() { return firstDay() + kEntries / 400; }

fs::path folder() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "management";
}

// A data folder opened the way the program opens it.
struct Office {
  explicit Office(const fs::path& f)
      : engine(vel::makeSqliteEngine()), errors(ui), files(f.string(), *engine, errors) {}
  std::unique_ptr<vel::Engine> engine;
  vel::SilentUi ui;
  vel::ErrorManager errors;
  vel::DataFiles files;
};

// Adds `n` records of one file in transactions of kGroup, `fill` writing
// record i into the cleared buffer.
template <class R, class Fill>
bool addAll(Office& o, int n, Fill fill) {
  vel::FileManager& f = o.files.fm<R>();
  vel::FileUse use(f);
  if (!f.engineFile()) {
    std::fprintf(stderr, "%s: cannot open (%s)\n", f.label().c_str(), f.LastEngineText().c_str());
    return false;
  }
  auto& r = f.rec<R>();
  for (int done = 0; done < n;) {
    std::unique_ptr<vel::Transaction> tx;
    if (o.engine->begin({f.engineFile()}, 5, tx) != 0) return false;
    for (int j = 0; j < kGroup && done < n; ++j, ++done) {
      f.ClearBuffer();
      fill(done, r);
      // Clients carry their number already; the record store's own numbering
      // would run a transaction per number.
      const bool added = std::is_same_v<R, vel::rec::VelCli>
                             ? f.engineFile()->add(f.buffer()) == 0
                             : f.TryInsert() == vel::kDone;
      if (!added) {
        std::fprintf(stderr, "%s: %s\n", f.label().c_str(), f.LastEngineText().c_str());
        return false;
      }
    }
    if (tx->commit() != 0) return false;
  }
  return true;
}

// The office: 100,000 clients (80% Active, 15% Non Active, 5% Deceased) and
// a ledger of about 400 entries a day, two invoices to every payment, one
// entry in a hundred deleted.
const fs::path& office() {
  static const fs::path path = [] {
    const fs::path f = folder();
    const fs::path marker = f / "complete";
    if (fs::exists(marker)) return f;
    fs::remove_all(f);
    fs::create_directories(f);
    Office o(f);
    const bool ok =
        addAll<vel::rec::VelCli>(o, kClients, [](int i, vel::rec::VelCli& c) {
          const std::uint64_t h = mix(static_cast<std::uint64_t>(i) + 7);
          c.NUMBER = i + 1;
          c.CLIENT_ID = clientId(i + 1);
          c.SURNAME = "Mokoena";
          c.FIRSTNAME = "Thabo";
          const int kind = static_cast<int>(h % 100);
          c.ACTIVE = kind < 80 ? "Active" : kind < 95 ? "Non Active" : "Deceased";
          c.DATECHANGE = firstDay() + static_cast<std::int32_t>(h / 100 % 1500);
          c.S_CHANGEDATE = kind >= 95 && h % 3 == 0 ? c.DATECHANGE.value : 0;
          c.PLANPREM = 145.0;
          c.PREMTOPAY = 95.0;
        }) &&
        addAll<vel::rec::VelTra>(o, kEntries, [](int i, vel::rec::VelTra& t) {
          const bool payment = i % 3 == 2;
          t.CLIENT_ID = clientId(static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(i)) %
                                                           kClients) + 1);
          t.DATE = firstDay() + i / 400;
          t.TYPE = payment ? "Payment" : "Invoice";
          t.CREDIT = payment ? 145.0 : 0.0;
          t.DEBIT = payment ? 0.0 : 145.0;
          t.STATUS = i % 100 == 42 ? "DEL" : payment ? "" : "Pd";
          t.BRANCH_ID = "0001";
          t.AGE_COMM = payment ? 14.5 : 0.0;
          t.COLL_COMM = payment ? 7.25 : 0.0;
        });
    if (!ok) {
      std::fprintf(stderr, "cannot build the office in %s\n", f.c_str());
      std::abort();
    }
    std::ofstream(marker) << "built\n";
    return f;
  }();
  return path;
}

std::string diskPath(const fs::path& f, const char* label) {
  return (f / vel::fileDirectory()[static_cast<std::size_t>(vel::fileIndex(label))].diskName())
      .string();
}

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc == want) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

void BM_ManagementWalk_RecordStore(benchmark::State& state) {
  Office o(office());
  vel::FixedClock clock(lastDay(), 0);
  vel::ManagementFigures m;
  for (auto _ : state) {
    vel::ReportContext ctx(o.files, o.ui, clock);
    ctx.periodStart = firstDay();
    ctx.periodEnd = lastDay();
    vel::ReportProgress progress(o.ui, "bench");
    m = vel::walkManagement(ctx, progress);
    benchmark::DoNotOptimize(m);
  }
  state.counters["paid"] = m.premiumsPaid;
  state.counters["payover"] = m.payOver;
  state.counters["active"] = static_cast<double>(m.active);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (kEntries + kClients));
}

// The same figures in SQL. Dates are stored as yyyymmdd; text right-trimmed.
void BM_ManagementWalk_BareSql(benchmark::State& state) {
  const fs::path f = office();
  sqlite3* db = nullptr;
  check(db,
        sqlite3_open_v2(diskPath(f, "VelTra").c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        SQLITE_OK, "open");
  const std::string attach = "ATTACH '" + diskPath(f, "VelCli") + "' AS cli";
  check(db, sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), SQLITE_OK, "attach");
  const char* ledgerSql =
      "SELECT SUM(CASE WHEN t.TYPE='Invoice' THEN t.DEBIT ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.CREDIT ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN"
      "   (SELECT c.PLANPREM-c.PREMTOPAY FROM cli.rec c WHERE c.CLIENT_ID=t.CLIENT_ID"
      "    AND c.CLIENT_ID<>'') ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.AGE_COMM ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.COLL_COMM ELSE 0 END)"
      " FROM main.rec t WHERE t.DATE<>0 AND t.DATE BETWEEN ?1 AND ?2 AND t.STATUS<>'DEL'";
  const char* clientSql =
      "SELECT SUM(ACTIVE='Active'), SUM(ACTIVE='Non Active'),"
      " SUM(ACTIVE='Active' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Non Active' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Deceased' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Deceased' AND S_CHANGEDATE BETWEEN ?1 AND ?2)"
      " FROM cli.rec";
  sqlite3_stmt* ledger = nullptr;
  sqlite3_stmt* clients = nullptr;
  check(db, sqlite3_prepare_v2(db, ledgerSql, -1, &ledger, nullptr), SQLITE_OK, "ledger sql");
  check(db, sqlite3_prepare_v2(db, clientSql, -1, &clients, nullptr), SQLITE_OK, "client sql");
  double paid = 0, payOver = 0, active = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(ledger, 1, vel::dateToYyyymmdd(firstDay()));
    sqlite3_bind_int64(ledger, 2, vel::dateToYyyymmdd(lastDay()));
    check(db, sqlite3_step(ledger), SQLITE_ROW, "ledger");
    paid = sqlite3_column_double(ledger, 1);
    payOver = sqlite3_column_double(ledger, 2);
    sqlite3_reset(ledger);
    sqlite3_bind_int64(clients, 1, firstDay());
    sqlite3_bind_int64(clients, 2, lastDay());
    check(db, sqlite3_step(clients), SQLITE_ROW, "clients");
    active = sqlite3_column_double(clients, 0);
    sqlite3_reset(clients);
  }
  sqlite3_finalize(ledger);
  sqlite3_finalize(clients);
  sqlite3_close_v2(db);
  state.counters["paid"] = paid;
  state.counters["payover"] = payOver;
  state.counters["active"] = active;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (kEntries + kClients));
}

void onePassEach(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 3);
}

BENCHMARK(BM_ManagementWalk_RecordStore)->Apply(onePassEach);
BENCHMARK(BM_ManagementWalk_BareSql)->Apply(onePassEach);

}  // namespace
