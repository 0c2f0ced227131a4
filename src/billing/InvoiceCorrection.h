// The invoice form (SelfUpdate_Invoice, "Invoice": Client ID, Date, Debit),
// opened by the client browse's invoices panel as "Update_Invoice".
//
// A change of the amount is a correction of a charge already made: the
// invoice, an "Invoice" transaction of the difference (old - new) dated
// today and the Age_Adjust of the client's ageing are stored as one
// transaction (ledger::postInvoiceCorrection).
#pragma once

#include <functional>
#include <string>

#include "platform/Clock.h"

namespace vel {
class Catalog;
}

namespace vel::billing {

// The name the client browse's invoices panel opens the form by.
inline constexpr std::string_view kInvoiceFormName = "Update_Invoice";

// Declares the invoice form. `user` gives the logged-in user stamped into
// the correcting transaction.
void addInvoiceForm(Catalog& catalog, const Clock& clock, std::function<std::string()> user);

}  // namespace vel::billing
