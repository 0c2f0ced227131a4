// The building blocks every posting in this folder is made of: borrowing a
// file for the posting, one write unit over several files, and reading a
// member's records by By_Client. Internal to the ledger's postings.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "common/Text.h"
#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "recordstore/DataFiles.h"
#include "recordstore/FileManager.h"

namespace vel::ledger::detail {

// Opens a file for the posting and gives the caller's buffer, order and
// position back afterwards.
class Borrowed {
 public:
  explicit Borrowed(FileManager& f) : f_(f), use_(f), handle_(f.PushState()) {}
  ~Borrowed() { f_.PopState(handle_); }
  Borrowed(const Borrowed&) = delete;
  Borrowed& operator=(const Borrowed&) = delete;

 private:
  FileManager& f_;
  FileUse use_;
  int handle_;
};

// One unit of writes: the files are opened (created when missing) and locked
// together in file-directory order, so that every posting of every station
// takes its locks in one order; the transaction rolls back unless commit()
// succeeds. Failures are shown through the error manager.
class WriteUnit {
 public:
  WriteUnit(DataFiles& files, std::vector<FileManager*> fs) : files_(files) {
    std::sort(fs.begin(), fs.end(),
              [](FileManager* a, FileManager* b) { return a->index() < b->index(); });
    fs.erase(std::unique(fs.begin(), fs.end()), fs.end());
    for (FileManager* f : fs) borrowed_.push_back(std::make_unique<Borrowed>(*f));
    std::vector<EngineFile*> engineFiles;
    for (FileManager* f : fs) {
      // EnsureOpen shows its own message (or asks to retry) when it fails.
      if (f->EnsureOpen() != kDone) return;
      engineFiles.push_back(f->engineFile());
    }
    StoreContext& ctx = files.context();
    if (ctx.engine->begin(engineFiles, ctx.transactionTimeout, tx_) != ecode::kNone) {
      tx_.reset();
      // The engine does not say which of the files is held: name them all.
      std::string names;
      for (FileManager* f : fs) names += (names.empty() ? "" : ", ") + f->label();
      ctx.errors->SetFile(names);
      ctx.errors->Throw(msg::TransactionCancelled);
    }
  }
  ~WriteUnit() {
    if (tx_) tx_->rollback();
  }
  WriteUnit(const WriteUnit&) = delete;
  WriteUnit& operator=(const WriteUnit&) = delete;

  bool begun() const { return tx_ != nullptr; }

  // Commits; a failure is shown against `f` and nothing stays.
  bool commit(FileManager& f) {
    if (tx_->commit() == ecode::kNone) {
      tx_.reset();
      return true;
    }
    EngineStatus keep = engineStatus();
    tx_.reset();
    setEngineStatus(keep);
    files_.context().errors->SetFile(f.label());
    files_.context().errors->Throw(msg::PutFailed);
    return false;
  }

 private:
  DataFiles& files_;
  std::vector<std::unique_ptr<Borrowed>> borrowed_;
  std::unique_ptr<Transaction> tx_;
};

inline int byClient(FileManager& f) { return f.keyIndex("By_Client"); }

enum class Found { Yes, No, Failed };

// Reads the record of `clientId` by By_Client into the buffer. A failed read
// (not the absence of the record) is shown when `reporting`.
template <class R>
Found getByClient(FileManager& f, const std::string& clientId, bool reporting = true) {
  f.ClearBuffer();
  f.rec<R>().CLIENT_ID = clientId;
  const int rc = f.TryGetByKey(byClient(f));
  if (rc == kDone) return Found::Yes;
  const int code = f.LastEngineCode();
  if (rc == kFailed && (code == ecode::kRecordNotFound || code == ecode::kNoRecord))
    return Found::No;
  if (reporting) f.report(msg::RetrievalError);
  return Found::Failed;
}

// Reads the member's last record in By_Client order (the latest arrival of
// his run) into the buffer.
template <class R>
Found lastOfClient(FileManager& f, const std::string& clientId, bool reporting = true) {
  f.ClearBuffer();
  f.rec<R>().CLIENT_ID = clientId;
  if (f.SetOrderAt(byClient(f)) != kDone) return Found::Failed;
  const int rc = f.TryReadPrevious();
  if (rc != kDone) {
    if (f.EndOfData()) return Found::No;
    if (reporting) f.report(msg::RetrievalError);
    return Found::Failed;
  }
  return equalsNoCase(f.rec<R>().CLIENT_ID.str(), clientId) ? Found::Yes : Found::No;
}

// Walks the member's records in By_Client order (arrival order among his
// own), calling `visit` with each until it returns false. False when a read
// failed (shown when `reporting`).
template <class R, class Visit>
bool eachOfClient(FileManager& f, const std::string& clientId, Visit visit, bool reporting = true) {
  f.ClearBuffer();
  f.rec<R>().CLIENT_ID = clientId;
  if (f.SetOrderAt(byClient(f)) != kDone) return false;
  for (;;) {
    const int rc = f.TryReadNext();
    if (rc != kDone) {
      if (f.EndOfData()) return true;
      if (reporting) f.report(msg::RetrievalError);
      return false;
    }
    if (!equalsNoCase(f.rec<R>().CLIENT_ID.str(), clientId)) return true;
    if (!visit(f.rec<R>())) return true;
  }
}

inline std::string cutTo(const std::string& s, std::size_t n) {
  return s.size() > n ? s.substr(0, n) : s;
}

// An "Invoice" entry of the transaction ledger as every charge writes it: no
// commission and nothing paid over unless the caller sets them after.
template <class Entry>
void fillInvoiceEntry(Entry& t, const std::string& clientId, double debit,
                      const PostingStamp& stamp, Moment at) {
  t.CLIENT_ID = clientId;
  t.DATE = at.day;
  t.TYPE = kInvoiceType;
  t.CREDIT = 0;
  t.DEBIT = debit;
  t.BRANCH_ID = stamp.branch;
  t.X_DATE = at.day;
  t.X_TIME = at.time;
  t.X_ID = cutTo(stamp.user, 10);
  t.DELETED = 0;
  t.UNIQUE = uniqueStamp(at.day, at.time);
  t.SENT = 0;
  t.PAYOVER = 0;
  t.COLL_COMM = 0;
  t.AGE_COMM = 0;
}

}  // namespace vel::ledger::detail
