// The check made before one of the branch's own bank accounts (Banks) is
// deleted: no transaction may name it.
#pragma once

#include <string_view>

namespace vel {

class DataFiles;
class Ui;

// Walks the whole transaction ledger (VelTra) in record order under the
// "Please Wait........." window. The first transaction whose BANK_NAME is
// `accountName` — deleted transactions too — stops the walk and shows "Not
// Allowed to delete, this bank contains related transactions!". Returns
// whether the delete may go ahead: true only when no transaction names the
// account (false also when the ledger could not be read to the end).
bool bankAccountMayBeDeleted(DataFiles& files, Ui& ui, std::string_view accountName);

}  // namespace vel
