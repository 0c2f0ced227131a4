// The extended-family form, Update_VelExt: a parent, grandparent or other
// relative on a ten-person policy. It carries no money fields.
#include <memory>

#include "members/Check4ID.h"
#include "members/DependantFormParts.h"
#include "members/DependantForms.h"
#include "members/DependantRules.h"
#include "members/IdNumber.h"

namespace vel {

using namespace dependants;

namespace {

struct CheckedNumber {
  std::string last;
};

// INITIALS from the first letters of the first and middle names, when either
// name differs from the one the form opened with (initials typed by hand
// survive OK when the names were left alone).
void namesAccepted(EntryContext& c) {
  auto& e = record<rec::VelExt>(c);
  const rec::VelExt* old = loaded<rec::VelExt>(c);
  if (old && e.FIRSTNAME.str() == old->FIRSTNAME.str() &&
      e.MIDDLENAME.str() == old->MIDDLENAME.str())
    return;
  std::string initials;
  if (!e.FIRSTNAME.blank()) initials += e.FIRSTNAME.str().front();
  if (!e.MIDDLENAME.blank()) initials += e.MIDDLENAME.str().front();
  e.INITIALS = initials;
}

}  // namespace

FormDecl extendedForm(const DependantSession& session) {
  auto checked = std::make_shared<CheckedNumber>();
  FormDecl f;
  f.procedure = "Update_VelExt";
  f.file = "VelExt";
  f.title = "Extended Family Benefit";

  f.prime = [session, checked](EntryContext& c) {
    checked->last.clear();
    auto& e = record<rec::VelExt>(c);
    std::optional<DependantPolicy> p = session.policy ? session.policy() : std::nullopt;
    if (p) {
      e.CLIENT_ID = p->client.CLIENT_ID.str();
      DependantCounts counts;
      if (countDependants(c.files, p->client.CLIENT_ID.str(), counts) == kDone)
        e.NUMBER = counts.extended + 1;
      e.WAIT_DATE = p->startDate;
    }
    e.DATE = today(session);
    e.ACTIVE = "Active";
  };

  EntryDecl first = entry("Firstname", "FIRSTNAME");
  first.check = [](EntryContext& c) {
    namesAccepted(c);
    return true;
  };
  EntryDecl middle = entry("Middle Name", "MIDDLENAME");
  middle.check = first.check;

  EntryDecl id = entry("ID No", "ID_NUMBER");
  id.check = [session, checked](EntryContext& c) {
    auto& e = record<rec::VelExt>(c);
    ExtendedIdAccepted(e, c.request == Request::Insert, today(session));
    const std::string number = e.ID_NUMBER.text();
    if (c.request == Request::Insert && !number.empty() && number != checked->last) {
      checked->last = number;
      if (!numberOnFile(c, number)) return false;
    }
    return true;
  };

  // ACTIVE is edited through two controls: the box ticked means "Active";
  // clearing it makes an active member "Non Active" and leaves "Deceased" as
  // it is. The three-way choice shows whichever was set last.
  EntryDecl box = choice("Active?", "ACTIVE", {"Active", "Non Active"}, EntryKind::Check);
  EntryDecl status = choice("", "ACTIVE", kDependantStatus, EntryKind::Radio);
  status.check = [session](EntryContext& c) {
    statusAccepted<rec::VelExt>(c, today(session));
    return true;
  };
  box.check = status.check;
  EntryDecl note;
  note.prompt = "(Place \"TICK\" in box if active)";
  note.kind = EntryKind::Note;

  f.tabs.push_back(TabDecl{
      "General",
      {entry("Client ID", "CLIENT_ID"), entry("Date on System", "DATE", EntryKind::Day),
       entry("Surname", "SURNAME"), entry("Initials", "INITIALS"), first, middle, id,
       entry("Date of Birth", "DOB", EntryKind::Day),
       choice("Gender", "GENDER", {"Male", "Female"}),
       choice("Age Group", "AGE_GROUP", {"Below 66 years", "Between 66-74 years"}),
       entry("Relationship", "RELATE"), box, note, status,
       entry("Waiting Period Start Date", "WAIT_DATE", EntryKind::Day),
       entry("Ext Family No", "NUMBER", EntryKind::Number),
       entry("Date Change", "DATECHANGE", EntryKind::Day)}});

  f.putChange = [session](EntryContext& c, FileManager& file) {
    return putWithAudit<rec::VelExt>(c, session, extendedChanges, file);
  };
  return f;
}

}  // namespace vel
