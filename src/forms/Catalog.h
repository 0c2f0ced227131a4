// Every declared list and form of the program, by procedure name.
//
// Subsystems add their declarations when the program starts; the generic
// windows, the lookups and the menu find them here by name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FormDecl.h"
#include "forms/ListDecl.h"

namespace vel {

class Catalog {
 public:
  // Adding a name twice replaces the earlier declaration. References given
  // out stay valid for the catalog's life.
  ListDecl& add(ListDecl list);
  FormDecl& add(FormDecl form);

  const ListDecl* list(std::string_view procedure) const;
  const FormDecl* form(std::string_view procedure) const;
  // The procedure names of every list, in name order.
  std::vector<std::string> listNames() const;

 private:
  std::map<std::string, std::unique_ptr<ListDecl>, std::less<>> lists_;
  std::map<std::string, std::unique_ptr<FormDecl>, std::less<>> forms_;
};

}  // namespace vel
