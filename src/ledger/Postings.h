// Postings: the groups of ledger writes that belong together.
//
// Each posting writes several records (an ageing record, an invoice, a
// transaction ...) as one transaction of the record store: either every write
// of the group is on file or none is. A failure shows the store's message
// through the error manager (a file another station holds locked beyond the
// wait, a refused record) and leaves the files as they were, so the clerk can
// simply try again. Posting the same thing again finds it on file and writes
// nothing.
//
// Every function here is a template over a ledger descriptor (LedgerDesc.h)
// and exists for the burial cover (BurialCover) and the hamper club
// (HamperClub). The caller's record buffers, orders and positions of the
// files used are left as they were.
#pragma once

#include <string>

#include "ledger/LedgerDesc.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"

namespace vel::ledger {

// Where and by whom a posting is written; stamped into every entry.
struct PostingStamp {
  std::string branch;  // BRANCH_ID of the office (Config.BRANCH_ID)
  std::string user;    // the logged-in user (LOGPROG); its first 10 characters go in X_ID
};

// BRANCH_ID of the office: that of the first Config record, blank when the
// folder has none.
std::string officeBranch(DataFiles& files);

enum class PostResult {
  Posted,         // the whole group is on file
  NothingToPost,  // already posted (or nothing to change): no record written
  Failed,         // nothing written; the reason has been shown
};

// The first charge of a new member: an ageing record opened at the premium,
// the first invoice and its "Invoice" transaction, dated the moment given.
struct FirstCharge {
  std::string clientId;
  double premium = 0;   // PREMIUM: the first month is billed at it
  double ageComm = 0;   // the agent's commission, carried on the transaction
  double collComm = 0;  // the collector's commission
};

// The first charge of a member record as stored (VelCli or Hamper).
template <class Member>
FirstCharge firstChargeOf(const Member& m) {
  return {m.CLIENT_ID.text(), m.PREMIUM, m.AGE_COMM, m.COL_COMM};
}

// Posts the first charge of a member just added: ageing record (Age_Open of
// the premium), invoice and "Invoice" transaction, and the member's INVOICED
// mark on file (so the month's invoice run passes the member over), in one
// transaction. The member record is rewritten only when its mark is not set
// yet (the client form stores a new policy marked), so a caller holding the
// member's record normally finds it unchanged. A member who already has an
// ageing record has had his first charge: nothing is written and
// NothingToPost is returned.
template <class L>
PostResult postFirstCharge(DataFiles& files, const FirstCharge& charge, const PostingStamp& stamp,
                           Moment at);

// The three records of a first charge, added inside a transaction the caller
// has begun over the ledger's ageing, invoice and transaction files (and
// commits). For bulk callers such as the demo office, which posts many
// members per commit. Quiet: a refused record gives its level (kFailed or
// kNotUsable) and LastEngineText() of the file named in `failedFile` says
// why; nothing is shown. The member's INVOICED mark is the caller's to set.
template <class L>
int addFirstCharge(DataFiles& files, const FirstCharge& charge, const PostingStamp& stamp,
                   Moment at, std::string* failedFile = nullptr);

// A change of a member's monthly premium on a policy already charged.
struct PremiumCorrection {
  std::string clientId;
  double oldPremium = 0;
  double newPremium = 0;
};

// Posts a premium correction: with D = old premium - new premium (a rise
// gives a negative D), an "Invoice" transaction of DEBIT D, Age_Adjust(D) on
// the member's ageing record (none is created when it is missing), and the
// member's last invoice re-billed at the new premium (a member without
// invoices gets no invoice change). An unchanged premium (at cents) posts
// nothing. Posting the same correction again on the same day (the same D
// already on file today and the last invoice already at the new premium)
// posts nothing: after Posted the caller takes the new premium as the old one.
template <class L>
PostResult postPremiumCorrection(DataFiles& files, const PremiumCorrection& correction,
                                 const PostingStamp& stamp, Moment at);

// The same correction written inside a transaction the caller has begun over
// the ledger's transaction, ageing and invoice files (and commits), beside
// writes of its own such as the member record and the audit trail. Quiet: a
// failure gives its level (kFailed, kNotUsable), `failedFile` names the file
// whose LastError() and LastEngineText() say why, and nothing is shown, so
// the caller can roll back first and report after. `posted` tells whether
// anything was written (an unchanged premium or a correction already on file
// writes nothing and still gives kDone). The caller's buffers and positions
// of the three files are left as they were.
template <class L>
int addPremiumCorrection(DataFiles& files, const PremiumCorrection& correction,
                         const PostingStamp& stamp, Moment at, bool* posted = nullptr,
                         std::string* failedFile = nullptr);

// Removing or correcting a payment: see PaymentPosting.h.

}  // namespace vel::ledger
