// Short builders for declaring a form's entries as data: a prompt and its
// field, shown only, compulsory (red), or filled from a lookup list. In a
// namespace of their own, so a form file that still has builders of its own
// (with a picture in place of the choices) is not confused by these.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/FormDecl.h"

namespace vel::entries {

inline EntryDecl entry(std::string prompt, std::string field, EntryKind kind = EntryKind::Text,
                       std::vector<std::string> choices = {}) {
  EntryDecl e;
  e.prompt = std::move(prompt);
  e.field = std::move(field);
  e.kind = kind;
  e.choices = std::move(choices);
  return e;
}

inline EntryDecl shown(EntryDecl e) {
  e.readOnly = true;
  return e;
}

inline EntryDecl red(EntryDecl e) {
  e.red = true;
  return e;
}

inline EntryDecl listed(EntryDecl e, std::string list, std::string from) {
  e.lookup.list = std::move(list);
  e.lookup.fromField = std::move(from);
  return e;
}

}  // namespace vel::entries
