#include "forms/Catalog.h"

namespace vel {

ListSpec& Catalog::add(ListSpec list) {
  auto& slot = lists_[list.procedure];
  slot = std::make_unique<ListSpec>(std::move(list));
  return *slot;
}

FormSpec& Catalog::add(FormSpec form) {
  auto& slot = forms_[form.procedure];
  slot = std::make_unique<FormSpec>(std::move(form));
  return *slot;
}

const ListSpec* Catalog::list(std::string_view procedure) const {
  auto it = lists_.find(procedure);
  return it == lists_.end() ? nullptr : it->second.get();
}

const FormSpec* Catalog::form(std::string_view procedure) const {
  auto it = forms_.find(procedure);
  return it == forms_.end() ? nullptr : it->second.get();
}

std::vector<std::string> Catalog::listNames() const {
  std::vector<std::string> out;
  for (const auto& [name, spec] : lists_) out.push_back(name);
  return out;
}

}  // namespace vel
