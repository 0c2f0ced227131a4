#include "ledger/Postings.h"

#include <memory>
#include <vector>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "ledger/Ageing.h"
#include "ledger/WriteUnit.h"

namespace vel::ledger {

namespace {

using namespace detail;

template <class L>
int addFirstChargeQuiet(DataFiles& files, const FirstCharge& c, const PostingStamp& stamp,
                        Moment at, bool reporting, std::string* failedFile) {
  const double premium = roundCents(c.premium);
  auto insert = [&](FileManager& f) {
    const int rc = reporting ? f.Insert() : f.TryInsert();
    if (rc != kDone && failedFile) *failedFile = f.label();
    return rc;
  };

  FileManager& age = files.fm<typename L::Ageing>();
  age.ClearBuffer();
  auto& a = age.rec<typename L::Ageing>();
  a.CLIENT_ID = c.clientId;
  Age_Open(a, premium);
  a.BRANCH_ID = stamp.branch;
  if (int rc = insert(age)) return rc;

  FileManager& inv = files.fm<typename L::Invoice>();
  inv.ClearBuffer();
  auto& i = inv.rec<typename L::Invoice>();
  i.CLIENT_ID = c.clientId;
  i.DATE = at.day;
  i.DEBIT = premium;
  i.BRANCH_ID = stamp.branch;
  i.UNIQUE = uniqueStamp(at.day, at.time);
  i.SENT = 0;
  if (int rc = insert(inv)) return rc;

  FileManager& tra = files.fm<typename L::Entry>();
  tra.ClearBuffer();
  auto& t = tra.rec<typename L::Entry>();
  fillInvoiceEntry(t, c.clientId, premium, stamp, at);
  t.AGE_COMM = c.ageComm;
  t.COLL_COMM = c.collComm;
  return insert(tra);
}

}  // namespace

std::string officeBranch(DataFiles& files) {
  FileManager& f = files.fm<rec::Config>();
  FileUse use(f);
  const int h = f.PushState();
  std::string branch;
  if (f.SetOrder(kPhysicalOrder) == kDone && f.TryReadNext() == kDone)
    branch = f.rec<rec::Config>().BRANCH_ID.text();
  f.PopState(h);
  return branch;
}

template <class L>
int addFirstCharge(DataFiles& files, const FirstCharge& charge, const PostingStamp& stamp,
                   Moment at, std::string* failedFile) {
  return addFirstChargeQuiet<L>(files, charge, stamp, at, false, failedFile);
}

template <class L>
PostResult postFirstCharge(DataFiles& files, const FirstCharge& charge, const PostingStamp& stamp,
                           Moment at) {
  FileManager& age = files.fm<typename L::Ageing>();
  FileManager& member = files.fm<typename L::Member>();
  WriteUnit group(files,
              {&age, &files.fm<typename L::Invoice>(), &files.fm<typename L::Entry>(), &member});
  if (!group.begun()) return PostResult::Failed;

  // The ageing record is added in the same transaction as the invoice and
  // the entry, so having one means the first charge is on file.
  switch (getByClient<typename L::Ageing>(age, charge.clientId)) {
    case Found::Yes:
      return PostResult::NothingToPost;
    case Found::Failed:
      return PostResult::Failed;
    case Found::No:
      break;
  }
  if (addFirstChargeQuiet<L>(files, charge, stamp, at, true, nullptr) != kDone)
    return PostResult::Failed;

  switch (getByClient<typename L::Member>(member, charge.clientId)) {
    case Found::Failed:
      return PostResult::Failed;
    case Found::No:
      break;  // not on file (yet): the caller's record carries the mark
    case Found::Yes:
      if (member.rec<typename L::Member>().INVOICED != 1) {
        member.rec<typename L::Member>().INVOICED = 1;
        if (member.Update() != kDone) return PostResult::Failed;
      }
      break;
  }
  return group.commit(age) ? PostResult::Posted : PostResult::Failed;
}

namespace {

// The writes of a premium correction, inside a transaction already begun
// over the ledger's transaction, ageing and invoice files. Reporting: each
// failure is shown as it happens; quiet: the Try forms only record it and
// `failedFile` names the file. kDone with `posted` false when there was
// nothing to post.
template <class L>
int correctPremium(DataFiles& files, const PremiumCorrection& c, const PostingStamp& stamp,
                   Moment at, bool reporting, std::string* failedFile, bool& posted) {
  posted = false;
  const std::int64_t diffCents = toCents(c.oldPremium) - toCents(c.newPremium);
  if (diffCents == 0) return kDone;
  const double diff = fromCents(diffCents);
  const double newPremium = roundCents(c.newPremium);
  using Entry = typename L::Entry;
  using Invoice = typename L::Invoice;
  using Ageing = typename L::Ageing;

  FileManager& tra = files.fm<Entry>();
  FileManager& age = files.fm<Ageing>();
  FileManager& inv = files.fm<Invoice>();
  auto failed = [&](FileManager& f) {
    if (failedFile) *failedFile = f.label();
    return kFailed;
  };
  auto update = [&](FileManager& f) { return reporting ? f.Update() : f.TryUpdate(); };

  // The member's last invoice: re-billed at the new premium. A correction
  // already posted today shows as today's entry of D with the last invoice
  // already at the new premium.
  const Found lastInvoice = lastOfClient<Invoice>(inv, c.clientId, reporting);
  if (lastInvoice == Found::Failed) return failed(inv);
  const bool invoiceAtNew =
      lastInvoice == Found::Yes && sameMoney(inv.rec<Invoice>().DEBIT, newPremium);
  if (lastInvoice == Found::No || invoiceAtNew) {
    bool postedToday = false;
    const bool read = eachOfClient<Entry>(
        tra, c.clientId,
        [&](const Entry& t) {
          postedToday = t.DATE == at.day && t.TYPE == kInvoiceType && sameMoney(t.DEBIT, diff) &&
                        sameMoney(t.CREDIT, 0);
          return !postedToday;
        },
        reporting);
    if (!read) return failed(tra);
    if (postedToday) return kDone;
  }

  tra.ClearBuffer();
  fillInvoiceEntry(tra.rec<Entry>(), c.clientId, diff, stamp, at);
  if ((reporting ? tra.Insert() : tra.TryInsert()) != kDone) return failed(tra);

  switch (getByClient<Ageing>(age, c.clientId, reporting)) {
    case Found::Failed:
      return failed(age);
    case Found::No:
      break;  // a missing ageing record is not created here
    case Found::Yes:
      Age_Adjust(age.rec<Ageing>(), diff);
      if (update(age) != kDone) return failed(age);
      break;
  }

  if (lastInvoice == Found::Yes && !invoiceAtNew) {
    // Read again: the walk above may have moved the invoice file.
    if (lastOfClient<Invoice>(inv, c.clientId, reporting) != Found::Yes) return failed(inv);
    inv.rec<Invoice>().DEBIT = newPremium;
    if (update(inv) != kDone) return failed(inv);
  }
  posted = true;
  return kDone;
}

}  // namespace

template <class L>
PostResult postPremiumCorrection(DataFiles& files, const PremiumCorrection& c,
                                 const PostingStamp& stamp, Moment at) {
  if (toCents(c.oldPremium) == toCents(c.newPremium)) return PostResult::NothingToPost;
  FileManager& tra = files.fm<typename L::Entry>();
  WriteUnit group(files, {&tra, &files.fm<typename L::Ageing>(), &files.fm<typename L::Invoice>()});
  if (!group.begun()) return PostResult::Failed;
  bool posted = false;
  if (correctPremium<L>(files, c, stamp, at, true, nullptr, posted) != kDone)
    return PostResult::Failed;
  if (!posted) return PostResult::NothingToPost;
  return group.commit(tra) ? PostResult::Posted : PostResult::Failed;
}

template <class L>
int addPremiumCorrection(DataFiles& files, const PremiumCorrection& c, const PostingStamp& stamp,
                         Moment at, bool* posted, std::string* failedFile) {
  using Entry = typename L::Entry;
  using Ageing = typename L::Ageing;
  using Invoice = typename L::Invoice;
  // The caller's buffers and positions of the three files stay as they were.
  Borrowed t(files.fm<Entry>()), a(files.fm<Ageing>()), i(files.fm<Invoice>());
  bool done = false;
  const int rc = correctPremium<L>(files, c, stamp, at, false, failedFile, done);
  if (posted) *posted = done;
  return rc;
}

#define VEL_LEDGER_POSTINGS_(L)                                                                   \
  template int addFirstCharge<L>(DataFiles&, const FirstCharge&, const PostingStamp&, Moment,     \
                                 std::string*);                                                   \
  template PostResult postFirstCharge<L>(DataFiles&, const FirstCharge&, const PostingStamp&,     \
                                         Moment);                                                 \
  template PostResult postPremiumCorrection<L>(DataFiles&, const PremiumCorrection&,              \
                                               const PostingStamp&, Moment);                      \
  template int addPremiumCorrection<L>(DataFiles&, const PremiumCorrection&, const PostingStamp&, \
                                       Moment, bool*, std::string*);

VEL_LEDGER_POSTINGS_(BurialCover)
VEL_LEDGER_POSTINGS_(HamperClub)

}  // namespace vel::ledger
