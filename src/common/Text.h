// Small text helpers shared by every layer.
#pragma once

#include <string>
#include <string_view>

namespace vel {

// ASCII case-insensitive equality, trailing blanks ignored.
bool equalsNoCase(std::string_view a, std::string_view b);
// ASCII upper-casing.
std::string upper(std::string_view s);
// A double as its shortest exact decimal text ("150", "12.5").
std::string formatPlain(double v);
// Text with blanks removed from both ends.
std::string_view trim(std::string_view s);

}  // namespace vel
