// velmora-admin export NAME|all|main [--dir DIR] [--out FOLDER]
//
// Writes one export (NAME: its file name such as VelTra.csv or VelTra, its
// record file's label, or its menu text), Main.csv ("main"), or all 27
// ("all") from the data folder DIR (the working folder when not given) into
// FOLDER (DIR when not given). Each file is written whole or not at all: a
// file that cannot be read to its end is named on standard error, its export
// is not written and the command exits 2. A folder without a configuration
// record is refused before any file is opened in it.
#include "ExportCommand.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "OfficeStore.h"
#include "common/Text.h"
#include "errors/ErrorManager.h"
#include "maintenance/ExportTables.h"
#include "maintenance/MainCsv.h"
#include "recordstore/DataFiles.h"
#include "shell/FirstRun.h"

namespace vel::admin {

namespace {

int usage() {
  std::cerr << "usage: velmora-admin export NAME|all|main [--dir DIR] [--out FOLDER]\n"
               "       NAME is an export's file (VelTra.csv), its record file (VelTra)\n"
               "       or its menu text (\"Export Velmora Transactions\")\n";
  return 1;
}

int fail(const std::string& text) {
  std::cerr << "velmora-admin: " << text << "\n";
  return 2;
}

bool report(const std::string& name, const ExportResult& r) {
  if (r.ok) {
    std::cout << name << ": " << r.records << (name == kMainCsvName ? " client(s)" : " record(s)")
              << " written to " << r.path << "\n";
    return true;
  }
  std::cerr << "velmora-admin: " << name << " was not written: " << r.failure << "\n";
  return false;
}

}  // namespace

int exportCommand(std::string_view what, const std::vector<std::string_view>& args) {
  std::string dir = ".", out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i + 1 >= args.size()) return usage();
    if (args[i] == "--dir")
      dir = args[++i];
    else if (args[i] == "--out")
      out = args[++i];
    else
      return usage();
  }
  if (out.empty()) out = dir;

  std::vector<const ExportDecl*> tables;
  bool main = false;
  if (what == "all") {
    for (const ExportDecl& d : exportTables()) tables.push_back(&d);
    main = true;
  } else if (what == "main" || equalsNoCase(what, kMainCsvName)) {
    main = true;
  } else if (const ExportDecl* d = findExport(what)) {
    tables.push_back(d);
  } else {
    std::cerr << "velmora-admin: there is no export " << what << "; the exports are:\n";
    for (const ExportDecl& e : exportTables())
      std::cerr << "  " << e.fileName << "  (" << e.procedure << ")\n";
    std::cerr << "  main  (Main.csv)\n  all   (every one of them)\n";
    return 1;
  }

  std::error_code ec;
  if (!std::filesystem::is_directory(out, ec)) return fail("there is no folder " + out);

  ConsoleUi ui;
  ErrorManager errors(ui);
  errors.SetProcedureName("Export");
  std::unique_ptr<Engine> engine = officeEngineOf(dir);
  if (!engine) return 2;
  DataFiles files(dir, *engine, errors);
  if (!hasConfigRecord(files))
    return fail(dir + " is not a data folder: it has no configuration record");

  int written = 0, failed = 0;
  for (const ExportDecl* d : tables) {
    TerminalBar bar(d->fileName);
    (report(d->fileName, writeExport(files, *d, out, bar)) ? written : failed)++;
  }
  if (main) {
    TerminalBar bar{std::string(kMainCsvName)};
    (report(std::string(kMainCsvName), writeMainCsv(files, out, bar)) ? written : failed)++;
  }
  if (written + failed > 1) {
    std::cout << written << " export(s) written to " << exportFolderText(out);
    if (failed) std::cout << "; " << failed << " not written";
    std::cout << "\n";
  }
  return failed == 0 && ui.shown == 0 ? 0 : 2;
}

}  // namespace vel::admin
