// "Issued Receipts": the receipt numbers issued to one agent, each with the
// client and amount it was received back for and the days it was issued and
// received.
#pragma once

#include "reports/ReportFrame.h"

namespace vel {

class ShellUi;

// Reads the issued receipts through their agent-code key from ctx.agent's
// first entry while the code is unchanged.
report::Document issuedReceipts(ReportContext& ctx, ReportProgress& progress);

// The menu item: the agent is asked; no agent chosen ends without output.
void printIssuedReceipts(DataFiles& files, ShellUi& ui, const Clock& clock,
                         ReportPickers& pickers, ReportOutput& output);

}  // namespace vel
