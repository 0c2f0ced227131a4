// The management report ("MANAGEMENT REPORT", "Print &Management"): the
// period's premiums, commissions and profit from the transaction ledger, and
// the policy counts and claims from the clients, children and extended
// family.
#pragma once

#include <cstdint>

#include "reports/ReportFrame.h"

namespace vel {

struct ManagementFigures {
  double premiumsDue = 0;       // Invoice DEBITs
  double premiumsPaid = 0;      // Payment CREDITs
  double payOver = 0;           // Premium Amount to Pay Over: PLANPREM - PREMTOPAY per payment
  double grossProfit = 0;       // paid - pay over
  double agentCommission = 0;   // AGE_COMM of the payments
  double collectorCommission = 0;  // COLL_COMM of the payments
  double nettProfit = 0;        // gross - agent - collector commission
  std::int64_t active = 0, nonActive = 0;
  std::int64_t mainDeceased = 0, dependantsDeceased = 0, claims = 0;
  double claimAmount = 0;
  std::int64_t becameActive = 0, becameNonActive = 0;
  // Payments whose client could not be found: nothing was added to the pay
  // over for them.
  std::int64_t paymentsWithoutClient = 0;
};

// The fixed claim on a main member, spouse or extended-family member.
inline constexpr double kFixedClaim = 10000.00;

// The four passes over ctx.periodStart .. ctx.periodEnd, advancing `progress`.
ManagementFigures walkManagement(ReportContext& ctx, ReportProgress& progress);

// The printed report: header with the business line and period, one row per
// figure (label, value) in the printed order.
report::Document managementDocument(ReportContext& ctx, const ManagementFigures& figures);

// The whole menu item: period prompt (cancel ends without output), progress
// window, walk, then the document to `output`.
void printManagementReport(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportOutput& output);

}  // namespace vel
