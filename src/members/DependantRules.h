// Which dependants a policy's plan and option allow.
//
// The client form shows the children's and the extended family's buttons by
// plan and option, refuses dependant actions the option does not allow, and
// holds a ten-person option ("1 Plus 9") to ten people in all, the spouse
// counting as one. These rules are kept apart from the form so that the form,
// the status change and the tests share one version of them.
#pragma once

#include <optional>
#include <string_view>

#include "dictionary/Dictionary.h"

namespace vel {

class DataFiles;
class Ui;

// What a plan and option do to one group of dependant buttons.
enum class ButtonShow { Unchanged, Shown, Hidden };

struct DependantButtons {
  ButtonShow children = ButtonShow::Unchanged;  // the children list's three buttons
  ButtonShow extended = ButtonShow::Unchanged;  // the extended family's three buttons
};

// The buttons a picked plan and option call for. Single hides all six on
// plans A, B and C; "Single Parent" and "Family" show the children's and hide
// the extended family's; "Family 10" shows the extended family's on plan A,
// hides all six on plan B and changes nothing on plan C. Other plans and
// options leave the buttons as they are.
DependantButtons dependantButtons(std::string_view plan, std::string_view option);

// The option that covers up to ten people: "1 Plus 9", or "Family 10", the
// name older data files gave it. Case and trailing blanks are ignored.
bool isTenPersonOption(std::string_view option);

enum class DependantList { Children, ExtendedFamily };
enum class DependantAction { Insert, Change, Delete };

// A refused dependant action: its message and the box's title.
struct DependantRefusal {
  std::string_view title;
  std::string_view text;
};

// The refusal the option gives an action before anything is counted:
// children are refused on a Single option, extended family on any option
// but the ten-person one. Nothing when the option allows the action.
std::optional<DependantRefusal> optionRefusal(std::string_view option, DependantList list,
                                              DependantAction action);

// True when one more dependant would take a ten-person policy past ten
// people: `dependants` already recorded (children and extended family,
// whatever their status), plus the spouse when there is one.
bool overPersonLimit(std::string_view option, int dependants, bool hasSpouse);

// The policy's dependants on file, counted whatever their status.
struct DependantCounts {
  int children = 0;  // CHILD_COUNT
  int extended = 0;  // EXT_COUNT
  int total() const { return children + extended; }  // DEP_COUNT
};

// Counts the children and extended family of `clientId`. A failed read is
// shown through the error manager and gives its level (the counts are then
// not to be used).
int countDependants(DataFiles& files, std::string_view clientId, DependantCounts& counts);

// The checks the client form makes before a dependant form opens: the
// option's refusal, and on an insert the count (into `counts`) and the
// person limit. A refusal is shown through `ui` (question icon, OK) and gives
// kRefused; kDone lets the form open; a failed count gives its level.
int checkDependantAction(Ui& ui, DataFiles& files, const rec::VelCli& client, DependantList list,
                         DependantAction action, DependantCounts& counts);

}  // namespace vel
