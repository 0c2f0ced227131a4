#include "common/Picture.h"

#include <charconv>
#include <cmath>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Text.h"

namespace vel {

namespace {

constexpr int kMaxWidth = 255;
constexpr int kMaxDecimals = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Reads up to `maxDigits` digits at `pos`; nullopt when there is none.
std::optional<int> readNumber(std::string_view s, std::size_t& pos, std::size_t maxDigits) {
  const std::size_t start = pos;
  int n = 0;
  while (pos < s.size() && isDigit(s[pos]) && pos - start < maxDigits)
    n = n * 10 + (s[pos++] - '0');
  if (pos == start) return std::nullopt;
  return n;
}

std::string padLeft(std::string s, int width) {
  if (static_cast<int>(s.size()) < width)
    s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

std::string padRight(std::string s, int width) {
  if (static_cast<int>(s.size()) < width) s.append(static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

std::string twoDigits(std::int64_t n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

Picture Picture::parse(std::string_view s) {
  Picture p;
  if (s.size() < 2) return p;
  const char kind = lowerAscii(s[0]);
  const std::string_view rest = s.substr(1);
  std::size_t i = 0;

  switch (kind) {
    case 'n': {
      if (rest[i] == '~') {
        const std::size_t close = rest.find('~', i + 1);
        if (close == std::string_view::npos) return {};
        p.currency_ = std::string(rest.substr(i + 1, close - i - 1));
        i = close + 1;
      }
      if (i < rest.size() && rest[i] == '-') ++i;
      if (i < rest.size() && rest[i] == '_') {
        ++i;
      } else if (i + 1 < rest.size() && rest[i] == '0' && isDigit(rest[i + 1])) {
        p.fill_ = '0';
        ++i;
      }
      const auto width = readNumber(rest, i, 3);
      if (!width || *width < 1 || *width > kMaxWidth) return {};
      p.width_ = *width;
      if (i < rest.size() && rest[i] == '.') {
        ++i;
        const auto decimals = readNumber(rest, i, 2);
        if (!decimals || *decimals > kMaxDecimals) return {};
        p.decimals_ = *decimals;
      }
      if (i < rest.size() && lowerAscii(rest[i]) == 'b') {
        p.blankZero_ = true;
        ++i;
      }
      if (i != rest.size()) return {};
      p.kind_ = Kind::Number;
      return p;
    }
    case 'd':
    case 't': {
      if (rest.size() != 2 || !isDigit(rest[0]) || !isDigit(rest[1])) return {};
      p.code_ = (rest[0] - '0') * 10 + (rest[1] - '0');
      if (kind == 'd' && p.code_ == 6) {
        p.kind_ = Kind::Day;
        p.width_ = 10;
      } else if (kind == 't' && p.code_ == 1) {
        p.kind_ = Kind::Time;
        p.width_ = 5;
      } else if (kind == 't' && p.code_ == 4) {
        p.kind_ = Kind::Time;
        p.width_ = 8;
      } else {
        return {};
      }
      return p;
    }
    case 's': {
      const auto width = readNumber(rest, i, 5);
      if (!width || *width < 1 || i != rest.size()) return {};
      p.width_ = *width;
      p.kind_ = Kind::Text;
      return p;
    }
    default:
      return {};
  }
}

std::string Picture::formatNumberText(bool negative, std::string digits) const {
  if (blankZero_ && digits.find_first_not_of("0.") == std::string::npos)
    return std::string(static_cast<std::size_t>(width_), ' ');
  std::string prefix = negative ? "-" : "";
  prefix += currency_;
  const int length = static_cast<int>(prefix.size() + digits.size());
  if (fill_ == '0' && length < width_)
    return prefix + std::string(static_cast<std::size_t>(width_ - length), '0') + digits;
  return padLeft(prefix + digits, width_);
}

std::string Picture::formatDate(std::int64_t day) const {
  if (day == 0) return std::string(static_cast<std::size_t>(width_), ' ');
  if (day < INT32_MIN || day > INT32_MAX) return std::to_string(day);
  const Ymd d = ymdFromDate(static_cast<std::int32_t>(day));
  std::string year = std::to_string(d.year);
  if (d.year >= 0 && year.size() < 4) year.insert(0, 4 - year.size(), '0');
  return twoDigits(d.day) + "/" + twoDigits(d.month) + "/" + year;
}

std::string Picture::formatTime(std::int64_t time) const {
  if (time < 0) {
    std::string out = formatTime(-time);
    out.insert(out.begin(), '-');
    return out;
  }
  const std::int64_t h = time / 360000, m = time / 6000 % 60, s = time / 100 % 60;
  std::string out = twoDigits(h) + ":" + twoDigits(m);
  if (code_ == 4) {
    out += ':';
    out += twoDigits(s);
  }
  return out;
}

std::string Picture::format(double value) const {
  switch (kind_) {
    case Kind::Number: {
      if (!std::isfinite(value)) return padLeft(fixedDecimal(value, 0), width_);
      std::string text = fixedDecimal(value, decimals_);
      const bool negative = text[0] == '-';
      if (negative) text.erase(0, 1);
      return formatNumberText(negative, std::move(text));
    }
    case Kind::Day:
    case Kind::Time:
      // Beyond this a double no longer holds whole numbers exactly.
      if (!std::isfinite(value) || std::fabs(value) > 9e15) return formatPlain(value);
      return formatWhole(std::llround(value));
    case Kind::Text:
      return formatText(formatPlain(value));
    case Kind::Invalid:
      break;
  }
  return formatPlain(value);
}

std::string Picture::formatWhole(std::int64_t value) const {
  switch (kind_) {
    case Kind::Number: {
      const bool negative = value < 0;
      // Magnitude as unsigned so that the most negative value has one too.
      const std::uint64_t magnitude =
          negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
      std::string digits = std::to_string(magnitude);
      if (decimals_ > 0) {
        digits += '.';
        digits.append(static_cast<std::size_t>(decimals_), '0');
      }
      return formatNumberText(negative, std::move(digits));
    }
    case Kind::Day:
      return formatDate(value);
    case Kind::Time:
      return formatTime(value);
    case Kind::Text:
      return formatText(std::to_string(value));
    case Kind::Invalid:
      break;
  }
  return std::to_string(value);
}

std::string Picture::formatText(std::string_view text) const {
  switch (kind_) {
    case Kind::Text:
      return padRight(std::string(text.substr(0, static_cast<std::size_t>(width_))), width_);
    case Kind::Number:
      return padLeft(std::string(text), width_);
    case Kind::Day:
    case Kind::Time:
      return padRight(std::string(text), width_);
    case Kind::Invalid:
      break;
  }
  return std::string(text);
}

std::optional<double> Picture::deformatNumber(std::string_view text) const {
  if (kind_ != Kind::Number) return std::nullopt;
  std::string_view t = trim(text);
  if (t.empty()) return 0.0;

  bool negative = false, signSeen = false;
  auto takeSign = [&] {
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
      if (signSeen) return false;
      negative = t[0] == '-';
      signSeen = true;
      t.remove_prefix(1);
    }
    return true;
  };
  if (!takeSign()) return std::nullopt;
  if (!currency_.empty() && t.size() >= currency_.size() &&
      upper(t.substr(0, currency_.size())) == upper(currency_)) {
    t = trim(t.substr(currency_.size()));
    if (!takeSign()) return std::nullopt;
  }

  // A decimal comma ("12,50") reads as the point. It is taken only where it
  // cannot be a thousands separator: no point beside it and no more digits
  // after it than the picture has decimals ("1,250" is refused, not guessed).
  std::string number;
  bool point = false, comma = false, digit = false;
  int afterComma = 0;
  for (const char c : t) {
    if (isDigit(c)) {
      digit = true;
      if (comma) ++afterComma;
      number += c;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
      comma = c == ',';
      number += '.';
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  if (comma && (afterComma == 0 || afterComma > decimals_)) return std::nullopt;
  if (number.front() == '.') number.insert(number.begin(), '0');
  if (number.back() == '.') number.pop_back();

  double value = 0;
  const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
  if (res.ec != std::errc() || res.ptr != number.data() + number.size()) return std::nullopt;

  // Keep what the picture shows: the number rounded to its decimals.
  const std::string rounded = fixedDecimal(value, decimals_);
  std::from_chars(rounded.data(), rounded.data() + rounded.size(), value);
  if (negative && value != 0) value = -value;
  return value;
}

namespace {

// Nines: `whole` of them, then a point and `decimals` more.
double nines(int whole, int decimals) {
  if (whole < 1) return 0;
  std::string s(static_cast<std::size_t>(whole), '9');
  if (decimals > 0) s += "." + std::string(static_cast<std::size_t>(decimals), '9');
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

}  // namespace

int Picture::wholeDigits() const {
  return width_ - static_cast<int>(currency_.size()) - (decimals_ > 0 ? decimals_ + 1 : 0);
}

double Picture::largest() const {
  return kind_ == Kind::Number ? nines(wholeDigits(), decimals_) : 0;
}

double Picture::smallest() const {
  // The minus sign takes one place of the width.
  return kind_ == Kind::Number ? -nines(wholeDigits() - 1, decimals_) : 0;
}

std::optional<std::int32_t> Picture::deformatDate(std::string_view text) const {
  if (kind_ != Kind::Day) return std::nullopt;
  const std::string_view t = trim(text);
  if (t.empty()) return 0;
  std::size_t i = 0;
  const auto day = readNumber(t, i, 2);
  if (!day || i >= t.size()) return std::nullopt;
  const char separator = t[i];
  if (separator != '/' && separator != '-' && separator != '.') return std::nullopt;
  ++i;
  const auto month = readNumber(t, i, 2);
  if (!month || i >= t.size() || t[i] != separator) return std::nullopt;
  ++i;
  const std::size_t yearStart = i;
  const auto year = readNumber(t, i, 4);
  if (!year || i - yearStart != 4 || i != t.size()) return std::nullopt;
  const std::int32_t date = dateFromYmd(*year, *month, *day);
  if (date == 0) return std::nullopt;
  return date;
}

std::optional<std::int32_t> Picture::deformatTime(std::string_view text) const {
  if (kind_ != Kind::Time) return std::nullopt;
  const std::string_view t = trim(text);
  if (t.empty()) return 0;
  std::size_t i = 0;
  const auto h = readNumber(t, i, 2);
  if (!h || i >= t.size() || t[i] != ':') return std::nullopt;
  ++i;
  std::size_t start = i;
  const auto m = readNumber(t, i, 2);
  if (!m || i - start != 2) return std::nullopt;
  int s = 0;
  if (i < t.size()) {
    if (t[i] != ':') return std::nullopt;
    start = ++i;
    const auto secs = readNumber(t, i, 2);
    if (!secs || i - start != 2 || i != t.size()) return std::nullopt;
    s = *secs;
  }
  const std::int32_t time = timeFromHms(*h, *m, s);
  if (time < 0) return std::nullopt;
  return time;
}

std::string formatPicture(std::string_view picture, double value) {
  return Picture::parse(picture).format(value);
}

}  // namespace vel
