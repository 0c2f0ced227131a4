#include "recordstore/PagedFile.h"

namespace vel::store {

namespace {

struct SavedCursor {
  int order;
  int anchor;
  std::vector<Cell> vals;
  std::int64_t id, curId, curVer;
  bool watched;
};

}  // namespace

int PagedFile::setOrder(int key) {
  if (key < kPhysicalOrder || key >= static_cast<int>(layout_.keys().size()))
    return fail(ecode::kNotSupported, "no such key");
  cur_.order = key;
  cur_.anchor = Anchor::Start;
  cur_.vals.clear();
  dropPage();
  return ok();
}

int PagedFile::setOrderAt(int key, const void* rec) {
  if (key == kPhysicalOrder) return setOrder(key);
  if (int rc = setOrder(key)) return rc;
  cur_.anchor = Anchor::At;
  keyCells(layout_, key, rec, cur_.vals);
  return ok();
}

std::string PagedFile::position() const {
  return encodePosition(layout_, cur_.order, curId_, cur_.vals);
}

int PagedFile::resetTo(std::string_view pos) {
  int order;
  std::int64_t id;
  std::vector<Cell> vals;
  if (!decodePosition(layout_, pos, order, id, vals)) return fail(ecode::kRecordNotFound, "bad position");
  cur_.order = order;
  cur_.anchor = Anchor::On;
  cur_.id = id;
  cur_.vals = std::move(vals);
  curId_ = 0;
  watched_ = false;
  dropPage();
  return ok();
}

int PagedFile::watch() {
  if (curId_ == 0) return fail(ecode::kNoRecord);
  watched_ = true;
  return ok();
}

std::shared_ptr<void> PagedFile::saveCursor() const {
  auto s = std::make_shared<SavedCursor>();
  s->order = cur_.order;
  s->anchor = static_cast<int>(cur_.anchor);
  s->vals = cur_.vals;
  s->id = cur_.id;
  s->curId = curId_;
  s->curVer = curVer_;
  s->watched = watched_;
  return s;
}

void PagedFile::restoreCursor(const std::shared_ptr<void>& state) {
  auto* s = static_cast<SavedCursor*>(state.get());
  if (!s) return;
  cur_.order = s->order;
  cur_.anchor = static_cast<Anchor>(s->anchor);
  cur_.vals = s->vals;
  cur_.id = s->id;
  curId_ = s->curId;
  curVer_ = s->curVer;
  watched_ = s->watched;
  dropPage();
}

void PagedFile::placeOnCurrent(void* rec) {
  cur_.anchor = Anchor::On;
  cur_.id = curId_;
  if (cur_.order >= 0) keyCells(layout_, cur_.order, rec, cur_.vals);
  else cur_.vals.clear();
}

}  // namespace vel::store
