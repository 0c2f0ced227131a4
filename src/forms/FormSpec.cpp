#include "forms/FormSpec.h"

namespace vel {

const std::string& FormSpec::caption(Request r) const {
  switch (r) {
    case Request::Insert: return insertCaption;
    case Request::Change: return changeCaption;
    case Request::Delete: return deleteCaption;
    case Request::View: break;
  }
  return viewCaption;
}

std::vector<const EntrySpec*> FormSpec::entries() const {
  std::vector<const EntrySpec*> out;
  for (const TabSpec& t : tabs)
    for (const EntrySpec& e : t.entries) out.push_back(&e);
  return out;
}

}  // namespace vel
