// The client lists of one route: "ACTIVE CLIENT LIST" (with the plan
// premium) and "NON ACTIVE CLIENT LIST" (with the work, home and cell
// telephone numbers). Both walk the clients in client order and print the
// client identifier ("Ref No"), surname and first name.
#pragma once

#include "reports/ReportFrame.h"

namespace vel {

// The lists of the clients on ctx.route (which must be set).
report::Document activeClientList(ReportContext& ctx, ReportProgress& progress);
report::Document nonActiveClientList(ReportContext& ctx, ReportProgress& progress);

// The menu items "Print Active &Client List" and "Print &Non Active Client
// List": the route is asked first; no route chosen ends without output.
void printActiveClientList(DataFiles& files, Ui& ui, const Clock& clock, ReportPickers& pickers,
                           ReportOutput& output);
void printNonActiveClientList(DataFiles& files, Ui& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output);

}  // namespace vel
