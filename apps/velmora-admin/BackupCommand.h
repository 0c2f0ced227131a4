// velmora-admin backup and rebuild: the data folder's backup and index
// rebuild for a scheduler or an off-site copy.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

// Whether `command` is one of these.
bool isBackupCommand(std::string_view command);
// Runs `command` with the arguments after it. Exit code 0 done, 1 usage,
// 2 failed.
int runBackupCommand(std::string_view command, const std::vector<std::string_view>& args);

}  // namespace vel::admin
