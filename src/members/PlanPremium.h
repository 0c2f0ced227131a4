// A policy's premium: the plan and option picked for it, its children's
// premiums and the hamper add-on.
//
// The policy's money fields always follow from the plan row, never from
// what they held before:
//   PREMIUM   = the plan's premium + every child's PREMIUM
//   PREMTOPAY = the plan's pay-over + every child's PREM2PAY
//   PLANPREM  = PREMIUM + HAMPER, the amount the invoice run bills
// Children ride free on plan A's "Family 10" option, where their premiums are
// not added. Once the policy holder is a member of the hamper scheme, the
// hamper contribution is billed on the hamper ledger instead, and PLANPREM is
// PREMIUM alone (what copying the policy holder to the hamper scheme sets).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"

namespace vel {

class DataFiles;

// The plan row picked in the plan list: the values the list hands to the
// client form (SEL_PLAN, SEL_OPTION, SEL_PREMIUM, SEL_PAYOVER, SEL_COMM,
// SEL_COVER).
struct PlanPick {
  std::string plan;    // SEL_PLAN
  std::string option;  // SEL_OPTION
  double premium = 0;  // SEL_PREMIUM
  double payOver = 0;  // SEL_PAYOVER
  double comm = 0;     // SEL_COMM, not stored on the policy
  double cover = 0;    // SEL_COVER
};
PlanPick planPickOf(const rec::Plan& row);

// What the plan row charges the policy holder alone each month.
struct PlanRate {
  double premium = 0;  // the plan row's PREMIUM
  double payOver = 0;  // the plan row's PAY_OVER
};

// The children's premiums of one policy, summed.
struct ChildPremiums {
  double premium = 0;  // sum of VelChd.PREMIUM
  double payOver = 0;  // sum of VelChd.PREM2PAY
};

// False on plan A with the "Family 10" option, whose children ride free.
bool childrenAddToPremium(std::string_view plan, std::string_view option);

// The amount the invoice run bills: PREMIUM plus HAMPER, or PREMIUM alone
// when the hamper contribution is billed on the hamper ledger.
double totalPremium(const rec::VelCli& client, bool hamperBilledApart);

// Sets PREMIUM, PREMTOPAY and PLANPREM from the plan rate and the children,
// by the rules above. Amounts are kept at cents.
void setPolicyPremium(rec::VelCli& client, const PlanRate& plan, const ChildPremiums& children,
                      bool hamperBilledApart);

// A plan row picked for the policy: OPTION, PLAN, BENEFIT from the row;
// HAMPER = `hamperPremium` when the policy holder is in the hamper scheme
// (HAM_BYTE set), else 0; then the premiums as setPolicyPremium.
void applyPlanPick(rec::VelCli& client, const PlanPick& pick, double hamperPremium,
                   const ChildPremiums& children, bool hamperBilledApart);

// --- Reading the files. Each gives kDone or, after a failed read that has
// been shown through the error manager, the failure's level.

// The premium of the plan row coded "HAM", the hamper add-on; 0 when the
// plan table has no such row.
int readHamperPremium(DataFiles& files, double& premium);

// Whether `clientId` is already a member of the hamper scheme.
int readHamperMembership(DataFiles& files, std::string_view clientId, bool& member);

// The children's premiums of `clientId`, whatever the children's status.
int readChildPremiums(DataFiles& files, std::string_view clientId, ChildPremiums& sum);

// The rate of the plan table's first row with this plan code and option
// (option compared without case or trailing blanks); nothing when there is
// no such row.
int readPlanRate(DataFiles& files, std::string_view plan, std::string_view option,
                 std::optional<PlanRate>& rate);

// A plan row picked in the plan list, applied to the client's record with
// the hamper add-on and the children it has on file.
int pickPlan(DataFiles& files, rec::VelCli& client, const PlanPick& pick);

// The premium worked out again from the plan and the children on file, when
// the status is set or the policy set Active. `picked` is the plan row picked
// on this opening of the form, if any; otherwise the plan table's row for the
// policy's plan and option is the starting point. When the plan table has no
// such row the premiums are left as they are and kRefused is given, so that
// nothing is counted twice and nothing is lost.
int recomputePremium(DataFiles& files, rec::VelCli& client,
                     const std::optional<PlanRate>& picked);

}  // namespace vel
