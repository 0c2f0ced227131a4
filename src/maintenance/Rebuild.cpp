#include "maintenance/Rebuild.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "dictionary/FileDirectory.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"

namespace vel {

const std::vector<RebuildFile>& rebuildList() {
  static const std::vector<RebuildFile> list = {
      {"VelAge", "Ageing - ", "Rebuilding Ageing"},
      {"VelAud", "Audit - ", "Rebuilding Audit"},
      {"VelCli", "Client - ", "Rebuilding Clients"},
      {"VelData", "Data - ", "Rebuilding Data"},
      {"VelInv", "Invoice - ", "Rebuilding Invoice"},
      {"VelPay", "Payment - ", "Rebuilding Payments"},
      {"VelTra", "Transact - ", "Rebuilding Transactions"},
      {"BankName", "BankName - ", "Rebuilding BankName"},
      {"BankList", "BankList - ", "Rebuilding BankList"},
      {"Holiday", "Holiday - ", "Rebuilding Holiday"},
      {"BankBranch", "BankBranch - ", "Rebuilding BankBranch"},
  };
  return list;
}

std::vector<std::string> RebuildReport::filesNeedingAttention() const {
  std::vector<std::string> labels;
  for (const auto& p : problems)
    if (std::find(labels.begin(), labels.end(), p.label) == labels.end()) labels.push_back(p.label);
  return labels;
}

std::string RebuildReport::finalStatus() const {
  if (problems.empty()) return std::string(kRebuildComplete);
  const std::size_t n = filesNeedingAttention().size();
  std::string s = std::string(kRebuildComplete) + ": " + std::to_string(n) +
                  (n == 1 ? " file needs attention" : " files need attention");
  return s.substr(0, kRebuildStatusWidth);
}

namespace {

std::string join(const std::string& folder, std::string_view name) {
  return (std::filesystem::path(folder.empty() ? "." : folder) / std::string(name)).string();
}

// Opens a file exclusively. A file whose keys are missing is refused by the
// engine's open (46): that is exactly what the rebuild is for, so its keys
// are repaired and the open tried again.
int openExclusive(Engine& engine, const Layout& layout, const std::string& path,
                  std::string_view owner, std::unique_ptr<EngineFile>& out) {
  const OpenMode exclusive{Access::ReadWrite, Share::DenyAll};
  int code = engine.open(layout, path, exclusive, owner, out);
  if (code == ecode::kInvalidKeys && engine.repairKeys(layout, path, owner) == ecode::kNone)
    code = engine.open(layout, path, exclusive, owner, out);
  return code;
}

}  // namespace

RebuildReport rebuildIndexes(Engine& engine, const std::string& folder, std::string_view owner,
                             const std::function<void(std::string_view)>& status) {
  auto show = [&](std::string_view text) {
    if (status) status(text.substr(0, kRebuildStatusWidth));
  };
  RebuildReport report;
  const auto& list = rebuildList();
  std::vector<std::unique_ptr<EngineFile>> open(list.size());
  std::vector<bool> absent(list.size(), false);

  // Every file is opened first, so the status line names each one that
  // another station holds before any work starts.
  for (std::size_t i = 0; i < list.size(); ++i) {
    const FileDecl* decl = findFile(list[i].label);
    const std::string path = join(folder, decl->diskName());
    int code = openExclusive(engine, *decl->layout, path, owner, open[i]);
    if (!code) continue;
    const std::string line = std::string(list[i].openPrefix) + engineStatus().text;
    show(line);
    if (code == ecode::kFileNotFound) {
      absent[i] = true;  // not made yet: nothing to rebuild, nothing lost
      ++report.absent;
      continue;
    }
    report.problems.push_back({std::string(list[i].label), RebuildProblem::Kind::NotOpened, code, line});
  }

  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!open[i]) continue;
    show(list[i].status);
    EngineFile& f = *open[i];
    const std::size_t before = report.problems.size();
    f.option("FULLBUILD=ON");
    if (int code = f.buildKeys(true)) {
      report.problems.push_back({std::string(list[i].label), RebuildProblem::Kind::NotRebuilt, code,
                                 std::string(list[i].openPrefix) + engineStatus().text});
    }
    // The check comes after the build, so that keys the build has just
    // mended do not count against the file; damage to its records does.
    std::string verdict;
    if (int code = f.checkIntegrity(verdict)) {
      std::string line = std::string(list[i].openPrefix) +
                         (code == ecode::kInvalidFile ? "Damaged: " + verdict : engineStatus().text);
      show(line);
      auto kind = code == ecode::kInvalidFile ? RebuildProblem::Kind::Damaged
                                              : RebuildProblem::Kind::NotRebuilt;
      report.problems.push_back({std::string(list[i].label), kind, code, line});
    }
    if (report.problems.size() == before) ++report.rebuilt;
    open[i].reset();  // closing gives the file back to the other stations
  }
  show(report.finalStatus());
  return report;
}

}  // namespace vel
