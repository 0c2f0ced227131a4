#include "members/ClientNumber.h"

#include <algorithm>

#include "common/Text.h"
#include "dictionary/Field.h"

namespace vel {

ClientIdResult ClientIdFor(std::int64_t number, std::string_view surname) {
  ClientIdResult r;
  if (number < 1) {
    r.message = "A client number needs a running number of 1 or more; this policy has " +
                std::to_string(number) + ".";
    return r;
  }
  std::string id = std::to_string(number);
  if (id.size() < 4) id.insert(0, 4 - id.size(), '0');
  id += '/';
  id += upper(surname.substr(0, std::min<std::size_t>(3, surname.size())));
  std::replace(id.begin(), id.end(), '\'', '-');
  // Stored text drops trailing blanks ("Le Roux" gives "0085/LE"), so only
  // what is left counts against the width.
  const std::string_view kept = rtrim(id);
  if (kept.size() > kClientIdWidth) {
    r.message = "Client number " + std::string(kept) + " is longer than the " +
                std::to_string(kClientIdWidth) +
                " characters a client number holds. The office has run out of client "
                "numbers; no policy can be added with this number.";
    return r;
  }
  r.ok = true;
  r.id = std::string(kept);
  return r;
}

}  // namespace vel
