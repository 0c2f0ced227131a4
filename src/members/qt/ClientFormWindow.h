// The client form (Update_VelCli) in its window: the generic form window
// over the client form's cycle, with the controller's rules for each entry
// completed and for OK, and the policy's children and extended family
// listed on the "Children/Ext Family" tab.
#pragma once

#include <cstdint>
#include <memory>

#include "forms/FormCycle.h"

class QWidget;

namespace vel {
class Catalog;
class Clock;
class ClientForm;
class DataFiles;
class Ui;
}  // namespace vel

namespace vel::qt {

// The client form open at the moment (none between forms): the dependant
// forms and lists ask it for the policy whose dependants they edit.
struct OpenClientForm {
  ClientForm* form = nullptr;
};

// Declares the dependant forms and lists on the catalog, with the policy
// taken from `open`.
void addClientDependants(Catalog& catalog, const Clock& clock,
                         std::shared_ptr<OpenClientForm> open);

// Opens the client form for `request` on the VelCli file's current record,
// modally, and returns its response. `open` (when given) holds the form
// while the window is open.
Response runClientFormWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const Clock& clock,
                             Request request, const std::shared_ptr<OpenClientForm>& open,
                             QWidget* parent);

}  // namespace vel::qt
