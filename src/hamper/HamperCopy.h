// "Copy Policy Holders to Hamper": every policy holder with a hamper
// contribution joins the savings club, once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vel {

class DataFiles;
class Ui;

struct HamperCopyReport {
  std::int64_t clients = 0;        // clients in the file
  std::int64_t added = 0;          // new members
  std::int64_t alreadyMembers = 0; // clients already in the club: only PLANPREM rewritten
  std::int64_t failed = 0;         // clients whose copy was not written (the store said why)
  // One line per member who could not keep his client's number.
  std::vector<std::string> renumbered;
  bool complete = true;            // false when the client file could not be read through
};

// Walks the clients in file order under the window "Copy Utility" ("Copying
// to Hamper, please wait ..." with the clients read so far "of" the clients
// in the file). A client whose HAMPER is not above 0 is passed over. Every
// other one becomes a member as the client form's "Copy Data to Hamper"
// makes him (never twice, his number kept only when free), and his PLANPREM
// is set to his PREMIUM, also when he was a member already. The member's add
// and the client's rewrite are one transaction: both are on file or neither.
HamperCopyReport copyPolicyHoldersToHamper(DataFiles& files, Ui& ui);

}  // namespace vel
