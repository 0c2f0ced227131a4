// "Copy Data to Hamper" on the client form: the policy holder joins the
// hamper savings club as a member of his own, once.
#pragma once

#include <cstdint>

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

// What adding one member from a client came to.
struct HamperAdd {
  CopyToHamperResult result = CopyToHamperResult::Failed;
  std::int64_t number = 0;  // the member's NUMBER when Added
  bool keptNumber = false;  // Added under the client's own NUMBER
};

// The one rule both copy paths add a member by, inside a transaction the
// caller has begun over the hamper file (and commits). A client who is
// already a member (same CLIENT_ID) is not added again. The member keeps the
// client's NUMBER when no other member holds it; otherwise he takes the next
// number after the highest in the file, so no two members share a number.
// A failed look-up or add is shown through the error manager.
HamperAdd addHamperMember(FileManager& hamper, const rec::VelCli& client);

// The message telling the clerk that a member could not keep the client's
// number: "Hamper number 42 is held by another member; 0042/MOL was added
// as hamper member 57."
std::string renumberedText(const rec::VelCli& client, std::int64_t number);

// Asks "Copy Data", then adds the member to the hamper file (never a second
// one for the same client number). Unless declined, the client's PLANPREM
// goes back to his PREMIUM in `client` (the form's buffer, saved with the
// form): the hamper contribution is billed on the hamper ledger from now on,
// not on both.
// A member who could not keep the client's number is added under the next
// one, and the clerk is told which (information, titled "Copy Data").
CopyToHamperResult copyToHamper(Ui& ui, FileManager& hamper, rec::VelCli& client);

}  // namespace vel
