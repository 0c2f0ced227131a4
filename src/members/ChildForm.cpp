// The child form, Update_VelChd: a child of a policy with its cover and
// premium from the children's plan table.
#include <memory>

#include "members/Check4ID.h"
#include "members/ChildRate.h"
#include "members/DependantFormParts.h"
#include "members/DependantForms.h"
#include "members/DependantRules.h"
#include "members/IdNumber.h"

namespace vel {

using namespace dependants;

namespace {

std::string planOf(const DependantSession& s) {
  if (!s.policy) return {};
  std::optional<DependantPolicy> p = s.policy();
  return p ? p->client.PLAN.text() : std::string();
}

// A number already on file elsewhere is told once per number typed, not again
// each time OK accepts the entry.
struct CheckedNumber {
  std::string last;
};

}  // namespace

FormDecl childForm(const DependantSession& session) {
  auto checked = std::make_shared<CheckedNumber>();
  FormDecl f;
  f.procedure = "Update_VelChd";
  f.file = "VelChd";
  f.title = "Child";

  f.prime = [session, checked](EntryContext& c) {
    checked->last.clear();
    auto& child = record<rec::VelChd>(c);
    std::optional<DependantPolicy> p = session.policy ? session.policy() : std::nullopt;
    if (p) {
      child.CLIENT_ID = p->client.CLIENT_ID.str();
      // Numbered on from the children on file, whatever their status: the
      // first five ride on the main premium.
      DependantCounts counts;
      if (countDependants(c.files, p->client.CLIENT_ID.str(), counts) == kDone)
        child.NUMBER = counts.children + 1;
    }
    child.ACTIVE = "Active";
  };

  EntryDecl id = entry("ID No", "C1_ID_NUMBER");
  id.check = [session, checked](EntryContext& c) {
    auto& child = record<rec::VelChd>(c);
    const std::int32_t day = today(session);
    const std::int32_t birth = ChildIdAccepted(child, c.request == Request::Insert, day);
    // Rated on the date the number carries, not the date of birth typed; a
    // blank or dateless number rates nothing.
    if (birth != 0 && ChildRate(c.files, child, planOf(session), AgeOn(birth, day)) != kDone)
      return false;
    const std::string number = child.C1_ID_NUMBER.text();
    if (c.request == Request::Insert && !number.empty() && number != checked->last) {
      checked->last = number;
      if (!numberOnFile(c, number)) return false;
    }
    return true;
  };

  EntryDecl dob = entry("Date of Birth", "C1_DOB", EntryKind::Day);
  dob.check = [session](EntryContext& c) {
    auto& child = record<rec::VelChd>(c);
    // No date, no age: a child without one is not rated as a baby.
    if (child.C1_DOB.value == 0) return true;
    const std::int32_t day = today(session);
    return ChildRate(c.files, child, planOf(session),
                     AgeOn(static_cast<std::int32_t>(child.C1_DOB.value), day)) == kDone;
  };

  EntryDecl age = entry("Age", "C1_AGE", EntryKind::Number);
  age.readOnly = true;

  EntryDecl status = choice("Active:", "ACTIVE", kDependantStatus, EntryKind::Radio);
  status.check = [session](EntryContext& c) {
    statusAccepted<rec::VelChd>(c, today(session));
    return true;
  };

  std::vector<EntryDecl> entries{entry("Client ID", "CLIENT_ID"),
                                 entry("Surname", "C1_SURNAME"),
                                 entry("Firstname", "C1_FIRSTNAME"),
                                 id,
                                 dob,
                                 choice("Gender", "GENDER", {"Male", "Female"}),
                                 age,
                                 entry("Benefit", "C1_BENEFIT", EntryKind::Number, "n_9.2"),
                                 entry("Premium", "PREMIUM", EntryKind::Number, "n_9.2"),
                                 entry("Child No", "NUMBER", EntryKind::Number)};
  if (session.isAdmin && session.isAdmin())
    entries.push_back(entry("Pay over Premium", "PREM2PAY", EntryKind::Number, "n_9.2"));
  entries.push_back(entry("My Comm", "MYCOMM", EntryKind::Number, "n_9.2"));
  entries.push_back(status);
  entries.push_back(entry("Date Change", "DATECHANGE", EntryKind::Day));
  f.tabs.push_back(TabDecl{"General", std::move(entries)});

  f.putChange = [session](EntryContext& c, FileManager& file) {
    return putWithAudit<rec::VelChd>(c, session, childChanges, file);
  };
  return f;
}

}  // namespace vel
