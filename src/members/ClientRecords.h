// Reading the dependants of one policy: every record of a file whose
// CLIENT_ID is the policy's, through the file's By_Client key.
//
// The walk keeps the file's buffer and position as it found them, so a form
// that has a child or an extended-family member in its buffer can count or
// total the policy's dependants without losing it.
#pragma once

#include <string_view>

#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"

namespace vel {

// Shows a failed read of `f` (a record held by another station, a damaged
// page) through the error manager and gives kFailed.
int showFailedRead(FileManager& f);

// True when two client numbers are the same; keys compare without case.
bool sameClientId(std::string_view a, std::string_view b);

// Calls `fn(record)` for each record of R under `clientId` in By_Client
// order. Gives kDone at the end of the policy's records; a failure is shown
// and its level given. A blank client number has no records.
template <class R, class Fn>
int forEachOfClient(DataFiles& files, std::string_view clientId, Fn fn) {
  clientId = rtrim(clientId);
  if (clientId.empty()) return kDone;
  FileManager& f = files.fm<R>();
  FileUse use(f);
  if (int level = f.EnsureOpen(); level != kDone) return level;  // shown by the store
  struct Restore {
    FileManager& f;
    int handle;
    ~Restore() { f.PopState(handle); }
  } restore{f, f.PushState()};
  f.ClearBuffer();
  f.rec<R>().CLIENT_ID = clientId;
  if (int level = f.SetOrderAt(f.keyIndex("By_Client")); level != kDone) return level;
  for (;;) {
    if (f.TryReadNext() != kDone) return f.EndOfData() ? kDone : showFailedRead(f);
    const R& r = f.rec<R>();
    if (!sameClientId(r.CLIENT_ID.str(), clientId)) return kDone;
    fn(r);
  }
}

}  // namespace vel
