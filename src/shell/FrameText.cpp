#include "shell/FrameText.h"

#include <cstdio>

#include "common/Dates.h"
#include "dictionary/Field.h"

namespace vel {

namespace {

std::string padded(std::string_view s, std::size_t width) {
  std::string out(s.substr(0, width));
  out.resize(width, ' ');
  return out;
}

constexpr std::string_view kWeekdays =
    "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";
constexpr const char* kMonths[] = {"January", "February", "March",     "April",
                                   "May",     "June",     "July",      "August",
                                   "September", "October", "November", "December"};

}  // namespace

std::string versionFromTitle(std::string_view title) {
  constexpr std::string_view kMark = "Version ";
  auto at = title.find(kMark);
  if (at == std::string_view::npos) return "[]";
  std::string_view v = title.substr(at + kMark.size(), 8);
  return "[" + std::string(rtrim(v)) + "]";
}

std::string openedFrameTitle(std::string_view title, std::string_view businessName,
                             std::string_view branchId) {
  return std::string(title) + " - " + padded(businessName, 50) + "    Ref No KX" +
         padded(branchId, 4);
}

std::string statusUser(std::string_view logprog) {
  return "User: " + std::string(rtrim(logprog));
}

std::string weekdayName(std::int32_t day) {
  return std::string(rtrim(kWeekdays.substr(static_cast<std::size_t>(9 * weekday(day)), 9)));
}

std::string statusDay(std::int32_t day) {
  Ymd d = ymdFromDate(day);
  return weekdayName(day) + ", " + kMonths[(d.month + 11) % 12] + " " + std::to_string(d.day) +
         ", " + std::to_string(d.year);
}

std::string statusTime(std::int32_t timeOfDay) {
  int h = 0, m = 0, s = 0, hs = 0;
  hmsFromTime(timeOfDay, h, m, s, hs);
  const char* half = h >= 12 ? "PM" : "AM";
  int h12 = h % 12 == 0 ? 12 : h % 12;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d:%02d %s", h12, m, half);
  return buf;
}

}  // namespace vel
