#include "recordstore/StoreChoice.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>

#include <libpq-fe.h>

#include "common/Text.h"
#include "recordstore/PgConnection.h"

namespace vel {

namespace {

namespace fs = std::filesystem;

// libpq's reading of a connection string, freed with it.
struct ParsedConnection {
  explicit ParsedConnection(const std::string& connection) {
    char* error = nullptr;
    options = PQconninfoParse(connection.c_str(), &error);
    if (error) {
      problem = pg::trimmed(error);
      PQfreemem(error);
    } else if (!options) {
      problem = "out of memory";
    }
  }
  ~ParsedConnection() {
    if (options) PQconninfoFree(options);
  }
  ParsedConnection(const ParsedConnection&) = delete;
  ParsedConnection& operator=(const ParsedConnection&) = delete;

  PQconninfoOption* options = nullptr;
  std::string problem;
};

// A value as a key=value connection string quotes it.
std::string quoted(const std::string& value) {
  std::string q = "'";
  for (char c : value) {
    if (c == '\'' || c == '\\') q += '\\';
    q += c;
  }
  return q + "'";
}

// The connection with libpq's passfile set to `passFile`, in key=value form
// (a URI cannot simply have a key appended).
std::string withPassFile(const std::string& connection, const std::string& passFile) {
  ParsedConnection parsed(connection);
  std::string out;
  for (PQconninfoOption* o = parsed.options; o && o->keyword; ++o) {
    if (!o->val || std::string_view(o->keyword) == "passfile") continue;
    out += std::string(o->keyword) + "=" + quoted(o->val) + " ";
  }
  return out + "passfile=" + quoted(passFile);
}

// Checks the PassFile of the settings and gives its full path; libpq passes
// over a missing file or one others may read without a word a clerk would
// see, so both are refused here.
std::string checkPassFile(const std::string& named, const std::string& folder, std::string& path) {
  fs::path p(named);
  if (p.is_relative()) p = fs::path(folder.empty() ? "." : folder) / p;
  std::error_code ec;
  p = fs::absolute(p, ec).lexically_normal();
  path = p.string();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return "The password file " + path + " named in velmora.INI (PassFile) is not there";
  if (st.st_mode & (S_IRWXG | S_IRWXO))
    return "The password file " + path +
           " named in velmora.INI (PassFile) may be read by others: make it readable by its "
           "owner alone (chmod 600)";
  return {};
}

}  // namespace

bool connectionHoldsPassword(const std::string& connection, std::string& malformed) {
  malformed.clear();
  ParsedConnection parsed(connection);
  if (!parsed.options) {
    malformed = parsed.problem;
    return false;
  }
  for (PQconninfoOption* o = parsed.options; o->keyword; ++o)
    if (std::string_view(o->keyword) == "password" && o->val) return true;
  return false;
}

bool looksLikeConnection(const std::string& text) {
  if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) return true;
  // A key=value string: the first word is a key followed by '='.
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  const std::size_t start = i;
  while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
    ++i;
  if (i == start) return false;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  return i < text.size() && text[i] == '=';
}

bool validSchemaName(const std::string& schema) {
  if (schema.empty() || schema.size() > 63) return false;
  if (std::isdigit(static_cast<unsigned char>(schema.front()))) return false;
  for (char c : schema)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

std::string readStoreChoice(const SettingsFile& settings, const std::string& folder,
                            StoreChoice& out) {
  out = StoreChoice{};
  const std::string engine(trim(settings.get("Store", "Engine")));
  const std::string connection(trim(settings.get("Store", "Connection")));
  if (engine.empty()) {
    // A connection without the engine would leave this station on the
    // folder's files while the others work in the database.
    if (!connection.empty())
      return "velmora.INI names a database Connection in [Store] but no Engine: add "
             "Engine=postgresql to use it, or Engine=sqlite to keep the records in the data "
             "folder";
    return {};
  }
  if (equalsNoCase(engine, "sqlite")) return {};
  if (!equalsNoCase(engine, "postgresql"))
    return "velmora.INI names the record engine \"" + engine +
           "\" in [Store]; the engines are sqlite and postgresql";

  if (connection.empty())
    return "velmora.INI names PostgreSQL in [Store] but no Connection (for example "
           "Connection=host=server dbname=velmora user=clerk)";
  std::string malformed;
  if (connectionHoldsPassword(connection, malformed)) return kPasswordInSettings;
  if (!malformed.empty())
    return "The Connection in velmora.INI [Store] cannot be read: " + malformed;

  const std::string schema(trim(settings.get("Store", "Schema", kDefaultSchema)));
  if (!validSchemaName(schema))
    return "The Schema \"" + schema +
           "\" in velmora.INI [Store] is not a plain name (letters, digits and _, at most 63)";

  out.kind = StoreChoice::Kind::Postgres;
  out.pg.connection = connection;
  out.pg.schema = schema;
  const std::string passFile(trim(settings.get("Store", "PassFile")));
  if (!passFile.empty()) {
    std::string path;
    if (std::string why = checkPassFile(passFile, folder, path); !why.empty()) {
      out = StoreChoice{};
      return why;
    }
    out.pg.connection = withPassFile(connection, path);
  }
  return {};
}

std::unique_ptr<Engine> makeEngine(const StoreChoice& choice) {
  if (choice.kind == StoreChoice::Kind::Postgres) return makePostgresEngine(choice.pg);
  return makeSqliteEngine();
}

std::string readStoreChoice(const std::string& folder, StoreChoice& out) {
  out = StoreChoice{};
  const fs::path ini = fs::path(folder.empty() ? "." : folder) / kSettingsFileName;
  SettingsFile settings;
  // Unreadable settings might name a database: guessing the folder's own
  // files would split the office between two stores.
  if (!settings.open(ini.string())) return "The settings file " + ini.string() + " cannot be read";
  return readStoreChoice(settings, folder, out);
}

bool makeEngineFor(const std::string& folder, std::unique_ptr<Engine>& out, std::string& problem) {
  StoreChoice choice;
  problem = readStoreChoice(folder, choice);
  if (!problem.empty()) return false;
  out = makeEngine(choice);
  return true;
}

bool recordsOnDisk(const Engine& engine) { return engine.name() == "SQLite"; }

}  // namespace vel
