// The payment reports of one route: "PREMIUMS NOT PAID" in a period,
// "PREMIUMS NOT PAID FOR 3 MONTHS" up to an action date, and "PREMIUMS
// PAID" in a period.
//
// The two not-paid lists walk the clients in client order and, for each
// active client of the route, read the client's payments through the
// payments' client key; a client none of whose payments falls in the window
// is printed with the amount of its latest payment and its home address.
// The paid list walks the payments in date order from the period's first
// day, fetching each payment's client for the route.
#pragma once

#include <cstdint>

#include "reports/ReportFrame.h"

namespace vel {

class ShellUi;

// The three-month report's window: the 92 days that end on the action date,
// the action date included.
inline constexpr std::int32_t kNotPaidWindowDays = 92;
inline std::int32_t notPaidWindowStart(std::int32_t actionDate) {
  return actionDate - (kNotPaidWindowDays - 1);
}

// The documents, for ctx.route and ctx.periodStart .. ctx.periodEnd
// (premiumsNotPaid, premiumsPaid) or ctx.actionDate (premiumsNotPaid3).
report::Document premiumsNotPaid(ReportContext& ctx, ReportProgress& progress);
report::Document premiumsNotPaid3(ReportContext& ctx, ReportProgress& progress);
report::Document premiumsPaid(ReportContext& ctx, ReportProgress& progress);

// The menu items. Each asks the route first, then the period (or the action
// date, today unless changed); cancelling either ends without output.
void printPremiumsNotPaid(DataFiles& files, ShellUi& ui, const Clock& clock,
                          ReportPickers& pickers, ReportOutput& output);
void printPremiumsNotPaid3(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportPickers& pickers, ReportOutput& output);
void printPremiumsPaid(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                       ReportOutput& output);

}  // namespace vel
