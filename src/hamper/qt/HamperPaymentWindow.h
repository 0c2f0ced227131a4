// The hamper club's "Make a Payment" window: the payment window over the
// hamper ledger (Update_HamPay).
#pragma once

#include <string>

#include "billing/qt/PaymentWindow.h"

namespace vel::qt {

using HamperPaymentWindow = BasicPaymentWindow<ledger::HamperClub>;

// Opens Update_HamPay for the browse's member (insert: CUR_CLIENT_ID of the
// member context) or the payment current in HamPay (change); a ticked
// "Print Receipt?" prints the hamper receipt to `receipts` (none: preview).
inline Response runHamperPaymentWindow(DataFiles& files, Ui& ui, const Clock& clock,
                                       const std::string& user, Request request, QWidget* parent,
                                       ReportOutput* receipts = nullptr) {
  return runLedgerPaymentWindow<ledger::HamperClub>(files, ui, clock, user, request, parent,
                                                    receipts);
}

}  // namespace vel::qt
