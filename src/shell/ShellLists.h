// The shell's lists and forms: users, branch detail and the configuration.
#pragma once

#include "forms/ListActions.h"

namespace vel {

class Catalog;
class DataFiles;
class Ui;

// Adds Browse_Users / Update_Users, Browse_BDetail / Update_BDetal and the
// Update_Config form to the catalog.
void addShellLists(Catalog& catalog);

// "&Configure System": the configuration may be changed only once the users
// file has a record ("Access Error" otherwise); the form then changes the
// first Config record.
void Update_Config(DataFiles& files, Ui& ui, const Catalog& catalog, const FormRunner& run);

}  // namespace vel
