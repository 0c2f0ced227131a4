// Plan codes: which age plan a policy is on.
//
// The plan table codes its age plans with one letter ("A", "B", "C", "D");
// policies written by older versions may hold the long form ("Plan A"). Every
// rule that asks "is this policy on plan A?" asks it here, so both forms are
// treated alike everywhere: the dependant buttons, the children's premium
// exception, the age text of the policy documents.
#pragma once

#include <string_view>

namespace vel {

// True when `plan` is age plan `letter` ('A', 'B', ...): the one-letter code
// or the long form, without regard to case or surrounding blanks ("A", "a",
// "Plan A"). Any other code ("HAM", "AB", blank) is no age plan.
bool isPlan(std::string_view plan, char letter);

// The code as the plan table holds it: the long form's "Plan " taken off
// and surrounding blanks trimmed ("Plan A" -> "A", " HAM " -> "HAM").
std::string_view planTableCode(std::string_view plan);

// The age band printed on the policy documents: "<64" for plan A, "65 - 74"
// for plan B, ">75" for plan C, blank for any other plan.
std::string_view documentAgeText(std::string_view plan);

}  // namespace vel
