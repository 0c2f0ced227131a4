// The client (policy) number, CLIENT_ID: the link between a policy holder and
// every dependant and ledger entry.
//
// It is formed once, when the surname of a new policy is accepted, from the
// auto-numbered NUMBER and the surname: the number with leading zeros to at
// least four digits, "/", and the first three characters of the surname in
// capitals, every apostrophe written as "-" (client 42 "O'Neil" is
// "0042/O-N"). Numbers from 10000 on take the digits they need
// ("10000/MOL"), so numbers below keep the form they always had.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vel {

// CLIENT_ID is text 10: "999999/MOL" is the longest number that fits.
inline constexpr std::size_t kClientIdWidth = 10;

struct ClientIdResult {
  bool ok = false;
  std::string id;       // the client number when ok
  std::string message;  // why no number could be formed, in the clerk's words
};

// Forms the client number of policy `number` with this surname. A number
// that would not fit the 10 characters of CLIENT_ID (a seven-digit NUMBER) is
// refused with a message instead of being cut: a cut number could name
// another policy. A number below 1 is refused as well.
ClientIdResult ClientIdFor(std::int64_t number, std::string_view surname);

}  // namespace vel
