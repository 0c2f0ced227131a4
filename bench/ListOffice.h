// The million-client office the list benchmarks share: a VelCli file built
// once under $VEL_BENCH_DIR/list (default /tmp/velbench/list) and reused by
// later runs, and the client list declared over it.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "forms/ListDecl.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace velbench {

inline constexpr int kClients = 1'000'000;
inline constexpr int kListPage = 60;

inline std::filesystem::path listFolder() {
  namespace fs = std::filesystem;
  const char* dir = std::getenv("VEL_BENCH_DIR");
  fs::path p = (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "list";
  fs::create_directories(p);
  return p;
}

inline vel::ListDecl clientList() {
  vel::ListDecl l;
  l.procedure = "Browse_Client";
  l.title = "Clients";
  l.file = "VelCli";
  l.columns = {vel::ColumnDecl{"Client", "CLIENT_ID", "", 10, vel::Align::Left, {}},
               vel::ColumnDecl{"Surname", "SURNAME", "", 25, vel::Align::Left, {}},
               vel::ColumnDecl{"First Name", "FIRSTNAME", "", 20, vel::Align::Left, {}},
               vel::ColumnDecl{"ID Number", "ID_NUMBER", "", 13, vel::Align::Left, {}}};
  l.tabs = {{"By Surname", "By_Name", "SURNAME"}};
  l.actions = vel::kActView | vel::kActSelect;
  return l;
}

struct Office {
  vel::SilentUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine = vel::makeSqliteEngine();
  vel::DataFiles files{listFolder().string(), *engine, errors};
  vel::ListDecl decl = clientList();
  std::string path;

  Office() {
    vel::FileManager& f = files.fm<vel::rec::VelCli>();
    f.Open();
    std::int64_t have = f.Records();
    path = f.path();
    f.Close();
    if (have != kClients) build(have);
  }

  // Fills the file with SQL in one transaction: three-letter surnames spread
  // over the alphabet, a seven-digit client number and an identity number.
  void build(std::int64_t have) {
    std::fprintf(stderr, "building %d clients in %s (had %lld)...\n", kClients, path.c_str(),
                 static_cast<long long>(have));
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const std::string sql =
        "DELETE FROM rec;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(kClients) +
        ") INSERT INTO rec(CLIENT_ID, SURNAME, INITIALS, FIRSTNAME, ID_NUMBER, NUMBER) "
        "SELECT printf('%07d', i), char(65 + (i*7919) % 26) || char(97 + (i*104729) % 26) || "
        "char(97 + (i*1299709) % 26) || 'ana', 'A', 'Thandi', printf('%013d', i*7), i FROM n;";
    char* err = nullptr;
    sqlite3_exec(db, ("BEGIN;" + sql + "COMMIT;").c_str(), nullptr, nullptr, &err);
    if (err) std::fprintf(stderr, "%s\n", err);
    sqlite3_close(db);
  }
};

inline Office& office() {
  static Office o;
  return o;
}

}  // namespace velbench
