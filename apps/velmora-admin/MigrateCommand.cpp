// velmora-admin migrate --from DIR --to CONNECTION [--schema S] [--replace] [--switch]
// velmora-admin migrate --from CONNECTION [--schema S] --to DIR [--replace] [--switch]
//     copies every record file of the data folder DIR into the schema S
//     (velmora when not given) of the PostgreSQL database CONNECTION (a
//     libpq connection string or URI without a password: that comes from
//     .pgpass or PGPASSWORD), or the office in that schema back into record
//     files in DIR (made when missing). The source is only read. A target
//     that already holds any of the office's files is refused, naming them,
//     unless --replace is given. Afterwards every file is read again on both
//     sides and its record count and checksum printed; a file that does not
//     match makes the run fail. --switch then points the folder's
//     velmora.INI at the copy ([Store] written into DIR's velmora.INI);
//     without it the lines to put there are printed.
#include "MigrateCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "maintenance/Migrate.h"
#include "platform/SettingsFile.h"
#include "recordstore/StoreChoice.h"

namespace vel::admin {

namespace {

namespace fs = std::filesystem;

int usage() {
  std::cerr
      << "usage: velmora-admin migrate --from DIR --to CONNECTION [--schema S] [--replace] "
         "[--switch]\n"
         "       velmora-admin migrate --from CONNECTION [--schema S] --to DIR [--replace] "
         "[--switch]\n"
         "CONNECTION is a libpq connection string (\"host=server dbname=velmora user=clerk\")\n"
         "or URI (postgresql://clerk@server/velmora), without a password: put that in\n"
         "~/.pgpass or the PGPASSWORD variable\n";
  return 1;
}

int fail(const std::string& why) {
  std::cerr << "velmora-admin: " << why << "\n";
  return 2;
}

// One side as written on the command line.
struct Side {
  std::string text;
  bool database = false;
};

bool isFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// Points the folder's velmora.INI at the store the office now lives in.
bool writeStore(const std::string& dir, const StoreChoice& choice, std::string& why) {
  SettingsFile settings;
  const std::string ini = (fs::path(dir) / kSettingsFileName).string();
  if (!settings.open(ini)) {
    why = "the settings file " + ini + " cannot be read";
    return false;
  }
  if (choice.kind == StoreChoice::Kind::Postgres) {
    settings.set("Store", "Engine", "postgresql");
    settings.set("Store", "Connection", choice.pg.connection);
    settings.set("Store", "Schema", choice.pg.schema);
  } else {
    settings.set("Store", "Engine", "sqlite");
  }
  if (!settings.save()) {
    why = "the settings file " + ini + " could not be written";
    return false;
  }
  return true;
}

std::string hex(std::uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

void printFiles(const MigrateReport& r) {
  std::printf("%-10s  %-12s  %10s  %10s  %-16s  %-16s  %s\n", "Label", "File", "Source",
              "Target", "Source sum", "Target sum", "");
  for (const MigratedFile& f : r.files) {
    if (!f.compared) {
      std::printf("%-10s  %-12s  %s\n", f.label.c_str(), f.name.c_str(), f.problem.c_str());
      continue;
    }
    std::printf("%-10s  %-12s  %10lld  %10lld  %-16s  %-16s  %s\n", f.label.c_str(),
                f.name.c_str(), static_cast<long long>(f.source.records),
                static_cast<long long>(f.target.records), hex(f.source.checksum).c_str(),
                hex(f.target.checksum).c_str(), f.matches() ? "ok" : "DIFFERENT");
  }
}

}  // namespace

int migrateCommand(const std::vector<std::string_view>& args) {
  Side from, to;
  std::string schema = kDefaultSchema;
  bool schemaGiven = false, replace = false, switchOver = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool more = i + 1 < args.size();
    if (args[i] == "--from" && more) from.text = args[++i];
    else if (args[i] == "--to" && more) to.text = args[++i];
    else if (args[i] == "--schema" && more) schema = args[++i], schemaGiven = true;
    else if (args[i] == "--replace") replace = true;
    else if (args[i] == "--switch") switchOver = true;
    else return usage();
  }
  if (from.text.empty() || to.text.empty()) return usage();
  // A folder that exists is a folder whatever its name looks like.
  from.database = !isFolder(from.text) && looksLikeConnection(from.text);
  to.database = !isFolder(to.text) && looksLikeConnection(to.text);
  if (from.database && to.database) {
    std::cerr << "velmora-admin: migrate moves between a data folder and a database; to copy "
                 "from one database to another, go through a folder\n";
    return usage();
  }
  if (schemaGiven && !from.database && !to.database) {
    std::cerr << "velmora-admin: --schema goes with a database connection\n";
    return usage();
  }
  if (!from.database && !isFolder(from.text)) return fail("there is no data folder " + from.text);

  Side& db = from.database ? from : to;
  StoreChoice target;  // the store the office lives in after the move
  if (db.database) {
    std::string malformed;
    if (connectionHoldsPassword(db.text, malformed))
      return fail("the database password must not stand on the command line: put it in a "
                  ".pgpass file or the PGPASSWORD variable");
    if (!malformed.empty()) return fail("the connection cannot be read: " + malformed);
    if (!validSchemaName(schema))
      return fail("the schema \"" + schema +
                  "\" is not a plain name (letters, digits and _, at most 63)");
  } else {
    std::error_code ec;
    if (isFolder(to.text) && fs::equivalent(from.text, to.text, ec))
      return fail("the source and the target are the same folder");
  }

  // The folder's own settings: a folder whose velmora.INI already sends the
  // office to a database holds no current records of its own to move.
  if (!from.database) {
    StoreChoice current;
    if (std::string why = readStoreChoice(from.text, current); !why.empty()) return fail(why);
    if (current.kind != StoreChoice::Kind::Sqlite)
      return fail("the velmora.INI of " + from.text + " sends the office to PostgreSQL: the "
                  "record files in the folder are not its current records (move the office "
                  "back with --from CONNECTION --to " + from.text + ")");
  }
  if (!to.database) {
    std::error_code ec;
    fs::create_directories(to.text, ec);
    if (!isFolder(to.text)) return fail("the folder " + to.text + " cannot be made");
  }

  std::unique_ptr<Engine> dbEngine;
  if (db.database) {
    target.kind = StoreChoice::Kind::Postgres;
    target.pg = PgSettings{db.text, schema};
    dbEngine = makeEngine(target);
  }
  std::unique_ptr<Engine> fromFiles = from.database ? nullptr : makeSqliteEngine();
  std::unique_ptr<Engine> toFiles = to.database ? nullptr : makeSqliteEngine();
  StoreSide source{from.database ? *dbEngine : *fromFiles, from.database ? "" : from.text};
  StoreSide destination{to.database ? *dbEngine : *toFiles, to.database ? "" : to.text};
  if (!to.database) target = StoreChoice{};

  MigrateOptions options;
  options.replace = replace;
  std::unique_ptr<TerminalBar> bar;
  std::string barFile;
  options.progress = [&](const std::string& label, std::int64_t done, std::int64_t total) {
    if (label != barFile) {
      bar = std::make_unique<TerminalBar>("Copying " + label);
      barFile = label;
    }
    bar->setPercent(total > 0 ? static_cast<int>(done * 100 / total) : 100);
  };
  const MigrateReport r = migrateOffice(source, destination, options);
  bar.reset();
  if (!r.files.empty()) printFiles(r);
  if (!r.failure.empty()) return fail("the office was not moved: " + r.failure);
  if (!r.ok()) {
    int bad = 0;
    for (const MigratedFile& f : r.files) bad += f.matches() ? 0 : 1;
    return fail(std::to_string(bad) + " file(s) do not match their source: the copy must not "
                "be used (run again with --replace)");
  }
  std::cout << r.files.size() << " file(s) moved from " << source.engine.name() << " to "
            << destination.engine.name() << "; every count and checksum matches.\n";

  // The folder whose settings name the store: the source folder when the
  // office goes into the database, the target folder when it comes back.
  const std::string& home = to.database ? from.text : to.text;
  if (switchOver) {
    std::string why;
    if (!writeStore(home, target, why)) return fail(why);
    std::cout << "The velmora.INI of " << home << " now names "
              << destination.engine.name() << ".\n";
    return 0;
  }
  if (to.database) {
    std::cout << "To work on the database, add to the velmora.INI of " << home
              << " (or run again with --switch):\n"
              << "[Store]\nEngine=postgresql\nConnection=" << target.pg.connection
              << "\nSchema=" << target.pg.schema << "\n";
  } else {
    StoreChoice current;
    if (readStoreChoice(home, current).empty() && current.kind == StoreChoice::Kind::Sqlite)
      std::cout << "The office's files are in " << home << ".\n";
    else
      std::cout << "To work on these files, set Engine=sqlite in [Store] of the velmora.INI of "
                << home << " (or run again with --switch).\n";
  }
  return 0;
}

}  // namespace vel::admin
