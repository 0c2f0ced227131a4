// The shell's lists and forms: users, branch detail and the configuration.
#pragma once

#include <string_view>

#include "forms/ListActions.h"

namespace vel {

class Catalog;
class DataFiles;
class FileManager;
class Ui;

// Whether a user other than the one at the Users file's current position
// (deleted users included) already has `password`. The file keeps each
// password once, in any letter case, so such a password cannot be stored.
bool passwordTaken(FileManager& users, std::string_view password);

// The refusal of a taken password. It never says that another user has it.
inline constexpr std::string_view kPasswordTakenText =
    "This password cannot be used. Please choose another one.";

// Adds Browse_Users / Update_Users, Browse_BDetail / Update_BDetal and the
// Update_Config form to the catalog.
void addShellLists(Catalog& catalog);

// "&Configure System": the configuration may be changed only once the users
// file has a record ("Access Error" otherwise); the form then changes the
// first Config record.
void Update_Config(DataFiles& files, Ui& ui, const Catalog& catalog, const FormRunner& run);

}  // namespace vel
