// "Policy Holders" over 100,000 clients with 2,000,000 ledger records (an
// ageing record, ten invoices and nine payments each), off screen: what the
// clerk waits for when the browse opens, a client number is typed in the
// locator, End is pressed and the highlight moves to the next client (the
// four panels read again). Each has a bare keyset query on the same files as
// its baseline:
//
//   BM_BrowseOpen / BM_BareOpen        the window (count, first page, panels)
//                                      / one page of clients by surname
//   BM_BrowseLocate / BM_BareLocate    client number typed / one page from it
//   BM_BrowseEnd / BM_BareEnd          the End key / the last page
//   BM_BrowseFollow / BM_BareFollow    the highlight moved, panels refreshed
//                                      / the client's ageing, invoices, payments
//   BM_BrowseScrollMemory              Page Down from the first client to the
//                                      last and Page Up back, the panels
//                                      following; resident memory before, at
//                                      the bottom and back at the top
//                                      (counters, MiB) and the rows the list
//                                      holds at the end
//
// The office is built once under $VEL_BENCH_DIR/browse (default
// /tmp/velbench/browse) and reused by later runs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "dictionary/Dictionary.h"
#include "dictionary/LedgerFiles.h"
#include "errors/ErrorManager.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "members/ClientBrowse.h"
#include "members/qt/ClientBrowseWindow.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/FileManager.h"

namespace {

constexpr int kClients = 100'000;

QApplication& app() {
  static QApplication* a = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velbench";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *a;
}

std::filesystem::path folder() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  auto p = (dir && *dir ? std::filesystem::path(dir) : std::filesystem::path("/tmp/velbench")) /
           "browse";
  std::filesystem::create_directories(p);
  return p;
}

void exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  char* err = nullptr;
  sqlite3_exec(db, ("BEGIN;" + sql + "COMMIT;").c_str(), nullptr, nullptr, &err);
  if (err) std::fprintf(stderr, "%s\n", err);
  sqlite3_close(db);
}

std::string clients(int n) {
  return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
         std::to_string(n) + ") ";
}

struct Office {
  vel::SilentUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine = vel::makeSqliteEngine();
  vel::DataFiles files{folder().string(), *engine, errors};
  vel::Catalog catalog;
  std::string cli, age, inv, pay;

  Office() {
    vel::addClientBrowse(catalog, {});
    auto pathOf = [&](vel::FileManager& f, std::int64_t& n) {
      vel::FileUse use(f);
      n = f.Records();
      return f.path();
    };
    std::int64_t nc, na, ni, np;
    cli = pathOf(files.fm<vel::rec::VelCli>(), nc);
    age = pathOf(files.fm<vel::rec::VelAge>(), na);
    inv = pathOf(files.fm<vel::rec::VelInv>(), ni);
    pay = pathOf(files.fm<vel::rec::VelPay>(), np);
    const std::string id = "printf('%05d/MOL', i)";
    if (nc != kClients) {
      std::fprintf(stderr, "building %d clients...\n", kClients);
      exec(cli, "DELETE FROM rec;" + clients(kClients) +
                    "INSERT INTO rec(NUMBER, CLIENT_ID, SURNAME, INITIALS, FIRSTNAME, ID_NUMBER, "
                    "PREMIUM) SELECT i, " + id +
                    ", char(65 + (i*7919) % 26) || char(97 + (i*104729) % 26) || 'ana', 'A', "
                    "'Thandi', printf('%013d', i*7), 150 FROM n;");
    }
    if (na != kClients)
      exec(age, "DELETE FROM rec;" + clients(kClients) +
                    "INSERT INTO rec(CLIENT_ID, TOTAL, CURRENT) SELECT " + id + ", 150, 150 FROM n;");
    if (ni != 10LL * kClients)
      exec(inv, "DELETE FROM rec;" + clients(10 * kClients) +
                    "INSERT INTO rec(CLIENT_ID, DATE, DEBIT) SELECT printf('%05d/MOL', 1 + i % " +
                    std::to_string(kClients) + "), 20260101 + i % 12 * 100, 150 FROM n;");
    if (np != 9LL * kClients)
      exec(pay, "DELETE FROM rec;" + clients(9 * kClients) +
                    "INSERT INTO rec(CLIENT_ID, DATE, CREDIT, ACCOUNT) SELECT printf('%05d/MOL', "
                    "1 + i % " + std::to_string(kClients) +
                    "), 20260105 + i % 9 * 100, 150, 'Cash' FROM n;");
  }
};

Office& office() {
  static Office* o = new Office;
  return *o;
}

struct Browse {
  Office& o = office();
  std::unique_ptr<vel::FileUse> use;
  std::unique_ptr<vel::qt::ClientBrowseWindow> w;
  Browse() {
    app();
    use = std::make_unique<vel::FileUse>(o.files.fm<vel::rec::VelCli>());
    open();
  }
  void open() {
    w = std::make_unique<vel::qt::ClientBrowseWindow>(o.files, o.ui, o.catalog);
    w->resize(1200, 700);
    w->show();
    QApplication::processEvents();
  }
};

Browse& browse() {
  static Browse* b = new Browse;
  return *b;
}

// A bare keyset page: the statement a hand-written list would run, on the
// same indexes (key fields compare without letter case; keys that leave out
// empty values are partial indexes).
struct Bare {
  sqlite3* cli = nullptr;
  sqlite3* led[3] = {};
  Bare() {
    Office& o = office();
    sqlite3_open_v2(o.cli.c_str(), &cli, SQLITE_OPEN_READONLY, nullptr);
    const std::string* p[3] = {&o.age, &o.inv, &o.pay};
    for (int i = 0; i < 3; ++i) sqlite3_open_v2(p[i]->c_str(), &led[i], SQLITE_OPEN_READONLY, nullptr);
  }
  static int page(sqlite3* db, const char* sql, const std::string& arg) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (!arg.empty()) sqlite3_bind_text(st, 1, arg.c_str(), -1, SQLITE_TRANSIENT);
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) ++n;
    sqlite3_finalize(st);
    return n;
  }
};

Bare& bare() {
  static Bare* b = new Bare;
  return *b;
}

void BM_BrowseOpen(benchmark::State& state) {
  Browse& b = browse();
  for (auto _ : state) {
    b.open();
    benchmark::DoNotOptimize(b.w->clients()->current());
  }
}

void BM_BareOpen(benchmark::State& state) {
  Bare& b = bare();
  for (auto _ : state)
    benchmark::DoNotOptimize(Bare::page(
        b.cli, "SELECT * FROM rec WHERE SURNAME<>'' ORDER BY SURNAME, INITIALS, _id LIMIT 60", {}));
}

void BM_BrowseLocate(benchmark::State& state) {
  Browse& b = browse();
  b.w->clients()->setTab(2);
  QLineEdit* loc = b.w->clients()->locator();
  bool late = false;
  for (auto _ : state) {
    late = !late;
    loc->setText(late ? "87654" : "12345");
    emit loc->textEdited(loc->text());
    benchmark::DoNotOptimize(b.w->clients()->current());
  }
}

void BM_BareLocate(benchmark::State& state) {
  Bare& b = bare();
  bool late = false;
  for (auto _ : state) {
    late = !late;
    benchmark::DoNotOptimize(Bare::page(
        b.cli, "SELECT * FROM rec WHERE CLIENT_ID<>'' AND CLIENT_ID >= ?1 ORDER BY CLIENT_ID, _id LIMIT 60",
        late ? "87654" : "12345"));
  }
}

void BM_BrowseEnd(benchmark::State& state) {
  Browse& b = browse();
  auto key = [&](Qt::Key k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(b.w->clients()->table(), &press);
  };
  for (auto _ : state) {
    state.PauseTiming();
    key(Qt::Key_Home);
    state.ResumeTiming();
    key(Qt::Key_End);
    benchmark::DoNotOptimize(b.w->clients()->current());
  }
}

void BM_BareEnd(benchmark::State& state) {
  Bare& b = bare();
  for (auto _ : state)
    benchmark::DoNotOptimize(Bare::page(
        b.cli, "SELECT * FROM rec WHERE SURNAME<>'' ORDER BY SURNAME DESC, INITIALS DESC, _id DESC LIMIT 60", {}));
}

void BM_BrowseFollow(benchmark::State& state) {
  Browse& b = browse();
  QTableView* t = b.w->clients()->table();
  int row = 0;
  for (auto _ : state) {
    row = row == 5 ? 0 : row + 1;
    t->selectRow(row);  // the panels read again on the move
    benchmark::DoNotOptimize(b.w->payments()->current());
  }
}

void BM_BareFollow(benchmark::State& state) {
  Bare& b = bare();
  int i = 0;
  for (auto _ : state) {
    char id[16];
    std::snprintf(id, sizeof id, "%05d/MOL", 1 + (i++ * 7919) % kClients);
    for (int f = 0; f < 3; ++f)
      benchmark::DoNotOptimize(Bare::page(
          b.led[f], "SELECT * FROM rec WHERE CLIENT_ID<>'' AND CLIENT_ID = ?1 ORDER BY CLIENT_ID, _id LIMIT 60", id));
  }
}

// Resident memory of this process in MiB (the second figure of statm).
double residentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_BrowseScrollMemory(benchmark::State& state) {
  Browse& b = browse();
  b.w->clients()->setTab(0);
  QTableView* t = b.w->clients()->table();
  auto key = [&](Qt::Key k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(t, &press);
    QApplication::processEvents();
  };
  // Pages until the highlight stops moving: the end of the list.
  auto pageTo = [&](Qt::Key k) {
    int pages = 0;
    std::string last;
    for (;;) {
      key(k);
      const vel::ListRow* r = b.w->clients()->current();
      const std::string at = r ? r->position : std::string();
      if (at == last) return pages;
      last = at;
      ++pages;
    }
  };
  double before = 0, bottom = 0, back = 0;
  int down = 0, up = 0;
  for (auto _ : state) {
    key(Qt::Key_Home);
    before = residentMiB();
    down = pageTo(Qt::Key_PageDown);
    bottom = residentMiB();
    up = pageTo(Qt::Key_PageUp);
    back = residentMiB();
  }
  state.counters["rss_before_MiB"] = before;
  state.counters["rss_bottom_MiB"] = bottom;
  state.counters["rss_back_MiB"] = back;
  state.counters["pages_down"] = down;
  state.counters["pages_up"] = up;
  state.counters["rows_held"] = b.w->clients()->model()->rowCount();
}
BENCHMARK(BM_BrowseScrollMemory)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

#define VEL_BROWSE_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)
VEL_BROWSE_BENCH(BM_BrowseOpen);
VEL_BROWSE_BENCH(BM_BareOpen);
VEL_BROWSE_BENCH(BM_BrowseLocate);
VEL_BROWSE_BENCH(BM_BareLocate);
VEL_BROWSE_BENCH(BM_BrowseEnd);
VEL_BROWSE_BENCH(BM_BareEnd);
VEL_BROWSE_BENCH(BM_BrowseFollow);
VEL_BROWSE_BENCH(BM_BareFollow);

}  // namespace
