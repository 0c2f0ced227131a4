// Receipt capture speed: the capture rules without windows against a bare
// SQLite loop making the same reads and writes.
//
//   BM_CaptureReceipts_RecordStore  captureReceipt() per receipt: the client
//                                   read, the receipt received, its print
//                                   record, the issued receipt, the payment,
//                                   the invoice marks, the ledger entry, the
//                                   ageing, one transaction per receipt
//   BM_CaptureReceipts_BareSqlite   the same statements through the sqlite3
//                                   C API on one connection with the files
//                                   attached once, one transaction per receipt
//
// Both work on copies of one office (1,000 clients, each with an ageing
// record and an open invoice; one issued receipt per number) in
// rollback-journal mode with synchronous=FULL, so every receipt pays the
// same commit. $VEL_BENCH_RECEIPTS sets the receipts per run (default
// 10,000; every commit spans eight files, so a run takes minutes on a slow
// disk); files live under $VEL_BENCH_DIR (default /tmp/velbench).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "billing/CaptureRun.h"
#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "ledger/Postings.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClients = 1'000;
const std::int32_t kToday = vel::dateFromYmd(2026, 12, 8);

int receiptsPerRun() {
  const char* n = std::getenv("VEL_BENCH_RECEIPTS");
  const int v = n && *n ? std::atoi(n) : 10'000;
  return v > 0 && v <= 32'767 ? v : 10'000;
}

fs::path benchRoot() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench");
}

std::string clientId(int n) {
  char id[11];
  std::snprintf(id, sizeof id, "%04d/REC", n);
  return id;
}

struct Station {
  explicit Station(const fs::path& folder) : files(folder.string(), *engine, errors) {}
  vel::SilentUi ui;
  std::unique_ptr<vel::Engine> engine = vel::makeSqliteEngine();
  vel::ErrorManager errors{ui};
  vel::DataFiles files;
};

// Adds records to `f`, inside one transaction of the engine unless the file
// numbers its records itself (the client file), which takes its own.
template <class R, class Fill>
void bulkAdd(vel::DataFiles& files, int n, Fill fill, bool grouped = true) {
  vel::FileManager& f = files.fm<R>();
  vel::FileUse use(f);
  f.EnsureOpen();
  std::unique_ptr<vel::Transaction> tx;
  if (grouped) files.context().engine->begin({f.engineFile()}, 30, tx);
  for (int i = 0; i < n; ++i) {
    f.ClearBuffer();
    fill(i, f.template rec<R>());
    if (f.TryInsert() != vel::kDone) {
      std::fprintf(stderr, "%s: %s\n", f.label().c_str(), f.LastEngineText().c_str());
      std::abort();
    }
  }
  if (tx) tx->commit();
}

// The office both sides start from, built once and copied for each run.
const fs::path& office() {
  static const fs::path folder = [] {
    fs::path p = benchRoot() / "receipt-office";
    fs::remove_all(p);
    fs::create_directories(p);
    Station s(p);
    const vel::Moment at{kToday - 30, 3'600'000};
    bulkAdd<vel::rec::VelCli>(s.files, kClients, [](int i, vel::rec::VelCli& c) {
      c.NUMBER = i + 1;
      c.CLIENT_ID = clientId(i);
      c.SURNAME = "Receipt";
      c.INITIALS = "R";
      c.H_ADDR1 = "1 Main Road";
      c.PREMIUM = 100;
      c.PREMTOPAY = 90;
    }, false);
    bulkAdd<vel::rec::VelAge>(s.files, kClients, [](int i, vel::rec::VelAge& a) {
      a.CLIENT_ID = clientId(i);
      a.TOTAL = a.CURRENT = 100;
    });
    bulkAdd<vel::rec::VelInv>(s.files, kClients, [&](int i, vel::rec::VelInv& v) {
      v.CLIENT_ID = clientId(i);
      v.DATE = at.day;
      v.DEBIT = 100;
      v.UNIQUE = vel::uniqueStamp(at.day, at.time);
    });
    bulkAdd<vel::rec::AgeIss>(s.files, receiptsPerRun(), [](int i, vel::rec::AgeIss& r) {
      r.CODE = "AG1";
      r.NUMBER = i + 1;
      r.DATE_ISS = kToday - 5;
    });
    bulkAdd<vel::rec::CommStr>(s.files, 1, [](int, vel::rec::CommStr& c) {
      c.AGENT = 12.5;
      c.COLL = 7.5;
    });
    // Every file the capture touches exists before the runs start.
    for (const char* label : {"VelPay", "VelTra", "ReceiveR", "RecPrn"}) {
      vel::FileUse use(s.files.fm(label));
      s.files.fm(label).EnsureOpen();
    }
    return p;
  }();
  return folder;
}

fs::path freshCopy(const std::string& name) {
  fs::path p = benchRoot() / name;
  fs::remove_all(p);
  fs::copy(office(), p, fs::copy_options::recursive);
  return p;
}

std::string pathOf(const fs::path& folder, const char* label) {
  return (folder / vel::findFile(label)->diskName()).string();
}

void BM_CaptureReceipts_RecordStore(benchmark::State& state) {
  const int n = receiptsPerRun();
  for (auto _ : state) {
    state.PauseTiming();
    fs::path folder = freshCopy("receipt-store");
    {
      Station s(folder);
      // The run keeps its files open, as the capture run does.
      std::vector<std::unique_ptr<vel::FileUse>> open;
      for (const char* label : vel::kCaptureFiles)
        open.push_back(std::make_unique<vel::FileUse>(s.files.fm(label)));
      vel::FixedClock clock(kToday, 3'600'000);
      vel::CaptureSession session;
      session.agent = "AG1";
      const vel::ledger::PostingStamp stamp{"01", "bench"};
      state.ResumeTiming();
      for (int i = 0; i < n; ++i) {
        clock.advance(1);
        vel::ReceiptEntry e{i + 1, kToday, 100.0 + i % 7, clientId(i % kClients)};
        if (vel::captureReceipt(s.files, s.ui, session, e, stamp, clock.moment()) !=
            vel::CaptureResult::Captured) {
          std::fprintf(stderr, "receipt %d not captured\n", i + 1);
          std::abort();
        }
      }
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// ---- the bare loop ---------------------------------------------------------

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc == want) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

void exec(sqlite3* db, const std::string& sql) {
  check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK, sql.c_str());
}

struct Stmt {
  Stmt(sqlite3* d, const char* sql) : db(d) {
    check(db, sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr), SQLITE_OK,
          sql);
  }
  ~Stmt() { sqlite3_finalize(st); }
  Stmt& text(int i, const std::string& s) {
    sqlite3_bind_text(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& num(int i, std::int64_t v) {
    sqlite3_bind_int64(st, i, v);
    return *this;
  }
  Stmt& real(int i, double v) {
    sqlite3_bind_double(st, i, v);
    return *this;
  }
  bool row() {
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return true;
    check(db, rc, SQLITE_DONE, sqlite3_sql(st));
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    return false;
  }
  void run() {
    while (row()) {
    }
  }
  void done() {
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
  sqlite3* db;
  sqlite3_stmt* st = nullptr;
};

void BM_CaptureReceipts_BareSqlite(benchmark::State& state) {
  const int n = receiptsPerRun();
  for (auto _ : state) {
    state.PauseTiming();
    fs::path folder = freshCopy("receipt-bare");
    sqlite3* db = nullptr;
    check(db,
          sqlite3_open_v2(pathOf(folder, "VelPay").c_str(), &db,
                          SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
          SQLITE_OK, "open");
    sqlite3_busy_timeout(db, 5000);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL");
    for (const char* label : {"VelCli", "ReceiveR", "RecPrn", "AgeIss", "VelInv", "VelTra",
                              "VelAge", "CommStr"}) {
      exec(db, "ATTACH DATABASE '" + pathOf(folder, label) + "' AS \"" + label + "\"");
      exec(db, std::string("PRAGMA \"") + label + "\".journal_mode=DELETE; PRAGMA \"" + label +
                   "\".synchronous=FULL");
    }
    {
      Stmt comm(db, "SELECT AGENT, COLL FROM CommStr.rec ORDER BY _id LIMIT 1");
      Stmt cli(db,
               "SELECT CLIENT_ID, H_ADDR1, H_ADDR2, H_ADDR3, H_CODE, SURNAME, INITIALS, "
               "PREMIUM, PREMTOPAY, DAY5, DAY10 FROM VelCli.rec WHERE CLIENT_ID=?1 "
               "ORDER BY _id LIMIT 1");
      Stmt paid(db, "SELECT _id FROM main.rec WHERE CLIENT_ID=?1 LIMIT 1");
      Stmt rcv(db,
               "INSERT INTO ReceiveR.rec(DATE, CODE, AMOUNT, NUMBER, CLIENT_ID) "
               "VALUES(?1,?2,?3,?4,?5)");
      Stmt prn(db,
               "INSERT INTO RecPrn.rec(DATE, NUMBER, AMOUNT, CLIENTID, PRINTED, ADD1, ADD2, ADD3, "
               "PCODE, SURNAME, INIT) VALUES(?1,?2,?3,?4,0,?5,?6,?7,?8,?9,?10)");
      Stmt iss(db,
               "SELECT _id FROM AgeIss.rec WHERE NUMBER=?1 AND CODE=?2 AND CLIENT_ID='' "
               "AND DATE_REC=0 ORDER BY _id LIMIT 1");
      Stmt issPut(db,
                  "UPDATE AgeIss.rec SET AMOUNT=?2, CLIENT_ID=?3, DATE_REC=?4, _ver=_ver+1 "
                  "WHERE _id=?1");
      Stmt inv(db,
               "SELECT _id, STATUS, RISK, ADMIN, AGE_COMM FROM VelInv.rec WHERE CLIENT_ID=?1 "
               "ORDER BY _id");
      Stmt invPut(db, "UPDATE VelInv.rec SET STATUS='Pd', _ver=_ver+1 WHERE _id=?1");
      Stmt tra(db,
               "INSERT INTO VelTra.rec(CLIENT_ID, DATE, TYPE, ACCOUNT, SOURCE, CREDIT, X_DATE, "
               "X_TIME, X_ID, \"UNIQUE\", PAYOVER, AGE_COMM, COLL_COMM) "
               "VALUES(?1,?2,'Payment','Petty Cash','Cash',?3,?4,?5,'bench',?6,?7,?8,?9)");
      Stmt age(db,
               "SELECT _id, TOTAL, CURRENT, P30, P60, P90, P90PLUS FROM VelAge.rec "
               "WHERE CLIENT_ID=?1");
      Stmt agePut(db,
                  "UPDATE VelAge.rec SET TOTAL=?2, CURRENT=?3, P30=?4, P60=?5, P90=?6, "
                  "P90PLUS=?7, SENT=0, _ver=_ver+1 WHERE _id=?1");
      Stmt pay(db,
               "INSERT INTO main.rec(CLIENT_ID, DATE, ACCOUNT, SOURCE, CREDIT, STATUS, X_DATE, "
               "X_TIME, X_ID, \"UNIQUE\", COL_CODE, AGE_CODE, COL_COMM, AGE_COMM, PREM2PAY) "
               "VALUES(?1,?2,'Petty Cash','Cash',?3,'SEL',?4,?5,'bench',?6,'0','0',?7,?8,?9)");
      const std::int64_t ymd = vel::dateToYyyymmdd(kToday);
      std::int32_t time = 3'600'000;
      state.ResumeTiming();
      for (int i = 0; i < n; ++i) {
        ++time;
        const std::string id = clientId(i % kClients);
        const double amount = 100.0 + i % 7;
        const std::string unique = vel::uniqueStamp(kToday, time);
        double ageComm = 0, collComm = 0;
        if (comm.row()) {
          ageComm = sqlite3_column_double(comm.st, 0);
          collComm = sqlite3_column_double(comm.st, 1);
        }
        comm.done();
        exec(db, "BEGIN IMMEDIATE");
        cli.text(1, id);
        if (!cli.row()) std::abort();
        const std::string a1 = reinterpret_cast<const char*>(sqlite3_column_text(cli.st, 1));
        const std::string sur = reinterpret_cast<const char*>(sqlite3_column_text(cli.st, 5));
        const std::string ini = reinterpret_cast<const char*>(sqlite3_column_text(cli.st, 6));
        const std::int64_t pcode = sqlite3_column_int64(cli.st, 4);
        const double prem2pay = sqlite3_column_double(cli.st, 8);
        cli.done();
        const bool first = !paid.text(1, id).row();
        paid.done();
        rcv.num(1, kToday).text(2, "AG1").real(3, amount).num(4, i + 1).text(5, id).run();
        prn.num(1, kToday).num(2, i + 1).real(3, amount).text(4, id).text(5, a1).text(6, "")
            .text(7, "").num(8, pcode).text(9, sur).text(10, ini).run();
        iss.num(1, i + 1).text(2, "AG1");
        if (iss.row()) {
          const std::int64_t rid = sqlite3_column_int64(iss.st, 0);
          iss.done();
          issPut.num(1, rid).real(2, amount).text(3, id).num(4, kToday).run();
        }
        std::vector<std::int64_t> open;
        inv.text(1, id);
        while (inv.row()) {
          if (std::string(reinterpret_cast<const char*>(sqlite3_column_text(inv.st, 1))) == "Pd")
            continue;
          open.push_back(sqlite3_column_int64(inv.st, 0));
          if (sqlite3_column_double(inv.st, 2) != 0 || sqlite3_column_double(inv.st, 3) != 0 ||
              sqlite3_column_double(inv.st, 4) != 0)
            break;
        }
        inv.done();
        for (std::int64_t v : open) invPut.num(1, v).run();
        tra.text(1, id).num(2, ymd).real(3, amount).num(4, kToday).num(5, time).text(6, unique)
            .real(7, prem2pay).real(8, first ? ageComm : 0).real(9, first ? 0 : collComm).run();
        age.text(1, id);
        if (!age.row()) std::abort();
        const std::int64_t aid = sqlite3_column_int64(age.st, 0);
        double b[6];
        for (int k = 0; k < 6; ++k) b[k] = sqlite3_column_double(age.st, k + 1);
        age.done();
        // The payment off the oldest debt first (no credits held here).
        double left = amount;
        b[0] -= amount;
        for (int k : {5, 4, 3, 2}) {
          const double take = std::min(left, std::max(0.0, b[k]));
          b[k] -= take;
          left -= take;
        }
        b[1] -= left;
        agePut.num(1, aid).real(2, b[0]).real(3, b[1]).real(4, b[2]).real(5, b[3]).real(6, b[4])
            .real(7, b[5]).run();
        pay.text(1, id).num(2, ymd).real(3, amount).num(4, kToday).num(5, time).text(6, unique)
            .real(7, collComm).real(8, ageComm).real(9, prem2pay).run();
        exec(db, "COMMIT");
      }
      state.PauseTiming();
    }
    sqlite3_close_v2(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void onePass(benchmark::internal::Benchmark* b) {
  b->Iterations(1)->Repetitions(1)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_CaptureReceipts_RecordStore)->Apply(onePass);
BENCHMARK(BM_CaptureReceipts_BareSqlite)->Apply(onePass);
