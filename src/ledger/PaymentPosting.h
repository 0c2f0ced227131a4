// Payment postings: a payment received, and the correction or removal of one
// already on file.
//
// A payment is written five ways as one transaction of the record store: the
// payment record, the "Pd" marks on the member's open invoices, a "Payment"
// entry of the transaction ledger carrying the commission, Age_Pay on the
// member's ageing record (read and written inside the transaction, so two
// stations paying for one member never lose an update), and the member's
// overdue-reminder switches DAY5/DAY10 cleared once he owes less than a
// premium. Either all of it is on file or none of it.
//
// A payment changed or removed afterwards is never rewritten silently: the
// ledger keeps the original entry and gets a reversing entry (and, for a
// change, a new posting), so the member's history shows what happened, and
// the ageing and the invoice marks end as if the payment had been entered
// right the first time. A correction re-reads the payment inside its
// transaction and refuses one that is no longer as the clerk saw it, so an
// amount is never taken off or posted twice.
//
// Every function is a template over a ledger descriptor (LedgerDesc.h),
// instantiated for the burial cover and the hamper club. Failures are shown
// through the error manager and leave the files as they were.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"

namespace vel::ledger {

// STATUS of a ledger entry that reverses an earlier payment entry.
inline constexpr std::string_view kReversalStatus = "REV";

// Who earns the commission of a payment.
enum class FirstPayment {
  Yes,     // the member's first payment: the agent's commission
  No,      // a later payment: the collector's commission
  OnFile,  // decided inside the posting: first when the member has no payment on file yet
};

struct PaymentOptions {
  FirstPayment first = FirstPayment::OnFile;
  // The payment form stores the payment after the commission split, so the
  // commission that went to nobody is cleared on the payment too; receipt
  // capture stores it before and keeps both amounts.
  bool clearUnearnedCommission = true;
  // Other writes that belong to the same unit (receipt capture: the receipt
  // received, its print record, the issued receipt). Their files are locked
  // with the ledger's; `write` runs inside the transaction before the
  // payment and returns false to abandon the whole unit (it has shown why).
  std::vector<FileManager*> alsoFiles;
  std::function<bool()> alsoWrite;
};

// What a payment posting did.
struct PaymentOutcome {
  PostResult result = PostResult::Failed;
  bool unknownMember = false;  // no member of that CLIENT_ID: nothing written
  bool firstPayment = false;   // the commission went to the agent
  int invoicesMarked = 0;
  double total = 0;            // the member's TOTAL after the payment
  bool overdueCleared = false; // DAY5/DAY10 were set and have been cleared
  std::string position;        // the payment's position in its file
};

// Posts the payment in `pay` (CLIENT_ID, DATE, ACCOUNT, SOURCE, CREDIT,
// STATUS, codes and commissions as the caller has them). The posting fills
// PREM2PAY from the member, the stamps X_DATE, X_TIME, X_ID, UNIQUE, DELETED
// and SENT, splits the commission and adds the payment; `pay` then holds the
// record as stored. A member who is not on file gets nothing
// (NothingToPost, unknownMember). A member without an ageing record gets one
// opened at 0 before the payment is aged, so the amount is never lost.
template <class L>
PaymentOutcome postPayment(DataFiles& files, typename L::Payment& pay, const PaymentOptions& options,
                           const PostingStamp& stamp, Moment at);

// The same writes inside a transaction the caller holds over the member,
// payment, invoice, transaction and ageing files (and any `alsoFiles`), for
// bulk callers such as the demo office that post many payments per commit.
// The caller commits; on Failed it must roll back (or back to its savepoint).
template <class L>
PaymentOutcome addPayment(DataFiles& files, typename L::Payment& pay, const PaymentOptions& options,
                          const PostingStamp& stamp, Moment at);

// Removes the payment at `paymentPosition` (FileManager::Position() of the
// payment file): the payment record goes, the ledger keeps the payment's
// entry and gets a reversing "Payment" entry (CREDIT and commission negated,
// STATUS "REV", dated `at`), the amount goes back on TOTAL and CURRENT of the
// ageing record, and the invoices this payment marked paid are open again
// (the marks are worked out again in the order things were written, with and
// without this payment). A payment no longer on file gives NothingToPost.
template <class L>
PostResult deletePayment(DataFiles& files, const std::string& paymentPosition,
                         const PostingStamp& stamp, Moment at);

// Corrects the payment at `paymentPosition`, which the clerk loaded as
// `loaded`, to `changed`. When the amount, date, account or source differs
// the ledger gets a reversing entry of the old posting and a new "Payment"
// entry, and the ageing gets the old amount back before Age_Pay of the new
// one; the invoice marks stay (they do not depend on the amount). The
// payment record is rewritten with the new values. A payment that is no
// longer on file, or no longer as loaded (another station changed or
// corrected it meanwhile), is refused with the record store's message and
// nothing is written; NothingToPost when nothing changed.
template <class L>
PostResult correctPayment(DataFiles& files, const std::string& paymentPosition,
                          const typename L::Payment& loaded, typename L::Payment& changed,
                          const PostingStamp& stamp, Moment at);

}  // namespace vel::ledger
