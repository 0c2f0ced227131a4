#include "forms/FormCycle.h"

#include "errors/ErrorManager.h"
#include "forms/EntryText.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

bool sameRecord(const Layout& l, void* a, void* b) {
  for (int i = 0; i < static_cast<int>(l.fields().size()); ++i) {
    FieldRef x = l.field(a, i), y = l.field(b, i);
    if (x.isText()) {
      if (rtrim(x.text()) != rtrim(y.text())) return false;
    } else if (x.isReal()) {
      if (x.real() != y.real()) return false;
    } else if (x.whole() != y.whole()) {
      return false;
    }
  }
  return true;
}

// The busy cursor while the record store works.
struct Busy {
  Ui& ui;
  explicit Busy(Ui& u) : ui(u) { ui.busy(true); }
  ~Busy() { ui.busy(false); }
};

}  // namespace

FormCycle::FormCycle(DataFiles& files, Ui& ui, const FormDecl& decl, Request request)
    : files_(files),
      ui_(ui),
      decl_(decl),
      request_(request),
      entries_(decl.entries()),
      fm_(&files.fm(decl.file)),
      rm_(&files.rm(decl.file)) {}

FormCycle::~FormCycle() {
  if (!opened_) return;
  if (reserved_) fm_->DropReservation();
  rm_->Close();
  files_.context().errors->PopProcedureName();
}

void* FormCycle::record() { return fm_->buffer(); }

FieldRef FormCycle::field(int entry) { return fm_->field(entries_[static_cast<std::size_t>(entry)]->field); }

EntryContext FormCycle::context() {
  return EntryContext{files_, ui_, fm_->buffer(), request_, copy_ ? copy_->get() : nullptr};
}

bool FormCycle::open(const std::vector<std::pair<std::string, std::string>>& presets) {
  ErrorManager& errors = *files_.context().errors;
  if ((request_ == Request::Insert && !decl_.servesInsert) ||
      (request_ == Request::Change && !decl_.servesChange) ||
      (request_ == Request::Delete && !decl_.servesDelete)) {
    errors.Throw(request_ == Request::Insert   ? msg::InsertIllegal
                 : request_ == Request::Change ? msg::UpdateIllegal
                                               : msg::DeleteIllegal);
    return false;
  }
  errors.SetProcedureName(decl_.procedure);
  opened_ = true;
  if (rm_->Open() != kDone) return false;
  switch (request_) {
    case Request::Insert:
      fm_->ClearBuffer();
      if (fm_->layout().autoNumberKey() >= 0) {
        if (fm_->ReserveNumber() != kDone) return false;
        reserved_ = true;
      }
      if (decl_.prime) {
        EntryContext c = context();
        decl_.prime(c);
      }
      for (const auto& [name, value] : presets) {
        int f = fm_->layout().fieldIndex(name);
        if (f >= 0 && fm_->field(f).isText()) fm_->field(f).text() = value;
      }
      break;
    case Request::Change:
    case Request::Delete:
      if (fm_->WatchAndReread() != kDone) {
        errors.SetFile(fm_->label());
        errors.Throw(msg::RetrievedChanged);
        return false;
      }
      break;
    case Request::View:
      break;
  }
  remember();
  return true;
}

void FormCycle::remember() {
  copy_ = std::make_unique<RecordBuffer>(fm_->layout());
  fm_->layout().copy(copy_->get(), fm_->buffer());
  recall_ = std::make_unique<RecordBuffer>(*copy_);
  unread_.clear();
}

bool FormCycle::changed() const {
  return !unread_.empty() || (copy_ && !sameRecord(fm_->layout(), copy_->get(), fm_->buffer()));
}

int FormCycle::firstEditable() const {
  if (readOnly()) return 0;
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    const EntryDecl& e = *entries_[static_cast<std::size_t>(i)];
    if (!e.field.empty() && !e.readOnly && e.kind != EntryKind::Note) return i;
  }
  return 0;
}

bool FormCycle::enter(int i, std::string_view text) {
  const EntryDecl& e = *entries_[static_cast<std::size_t>(i)];
  if (e.field.empty() || e.readOnly || readOnly()) return true;
  std::string problem;
  if (setFieldText(field(i), e, text, problem)) {
    unread_.erase(i);
    return true;
  }
  unread_[i] = std::string(text);
  ui_.message(problem, kEntryErrorTitle, Icon::Exclamation, kOk, kOk);
  return false;
}

void FormCycle::hold(int i, std::string_view text) {
  const EntryDecl& e = *entries_[static_cast<std::size_t>(i)];
  if (e.field.empty() || e.readOnly || readOnly()) return;
  std::string problem;
  if (setFieldText(field(i), e, text, problem))
    unread_.erase(i);
  else
    unread_[i] = std::string(text);
}

bool FormCycle::accept(int i) {
  const EntryDecl& e = *entries_[static_cast<std::size_t>(i)];
  if (!e.check || readOnly()) return true;
  EntryContext c = context();
  return e.check(c);
}

bool FormCycle::recall(int i) {
  const EntryDecl& e = *entries_[static_cast<std::size_t>(i)];
  if (e.field.empty() || e.readOnly || readOnly() || !recall_) return false;
  int f = fm_->layout().fieldIndex(e.field);
  if (f < 0) return false;
  fm_->field(f).assign(recall_->field(f));
  return true;
}

FormCycle::Outcome FormCycle::firstEntry(bool redisplay) const {
  return Outcome{Outcome::Focus, firstEditable(), redisplay};
}

FormCycle::Outcome FormCycle::ok() {
  if (request_ == Request::View) {
    response_ = Response::Cancelled;
    return Outcome{Outcome::Close};
  }
  if (request_ != Request::Delete) {
    // Every entry is accepted in turn, visited or not: typed text is read
    // again (its box shown when it still cannot be read), then the entry's
    // check runs. The first refusal keeps the focus and nothing is saved.
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
      if (auto it = unread_.find(i); it != unread_.end()) {
        const std::string typed = it->second;
        if (!enter(i, typed)) return Outcome{Outcome::Focus, i};
      }
      if (!accept(i)) return Outcome{Outcome::Focus, i};
    }
  }
  return save();
}

FormCycle::Outcome FormCycle::save() {
  switch (request_) {
    case Request::Insert: return saveInsert();
    case Request::Change: return saveChange();
    case Request::Delete: return saveDelete();
    case Request::View: break;
  }
  return Outcome{Outcome::Close};
}

FormCycle::Outcome FormCycle::saveInsert() {
  int rc;
  if (decl_.store) {
    EntryContext c = context();
    {
      Busy b(ui_);
      rc = decl_.store(c);
    }
    if (rc != kDone) return firstEntry(false);
    response_ = Response::Completed;
    return Outcome{Outcome::Close};
  }
  {
    Busy b(ui_);
    rc = rm_->Insert();
  }
  if (rc != kDone) return firstEntry(false);
  reserved_ = false;
  response_ = Response::Completed;
  if (!settings().stayOpenOnInsert) return Outcome{Outcome::Close};
  // Stay on the added record: later saves change it.
  request_ = Request::Change;
  fm_->WatchAndReread();
  remember();
  return firstEntry();
}

FormCycle::Outcome FormCycle::saveChange() {
  ErrorManager& errors = *files_.context().errors;
  if (decl_.store) {
    EntryContext c = context();
    int rc;
    {
      Busy b(ui_);
      rc = decl_.store(c);
    }
    if (rc != kDone) return firstEntry(false);
    response_ = Response::Completed;
    return Outcome{Outcome::Close};
  }
  for (;;) {
    RecordBuffer mine(fm_->layout());
    fm_->layout().copy(mine.get(), fm_->buffer());
    int rc;
    {
      Busy b(ui_);
      if (decl_.putChange) {
        EntryContext c = context();
        rc = decl_.putChange(c, *fm_);
      } else {
        rc = rm_->Update(true);
      }
    }
    if (rc == kDone) {
      response_ = Response::Completed;
      if (decl_.afterChange) {
        EntryContext c = context();
        decl_.afterChange(c);
      }
      return Outcome{Outcome::Close};
    }
    if (fm_->LastEngineCode() == ecode::kChanged) {
      // The other station's version is in the buffer now; the recall key
      // brings back what this user typed, entry by entry.
      copy_ = std::make_unique<RecordBuffer>(fm_->layout());
      fm_->layout().copy(copy_->get(), fm_->buffer());
      recall_ = std::make_unique<RecordBuffer>(mine);
      return firstEntry();
    }
    unsigned answer = errors.Message(msg::RetrySave, kYes | kNo | kCancel, kCancel);
    if (answer == kYes) continue;
    if (answer == kNo) return Outcome{Outcome::Close};
    return firstEntry();
  }
}

FormCycle::Outcome FormCycle::saveDelete() {
  if (decl_.beforeDelete) {
    EntryContext c = context();
    if (!decl_.beforeDelete(c)) return Outcome{Outcome::Close};
  }
  int rc = rm_->Delete(settings().confirmDelete);
  if (rc == kDone) {
    response_ = Response::Completed;
    return Outcome{Outcome::Close};
  }
  if (rc == kDeclined) return Outcome{Outcome::Close};
  return Outcome{Outcome::Stay, 0, true};
}

bool FormCycle::abandon() {
  if (reserved_) {
    if (fm_->DropReservation() != kDone) return false;
    reserved_ = false;
  }
  return true;
}

FormCycle::Outcome FormCycle::leave() {
  bool asks = (request_ == Request::Insert || request_ == Request::Change) && changed();
  if (asks) {
    ErrorManager& errors = *files_.context().errors;
    if (settings().cancel == CancelQuestion::SaveRecord) {
      unsigned answer = errors.Message(msg::SaveRecord, kYes | kNo | kCancel, kCancel);
      if (answer == kYes) return ok();
      if (answer != kNo) return firstEntry(false);
    } else {
      if (errors.Message(msg::ConfirmCancel, kYes | kNo, kNo) != kYes) return firstEntry(false);
    }
  }
  if (!abandon()) return Outcome{Outcome::Stay};
  return Outcome{Outcome::Close};
}

}  // namespace vel
