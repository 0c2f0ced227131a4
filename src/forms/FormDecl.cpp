#include "forms/FormDecl.h"

namespace vel {

const std::string& FormDecl::caption(Request r) const {
  switch (r) {
    case Request::Insert: return insertCaption;
    case Request::Change: return changeCaption;
    case Request::Delete: return deleteCaption;
    case Request::View: break;
  }
  return viewCaption;
}

std::vector<const EntryDecl*> FormDecl::entries() const {
  std::vector<const EntryDecl*> out;
  for (const TabDecl& t : tabs)
    for (const EntryDecl& e : t.entries) out.push_back(&e);
  return out;
}

}  // namespace vel
