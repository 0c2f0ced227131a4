#include "setup/BankAccountDelete.h"

#include <cstdint>

#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// Bank names compare as the record store compares text, trailing blanks
// ignored, and here without regard to case as well: the accounts list keeps
// its names unique without case, and a ledger entry typed "Fnb" still names
// the account "FNB". Refusing such a delete costs the user a message;
// allowing it would leave transactions naming an account that is gone.
bool sameBank(std::string_view a, std::string_view b) {
  return upper(rtrim(a)) == upper(rtrim(b));
}

}  // namespace

bool bankAccountMayBeDeleted(DataFiles& files, Ui& ui, std::string_view accountName) {
  FileManager& ledger = files.fm<rec::VelTra>();
  // A data folder without a ledger yet has no transactions to name the bank.
  if (!ledger.Exists()) return true;

  FileUse use(ledger);
  auto progress = ui.progress("Please Wait.........",
                              "Checking to see if any transactions use this bank! Please Wait "
                              ".........");
  const std::int64_t total = ledger.Records();
  if (ledger.SetOrder(kPhysicalOrder) != kDone) return false;
  const auto& t = ledger.rec<rec::VelTra>();
  std::int64_t read = 0;
  int shown = -1;
  while (ledger.ReadNext() == kDone) {
    if (sameBank(t.BANK_NAME.str(), accountName)) {
      progress.reset();  // the window closes before the message
      ui.message("Not Allowed to delete, this bank contains related transactions!",
                 "Not Allowed to Delete", Icon::Exclamation, kOk, kOk);
      return false;
    }
    const int pct = total > 0 ? static_cast<int>(++read * 100 / total) : 100;
    if (pct != shown && pct <= 100) progress->setPercent(shown = pct);
  }
  // Any stop before the end was reported by the record store; the account
  // is kept, since the ledger could not be checked.
  return ledger.EndOfData();
}

}  // namespace vel
