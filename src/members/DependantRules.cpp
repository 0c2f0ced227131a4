#include "members/DependantRules.h"

#include "members/PlanCode.h"
#include "common/Text.h"
#include "members/ClientRecords.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// Option names compare without regard to case or trailing blanks: they are
// typed into the plan table by the office.
bool sameOption(std::string_view option, std::string_view name) { return equalsNoCase(option, name); }

bool isSingle(std::string_view option) { return sameOption(option, "Single"); }

constexpr DependantButtons kHideAll{ButtonShow::Hidden, ButtonShow::Hidden};
constexpr DependantButtons kChildrenOnly{ButtonShow::Shown, ButtonShow::Hidden};
constexpr DependantButtons kExtendedOnly{ButtonShow::Hidden, ButtonShow::Shown};
constexpr DependantButtons kUnchanged{};

// Indexed by action: insert, change, delete.
constexpr std::string_view kChildRefusals[] = {
    "You cannot add children when SINGLE option is selected",
    "You cannot edit children when SINGLE option is selected",
    "You cannot delete children when SINGLE option is selected",
};
constexpr std::string_view kExtendedRefusals[] = {
    "You cannot add extended family unless FAMILY 10 option is selected",
    "You cannot edit extended family unless FAMILY 10 option is selected",
    "You cannot delete extended family unless FAMILY 10 option is selected",
};
constexpr DependantRefusal kTooMany{"Add Error",
                                    "You cannot add more children/extended family than 10 persons"};

}  // namespace

DependantButtons dependantButtons(std::string_view plan, std::string_view option) {
  const bool a = isPlan(plan, 'A'), b = isPlan(plan, 'B'), c = isPlan(plan, 'C');
  if (!a && !b && !c) return kUnchanged;
  if (isSingle(option)) return kHideAll;
  if (sameOption(option, "Single Parent") || sameOption(option, "Family")) return kChildrenOnly;
  if (sameOption(option, "Family 10")) {
    if (a) return kExtendedOnly;
    if (b) return kHideAll;
  }
  return kUnchanged;
}

bool isTenPersonOption(std::string_view option) {
  return sameOption(option, "1 Plus 9") || sameOption(option, "Family 10");
}

std::optional<DependantRefusal> optionRefusal(std::string_view option, DependantList list,
                                              DependantAction action) {
  const auto i = static_cast<std::size_t>(action);
  if (list == DependantList::Children) {
    if (isSingle(option)) return DependantRefusal{"Error", kChildRefusals[i]};
  } else if (!isTenPersonOption(option)) {
    return DependantRefusal{"Error", kExtendedRefusals[i]};
  }
  return std::nullopt;
}

bool overPersonLimit(std::string_view option, int dependants, bool hasSpouse) {
  if (!isTenPersonOption(option)) return false;
  return dependants + (hasSpouse ? 1 : 0) >= 10;
}

int countDependants(DataFiles& files, std::string_view clientId, DependantCounts& counts) {
  counts = {};
  int level = forEachOfClient<rec::VelChd>(files, clientId, [&](const rec::VelChd&) {
    ++counts.children;
  });
  if (level != kDone) return level;
  return forEachOfClient<rec::VelExt>(files, clientId, [&](const rec::VelExt&) {
    ++counts.extended;
  });
}

int checkDependantAction(Ui& ui, DataFiles& files, const rec::VelCli& client, DependantList list,
                         DependantAction action, DependantCounts& counts) {
  const std::string_view option = client.OPTION.str();
  auto refuse = [&](const DependantRefusal& r) {
    ui.message(r.text, r.title, Icon::Question, kOk, kOk);
    return static_cast<int>(kRefused);
  };
  if (auto r = optionRefusal(option, list, action)) return refuse(*r);
  if (action != DependantAction::Insert) return kDone;
  const int level = countDependants(files, client.CLIENT_ID.str(), counts);
  if (level != kDone) return level;
  if (overPersonLimit(option, counts.total(), !client.S_SURNAME.blank())) return refuse(kTooMany);
  return kDone;
}

}  // namespace vel
