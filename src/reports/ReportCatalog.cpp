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

ReportEntry entry(std::string name, std::string subject,
                  std::function<report::Document(ReportContext&, ReportProgress&)> make) {
  ReportEntry e;
  e.name = std::move(name);
  e.subject = std::move(subject);
  e.make = std::move(make);
  return e;
}

std::vector<ReportEntry> build() {
  std::vector<ReportEntry> v;
  ReportEntry m = entry("management", "Printing Management Report, please wait ...",
                        [](ReportContext& ctx, ReportProgress& p) {
                          return managementDocument(ctx, walkManagement(ctx, p));
                        });
  m.period = true;
  v.push_back(m);
  ReportEntry ageing = entry("ageing", "Printing Ageing, please wait ...", ageingReport);
  ageing.route = true;
  v.push_back(ageing);
  ReportEntry paid = entry("premiums-paid", "Printing Premiums Paid, please wait ...", premiumsPaid);
  paid.route = paid.period = true;
  v.push_back(paid);
  ReportEntry notPaid =
      entry("not-paid", "Printing Premiums Not Paid, please wait ...", premiumsNotPaid);
  notPaid.route = notPaid.period = true;
  v.push_back(notPaid);
  ReportEntry notPaid3 =
      entry("not-paid-3", "Printing Premiums Not Paid, please wait ...", premiumsNotPaid3);
  notPaid3.route = notPaid3.actionDate = true;
  v.push_back(notPaid3);
  ReportEntry newRoute =
      entry("new-route", "Printing New Policies, please wait ...", newPoliciesPerRoute);
  newRoute.route = newRoute.period = true;
  v.push_back(newRoute);
  ReportEntry newAgent =
      entry("new-agent", "Printing New Policies, please wait ...", newPoliciesPerAgent);
  newAgent.agent = newAgent.period = true;
  v.push_back(newAgent);
  ReportEntry newAgentTotals =
      entry("new-agent-totals", "Printing New Policies, please wait ...", newPoliciesPerAgentTotals);
  newAgentTotals.agent = newAgentTotals.period = true;
  v.push_back(newAgentTotals);
  ReportEntry a = entry("active", "Printing Active Clients, please wait ...", activeClientList);
  a.route = true;
  v.push_back(a);
  ReportEntry n =
      entry("non-active", "Printing Non Active Clients, please wait ...", nonActiveClientList);
  n.route = true;
  v.push_back(n);
  ReportEntry collector =
      entry("collector", "Printing Collector List, please wait ...", collectorList);
  collector.collector = true;
  v.push_back(collector);
  v.push_back(entry("name-address", "Printing Names and Addresses, please wait ...",
                    nameAndAddressList));
  ReportEntry issued =
      entry("issued-receipts", "Printing Issued Receipts, please wait ...", issuedReceipts);
  issued.agent = true;
  v.push_back(issued);
  ReportEntry route = entry("route", "Printing Route, please wait ...", routeList);
  route.route = true;
  v.push_back(route);
  ReportEntry hamper = entry("hamper", "Printing Hamper Clients, please wait ...", hamperClientList);
  hamper.route = true;
  v.push_back(hamper);
  ReportEntry cards = entry("cards", "Printing Collection Cards, please wait ...", collectionCards);
  cards.period = true;
  v.push_back(cards);
  return v;
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

report::Document runReport(const ReportEntry& entry, ReportContext& ctx) {
  ReportProgress progress(ctx.ui, entry.subject);
  return entry.make(ctx, progress);
}

}  // namespace vel
