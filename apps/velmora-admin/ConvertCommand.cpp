#include "ConvertCommand.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "OfficeStore.h"
#include "maintenance/Conversion.h"
#include "platform/Clock.h"
#include "recordstore/Engine.h"
#include "recordstore/StoreChoice.h"

namespace vel::admin {

namespace {

int usage() {
  std::cerr << "usage: velmora-admin convert [--dir DIR]\n";
  return 1;
}

std::string list(const std::vector<std::string>& labels) {
  std::string s;
  for (const auto& l : labels) s += (s.empty() ? "" : ", ") + l;
  return s;
}

}  // namespace

int convertCommand(const std::vector<std::string_view>& args) {
  std::string dir = ".";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size())
      dir = args[++i];
    else
      return usage();
  }
  if (!std::filesystem::is_directory(dir)) {
    std::cerr << "velmora-admin: there is no data folder " << dir << "\n";
    return 2;
  }
  auto engine = engineOf(dir);
  if (!engine) return 2;
  // The older layouts are files of the data folder; a database holds only
  // tables in the current layout, which migrate made.
  if (!recordsOnDisk(*engine)) {
    std::cerr << "velmora-admin: the records of " << dir << " are in " << engine->name()
              << " (velmora.INI); convert works only on record files in a data folder. Convert "
                 "an older folder before moving it with velmora-admin migrate.\n";
    return 2;
  }
  ConsoleUi ui;
  SystemClock clock;
  Conversion conversion(dir, *engine, ui, clock);
  ConversionReport r = conversion.run();
  if (!r.finished.empty())
    std::cout << "Finished the swap an interrupted conversion left: " << list(r.finished) << "\n";
  if (!r.converted.empty()) std::cout << "Converted: " << list(r.converted) << "\n";
  if (!r.invalid.empty())
    std::cerr << "velmora-admin: in no layout this program knows: " << list(r.invalid) << "\n";
  if (r.stopped) std::cerr << "velmora-admin: the conversion stopped: " << r.failure << "\n";
  if (r.converted.empty() && r.finished.empty() && r.invalid.empty() && !r.stopped)
    std::cout << "Every file is in its current layout; nothing to convert.\n";
  return r.stopped || !r.invalid.empty() ? 2 : 0;
}

}  // namespace vel::admin
