#include "maintenance/Backup.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include "dictionary/FileDirectory.h"
#include "errors/EngineStatus.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel {

const std::vector<BackupFile>& backupList() {
  static const std::vector<BackupFile> list = {
      {"VelAge", "Error in Ageing file "},   {"VelAud", "Error in Audit file "},
      {"VelCli", "Error in Client file "},   {"VelData", "Error in Data file "},
      {"VelInv", "Error in Invoice file "},  {"VelPay", "Error in Payment file "},
      {"VelTra", "Error in Transact file "}, {"Balance", "Error in Balance file "},
      {"Users", "Error in Users file "},     {"Config", "Error in Config file "},
  };
  return list;
}

bool refusesBackup(int engineCode) {
  // The classic set (inaccessible, access denied, damaged, keys to rebuild,
  // another declaration, another owner, the engine's own error), and this
  // engine's two answers for a file another station holds locked.
  static constexpr std::array kRefused = {4,  5,  7,  8,  32, 36, 38, 43, 46,
                                          47, 56, 57, 64, 75, 81, 90};
  return std::find(kRefused.begin(), kRefused.end(), engineCode) != kRefused.end();
}

namespace {

std::string join(const std::string& folder, std::string_view name) {
  return (std::filesystem::path(folder.empty() ? "." : folder) / std::string(name)).string();
}

BackupOutcome backupOne(Engine& engine, const BackupFile& b, const std::string& folder,
                        std::string_view owner, const std::string& toFolder) {
  const FileDecl* decl = findFile(b.label);
  BackupOutcome out;
  out.label = std::string(b.label);
  const std::string path = join(folder, decl->diskName());
  std::string bakName = decl->diskName();
  bakName.replace(bakName.size() - 4, 4, ".Bak");
  out.bakPath = join(toFolder.empty() ? folder : toFolder, bakName);

  auto failed = [&](BackupOutcome::Result r) {
    out.result = r;
    out.code = engineStatus().code;
    out.message = std::string(b.prefix) + engineStatus().text;
    return out;
  };
  std::unique_ptr<EngineFile> file;
  int code = engine.open(*decl->layout, path, OpenMode{}, owner, file);
  if (code == ecode::kFileNotFound) {
    // Not made yet: nothing to copy, and an older backup is all the office
    // has of it, so it stays.
    out.result = BackupOutcome::Result::NotPresent;
    return out;
  }
  if (code) {
    if (refusesBackup(code)) return failed(BackupOutcome::Result::Refused);
    return failed(BackupOutcome::Result::Failed);
  }
  if (file->backupTo(out.bakPath)) return failed(BackupOutcome::Result::Failed);
  return out;
}

}  // namespace

std::vector<BackupOutcome> backupFiles(Engine& engine, const std::string& folder,
                                       std::string_view owner, const std::string& toFolder,
                                       Ui* ui) {
  std::vector<BackupOutcome> outcomes;
  for (const BackupFile& b : backupList()) {
    outcomes.push_back(backupOne(engine, b, folder, owner, toFolder));
    const BackupOutcome& o = outcomes.back();
    if (ui && !o.message.empty()) ui->message(o.message, kBackupTitle, Icon::Exclamation, kOk, kOk);
  }
  return outcomes;
}

void runBackup(DataFiles& files, Ui& ui) {
  StoreContext& ctx = files.context();
  backupFiles(*ctx.engine, ctx.folder, ctx.owner, {}, &ui);
}

bool backupSucceeded(const std::vector<BackupOutcome>& outcomes) {
  return std::all_of(outcomes.begin(), outcomes.end(), [](const BackupOutcome& o) {
    return o.result == BackupOutcome::Result::Copied ||
           o.result == BackupOutcome::Result::NotPresent;
  });
}

}  // namespace vel
