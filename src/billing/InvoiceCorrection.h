// The invoice form (SelfUpdate_Invoice, "Invoice": Client ID, Date, Debit),
// opened by the client browse's invoices panel as "Update_Invoice".
//
// A change of the amount is a correction of a charge already made: the
// invoice, an "Invoice" transaction of the difference (old - new) dated
// today and the Age_Adjust of the client's ageing are stored as one
// transaction (ledger::postInvoiceCorrection). The hamper club's invoices
// panel opens the same form over the hamper ledger as "Update_HamInvoice".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "ledger/LedgerDesc.h"
#include "platform/Clock.h"

namespace vel {
class Catalog;
}

namespace vel::billing {

// The name the client browse's invoices panel opens the form by.
inline constexpr std::string_view kInvoiceFormName = "Update_Invoice";
// The name the hamper browse's invoices panel opens it by.
inline constexpr std::string_view kHamperInvoiceFormName = "Update_HamInvoice";

// Declares the invoice form of ledger L. `user` gives the logged-in user
// stamped into the correcting transaction.
template <class L>
void addLedgerInvoiceForm(Catalog& catalog, const Clock& clock, std::function<std::string()> user);
inline void addInvoiceForm(Catalog& catalog, const Clock& clock,
                           std::function<std::string()> user) {
  addLedgerInvoiceForm<ledger::BurialCover>(catalog, clock, std::move(user));
}

}  // namespace vel::billing
