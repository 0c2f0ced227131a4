#include "recordstore/RelationManager.h"

#include "common/Text.h"
#include "errors/EngineStatus.h"
#include "recordstore/DataFiles.h"

namespace vel {

RelationManager::RelationManager(DataFiles& files, FileManager& file) : files_(files), file_(file) {}

int RelationManager::Open() {
  int rc = file_.Open();
  for (auto& r : relations_) r.other->Open();
  return rc;
}

int RelationManager::Close() {
  for (auto& r : relations_) r.other->Close();
  return file_.Close();
}

int RelationManager::Insert() { return file_.Insert(); }

// This file and the children whose rule (for update or delete) asks for an
// action, each opened by this thread.
std::vector<EngineFile*> RelationManager::transactionFiles(bool forUpdate, bool& ok) {
  std::vector<EngineFile*> out;
  ok = true;
  EngineFile* self = file_.engineFile();
  if (!self) {
    ok = false;
    return out;
  }
  out.push_back(self);
  for (auto& r : relations_) {
    RelationRule rule = forUpdate ? r.onUpdate : r.onDelete;
    if (!r.otherIsChild || rule == RelationRule::None) continue;
    EngineFile* child = r.other->engineFile();
    if (!child) {
      ok = false;
      return out;
    }
    out.push_back(child);
  }
  return out;
}

namespace {
bool sameLinks(const Layout& pl, const void* a, const void* b,
               const std::vector<std::pair<int, int>>& links) {
  for (auto [pf, cf] : links) {
    (void)cf;
    FieldRef fa = pl.field(const_cast<void*>(a), pf), fb = pl.field(const_cast<void*>(b), pf);
    if (fa.display() != fb.display()) return false;
  }
  return true;
}

// Copies the parent's linking values into the child's linking fields.
void copyLinks(const Layout& pl, const void* parent, const Layout& cl, void* child,
               const std::vector<std::pair<int, int>>& links) {
  for (auto [pf, cf] : links) cl.field(child, cf).assign(pl.field(const_cast<void*>(parent), pf));
}

// Positions of every child whose linking fields hold the parent's values.
int linkedChildren(EngineFile& child, const Layout& pl, const void* parent, int childKey,
                   const std::vector<std::pair<int, int>>& links, std::vector<std::string>& out) {
  const Layout& cl = child.layout();
  RecordBuffer probe(cl);
  copyLinks(pl, parent, cl, probe.get(), links);
  int rc = child.setOrderAt(childKey, probe.get());
  while (rc == ecode::kNone) {
    rc = child.next(probe.get());
    if (rc != ecode::kNone) break;
    bool linked = true;
    for (auto [pf, cf] : links) {
      if (!equalsNoCase(pl.field(const_cast<void*>(parent), pf).display(),
                        cl.field(probe.get(), cf).display())) {
        linked = false;
        break;
      }
    }
    if (!linked) break;
    out.push_back(child.position());
  }
  return rc == ecode::kNoRecord ? ecode::kNone : rc;
}
}  // namespace

int RelationManager::applyUpdateRules(const void* oldRec, const void* newRec) {
  const Layout& pl = file_.layout();
  for (auto& r : relations_) {
    if (!r.otherIsChild || r.onUpdate == RelationRule::None) continue;
    if (sameLinks(pl, oldRec, newRec, r.links)) continue;
    if (r.onUpdate == RelationRule::Restrict) {
      std::vector<std::string> kids;
      EngineFile* child = r.other->engineFile();
      if (!child || linkedChildren(*child, pl, oldRec, r.childKey, r.links, kids)) return kFailed;
      if (kids.empty()) continue;
      files_.context().errors->SetFile(r.other->label());
      files_.context().errors->Throw(msg::RestrictUpdate);
      return kDeclined;
    }
    EngineFile* child = r.other->engineFile();
    if (!child) return kFailed;
    int handle = r.other->PushState();
    std::vector<std::string> kids;
    int rc = linkedChildren(*child, pl, oldRec, r.childKey, r.links, kids);
    RecordBuffer kid(child->layout());
    for (std::size_t i = 0; rc == ecode::kNone && i < kids.size(); ++i) {
      rc = child->reget(kids[i], kid.get());
      if (rc != ecode::kNone) break;
      if (r.onUpdate == RelationRule::Cascade) {
        copyLinks(pl, newRec, child->layout(), kid.get(), r.links);
      } else {
        for (auto [pf, cf] : r.links) {
          (void)pf;
          child->layout().field(kid.get(), cf).clear();
        }
      }
      rc = child->put(kid.get());
    }
    r.other->PopState(handle);
    if (rc != ecode::kNone) return kFailed;
  }
  return kDone;
}

int RelationManager::Update(bool fromForm) {
  ErrorManager& errors = *files_.context().errors;
  Open();
  struct Closer {
    RelationManager* m;
    ~Closer() { m->Close(); }
  } closer{this};

  bool ok;
  std::vector<EngineFile*> fs = transactionFiles(true, ok);
  if (!ok) return kNotUsable;
  std::unique_ptr<Transaction> tx;
  if (files_.context().engine->begin(fs, files_.context().transactionTimeout, tx) != ecode::kNone) {
    errors.SetFile(file_.label());
    errors.Throw(msg::TransactionCancelled);
    return kFailed;
  }
  // The linking values the children hold now are those of the stored record.
  RecordBuffer oldRec(file_.layout());
  if (file_.StoredVersion(oldRec.get()) != kDone) {
    tx->rollback();
    errors.SetFile(file_.label());
    errors.Throw(msg::RetrievedChanged);
    return kFailed;
  }
  int rc = file_.Update(fromForm);
  if (rc != kDone) {
    tx->rollback();
    return file_.LastEngineCode() == ecode::kChanged ? kFailed : kRefused;
  }
  if (int rc2 = applyUpdateRules(oldRec.get(), file_.buffer()); rc2 != kDone) {
    EngineStatus keep = engineStatus();
    tx->rollback();
    if (rc2 != kDeclined) {  // a restricted change has said so already
      setEngineStatus(keep);
      errors.SetFile(file_.label());
      errors.Throw(msg::PutFailed);
    }
    // The parent's linking fields go back to what the file still holds.
    for (auto& r : relations_)
      for (auto [pf, cf] : r.links) {
        (void)cf;
        if (!r.otherIsChild) continue;
        file_.field(pf).assign(file_.layout().field(oldRec.get(), pf));
      }
    setEngineStatus(keep);
    return kFailed;
  }
  if (tx->commit() != ecode::kNone) {
    errors.SetFile(file_.label());
    errors.Throw(msg::PutFailed);
    return kFailed;
  }
  return kDone;
}

int RelationManager::deleteChildren(const void* parentRec) {
  const Layout& pl = file_.layout();
  for (auto& r : relations_) {
    if (!r.otherIsChild || r.onDelete == RelationRule::None) continue;
    EngineFile* child = r.other->engineFile();
    if (!child) return kFailed;
    std::vector<std::string> kids;
    if (linkedChildren(*child, pl, parentRec, r.childKey, r.links, kids) != ecode::kNone)
      return kFailed;
    if (r.onDelete == RelationRule::Restrict) {
      if (kids.empty()) continue;
      files_.context().errors->SetFile(r.other->label());
      files_.context().errors->Throw(msg::RestrictDelete);
      return kFailed;
    }
    RelationManager& grandParent = files_.rm(r.other->index());
    RecordBuffer kid(child->layout());
    for (const auto& pos : kids) {
      if (child->reget(pos, kid.get()) != ecode::kNone) return kFailed;
      if (r.onDelete == RelationRule::Cascade) {
        // The child's own children follow the same rules.
        if (grandParent.deleteChildren(kid.get()) != kDone) return kFailed;
        if (child->reget(pos, kid.get()) != ecode::kNone || child->erase() != ecode::kNone)
          return kFailed;
      } else {
        for (auto [pf, cf] : r.links) {
          (void)pf;
          child->layout().field(kid.get(), cf).clear();
        }
        if (child->put(kid.get()) != ecode::kNone) return kFailed;
      }
    }
  }
  return kDone;
}

int RelationManager::Delete(bool ask) {
  ErrorManager& errors = *files_.context().errors;
  if (ask) {
    errors.SetFile(file_.label());
    if (errors.Throw(msg::DeleteConfirm) != kDone) return kDeclined;
  }
  Open();
  struct Closer {
    RelationManager* m;
    ~Closer() { m->Close(); }
  } closer{this};

  for (;;) {
    errors.ui().busy(true);
    std::string pos = file_.Position();
    bool ok;
    std::vector<EngineFile*> fs = transactionFiles(false, ok);
    if (!ok) {
      errors.ui().busy(false);
      return kNotUsable;
    }
    std::unique_ptr<Transaction> tx;
    if (files_.context().engine->begin(fs, files_.context().transactionTimeout, tx) !=
        ecode::kNone) {
      errors.ui().busy(false);
      errors.SetFile(file_.label());
      errors.Throw(msg::TransactionCancelled);
      return kFailed;
    }
    EngineFile& self = *fs[0];
    RecordBuffer current(file_.layout());
    bool done = self.reget(pos, current.get()) == ecode::kNone &&
                deleteChildren(current.get()) == kDone &&
                self.reget(pos, current.get()) == ecode::kNone && self.erase() == ecode::kNone &&
                tx->commit() == ecode::kNone;
    errors.ui().busy(false);
    if (done) return kDone;
    EngineStatus keep = engineStatus();
    tx->rollback();
    setEngineStatus(keep);
    errors.SetFile(file_.label());
    errors.Throw(msg::DeleteError);
    // Yes tries again; No gives up (the form closes); Cancel gives up and
    // the form stays on the record.
    unsigned answer = errors.Message(msg::RetryDelete, kYes | kNo | kCancel, kCancel);
    if (answer == kNo) return kDeclined;
    if (answer != kYes) return kFailed;
  }
}

}  // namespace vel
