// The record store on PostgreSQL against bare libpq, on data sets of the same
// size and values as the SQLite pairs (InvoiceRunBench.cpp, ListBench.cpp,
// RecordStoreBench.cpp), so that one velbench run compares both engines and
// each with its bare loop. A bare loop does the work of the matching bare
// SQLite loop with the statements in the engine's forms (keys through
// lower() with the partial index's condition, its add and version-checked
// rewrite, its group transaction and table locks), prepared, on one
// connection.
//
//   BM_InvoiceRun_Postgres       Generate_Invoices over 100,000 clients (six in
//                                seven active, one in three with an ageing
//                                record), 500 members a commit
//   BM_InvoiceRun_BareLibpq      the same run bare
//   BM_ListFirstPage_Postgres    the client list over 1,000,000 clients: open
//   BM_ListLocate_Postgres       the file and read the first page; the page at
//   BM_ListLastPage_Postgres     the locator "Zs"; the last page
//   BM_List*_BareLibpq           the same keyset queries, bare
//   BM_ListWindow*_Postgres      the list window over those clients: open,
//                                End, Home, locator, bar dragged (as
//                                ListWindowBench.cpp times it on SQLite)
//   BM_ReadKeyOrder_Postgres     1,000,000 ledger entries in By_Client order
//   BM_ReadKeyOrder_BareLibpq    the same keyset pages, bare
//
// Every data set is a database of its own on the benchmark server (see
// PgBench.h), built once per server by bare libpq in one transaction each:
// the tables are made by the engine, the rows streamed in with COPY (or one
// INSERT ... SELECT for the list's clients). Each invoice run starts from a
// copy of the office database made outside the timing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "InvoiceOffice.h"
#include "LedgerEntries.h"
#include "ListOffice.h"
#include "ListWindowDriver.h"
#include "PgBench.h"
#include "billing/InvoiceRun.h"
#include "common/Dates.h"
#include "common/Money.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "forms/ListPager.h"
#include "ledger/Ageing.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace {

namespace pg = velbench::pg;
using pg::Result;

// The folder the program is given: the PostgreSQL engine names its tables by
// a file's name alone, so the folder holds nothing.
constexpr const char* kFolder = "/tmp/velbench/postgres";

// ---- stations and tables ----------------------------------------------------------

// The program's view of an office held in database `db`.
struct Station {
  explicit Station(const std::string& db)
      : engine(vel::makePostgresEngine(vel::PgSettings{pg::database(db), pg::kSchema})),
        files(kFolder, *engine, errors) {}
  vel::SilentUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine;
  vel::DataFiles files;
};

// The table of record file `label`: the file's name in the office's schema.
std::string table(const std::string& label) {
  const vel::FileDecl& d = vel::fileDirectory()[static_cast<std::size_t>(vel::fileIndex(label))];
  return std::string("\"") + pg::kSchema + "\".\"" + d.diskName() + "\"";
}

// Makes the empty tables of `labels` in database `db` through the engine, so
// that the bare loops and the data loaders meet the engine's own layout.
void createFiles(const std::string& db, std::initializer_list<const char*> labels) {
  Station s(db);
  for (const char* label : labels) {
    vel::FileManager& f = s.files.fm(label);
    vel::FileUse use(f);
    f.EnsureOpen();
    if (!f.engineFile()) pg::die(std::string("the engine cannot make ") + label + ": " + f.LastEngineText());
  }
}

// Whether data set `db` was built completely by an earlier run on this server.
bool built(const std::string& db) {
  if (!pg::databaseExists(db)) return false;
  PGconn* c = pg::connect(pg::database(db));
  Result r(PQexec(c, "SELECT 1 FROM public.velbench_built"));
  const bool done = PQresultStatus(r.r) == PGRES_TUPLES_OK && r.rows() == 1;
  PQfinish(c);
  return done;
}

// Ends the build of a data set begun on `c` in one transaction: marks it
// built, commits, gathers the planner's statistics and lets `c` go.
void finishBuild(PGconn* c) {
  pg::exec(c, "CREATE TABLE public.velbench_built AS SELECT 1 AS done");
  pg::exec(c, "COMMIT");
  pg::exec(c, "VACUUM ANALYZE");
  PQfinish(c);
}

// The statements of one record file in the engine's own forms: every field
// a column, an add that skips a duplicate of a unique key and answers the new
// _id, a rewrite that checks the version read and answers the new one.
// Parameters carry the column types the engine declares.
struct TableSql {
  TableSql(const vel::Layout& l, const std::string& label) : layout(l), name(table(label)) {
    std::string names, marks, sets;
    int i = 0;
    for (const auto& f : l.fields()) {
      const std::string q = std::string("\"") + f.name + "\"";
      const std::string p = "$" + std::to_string(i + 1);
      names += (i ? "," : "") + q;
      marks += (i ? "," : "") + p;
      sets += (i ? "," : "") + q + "=" + p;
      types.push_back(pg::oidOf(f.type));
      ++i;
    }
    columns = "\"_id\",\"_ver\"," + names;
    select = "SELECT " + columns + " FROM " + name;
    insert = "INSERT INTO " + name + "(" + names + ") VALUES(" + marks +
             ") ON CONFLICT DO NOTHING RETURNING \"_id\"";
    update = "UPDATE " + name + " SET " + sets + ",\"_ver\"=\"_ver\"+1 WHERE \"_id\"=$" +
             std::to_string(i + 1) + " AND \"_ver\"=$" + std::to_string(i + 2) + " RETURNING \"_ver\"";
    updateTypes = types;
    updateTypes.push_back(pg::kInt8);
    updateTypes.push_back(pg::kInt8);
  }
  // Column of field `f` in a row read by `select` (after _id and _ver).
  int column(const char* f) const { return layout.fieldIndex(f) + 2; }
  int fields() const { return static_cast<int>(layout.fields().size()); }
  const vel::Layout& layout;
  std::string name, columns, select, insert, update;
  std::vector<Oid> types, updateTypes;
};

// ---- the invoice run ------------------------------------------------------------

using velbench::expectedInvoiced;
using velbench::kInvoiceClients;
using velbench::kInvoiceGroup;
const std::int32_t kToday = velbench::kInvoiceDay;
const char* const kOfficeDb = "velbench_invoice";
const char* const kRunDb = "velbench_invoice_run";

// The office every run starts from: the same clients and ageing records as
// the SQLite office, every file the run touches made empty by the engine.
void invoiceOffice() {
  static const bool ready = [] {
    if (built(kOfficeDb)) return true;
    std::fprintf(stderr, "building the PostgreSQL office of %d clients...\n", kInvoiceClients);
    pg::freshDatabase(kOfficeDb);
    createFiles(kOfficeDb, {"VelCli", "VelAge", "VelInv", "VelTra", "Hamper", "HamInv", "HamAge", "HamTra"});
    PGconn* c = pg::connect(pg::database(kOfficeDb));
    pg::exec(c, "BEGIN");
    const vel::Layout& cl = vel::layoutOf<vel::rec::VelCli>();
    vel::RecordBuffer cb(cl);
    auto& r = *static_cast<vel::rec::VelCli*>(cb.get());
    int n = 0;
    pg::copyIn(c, table("VelCli"), pg::fieldList(cl), [&](std::string& out) {
      for (int j = 0; j < 2'000 && n < kInvoiceClients; ++j) {
        ++n;
        cl.clear(cb.get());
        velbench::fillInvoiceClient(r, n);
        pg::appendRecord(cl, cb.get(), out);
      }
      return n < kInvoiceClients;
    });
    const vel::Layout& al = vel::layoutOf<vel::rec::VelAge>();
    vel::RecordBuffer ab(al);
    auto& g = *static_cast<vel::rec::VelAge*>(ab.get());
    n = 0;
    pg::copyIn(c, table("VelAge"), pg::fieldList(al), [&](std::string& out) {
      for (int j = 0; j < 2'000 && n < kInvoiceClients; ++j) {
        if (!velbench::hasAgeing(++n)) continue;
        al.clear(ab.get());
        velbench::fillInvoiceAgeing(g, n);
        pg::appendRecord(al, ab.get(), out);
      }
      return n < kInvoiceClients;
    });
    finishBuild(c);
    return true;
  }();
  (void)ready;
}

// A fresh copy of the office for one run.
void freshRun() { pg::freshDatabase(kRunDb, kOfficeDb); }

std::int64_t yyyymmdd(std::int32_t day) { return vel::dateToYyyymmdd(day); }

std::string text(double v) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// A row as text values: _id, _ver, then the fields.
using Row = std::vector<std::string>;

void readRow(const Result& r, int i, Row& row) {
  const int cols = PQnfields(r.r);
  row.resize(static_cast<std::size_t>(cols));
  for (int c = 0; c < cols; ++c) row[static_cast<std::size_t>(c)].assign(r.at(i, c), static_cast<std::size_t>(r.length(i, c)));
}

// A new record of `t` with its fields blank, as text values.
Row blankRow(const TableSql& t) {
  Row row(static_cast<std::size_t>(t.fields() + 2));
  for (int i = 0; i < t.fields(); ++i)
    if (t.layout.fields()[static_cast<std::size_t>(i)].type != vel::FieldType::String) row[static_cast<std::size_t>(i + 2)] = "0";
  return row;
}

// Runs prepared `name` with the fields of `row` as parameters 1..n, and with
// its _id and _ver as n+1 and n+2 when `withId`.
Result runRow(PGconn* c, const char* name, const Row& row, bool withId) {
  const std::size_t n = row.size() - 2;
  std::vector<const char*> v(n + (withId ? 2 : 0));
  for (std::size_t i = 0; i < n; ++i) v[i] = row[i + 2].c_str();
  if (withId) v[n] = row[0].c_str(), v[n + 1] = row[1].c_str();
  return pg::run(c, name, static_cast<int>(v.size()), v.data());
}

int bareInvoiceRun() {
  PGconn* c = pg::connect(pg::database(kRunDb));
  const TableSql cli(vel::layoutOf<vel::rec::VelCli>(), "VelCli");
  const TableSql age(vel::layoutOf<vel::rec::VelAge>(), "VelAge");
  const TableSql inv(vel::layoutOf<vel::rec::VelInv>(), "VelInv");
  const TableSql tra(vel::layoutOf<vel::rec::VelTra>(), "VelTra");
  // By_Client is unique: its index is lower(CLIENT_ID) alone, and a page
  // goes on after the last client read.
  pg::prepare(c, "first", cli.select + " WHERE (\"CLIENT_ID\"<>'') ORDER BY lower(\"CLIENT_ID\") LIMIT $1",
              {pg::kInt8});
  pg::prepare(c, "next",
              cli.select + " WHERE (\"CLIENT_ID\"<>'') AND lower(\"CLIENT_ID\")>lower($1) "
                           "ORDER BY lower(\"CLIENT_ID\") LIMIT $2",
              {pg::kText, pg::kInt8});
  pg::prepare(c, "ageGet",
              age.select + " WHERE (\"CLIENT_ID\"<>'') AND lower(\"CLIENT_ID\")=lower($1) LIMIT 1",
              {pg::kText});
  pg::prepare(c, "ageAdd", age.insert, age.types);
  pg::prepare(c, "agePut", age.update, age.updateTypes);
  pg::prepare(c, "cliPut", cli.update, cli.updateTypes);
  pg::prepare(c, "invAdd", inv.insert, inv.types);
  pg::prepare(c, "traAdd", tra.insert, tra.types);
  // The group's transaction as the engine begins it: the four tables locked
  // in name order against other writers, in one round trip.
  std::vector<std::string> locked = {cli.name, age.name, inv.name, tra.name};
  std::sort(locked.begin(), locked.end());
  const std::string begin = "BEGIN; SET LOCAL lock_timeout = '120s'; LOCK TABLE " + locked[0] + "," +
                            locked[1] + "," + locked[2] + "," + locked[3] +
                            " IN EXCLUSIVE MODE; SET LOCAL lock_timeout = '5s'";
  const std::size_t fId = static_cast<std::size_t>(cli.column("CLIENT_ID")),
                    fActive = static_cast<std::size_t>(cli.column("ACTIVE")),
                    fInvoiced = static_cast<std::size_t>(cli.column("INVOICED")),
                    fPlanPrem = static_cast<std::size_t>(cli.column("PLANPREM")),
                    fSmsDate = static_cast<std::size_t>(cli.column("SMS_DATE")),
                    fSendit = static_cast<std::size_t>(cli.column("SMS_SENDIT")),
                    fDay5 = static_cast<std::size_t>(cli.column("DAY5")),
                    fDay10 = static_cast<std::size_t>(cli.column("DAY10"));
  auto at = [](const TableSql& t, const char* f) { return static_cast<std::size_t>(t.column(f)); };
  const std::string today = std::to_string(yyyymmdd(kToday)), dayNumber = std::to_string(kToday),
                    smsDate = std::to_string(kToday + 14), group = std::to_string(kInvoiceGroup);
  const std::string unique = vel::uniqueStamp(kToday, 2880000);
  Row ageRow, invRow = blankRow(inv), traRow = blankRow(tra);
  invRow[at(inv, "DATE")] = today;
  invRow[at(inv, "UNIQUE")] = unique;
  traRow[at(tra, "DATE")] = today;
  traRow[at(tra, "TYPE")] = "Invoice";
  traRow[at(tra, "X_DATE")] = dayNumber;
  traRow[at(tra, "X_ID")] = "Bench";
  traRow[at(tra, "UNIQUE")] = unique;
  std::vector<Row> members;
  std::string lastId;
  int invoiced = 0;
  for (bool started = false;;) {
    pg::exec(c, begin);
    Result page;
    if (started) {
      const char* v[] = {lastId.c_str(), group.c_str()};
      page = pg::run(c, "next", 2, v);
    } else {
      const char* v[] = {group.c_str()};
      page = pg::run(c, "first", 1, v);
    }
    members.resize(static_cast<std::size_t>(page.rows()));
    for (int i = 0; i < page.rows(); ++i) readRow(page, i, members[static_cast<std::size_t>(i)]);
    if (members.empty()) {
      pg::exec(c, "COMMIT");
      break;
    }
    started = true;
    lastId = members.back()[fId];
    for (Row& m : members) {
      if (m[fInvoiced] == "1" || m[fActive] != "Active") continue;
      const std::string& id = m[fId];
      const double amount = pg::real(m[fPlanPrem].data(), static_cast<int>(m[fPlanPrem].size()));
      pg::exec(c, "SAVEPOINT member");
      invRow[at(inv, "CLIENT_ID")] = id;
      invRow[at(inv, "DEBIT")] = m[fPlanPrem];
      runRow(c, "invAdd", invRow, false);

      const char* idv[] = {id.c_str()};
      Result a = pg::run(c, "ageGet", 1, idv);
      if (a.rows() == 1) {
        readRow(a, 0, ageRow);
        auto cents = [&](const char* f) {
          const std::string& s = ageRow[at(age, f)];
          return vel::toCents(pg::real(s.data(), static_cast<int>(s.size())));
        };
        vel::ledger::AgeBuckets b{cents("TOTAL"), cents("CURRENT"), cents("P30"), cents("P60"),
                                  cents("P90"),   cents("P90PLUS"), cents("BALBF")};
        vel::ledger::ageCharge(b, vel::toCents(amount));
        auto put = [&](const char* f, std::int64_t v) { ageRow[at(age, f)] = text(vel::fromCents(v)); };
        put("TOTAL", b.TOTAL), put("CURRENT", b.CURRENT), put("P30", b.P30), put("P60", b.P60),
            put("P90", b.P90), put("P90PLUS", b.P90PLUS), put("BALBF", b.BALBF);
        if (runRow(c, "agePut", ageRow, true).rows() != 1) pg::die("ageing record changed");
      } else {
        ageRow = blankRow(age);
        ageRow[at(age, "CLIENT_ID")] = id;
        ageRow[at(age, "TOTAL")] = m[fPlanPrem];
        ageRow[at(age, "CURRENT")] = m[fPlanPrem];
        runRow(c, "ageAdd", ageRow, false);
      }

      m[fInvoiced] = "1";
      m[fSmsDate] = smsDate;
      m[fSendit] = "1";
      m[fDay5] = "1";
      m[fDay10] = "1";
      if (runRow(c, "cliPut", m, true).rows() != 1) pg::die("client changed");

      traRow[at(tra, "CLIENT_ID")] = id;
      traRow[at(tra, "DEBIT")] = m[fPlanPrem];
      runRow(c, "traAdd", traRow, false);
      pg::exec(c, "RELEASE SAVEPOINT member");
      ++invoiced;
    }
    pg::exec(c, "COMMIT");
  }
  PQfinish(c);
  return invoiced;
}

void BM_InvoiceRun_Postgres(benchmark::State& state) {
  invoiceOffice();
  for (auto _ : state) {
    state.PauseTiming();
    freshRun();
    auto s = std::make_unique<Station>(kRunDb);
    vel::FixedClock clock(kToday, 2880000);
    vel::billing::InvoiceRunOptions o;
    o.groupSize = kInvoiceGroup;
    state.ResumeTiming();
    const auto r = vel::billing::Generate_Invoices(s->files, s->ui, clock, {"01", "Bench"}, o);
    if (!r.ok || r.clientsInvoiced != expectedInvoiced()) state.SkipWithError("wrong invoice run");
    state.PauseTiming();
    s.reset();  // its connections end before the next copy replaces the database
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInvoiceClients);
}

void BM_InvoiceRun_BareLibpq(benchmark::State& state) {
  invoiceOffice();
  for (auto _ : state) {
    state.PauseTiming();
    freshRun();
    state.ResumeTiming();
    if (bareInvoiceRun() != expectedInvoiced()) state.SkipWithError("wrong bare run");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInvoiceClients);
}

// ---- the client list over a million clients ---------------------------------------

constexpr int kPage = velbench::kListPage;
const char* const kListDb = "velbench_list";

// The same million clients as the SQLite list file (ListOffice.h), made by
// one INSERT ... SELECT on the server.
void listClients() {
  static const bool ready = [] {
    if (built(kListDb)) return true;
    std::fprintf(stderr, "building %d PostgreSQL clients...\n", velbench::kClients);
    pg::freshDatabase(kListDb);
    createFiles(kListDb, {"VelCli"});
    PGconn* c = pg::connect(pg::database(kListDb));
    pg::exec(c, "BEGIN");
    pg::exec(c, "INSERT INTO " + table("VelCli") +
                    "(\"CLIENT_ID\",\"SURNAME\",\"INITIALS\",\"FIRSTNAME\",\"ID_NUMBER\",\"NUMBER\") "
                    "SELECT lpad(i::text, 7, '0'), chr(65 + ((i*7919) % 26)::int) || "
                    "chr(97 + ((i*104729) % 26)::int) || chr(97 + ((i*1299709) % 26)::int) || 'ana', "
                    "'A', 'Thandi', lpad((i*7)::text, 13, '0'), i FROM generate_series(1::bigint, " +
                    std::to_string(velbench::kClients) + "::bigint) AS i");
    finishBuild(c);
    return true;
  }();
  (void)ready;
}

struct ListStation {
  ListStation() : s((listClients(), kListDb)) {}
  Station s;
  vel::ListDecl decl = velbench::clientList();
  vel::FileManager& file() { return s.files.fm<vel::rec::VelCli>(); }
};

ListStation& listStation() {
  static ListStation l;
  return l;
}

void BM_ListFirstPage_Postgres(benchmark::State& state) {
  ListStation& l = listStation();
  for (auto _ : state) {
    vel::FileUse use(l.file());
    vel::ListPager pager(l.file(), l.decl);
    pager.setTab(0);
    benchmark::DoNotOptimize(pager.first(kPage));
  }
}

void BM_ListLocate_Postgres(benchmark::State& state) {
  ListStation& l = listStation();
  vel::FileUse use(l.file());
  vel::ListPager pager(l.file(), l.decl);
  for (auto _ : state) benchmark::DoNotOptimize(pager.locate("Zs", kPage));
}

void BM_ListLastPage_Postgres(benchmark::State& state) {
  ListStation& l = listStation();
  vel::FileUse use(l.file());
  vel::ListPager pager(l.file(), l.decl);
  for (auto _ : state) benchmark::DoNotOptimize(pager.last(kPage));
}

// The list window itself over the same million clients, as the window
// benchmarks time it on SQLite (ListWindowBench.cpp): the steps a clerk
// waits for, each through the window, its model and the pager.
velbench::ListWindowDriver& pgWindow() {
  static velbench::ListWindowDriver* w = [] {
    ListStation& l = listStation();
    return new velbench::ListWindowDriver(l.s.files, l.s.ui, l.decl);
  }();
  return *w;
}

void BM_ListWindowOpen_Postgres(benchmark::State& state) { velbench::windowOpen(state, pgWindow()); }
void BM_ListWindowEnd_Postgres(benchmark::State& state) { velbench::windowEnd(state, pgWindow()); }
void BM_ListWindowHome_Postgres(benchmark::State& state) { velbench::windowHome(state, pgWindow()); }
void BM_ListWindowLocate_Postgres(benchmark::State& state) { velbench::windowLocate(state, pgWindow()); }
void BM_ListWindowDrag_Postgres(benchmark::State& state) { velbench::windowDrag(state, pgWindow()); }

// The list's key By_Name in the engine's form: the "empty values excluded"
// condition of its partial index, and its order (case ignored).
const std::string kListWhere = " WHERE (\"SURNAME\"<>'' OR \"INITIALS\"<>'')";
const std::string kNameOrder = "lower(\"SURNAME\"),lower(\"INITIALS\"),\"_id\"";

// Reads every value of every row, as a list filling its rows would.
int readValues(const Result& r) {
  const int cols = PQnfields(r.r);
  for (int i = 0; i < r.rows(); ++i)
    for (int c = 0; c < cols; ++c) benchmark::DoNotOptimize(r.at(i, c));
  return r.rows();
}

std::string listSelect() { return "SELECT * FROM " + table("VelCli") + kListWhere; }

// The connection is the station's, made once as the engine makes its own;
// each first page is a statement parsed, planned and run afresh.
void BM_ListFirstPage_BareLibpq(benchmark::State& state) {
  listClients();
  const std::string sql = listSelect() + " ORDER BY " + kNameOrder + " LIMIT $1";
  const std::string limit = std::to_string(kPage);
  const char* v[] = {limit.c_str()};
  const Oid types[] = {pg::kInt8};
  PGconn* c = pg::connect(pg::database(kListDb));
  for (auto _ : state) {
    Result r = pg::checked(c, PQexecParams(c, sql.c_str(), 1, types, v, nullptr, nullptr, 0), "first page");
    if (readValues(r) != kPage) state.SkipWithError("short page");
  }
  PQfinish(c);
}

void bareListQuery(benchmark::State& state, const std::string& sql, std::vector<std::string> args,
                   const std::vector<Oid>& types) {
  listClients();
  PGconn* c = pg::connect(pg::database(kListDb));
  pg::prepare(c, "q", sql, types);
  std::vector<const char*> v;
  for (const auto& a : args) v.push_back(a.c_str());
  for (auto _ : state)
    if (readValues(pg::run(c, "q", static_cast<int>(v.size()), v.data())) != kPage) state.SkipWithError("short page");
  PQfinish(c);
}

void BM_ListLocate_BareLibpq(benchmark::State& state) {
  bareListQuery(state,
                listSelect() + " AND (lower(\"SURNAME\"),lower(\"INITIALS\"),\"_id\") >= "
                               "(lower($1), '', -9223372036854775807) ORDER BY " + kNameOrder + " LIMIT $2",
                {"Zs", std::to_string(kPage)}, {pg::kText, pg::kInt8});
}

void BM_ListLastPage_BareLibpq(benchmark::State& state) {
  bareListQuery(state,
                listSelect() + " ORDER BY lower(\"SURNAME\") DESC,lower(\"INITIALS\") DESC,\"_id\" DESC LIMIT $1",
                {std::to_string(kPage)}, {pg::kInt8});
}

// ---- a million ledger entries in key order ----------------------------------------

constexpr int kReadEntries = 1'000'000;
constexpr int kFirstPage = 16;
constexpr int kMaxPage = 1024;
const char* const kReadDb = "velbench_read";

// The same million entries as the SQLite ledger (LedgerEntries.h), by COPY.
void readLedger() {
  static const bool ready = [] {
    if (built(kReadDb)) return true;
    std::fprintf(stderr, "building %d PostgreSQL ledger entries...\n", kReadEntries);
    pg::freshDatabase(kReadDb);
    createFiles(kReadDb, {"VelTra"});
    PGconn* c = pg::connect(pg::database(kReadDb));
    pg::exec(c, "BEGIN");
    const vel::Layout& l = vel::layoutOf<vel::rec::VelTra>();
    vel::RecordBuffer b(l);
    velbench::Entry e;
    int i = 0;
    pg::copyIn(c, table("VelTra"), pg::fieldList(l), [&](std::string& out) {
      for (int j = 0; j < 5'000 && i < kReadEntries; ++j, ++i) {
        l.clear(b.get());
        velbench::makeEntry(i, e);
        velbench::fill(*static_cast<vel::rec::VelTra*>(b.get()), e);
        pg::appendRecord(l, b.get(), out);
      }
      return i < kReadEntries;
    });
    finishBuild(c);
    return true;
  }();
  (void)ready;
}

void BM_ReadKeyOrder_Postgres(benchmark::State& state) {
  readLedger();
  Station s(kReadDb);
  vel::FileManager& tra = s.files.fm<vel::rec::VelTra>();
  vel::FileUse use(tra);
  velbench::walkByClient(state, tra, kReadEntries);
}

// One ledger row read into locals, as a program on bare libpq would.
struct Entry {
  std::int64_t id = 0, ver = 0, date = 0, xDate = 0, xTime = 0, deleted = 0, sent = 0;
  std::string clientId, type, account, source, status, branchId, xId, bankName, bankAccount, unique;
  double credit = 0, debit = 0, payover = 0, collComm = 0, ageComm = 0;
};

// The result columns of the ledger's fields, found once.
struct EntryColumns {
  explicit EntryColumns(const TableSql& t)
      : clientId(t.column("CLIENT_ID")), date(t.column("DATE")), type(t.column("TYPE")),
        account(t.column("ACCOUNT")), source(t.column("SOURCE")), credit(t.column("CREDIT")),
        debit(t.column("DEBIT")), status(t.column("STATUS")), branchId(t.column("BRANCH_ID")),
        xDate(t.column("X_DATE")), xTime(t.column("X_TIME")), xId(t.column("X_ID")),
        bankName(t.column("BANK_NAME")), bankAccount(t.column("BANK_ACCOUNT")),
        deleted(t.column("DELETED")), unique(t.column("UNIQUE")), sent(t.column("SENT")),
        payover(t.column("PAYOVER")), collComm(t.column("COLL_COMM")), ageComm(t.column("AGE_COMM")) {}
  int clientId, date, type, account, source, credit, debit, status, branchId, xDate, xTime, xId,
      bankName, bankAccount, deleted, unique, sent, payover, collComm, ageComm;
};

void readEntry(const Result& r, int i, const EntryColumns& k, Entry& e) {
  auto s = [&](int c, std::string& out) { out.assign(r.at(i, c), static_cast<std::size_t>(r.length(i, c))); };
  auto n = [&](int c) { return pg::whole(r.at(i, c), r.length(i, c)); };
  auto d = [&](int c) { return pg::real(r.at(i, c), r.length(i, c)); };
  e.id = n(0);
  e.ver = n(1);
  s(k.clientId, e.clientId);
  e.date = n(k.date);
  s(k.type, e.type);
  s(k.account, e.account);
  s(k.source, e.source);
  e.credit = d(k.credit);
  e.debit = d(k.debit);
  s(k.status, e.status);
  s(k.branchId, e.branchId);
  e.xDate = n(k.xDate);
  e.xTime = n(k.xTime);
  s(k.xId, e.xId);
  s(k.bankName, e.bankName);
  s(k.bankAccount, e.bankAccount);
  e.deleted = n(k.deleted);
  s(k.unique, e.unique);
  e.sent = n(k.sent);
  e.payover = d(k.payover);
  e.collComm = d(k.collComm);
  e.ageComm = d(k.ageComm);
}

void BM_ReadKeyOrder_BareLibpq(benchmark::State& state) {
  readLedger();
  const TableSql tra(vel::layoutOf<vel::rec::VelTra>(), "VelTra");
  PGconn* c = pg::connect(pg::database(kReadDb));
  // By_Client of the ledger allows duplicates: its index is (lower(CLIENT_ID),
  // _id), and a page goes on after the last (client, _id) read, in one seek.
  pg::prepare(c, "first",
              tra.select + " WHERE (\"CLIENT_ID\"<>'') ORDER BY lower(\"CLIENT_ID\"),\"_id\" LIMIT $1",
              {pg::kInt8});
  pg::prepare(c, "after",
              tra.select + " WHERE (\"CLIENT_ID\"<>'') AND (lower(\"CLIENT_ID\"),\"_id\")>(lower($1),$2) "
                           "ORDER BY lower(\"CLIENT_ID\"),\"_id\" LIMIT $3",
              {pg::kText, pg::kInt8, pg::kInt8});
  const EntryColumns columns(tra);
  Entry e;
  std::int64_t rows = 0;
  for (auto _ : state) {
    double sum = 0;
    rows = 0;
    std::string lastClient, lastId, limit;
    int size = kFirstPage;
    for (bool started = false;;) {
      limit = std::to_string(size);
      Result page;
      if (started) {
        const char* v[] = {lastClient.c_str(), lastId.c_str(), limit.c_str()};
        page = pg::run(c, "after", 3, v);
      } else {
        const char* v[] = {limit.c_str()};
        page = pg::run(c, "first", 1, v);
      }
      if (page.rows() == 0) break;
      for (int i = 0; i < page.rows(); ++i) {
        readEntry(page, i, columns, e);
        sum += e.debit;
      }
      rows += page.rows();
      lastClient = e.clientId;
      lastId = std::to_string(e.id);
      started = true;
      size = std::min(size * 4, kMaxPage);
    }
    benchmark::DoNotOptimize(sum);
  }
  PQfinish(c);
  if (rows != kReadEntries) state.SkipWithError("wrong number of records read");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * rows);
}

// ---- registration -----------------------------------------------------------------

int repetitions() {
  const char* r = std::getenv("VEL_BENCH_REPETITIONS");
  const int n = r && *r ? std::atoi(r) : 0;
  return n > 0 ? n : 3;
}

// One timed pass per repetition: long enough that the timer costs nothing.
void onePass(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(repetitions());
}
void listStep(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(repetitions());
}
void windowStep(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());
}

BENCHMARK(BM_InvoiceRun_Postgres)->Apply(onePass);
BENCHMARK(BM_InvoiceRun_BareLibpq)->Apply(onePass);
BENCHMARK(BM_ListFirstPage_Postgres)->Apply(listStep);
BENCHMARK(BM_ListFirstPage_BareLibpq)->Apply(listStep);
BENCHMARK(BM_ListLocate_Postgres)->Apply(listStep);
BENCHMARK(BM_ListLocate_BareLibpq)->Apply(listStep);
BENCHMARK(BM_ListLastPage_Postgres)->Apply(listStep);
BENCHMARK(BM_ListLastPage_BareLibpq)->Apply(listStep);
BENCHMARK(BM_ListWindowOpen_Postgres)->Apply(windowStep);
BENCHMARK(BM_ListWindowEnd_Postgres)->Apply(windowStep);
BENCHMARK(BM_ListWindowHome_Postgres)->Apply(windowStep);
BENCHMARK(BM_ListWindowLocate_Postgres)->Apply(windowStep);
BENCHMARK(BM_ListWindowDrag_Postgres)->Apply(windowStep);
BENCHMARK(BM_ReadKeyOrder_Postgres)->Apply(onePass);
BENCHMARK(BM_ReadKeyOrder_BareLibpq)->Apply(onePass);

}  // namespace
