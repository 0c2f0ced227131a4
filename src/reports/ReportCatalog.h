// Every report by a short name, with the selections it needs: what the
// headless tool prints to PDF ("velmora-admin report NAME ...") and what a
// scheduler may run without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportFrame.h"

namespace vel {

struct ReportEntry {
  std::string name;     // "management"
  std::string subject;  // the progress window's line
  bool period = false, route = false, agent = false, collector = false, actionDate = false;
  ReportBuild make;
};

// The reports, in menu order.
const std::vector<ReportEntry>& reportEntries();
const ReportEntry* findReport(std::string_view name);

// Runs a report on a context whose selections are set: the progress window,
// the walk, the document; nothing when a read failed (the failure has been
// shown).
std::optional<report::Document> runReport(const ReportEntry& entry, ReportContext& ctx);

}  // namespace vel
