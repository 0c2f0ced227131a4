// The hamper statement ("Hamper Statement") of one club member over a date
// range: the balance brought forward, each HamTra entry of the range with
// Date, Transaction, Invoices, Received and the running balance, "TOTALS:",
// and the member's ageing from HamAge. A credit prints as a negative
// balance and is carried on as such, so the closing balance is always the
// ledger's, the ageing's Total when the ledger and the ageing agree.
#pragma once

#include <string>

#include "reports/ClientDocuments.h"

namespace vel {

inline report::Document hamperStatement(ReportContext& ctx, ReportProgress& progress,
                                        const std::string& clientId) {
  return ledgerStatement<ledger::HamperClub>(ctx, progress, clientId);
}

// Asks the period (the first of the month through today by default) and
// hands the member's statement to `output`; a cancelled period prints nothing.
inline void printHamperStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                                 const std::string& clientId, ReportOutput& output) {
  printLedgerStatement<ledger::HamperClub>(files, ui, clock, clientId, output);
}

}  // namespace vel
