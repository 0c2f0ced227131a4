#include "forms/Catalog.h"

namespace vel {

ListDecl& Catalog::add(ListDecl list) {
  // A name added again is replaced in place, so a reference given out
  // earlier sees the new declaration instead of dangling.
  auto& slot = lists_[list.procedure];
  if (slot)
    *slot = std::move(list);
  else
    slot = std::make_unique<ListDecl>(std::move(list));
  return *slot;
}

FormDecl& Catalog::add(FormDecl form) {
  auto& slot = forms_[form.procedure];
  if (slot)
    *slot = std::move(form);
  else
    slot = std::make_unique<FormDecl>(std::move(form));
  return *slot;
}

const ListDecl* Catalog::list(std::string_view procedure) const {
  auto it = lists_.find(procedure);
  return it == lists_.end() ? nullptr : it->second.get();
}

const FormDecl* Catalog::form(std::string_view procedure) const {
  auto it = forms_.find(procedure);
  return it == forms_.end() ? nullptr : it->second.get();
}

std::vector<std::string> Catalog::listNames() const {
  std::vector<std::string> out;
  for (const auto& [name, decl] : lists_) out.push_back(name);
  return out;
}

}  // namespace vel
