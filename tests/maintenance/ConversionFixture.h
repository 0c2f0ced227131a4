// A data folder holding files in older layouts, written by this program's own
// record store from the older declarations, and what a conversion made of it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "dictionary/OlderLayouts.h"
#include "maintenance/Conversion.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

inline const std::int32_t kConvertDay = dateFromYmd(2026, 12, 9);

// Keeps what the conversion window showed: each text and the highest bar.
class WindowLog {
 public:
  void text(std::string_view t) {
    std::lock_guard<std::mutex> g(mu_);
    texts_.emplace_back(t);
  }
  void percent(int p) {
    std::lock_guard<std::mutex> g(mu_);
    if (p > highest_) highest_ = p;
    if (p < last_) lowered_ = true;
    last_ = p;
  }
  std::vector<std::string> texts() const {
    std::lock_guard<std::mutex> g(mu_);
    return texts_;
  }
  int highest() const { return highest_; }
  int windows = 0;

 private:
  mutable std::mutex mu_;
  std::vector<std::string> texts_;
  int highest_ = -1, last_ = 0;
  bool lowered_ = false;
};

class RecordingUi : public ScriptedUi {
 public:
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    struct Window : Progress {
      explicit Window(WindowLog& l) : log(l) {}
      void setText(std::string_view t) override { log.text(t); }
      void setPercent(int p) override { log.percent(p); }
      WindowLog& log;
    };
    if (title == "Converting Files") ++log.windows;
    if (!text.empty()) log.text(text);
    return std::make_unique<Window>(log);
  }
  WindowLog log;
};

struct OldFolder {
  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  RecordingUi ui;
  FixedClock clock{kConvertDay, 0};

  ~OldFolder() { ui.verifyDone(); }

  std::string path(const std::string& name) const { return dir.file(name); }
  bool has(const std::string& name) const { return std::filesystem::exists(path(name)); }
  std::string disk(const std::string& label) const { return findFile(label)->diskName(); }

  // Writes `recs` into the file `label` made with `layout`.
  template <class Rec>
  void writeWith(const Layout& layout, const std::string& label, const std::vector<Rec>& recs) {
    const std::string p = path(disk(label));
    ASSERT_EQ(engine->create(layout, p, kOwnerPassword), 0);
    std::unique_ptr<EngineFile> f;
    ASSERT_EQ(engine->open(layout, p, OpenMode{}, kOwnerPassword, f), 0);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({f.get()}, 5, tx), 0);
    for (Rec r : recs) ASSERT_EQ(f->add(&r), 0);
    ASSERT_EQ(tx->commit(), 0);
  }
  // A file in the older layout `letter` of `label`.
  template <class Rec>
  void writeOld(const std::string& label, const char* letter, const std::vector<Rec>& recs) {
    const Layout* l = olderLayout(label, letter);
    ASSERT_NE(l, nullptr);
    writeWith(*l, label, recs);
  }
  // A file in the current layout.
  template <class Rec>
  void writeNow(const std::vector<Rec>& recs) {
    writeWith(layoutOf<Rec>(), layoutOf<Rec>().label(), recs);
  }

  // Every record of a file in the current layout, in arrival order (or in
  // the order of `key`). Fails the test when the file does not open with it.
  template <class Rec>
  std::vector<Rec> read(const char* key = nullptr, const std::string& name = {}) {
    const Layout& l = layoutOf<Rec>();
    std::vector<Rec> out;
    std::unique_ptr<EngineFile> f;
    int code =
        engine->open(l, path(name.empty() ? disk(l.label()) : name), OpenMode{}, kOwnerPassword, f);
    EXPECT_EQ(code, 0) << l.label() << " does not open with its current layout";
    if (code) return out;
    f->setOrder(key ? l.keyIndex(key) : kPhysicalOrder);
    Rec r;
    while (f->next(&r) == 0) out.push_back(r);
    return out;
  }

  // The number of records of a file in the older layout `letter`.
  std::int64_t countOld(const std::string& name, const std::string& label, const char* letter) {
    std::unique_ptr<EngineFile> f;
    if (engine->open(*olderLayout(label, letter), path(name), OpenMode{}, kOwnerPassword, f))
      return -1;
    std::int64_t n = 0;
    f->records(n);
    return n;
  }

  // The same, in whichever layout of `label` the file holds.
  std::int64_t countAny(const std::string& name, const std::string& label) {
    std::vector<const Layout*> layouts{findFile(label)->layout};
    for (const Layout* l : olderLayouts(label)) layouts.push_back(l);
    for (const Layout* l : layouts) {
      std::unique_ptr<EngineFile> f;
      if (engine->open(*l, path(name), OpenMode{}, kOwnerPassword, f)) continue;
      std::int64_t n = 0;
      f->records(n);
      return n;
    }
    return -1;
  }

  ConversionReport convert(int groupSize = 2000) {
    Conversion c(dir.path(), *engine, ui, clock);
    c.groupSize = groupSize;
    return c.run();
  }

  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.insert(e.path().filename().string());
    return names;
  }
};

}  // namespace vel::test
