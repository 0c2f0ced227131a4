// Setting a policy Active from the client form: the completeness checks, and
// on a change of an existing policy the premium correction and the audit
// trail, written together in one transaction.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Dictionary.h"
#include "platform/Clock.h"
#include "platform/Ui.h"

namespace vel {

class FileManager;

// A completeness check that failed: the box's title and text, and the field
// the form puts the focus on.
struct Incomplete {
  std::string_view title;
  std::string_view text;
  std::string_view focus;
  friend bool operator==(const Incomplete&, const Incomplete&) = default;
};

// The first of the six checks (plan, postal address, postal town, postal
// code, account type, marital status) that the policy fails, or nothing when
// it is complete.
std::optional<Incomplete> firstIncomplete(const rec::VelCli& client);

// Shows the first failed check (question-mark icon, OK) and gives the field
// to focus; nothing is shown and nothing given when the policy is complete.
std::optional<std::string_view> confirmComplete(Ui& ui, const rec::VelCli& client);

enum class SetActiveResult {
  Incomplete,  // a check failed and was shown; nothing written
  Done,        // complete; on a change, the correction and trail written
  Failed,      // the writes were rolled back and the store's message shown
};

struct SetActiveOutcome {
  SetActiveResult result = SetActiveResult::Done;
  std::string_view focus;  // the field to focus when a check failed
};

// What the form hands to SetActive.
struct SetActiveRequest {
  rec::VelCli& client;           // the form's record buffer
  const rec::VelCli* old = nullptr;  // values when the form opened; null on an insert
  Moment at;                     // the program's clock, read once
  std::string user;              // LOGPROG
  // The policy's own record put back (status, premiums, SENT) in the same
  // transaction, so the ledger never bills a premium the policy does not
  // hold; run on a change before the correction. Same contract as below.
  std::function<int(FileManager*& failed)> putPolicy;
  FileManager* policyFile = nullptr;  // the file putPolicy writes
  // The premium correction (ledger transaction, ageing, last invoice), run
  // inside the same transaction as the trail when the premium changed. It
  // uses the Try forms and returns a level; on a failure it names the file
  // that failed in `failed`, whose message is shown after the rollback.
  std::function<int(FileManager*& failed)> correction;
  // The files the correction writes; they join the transaction.
  std::vector<FileManager*> correctionFiles;
  // The premium the ledger bills now, when an earlier Set Active of this
  // opening corrected it away from the old one (none: the old premium).
  std::optional<double> billedPremium;
};

// Runs the checks; when they pass, SENT = 0; on an insert that is all. On a
// change, the policy's record, the correction (when the premium differs from
// the old one at cents) and the audit records of the changed watched fields
// are written in one transaction over `aud`, the policy's file and the
// correction's files: all or none. A failure rolls every write back before
// the store's message is shown.
SetActiveOutcome setActive(Ui& ui, FileManager& aud, SetActiveRequest& request);

}  // namespace vel
