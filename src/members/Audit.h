// The audit trail of member data: one VelAud record for each watched field
// whose value a change altered, with the value before and after as text.
//
// The comparison is a pure function over two copies of a record (the values
// the form captured when it opened, and the form's buffer now); the writer
// adds the records to VelAud inside whatever transaction the caller has begun
// on that file, so the trail and the change it describes are kept or lost
// together.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Dictionary.h"
#include "platform/Clock.h"

namespace vel {

class FileManager;

// One audited change: the field's label and its values as the trail shows
// them (not yet cut to the width of C_BEFORE and C_AFTER).
struct AuditChange {
  std::string label;
  std::string before;
  std::string after;
  friend bool operator==(const AuditChange&, const AuditChange&) = default;
};

// A date as the trail writes it, day/month/four-digit year ("07/12/2026");
// no date (0) is written blank.
std::string auditDate(std::int32_t day);
// An amount with two decimals and a leading minus when negative ("-20.00").
std::string auditMoney(double amount);

// The policy holder's watched fields that differ between `before` and
// `after`, in the order the trail writes them. Text compares without
// trailing blanks but with case (a corrected capital is a change); amounts
// compare at cents.
std::vector<AuditChange> clientChanges(const rec::VelCli& before, const rec::VelCli& after);

// The same for a child of the policy.
std::vector<AuditChange> childChanges(const rec::VelChd& before, const rec::VelChd& after);

// The same for an extended-family member of the policy.
std::vector<AuditChange> extendedChanges(const rec::VelExt& before, const rec::VelExt& after);

// Adds one VelAud record per change for `clientId`, stamped with the day and
// time of `at` and the user name, SENT 0. The file must be open. Adds go
// through the Try form: nothing is shown here, so a caller holding a
// transaction can roll it back before it reports. Returns kDone, or the level
// of the first add that failed (the later changes are then not written).
//
// UNIQUE stays blank: VelAud's By_Unique refuses a second equal stamp, and
// one change usually alters several fields within the same hundredth of a
// second, so a stamp on each would refuse all but the first record. A blank
// UNIQUE is left out of that key, so every record of the trail is kept.
int writeAudit(FileManager& aud, std::string_view clientId, const std::vector<AuditChange>& changes,
               Moment at, std::string_view user);

// A change writes through the Try forms of its files and returns a level; on
// a failure it names the file that failed in `failed`.
using GroupWrite = std::function<int(FileManager*& failed)>;

// Runs `change` (when given) and writes the audit records, in one
// transaction over `aud` and `changeFiles`: either all of it is kept or none.
// On a failure the transaction is rolled back first, then the failing file's
// message is shown. Returns kDone; kFailed after a failure shown; kNotUsable
// when a file could not be opened (the record store has said why).
// A record of an auto-numbered file that the change adds must have its number
// reserved before (the form's own reservation): numbering takes a
// transaction of its own, which cannot start inside this one.
int writeWithAudit(FileManager& aud, const std::vector<FileManager*>& changeFiles,
                   const GroupWrite& change, std::string_view clientId,
                   const std::vector<AuditChange>& changes, Moment at, std::string_view user);

}  // namespace vel
