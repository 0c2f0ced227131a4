#include "reports/ReportCatalog.h"

#include "reports/ClientLists.h"
#include "reports/ManagementReport.h"

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
  ReportEntry a = entry("active", "Printing Active Clients, please wait ...", activeClientList);
  a.route = true;
  v.push_back(a);
  ReportEntry n =
      entry("non-active", "Printing Non Active Clients, please wait ...", nonActiveClientList);
  n.route = true;
  v.push_back(n);
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
