// Invoice postings: the month's invoice of one member, and the correction of
// an invoice amount.
//
// The month's invoice writes four records that belong together: the
// invoice, the ageing roll (or a fresh ageing record), the member's marks
// (INVOICED, the SMS date and switches) and the "Invoice" transaction. The
// invoice run posts many members per commit, each inside a savepoint of its
// own (LedgerTransaction below), so a member is on file whole or not at all
// and a run cut short by a crash leaves whole members only. The member's
// INVOICED mark is read and set inside the same write transaction, so two
// stations running the invoice run at once never bill a member twice.
//
// Every function here is a template over a ledger descriptor (LedgerDesc.h)
// and exists for the burial cover (BurialCover) and the hamper club
// (HamperClub).
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"

namespace vel::ledger {

// The monthly amount of a member: the client's PLANPREM (the premium of the
// plan and its dependants), the hamper member's PREMIUM (his contribution).
template <class L>
double monthlyAmount(const typename L::Member& m) {
  if constexpr (std::is_same_v<typename L::Member, rec::VelCli>)
    return m.PLANPREM;
  else
    return m.PREMIUM;
}

// Whether the month's invoice run bills this member: not invoiced since the
// last month reset, and ACTIVE exactly "Active" (case counts; trailing
// blanks do not).
template <class Member>
bool dueForInvoice(const Member& m) {
  return m.INVOICED.value != 1 && m.ACTIVE == "Active";
}

// Adds the month's invoice of the member now in the member file's buffer
// (read inside the caller's transaction over the member, invoice, ageing and
// transaction files of the ledger): invoice, ageing, member marks, "Invoice"
// transaction, in that order. The member's INVOICED mark is the caller's to
// test first (dueForInvoice). Quiet: a refused write gives its level, the
// file's label goes to `failedFile`, and LastEngineText() of that file says
// why; nothing is shown. `amountCents` receives the amount billed.
template <class L>
int addMonthlyInvoice(DataFiles& files, const PostingStamp& stamp, Moment at,
                      std::string* failedFile, std::int64_t* amountCents = nullptr);

// A write transaction over several files of the ledger, for batch runs and
// postings: opened (created when missing) and locked together, rolled back
// unless committed. Beginning waits for other stations' locks, retrying
// with back-off for up to `waitSeconds` in all before it fails.
class LedgerTransaction {
 public:
  LedgerTransaction(DataFiles& files, std::vector<FileManager*> fs, int waitSeconds);
  ~LedgerTransaction();
  LedgerTransaction(const LedgerTransaction&) = delete;
  LedgerTransaction& operator=(const LedgerTransaction&) = delete;

  // Whether the transaction is open; when not, failedFiles() names the files
  // and failureText() says why (nothing has been shown).
  bool begun() const { return tx_ != nullptr; }
  const std::string& failedFiles() const { return failedFiles_; }
  const std::string& failureText() const { return failureText_; }

  bool savepoint();
  bool releaseSavepoint();
  bool rollbackToSavepoint();
  // Commits; false (and nothing kept) when the commit failed.
  bool commit();
  void rollback();

 private:
  std::unique_ptr<Transaction> tx_;
  std::string failedFiles_, failureText_;
};

// A change of an invoice's amount on the invoice form. The invoice is the
// one at `position` (FileManager::Position()) of the ledger's invoice file;
// `loaded` is the invoice as the form read it and `edited` as the clerk
// left it.
template <class L>
struct InvoiceCorrection {
  std::string position;
  typename L::Invoice loaded;
  typename L::Invoice edited;
};

// Posts an invoice correction as one transaction: with D = old DEBIT - new
// DEBIT (at cents), an "Invoice" transaction of DEBIT D dated today, the
// member's ageing adjusted by Age_Adjust(D) (none is created when missing),
// and the invoice itself stored as edited. An unchanged amount stores the
// invoice only. An invoice another station changed or removed since the
// form read it is refused with the store's message and nothing is written.
template <class L>
PostResult postInvoiceCorrection(DataFiles& files, const InvoiceCorrection<L>& c,
                                 const PostingStamp& stamp, Moment at);

}  // namespace vel::ledger
