// The cycle every update form goes through, without a window.
//
// A form is opened with a request (insert, change, delete, view), primes or
// re-reads its record, and answers completed or cancelled. OK accepts every
// entry in turn (their checks run again, visited or not), then adds, rewrites
// or deletes the record with the shared retry questions; leaving a changed
// record asks the form's cancel question; an abandoned insert gives its
// reserved number back. The window maps its widgets to these methods and
// does what the returned Outcome says.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary/Layout.h"
#include "forms/FormDecl.h"

namespace vel {

class DataFiles;
class FileManager;
class RelationManager;
class Ui;

class FormCycle {
 public:
  // Nothing is opened until open().
  FormCycle(DataFiles& files, Ui& ui, const FormDecl& decl, Request request);
  ~FormCycle();
  FormCycle(const FormCycle&) = delete;
  FormCycle& operator=(const FormCycle&) = delete;

  // Opens the form's files and primes (insert) or re-reads (change, delete,
  // view) the file's current record. False: the request is one the form does
  // not serve (message 23, 41 or 14 shown) or the record could not be read;
  // the window then does not open.
  // `presets` (field, value) fill a new record after priming.
  bool open(const std::vector<std::pair<std::string, std::string>>& presets = {});

  const FormDecl& decl() const { return decl_; }
  Request request() const { return request_; }
  const std::string& caption() const { return decl_.caption(request_); }
  const FormSettings& settings() const { return decl_.settings(); }
  bool readOnly() const { return request_ == Request::View || request_ == Request::Delete; }
  // The entries in the order OK accepts them (notes included).
  const std::vector<const EntryDecl*>& entries() const { return entries_; }
  FileManager& file() { return *fm_; }
  void* record();
  FieldRef field(int entry);  // the entry's field (entry must have one)

  // What the window must do after an event.
  struct Outcome {
    enum Action {
      Stay,   // keep editing; redisplay the record when `redisplay`
      Focus,  // put the focus on entry `entry` (and redisplay when asked)
      Close,  // close the window; response() says how
    } action = Stay;
    int entry = 0;
    bool redisplay = false;
  };

  // The text the clerk typed into entry `i`, read into its field. False: the
  // text cannot be read (a date that is not on the calendar, an amount too
  // large); the box saying why has been shown, the field keeps its value and
  // the entry holds the text as typed until it is entered again.
  bool enter(int i, std::string_view text);
  // As enter(), without the box: text that cannot be read is only held. It
  // counts as a change on leaving, and OK (or "Save Record" -> Yes) refuses
  // it with its box before anything is saved.
  void hold(int i, std::string_view text);

  // The user completed entry `i` (its value is already in the record).
  // False: its check refused it and the focus stays on it.
  bool accept(int i);
  Outcome ok();
  // The Cancel button, or the window closed.
  Outcome leave();
  // The recall key on entry `i`: its value from before the change comes
  // back. False when the entry has nothing to recall.
  bool recall(int i);

  // Whether the record differs from the copy taken when it was loaded, or an
  // entry holds typed text the record could not take.
  bool changed() const;
  // The entry the focus starts on: the first one the clerk can type in.
  int firstEditable() const;
  Response response() const { return response_; }

 private:
  Outcome firstEntry(bool redisplay = true) const;
  Outcome save();
  Outcome saveInsert();
  Outcome saveChange();
  Outcome saveDelete();
  bool abandon();
  void remember();
  EntryContext context();

  DataFiles& files_;
  Ui& ui_;
  const FormDecl& decl_;
  Request request_;
  std::vector<const EntryDecl*> entries_;
  FileManager* fm_;
  RelationManager* rm_;
  std::unique_ptr<RecordBuffer> copy_;    // the record as loaded
  std::unique_ptr<RecordBuffer> recall_;  // the values the recall key brings back
  std::map<int, std::string> unread_;     // entry -> typed text the record could not take
  Response response_ = Response::Cancelled;
  bool opened_ = false;
  bool reserved_ = false;
};

}  // namespace vel
