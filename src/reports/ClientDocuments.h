// The print-outs of one policy holder chosen in the client browse.
//
// The statement lists the client's ledger over a period: the balance brought
// forward (everything invoiced before the period less everything received
// before it), each transaction of the period in date order with its running
// balance, the totals, and the client's ageing as it stands on file. A credit
// is printed as a negative balance and carried on as such: the statement
// shows what the ledger holds, never a rounded-off view of it.
#pragma once

#include <string>

#include "reports/ReportFrame.h"

namespace vel {

// The statement of `clientId` over ctx's period. A client without an ageing
// record prints nothing owed in every bucket. A failed read marks ctx failed
// (shown once) and the document is then not to be shown.
report::Document clientStatement(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);

// The client information sheet: the policy holder's personal details, the
// plan and premium, spouse, beneficiary and introducing agent, the children
// with their premiums and the extended family on file. Ages are as on the
// report date. A client not on file prints nothing (an empty document).
report::Document clientInfoSheet(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);

// The collection card of one client, the same card the period's cards print.
report::Document clientCollectionCard(ReportContext& ctx, ReportProgress& progress,
                                      const std::string& clientId);

// Asks the period (the first of the month through today by default) and hands
// the statement of `clientId` to `output`; a cancelled period prints nothing.
void printClientStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                          const std::string& clientId, ReportOutput& output);

}  // namespace vel
