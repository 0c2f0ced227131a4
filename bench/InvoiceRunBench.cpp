// The month's invoice run against a bare SQLite loop doing the same reads and
// writes.
//
//   BM_InvoiceRun_RecordStore   Generate_Invoices on an office of 100,000
//                               clients (six in seven active, one in three
//                               with an ageing record), 500 members a commit
//   BM_InvoiceRun_BareSqlite    the same work through the sqlite3 C API: the
//                               four files attached in one connection, per
//                               group BEGIN IMMEDIATE, the group's clients read
//                               in By_Client order, per member a savepoint
//                               with the invoice added, the ageing read and
//                               rewritten (or added), the client rewritten
//                               with its version checked, the transaction
//                               added; then COMMIT
//
// Every run starts from a copy of the same office, made outside the timing.
// The run should stay within 1.5x of the bare loop.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "InvoiceOffice.h"
#include "billing/InvoiceRun.h"
#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "ledger/Ageing.h"
#include "ledger/InvoicePosting.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

namespace fs = std::filesystem;

using velbench::expectedInvoiced;
constexpr int kClients = velbench::kInvoiceClients;
constexpr int kGroup = velbench::kInvoiceGroup;
const std::int32_t kToday = velbench::kInvoiceDay;

fs::path benchRoot() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench");
}

struct Station {
  explicit Station(const fs::path& folder) : files(folder.string(), *engine, errors) {}
  vel::SilentUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine = vel::makeSqliteEngine();
  vel::DataFiles files;
};

// The office every run starts from, built once.
const fs::path& office() {
  static const fs::path folder = [] {
    fs::path p = benchRoot() / "invoice-office";
    fs::remove_all(p);
    fs::create_directories(p);
    Station s(p);
    vel::FileManager& cli = s.files.fm<vel::rec::VelCli>();
    vel::FileManager& age = s.files.fm<vel::rec::VelAge>();
    vel::FileUse c(cli), a(age);
    for (const char* label : {"VelInv", "VelTra", "Hamper", "HamInv", "HamAge", "HamTra"}) {
      vel::FileUse use(s.files.fm(label));
      s.files.fm(label).EnsureOpen();
    }
    vel::ledger::LedgerTransaction tx(s.files, {&cli, &age}, 10);
    for (int n = 1; n <= kClients; ++n) {
      cli.ClearBuffer();
      velbench::fillInvoiceClient(cli.rec<vel::rec::VelCli>(), n);
      cli.engineFile()->add(cli.buffer());  // numbered here, under the group's lock
      if (velbench::hasAgeing(n)) {
        age.ClearBuffer();
        velbench::fillInvoiceAgeing(age.rec<vel::rec::VelAge>(), n);
        age.TryInsert();
      }
    }
    tx.commit();
    return p;
  }();
  return folder;
}

fs::path freshCopy(const std::string& name) {
  fs::path p = benchRoot() / name;
  fs::remove_all(p);
  fs::create_directories(p);
  for (const auto& e : fs::directory_iterator(office())) fs::copy(e.path(), p / e.path().filename());
  return p;
}

// ---- the bare loop ---------------------------------------------------------

struct Value {
  std::int64_t i = 0;
  double d = 0;
  std::string s;
};
using Row = std::vector<Value>;  // _id, _ver, then the fields

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc != want) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::abort();
  }
}

sqlite3_stmt* prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK, sql.c_str());
  return st;
}

void exec(sqlite3* db, const char* sql) {
  check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK, sql);
}

bool isText(vel::FieldType t) { return t == vel::FieldType::String; }
bool isReal(vel::FieldType t) { return t == vel::FieldType::Real; }

std::string quote(const char* name) { return std::string("\"") + name + "\""; }

// SQL of one record file (schema `s`) from its layout.
struct TableSql {
  TableSql(const vel::Layout& l, const std::string& s) : layout(l) {
    std::string cols = "\"_id\",\"_ver\"", names, marks, sets;
    int i = 0;
    for (const auto& f : l.fields()) {
      cols += "," + quote(f.name);
      names += (i ? "," : "") + quote(f.name);
      marks += (i ? ",?" : "?") + std::to_string(i + 1);
      sets += (i ? "," : "") + quote(f.name) + "=?" + std::to_string(i + 1);
      ++i;
    }
    const std::string n = std::to_string(i);
    select = "SELECT " + cols + " FROM " + s + ".rec";
    insert = "INSERT INTO " + s + ".rec(" + names + ",\"_ver\") VALUES(" + marks + ",1)";
    update = "UPDATE " + s + ".rec SET " + sets + ",\"_ver\"=\"_ver\"+1 WHERE \"_id\"=?" +
             std::to_string(i + 1) + " AND \"_ver\"=?" + std::to_string(i + 2);
  }
  int field(const char* name) const { return layout.fieldIndex(name); }
  const vel::Layout& layout;
  std::string select, insert, update;
};

void readRow(sqlite3_stmt* st, const vel::Layout& l, Row& row) {
  row.resize(l.fields().size() + 2);
  row[0].i = sqlite3_column_int64(st, 0);
  row[1].i = sqlite3_column_int64(st, 1);
  int c = 2;
  for (const auto& f : l.fields()) {
    Value& v = row[static_cast<std::size_t>(c)];
    if (isText(f.type)) {
      const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
      v.s.assign(t ? t : "", static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
    } else if (isReal(f.type)) {
      v.d = sqlite3_column_double(st, c);
    } else {
      v.i = sqlite3_column_int64(st, c);
    }
    ++c;
  }
}

// Binds the fields of `row` (from index 2) as parameters 1..n.
void bindFields(sqlite3_stmt* st, const vel::Layout& l, const Row& row) {
  int p = 1;
  for (const auto& f : l.fields()) {
    const Value& v = row[static_cast<std::size_t>(p + 1)];
    if (isText(f.type))
      sqlite3_bind_text(st, p, v.s.data(), static_cast<int>(v.s.size()), SQLITE_STATIC);
    else if (isReal(f.type))
      sqlite3_bind_double(st, p, v.d);
    else
      sqlite3_bind_int64(st, p, v.i);
    ++p;
  }
}

Row blankRow(const vel::Layout& l) { return Row(l.fields().size() + 2); }

std::int64_t yyyymmdd(std::int32_t day) {
  const vel::Ymd d = vel::ymdFromDate(day);
  return d.year * 10000 + d.month * 100 + d.day;
}

int bareInvoiceRun(const fs::path& folder) {
  auto path = [&](const char* label) {
    return (folder / vel::fileDirectory()[static_cast<std::size_t>(vel::fileIndex(label))].diskName())
        .string();
  };
  sqlite3* db = nullptr;
  check(db, sqlite3_open_v2(path("VelAge").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK,
        "open");
  exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL");
  sqlite3_busy_timeout(db, 2000);
  int t = 1;
  for (const char* label : {"VelCli", "VelInv", "VelTra"}) {
    sqlite3_stmt* st = prepare(db, "ATTACH DATABASE ?1 AS t" + std::to_string(t++));
    const std::string p = path(label);
    sqlite3_bind_text(st, 1, p.c_str(), -1, SQLITE_TRANSIENT);
    check(db, sqlite3_step(st), SQLITE_DONE, "attach");
    sqlite3_finalize(st);
  }
  const TableSql age(vel::layoutOf<vel::rec::VelAge>(), "main");
  const TableSql cli(vel::layoutOf<vel::rec::VelCli>(), "t1");
  const TableSql inv(vel::layoutOf<vel::rec::VelInv>(), "t2");
  const TableSql tra(vel::layoutOf<vel::rec::VelTra>(), "t3");
  sqlite3_stmt* firstPage =
      prepare(db, cli.select + " WHERE (\"CLIENT_ID\"<>'') ORDER BY \"CLIENT_ID\",\"_id\" LIMIT ?1");
  sqlite3_stmt* nextPage = prepare(db, cli.select +
                                           " WHERE (\"CLIENT_ID\"<>'') AND (\"CLIENT_ID\",\"_id\")>"
                                           "(?1,?2) ORDER BY \"CLIENT_ID\",\"_id\" LIMIT ?3");
  sqlite3_stmt* ageGet = prepare(db, age.select + " WHERE (\"CLIENT_ID\"<>'') AND \"CLIENT_ID\"=?1 LIMIT 1");
  sqlite3_stmt* ageAdd = prepare(db, age.insert);
  sqlite3_stmt* agePut = prepare(db, age.update);
  sqlite3_stmt* cliPut = prepare(db, cli.update);
  sqlite3_stmt* invAdd = prepare(db, inv.insert);
  sqlite3_stmt* traAdd = prepare(db, tra.insert);
  const int fId = cli.field("CLIENT_ID") + 2, fActive = cli.field("ACTIVE") + 2,
            fInvoiced = cli.field("INVOICED") + 2, fPlanPrem = cli.field("PLANPREM") + 2,
            fSmsDate = cli.field("SMS_DATE") + 2, fSendit = cli.field("SMS_SENDIT") + 2,
            fDay5 = cli.field("DAY5") + 2, fDay10 = cli.field("DAY10") + 2;
  Row ageRow, invRow = blankRow(inv.layout), traRow = blankRow(tra.layout);
  std::vector<Row> group;
  std::string lastId;
  std::int64_t lastRowId = 0;
  int invoiced = 0;
  const std::string unique = vel::uniqueStamp(kToday, 2880000);
  for (bool started = false;;) {
    exec(db, "BEGIN IMMEDIATE");
    sqlite3_stmt* page = started ? nextPage : firstPage;
    if (started) {
      sqlite3_bind_text(page, 1, lastId.data(), static_cast<int>(lastId.size()), SQLITE_STATIC);
      sqlite3_bind_int64(page, 2, lastRowId);
      sqlite3_bind_int64(page, 3, kGroup);
    } else {
      sqlite3_bind_int64(page, 1, kGroup);
    }
    group.clear();
    int rc;
    while ((rc = sqlite3_step(page)) == SQLITE_ROW) {
      group.emplace_back();
      readRow(page, cli.layout, group.back());
    }
    check(db, rc, SQLITE_DONE, "page");
    sqlite3_reset(page);
    if (group.empty()) {
      exec(db, "COMMIT");
      break;
    }
    started = true;
    lastId = group.back()[static_cast<std::size_t>(fId)].s;
    lastRowId = group.back()[0].i;
    for (Row& c : group) {
      if (c[static_cast<std::size_t>(fInvoiced)].i == 1 || c[static_cast<std::size_t>(fActive)].s != "Active")
        continue;
      const std::string& id = c[static_cast<std::size_t>(fId)].s;
      const double amount = c[static_cast<std::size_t>(fPlanPrem)].d;
      exec(db, "SAVEPOINT member");
      invRow[static_cast<std::size_t>(inv.field("CLIENT_ID") + 2)].s = id;
      invRow[static_cast<std::size_t>(inv.field("DATE") + 2)].i = yyyymmdd(kToday);
      invRow[static_cast<std::size_t>(inv.field("DEBIT") + 2)].d = amount;
      invRow[static_cast<std::size_t>(inv.field("UNIQUE") + 2)].s = unique;
      bindFields(invAdd, inv.layout, invRow);
      check(db, sqlite3_step(invAdd), SQLITE_DONE, "invoice");
      sqlite3_reset(invAdd);

      sqlite3_bind_text(ageGet, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC);
      rc = sqlite3_step(ageGet);
      if (rc == SQLITE_ROW) {
        readRow(ageGet, age.layout, ageRow);
        sqlite3_reset(ageGet);
        vel::ledger::AgeBuckets b;
        auto cents = [&](const char* f) { return vel::toCents(ageRow[static_cast<std::size_t>(age.field(f) + 2)].d); };
        b = {cents("TOTAL"), cents("CURRENT"), cents("P30"), cents("P60"), cents("P90"), cents("P90PLUS"), cents("BALBF")};
        vel::ledger::ageCharge(b, vel::toCents(amount));
        auto put = [&](const char* f, std::int64_t v) { ageRow[static_cast<std::size_t>(age.field(f) + 2)].d = vel::fromCents(v); };
        put("TOTAL", b.TOTAL), put("CURRENT", b.CURRENT), put("P30", b.P30), put("P60", b.P60),
            put("P90", b.P90), put("P90PLUS", b.P90PLUS), put("BALBF", b.BALBF);
        bindFields(agePut, age.layout, ageRow);
        const int n = static_cast<int>(age.layout.fields().size());
        sqlite3_bind_int64(agePut, n + 1, ageRow[0].i);
        sqlite3_bind_int64(agePut, n + 2, ageRow[1].i);
        check(db, sqlite3_step(agePut), SQLITE_DONE, "ageing");
        sqlite3_reset(agePut);
      } else {
        check(db, rc, SQLITE_DONE, "ageing read");
        sqlite3_reset(ageGet);
        ageRow = blankRow(age.layout);
        ageRow[static_cast<std::size_t>(age.field("CLIENT_ID") + 2)].s = id;
        ageRow[static_cast<std::size_t>(age.field("TOTAL") + 2)].d = amount;
        ageRow[static_cast<std::size_t>(age.field("CURRENT") + 2)].d = amount;
        bindFields(ageAdd, age.layout, ageRow);
        check(db, sqlite3_step(ageAdd), SQLITE_DONE, "ageing add");
        sqlite3_reset(ageAdd);
      }

      c[static_cast<std::size_t>(fInvoiced)].i = 1;
      c[static_cast<std::size_t>(fSmsDate)].i = kToday + 14;
      c[static_cast<std::size_t>(fSendit)].i = 1;
      c[static_cast<std::size_t>(fDay5)].i = 1;
      c[static_cast<std::size_t>(fDay10)].i = 1;
      bindFields(cliPut, cli.layout, c);
      const int n = static_cast<int>(cli.layout.fields().size());
      sqlite3_bind_int64(cliPut, n + 1, c[0].i);
      sqlite3_bind_int64(cliPut, n + 2, c[1].i);
      check(db, sqlite3_step(cliPut), SQLITE_DONE, "client");
      if (sqlite3_changes(db) != 1) std::abort();
      sqlite3_reset(cliPut);

      traRow[static_cast<std::size_t>(tra.field("CLIENT_ID") + 2)].s = id;
      traRow[static_cast<std::size_t>(tra.field("DATE") + 2)].i = yyyymmdd(kToday);
      traRow[static_cast<std::size_t>(tra.field("TYPE") + 2)].s = "Invoice";
      traRow[static_cast<std::size_t>(tra.field("DEBIT") + 2)].d = amount;
      traRow[static_cast<std::size_t>(tra.field("X_DATE") + 2)].i = kToday;
      traRow[static_cast<std::size_t>(tra.field("X_ID") + 2)].s = "Bench";
      traRow[static_cast<std::size_t>(tra.field("UNIQUE") + 2)].s = unique;
      bindFields(traAdd, tra.layout, traRow);
      check(db, sqlite3_step(traAdd), SQLITE_DONE, "transaction");
      sqlite3_reset(traAdd);
      exec(db, "RELEASE member");
      ++invoiced;
    }
    exec(db, "COMMIT");
  }
  for (sqlite3_stmt* st : {firstPage, nextPage, ageGet, ageAdd, agePut, cliPut, invAdd, traAdd})
    sqlite3_finalize(st);
  sqlite3_close_v2(db);
  return invoiced;
}

void BM_InvoiceRun_RecordStore(benchmark::State& state) {
  office();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = freshCopy("invoice-store");
    auto s = std::make_unique<Station>(folder);
    vel::FixedClock clock(kToday, 2880000);
    vel::billing::InvoiceRunOptions o;
    o.groupSize = kGroup;
    state.ResumeTiming();
    const auto r = vel::billing::Generate_Invoices(s->files, s->ui, clock, {"01", "Bench"}, o);
    if (!r.ok || r.clientsInvoiced != expectedInvoiced()) state.SkipWithError("wrong invoice run");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kClients);
}

void BM_InvoiceRun_BareSqlite(benchmark::State& state) {
  office();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = freshCopy("invoice-bare");
    state.ResumeTiming();
    if (bareInvoiceRun(folder) != expectedInvoiced()) state.SkipWithError("wrong bare run");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kClients);
}

void onePass(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 3);
}

BENCHMARK(BM_InvoiceRun_RecordStore)->Apply(onePass);
BENCHMARK(BM_InvoiceRun_BareSqlite)->Apply(onePass);

}  // namespace
