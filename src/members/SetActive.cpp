#include "members/SetActive.h"

#include <cctype>
#include <memory>

#include "common/Money.h"
#include "common/Text.h"
#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "members/Audit.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
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
  const std::vector<AuditChange> changes = clientChanges(*r.old, r.client);
  const bool correcting = premiumChanged && r.correction;
  if (!correcting && changes.empty()) return {};

  // Every file of the group open on this thread before the transaction.
  FileUse useAud(aud);
  std::vector<FileManager*> group{&aud};
  if (correcting) group.insert(group.end(), r.correctionFiles.begin(), r.correctionFiles.end());
  std::vector<std::unique_ptr<FileUse>> uses;
  std::vector<EngineFile*> engineFiles;
  for (FileManager* f : group) {
    if (f != &aud) uses.push_back(std::make_unique<FileUse>(*f));
    if (int rc = f->EnsureOpen(); rc != kDone) return {SetActiveResult::Failed, {}};
    engineFiles.push_back(f->engineFile());
  }
  StoreContext& ctx = aud.context();
  std::unique_ptr<Transaction> tx;
  if (ctx.engine->begin(engineFiles, ctx.transactionTimeout, tx) != ecode::kNone) {
    ctx.errors->SetFile(aud.label());
    ctx.errors->Throw(msg::TransactionCancelled);
    return {SetActiveResult::Failed, {}};
  }

  FileManager* failed = nullptr;
  int rc = kDone;
  if (correcting) {
    rc = r.correction(failed);
    if (rc != kDone && !failed) failed = &aud;
  }
  if (rc == kDone) {
    rc = writeAudit(aud, r.client.CLIENT_ID.str(), changes, r.at, r.user);
    if (rc != kDone) failed = &aud;
  }
  if (rc == kDone && tx->commit() != ecode::kNone) {
    rc = kFailed;
    failed = nullptr;
  }
  if (rc == kDone) return {};

  EngineStatus keep = engineStatus();
  tx->rollback();
  if (failed) {
    const int id = failed->LastError();
    failed->report(id != 0 ? id : msg::InsertError);
  } else {
    setEngineStatus(keep);
    ctx.errors->SetFile(aud.label());
    ctx.errors->Throw(msg::TransactionCancelled);
  }
  return {SetActiveResult::Failed, {}};
}

}  // namespace vel
