// The selection values the member forms hand to one another: the identity
// number last checked, the client being edited, the plan row and route last
// picked, what the client browse hands to the forms it opens, and the
// dependant counts of the policy.
//
// Each thread has its own copy: two client forms open on two threads never
// see each other's picks. The fields are plain values; only the thread that
// owns the copy reads or writes it, so no lock is needed.
#pragma once

#include <cstdint>
#include <string>

#include "members/PlanPremium.h"

namespace vel {

struct MemberContext {
  std::string GLO_ID_NUMBER;  // GLO:ID_NUMBER, the number last typed into Check4ID (text 13)
  std::string CUR_CLIENT_ID;  // client number of the policy being edited (text 10)

  // The plan row last picked in a plan list.
  std::string SEL_PLAN;    // text 5
  std::string SEL_OPTION;  // text 15
  double SEL_PREMIUM = 0;
  double SEL_PAYOVER = 0;
  double SEL_COMM = 0;
  double SEL_COVER = 0;

  std::string SEL_ROUTE;  // the route last picked in the route list (text 20)

  // The client browse's hand-overs.
  // START_DATE: the waiting-period start of the last policy added (a new
  // extended-family member's WAIT_DATE), until something else sets it.
  std::int32_t START_DATE = 0;
  // FIRST_PAYMENT: 1 when the client a payment is being added for has none
  // yet; set before the payment form opens.
  std::int8_t FIRST_PAYMENT = 0;
  // The policy's collector and agent codes, handed to the payment form.
  std::string COL_CODE;  // text 6
  std::string AGE_CODE;  // text 6
  // REMARKS_OF_HAMPER: 1 makes the remarks window edit a hamper member's
  // remarks, 0 a client's.
  std::int8_t REMARKS_OF_HAMPER = 0;

  // The policy's dependants, counted before one is added.
  std::int16_t CHILD_COUNT = 0;
  std::int16_t EXT_COUNT = 0;
  std::int16_t DEP_COUNT = 0;

  // The picked plan row as the premium rules take it.
  PlanPick selectedPlan() const;
  // A plan row picked in a plan list: SEL_PLAN ... SEL_COVER.
  void selectPlan(const PlanPick& pick);
  // Everything blank and zero, as when the thread started.
  void clear() { *this = MemberContext{}; }
};

// The calling thread's copy.
MemberContext& memberContext();

}  // namespace vel
