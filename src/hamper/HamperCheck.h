// Check4HamID: tells whether an identity number already belongs to a member
// of the hamper savings club.
#pragma once

#include <string_view>

namespace vel {

class DataFiles;
class Ui;

enum class HamperIdCheck {
  NotFound,  // nothing shown
  Found,     // "ID No ... exists in Hamper database" shown
  Failed,    // the member file could not be read; the store said why
};

// Looks the number up in Hamper by By_IDNumber. Found: the message
// "ID No " + the number + " exists in Hamper database" (no title,
// information). A blank number is no identity number and finds no one.
HamperIdCheck Check4HamID(DataFiles& files, Ui& ui, std::string_view idNumber);

}  // namespace vel
