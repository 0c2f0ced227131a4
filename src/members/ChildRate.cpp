#include "members/ChildRate.h"

#include "members/ClientRecords.h"
#include "members/PlanCode.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {
constexpr std::string_view kOldestGroup = "14 - 26";
}

std::string_view childAgeGroup(int age) {
  if (age < 1) return "0 - 11 Mth";
  if (age <= 5) return "1 - 5";
  if (age <= 13) return "6 - 13";
  if (age <= 26) return kOldestGroup;
  return {};
}

void rateChild(rec::VelChd& child, int age, const rec::PlanChd* row) {
  child.C1_AGE = age;
  const std::string_view group = childAgeGroup(age);
  if (group.empty()) return;
  const rec::PlanChd none{};
  const rec::PlanChd& r = row ? *row : none;
  child.C1_BENEFIT = group == kOldestGroup ? r.COMM.value : r.COVER.value;
  if (child.NUMBER.value <= kFreeChildren) {
    child.PREMIUM = 0.0;
    child.PREM2PAY = 0.0;
  } else {
    child.PREMIUM = r.PREMIUM.value;
    child.PREM2PAY = r.PAYOVER.value;
  }
}

int ChildRate(DataFiles& files, rec::VelChd& child, std::string_view plan, int age) {
  const std::string_view group = childAgeGroup(age);
  if (group.empty()) {
    rateChild(child, age, nullptr);
    return kDone;
  }
  FileManager& f = files.fm<rec::PlanChd>();
  FileUse use(f);
  if (int level = f.EnsureOpen(); level != kDone) return level;
  f.ClearBuffer();
  auto& key = f.rec<rec::PlanChd>();
  key.PLAN = planTableCode(plan);
  key.AGEGROUP = group;
  bool found = false;
  if (!key.PLAN.blank()) {
    if (f.TryGetByKey(f.keyIndex("By_Plan")) == kDone) {
      found = true;
    } else {
      const int code = f.LastEngineCode();
      if (code != ecode::kRecordNotFound && code != ecode::kNoRecord) return showFailedRead(f);
    }
  }
  rateChild(child, age, found ? &f.rec<rec::PlanChd>() : nullptr);
  return kDone;
}

int rateOnIdNumber(DataFiles& files, rec::VelChd& child, std::string_view plan, int ageFromId) {
  if (child.C1_ID_NUMBER.blank()) return kDone;
  return ChildRate(files, child, plan, ageFromId);
}

}  // namespace vel
