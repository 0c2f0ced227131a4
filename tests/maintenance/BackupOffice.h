// A demo office in a temporary folder, and what the backup and rebuild tests
// ask of its files: record counts, integrity verdicts and exact bytes.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/DemoOffice.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

struct BackupOffice {
  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  std::unique_ptr<Engine> copies = makeSqliteEngine();
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  FixedClock clock{dateFromYmd(2026, 12, 8), 0};

  ~BackupOffice() { ui.verifyDone(); }

  bool seed(int clients = 40) {
    DemoOptions o;
    o.clients = clients;
    return seedDemoOffice(files, clock, o).ok;
  }
  // Creates an empty file of each of these labels (as the program would on
  // first use).
  void create(std::initializer_list<std::string_view> labels) {
    for (auto l : labels) engine->create(layout(l), tps(l), kOwnerPassword);
  }

  static const Layout& layout(std::string_view label) { return *findFile(label)->layout; }
  std::string tps(std::string_view label) const { return dir.file(findFile(label)->diskName()); }
  std::string bak(std::string_view label) const {
    std::string n = findFile(label)->diskName();
    return dir.file(n.replace(n.size() - 4, 4, ".Bak"));
  }

  // Whether the office's file of `label` is there (on either engine).
  bool exists(std::string_view label) {
    bool there = false;
    return engine->exists(tps(label), there) == 0 && there;
  }
  // The engine that reads the file at `path`: the office's own for its
  // .Tps files; backups are always record files of the embedded engine,
  // whichever engine holds the office.
  Engine& engineOf(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".Tps") == 0 ? *engine : *copies;
  }

  // Records in the file at `path` read as a file of `label`; -1 when it
  // does not open or count.
  std::int64_t count(std::string_view label, const std::string& path) {
    std::unique_ptr<EngineFile> f;
    if (engineOf(path).open(layout(label), path, OpenMode{Access::ReadOnly, Share::DenyNone},
                     kOwnerPassword, f))
      return -1;
    std::int64_t n = -1;
    return f->records(n) ? -1 : n;
  }
  // The integrity verdict of the file at `path` ("ok" when sound).
  std::string verdict(std::string_view label, const std::string& path) {
    std::unique_ptr<EngineFile> f;
    if (int code = engineOf(path).open(layout(label), path, OpenMode{Access::ReadOnly, Share::DenyNone},
                                kOwnerPassword, f))
      return "does not open: " + std::to_string(code);
    std::string v;
    f->checkIntegrity(v);
    return v;
  }
};

inline std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs one statement on a record file with SQLite itself, as another
// program or a failing disk might change it.
inline bool sqlOn(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  bool done = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return done;
}

}  // namespace vel::test
