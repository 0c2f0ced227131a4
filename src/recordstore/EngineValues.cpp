#include "recordstore/EngineValues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/Dates.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"

namespace vel::store {

int ok() {
  clearEngineStatus();
  return ecode::kNone;
}

int fail(int code, std::string_view detail) {
  std::string text = engineCodeText(code);
  if (!detail.empty()) text += ": " + std::string(detail);
  setEngineStatus(code, text);
  return code;
}

std::string quoteId(std::string_view name) {
  std::string s = "\"";
  for (char c : name) {
    if (c == '"') s += '"';
    s += c;
  }
  return s + "\"";
}

std::uint64_t fnv1a(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string ownerHash(std::string_view owner) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%016llx",
                static_cast<unsigned long long>(fnv1a(std::string("velmora-owner:") +
                                                      std::string(owner))));
  return buf;
}

void toCell(const FieldDesc& f, void* rec, Cell& c) {
  FieldRef r(f, rec);
  if (isText(f.type)) {
    c.s.assign(rtrim(r.text()));
  } else if (isReal(f.type)) {
    c.d = r.real();
  } else if (f.type == FieldType::Date) {
    c.i = dateToYyyymmdd(static_cast<std::int32_t>(r.whole()));
  } else {
    c.i = r.whole();
  }
}

void fromCell(const FieldDesc& f, void* rec, const Cell& c) {
  FieldRef r(f, rec);
  if (isText(f.type)) {
    r.text().assign(c.s);
  } else if (isReal(f.type)) {
    r.real() = c.d;
  } else if (f.type == FieldType::Date) {
    r.whole() = yyyymmddToDate(static_cast<std::int32_t>(c.i));
  } else {
    r.whole() = c.i;
  }
}

int checkFits(const Layout& l, void* rec) {
  for (std::size_t i = 0; i < l.fields().size(); ++i) {
    const FieldDesc& f = l.fields()[i];
    FieldRef r(f, rec);
    if (isText(f.type)) {
      std::size_t n = rtrim(r.text()).size();
      if (n > static_cast<std::size_t>(f.width))
        return fail(ecode::kValueDoesNotFit, std::string(f.name) + " holds " + std::to_string(n) +
                                                 " characters, at most " +
                                                 std::to_string(f.width) + " fit");
    } else if (isReal(f.type)) {
      if (!std::isfinite(r.real()))
        return fail(ecode::kValueDoesNotFit, std::string(f.name) + " is not a number");
    } else {
      std::int64_t v = r.whole();
      bool fits = v >= r.minWhole() && v <= r.maxWhole();
      if (fits && f.type == FieldType::Date && v != 0)
        fits = dateToYyyymmdd(static_cast<std::int32_t>(v)) != 0;
      if (!fits)
        return fail(ecode::kValueDoesNotFit, std::string(f.name) + " = " + std::to_string(v) +
                                                 " is outside " + std::to_string(r.minWhole()) +
                                                 " to " + std::to_string(r.maxWhole()));
    }
  }
  return ecode::kNone;
}

void keyCells(const Layout& l, int key, const void* rec, std::vector<Cell>& out) {
  const KeyDesc& k = l.keys()[static_cast<std::size_t>(key)];
  out.resize(k.components.size());
  for (std::size_t j = 0; j < k.components.size(); ++j)
    toCell(l.fields()[static_cast<std::size_t>(k.components[j])], const_cast<void*>(rec), out[j]);
}

bool allEmpty(const Layout& l, int key, const std::vector<Cell>& vals) {
  const KeyDesc& k = l.keys()[static_cast<std::size_t>(key)];
  for (std::size_t j = 0; j < k.components.size(); ++j) {
    FieldType t = l.fields()[static_cast<std::size_t>(k.components[j])].type;
    if (isText(t) ? !vals[j].s.empty() : isReal(t) ? vals[j].d != 0 : vals[j].i != 0) return false;
  }
  return true;
}

std::string encodePosition(const Layout& l, int order, std::int64_t id,
                           const std::vector<Cell>& vals) {
  if (id == 0) return {};
  std::string p = "R" + std::to_string(order) + ";" + std::to_string(id) + ";";
  if (order >= 0) {
    const KeyDesc& k = l.keys()[static_cast<std::size_t>(order)];
    for (std::size_t j = 0; j < k.components.size(); ++j) {
      FieldType t = l.fields()[static_cast<std::size_t>(k.components[j])].type;
      const Cell& c = vals[j];
      std::string v;
      if (isText(t)) {
        v = c.s;
      } else if (isReal(t)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", c.d);
        v = buf;
      } else {
        v = std::to_string(c.i);
      }
      p += std::to_string(v.size()) + ":" + v;
    }
  }
  return p;
}

bool decodePosition(const Layout& l, std::string_view pos, int& order, std::int64_t& id,
                    std::vector<Cell>& vals) {
  if (pos.size() < 2 || pos[0] != 'R') return false;
  std::size_t a = pos.find(';', 1);
  if (a == std::string_view::npos) return false;
  std::size_t b = pos.find(';', a + 1);
  if (b == std::string_view::npos) return false;
  order = std::atoi(std::string(pos.substr(1, a - 1)).c_str());
  id = std::atoll(std::string(pos.substr(a + 1, b - a - 1)).c_str());
  if (order < kPhysicalOrder || order >= static_cast<int>(l.keys().size())) return false;
  vals.clear();
  std::size_t p = b + 1;
  if (order >= 0) {
    const KeyDesc& k = l.keys()[static_cast<std::size_t>(order)];
    for (int comp : k.components) {
      std::size_t colon = pos.find(':', p);
      if (colon == std::string_view::npos) return false;
      std::size_t len =
          static_cast<std::size_t>(std::atoll(std::string(pos.substr(p, colon - p)).c_str()));
      if (colon + 1 + len > pos.size()) return false;
      std::string v(pos.substr(colon + 1, len));
      Cell c;
      FieldType t = l.fields()[static_cast<std::size_t>(comp)].type;
      if (isText(t)) c.s = v;
      else if (isReal(t)) c.d = std::strtod(v.c_str(), nullptr);
      else c.i = std::atoll(v.c_str());
      vals.push_back(std::move(c));
      p = colon + 1 + len;
    }
  }
  return true;
}

int chooseReadFields(const Layout& l, const std::vector<int>& fields, std::vector<int>& selected,
                     std::vector<bool>& fill) {
  const auto& fs = l.fields();
  selected.clear();
  fill.assign(fs.size(), false);
  if (!fields.empty()) {
    std::vector<bool> in(fs.size(), false);
    for (int f : fields) {
      if (f < 0 || static_cast<std::size_t>(f) >= fs.size())
        return fail(ecode::kNotSupported, "no such field");
      in[static_cast<std::size_t>(f)] = fill[static_cast<std::size_t>(f)] = true;
    }
    for (const auto& k : l.keys())
      for (int c : k.components) in[static_cast<std::size_t>(c)] = true;
    for (std::size_t i = 0; i < fs.size(); ++i)
      if (in[i]) selected.push_back(static_cast<int>(i));
    if (selected.size() == fs.size() && std::find(fill.begin(), fill.end(), false) == fill.end())
      selected.clear();  // every field: an ordinary read
  }
  if (selected.empty()) fill.clear();
  return ecode::kNone;
}

namespace {

// A whole number of at least 0 (-1 when `v` is none).
int wholeNumber(std::string_view v) {
  int n = 0;
  const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
  return r.ec == std::errc() && r.ptr == v.data() + v.size() && n >= 0 ? n : -1;
}

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

int takeOption(std::string_view opt, FileOptions& into) {
  const auto eq = opt.find('=');
  const std::string_view name = opt.substr(0, eq);
  const std::string_view value = eq == std::string_view::npos ? std::string_view() : opt.substr(eq + 1);
  if (sameLetters(name, "RECOVER")) {
    // Seconds that are no number leave the wait as it was.
    if (int secs = wholeNumber(value); secs > 0) into.waitSeconds = secs;
    return ok();
  }
  if (sameLetters(name, "FULLBUILD")) {
    into.fullBuild = sameLetters(value, "ON");
    return ok();
  }
  if (sameLetters(name, "PAGE")) {
    const int n = wholeNumber(value);
    if (n < 0) return fail(ecode::kNotSupported, "PAGE takes a number of records");
    into.wanted = n;
    return ok();
  }
  return fail(ecode::kNotSupported, "unknown option " + std::string(opt));
}

}  // namespace vel::store
