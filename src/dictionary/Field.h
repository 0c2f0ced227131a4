// Field types of the record layouts.
//
// A record is a plain struct of these field objects, declared once per file
// (see Layout.h). Each field knows its stored type and width; the value it
// holds in memory may be wider than the stored field (a text longer than its
// width, a number outside its range) so that the record store can refuse such
// a write with a clear message instead of cutting or wrapping it silently.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vel {

enum class FieldType : std::uint8_t { String, Byte, Short, Long, Date, Real };

// Bytes a field of this type takes in the stored record (text: its width).
constexpr int storedBytes(FieldType t, int width) {
  switch (t) {
    case FieldType::String: return width;
    case FieldType::Byte: return 1;
    case FieldType::Short: return 2;
    case FieldType::Long: return 4;
    case FieldType::Date: return 4;
    case FieldType::Real: return 8;
  }
  return 0;
}

const char* fieldTypeName(FieldType t);

// Text without its trailing blanks.
inline std::string_view rtrim(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

// Fixed-width text, padded with blanks when stored. Comparisons ignore
// trailing blanks; they are case-sensitive (keys compare without case, which
// the record store does for itself).
template <int N>
struct Text {
  static constexpr FieldType kType = FieldType::String;
  static constexpr int kWidth = N;
  std::string value;

  Text() = default;
  Text(std::string_view s) : value(s) {}  // NOLINT: plain assignment reads best
  Text& operator=(std::string_view s) { value.assign(s); return *this; }
  Text& operator=(const std::string& s) { value.assign(s); return *this; }
  Text& operator=(const char* s) { value.assign(s); return *this; }

  std::string_view str() const { return rtrim(value); }
  std::string text() const { return std::string(str()); }
  bool blank() const { return str().empty(); }
  void clear() { value.clear(); }
  // Cuts the text to the field's width, where the system asks for that.
  void cut() { if (value.size() > N) value.resize(N); }

  operator std::string_view() const { return str(); }  // NOLINT
  friend bool operator==(const Text& a, std::string_view b) { return a.str() == rtrim(b); }
  friend bool operator==(const Text& a, const Text& b) { return a.str() == b.str(); }
  friend bool operator==(const Text& a, const char* b) { return a.str() == rtrim(b); }
};

// Whole-number field. Holds any 64-bit value in memory; the record store
// refuses a write whose value lies outside [kMin, kMax].
template <FieldType T, std::int64_t Lo, std::int64_t Hi>
struct Whole {
  static constexpr FieldType kType = T;
  static constexpr int kWidth = storedBytes(T, 0);
  static constexpr std::int64_t kMin = Lo;
  static constexpr std::int64_t kMax = Hi;
  std::int64_t value = 0;

  Whole() = default;
  Whole(std::int64_t v) : value(v) {}  // NOLINT
  Whole& operator=(std::int64_t v) { value = v; return *this; }
  operator std::int64_t() const { return value; }  // NOLINT
  Whole& operator+=(std::int64_t v) { value += v; return *this; }
  Whole& operator-=(std::int64_t v) { value -= v; return *this; }
  Whole& operator++() { ++value; return *this; }
  Whole& operator--() { --value; return *this; }
  bool inRange() const { return value >= Lo && value <= Hi; }
};

using Byte = Whole<FieldType::Byte, 0, 255>;
using Short = Whole<FieldType::Short, -32768, 32767>;
using Long = Whole<FieldType::Long, std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max()>;
// Calendar date: stored as day, month and year, read as a day number.
// 2958464 is the day number of 31/12/9999 (day 1 = 1 January 1900), the same
// value as maxDate() in common/Dates.h; a test keeps the two equal.
using Date = Whole<FieldType::Date, 0, 2958464>;

// Money and other amounts: an 8-byte double in rand.
struct Real {
  static constexpr FieldType kType = FieldType::Real;
  static constexpr int kWidth = 8;
  double value = 0;

  Real() = default;
  Real(double v) : value(v) {}  // NOLINT
  Real& operator=(double v) { value = v; return *this; }
  operator double() const { return value; }  // NOLINT
  Real& operator+=(double v) { value += v; return *this; }
  Real& operator-=(double v) { value -= v; return *this; }
};

}  // namespace vel
