// The hamper club's ledger forms: the payment form Update_HamPay ("Make a
// Payment" over HamPay) and the invoice correction Update_HamInvoice
// ("Invoice" over HamInv). They are the burial cover's forms instantiated
// over the hamper ledger (HamperClub): a hamper payment marks the member's
// HamInv invoices paid, writes its "Payment" entry to HamTra and ages HamAge,
// its PREM2PAY is the member's PREMIUM, and the thank-you message goes out
// through the payment hook under the ledger name "Hamper".
#pragma once

#include <functional>
#include <string>

#include "billing/InvoiceCorrection.h"
#include "billing/PaymentForm.h"

namespace vel {

class Catalog;
class Clock;

// Declares Update_HamPay and Update_HamInvoice, the names the hamper
// browse's payments and invoices panels open. `user` gives the logged-in
// user stamped into the correcting transaction of an invoice.
void addHamperLedgerForms(Catalog& catalog, const Clock& clock, std::function<std::string()> user);

}  // namespace vel
