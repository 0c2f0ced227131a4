#include "forms/EntryText.h"

#include <charconv>

#include "common/Picture.h"

namespace vel {

namespace {

std::string trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return std::string(rtrim(s));
}

std::string promptName(const EntryDecl& e) {
  std::string p = e.prompt;
  std::string out;
  for (char c : p)
    if (c != '&') out += c;
  while (!out.empty() && (out.back() == ':' || out.back() == ' ')) out.pop_back();
  return out.empty() ? e.field : out;
}

// Text written the way a date is ("31/02/2026": day, month, four-digit
// year, one separator twice), whether or not that day exists.
bool writtenAsDate(std::string_view text) {
  std::string t = trimmed(text);
  std::size_t i = 0;
  auto digits = [&](std::size_t least, std::size_t most) {
    std::size_t start = i;
    while (i < t.size() && i - start < most && t[i] >= '0' && t[i] <= '9') ++i;
    return i - start >= least;
  };
  if (!digits(1, 2) || i >= t.size()) return false;
  char sep = t[i++];
  if (sep != '/' && sep != '-' && sep != '.') return false;
  if (!digits(1, 2) || i >= t.size() || t[i++] != sep) return false;
  return digits(4, 4) && i == t.size();
}

}  // namespace

std::string pictureFor(const FieldRef& f, std::string_view picture, EntryKind kind) {
  if (!picture.empty()) return std::string(picture);
  if (kind == EntryKind::Day || f.type() == FieldType::Date) return "d06";
  switch (f.type()) {
    case FieldType::String: return "s" + std::to_string(f.desc().width);
    case FieldType::Real: return "n_9.2";
    default: return {};
  }
}

std::string fieldText(const FieldRef& f, std::string_view picture, EntryKind kind) {
  std::string pic = pictureFor(f, picture, kind);
  if (f.isText()) return std::string(rtrim(f.text()));
  Picture p = Picture::parse(pic);
  std::string s;
  if (f.isReal()) s = p.valid() ? p.format(f.real()) : std::to_string(f.real());
  else if (p.valid()) s = p.formatWhole(f.whole());
  else s = std::to_string(f.whole());
  return trimmed(s);
}

bool setFieldText(const FieldRef& f, const EntryDecl& entry, std::string_view text,
                  std::string& problem) {
  const std::string name = promptName(entry);
  if (f.isText()) {
    std::string v(rtrim(text));
    if (static_cast<int>(v.size()) > f.desc().width) {
      problem = name + " may have at most " + std::to_string(f.desc().width) + " characters";
      return false;
    }
    f.text() = v;
    return true;
  }
  Picture p = Picture::parse(pictureFor(f, entry.picture, entry.kind));
  if (p.kind() == Picture::Kind::Day) {
    auto d = p.deformatDate(text);
    if (!d) {
      // A date written correctly that is not on the calendar says so; other
      // text is told how a date is written.
      problem = writtenAsDate(text) ? trimmed(text) + " is not a date"
                                    : name + " must be a date written as dd/mm/yyyy";
      return false;
    }
    f.whole() = *d;
    return true;
  }
  if (f.isReal()) {
    auto v = p.valid() ? p.deformatNumber(text) : std::nullopt;
    if (!v) {
      problem = name + " must be a number";
      if (p.valid() && p.decimals() > 0) problem += " such as 1250.50 or 1250,50";
      return false;
    }
    // The picture's width bounds what the field may hold, as it bounds what
    // the window shows; the refusal names the limit.
    if (p.valid() && static_cast<int>(p.format(*v).size()) > p.width()) {
      problem =
          *v > 0
              ? name + " is too large: the largest allowed is " + trimmed(p.format(p.largest()))
              : name + " is too small: the smallest allowed is " + trimmed(p.format(p.smallest()));
      return false;
    }
    f.real() = *v;
    return true;
  }
  std::string t = trimmed(text);
  if (t.empty()) t = "0";
  std::int64_t v = 0;
  const char* b = t.data();
  if (*b == '+') ++b;
  auto [end, ec] = std::from_chars(b, t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size()) {
    problem = name + " must be a whole number";
    return false;
  }
  if (v < f.minWhole() || v > f.maxWhole()) {
    problem = name + " must lie between " + std::to_string(f.minWhole()) + " and " +
              std::to_string(f.maxWhole());
    return false;
  }
  f.whole() = v;
  return true;
}

}  // namespace vel
