#include "members/PlanCode.h"

#include <cctype>

namespace vel {

namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

// The code without the long form's "Plan " in front ("Plan A" -> "A").
std::string_view code(std::string_view plan) {
  std::string_view s = trimmed(plan);
  constexpr std::string_view kLong = "PLAN ";
  if (s.size() > kLong.size()) {
    bool longForm = true;
    for (std::size_t i = 0; i < kLong.size() && longForm; ++i) longForm = upper(s[i]) == kLong[i];
    if (longForm) s = trimmed(s.substr(kLong.size()));
  }
  return s;
}

}  // namespace

std::string_view planTableCode(std::string_view plan) { return code(plan); }

bool isPlan(std::string_view plan, char letter) {
  const std::string_view c = code(plan);
  return c.size() == 1 && upper(c.front()) == upper(letter);
}

std::string_view documentAgeText(std::string_view plan) {
  if (isPlan(plan, 'A')) return "<64";
  if (isPlan(plan, 'B')) return "65 - 74";
  if (isPlan(plan, 'C')) return ">75";
  return {};
}

}  // namespace vel
