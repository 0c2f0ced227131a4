// Which record engine holds a data folder's records.
//
// The data folder's settings file (velmora.INI) may name a PostgreSQL
// database in its section [Store]:
//
//   [Store]
//   Engine=postgresql
//   Connection=host=db.office.lan dbname=velmora user=clerk
//   Schema=velmora            (the default)
//   PassFile=/home/clerk/.pgpass   (optional: a .pgpass-style file)
//
// Without the section, or with Engine=sqlite, the records are SQLite files in
// the folder itself. The password never stands in the settings file: it comes
// from a .pgpass-style file or the PGPASSWORD variable, as with PostgreSQL's
// own tools. Every program of the office (the desktop program and each
// command of velmora-admin) makes its engine here, so all of them agree on
// where the records are, and a settings file that cannot be trusted stops
// the program before any record file is touched.
#pragma once

#include <memory>
#include <string>

#include "platform/SettingsFile.h"
#include "recordstore/Engine.h"

namespace vel {

// The settings file of a data folder.
inline constexpr const char* kSettingsFileName = "velmora.INI";
// The schema a PostgreSQL office uses when the settings file names none.
inline constexpr const char* kDefaultSchema = "velmora";

// What the settings file says about the store.
struct StoreChoice {
  enum class Kind { Sqlite, Postgres };
  Kind kind = Kind::Sqlite;
  // For PostgreSQL: the connection as libpq takes it (the PassFile of the
  // settings added as libpq's passfile) and the office's schema.
  PgSettings pg;
};

// The refusal of a connection string that holds a password.
inline constexpr const char* kPasswordInSettings =
    "The database password must not stand in velmora.INI: put it in a .pgpass file or the "
    "PGPASSWORD variable";

// Reads [Store] of `settings`. `folder` is the data folder: a relative
// PassFile is found from it. Empty on success, else why the settings cannot
// be used (nothing is opened or changed either way).
std::string readStoreChoice(const SettingsFile& settings, const std::string& folder,
                            StoreChoice& out);
// The same, of `folder`/velmora.INI; also refused when that file cannot be
// read (it might name a database).
std::string readStoreChoice(const std::string& folder, StoreChoice& out);

// Whether a libpq connection string names a password (a password key, or a
// URI with user:password@). A connection string libpq cannot read at all
// gives false and `malformed` set to libpq's reason.
bool connectionHoldsPassword(const std::string& connection, std::string& malformed);

// Whether the text names a database (a libpq URI or key=value connection
// string) rather than a folder.
bool looksLikeConnection(const std::string& text);

// Whether `schema` is a name the office's schema may have: letters, digits
// and underscores, not starting with a digit, at most 63 characters.
bool validSchemaName(const std::string& schema);

// Makes the engine `choice` names.
std::unique_ptr<Engine> makeEngine(const StoreChoice& choice);

// Reads `folder`/velmora.INI and makes the engine it names. False, with
// `problem` saying why in words for the clerk, when the settings file cannot
// be read or its [Store] section cannot be used; no record file has been
// touched then.
bool makeEngineFor(const std::string& folder, std::unique_ptr<Engine>& out, std::string& problem);

// Whether the engine keeps each record file as a file of its own in the data
// folder (SQLite). Work that handles those files themselves (the conversion
// of older layouts) is done only there.
bool recordsOnDisk(const Engine& engine);

}  // namespace vel
