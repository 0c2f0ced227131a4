// The lists and update forms of the Setup and Maintenance menus: towns,
// postal codes, routes, agents, collectors, client banks and their branches,
// the branch's own bank accounts, public holidays, plans, children's plans,
// the commission structure, the reminder switches and the standard messages.
#pragma once

#include <functional>

namespace vel {

class Catalog;
class DataFiles;
class Ui;
namespace rec { struct Banks; }

// Whether a branch bank account may be deleted (no transaction names it);
// the check tells the user why not.
using BankAccountCheck = std::function<bool(DataFiles&, Ui&, const rec::Banks&)>;

// Adds every setup list and form to the catalog.
void addSetupLists(Catalog& catalog, BankAccountCheck bankAccountCheck);

}  // namespace vel
