// What a list's Insert, Change, Delete and View do, without a window.
//
// The list window calls act() with the highlighted row's position; the list's
// own hook may handle the action (the users list marks a user deleted, a
// clerk without the right finds the button inert); otherwise the record is
// made current and the list's form runs with the matching request. The
// window then refreshes from the position act() returns.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/FormDecl.h"
#include "forms/ListDecl.h"

namespace vel {

class Catalog;
class DataFiles;
class Ui;

// Runs a form over the current record of its file and returns its response:
// the window program opens a form window, tests drive a FormCycle.
// `presets` are field values a new record starts with (the bank whose
// branches a list shows).
using Presets = std::vector<std::pair<std::string, std::string>>;
using FormRunner = std::function<Response(const FormDecl&, Request, const Presets&)>;

class ListActions {
 public:
  ListActions(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& list,
              FormRunner runForm);

  // Values every record inserted through this list starts with.
  void setPresets(Presets p) { presets_ = std::move(p); }

  // The actions offered now (worked out when the list opens).
  unsigned offered() const { return offered_; }
  void refreshOffered();

  struct Result {
    bool refresh = false;  // the list must read its rows again
    std::string position;  // the row to show first then (empty: keep)
  };
  // Acts on the record at `position` (ignored for insert). An action the
  // list does not offer does nothing.
  Result act(ListAction action, std::string_view position);

 private:
  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  const ListDecl& list_;
  FormRunner runForm_;
  unsigned offered_;
  Presets presets_;
};

// Runs a form with a FormCycle and a scripted sequence of steps; for
// headless use of a form whose steps are known (tests, tools).
Response runFormWith(DataFiles& files, Ui& ui, const FormDecl& form, Request request,
                     const Presets& presets, const std::function<void(class FormCycle&)>& steps);

}  // namespace vel
