#include "hamper/HamperLedgerForms.h"

#include <utility>

namespace vel {

void addHamperLedgerForms(Catalog& catalog, const Clock& clock, std::function<std::string()> user) {
  addLedgerPaymentForm<ledger::HamperClub>(catalog);
  billing::addLedgerInvoiceForm<ledger::HamperClub>(catalog, clock, std::move(user));
}

}  // namespace vel
