// The index rebuild ("Rebuild Data Files"): every key of eleven record files
// built again from their records, and each file's integrity checked.
//
// Each file is opened exclusively, so no other station reads or writes it
// while its keys are rebuilt; a file another station holds, or one that is
// damaged, is named on the status line as it happens and again in the list
// the run ends with. A file the run could not open, rebuild, or found
// damaged is never passed off as rebuilt.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

class Engine;

// One file of the rebuild list.
struct RebuildFile {
  std::string_view label;       // "VelCli"
  std::string_view openPrefix;  // "Client - ": what an open failure starts with
  std::string_view status;      // "Rebuilding Clients"
};

// The eleven files, in the order they are handled.
const std::vector<RebuildFile>& rebuildList();

// The status line's width and its fixed texts.
inline constexpr int kRebuildStatusWidth = 50;
inline constexpr std::string_view kRebuildReady = "Press PROCESS to Rebuild Files";
inline constexpr std::string_view kRebuildComplete = "Rebuild Complete";

struct RebuildProblem {
  enum class Kind { NotOpened, NotRebuilt, Damaged };
  std::string label;
  Kind kind = Kind::NotOpened;
  int code = 0;
  std::string line;  // what the clerk reads: "Client - Lock Time-out: ..."
};

struct RebuildReport {
  int rebuilt = 0;  // files whose keys were rebuilt and that passed the check
  int absent = 0;   // files not made yet: nothing to rebuild
  std::vector<RebuildProblem> problems;
  bool ok() const { return problems.empty(); }
  // The labels of the files with a problem, each once, in list order.
  std::vector<std::string> filesNeedingAttention() const;
  // The last status line: "Rebuild Complete", and when files need attention
  // how many.
  std::string finalStatus() const;
};

// Runs the rebuild over the files of `folder`. `status` receives every text
// the status line shows, in order, each cut to the line's width.
RebuildReport rebuildIndexes(Engine& engine, const std::string& folder, std::string_view owner,
                             const std::function<void(std::string_view)>& status);

}  // namespace vel
