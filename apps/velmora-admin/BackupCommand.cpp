// velmora-admin backup [--dir DIR] [--to FOLDER]
//     a checked copy of the ten most valuable record files of DIR (the
//     working folder when not given) as .Bak files in FOLDER (DIR itself when
//     not given; made when missing); a file refused, locked or damaged keeps
//     its old backup, is named on standard error and makes the run fail
// velmora-admin rebuild [--dir DIR]
//     every key of the eleven rebuilt files built again, each file opened
//     exclusively and checked; a file that could not be opened or rebuilt,
//     or was found damaged, is named on standard error and the run fails
#include "BackupCommand.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "OfficeStore.h"
#include "maintenance/Backup.h"
#include "maintenance/Rebuild.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel::admin {

namespace {

int usage() {
  std::cerr << "usage: velmora-admin backup [--dir DIR] [--to FOLDER]\n"
               "       velmora-admin rebuild [--dir DIR]\n";
  return 1;
}

int fail(const std::string& why) {
  std::cerr << "velmora-admin: " << why << "\n";
  return 2;
}

struct Options {
  std::string dir = ".";
  std::string to;
};

// Reads --dir and (when `withTo`) --to; false on anything else.
bool parse(const std::vector<std::string_view>& args, bool withTo, Options& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i + 1 >= args.size()) return false;
    if (args[i] == "--dir") o.dir = args[++i];
    else if (withTo && args[i] == "--to") o.to = args[++i];
    else return false;
  }
  return true;
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

int backup(const Options& o) {
  auto engine = engineOf(o.dir);
  if (!engine) return 2;
  if (!o.to.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.to, ec);
    if (!isFolder(o.to)) return fail("the backup folder " + o.to + " cannot be made");
  }
  const auto outcomes = backupFiles(*engine, o.dir, kOwnerPassword, o.to, nullptr);
  int copied = 0, absent = 0, failed = 0;
  for (const auto& r : outcomes) {
    switch (r.result) {
      case BackupOutcome::Result::Copied:
        ++copied;
        std::cout << r.bakPath << "\n";
        break;
      case BackupOutcome::Result::NotPresent: ++absent; break;
      case BackupOutcome::Result::Refused:
      case BackupOutcome::Result::Failed:
        ++failed;
        std::cerr << r.message << " (the old backup is kept)\n";
        break;
    }
  }
  std::cout << "backup: " << copied << " copied, " << absent << " not there yet, " << failed
            << " failed\n";
  return failed ? 2 : 0;
}

int rebuild(const Options& o) {
  auto engine = engineOf(o.dir);
  if (!engine) return 2;
  // A station that died building a file left its half-built copy.
  engine->removeLeftovers(o.dir);
  const RebuildReport report = rebuildIndexes(*engine, o.dir, kOwnerPassword,
                                              [](std::string_view s) { std::cout << s << "\n"; });
  for (const auto& p : report.problems) std::cerr << p.line << "\n";
  return report.ok() ? 0 : 2;
}

}  // namespace

bool isBackupCommand(std::string_view command) { return command == "backup" || command == "rebuild"; }

int runBackupCommand(std::string_view command, const std::vector<std::string_view>& args) {
  Options o;
  const bool isBackup = command == "backup";
  if (!parse(args, isBackup, o)) return usage();
  if (!isFolder(o.dir)) return fail("there is no data folder " + o.dir);
  return isBackup ? backup(o) : rebuild(o);
}

}  // namespace vel::admin
