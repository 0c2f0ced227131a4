// Conversion of files in older record layouts, at every start-up.
//
// Before anything else opens a file, eleven files are looked at in a fixed
// order (Agent, BDetal, VelAud, VelAge, VelExt, VelCli, VelChd, VelInv,
// VelPay, VelTra, Users). A file that the engine refuses with its current
// layout because it holds another one (code 47) is opened with each of its
// older layouts in turn and copied, record by record and field by field by
// name, into a new file with the current layout: the disk name with an "n"
// in front (nVelCli.Tps). The defaults of the fields the older layout lacked
// are then filled in. When the copy is complete the files are swapped: the
// old file keeps its records under the extension .Old (VelCli.Old) and the
// new file takes the .Tps name.
//
// Two files are not copied one to one. The ageing file (VelAge) is rebuilt
// from the clients, one record per client. The first client layout (G),
// with up to five children inside each client record, is split while it is
// copied: the children, and the client's extended family, become records of
// VelChd; the home towns go to Town; and VelExt, whose members are now
// children, is emptied.
//
// Nothing is lost when the conversion is cut short (a power cut, a killed
// process). The new file is built beside the old one and swapped in only
// when complete; the swap never leaves a moment without a .Tps file where a
// hard link can be made, and where it cannot, the next start finishes a
// swap that stopped half-way. A new file that was still being built is
// thrown away and the conversion done again. Children made from a split
// client are added only once, however often the split is begun. Stations
// starting together take turns (a lock on Convert.Lck in the data folder),
// so one never takes another's half-built file for a stale one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel {

struct StartupHooks;

// The files the conversion looks at, in the order it looks at them.
const std::vector<std::string>& conversionOrder();

// The points of a conversion at which a test may cut it short.
enum class ConversionStep {
  Copying,          // a group of records has been committed to the new file
  Copied,           // the new file is complete and closed
  ExtendedRemoved,  // (client split) VelExt has been put aside
  OldRemoved,       // the previous .Old file has been removed
  OldKept,          // the .Tps file is now also (or only) the .Old file
  Swapped,          // the new file has taken the .Tps name
};

struct ConversionReport {
  std::vector<std::string> converted;  // "VelCli" for each file converted, in order
  std::vector<std::string> invalid;    // files no older layout fits
  std::vector<std::string> finished;   // swaps an interrupted run left, finished now
  bool stopped = false;                // a conversion ended abnormally: the run stopped
  std::string failure;                 // what stopped it
};

class Conversion {
 public:
  Conversion(std::string folder, Engine& engine, Ui& ui, const Clock& clock,
             std::string owner = std::string(kOwnerPassword));

  // Looks at every file of the order and converts those in an older layout.
  ConversionReport run();

  // Records copied per committed group in the new file. The new file is
  // nobody else's until it is swapped in, so its groups are large; the
  // client split, which also adds to the shared VelChd and Town, commits
  // at most kSharedGroup clients at a time.
  int groupSize = 20000;
  static constexpr int kSharedGroup = 2000;
  // Called at each step of each conversion (tests cut the run short here).
  std::function<void(std::string_view label, ConversionStep)> afterStep;

 private:
  struct Source;
  enum class Outcome { Done, NotNeeded, Invalid, Failed };

  bool needsWork();
  Outcome checkFile(const std::string& label);
  Outcome convertFile(const std::string& label);
  Outcome copyFile(const std::string& label, Source& src);
  Outcome rebuildAgeing();
  Outcome splitClients(Source& src);
  bool recover(const std::string& label);
  bool newFileComplete(const std::string& label);
  Outcome swap(const std::string& label);

  std::string path(std::string_view diskName) const;
  std::string tpsPath(const std::string& label) const;
  std::string newPath(const std::string& label) const;
  std::string oldPath(const std::string& label) const;

  int openAny(const std::string& label, Source& src);
  Outcome failed(const std::string& label, const std::string& what);
  void step(const std::string& label, ConversionStep s);
  Progress& window();
  void showFile(const std::string& label);
  void advance();

  std::string folder_;
  Engine& engine_;
  Ui& ui_;
  const Clock& clock_;
  std::string owner_;
  std::unique_ptr<Progress> window_;
  double percent_ = 0;
  double step_ = 0;
  int shown_ = -1;
  ConversionReport report_;
};

// The start-up procedure: converts the older files of the data folder of
// `files`, showing the conversion window only when there is work to do.
ConversionReport convertOlderFiles(DataFiles& files, Ui& ui, const Clock& clock);

// Makes the conversion the start-up's first step (before the configuration
// is read). `files`, `ui` and `clock` must outlive the start-up.
void hookConversion(StartupHooks& hooks, DataFiles& files, Ui& ui, const Clock& clock);

}  // namespace vel
