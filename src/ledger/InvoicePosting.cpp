#include "ledger/InvoicePosting.h"

#include <chrono>
#include <thread>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "ledger/Ageing.h"
#include "ledger/WriteUnit.h"

namespace vel::ledger {

namespace {

using detail::cutTo;
using detail::fillInvoiceEntry;

// Reads the record of `clientId` by By_Client into the buffer, quietly.
// 0 found, 1 not on file, otherwise the level of the failed read.
template <class R>
int findByClient(FileManager& f, const std::string& clientId) {
  f.ClearBuffer();
  f.rec<R>().CLIENT_ID = clientId;
  const int rc = f.TryGetByKey(f.keyIndex("By_Client"));
  if (rc == kDone) return 0;
  const int code = f.LastEngineCode();
  if (code == ecode::kRecordNotFound || code == ecode::kNoRecord) return 1;
  return rc == kDone ? kFailed : rc;
}

}  // namespace

// --- LedgerTransaction ---------------------------------------------------

LedgerTransaction::LedgerTransaction(DataFiles& files, std::vector<FileManager*> fs,
                                     int waitSeconds) {
  std::vector<EngineFile*> engineFiles;
  for (FileManager* f : fs) {
    if (!failedFiles_.empty()) failedFiles_ += ", ";
    failedFiles_ += f->label();
  }
  for (FileManager* f : fs) {
    if (f->TryEnsureOpen() != kDone) {
      failedFiles_ = f->label();
      failureText_ = f->LastEngineText();
      return;
    }
    engineFiles.push_back(f->engineFile());
  }
  StoreContext& ctx = files.context();
  // Another station's group commit holds the files for moments: wait for it
  // with growing pauses rather than give up after the first wait.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
  auto pause = std::chrono::milliseconds(20);
  for (;;) {
    const int rc = ctx.engine->begin(engineFiles, ctx.transactionTimeout, tx_);
    if (rc == ecode::kNone) {
      failedFiles_.clear();
      return;
    }
    tx_.reset();
    failureText_ = engineStatus().text;
    const bool busy = rc == ecode::kLockTimeout || rc == ecode::kRecordHeld;
    if (!busy || std::chrono::steady_clock::now() >= until) return;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(500));
  }
}

LedgerTransaction::~LedgerTransaction() { rollback(); }

bool LedgerTransaction::savepoint() { return tx_ && tx_->savepoint() == ecode::kNone; }
bool LedgerTransaction::releaseSavepoint() {
  return tx_ && tx_->releaseSavepoint() == ecode::kNone;
}
bool LedgerTransaction::rollbackToSavepoint() {
  return tx_ && tx_->rollbackToSavepoint() == ecode::kNone;
}

bool LedgerTransaction::commit() {
  if (!tx_) return false;
  const int rc = tx_->commit();
  tx_.reset();
  if (rc != ecode::kNone) failureText_ = engineStatus().text;
  return rc == ecode::kNone;
}

void LedgerTransaction::rollback() {
  if (!tx_) return;
  EngineStatus keep = engineStatus();
  tx_->rollback();
  tx_.reset();
  setEngineStatus(keep);
}

// --- The month's invoice -------------------------------------------------

template <class L>
int addMonthlyInvoice(DataFiles& files, const PostingStamp& stamp, Moment at,
                      std::string* failedFile, std::int64_t* amountCents) {
  using Member = typename L::Member;
  FileManager& mem = files.fm<Member>();
  Member& m = mem.rec<Member>();
  const std::string clientId = m.CLIENT_ID.text();
  const std::int64_t cents = toCents(monthlyAmount<L>(m));
  const double amount = fromCents(cents);
  if (amountCents) *amountCents = cents;
  auto failed = [&](FileManager& f, int rc) {
    if (failedFile) *failedFile = f.label();
    return rc == kDone ? kFailed : rc;
  };

  FileManager& inv = files.fm<typename L::Invoice>();
  inv.ClearBuffer();
  auto& i = inv.rec<typename L::Invoice>();
  i.CLIENT_ID = clientId;
  i.DATE = at.day;
  i.DEBIT = amount;
  i.BRANCH_ID = stamp.branch;
  i.UNIQUE = uniqueStamp(at.day, at.time);
  i.SENT = 0;
  if (int rc = inv.TryInsert()) return failed(inv, rc);

  FileManager& age = files.fm<typename L::Ageing>();
  switch (int found = findByClient<typename L::Ageing>(age, clientId)) {
    case 0:
      Age_Charge(age.rec<typename L::Ageing>(), amount);
      if (int rc = age.TryUpdate()) return failed(age, rc);
      break;
    case 1: {
      age.ClearBuffer();
      auto& a = age.rec<typename L::Ageing>();
      a.CLIENT_ID = clientId;
      Age_Open(a, amount);
      if (int rc = age.TryInsert()) return failed(age, rc);
      break;
    }
    default:
      return failed(age, found);
  }

  m.INVOICED = 1;
  m.SMS_DATE = at.day + 14;
  m.SMS_SENDIT = 1;
  if constexpr (std::is_same_v<Member, rec::VelCli>) {
    // Arms the two overdue reminders; the hamper club has none.
    m.DAY5 = 1;
    m.DAY10 = 1;
  }
  if (int rc = mem.TryUpdate()) return failed(mem, rc);

  FileManager& tra = files.fm<typename L::Entry>();
  tra.ClearBuffer();
  fillInvoiceEntry(tra.rec<typename L::Entry>(), clientId, amount, stamp, at);
  if (int rc = tra.TryInsert()) return failed(tra, rc);
  return kDone;
}

// --- Invoice correction --------------------------------------------------

template <class L>
PostResult postInvoiceCorrection(DataFiles& files, const InvoiceCorrection<L>& c,
                                 const PostingStamp& stamp, Moment at) {
  using Invoice = typename L::Invoice;
  using Entry = typename L::Entry;
  using Ageing = typename L::Ageing;
  FileManager& inv = files.fm<Invoice>();
  FileManager& tra = files.fm<Entry>();
  FileManager& age = files.fm<Ageing>();
  ErrorManager& errors = *files.context().errors;
  FileUse useInv(inv), useTra(tra), useAge(age);
  const int saved = inv.PushState();
  const int savedTra = tra.PushState();
  const int savedAge = age.PushState();
  struct Restore {
    FileManager &a, &b, &c;
    int ha, hb, hc;
    ~Restore() {
      a.PopState(ha);
      b.PopState(hb);
      c.PopState(hc);
    }
  } restore{inv, tra, age, saved, savedTra, savedAge};

  LedgerTransaction tx(files, {&inv, &tra, &age}, files.context().transactionTimeout);
  if (!tx.begun()) {
    errors.SetFile(tx.failedFiles());
    errors.Throw(msg::TransactionCancelled);
    return PostResult::Failed;
  }

  // The invoice as it is on file now must be the one the form read.
  if (inv.Reget(c.position) != kDone) return PostResult::Failed;  // shown by Reget
  const Invoice& stored = inv.rec<Invoice>();
  if (!sameMoney(stored.DEBIT, c.loaded.DEBIT) || !(stored.CLIENT_ID == c.loaded.CLIENT_ID) ||
      stored.DATE.value != c.loaded.DATE.value || !(stored.STATUS == c.loaded.STATUS)) {
    errors.SetFile(inv.label());
    errors.Throw(msg::ConcurrencyChangedFromForm);
    return PostResult::Failed;
  }

  const std::int64_t diffCents = toCents(c.loaded.DEBIT) - toCents(c.edited.DEBIT);
  Invoice updated = c.edited;
  updated.DEBIT = roundCents(c.edited.DEBIT);
  inv.rec<Invoice>() = updated;
  if (inv.Update() != kDone) return PostResult::Failed;

  if (diffCents != 0) {
    const double diff = fromCents(diffCents);
    const std::string clientId = c.loaded.CLIENT_ID.text();
    tra.ClearBuffer();
    fillInvoiceEntry(tra.rec<Entry>(), clientId, diff, stamp, at);
    if (tra.Insert() != kDone) return PostResult::Failed;

    switch (findByClient<Ageing>(age, clientId)) {
      case 0:
        Age_Adjust(age.rec<Ageing>(), diff);
        if (age.Update() != kDone) return PostResult::Failed;
        break;
      case 1:
        break;  // no ageing record: none is made for a correction
      default:
        age.report(msg::RetrievalError);
        return PostResult::Failed;
    }
  }
  if (!tx.commit()) {
    errors.SetFile(inv.label());
    errors.Throw(msg::PutFailed);
    return PostResult::Failed;
  }
  return diffCents != 0 ? PostResult::Posted : PostResult::NothingToPost;
}

#define VEL_LEDGER_INVOICE_POSTINGS_(L)                                                     \
  template int addMonthlyInvoice<L>(DataFiles&, const PostingStamp&, Moment, std::string*, \
                                    std::int64_t*);                                        \
  template PostResult postInvoiceCorrection<L>(DataFiles&, const InvoiceCorrection<L>&,   \
                                               const PostingStamp&, Moment);

VEL_LEDGER_INVOICE_POSTINGS_(BurialCover)
VEL_LEDGER_INVOICE_POSTINGS_(HamperClub)

}  // namespace vel::ledger
