// Pieces the child and extended-family forms share: entry builders, the
// status rule and the audit trail of a change.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "errors/EngineStatus.h"
#include "forms/FormDecl.h"
#include "members/Audit.h"
#include "members/Check4ID.h"
#include "members/DependantForms.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel::dependants {

inline EntryDecl entry(std::string prompt, std::string field, EntryKind kind = EntryKind::Text,
                       std::string picture = {}) {
  EntryDecl e;
  e.prompt = std::move(prompt);
  e.field = std::move(field);
  e.kind = kind;
  e.picture = std::move(picture);
  return e;
}

inline EntryDecl choice(std::string prompt, std::string field, std::vector<std::string> choices,
                        EntryKind kind = EntryKind::Choice) {
  EntryDecl e = entry(std::move(prompt), std::move(field), kind);
  e.choices = std::move(choices);
  return e;
}

template <class R>
R& record(EntryContext& c) {
  return *static_cast<R*>(c.record);
}

template <class R>
const R* loaded(const EntryContext& c) {
  return static_cast<const R*>(c.loaded);
}

inline std::int32_t today(const DependantSession& s) { return s.clock ? s.clock->today() : 0; }

// The status of an existing dependant accepted: a status other than the one
// it had when the form opened dates the change today, unless the clerk has
// already typed a date of change. Back to the old status, a date this rule
// set is taken back.
template <class R>
void statusAccepted(EntryContext& c, std::int32_t day) {
  const R* old = loaded<R>(c);
  if (c.request != Request::Change || !old) return;
  R& r = record<R>(c);
  if (r.ACTIVE.str() != old->ACTIVE.str()) {
    if (r.DATECHANGE.value == old->DATECHANGE.value) r.DATECHANGE = day;
  } else if (r.DATECHANGE.value == day && old->DATECHANGE.value != day) {
    r.DATECHANGE = old->DATECHANGE.value;
  }
}

// Tells where a new dependant's identity number is already on file. The
// search reads the member files through their buffers; the dependant being
// typed and the policy open on the client form sit in those buffers, so
// each is put back as it was. False: a file could not be read.
inline bool numberOnFile(EntryContext& c, const std::string& number) {
  FileManager* searched[] = {&c.files.fm<rec::VelChd>(), &c.files.fm<rec::VelCli>(),
                             &c.files.fm<rec::VelExt>()};
  int handles[3];
  for (int i = 0; i < 3; ++i) handles[i] = searched[i]->PushState();
  const bool complete = Check4ID(c.files, c.ui, number).complete;
  for (int i = 2; i >= 0; --i) searched[i]->PopState(handles[i]);
  return complete;
}

// Puts a change of a dependant with one audit record per watched field it
// altered, in one transaction: the trail is kept exactly when the change is.
// A failure rolls both back and shows the store's message; the form keeps
// the clerk's values and the version it read, so saving again is a plain
// retry (a record another station changed is told as the common put tells
// it, with that station's version in the buffer).
template <class R, class Changes>
int putWithAudit(EntryContext& c, const DependantSession& s, Changes changes, FileManager& file) {
  const R* old = loaded<R>(c);
  std::vector<AuditChange> list;
  if (old) list = changes(*old, record<R>(c));
  const std::string clientId = record<R>(c).CLIENT_ID.text();
  const Moment at = s.clock ? s.clock->moment() : Moment{};
  int before = 0;
  bool changedElsewhere = false;
  GroupWrite put = [&](FileManager*& failed) {
    before = file.PushState();
    const int rc = file.TryUpdate();
    if (rc != kDone) {
      failed = &file;
      changedElsewhere = file.LastEngineCode() == ecode::kChanged;
    }
    return rc;
  };
  const int rc = writeWithAudit(c.files.fm<rec::VelAud>(), {&file}, put, clientId, list, at,
                                s.user ? s.user() : std::string());
  if (before != 0) {
    if (rc == kDone || changedElsewhere) {
      // Kept, or another station's version now in the buffer and watched:
      // drop the state saved before the put and keep the one after it.
      const int now = file.PushState();
      file.PopState(before);
      file.PopState(now);
    } else {
      file.PopState(before);
    }
  }
  return rc == kDone ? kDone : kFailed;
}

}  // namespace vel::dependants
