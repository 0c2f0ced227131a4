// A form declared as data: its file, captions, tabs and entries, the requests
// it serves and its entry checks. The generic form window renders any
// declaration over a FormCycle; the rules of one form are the checks and
// hooks given here, so they run in tests without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/FormSettings.h"

namespace vel {

class DataFiles;
class FileManager;
class Ui;

// What an entry is drawn as.
enum class EntryKind {
  Text,      // a line of text (picture sNN)
  Password,  // a line of text shown as bullets
  Number,    // a number in a number picture
  Day,       // a date (picture d06) with a calendar button
  Check,     // a check box on a byte field: 1 ticked, 0 not
  Radio,     // choices written into a text field as the chosen text
  Choice,    // a drop list of fixed texts written into a text field
  Note,      // a line of text on the form, no field
};

// Everything an entry check may need: the record being edited and the user.
struct EntryContext {
  DataFiles& files;
  Ui& ui;
  void* record;  // the form's record buffer
  Request request;
  // The record as the form loaded it (a change: as read; an insert: as
  // primed); nullptr while the form is still priming.
  const void* loaded = nullptr;
};

// An entry's check, run when the entry is completed and again on OK. It shows
// its own message and returns false to keep the focus on the entry.
using EntryCheck = std::function<bool(EntryContext&)>;

// A lookup button ("...") beside an entry: a list opened for picking; the
// picked record's field is copied into the entry's field.
struct Lookup {
  std::string list;       // the list's procedure name
  std::string fromField;  // field of the picked record
  // Fields copied too, each to the same-named field of the form's record.
  std::vector<std::string> alsoCopy;
  // The list shows only records whose first key field equals this field of
  // the form's record (the branches of the bank already chosen).
  std::string rangeField;
};

struct EntryDecl {
  std::string prompt;
  std::string field;    // field of the form's file; empty for a note
  EntryKind kind = EntryKind::Text;
  std::string picture;  // "s30", "n_9.2", "d06"; empty: from the field
  std::vector<std::string> choices;  // Radio and Choice
  // Radio and Choice on a number field: the value stored for each choice
  // (none: the choice's position).
  std::vector<std::int64_t> choiceValues;
  Lookup lookup;        // list empty: no lookup
  EntryCheck check;
  bool readOnly = false;
  bool red = false;     // shown in red (fields that print on documents)
  std::string tip;
};

struct TabDecl {
  std::string name;
  std::vector<EntryDecl> entries;
};

struct FormDecl {
  std::string procedure;  // "Update_Town": also names its settings
  std::string file;       // label of the form's file
  std::string title;      // heading over the entries ("Form Town")
  std::string insertCaption = "Record Will Be Added";
  std::string changeCaption = "Record Will Be Changed";
  std::string deleteCaption = "Record Will Be Deleted";
  std::string viewCaption = "View Record";
  std::vector<TabDecl> tabs;
  bool servesInsert = true, servesChange = true, servesDelete = true;
  std::string okText = "&OK", cancelText = "&Cancel";
  std::string okTip = "Accept data and close the window", cancelTip = "Cancel operation";
  // Fills a newly primed record (after its number is reserved).
  std::function<void(EntryContext&)> prime;
  // Runs before a delete; false keeps the record (the hook told the user why).
  std::function<bool(EntryContext&)> beforeDelete;
  // Runs after a change has been saved (the audit trail of what it altered,
  // against the record as loaded).
  std::function<void(EntryContext&)> afterChange;
  // Puts a change in place of the common put through the file's relation
  // manager, for a form whose change writes more than its record (the audit
  // trail of a dependant) and keeps it all in one transaction. Returns the
  // put's level; a record another station changed gives kFailed with the
  // file's LastEngineCode() telling so, as the common put does.
  std::function<int(EntryContext&, FileManager& file)> putChange;
  // Stores an insert or a change itself, with the records that go with it,
  // as one transaction, instead of the plain add or rewrite: 0 when done;
  // otherwise it has told the user why, nothing is on file and the form
  // stays open.
  std::function<int(EntryContext&)> store;

  const FormSettings& settings() const { return formSettings(procedure); }
  const std::string& caption(Request r) const;
  // Entries in the order OK accepts them: tab by tab, top to bottom.
  std::vector<const EntryDecl*> entries() const;
};

}  // namespace vel
