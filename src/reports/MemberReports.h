// The member lists of the Reports menu: the collector list, the new policies
// per route and per agent (with and without the lines), the names and
// addresses of every client, the route list and the hamper client list.
//
// Each list walks its member file in client order, keeps the members that
// pass its filter and prints the client identifier ("Ref No"), surname and
// first name followed by the list's own columns. "Address" is the three home
// address lines joined with ", "; the postal code shows as four digits.
#pragma once

#include "reports/ReportFrame.h"

namespace vel {

class ShellUi;

// Document functions: the caller sets the selection the list needs in the
// context before the walk.

// "COLLECTOR LIST": Active clients whose collector code is ctx.collector;
// the collector's name in the header.
report::Document collectorList(ReportContext& ctx, ReportProgress& progress);
// "NEW POLICIES" of ctx.route: Active clients on the route whose entry date
// lies in the period, with the agent commission, entry date, address and
// postal code.
report::Document newPoliciesPerRoute(ReportContext& ctx, ReportProgress& progress);
// "NEW POLICIES" of ctx.agent: Active clients of the agent whose entry date
// lies in the period, with the agent commission and entry date, and the
// agent's total commission at the end.
report::Document newPoliciesPerAgent(ReportContext& ctx, ReportProgress& progress);
// As newPoliciesPerAgent, the agent's total commission only.
report::Document newPoliciesPerAgentTotals(ReportContext& ctx, ReportProgress& progress);
// "NAME and ADDRESS": every client, with address, postal code and street number.
report::Document nameAndAddressList(ReportContext& ctx, ReportProgress& progress);
// "ROUTE": Active clients on ctx.route with cell number, address and street
// number; the route and its description in the header.
report::Document routeList(ReportContext& ctx, ReportProgress& progress);
// "HAMPER CLIENT LIST": Active hamper members on ctx.route with the hamper
// premium, address, cell and home telephone and street number.
report::Document hamperClientList(ReportContext& ctx, ReportProgress& progress);

// Menu functions: ask the selection (period first where the list takes one,
// through the date-range window), walk and hand the document to `output`.
// Cancelling any selection, or choosing no code, ends without output.
void printCollectorList(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                        ReportOutput& output);
void printNewPoliciesPerRoute(DataFiles& files, ShellUi& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output);
void printNewPoliciesPerAgent(DataFiles& files, ShellUi& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output);
void printNewPoliciesPerAgentTotals(DataFiles& files, ShellUi& ui, const Clock& clock,
                                    ReportPickers& pickers, ReportOutput& output);
void printNameAndAddressList(DataFiles& files, ShellUi& ui, const Clock& clock,
                             ReportPickers& pickers, ReportOutput& output);
// Both "Print Names on Routes" and "Print Names and Addresses" print this list.
void printRouteList(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                    ReportOutput& output);
void printHamperClientList(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportPickers& pickers, ReportOutput& output);

}  // namespace vel
