// The payment form Update_VelPay, "Make a Payment": a payment taken at the
// counter for the client highlighted in the client browse. The hamper club's
// payments panel opens the same form over the hamper ledger as
// Update_HamPay: one form, instantiated per ledger descriptor.
//
// The form edits a payment record; OK posts it whole (PaymentPosting.h):
// the payment, the invoice marks, the "Payment" entry with the commission
// split by the first-payment switch, Age_Pay and the overdue switches, as
// one unit. A change of a payment already on file posts a visible
// correction; the receipt prints when "Print Receipt?" is ticked, and the
// payment hook runs once the payment is on file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Dictionary.h"
#include "forms/FormSettings.h"
#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"

namespace vel {

class Catalog;
class DataFiles;
class Ui;

inline constexpr const char* kPaymentForm = "Update_VelPay";
inline constexpr const char* kHamperPaymentForm = "Update_HamPay";

// The form's name and file in each ledger.
template <class L>
struct PaymentFormNames;
template <>
struct PaymentFormNames<ledger::BurialCover> {
  static constexpr const char* procedure = kPaymentForm;
  static constexpr const char* file = "VelPay";
};
template <>
struct PaymentFormNames<ledger::HamperClub> {
  static constexpr const char* procedure = kHamperPaymentForm;
  static constexpr const char* file = "HamPay";
};

// The choices of the form's radio groups, in window order.
inline const std::vector<std::string> kReceivedInto{"Bank", "Petty Cash"};
inline const std::vector<std::string> kSources{"Cash", "Cheque", "Debit Order", "Direct Deposit"};
inline const std::vector<std::string> kWhoPaid{"Policy Holder", "Self"};

// Declares the payment form of ledger L (Update_VelPay, Update_HamPay) in
// the catalog: its entries as the window shows them. The declared form
// serves viewing only; adding and changing a payment go through
// BasicPaymentForm, which posts it whole.
template <class L>
void addLedgerPaymentForm(Catalog& catalog);
inline void addPaymentForm(Catalog& catalog) { addLedgerPaymentForm<ledger::BurialCover>(catalog); }

template <class L>
class BasicPaymentForm {
 public:
  using Payment = typename L::Payment;
  // Insert: a new payment of the browse's member (the thread's member
  // context: CUR_CLIENT_ID, COL_CODE, AGE_CODE, and for the burial cover
  // the first-payment switch; a hamper payment is the member's first when
  // he has none on file yet). Change: the payment now current in the
  // payment file (the browse's highlighted row).
  BasicPaymentForm(DataFiles& files, Ui& ui, const Clock& clock, std::string user, Request request);

  // Primes (insert) or reads (change) the payment: today, "Cash", "Petty
  // Cash", the commission of CommStr. False when the payment cannot be read.
  bool open();

  Payment& payment() { return pay_; }
  Request request() const { return request_; }

  // "Source": the choice as shown; stored cut to the field ("Direct Depo").
  void setSource(std::string_view choice);
  std::string sourceChoice() const;  // the choice the stored source stands for
  void setAccount(std::string_view choice) { pay_.ACCOUNT = choice; }
  // The payment amount typed; text that is no amount gives "Invalid Entry"
  // naming it and false (the amount keeps its value).
  bool enterAmount(std::string_view text);
  // A commission typed ("Comm" of the collector or the agent), read the same way.
  bool enterCommission(bool agent, std::string_view text);
  bool whoPaidSelf = false;     // "Who Paid?" = "Self": STATUS "SEL"
  bool printReceipt = false;    // "Print Receipt?"
  void setDoublePayment(bool on) { pay_.DBLPAY = on ? 1 : 0; }  // kept in DBLPAY

  // Prints the receipt of the payment as posted (set by the window).
  std::function<void(const Payment&)> receipt;

  enum class Step { Stay, FocusAmount, Close };
  // "&Accept": a zero amount (at cents) gives "Payment cannot be ZERO"
  // ("Payment Error") and the focus goes back to the amount. Otherwise the
  // payment is posted (a change: corrected); a failure is shown and the
  // window stays.
  Step ok();
  Step cancel() { return Step::Close; }
  Response response() const { return response_; }
  // The latest amount paid (for the thank-you message).
  double lastPayment() const { return lastPayment_; }

 private:
  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  std::string user_;
  Request request_;
  Payment pay_;
  Payment loaded_;
  std::string position_;
  Response response_ = Response::Cancelled;
  double lastPayment_ = 0;
};

using PaymentForm = BasicPaymentForm<ledger::BurialCover>;
using HamperPaymentForm = BasicPaymentForm<ledger::HamperClub>;

}  // namespace vel
