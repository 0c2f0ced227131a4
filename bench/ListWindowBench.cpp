// The list window itself over 1,000,000 clients: what a clerk waits for when
// pressing End or Home, typing a locator or dragging the position bar. Each
// step goes through the window's key handling or bar, the model, the table
// and the pager, as on screen (off screen here), and ends with the rows
// shown and the bar set.
//
//   BM_ListWindowOpen     construct the window: count, first page, rows round it
//   BM_ListWindowEnd      the End key (the last page and the pages above it)
//   BM_ListWindowHome     the Home key
//   BM_ListWindowLocate   the locator typed to "Zs" (and back to "Ab")
//   BM_ListWindowDrag     the bar dragged to 30% and to 70% of the file
//
// The client file is the one ListBench.cpp uses (see ListOffice.h).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include "ListOffice.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"

namespace {

QApplication& app() {
  static QApplication* a = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velbench";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives to the end of the run
  }();
  return *a;
}

struct Window {
  velbench::Office& o = velbench::office();
  vel::Catalog catalog;
  std::unique_ptr<vel::FileUse> use;
  std::unique_ptr<vel::qt::ListWindow> w;

  Window() {
    app();
    catalog.add(o.decl);
    use = std::make_unique<vel::FileUse>(o.files.fm<vel::rec::VelCli>());
    open();
  }
  void open() {
    w = std::make_unique<vel::qt::ListWindow>(o.files, o.ui, catalog, *catalog.list("Browse_Client"),
                                              vel::ListMode::Select);
    w->resize(900, 600);
    w->show();
    QApplication::processEvents();
  }
  vel::qt::ListPanel* panel() { return w->panel(); }
  void key(Qt::Key k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(panel()->table(), &press);
  }
  QScrollBar* bar() { return panel()->findChild<QScrollBar*>("Position"); }
  // What the window shows: the highlighted row's surname.
  std::string shown() {
    const vel::ListRow* r = panel()->current();
    return r ? r->cells[1] : std::string();
  }
};

Window& window() {
  static Window* w = new Window;
  return *w;
}

void BM_ListWindowOpen(benchmark::State& state) {
  Window& w = window();
  for (auto _ : state) {
    w.open();
    benchmark::DoNotOptimize(w.shown());
  }
}

void BM_ListWindowEnd(benchmark::State& state) {
  Window& w = window();
  for (auto _ : state) {
    state.PauseTiming();
    w.key(Qt::Key_Home);
    state.ResumeTiming();
    w.key(Qt::Key_End);
    benchmark::DoNotOptimize(w.shown());
  }
}

void BM_ListWindowHome(benchmark::State& state) {
  Window& w = window();
  for (auto _ : state) {
    state.PauseTiming();
    w.key(Qt::Key_End);
    state.ResumeTiming();
    w.key(Qt::Key_Home);
    benchmark::DoNotOptimize(w.shown());
  }
}

void BM_ListWindowLocate(benchmark::State& state) {
  Window& w = window();
  QLineEdit* loc = w.panel()->locator();
  bool late = false;
  for (auto _ : state) {
    late = !late;
    // As typed: the window reads the locator on each edit.
    loc->setText(late ? "Zs" : "Ab");
    emit loc->textEdited(loc->text());
    benchmark::DoNotOptimize(w.shown());
  }
}

void BM_ListWindowDrag(benchmark::State& state) {
  Window& w = window();
  QScrollBar* b = w.bar();
  bool late = false;
  for (auto _ : state) {
    late = !late;
    b->setSliderDown(true);
    b->setSliderPosition(static_cast<int>((late ? 0.7 : 0.3) * b->maximum()));
    b->setSliderDown(false);
    benchmark::DoNotOptimize(w.shown());
  }
  state.counters["bar_at"] = double(b->value()) / b->maximum();
}

int repetitions() {
  const char* r = std::getenv("VEL_BENCH_REPETITIONS");
  return r && *r ? std::atoi(r) : 3;
}

BENCHMARK(BM_ListWindowOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListWindowEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListWindowHome)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListWindowLocate)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());
BENCHMARK(BM_ListWindowDrag)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions());

}  // namespace
