// The ageing report of one route ("Print &Ageing"): every client of the
// route that owes money, with its arrears by age — current, 30, 60, 90 and
// over 90 days — and the total, each column totalled at the end.
#pragma once

#include "reports/ReportFrame.h"

namespace vel {

class ShellUi;

// Walks the ageing records in client order, fetching each one's client; a
// record is printed when its client is on ctx.route and its TOTAL is above
// zero.
report::Document ageingReport(ReportContext& ctx, ReportProgress& progress);

// The menu item: the route is asked; no route chosen ends without output.
void printAgeing(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                 ReportOutput& output);

}  // namespace vel
