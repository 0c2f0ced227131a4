// A child's cover and premium, read from the children's plan table by the
// policy's plan and the child's age group.
//
// The first five children of a policy ride on the main premium: children
// numbered 1 to 5 get premium and pay-over 0, the sixth and later the rate's
// premium and pay-over. The child's own number tells which it is, so a child
// changed later is rated as it was when it was added.
#pragma once

#include <string_view>

#include "dictionary/Dictionary.h"

namespace vel {

class DataFiles;

// The children's plan table's age group for an age in whole years:
// "0 - 11 Mth" below 1 (a date of birth in the future counts as below 1),
// "1 - 5", "6 - 13", "14 - 26"; blank past 26.
std::string_view childAgeGroup(int age);

// Children numbered up to this ride on the main premium.
inline constexpr int kFreeChildren = 5;

// Rates `child` of age `age` from its age group's row (nullptr when the table
// has none: every amount is then 0). C1_AGE = age. A child past 26 has no
// group and keeps its benefit and premiums. The benefit is the row's COVER,
// except for "14 - 26", whose benefit the table keeps in COMM.
void rateChild(rec::VelChd& child, int age, const rec::PlanChd* row);

// ChildRate: looks up the row of plan `plan` (SEL_PLAN, the policy's plan
// code) and the child's age group, and rates the child. Gives kDone, or the
// level of a failed read (shown through the error manager; the child is then
// left as it was).
int ChildRate(DataFiles& files, rec::VelChd& child, std::string_view plan, int age);

// The child's identity number accepted: `ageFromId` is the age its date
// gives. A blank number gives no age and no rating: the child is left as it
// is and kDone given.
int rateOnIdNumber(DataFiles& files, rec::VelChd& child, std::string_view plan, int ageFromId);

}  // namespace vel
