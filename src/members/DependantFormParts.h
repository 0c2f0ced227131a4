// Pieces the child and extended-family forms share: entry builders, the
// status rule and the audit trail of a change.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/FormDecl.h"
#include "members/Audit.h"
#include "members/Check4ID.h"
#include "members/DependantForms.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"

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

// One audit record per watched field the saved change altered. The record
// is already saved; the trail's own writes are not checked, as a failed
// trail must not undo the clerk's change.
template <class R, class Changes>
void auditChange(EntryContext& c, const DependantSession& s, Changes changes) {
  const R* old = loaded<R>(c);
  if (!old) return;
  const R& now = record<R>(c);
  std::vector<AuditChange> list = changes(*old, now);
  if (list.empty()) return;
  FileManager& aud = c.files.fm<rec::VelAud>();
  FileUse use(aud);
  if (aud.EnsureOpen() != kDone) return;
  Moment at = s.clock ? s.clock->moment() : Moment{};
  writeAudit(aud, now.CLIENT_ID.str(), list, at, s.user ? s.user() : std::string());
}

}  // namespace vel::dependants
