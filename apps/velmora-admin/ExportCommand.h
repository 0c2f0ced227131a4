// velmora-admin export: the CSV exports without a window.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

// `velmora-admin export NAME|all|main [--dir DIR] [--out FOLDER]`; `what`
// is NAME, "all" or "main" and `args` the options after it. Returns the
// tool's exit code.
int exportCommand(std::string_view what, const std::vector<std::string_view>& args);

}  // namespace vel::admin
