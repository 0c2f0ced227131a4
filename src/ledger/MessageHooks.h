// The text messages that follow a posting.
//
// The invoice run and every payment posting tell the members by SMS when the
// office has switched that on (SMS_Data: ON_INV, ON_PAY). The ledger does not
// know how messages are written or sent: it calls these hooks, which the
// program fills at start (the SMS module). An empty hook does nothing.
//
// The hooks are called unconditionally, after the posting is safely on file
// and outside its transaction; the SMS side reads the switches and decides.
// They are set once at start, before any posting runs, and only read after.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vel {
class DataFiles;
}

namespace vel::ledger {

struct MessageHooks {
  // The month's invoice run has finished. `automatic` is true for the run the
  // daily start-up sequence makes after the 20th, false for the menu's.
  std::function<void(DataFiles& files, bool automatic)> afterInvoiceRun;
  // A payment is on file: the ledger's name (BurialCover::kName "Velmora" or
  // HamperClub::kName "Hamper"), the member's CLIENT_ID and the amount paid.
  std::function<void(DataFiles& files, std::string_view ledger, const std::string& clientId,
                     double amount)>
      afterPayment;
};

// The process's hooks.
inline MessageHooks& messageHooks() {
  static MessageHooks hooks;
  return hooks;
}

}  // namespace vel::ledger
