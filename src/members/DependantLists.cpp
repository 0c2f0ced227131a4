// The lists of one policy's children and extended family, and their
// registration with the catalog.
#include "errors/ErrorManager.h"
#include "forms/Catalog.h"
#include "members/DependantForms.h"
#include "members/DependantRules.h"

namespace vel {

namespace {

// Every action passes the policy's option rules first, and an insert the
// ten-person limit; a refusal has been shown and the form does not open.
// Without a policy there is nothing to add a dependant to.
std::function<bool(ListAction, ListContext&)> dependantRules(const DependantSession& session,
                                                             DependantList which,
                                                             Catalog* catalog) {
  return [session, which, catalog](ListAction action, ListContext& c) {
    // The form is declared again for the user logged in now.
    if (catalog)
      catalog->add(which == DependantList::Children ? childForm(session) : extendedForm(session));
    DependantAction act;
    switch (action) {
      case kActInsert: act = DependantAction::Insert; break;
      case kActChange: act = DependantAction::Change; break;
      case kActDelete: act = DependantAction::Delete; break;
      default: return false;
    }
    std::optional<DependantPolicy> p = session.policy ? session.policy() : std::nullopt;
    if (!p) return act == DependantAction::Insert;
    if (session.action) return !session.action(which, act);
    DependantCounts counts;
    return checkDependantAction(c.ui, c.files, p->client, which, act, counts) != kDone;
  };
}

ListDecl dependantList(const DependantSession& session, DependantList which,
                       Catalog* catalog = nullptr) {
  const bool children = which == DependantList::Children;
  ListDecl l;
  l.procedure = children ? "Browse_VelChd" : "Browse_VelExt";
  l.title = children ? "Children" : "Extended Family";
  l.heading = l.title;
  l.file = children ? "VelChd" : "VelExt";
  l.form = children ? "Update_VelChd" : "Update_VelExt";
  if (children) {
    l.columns = {column("Surname", "C1_SURNAME", 20), column("First Name", "C1_FIRSTNAME", 20),
                 column("ID Number", "C1_ID_NUMBER", 13), dateColumn("DOB", "C1_DOB"),
                 column("Gender", "GENDER", 7), column("Number", "NUMBER", 6)};
  } else {
    l.columns = {column("Surname", "SURNAME", 20), column("Firstname", "FIRSTNAME", 20),
                 column("ID Number", "ID_NUMBER", 13), dateColumn("DOB", "DOB"),
                 column("Gender", "GENDER", 7), column("Number", "NUMBER", 6)};
  }
  l.tabs = {{"By Client", "By_Client", ""}};
  l.actions = kActInsert | kActChange | kActDelete | kActView;
  l.handles = dependantRules(session, which, catalog);
  return l;
}

}  // namespace

ListDecl childList(const DependantSession& session) {
  return dependantList(session, DependantList::Children);
}

ListDecl extendedList(const DependantSession& session) {
  return dependantList(session, DependantList::ExtendedFamily);
}

void addDependantForms(Catalog& catalog, const DependantSession& session) {
  catalog.add(childForm(session));
  catalog.add(extendedForm(session));
  catalog.add(dependantList(session, DependantList::Children, &catalog));
  catalog.add(dependantList(session, DependantList::ExtendedFamily, &catalog));
}

}  // namespace vel
