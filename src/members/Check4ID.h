// Check4ID: tells whether an identity number is already on file anywhere in
// the member files, before a clerk signs up a new policy for it.
//
// The window (prompt "ID Number to be checked", one OK button) keeps what was
// typed in GLO:ID_NUMBER, which primes the identity number of the next new
// policy; this is what its OK does.
#pragma once

#include <string_view>

namespace vel {

class DataFiles;
class Ui;

struct Check4IdResult {
  int found = 0;         // messages shown, one per file that holds the number
  bool complete = true;  // false when a file could not be read (the store said why)
};

// Searches the children (VelChd, By_IDNo), the policy holders (VelCli,
// By_IDNumber) and the extended family (VelExt, By_IDNo), in that order, and
// shows one message (no title, no icon, OK) for the first record each file
// holds under the number, naming the policy it belongs to:
//   "ID No 8001015009087 exists in Children database - Main member Client ID
//    0042/MOL    Surname Mokoena ...  Plan A        Option Family ...  Status Active    "
// Every value is written at the full width of its field (the identity
// number 13 characters, CLIENT_ID 10, SURNAME 25, PLAN 7, OPTION 15,
// ACTIVE 10), so the messages line up. Nothing found shows nothing. A blank
// number is no identity number and searches nothing: it would otherwise
// match every dependant captured without one. Spouse and beneficiary
// numbers are not searched. A file that cannot be read stops the search
// with the record store's message.
Check4IdResult Check4ID(DataFiles& files, Ui& ui, std::string_view idNumber);

}  // namespace vel
