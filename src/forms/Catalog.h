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

#include "forms/FormSpec.h"
#include "forms/ListSpec.h"

namespace vel {

class Catalog {
 public:
  // Adding a name twice replaces the earlier declaration. References given
  // out stay valid for the catalog's life.
  ListSpec& add(ListSpec list);
  FormSpec& add(FormSpec form);

  const ListSpec* list(std::string_view procedure) const;
  const FormSpec* form(std::string_view procedure) const;
  // The procedure names of every list, in name order.
  std::vector<std::string> listNames() const;

 private:
  std::map<std::string, std::unique_ptr<ListSpec>, std::less<>> lists_;
  std::map<std::string, std::unique_ptr<FormSpec>, std::less<>> forms_;
};

}  // namespace vel
