// Display pictures: one formatter for windows, reports and exports.
//
// A picture names how a value is written as text. The grammar:
//
//   number  n|N [~currency~] [-] [_|0] width [.decimals] [b|B]
//   date    d|D two digits       d06 = dd/mm/yyyy
//   time    t|T two digits       t01 = hh:mm, t04 = hh:mm:ss (24-hour)
//   text    s|S width
//
// Number pictures: the value is rounded to `decimals` places half away from
// zero (the rule of common/Money.h) and right-aligned in `width` characters,
// the currency text and any minus sign counting towards the width. Fill `_`
// or none pads with blanks on the left; `0` pads with zeros between the sign
// and currency and the digits ("-R012.50"). No thousands separator is used.
// A trailing `b` gives a blank field (width blanks) when the rounded value is
// zero. A negative value always shows its minus sign, with or without the `-`
// in the picture; the `-` is accepted so that pictures written with it read
// the same.
//
// A value too wide for its picture is written in full, wider than the
// picture: a report column then runs over, which shows at a glance, where
// cutting digits or printing a row of stars would hide or misstate the
// amount.
//
// Date pictures write day number 0 (no date) as blanks; time pictures write
// every time, midnight included, and never round up to the next minute.
// Text pictures pad with blanks on the right and cut longer text to the
// width, as a fixed-width text field does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vel {

class Picture {
 public:
  enum class Kind { Invalid, Number, Day, Time, Text };  // Day: a date picture

  // Reads a picture; an unreadable one gives a picture with valid() false.
  static Picture parse(std::string_view picture);

  bool valid() const { return kind_ != Kind::Invalid; }
  Kind kind() const { return kind_; }
  // Characters the picture fills (10 for d06, 5 for t01).
  int width() const { return width_; }
  int decimals() const { return decimals_; }

  // Number pictures format the value; date and time pictures take it as a
  // day number or time of day; text pictures format its plain decimal text.
  // An invalid picture gives the value's plain decimal text.
  std::string format(double value) const;
  // As format(), exact for every 64-bit whole number.
  std::string formatWhole(std::int64_t value) const;
  // Text fitted to a text picture. Other pictures show the text unchanged,
  // padded to their width (numbers on the left, others on the right).
  std::string formatText(std::string_view text) const;

  // The largest and smallest values a number picture shows within its width
  // (999999.99 and -99999.99 for n_9.2); 0 for other pictures.
  double largest() const;
  double smallest() const;

  // Reads text typed or shown in a number picture: optional blanks, an
  // optional currency text of the picture, an optional leading minus or plus,
  // digits with at most one decimal point or decimal comma ("12,50"); a comma
  // needs one to `decimals` digits after it, so that a thousands separator
  // ("1,250") is refused rather than misread. The number is rounded to the
  // picture's decimals. Blank text reads as 0 (the blank-when-zero display).
  // Anything else, or a picture that is not a number picture, gives nullopt.
  std::optional<double> deformatNumber(std::string_view text) const;
  // Reads a date for a date picture: "d/m/yyyy", "dd/mm/yyyy" or with "-" or
  // "." as the separator (the same one twice). Blank text reads as 0 (no
  // date). A date that does not exist (31/02/2026), a year that is not four
  // digits or lies outside 1801..9999, or any other text gives nullopt.
  std::optional<std::int32_t> deformatDate(std::string_view text) const;
  // Reads "h:mm", "hh:mm" or "hh:mm:ss" (24-hour) for a time picture; blank
  // text reads as 0 (midnight). Anything else gives nullopt.
  std::optional<std::int32_t> deformatTime(std::string_view text) const;

 private:
  std::string formatNumberText(bool negative, std::string digits) const;
  int wholeDigits() const;  // places left for digits before the point
  std::string formatDate(std::int64_t day) const;
  std::string formatTime(std::int64_t time) const;

  Kind kind_ = Kind::Invalid;
  int width_ = 0;
  int decimals_ = 0;
  int code_ = 0;            // the two digits of a date or time picture
  char fill_ = ' ';         // ' ' or '0'
  bool blankZero_ = false;  // trailing b
  std::string currency_;    // text between tildes
};

// Formats `value` with the picture written in `picture`.
std::string formatPicture(std::string_view picture, double value);

}  // namespace vel
