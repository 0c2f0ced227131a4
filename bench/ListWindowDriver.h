// The list window driven as a clerk drives it, for the window benchmarks of
// either engine: opened over a client file, keys pressed on its table, the
// locator typed, the position bar dragged. Each step goes through the
// window's key handling or bar, the model, the table and the pager, as on
// screen (off screen here), and ends with the rows shown and the bar set.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <memory>
#include <string>

#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "recordstore/DataFiles.h"

namespace velbench {

inline QApplication& app() {
  static QApplication* a = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velbench";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives to the end of the run
  }();
  return *a;
}

class ListWindowDriver {
 public:
  // The client list `decl` over the VelCli file of `files`, kept open.
  ListWindowDriver(vel::DataFiles& files, vel::Ui& ui, const vel::ListDecl& decl)
      : files_(files), ui_(ui) {
    app();
    catalog_.add(decl);
    use_ = std::make_unique<vel::FileUse>(files.fm<vel::rec::VelCli>());
    open();
  }
  void open() {
    w_ = std::make_unique<vel::qt::ListWindow>(files_, ui_, catalog_, *catalog_.list("Browse_Client"),
                                               vel::ListMode::Select);
    w_->resize(900, 600);
    w_->show();
    QApplication::processEvents();
  }
  vel::qt::ListPanel* panel() { return w_->panel(); }
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

 private:
  vel::DataFiles& files_;
  vel::Ui& ui_;
  vel::Catalog catalog_;
  std::unique_ptr<vel::FileUse> use_;
  std::unique_ptr<vel::qt::ListWindow> w_;
};

// ---- the steps timed ------------------------------------------------------------

// The window made afresh: count, first page, rows round it.
inline void windowOpen(benchmark::State& state, ListWindowDriver& w) {
  for (auto _ : state) {
    w.open();
    benchmark::DoNotOptimize(w.shown());
  }
}

// The End key (the last page and the pages above it), from the top.
inline void windowEnd(benchmark::State& state, ListWindowDriver& w) {
  for (auto _ : state) {
    state.PauseTiming();
    w.key(Qt::Key_Home);
    state.ResumeTiming();
    w.key(Qt::Key_End);
    benchmark::DoNotOptimize(w.shown());
  }
}

// The Home key, from the bottom.
inline void windowHome(benchmark::State& state, ListWindowDriver& w) {
  for (auto _ : state) {
    state.PauseTiming();
    w.key(Qt::Key_End);
    state.ResumeTiming();
    w.key(Qt::Key_Home);
    benchmark::DoNotOptimize(w.shown());
  }
}

// The locator typed to "Zs" and back to "Ab", as typed: the window reads
// the locator on each edit.
inline void windowLocate(benchmark::State& state, ListWindowDriver& w) {
  QLineEdit* loc = w.panel()->locator();
  bool late = false;
  for (auto _ : state) {
    late = !late;
    loc->setText(late ? "Zs" : "Ab");
    emit loc->textEdited(loc->text());
    benchmark::DoNotOptimize(w.shown());
  }
}

// The bar dragged to 30% and to 70% of the file.
inline void windowDrag(benchmark::State& state, ListWindowDriver& w) {
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

}  // namespace velbench
