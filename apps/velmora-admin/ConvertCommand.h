// velmora-admin convert [--dir DIR]: the start-up conversion of older files,
// run from a script.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

// Exit code: 0 when every file is in the current layout afterwards, 1 on a
// usage error, 2 when a file could not be converted.
int convertCommand(const std::vector<std::string_view>& args);

}  // namespace vel::admin
