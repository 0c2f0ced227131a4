// velmora-admin copy-to-hamper: the policy holders with a hamper amount
// copied into the hamper club, for a scheduler or a first set-up.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

// Runs `copy-to-hamper` with the arguments after it. Exit code 0 done,
// 1 usage, 2 failed.
int copyToHamperCommand(const std::vector<std::string_view>& args);

}  // namespace vel::admin
