#include "forms/ListPager.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "errors/ErrorManager.h"
#include "forms/EntryText.h"
#include "recordstore/FileManager.h"
#include "recordstore/PageWanted.h"

namespace vel {

namespace {

// A key text read as a number between two ends, for the scroll bar: the
// characters after the prefix both ends share are the digits of a
// mixed-radix fraction, each place counted in the kind of character the ends
// hold there (digits 0-9, letters A-Z without case, or any printable
// character). "Town 0000" to "Town 1998" then spreads evenly over its
// numbers and "Abrahams" to "Zwane" over the alphabet.
class TextScale {
 public:
  TextScale(std::string_view lo, std::string_view hi) : lo_(lo) {
    std::size_t p = 0;
    while (p < lo.size() && p < hi.size() && fold(lo[p]) == fold(hi[p])) ++p;
    prefix_ = p;
    double w = 1;
    for (int i = 0; i < kPlaces; ++i) {
      std::size_t at = p + static_cast<std::size_t>(i);
      Kind a = at < lo.size() ? kindOf(lo[at]) : Kind::None;
      Kind b = at < hi.size() ? kindOf(hi[at]) : Kind::None;
      Kind k = a == Kind::None ? b : b == Kind::None ? a : a == b ? a : Kind::Other;
      if (k == Kind::None) k = Kind::Other;
      kinds_[i] = k;
      w /= radix(k);
      weight_[i] = w;
    }
    low_ = value(lo);
    span_ = value(hi) - low_;
  }

  double fraction(std::string_view s) const {
    if (span_ <= 0) return 0;
    return std::clamp((value(s) - low_) / span_, 0.0, 1.0);
  }

  std::string at(double f) const {
    double target = low_ + std::clamp(f, 0.0, 1.0) * span_;
    std::string out(lo_.substr(0, prefix_));
    for (int i = 0; i < kPlaces; ++i) {
      int d = std::clamp(static_cast<int>(std::floor(target / weight_[i] + 1e-9)), 0,
                         radix(kinds_[i]) - 1);
      target -= d * weight_[i];
      out += charOf(d, kinds_[i]);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  }

 private:
  enum class Kind { None, Digit, Letter, Other };
  static constexpr int kPlaces = 8;

  static unsigned char fold(char c) {
    return static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
  }
  static Kind kindOf(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isdigit(u) ? Kind::Digit : std::isalpha(u) ? Kind::Letter : Kind::Other;
  }
  static int radix(Kind k) { return k == Kind::Digit ? 10 : k == Kind::Letter ? 26 : 95; }
  static int digitOf(char c, Kind k) {
    int u = fold(c);
    switch (k) {
      case Kind::Digit: return std::clamp(u - '0', 0, 9);
      case Kind::Letter: return std::clamp(u - 'A', 0, 25);
      default: return std::clamp(u - ' ', 0, 94);
    }
  }
  static char charOf(int d, Kind k) {
    return static_cast<char>(k == Kind::Digit ? '0' + d : k == Kind::Letter ? 'A' + d : ' ' + d);
  }
  double value(std::string_view s) const {
    double v = 0;
    for (int i = 0; i < kPlaces; ++i) {
      std::size_t at = prefix_ + static_cast<std::size_t>(i);
      if (at >= s.size()) break;
      v += digitOf(s[at], kinds_[i]) * weight_[i];
    }
    return v;
  }

  std::string_view lo_;
  std::size_t prefix_ = 0;
  Kind kinds_[kPlaces] = {};
  double weight_[kPlaces] = {};
  double low_ = 0, span_ = 0;
};

}  // namespace

ListPager::ListPager(FileManager& file, const ListDecl& decl) : fm_(file), decl_(decl) {}

void ListPager::setTab(int tab) {
  if (tab >= 0 && tab < static_cast<int>(decl_.tabs.size())) tab_ = tab;
  ends_.clear();
}

void ListPager::setRange(std::vector<std::pair<std::string, std::string>> fieldValues) {
  range_.clear();
  for (auto& [name, value] : fieldValues) {
    int f = fm_.layout().fieldIndex(name);
    if (f >= 0) range_.emplace_back(f, std::move(value));
  }
  ends_.clear();
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
  PageWanted wanted(fm_, includeCurrent ? n - 1 : n);
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
    // Typed as the list shows it: a date as dd/mm/yyyy.
    EntryDecl e;
    for (const ColumnDecl& c : decl_.columns)
      if (c.field == loc && !c.text) e.picture = c.picture;
    std::string problem;
    if (!setFieldText(fr, e, text, problem)) return {};
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

std::int64_t ListPager::count() {
  if (fm_.EnsureOpen()) return 0;
  if (range_.empty()) return fm_.Records();
  // A range (one bank's branches) is counted each time the list beside it
  // moves, so the count stops at a limit: such ranges are short, and past it
  // the bar still comes right at either end of the range.
  constexpr std::int64_t kLimit = 20000;
  fm_.ClearBuffer();
  applyRange(false);
  if (fm_.SetOrderAt(key()) != kDone) return 0;
  std::int64_t n = 0;
  while (n < kLimit && fm_.TryReadNext() == kDone && inRange()) ++n;
  return n;
}

std::vector<ListPager::KeyPart> ListPager::keyParts() {
  std::vector<KeyPart> out;
  int k = key();
  if (k < 0) return out;
  for (int c : fm_.layout().keys()[static_cast<std::size_t>(k)].components) {
    FieldRef f = fm_.field(c);
    KeyPart p;
    if (f.isText()) {
      p.text = true;
      p.s = std::string(rtrim(f.text()));
    } else {
      p.d = f.isReal() ? f.real() : static_cast<double>(f.whole());
    }
    out.push_back(std::move(p));
  }
  return out;
}

bool ListPager::measureEnds() {
  if (!ends_.empty()) return true;
  if (key() < 0) return false;
  std::vector<ListRow> a = first(1), b = last(1);
  if (a.empty() || b.empty() || !fetch(a.front())) return false;
  std::vector<KeyPart> lo = keyParts();
  if (!fetch(b.front())) return false;
  ends_ = {std::move(lo), keyParts()};
  return true;
}

namespace {

// The first key component in which the first and last records differ: the
// one a place in the list is measured by.
template <class Parts>
std::size_t differing(const Parts& lo, const Parts& hi) {
  std::size_t j = 0;
  for (; j < lo.size(); ++j) {
    bool same = lo[j].text ? std::equal(lo[j].s.begin(), lo[j].s.end(), hi[j].s.begin(), hi[j].s.end(),
                                        [](char x, char y) {
                                          return std::toupper(static_cast<unsigned char>(x)) ==
                                                 std::toupper(static_cast<unsigned char>(y));
                                        })
                           : lo[j].d == hi[j].d;
    if (!same) break;
  }
  return j;
}

}  // namespace

double ListPager::place(const ListRow& row) {
  if (!measureEnds() || !fetch(row)) return -1;
  const auto& lo = ends_[0];
  const auto& hi = ends_[1];
  std::size_t j = differing(lo, hi);
  if (j >= lo.size()) return 0;  // one run of equal keys
  std::vector<KeyPart> mine = keyParts();
  if (mine.size() != lo.size()) return -1;
  // Components before j are equal at both ends, so equal in every row.
  if (lo[j].text) return TextScale(lo[j].s, hi[j].s).fraction(mine[j].s);
  double span = hi[j].d - lo[j].d;
  return span > 0 ? std::clamp((mine[j].d - lo[j].d) / span, 0.0, 1.0) : 0;
}

std::vector<ListRow> ListPager::at(double fraction, int n) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (!measureEnds()) {
    // Record order: step over the records before that place, up to a limit.
    std::int64_t skip = static_cast<std::int64_t>(fraction * static_cast<double>(count()));
    std::vector<ListRow> rows = first(1);
    if (rows.empty()) return rows;
    for (std::int64_t i = 1; i < std::min<std::int64_t>(skip, 50000); ++i)
      if (fm_.TryReadNext() != kDone) break;
    rows = read(n, true, true);
    return rows.empty() ? last(n) : rows;
  }
  const auto& lo = ends_[0];
  const auto& hi = ends_[1];
  std::size_t j = differing(lo, hi);
  if (j >= lo.size()) return first(n);
  int k = key();
  const auto& comps = fm_.layout().keys()[static_cast<std::size_t>(k)].components;
  fm_.ClearBuffer();
  applyRange(false);
  for (std::size_t c = 0; c <= j; ++c) {
    FieldRef f = fm_.field(comps[c]);
    const KeyPart& a = lo[c];
    if (a.text) {
      std::string v = c < j ? a.s : TextScale(a.s, hi[c].s).at(fraction);
      if (v.size() > static_cast<std::size_t>(f.desc().width))
        v.resize(static_cast<std::size_t>(f.desc().width));
      f.text() = v;
    } else {
      double v = c < j ? a.d : a.d + fraction * (hi[c].d - a.d);
      if (f.isReal()) f.real() = v;
      else f.whole() = static_cast<std::int64_t>(std::floor(v));
    }
  }
  if (fm_.SetOrderAt(k) != kDone) return first(n);
  std::vector<ListRow> rows = read(n, true);
  return rows.empty() ? last(n) : rows;
}

bool ListPager::fetch(const ListRow& row) { return fm_.Reget(row.position) == kDone; }

}  // namespace vel
