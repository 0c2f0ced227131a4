// velmora-admin copy-to-hamper [--dir DIR]
//     every policy holder of DIR (the working folder when not given) whose
//     HAMPER is above 0 joins the hamper club once, his PLANPREM set to his
//     PREMIUM; prints the counts and each member who could not keep his
//     client's number; a copy that could not be written is named on standard
//     error and makes the run fail
#include "HamperCommand.h"

#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "OfficeStore.h"
#include "errors/ErrorManager.h"
#include "hamper/HamperCopy.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel::admin {

namespace {

int usage() {
  std::cerr << "usage: velmora-admin copy-to-hamper [--dir DIR]\n";
  return 1;
}

}  // namespace

int copyToHamperCommand(const std::vector<std::string_view>& args) {
  std::string dir = ".";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size()) dir = args[++i];
    else return usage();
  }
  std::unique_ptr<Engine> engine = officeEngineOf(dir);
  if (!engine) return 2;
  ConsoleUi ui;
  ErrorManager errors(ui);
  DataFiles files(dir, *engine, errors);
  const HamperCopyReport r = copyPolicyHoldersToHamper(files, ui);
  for (const std::string& line : r.renumbered) std::cout << line << "\n";
  std::cout << "copy-to-hamper: " << r.clients << " clients read, " << r.added << " added, "
            << r.alreadyMembers << " already members, " << r.failed << " failed\n";
  return r.complete && r.failed == 0 && ui.shown == 0 ? 0 : 2;
}

}  // namespace vel::admin
