// The backup: a `.Bak` twin of the ten most valuable record files, taken at
// every start of a day's work and on demand from the headless tool.
//
// Each file is opened shared, so a file another station holds, one that is
// damaged or declared differently is told from one that is simply not there
// yet. A refused file keeps its old backup and the clerk is told, with the
// file's own message; a file not there yet gets no backup and keeps
// whatever backup it had. The copy itself is the engine's consistent copy:
// made under a private name, checked, and only then put in place of the old
// backup, so a backup that fails never costs the office the previous one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Ui.h"

namespace vel {

class Engine;
class DataFiles;

// One file of the backup list.
struct BackupFile {
  std::string_view label;   // "VelCli"
  std::string_view prefix;  // "Error in Client file ": what its failure message starts with
};

// The ten files, in the order they are handled.
const std::vector<BackupFile>& backupList();

// Whether an engine code on opening means the file must not be copied now:
// inaccessible, locked by another station, damaged, or declared otherwise.
bool refusesBackup(int engineCode);

struct BackupOutcome {
  enum class Result {
    Copied,      // a fresh, checked backup is in place
    NotPresent,  // no data file yet: no backup made, an old one kept
    Refused,     // the open failed from the set above: old backup kept
    Failed,      // the copy failed: old backup kept
  };
  std::string label;
  std::string bakPath;
  Result result = Result::Copied;
  int code = 0;          // the engine code of a refusal or failure
  std::string message;   // prefix + engine error text, for a refusal or failure
};

// Backs up every file of the list from `folder` into `toFolder` (the data
// folder itself when empty). Each refusal or failure is shown as one box
// with an OK button when `ui` is given; the run always goes on with the next
// file. Returns what happened to each file, in list order.
std::vector<BackupOutcome> backupFiles(Engine& engine, const std::string& folder,
                                       std::string_view owner, const std::string& toFolder,
                                       Ui* ui);

// The start-up backup of the data folder of `files`.
void runBackup(DataFiles& files, Ui& ui);

// Whether every file was either copied or not there yet.
bool backupSucceeded(const std::vector<BackupOutcome>& outcomes);

// The title of the backup's message boxes.
inline constexpr std::string_view kBackupTitle = "Back up";

}  // namespace vel
