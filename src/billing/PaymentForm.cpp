#include "billing/PaymentForm.h"

#include <type_traits>

#include "billing/CaptureRun.h"
#include "common/Money.h"
#include "forms/Catalog.h"
#include "ledger/MessageHooks.h"
#include "ledger/PaymentPosting.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

rec::CommStr commission(DataFiles& files) {
  FileManager& f = files.fm<rec::CommStr>();
  FileUse use(f);
  const int h = f.PushState();
  f.ClearBuffer();
  if (f.SetOrder(kPhysicalOrder) != kDone || f.TryReadNext() != kDone) f.ClearBuffer();
  rec::CommStr c = f.rec<rec::CommStr>();
  f.PopState(h);
  return c;
}

EntryDecl entry(std::string prompt, std::string field, EntryKind kind, std::string picture = {}) {
  EntryDecl e;
  e.prompt = std::move(prompt);
  e.field = std::move(field);
  e.kind = kind;
  e.picture = std::move(picture);
  return e;
}

}  // namespace

template <class L>
void addLedgerPaymentForm(Catalog& catalog) {
  FormDecl f;
  f.procedure = PaymentFormNames<L>::procedure;
  f.file = PaymentFormNames<L>::file;
  f.title = "Make a Payment";
  EntryDecl account = entry("Received Into", "ACCOUNT", EntryKind::Radio);
  account.choices = kReceivedInto;
  EntryDecl source = entry("Source", "SOURCE", EntryKind::Radio);
  source.choices = kSources;
  EntryDecl dbl = entry("Double Payment", "DBLPAY", EntryKind::Check);
  dbl.tip = "Place Tick in box if payment for last month";
  f.tabs.push_back(TabDecl{
      "General",
      {account, source, entry("Payment Amount:", "CREDIT", EntryKind::Number, "n-_10.2"),
       entry("Collector Code:", "COL_CODE", EntryKind::Text),
       entry("Comm:", "COL_COMM", EntryKind::Number, "n-_10.2"),
       entry("Agent Code:", "AGE_CODE", EntryKind::Text),
       entry("Comm:", "AGE_COMM", EntryKind::Number, "n-_10.2"),
       entry("Date:", "DATE", EntryKind::Day, "d06"), dbl}});
  // Adding or changing a payment through the generic cycle would store it
  // without its ledger: those go through PaymentForm.
  f.servesInsert = false;
  f.servesChange = false;
  f.servesDelete = false;
  catalog.add(std::move(f));
}

template <class L>
BasicPaymentForm<L>::BasicPaymentForm(DataFiles& files, Ui& ui, const Clock& clock,
                                      std::string user, Request request)
    : files_(files), ui_(ui), clock_(clock), user_(std::move(user)), request_(request) {}

template <class L>
bool BasicPaymentForm<L>::open() {
  const Moment now = clock_.moment();
  if (request_ == Request::Insert) {
    const rec::CommStr comm = commission(files_);
    pay_ = Payment{};
    pay_.CLIENT_ID = memberContext().CUR_CLIENT_ID;
    pay_.DATE = now.day;
    pay_.ACCOUNT = "Petty Cash";
    pay_.SOURCE = "Cash";
    pay_.COL_CODE = memberContext().COL_CODE;
    pay_.AGE_CODE = memberContext().AGE_CODE;
    pay_.COL_COMM = comm.COLL.value;
    pay_.AGE_COMM = comm.AGENT.value;
    pay_.X_ID = user_.substr(0, 10);
    pay_.X_DATE = now.day;
    pay_.X_TIME = now.time;
    loaded_ = pay_;
    return true;
  }
  FileManager& f = files_.fm<Payment>();
  position_ = f.Position();
  if (position_.empty() || f.Reget(position_) != kDone) return false;
  pay_ = loaded_ = f.rec<Payment>();
  whoPaidSelf = pay_.STATUS == "SEL";
  return true;
}

template <class L>
void BasicPaymentForm<L>::setSource(std::string_view choice) {
  pay_.SOURCE = choice;
  pay_.SOURCE.cut();
}

template <class L>
std::string BasicPaymentForm<L>::sourceChoice() const {
  for (const std::string& c : kSources)
    if (c.substr(0, 11) == pay_.SOURCE.str()) return c;
  return pay_.SOURCE.text();
}

template <class L>
bool BasicPaymentForm<L>::enterAmount(std::string_view text) {
  double v = pay_.CREDIT;
  if (!readAmount(ui_, "Payment Amount", text, v)) return false;
  pay_.CREDIT = v;
  return true;
}

template <class L>
bool BasicPaymentForm<L>::enterCommission(bool agent, std::string_view text) {
  Real& field = agent ? pay_.AGE_COMM : pay_.COL_COMM;
  double v = field;
  if (!readAmount(ui_, agent ? "Agent Comm" : "Collector Comm", text, v)) return false;
  field = v;
  return true;
}

template <class L>
typename BasicPaymentForm<L>::Step BasicPaymentForm<L>::ok() {
  if (toCents(pay_.CREDIT) == 0) {
    ui_.message("Payment cannot be ZERO", "Payment Error", Icon::Exclamation, kOk, kOk);
    return Step::FocusAmount;
  }
  pay_.STATUS = whoPaidSelf ? "SEL" : "";
  const ledger::PostingStamp stamp{ledger::officeBranch(files_), user_};
  const Moment at = clock_.moment();
  if (request_ == Request::Insert) {
    ledger::PaymentOptions options;
    // The client browse sets the first-payment switch; the hamper browse
    // does not, so a hamper payment is the first when none is on file.
    if constexpr (std::is_same_v<L, ledger::BurialCover>)
      options.first =
          memberContext().FIRST_PAYMENT != 0 ? ledger::FirstPayment::Yes : ledger::FirstPayment::No;
    else
      options.first = ledger::FirstPayment::OnFile;
    pay_.BRANCH_ID = stamp.branch;
    const ledger::PaymentOutcome out = ledger::postPayment<L>(files_, pay_, options, stamp, at);
    if (out.unknownMember) {
      ui_.message("Client ID " + pay_.CLIENT_ID.text() + " could not be found.", "Payment Error",
                  Icon::Exclamation, kOk, kOk);
      return Step::Stay;
    }
    if (out.result != ledger::PostResult::Posted) return Step::Stay;
  } else {
    const ledger::PostResult r =
        ledger::correctPayment<L>(files_, position_, loaded_, pay_, stamp, at);
    if (r == ledger::PostResult::Failed) return Step::Stay;
    if (r == ledger::PostResult::NothingToPost) {
      response_ = Response::Completed;
      return Step::Close;
    }
  }
  response_ = Response::Completed;
  lastPayment_ = pay_.CREDIT;
  if (printReceipt && receipt) receipt(pay_);
  const auto& hook = ledger::messageHooks().afterPayment;
  if (request_ == Request::Insert && hook)
    hook(files_, L::kName, pay_.CLIENT_ID.text(), pay_.CREDIT);
  return Step::Close;
}

template void addLedgerPaymentForm<ledger::BurialCover>(Catalog&);
template void addLedgerPaymentForm<ledger::HamperClub>(Catalog&);
template class BasicPaymentForm<ledger::BurialCover>;
template class BasicPaymentForm<ledger::HamperClub>;

}  // namespace vel
