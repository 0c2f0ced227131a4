// "Copy Data to Hamper" on the client form: the policy holder joins the
// hamper savings club as a member of his own, once.
#pragma once

#include "dictionary/Dictionary.h"
#include "platform/Ui.h"

namespace vel {

class FileManager;

// The hamper member made from a client: the fields both files share are
// copied, the monthly contribution is the client's HAMPER amount, and the
// SMS and commission fields start empty.
void hamperFromClient(const rec::VelCli& client, rec::Hamper& member);

enum class CopyToHamperResult {
  Declined,       // the clerk answered No: nothing written
  Added,          // the member was added
  AlreadyMember,  // a member with this client number exists: not added again
  Failed,         // the add failed; the store's message was shown
};

// Asks "Copy Data", then adds the member to the hamper file (never a second
// one for the same client number). Unless declined, the client's PLANPREM
// goes back to his PREMIUM in `client` (the form's buffer, saved with the
// form): the hamper contribution is billed on the hamper ledger from now on,
// not on both.
CopyToHamperResult copyToHamper(Ui& ui, FileManager& hamper, rec::VelCli& client);

}  // namespace vel
