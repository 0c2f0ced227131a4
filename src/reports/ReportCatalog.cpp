#include "reports/ReportCatalog.h"

#include "reports/AgeingReport.h"
#include "reports/ClientLists.h"
#include "reports/CollectionCards.h"
#include "reports/IssuedReceipts.h"
#include "reports/ManagementReport.h"
#include "reports/MemberReports.h"
#include "reports/PaymentReports.h"

namespace vel {

namespace {

// What a report asks before it walks.
enum Needs : unsigned { kNone = 0, kPeriod = 1, kRoute = 2, kAgent = 4, kCollector = 8, kAction = 16 };

ReportEntry entry(std::string name, std::string subject, ReportBuild make, unsigned needs) {
  ReportEntry e;
  e.name = std::move(name);
  e.subject = std::move(subject);
  e.make = std::move(make);
  e.period = needs & kPeriod;
  e.route = needs & kRoute;
  e.agent = needs & kAgent;
  e.collector = needs & kCollector;
  e.actionDate = needs & kAction;
  return e;
}

report::Document management(ReportContext& ctx, ReportProgress& p) {
  return managementDocument(ctx, walkManagement(ctx, p));
}

std::vector<ReportEntry> build() {
  const char* newPolicies = "Printing New Policies, please wait ...";
  return {
      entry("management", "Printing Management Report, please wait ...", management, kPeriod),
      entry("ageing", "Printing Ageing, please wait ...", ageingReport, kRoute),
      entry("premiums-paid", "Printing Premiums Paid, please wait ...", premiumsPaid,
            kRoute | kPeriod),
      entry("not-paid", "Printing Premiums Not Paid, please wait ...", premiumsNotPaid,
            kRoute | kPeriod),
      entry("not-paid-3", "Printing Premiums Not Paid for 3 Months, please wait ...",
            premiumsNotPaid3, kRoute | kAction),
      entry("new-route", newPolicies, newPoliciesPerRoute, kRoute | kPeriod),
      entry("new-agent", newPolicies, newPoliciesPerAgent, kAgent | kPeriod),
      entry("new-agent-totals", newPolicies, newPoliciesPerAgentTotals, kAgent | kPeriod),
      entry("active", "Printing Active Clients, please wait ...", activeClientList, kRoute),
      entry("non-active", "Printing Non Active Clients, please wait ...", nonActiveClientList,
            kRoute),
      entry("collector", "Printing Collector List, please wait ...", collectorList, kCollector),
      entry("name-address", "Printing Names and Addresses, please wait ...", nameAndAddressList,
            kNone),
      entry("issued-receipts", "Printing Issued Receipts, please wait ...", issuedReceipts,
            kAgent),
      entry("route", "Printing Route, please wait ...", routeList, kRoute),
      entry("hamper", "Printing Hamper Clients, please wait ...", hamperClientList, kRoute),
      entry("cards", "Printing Collection Cards, please wait ...", collectionCards, kPeriod),
  };
}

}  // namespace

const std::vector<ReportEntry>& reportEntries() {
  static const std::vector<ReportEntry> v = build();
  return v;
}

const ReportEntry* findReport(std::string_view name) {
  for (const ReportEntry& e : reportEntries())
    if (e.name == name) return &e;
  return nullptr;
}

std::optional<report::Document> runReport(const ReportEntry& entry, ReportContext& ctx) {
  return buildReport(ctx, entry.subject, entry.make);
}

}  // namespace vel
