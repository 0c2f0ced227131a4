#include "members/SetActive.h"

#include <cctype>

#include "common/Money.h"
#include "common/Text.h"
#include "errors/ErrorManager.h"
#include "members/Audit.h"

namespace vel {

std::optional<Incomplete> firstIncomplete(const rec::VelCli& c) {
  if (c.PLAN.blank()) return Incomplete{"Plan Error", "Please select a Plan", "PLAN"};
  if (c.P_ADDR1.blank())
    return Incomplete{"Postal Address Error", "Please enter the Postal Address", "P_ADDR1"};
  if (c.P_ADDR3.blank()) {
    return Incomplete{"Postal Address Town Error", "Please enter the Postal Address Town",
                      "P_ADDR3"};
  }
  if (c.P_CODE == 0) {
    return Incomplete{"Postal Address Code Error", "Please enter the Postal Address Code",
                      "P_CODE"};
  }
  if (c.ACCOUNT_TYPE.blank())
    return Incomplete{"Account Type Error", "Please enter an Account Type", "ACCOUNT_TYPE"};
  if (c.MARITAL_STAT.blank())
    return Incomplete{"Marital status Error", "Please select Marital Status", "MARITAL_STAT"};
  return std::nullopt;
}

std::optional<std::string_view> confirmComplete(Ui& ui, const rec::VelCli& client) {
  std::optional<Incomplete> failed = firstIncomplete(client);
  if (!failed) return std::nullopt;
  ui.message(failed->text, failed->title, Icon::Question, kOk, kOk);
  return failed->focus;
}

bool planIs(std::string_view plan, char letter) {
  plan = trim(plan);
  const char want = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto is = [&](char c) { return std::toupper(static_cast<unsigned char>(c)) == want; };
  if (plan.size() == 1) return is(plan[0]);
  // "Plan A": the word, one blank, the letter.
  return plan.size() == 6 && equalsNoCase(plan.substr(0, 5), "Plan ") && is(plan[5]);
}

bool childrenAddToPremium(const rec::VelCli& client) {
  return !(planIs(client.PLAN.str(), 'A') && client.OPTION == "Family 10");
}

SetActiveOutcome setActive(Ui& ui, FileManager& aud, SetActiveRequest& r) {
  if (std::optional<std::string_view> focus = confirmComplete(ui, r.client))
    return {SetActiveResult::Incomplete, *focus};
  r.client.SENT = 0;
  if (!r.old) return {};

  const bool premiumChanged = !sameMoney(r.old->PREMIUM, r.client.PREMIUM);
  GroupWrite correction = premiumChanged ? r.correction : GroupWrite{};
  const int rc = writeWithAudit(aud, r.correctionFiles, correction, r.client.CLIENT_ID.str(),
                                clientChanges(*r.old, r.client), r.at, r.user);
  if (rc != kDone) return {SetActiveResult::Failed, {}};
  return {};
}

}  // namespace vel
