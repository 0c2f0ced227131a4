#include "members/MemberContext.h"

namespace vel {

PlanPick MemberContext::selectedPlan() const {
  PlanPick p;
  p.plan = SEL_PLAN;
  p.option = SEL_OPTION;
  p.premium = SEL_PREMIUM;
  p.payOver = SEL_PAYOVER;
  p.comm = SEL_COMM;
  p.cover = SEL_COVER;
  return p;
}

void MemberContext::selectPlan(const PlanPick& pick) {
  SEL_PLAN = pick.plan;
  SEL_OPTION = pick.option;
  SEL_PREMIUM = pick.premium;
  SEL_PAYOVER = pick.payOver;
  SEL_COMM = pick.comm;
  SEL_COVER = pick.cover;
}

MemberContext& memberContext() {
  thread_local MemberContext context;
  return context;
}

}  // namespace vel
