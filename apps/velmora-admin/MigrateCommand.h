// velmora-admin migrate: an office moved between the record files of a data
// folder and a PostgreSQL database, either way, and checked.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

// Runs `migrate` with the arguments after it. Exit code 0 done and checked,
// 1 usage, 2 failed (refused, cut short, or a file that does not match).
int migrateCommand(const std::vector<std::string_view>& args);

}  // namespace vel::admin
