// The texts the main frame shows: its title, the version taken from it, and
// the status bar's user, day and time zones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vel {

inline constexpr std::string_view kFrameTitle = "Velmora Administration Version 1.02";

// "[" + the eight characters after "Version " in `title`, trailing blanks
// removed, + "]": "[1.02]" for the frame's own title. Empty brackets when the
// title carries no version.
std::string versionFromTitle(std::string_view title);

// The title once the frame is open: `title` + " - " + the business name
// padded to its 50 characters + "    Ref No KX" + the branch id (its 4).
std::string openedFrameTitle(std::string_view title, std::string_view businessName,
                             std::string_view branchId);

// Zone 2: "User: " + the log-in name without trailing blanks.
std::string statusUser(std::string_view logprog);
// The weekday's name for a day number ("Sunday" .. "Saturday").
std::string weekdayName(std::int32_t day);
// Zone 3: "Tuesday, December 8, 2026".
std::string statusDay(std::int32_t day);
// Zone 4: hours and minutes with AM/PM: "7:05 PM", "12:00 AM".
std::string statusTime(std::int32_t timeOfDay);

}  // namespace vel
