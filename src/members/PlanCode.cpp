#include "members/PlanCode.h"

#include <cctype>

#include "common/Text.h"

namespace vel {

namespace {

char upperAscii(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The code without the long form's "Plan " in front ("Plan A" -> "A").
std::string_view code(std::string_view plan) {
  std::string_view s = trim(plan);
  constexpr std::string_view kLong = "Plan ";
  if (s.size() > kLong.size() && equalsNoCase(s.substr(0, kLong.size() - 1), "Plan") &&
      s[kLong.size() - 1] == ' ')
    s = trim(s.substr(kLong.size()));
  return s;
}

}  // namespace

std::string_view planTableCode(std::string_view plan) { return code(plan); }

bool isPlan(std::string_view plan, char letter) {
  const std::string_view c = code(plan);
  return c.size() == 1 && upperAscii(c.front()) == upperAscii(letter);
}

std::string_view documentAgeText(std::string_view plan) {
  if (isPlan(plan, 'A')) return "<64";
  if (isPlan(plan, 'B')) return "65 - 74";
  if (isPlan(plan, 'C')) return ">75";
  return {};
}

}  // namespace vel
