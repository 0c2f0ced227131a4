// How a form is asked to act, what it answers, and the four settings in which
// the update forms of this program differ.
#pragma once

#include <string_view>

namespace vel {

enum class Request { Insert, Change, Delete, View };
enum class Response { Completed, Cancelled };

// What leaving a changed record asks.
enum class CancelQuestion {
  SaveRecord,   // message 38, Yes/No/Cancel: Yes saves
  ChangesLost,  // message 10, Yes/No: Yes leaves without saving
};

// The key that puts back an entry's value from before the change.
enum class RecallKey { CtrlH, CtrlApostrophe };

struct FormSettings {
  bool stayOpenOnInsert = false;  // after a successful add: stay on the added record
  bool confirmDelete = true;      // "Confirm Delete" before deleting
  CancelQuestion cancel = CancelQuestion::SaveRecord;
  RecallKey recall = RecallKey::CtrlApostrophe;
};

// The settings of the form with this procedure name; the defaults for a form
// the table does not name.
const FormSettings& formSettings(std::string_view procedure);

}  // namespace vel
