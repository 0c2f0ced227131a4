#include "forms/ListPager.h"

#include <algorithm>

#include "errors/ErrorManager.h"
#include "forms/EntryText.h"
#include "recordstore/FileManager.h"

namespace vel {

ListPager::ListPager(FileManager& file, const ListDecl& decl) : fm_(file), decl_(decl) {}

void ListPager::setTab(int tab) {
  if (tab >= 0 && tab < static_cast<int>(decl_.tabs.size())) tab_ = tab;
}

void ListPager::setRange(std::vector<std::pair<std::string, std::string>> fieldValues) {
  range_.clear();
  for (auto& [name, value] : fieldValues) {
    int f = fm_.layout().fieldIndex(name);
    if (f >= 0) range_.emplace_back(f, std::move(value));
  }
}

int ListPager::key() const {
  if (decl_.tabs.empty()) return kPhysicalOrder;
  const std::string& k = decl_.tabs[static_cast<std::size_t>(tab_)].key;
  if (k.empty()) return kPhysicalOrder;
  int i = fm_.layout().keyIndex(k);
  return i < 0 ? kPhysicalOrder : i;
}

void ListPager::applyRange(bool highest) {
  int k = key();
  if (k < 0) return;
  for (int c : fm_.layout().keys()[static_cast<std::size_t>(k)].components) {
    bool fixed = false;
    for (auto& [f, v] : range_)
      if (f == c) {
        fm_.field(f).text() = v;
        fixed = true;
      }
    if (!fixed && highest) fm_.ClearField(c, true);
  }
}

bool ListPager::inRange() const {
  for (auto& [f, v] : range_) {
    FieldRef fr = const_cast<FileManager&>(fm_).field(f);
    std::string_view a = rtrim(fr.text()), b = rtrim(v);
    if (a.size() != b.size() ||
        !std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
          return std::tolower(static_cast<unsigned char>(x)) ==
                 std::tolower(static_cast<unsigned char>(y));
        }))
      return false;
  }
  return true;
}

std::vector<std::string> ListPager::cellsOf(const void* rec) const {
  std::vector<std::string> out;
  out.reserve(decl_.columns.size());
  const Layout& l = fm_.layout();
  for (const ColumnDecl& c : decl_.columns) {
    if (c.text) {
      out.push_back(c.text(rec));
      continue;
    }
    int f = l.fieldIndex(c.field);
    out.push_back(f < 0 ? std::string() : fieldText(l.field(const_cast<void*>(rec), f), c.picture));
  }
  return out;
}

std::vector<ListRow> ListPager::read(int n, bool forward, bool includeCurrent) {
  std::vector<ListRow> rows;
  auto take = [&] {
    if (!inRange()) return false;
    if (!decl_.shows || decl_.shows(fm_.buffer()))
      rows.push_back(ListRow{fm_.Position(), cellsOf(fm_.buffer())});
    return true;
  };
  if (includeCurrent && !take()) return rows;
  while (static_cast<int>(rows.size()) < n) {
    int rc = forward ? fm_.TryReadNext() : fm_.TryReadPrevious();
    if (rc != kDone) break;
    if (!take()) break;
  }
  return rows;
}

std::vector<ListRow> ListPager::first(int n) {
  if (fm_.EnsureOpen()) return {};
  if (range_.empty()) {
    fm_.SetOrder(key());
  } else {
    fm_.ClearBuffer();
    applyRange(false);
    fm_.SetOrderAt(key());
  }
  return read(n, true);
}

std::vector<ListRow> ListPager::last(int n) {
  if (fm_.EnsureOpen()) return {};
  if (range_.empty()) {
    fm_.SetOrder(key());
  } else {
    fm_.ClearBuffer();
    applyRange(true);
    fm_.SetOrderAt(key());
  }
  std::vector<ListRow> rows = read(n, false);
  std::reverse(rows.begin(), rows.end());
  return rows;
}

std::vector<ListRow> ListPager::after(const ListRow& row, int n) {
  if (fm_.ResetTo(row.position) != kDone) return {};
  return read(n, true);
}

std::vector<ListRow> ListPager::before(const ListRow& row, int n) {
  if (fm_.ResetTo(row.position) != kDone) return {};
  return read(n, false);
}

std::vector<ListRow> ListPager::locate(std::string_view text, int n) {
  if (fm_.EnsureOpen()) return {};
  int k = key();
  const std::string& loc = decl_.tabs.empty() ? std::string() : decl_.tabs[static_cast<std::size_t>(tab_)].locator;
  int f = loc.empty() ? -1 : fm_.layout().fieldIndex(loc);
  if (k < 0 || f < 0) return first(n);
  fm_.ClearBuffer();
  applyRange(false);
  FieldRef fr = fm_.field(f);
  if (fr.isText()) {
    fr.text() = std::string(text);
  } else {
    EntryDecl e;
    std::string problem;
    if (!setFieldText(fr, e, text, problem)) return first(n);
  }
  fm_.SetOrderAt(k);
  std::vector<ListRow> rows = read(n, true);
  if (rows.empty()) return last(n);  // past the end: the last page
  return rows;
}

std::vector<ListRow> ListPager::from(std::string_view position, int n) {
  if (position.empty() || fm_.Reget(position) != kDone) return first(n);
  // The position may carry another order (a record just added is current in
  // arrival order): read on in the list's own order from its key values.
  int k = key();
  if (k < 0) return read(n, true, true);
  if (fm_.SetOrderAt(k) != kDone) return first(n);
  std::vector<ListRow> rows = read(n, true);
  return rows.empty() ? last(n) : rows;
}

bool ListPager::fetch(const ListRow& row) { return fm_.Reget(row.position) == kDone; }

}  // namespace vel
