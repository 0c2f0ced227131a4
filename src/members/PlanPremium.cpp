#include "members/PlanPremium.h"

#include "common/Money.h"
#include "common/Text.h"
#include "members/ClientRecords.h"
#include "members/PlanCode.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// Calls `fn(row)` for each plan row coded `code`, until it returns true.
// Gives kDone, or the level of a failed read (shown).
template <class Fn>
int forEachPlanRow(DataFiles& files, std::string_view code, Fn fn) {
  code = planTableCode(code);
  if (code.empty()) return kDone;
  FileManager& f = files.fm<rec::Plan>();
  FileUse use(f);
  if (int level = f.EnsureOpen(); level != kDone) return level;
  f.ClearBuffer();
  f.rec<rec::Plan>().PLAN = code;
  if (int level = f.SetOrderAt(f.keyIndex("By_Plan")); level != kDone) return level;
  for (;;) {
    if (f.TryReadNext() != kDone) return f.EndOfData() ? kDone : showFailedRead(f);
    const rec::Plan& row = f.rec<rec::Plan>();
    if (!equalsNoCase(row.PLAN.str(), code) || fn(row)) return kDone;
  }
}

}  // namespace

PlanPick planPickOf(const rec::Plan& row) {
  PlanPick p;
  p.plan = row.PLAN.text();
  p.option = row.TYPE.text();
  p.premium = row.PREMIUM;
  p.payOver = row.PAY_OVER;
  p.comm = row.COMM;
  p.cover = row.COVER;
  return p;
}

bool childrenAddToPremium(std::string_view plan, std::string_view option) {
  return !(isPlan(plan, 'A') && equalsNoCase(option, "Family 10"));
}

double totalPremium(const rec::VelCli& client, bool hamperBilledApart) {
  const double hamper = hamperBilledApart ? 0.0 : client.HAMPER.value;
  return roundCents(client.PREMIUM.value + hamper);
}

void setPolicyPremium(rec::VelCli& client, const PlanRate& plan, const ChildPremiums& children,
                      bool hamperBilledApart) {
  const bool add = childrenAddToPremium(client.PLAN.str(), client.OPTION.str());
  client.PREMIUM = roundCents(plan.premium + (add ? children.premium : 0.0));
  client.PREMTOPAY = roundCents(plan.payOver + (add ? children.payOver : 0.0));
  client.PLANPREM = totalPremium(client, hamperBilledApart);
}

void applyPlanPick(rec::VelCli& client, const PlanPick& pick, double hamperPremium,
                   const ChildPremiums& children, bool hamperBilledApart) {
  client.HAMPER = client.HAM_BYTE.value != 0 ? roundCents(hamperPremium) : 0.0;
  client.OPTION = pick.option;
  client.PLAN = pick.plan;
  client.BENEFIT = pick.cover;
  setPolicyPremium(client, PlanRate{pick.premium, pick.payOver}, children, hamperBilledApart);
}

int readHamperPremium(DataFiles& files, double& premium) {
  premium = 0;
  return forEachPlanRow(files, "HAM", [&](const rec::Plan& row) {
    premium = row.PREMIUM;
    return true;
  });
}

int readHamperMembership(DataFiles& files, std::string_view clientId, bool& member) {
  member = false;
  return forEachOfClient<rec::Hamper>(files, clientId, [&](const rec::Hamper&) { member = true; });
}

int readChildPremiums(DataFiles& files, std::string_view clientId, ChildPremiums& sum) {
  sum = {};
  return forEachOfClient<rec::VelChd>(files, clientId, [&](const rec::VelChd& c) {
    sum.premium += c.PREMIUM;
    sum.payOver += c.PREM2PAY;
  });
}

int readPlanRate(DataFiles& files, std::string_view plan, std::string_view option,
                 std::optional<PlanRate>& rate) {
  rate.reset();
  return forEachPlanRow(files, plan, [&](const rec::Plan& row) {
    if (!equalsNoCase(row.TYPE.str(), option)) return false;
    rate = PlanRate{row.PREMIUM, row.PAY_OVER};
    return true;
  });
}

namespace {

// What the premium rules read besides the plan row: the children and
// whether the hamper contribution is billed apart.
int readPolicyExtras(DataFiles& files, const rec::VelCli& client, ChildPremiums& children,
                     bool& hamperApart) {
  const std::string_view id = client.CLIENT_ID.str();
  if (int level = readChildPremiums(files, id, children); level != kDone) return level;
  return readHamperMembership(files, id, hamperApart);
}

}  // namespace

int pickPlan(DataFiles& files, rec::VelCli& client, const PlanPick& pick) {
  double hamper = 0;
  if (client.HAM_BYTE.value != 0) {
    if (int level = readHamperPremium(files, hamper); level != kDone) return level;
  }
  ChildPremiums children;
  bool hamperApart = false;
  if (int level = readPolicyExtras(files, client, children, hamperApart); level != kDone)
    return level;
  applyPlanPick(client, pick, hamper, children, hamperApart);
  return kDone;
}

int recomputePremium(DataFiles& files, rec::VelCli& client,
                     const std::optional<PlanRate>& picked) {
  std::optional<PlanRate> rate = picked;
  if (!rate) {
    if (int level = readPlanRate(files, client.PLAN.str(), client.OPTION.str(), rate);
        level != kDone)
      return level;
    if (!rate) return kRefused;
  }
  ChildPremiums children;
  bool hamperApart = false;
  if (int level = readPolicyExtras(files, client, children, hamperApart); level != kDone)
    return level;
  setPolicyPremium(client, *rate, children, hamperApart);
  return kDone;
}

}  // namespace vel
