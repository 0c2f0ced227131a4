// The forms and lists of a policy's dependants: the child form
// (Update_VelChd), the extended-family form (Update_VelExt), and the two lists
// of one policy's children (Browse_VelChd) and extended family
// (Browse_VelExt) that the client form's "Children/Ext Family" tab opens.
//
// The forms are declared as data; their rules are the entry checks, the
// priming of a new record and the audit trail written after a change. What
// they need of the policy being edited (its number, plan, waiting-period
// start) and of the session (the clock, the user, the administrator right)
// is handed in, so they run the same in the window program and in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dictionary/Dictionary.h"
#include "forms/FormDecl.h"
#include "forms/ListDecl.h"
#include "members/DependantRules.h"

namespace vel {

class Catalog;
class Clock;

// The policy whose dependants are being edited.
struct DependantPolicy {
  rec::VelCli client;          // CLIENT_ID, PLAN, OPTION, spouse ...
  std::int32_t startDate = 0;  // START_DATE: a new extended-family member's WAIT_DATE
};

struct DependantSession {
  const Clock* clock = nullptr;
  // The policy open on the client form; none: no policy (a new dependant is
  // then not offered).
  std::function<std::optional<DependantPolicy>()> policy;
  std::function<std::string()> user;  // LOGPROG, for the audit trail
  // A button of a dependant list pressed while the policy's form is open:
  // true when the dependant form may open (a refusal has been shown). The
  // client form answers, counting the policy's dependants for the form
  // about to open. None: the option rules are checked here on the policy.
  std::function<bool(DependantList, DependantAction)> action;
  // Whether the logged-in user is the administrator, asked each time a
  // child form opens from its list (shows "Pay over Premium"); none: no.
  std::function<bool()> isAdmin;
};

// The status a dependant may have.
inline const std::vector<std::string> kDependantStatus{"Active", "Non Active", "Deceased"};

FormDecl childForm(const DependantSession& session);
FormDecl extendedForm(const DependantSession& session);

// The lists of one policy's dependants, by CLIENT_ID. Opened with the range
// (CLIENT_ID, the policy's number); every action first passes the option
// rules and, on an insert, the ten-person limit.
ListDecl childList(const DependantSession& session);
ListDecl extendedList(const DependantSession& session);

// Adds the two forms and two lists to the catalog. Each list declares its
// form afresh in the catalog before an action opens it, so the form follows
// the user logged in at that moment.
void addDependantForms(Catalog& catalog, const DependantSession& session);

}  // namespace vel
