#include "members/SetActive.h"

#include "common/Money.h"
#include "common/Text.h"
#include "errors/ErrorManager.h"
#include "members/Audit.h"
#include "recordstore/FileManager.h"

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

SetActiveOutcome setActive(Ui& ui, FileManager& aud, SetActiveRequest& r) {
  if (std::optional<std::string_view> focus = confirmComplete(ui, r.client))
    return {SetActiveResult::Incomplete, *focus};
  r.client.SENT = 0;
  if (!r.old) return {};

  const double billed = r.billedPremium.value_or(r.old->PREMIUM);
  const bool premiumChanged = !sameMoney(billed, r.client.PREMIUM) && r.correction;
  std::vector<FileManager*> files;
  if (r.putPolicy && r.policyFile) files.push_back(r.policyFile);
  if (premiumChanged) files.insert(files.end(), r.correctionFiles.begin(), r.correctionFiles.end());
  GroupWrite group;
  if (!files.empty()) {
    group = [&r, premiumChanged](FileManager*& failed) {
      if (r.putPolicy && r.policyFile)
        if (int rc = r.putPolicy(failed); rc != kDone) return rc;
      return premiumChanged ? r.correction(failed) : kDone;
    };
  }
  const int rc = writeWithAudit(aud, files, group, r.client.CLIENT_ID.str(),
                                clientChanges(*r.old, r.client), r.at, r.user);
  if (rc != kDone) return {SetActiveResult::Failed, {}};
  return {};
}

}  // namespace vel
