// The cursor both record engines keep for an open file read in keyset
// pages: the order, the anchor the next page is read from, and the current
// record with the version it was read at.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "recordstore/Engine.h"
#include "recordstore/EngineValues.h"

namespace vel::store {

class PagedFile : public EngineFile {
 public:
  explicit PagedFile(const Layout& l) : layout_(l) {}

  const Layout& layout() const override { return layout_; }
  int setOrder(int key) override;
  int setOrderAt(int key, const void* rec) override;
  std::string position() const override;
  int resetTo(std::string_view pos) override;
  int watch() override;
  std::shared_ptr<void> saveCursor() const override;
  void restoreCursor(const std::shared_ptr<void>& state) override;

 protected:
  enum class Anchor { Start, At, On };

  struct Cursor {
    int order = kPhysicalOrder;
    Anchor anchor = Anchor::Start;
    std::vector<Cell> vals;  // key values of the anchor (At, On)
    std::int64_t id = 0;     // the anchor record (On)
  };

  // Forgets what was read ahead: the next read reads afresh.
  virtual void dropPage() = 0;

  // The record just read or written becomes the anchor of the walk.
  void placeOn(void* rec) {
    placeOnCurrent(rec);
    dropPage();
  }
  void placeOnCurrent(void* rec);

  const Layout& layout_;
  Cursor cur_;
  std::int64_t curId_ = 0, curVer_ = 0;  // the current record (0: none) and its version
  bool watched_ = false;
};

}  // namespace vel::store
