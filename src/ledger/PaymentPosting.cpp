#include "ledger/PaymentPosting.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <tuple>

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

bool nonZero(double v) { return toCents(v) != 0; }

// The member's premium to pay over: a policy holder's PREMTOPAY; a hamper
// member, who has no such field, pays over his monthly contribution, PREMIUM.
template <class Member>
double premToPay(const Member& m) {
  if constexpr (requires { m.PREMTOPAY; })
    return m.PREMTOPAY;
  else
    return m.PREMIUM;
}

// When a record was written, to put invoices and payments of one member in
// the order they happened. A payment carries X_DATE and X_TIME; an invoice
// only its UNIQUE stamp, the day number (five digits for every day from
// 1927 to 2173) followed by the time. Without a stamp, its date.
using WrittenAt = std::pair<std::int64_t, std::int64_t>;

template <class Invoice>
WrittenAt invoiceWritten(const Invoice& i) {
  const std::string u = i.UNIQUE.text();
  const bool digits =
      u.size() > 5 && std::all_of(u.begin(), u.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  if (digits) return {std::stoll(u.substr(0, 5)), std::stoll(u.substr(5))};
  return {static_cast<std::int64_t>(i.DATE), 0};
}

template <class Payment>
WrittenAt paymentWritten(const Payment& p) {
  if (p.X_DATE != 0) return {static_cast<std::int64_t>(p.X_DATE), static_cast<std::int64_t>(p.X_TIME)};
  return {static_cast<std::int64_t>(p.DATE), 0};
}

// An invoice as the marking rule sees it.
struct OpenInvoice {
  std::string position;
  WrittenAt written;
  bool split = false;  // RISK, ADMIN or AGE_COMM non-zero: a payment marks it alone
  bool paid = false;
};

// The marking rule: the first open invoices in key order are marked paid; a
// run of invoices without a split goes on, one with a split ends it.
// Returns the indexes marked, of the invoices written by `upTo`.
std::vector<std::size_t> markNext(std::vector<OpenInvoice>& invoices, WrittenAt upTo) {
  std::vector<std::size_t> marked;
  for (std::size_t k = 0; k < invoices.size(); ++k) {
    OpenInvoice& i = invoices[k];
    if (i.paid || i.written > upTo) continue;
    i.paid = true;
    marked.push_back(k);
    if (i.split) break;
  }
  return marked;
}

template <class Invoice>
bool readInvoices(FileManager& inv, const std::string& clientId, std::vector<OpenInvoice>& out) {
  return eachOfClient<Invoice>(inv, clientId, [&](const Invoice& i) {
    out.push_back({inv.Position(), invoiceWritten(i),
                   nonZero(i.RISK) || nonZero(i.ADMIN) || nonZero(i.AGE_COMM), i.STATUS == "Pd"});
    return true;
  });
}

// Marks the member's next open invoices paid. False on a failure (shown).
template <class Invoice>
bool markInvoicesPaid(FileManager& inv, const std::string& clientId, int& marked) {
  std::vector<OpenInvoice> invoices;
  if (!readInvoices<Invoice>(inv, clientId, invoices)) return false;
  for (std::size_t k : markNext(invoices, {INT64_MAX, INT64_MAX})) {
    if (inv.Reget(invoices[k].position) != kDone) return false;
    inv.rec<Invoice>().STATUS = "Pd";
    if (inv.Update() != kDone) return false;
    ++marked;
  }
  return true;
}

// The "Payment" entry of a payment as stored.
template <class Entry, class Payment>
void fillPaymentEntry(Entry& t, const Payment& p) {
  t.CLIENT_ID = p.CLIENT_ID.str();
  t.DATE = p.DATE.value;
  t.TYPE = kPaymentType;
  t.ACCOUNT = p.ACCOUNT.str();
  t.SOURCE = p.SOURCE.str();
  t.CREDIT = p.CREDIT.value;
  t.DEBIT = 0;
  t.STATUS = "";
  t.BRANCH_ID = p.BRANCH_ID.str();
  t.X_DATE = p.X_DATE.value;
  t.X_TIME = p.X_TIME.value;
  t.X_ID = p.X_ID.str();
  t.DELETED = 0;
  t.UNIQUE = p.UNIQUE.str();
  t.SENT = 0;
  t.PAYOVER = p.PREM2PAY.value;
}

// The payment's own "Payment" entry: same date, type and amount; among
// several such the one carrying the payment's stamp. Never a reversal.
// Empty when there is none; nullopt-like false when a read failed.
template <class Entry, class Payment>
bool findPaymentEntry(FileManager& tra, const Payment& p, std::string& match) {
  std::string first, stamped;
  const bool read = eachOfClient<Entry>(tra, p.CLIENT_ID.text(), [&](const Entry& t) {
    if (t.DATE != p.DATE || !(t.TYPE == kPaymentType) || t.STATUS == kReversalStatus ||
        !sameMoney(t.CREDIT, p.CREDIT))
      return true;
    if (first.empty()) first = tra.Position();
    if (!p.UNIQUE.blank() && t.UNIQUE == p.UNIQUE.str()) {
      stamped = tra.Position();
      return false;
    }
    return true;
  });
  match = stamped.empty() ? first : stamped;
  return read;
}

// Adds the entry reversing the payment `p` as posted: its own entry's
// amount and commission negated (the payment's, when its entry is gone).
template <class Entry, class Payment>
bool addReversal(FileManager& tra, const Payment& p, const PostingStamp& stamp, Moment at) {
  std::string match;
  if (!findPaymentEntry<Entry>(tra, p, match)) return false;
  Entry original;
  if (!match.empty()) {
    if (tra.Reget(match) != kDone) return false;
    original = tra.rec<Entry>();
  } else {
    fillPaymentEntry(original, p);
    original.AGE_COMM = p.AGE_COMM.value;
    original.COLL_COMM = p.COL_COMM.value;
  }
  tra.ClearBuffer();
  Entry& t = tra.rec<Entry>();
  t = original;
  t.DATE = at.day;
  t.CREDIT = -roundCents(original.CREDIT);
  t.DEBIT = 0;
  t.STATUS = kReversalStatus;
  t.AGE_COMM = -original.AGE_COMM.value;
  t.COLL_COMM = -original.COLL_COMM.value;
  t.PAYOVER = -original.PAYOVER.value;
  t.BRANCH_ID = stamp.branch;
  t.X_DATE = at.day;
  t.X_TIME = at.time;
  t.X_ID = cutTo(stamp.user, 10);
  t.UNIQUE = uniqueStamp(at.day, at.time);
  t.SENT = 0;
  return tra.Insert() == kDone;
}

// Applies `change` to the member's ageing record, opening one at 0 first
// when he has none. TOTAL afterwards into `total`.
template <class Ageing, class Change>
bool onAgeing(FileManager& age, const std::string& clientId, const PostingStamp& stamp,
              Change change, double& total) {
  switch (getByClient<Ageing>(age, clientId)) {
    case Found::Failed:
      return false;
    case Found::Yes:
      change(age.rec<Ageing>());
      total = age.rec<Ageing>().TOTAL;
      return age.Update() == kDone;
    case Found::No: {
      age.ClearBuffer();
      Ageing& a = age.rec<Ageing>();
      a.CLIENT_ID = clientId;
      Age_Open(a, 0);
      a.BRANCH_ID = stamp.branch;
      change(a);
      total = a.TOTAL;
      return age.Insert() == kDone;
    }
  }
  return false;
}

// The member's overdue switches cleared when he owes less than a premium.
template <class Member>
bool clearOverdue(FileManager& member, double total, bool& cleared) {
  Member& m = member.rec<Member>();
  if (toCents(total) >= toCents(m.PREMIUM)) return true;
  if (m.DAY5 == 0 && m.DAY10 == 0) return true;
  m.DAY5 = 0;
  m.DAY10 = 0;
  cleared = true;
  return member.Update() == kDone;
}

// Gives the amount of a payment back to the ageing record: TOTAL and
// CURRENT both rise by it.
template <class Ageing>
void giveBack(Ageing& a, double credit) {
  AgeBuckets b = bucketsOf(a);
  b.TOTAL += toCents(credit);
  b.CURRENT += toCents(credit);
  storeBuckets(a, b);
}

template <class Payment>
bool samePayment(const Payment& a, const Payment& b) {
  return a.CLIENT_ID == b.CLIENT_ID && a.DATE == b.DATE && sameMoney(a.CREDIT, b.CREDIT) &&
         a.ACCOUNT == b.ACCOUNT && a.SOURCE == b.SOURCE && a.UNIQUE == b.UNIQUE;
}

// The writes of a payment, inside a transaction over the ledger's files.
// True when every write is done (or the member is unknown: nothing written).
template <class L>
bool paymentWrites(DataFiles& files, typename L::Payment& pay, const PaymentOptions& options,
                   const PostingStamp& stamp, Moment at, PaymentOutcome& out) {
  using Member = typename L::Member;
  using Payment = typename L::Payment;
  using Entry = typename L::Entry;
  using Invoice = typename L::Invoice;
  using Ageing = typename L::Ageing;
  FileManager& member = files.fm<Member>();
  FileManager& payFile = files.fm<Payment>();
  FileManager& inv = files.fm<Invoice>();
  FileManager& tra = files.fm<Entry>();
  FileManager& age = files.fm<Ageing>();

  const std::string clientId = pay.CLIENT_ID.text();
  switch (getByClient<Member>(member, clientId)) {
    case Found::Failed:
      return false;
    case Found::No:
      out.result = PostResult::NothingToPost;
      out.unknownMember = true;
      return false;
    case Found::Yes:
      break;
  }
  const Member m = member.rec<Member>();

  bool first = options.first == FirstPayment::Yes;
  if (options.first == FirstPayment::OnFile) {
    first = true;
    if (!eachOfClient<Payment>(payFile, clientId, [&](const Payment&) {
          first = false;
          return false;
        }))
      return false;
  }
  out.firstPayment = first;

  if (options.alsoWrite && !options.alsoWrite()) return false;

  // The payment as stored.
  pay.CREDIT = roundCents(pay.CREDIT);
  pay.PREM2PAY = premToPay(m);
  pay.X_DATE = at.day;
  pay.X_TIME = at.time;
  pay.X_ID = cutTo(stamp.user, 10);
  pay.DELETED = 0;
  pay.UNIQUE = uniqueStamp(at.day, at.time);
  pay.SENT = 0;
  const double ageComm = pay.AGE_COMM, collComm = pay.COL_COMM;
  if (options.clearUnearnedCommission) (first ? pay.COL_COMM : pay.AGE_COMM) = 0;

  if (!markInvoicesPaid<Invoice>(inv, clientId, out.invoicesMarked)) return false;

  tra.ClearBuffer();
  Entry& t = tra.rec<Entry>();
  fillPaymentEntry(t, pay);
  t.AGE_COMM = first ? ageComm : 0;
  t.COLL_COMM = first ? 0 : collComm;
  if (tra.Insert() != kDone) return false;

  const double credit = pay.CREDIT;
  if (!onAgeing<Ageing>(age, clientId, stamp, [&](Ageing& a) { Age_Pay(a, credit); }, out.total))
    return false;

  if (getByClient<Member>(member, clientId) != Found::Yes) return false;
  if (!clearOverdue<Member>(member, out.total, out.overdueCleared)) return false;

  payFile.ClearBuffer();
  payFile.rec<Payment>() = pay;
  if (payFile.Insert() != kDone) return false;
  out.position = payFile.Position();
  out.result = PostResult::Posted;
  return true;
}

}  // namespace

template <class L>
PaymentOutcome postPayment(DataFiles& files, typename L::Payment& pay, const PaymentOptions& options,
                           const PostingStamp& stamp, Moment at) {
  PaymentOutcome out;
  FileManager& payFile = files.fm<typename L::Payment>();
  std::vector<FileManager*> fs{&files.fm<typename L::Member>(), &payFile,
                               &files.fm<typename L::Invoice>(), &files.fm<typename L::Entry>(),
                               &files.fm<typename L::Ageing>()};
  fs.insert(fs.end(), options.alsoFiles.begin(), options.alsoFiles.end());
  WriteUnit unit(files, fs);
  if (!unit.begun()) return out;
  if (!paymentWrites<L>(files, pay, options, stamp, at, out) ||
      out.result != PostResult::Posted) {
    out.result = out.unknownMember ? PostResult::NothingToPost : PostResult::Failed;
    return out;
  }
  out.result = PostResult::Failed;
  if (!unit.commit(payFile)) return out;
  out.result = PostResult::Posted;
  return out;
}

template <class L>
PaymentOutcome addPayment(DataFiles& files, typename L::Payment& pay,
                          const PaymentOptions& options, const PostingStamp& stamp, Moment at) {
  PaymentOutcome out;
  if (!paymentWrites<L>(files, pay, options, stamp, at, out) ||
      out.result != PostResult::Posted)
    out.result = out.unknownMember ? PostResult::NothingToPost : PostResult::Failed;
  return out;
}

template <class L>
PostResult deletePayment(DataFiles& files, const std::string& paymentPosition,
                         const PostingStamp& stamp, Moment at) {
  using Payment = typename L::Payment;
  using Entry = typename L::Entry;
  using Invoice = typename L::Invoice;
  using Ageing = typename L::Ageing;
  FileManager& payFile = files.fm<Payment>();
  FileManager& inv = files.fm<Invoice>();
  FileManager& tra = files.fm<Entry>();
  FileManager& age = files.fm<Ageing>();
  WriteUnit unit(files, {&payFile, &inv, &tra, &age});
  if (!unit.begun()) return PostResult::Failed;

  if (payFile.Reget(paymentPosition) != kDone) {
    const int code = payFile.LastEngineCode();
    if (code == ecode::kRecordNotFound || code == ecode::kNoRecord) return PostResult::NothingToPost;
    payFile.report(msg::RetrievalError);
    return PostResult::Failed;
  }
  const Payment gone = payFile.rec<Payment>();
  const std::string clientId = gone.CLIENT_ID.text();
  const WrittenAt goneAt = paymentWritten(gone);

  // The member's other payments, in the order they were written (the one
  // going is passed over once: the first record just like it).
  std::vector<WrittenAt> others;
  bool passedOver = false;
  if (!eachOfClient<Payment>(payFile, clientId, [&](const Payment& p) {
        if (!passedOver && samePayment(p, gone) && paymentWritten(p) == goneAt)
          passedOver = true;
        else
          others.push_back(paymentWritten(p));
        return true;
      }))
    return PostResult::Failed;
  std::sort(others.begin(), others.end());

  if (payFile.Reget(paymentPosition) != kDone || payFile.Delete(false) != kDone)
    return PostResult::Failed;

  // The marks as the payments would have made them, with and without this
  // one; only the invoices where the two differ change.
  std::vector<OpenInvoice> invoices;
  if (!readInvoices<Invoice>(inv, clientId, invoices)) return PostResult::Failed;
  auto replay = [&](bool withGone) {
    std::vector<OpenInvoice> v = invoices;
    for (OpenInvoice& i : v) i.paid = false;
    std::vector<WrittenAt> order = others;
    if (withGone) order.insert(std::upper_bound(order.begin(), order.end(), goneAt), goneAt);
    for (const WrittenAt& w : order) markNext(v, w);
    return v;
  };
  const std::vector<OpenInvoice> with = replay(true), without = replay(false);
  for (std::size_t k = 0; k < invoices.size(); ++k) {
    if (with[k].paid == without[k].paid) continue;
    if (inv.Reget(invoices[k].position) != kDone) return PostResult::Failed;
    inv.rec<Invoice>().STATUS = without[k].paid ? "Pd" : "";
    if (inv.Update() != kDone) return PostResult::Failed;
  }

  if (!addReversal<Entry>(tra, gone, stamp, at)) return PostResult::Failed;

  switch (getByClient<Ageing>(age, clientId)) {
    case Found::Failed:
      return PostResult::Failed;
    case Found::No:
      break;
    case Found::Yes:
      giveBack(age.rec<Ageing>(), gone.CREDIT);
      if (age.Update() != kDone) return PostResult::Failed;
      break;
  }
  return unit.commit(payFile) ? PostResult::Posted : PostResult::Failed;
}

template <class L>
PostResult correctPayment(DataFiles& files, const std::string& paymentPosition,
                          const typename L::Payment& loaded, typename L::Payment& changed,
                          const PostingStamp& stamp, Moment at) {
  using Member = typename L::Member;
  using Payment = typename L::Payment;
  using Entry = typename L::Entry;
  using Ageing = typename L::Ageing;
  FileManager& member = files.fm<Member>();
  FileManager& payFile = files.fm<Payment>();
  FileManager& tra = files.fm<Entry>();
  FileManager& age = files.fm<Ageing>();
  WriteUnit unit(files, {&member, &payFile, &tra, &age});
  if (!unit.begun()) return PostResult::Failed;

  if (payFile.Reget(paymentPosition) != kDone || !samePayment(payFile.rec<Payment>(), loaded)) {
    // Gone, or corrected by another station since the clerk opened it.
    files.context().errors->SetFile(payFile.label());
    files.context().errors->Throw(msg::ConcurrencyChanged);
    return PostResult::Failed;
  }
  const Payment old = payFile.rec<Payment>();
  changed.CLIENT_ID = old.CLIENT_ID.str();  // a payment stays with its member
  changed.CREDIT = roundCents(changed.CREDIT);
  const bool reposted = !sameMoney(old.CREDIT, changed.CREDIT) || old.DATE != changed.DATE ||
                        !(old.ACCOUNT == changed.ACCOUNT) || !(old.SOURCE == changed.SOURCE);
  if (!reposted) {
    Payment& p = payFile.rec<Payment>();
    const Payment before = p;
    p.STATUS = changed.STATUS.str();
    p.BANK_NAME = changed.BANK_NAME.str();
    p.BANK_ACCOUNT = changed.BANK_ACCOUNT.str();
    p.COL_CODE = changed.COL_CODE.str();
    p.AGE_CODE = changed.AGE_CODE.str();
    p.DBLPAY = changed.DBLPAY.value;
    if (p.STATUS == before.STATUS && p.BANK_NAME == before.BANK_NAME &&
        p.BANK_ACCOUNT == before.BANK_ACCOUNT && p.COL_CODE == before.COL_CODE &&
        p.AGE_CODE == before.AGE_CODE && p.DBLPAY == before.DBLPAY)
      return PostResult::NothingToPost;
    changed = p;
    if (payFile.Update() != kDone) return PostResult::Failed;
    return unit.commit(payFile) ? PostResult::Posted : PostResult::Failed;
  }

  if (!addReversal<Entry>(tra, old, stamp, at)) return PostResult::Failed;

  // The new posting, stamped now; the commission goes where the old one went.
  std::string ownEntry;
  if (!findPaymentEntry<Entry>(tra, old, ownEntry)) return PostResult::Failed;
  bool agentEarned = toCents(old.COL_COMM) == 0 && toCents(old.AGE_COMM) != 0;
  if (!ownEntry.empty() && tra.Reget(ownEntry) == kDone)
    agentEarned = toCents(tra.rec<Entry>().AGE_COMM) != 0;
  changed.X_DATE = at.day;
  changed.X_TIME = at.time;
  changed.X_ID = cutTo(stamp.user, 10);
  changed.UNIQUE = uniqueStamp(at.day, at.time);
  changed.SENT = 0;
  changed.DELETED = 0;
  changed.PREM2PAY = old.PREM2PAY.value;
  tra.ClearBuffer();
  Entry& t = tra.rec<Entry>();
  fillPaymentEntry(t, changed);
  t.AGE_COMM = agentEarned ? changed.AGE_COMM.value : 0;
  t.COLL_COMM = agentEarned ? 0 : changed.COL_COMM.value;
  if (tra.Insert() != kDone) return PostResult::Failed;

  double total = 0;
  const double oldCredit = old.CREDIT, newCredit = changed.CREDIT;
  if (!onAgeing<Ageing>(age, old.CLIENT_ID.text(), stamp,
                        [&](Ageing& a) {
                          giveBack(a, oldCredit);
                          Age_Pay(a, newCredit);
                        },
                        total))
    return PostResult::Failed;
  if (getByClient<Member>(member, old.CLIENT_ID.text()) == Found::Yes) {
    bool cleared = false;
    if (!clearOverdue<Member>(member, total, cleared)) return PostResult::Failed;
  }

  // The payment keeps its place in the member's history (its first writing
  // moment stays, so the invoice marks need no change) and takes the new
  // values and the correction's stamp.
  if (payFile.Reget(paymentPosition) != kDone) return PostResult::Failed;
  Payment& p = payFile.rec<Payment>();
  const std::int64_t keepDate = p.X_DATE.value, keepTime = p.X_TIME.value;
  p = changed;
  p.X_DATE = keepDate;
  p.X_TIME = keepTime;
  changed = p;
  if (payFile.Update() != kDone) return PostResult::Failed;
  return unit.commit(payFile) ? PostResult::Posted : PostResult::Failed;
}

#define VEL_LEDGER_PAYMENTS_(L)                                                                 \
  template PaymentOutcome postPayment<L>(DataFiles&, L::Payment&, const PaymentOptions&,        \
                                         const PostingStamp&, Moment);                          \
  template PaymentOutcome addPayment<L>(DataFiles&, L::Payment&, const PaymentOptions&,         \
                                        const PostingStamp&, Moment);                           \
  template PostResult deletePayment<L>(DataFiles&, const std::string&, const PostingStamp&,     \
                                       Moment);                                                 \
  template PostResult correctPayment<L>(DataFiles&, const std::string&, const L::Payment&,      \
                                        L::Payment&, const PostingStamp&, Moment);

VEL_LEDGER_PAYMENTS_(BurialCover)
VEL_LEDGER_PAYMENTS_(HamperClub)

}  // namespace vel::ledger
