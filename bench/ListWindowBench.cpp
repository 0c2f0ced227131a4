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

#include "ListOffice.h"
#include "ListWindowDriver.h"

namespace {

using velbench::ListWindowDriver;

ListWindowDriver& window() {
  static ListWindowDriver* w = [] {
    velbench::Office& o = velbench::office();
    return new ListWindowDriver(o.files, o.ui, o.decl);
  }();
  return *w;
}

void BM_ListWindowOpen(benchmark::State& state) { velbench::windowOpen(state, window()); }
void BM_ListWindowEnd(benchmark::State& state) { velbench::windowEnd(state, window()); }
void BM_ListWindowHome(benchmark::State& state) { velbench::windowHome(state, window()); }
void BM_ListWindowLocate(benchmark::State& state) { velbench::windowLocate(state, window()); }
void BM_ListWindowDrag(benchmark::State& state) { velbench::windowDrag(state, window()); }

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
