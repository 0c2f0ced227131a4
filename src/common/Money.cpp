#include "common/Money.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vel {

namespace {

// Significant digits a double reliably carries; reading a value back at this
// precision removes the binary error left by typing or by arithmetic.
constexpr int kSignificant = 15;

}  // namespace

std::string fixedDecimal(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;

  // d.dddddddddddddde±x: the 15 significant digits and the decimal exponent.
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, kSignificant - 1);
  std::string digits;
  const char* p = buf;
  for (; p != res.ptr && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exponent = 0;
  if (p != res.ptr) {
    const char* e = p + 1;
    if (e != res.ptr && *e == '+') ++e;  // from_chars takes a minus but no plus
    std::from_chars(e, res.ptr, exponent);
  }

  // Lay the digits out around the decimal point: `intLen` digits before it.
  const int intLen = exponent + 1;
  std::string whole, fraction;
  if (intLen <= 0) {
    whole = "0";
    fraction = std::string(static_cast<std::size_t>(-intLen), '0') + digits;
  } else if (intLen >= static_cast<int>(digits.size())) {
    whole = digits + std::string(static_cast<std::size_t>(intLen) - digits.size(), '0');
  } else {
    whole = digits.substr(0, static_cast<std::size_t>(intLen));
    fraction = digits.substr(static_cast<std::size_t>(intLen));
  }

  // Keep `decimals` places; the next digit decides, half going away from zero.
  const auto places = static_cast<std::size_t>(decimals);
  const bool roundUp = fraction.size() > places && fraction[places] >= '5';
  fraction.resize(places, '0');
  std::string kept = whole + fraction;
  if (roundUp) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i - 1];
  }

  std::string intPart = kept.substr(0, kept.size() - places);
  const std::size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
  const bool isZero = kept.find_first_not_of('0') == std::string::npos;

  std::string out;
  if (value < 0 && !isZero) out += '-';
  out += intPart;
  if (places > 0) {
    out += '.';
    out += kept.substr(kept.size() - places);
  }
  return out;
}

std::int64_t toCents(double rand) {
  if (std::isnan(rand)) return 0;
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  // Beyond about 9.2e16 rand the cents no longer fit; 9e16 keeps clear of it.
  if (rand >= 9e16) return kMax;
  if (rand <= -9e16) return kMin;
  const std::string text = fixedDecimal(rand, 2);
  std::int64_t cents = 0;
  bool negative = false;
  for (const char c : text) {
    if (c == '-') negative = true;
    if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
  }
  return negative ? -cents : cents;
}

double fromCents(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

double roundCents(double rand) {
  if (!std::isfinite(rand)) return rand;
  return fromCents(toCents(rand));
}

bool sameMoney(double a, double b) { return toCents(a) == toCents(b); }

int compareMoney(double a, double b) {
  const std::int64_t ca = toCents(a), cb = toCents(b);
  return ca < cb ? -1 : (ca > cb ? 1 : 0);
}

}  // namespace vel
