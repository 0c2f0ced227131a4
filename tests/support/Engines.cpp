#include "support/Engines.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>

#include "dictionary/FileDirectory.h"
#include "platform/SettingsFile.h"
#include "recordstore/DataFiles.h"
#include "support/TempDir.h"

#ifndef VEL_TEST_PG_FILE_DEFAULT
#define VEL_TEST_PG_FILE_DEFAULT ""
#endif

namespace vel::test {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The folder as one spelling: absolute, without "." or "..", without a
// trailing separator, so "dir" and "/abs/dir/" name the same office.
std::string normalFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(folder), ec);
  if (ec) p = std::filesystem::absolute(folder).lexically_normal();
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string trim(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

std::string quoteIdent(const std::string& name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

// Runs `sql` on a fresh connection; the server's message when it fails.
std::string execOnce(const std::string& connection, const std::string& sql) {
  PGconn* c = PQconnectdb(connection.c_str());
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);  // "drop cascades to ..."
  std::string err;
  if (PQstatus(c) != CONNECTION_OK) {
    err = PQerrorMessage(c);
  } else {
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
      err = PQresultErrorMessage(r);
    PQclear(r);
  }
  PQfinish(c);
  return err;
}

// The offices this process made, dropped with their folder. Only the process
// that made an office drops it: a forked station shares the folder, not the
// ownership.
struct Offices {
  std::mutex m;
  pid_t owner = 0;
  std::set<std::string> folders;
};
Offices& offices() {
  static Offices o;
  return o;
}

void dropOfficeOf(const std::string& folder) {
  Offices& o = offices();
  std::string key = normalFolder(folder);
  {
    std::lock_guard<std::mutex> lock(o.m);
    if (o.owner != ::getpid() || !o.folders.erase(key)) return;
  }
  // A station of the test still holding a lock makes the drop give up after
  // a while rather than hang the test; the cluster goes at the end anyway.
  try {
    execOnce(pgConnection(), "SET lock_timeout = '5s'; DROP SCHEMA IF EXISTS " +
                                 quoteIdent(schemaFor(key)) + " CASCADE");
  } catch (const std::exception&) {
    // The cluster is gone already: so is the office.
  }
}

void remember(const std::string& folder) {
  Offices& o = offices();
  std::lock_guard<std::mutex> lock(o.m);
  if (o.owner != ::getpid()) {
    o.owner = ::getpid();
    o.folders.clear();
  }
  o.folders.insert(normalFolder(folder));
  TempDir::onRemove = dropOfficeOf;
}

// Names the office in the folder's settings file, as an office on PostgreSQL
// is set up for the program; written only when it says something else, so
// stations opening the same folder at once leave it alone.
void nameOfficeInSettings(const std::string& folder, const std::string& connection,
                          const std::string& schema) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return;
  SettingsFile ini;
  if (!ini.open(folder + "/velmora.INI"))
    throw std::runtime_error("cannot read " + folder + "/velmora.INI");
  if (ini.get("Store", "Engine") == "postgresql" && ini.get("Store", "Connection") == connection &&
      ini.get("Store", "Schema") == schema)
    return;
  ini.set("Store", "Engine", "postgresql");
  ini.set("Store", "Connection", connection);
  ini.set("Store", "Schema", schema);
  if (!ini.save()) throw std::runtime_error("cannot write " + folder + "/velmora.INI");
}

// Whether the server answers, asked once per process: a PostgreSQL run
// against a server that is not there fails with this, not with a box about
// every file.
void checkServer(const std::string& connection) {
  static std::mutex m;
  static pid_t checked = 0;
  std::lock_guard<std::mutex> lock(m);
  if (checked == ::getpid()) return;
  std::string err = execOnce(connection, "SELECT 1");
  if (!err.empty())
    throw std::runtime_error("the PostgreSQL test cluster (" + connection +
                             ") does not answer: " + trim(err));
  checked = ::getpid();
}

}  // namespace

namespace {
bool g_named = false;
EngineKind g_testEngine = EngineKind::SQLite;
}  // namespace

EngineKind testEngine() { return g_named ? g_testEngine : runEngine(); }

OnEngine::OnEngine(EngineKind kind) : had_(g_named), before_(g_testEngine) {
  g_named = true;
  g_testEngine = kind;
}

OnEngine::~OnEngine() {
  g_named = had_;
  g_testEngine = before_;
}

void PrintTo(EngineKind kind, std::ostream* os) { *os << engineName(kind); }

namespace {
// A test program started with the cluster's connection file in place and no
// VEL_TEST_PG sets VEL_TEST_PG from the file, so the connection is read from
// one variable by every part of the program and every process it starts.
const bool g_connectionNamed = [] {
  if (const char* c = std::getenv("VEL_TEST_PG"); c && *c) return true;
  try {
    return ::setenv("VEL_TEST_PG", pgConnection().c_str(), 1) == 0;
  } catch (const std::exception&) {
    return false;  // no cluster: a PostgreSQL test says so when it asks
  }
}();
}  // namespace

EngineKind runEngine() {
  const char* e = std::getenv("VEL_TEST_ENGINE");
  if (!e || !*e) return EngineKind::SQLite;
  return engineNamed(e);
}

const char* engineName(EngineKind kind) {
  return kind == EngineKind::PostgreSQL ? "PostgreSQL" : "SQLite";
}

EngineKind engineNamed(const std::string& name) {
  std::string n = lower(name);
  if (n == "sqlite") return EngineKind::SQLite;
  if (n == "postgresql") return EngineKind::PostgreSQL;
  throw std::runtime_error("unknown record engine \"" + name +
                           "\" (VEL_TEST_ENGINE is sqlite or postgresql)");
}

std::string pgConnection() {
  if (const char* c = std::getenv("VEL_TEST_PG"); c && *c) return c;
  std::string file;
  if (const char* f = std::getenv("VEL_TEST_PG_FILE"); f && *f)
    file = f;
  else
    file = VEL_TEST_PG_FILE_DEFAULT;
  std::ifstream in(file);
  std::string line;
  if (file.empty() || !in || !std::getline(in, line) || trim(line).empty())
    throw std::runtime_error(
        "a PostgreSQL test needs the test cluster, and there is none: VEL_TEST_PG is not set and "
        "the connection file \"" + file + "\" is missing or empty (start the cluster with "
        "tests/pg/pgcluster.sh, or run the tests through ctest, whose pgcluster fixture starts it)");
  return trim(line);
}

std::string schemaFor(const std::string& folder) {
  const std::string path = normalFolder(folder);
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the whole path
  for (unsigned char c : path) {
    h ^= c;
    h *= 1099511628211ull;
  }
  std::string base;
  for (char c : lower(std::filesystem::path(path).filename().string()))
    if (std::isalnum(static_cast<unsigned char>(c))) base += c;
  if (base.size() > 24) base.resize(24);
  static const char* hex = "0123456789abcdef";
  std::string tag;
  for (int i = 0; i < 16; ++i) tag += hex[(h >> (60 - 4 * i)) & 0xf];
  return "t_" + base + "_" + tag;
}

std::string pgTableOf(const std::string& path) {
  namespace fs = std::filesystem;
  const std::string folder = fs::path(path).parent_path().string();
  const std::string file = fs::path(path).filename().string();
  const std::string stem = fs::path(path).stem().string();
  PgSession pg;
  auto literal = [](const std::string& v) {
    std::string q = "'";
    for (char c : v) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
  };
  return pg.value("SELECT quote_ident(table_schema) || '.' || quote_ident(table_name) "
                  "FROM information_schema.tables WHERE table_schema = " +
                  literal(schemaFor(folder)) + " AND lower(table_name) IN (lower(" + literal(file) +
                  "), lower(" + literal(stem) + ")) ORDER BY table_name LIMIT 1");
}

bool fileExists(Engine& engine, const std::string& path) {
  bool there = false;
  EXPECT_EQ(0, engine.exists(path, there)) << path;
  return there;
}

std::unique_ptr<Engine> makeEngineFor(const std::string& folder) {
  return makeEngineFor(folder, testEngine());
}

std::unique_ptr<Engine> makeEngineFor(const std::string& folder, EngineKind kind) {
  if (kind == EngineKind::SQLite) return makeSqliteEngine();
  std::string connection = pgConnection();
  checkServer(connection);
  std::string schema = schemaFor(folder);
  nameOfficeInSettings(folder, connection, schema);
  remember(folder);
  return makePostgresEngine(PgSettings{connection, schema});
}

int copyOffice(const std::string& from, const std::string& to) {
  namespace fs = std::filesystem;
  for (const auto& e : fs::directory_iterator(to)) fs::remove_all(e.path());
  if (!onPostgres()) {
    for (const auto& e : fs::directory_iterator(from))
      fs::copy(e.path(), fs::path(to) / e.path().filename());
    return 0;
  }
  // The folder's own files (all but its settings, which name its office),
  // then each table record by record through the engine.
  for (const auto& e : fs::directory_iterator(from))
    if (e.path().filename() != "velmora.INI")
      fs::copy(e.path(), fs::path(to) / e.path().filename());
  auto source = makeEngineFor(from);
  auto target = makeEngineFor(to);
  for (const FileDecl& f : fileDirectory()) {
    const std::string src = from + "/" + f.diskName(), dst = to + "/" + f.diskName();
    bool there = false;
    if (int rc = source->exists(src, there)) return rc;
    if (int rc = target->remove(dst); rc != 0 && rc != ecode::kFileNotFound) return rc;
    if (!there) continue;
    if (int rc = target->create(*f.layout, dst, kOwnerPassword)) return rc;
    std::unique_ptr<EngineFile> in, out;
    if (int rc = source->open(*f.layout, src, OpenMode{Access::ReadOnly, Share::DenyNone},
                              kOwnerPassword, in))
      return rc;
    if (int rc = target->open(*f.layout, dst, OpenMode{}, kOwnerPassword, out)) return rc;
    std::unique_ptr<Transaction> tx;
    if (int rc = target->begin({out.get()}, 10, tx)) return rc;
    RecordBuffer rec(*f.layout);
    if (int rc = in->setOrder(kPhysicalOrder)) return rc;
    int rc;
    while ((rc = in->next(rec.get())) == 0)
      if (int arc = out->add(rec.get())) return arc;
    if (rc != ecode::kNoRecord) return rc;
    if (int crc = tx->commit()) return crc;
  }
  return 0;
}

PgSession::PgSession() {
  std::string connection = pgConnection();
  PGconn* c = PQconnectdb(connection.c_str());
  if (PQstatus(c) != CONNECTION_OK) {
    std::string err = trim(PQerrorMessage(c));
    PQfinish(c);
    throw std::runtime_error("the PostgreSQL test cluster (" + connection +
                             ") does not answer: " + err);
  }
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
  conn_ = c;
}

PgSession::~PgSession() { PQfinish(static_cast<PGconn*>(conn_)); }

std::string PgSession::value(const std::string& sql) {
  PGresult* r = PQexec(static_cast<PGconn*>(conn_), sql.c_str());
  std::string v;
  if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 && PQnfields(r) > 0)
    v = PQgetvalue(r, 0, 0);
  error_ = PQresultStatus(r) == PGRES_TUPLES_OK ? std::string() : trim(PQresultErrorMessage(r));
  PQclear(r);
  return v;
}

bool FileHold::take() {
  if (held_) return true;
  if (testEngine() == EngineKind::PostgreSQL) {
    const std::string table = pgTableOf(path_);
    if (table.empty()) return false;
    pg_ = std::make_unique<PgSession>();
    held_ = pg_->exec("BEGIN") && pg_->exec("SET LOCAL lock_timeout = '3s'") &&
            pg_->exec("LOCK TABLE " + table +
                      (kind_ == Exclusive ? " IN ACCESS EXCLUSIVE MODE" : " IN EXCLUSIVE MODE"));
    if (!held_) pg_.reset();
    return held_;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, 3000);
  if (sqlite3_exec(db, kind_ == Exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr, nullptr,
                   nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite_ = db;
  held_ = true;
  return true;
}

void FileHold::release() {
  if (pg_) {
    pg_->exec("ROLLBACK");
    pg_.reset();
  }
  if (sqlite_) {
    sqlite3_exec(static_cast<sqlite3*>(sqlite_), "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(static_cast<sqlite3*>(sqlite_));
    sqlite_ = nullptr;
  }
  held_ = false;
}

std::string refuseWrites(const std::string& path, const std::string& statement, bool on,
                         const std::string& field, const std::string& literal) {
  const std::string trigger = "refuse_" + lower(statement);
  if (testEngine() == EngineKind::PostgreSQL) {
    const std::string table = pgTableOf(path);
    if (table.empty()) return "no table holds " + path;
    PgSession pg;
    std::string when;
    if (!field.empty()) {
      // The column of `field`, however the table spells it.
      std::string column = pg.value(
          "SELECT quote_ident(attname) FROM pg_attribute WHERE attrelid = '" + table +
          "'::regclass AND attnum > 0 AND NOT attisdropped AND lower(attname) = lower('" + field +
          "')");
      if (column.empty()) return "no column " + field + " in " + table;
      when = " WHEN (NEW." + column + " = " + literal + ")";
    }
    const std::string fn = table.substr(0, table.find('.')) + ".vel_refuse_write()";
    bool ok = on ? pg.exec("CREATE OR REPLACE FUNCTION " + fn +
                           " RETURNS trigger LANGUAGE plpgsql AS "
                           "$$BEGIN RAISE EXCEPTION 'disk full'; END$$") &&
                       pg.exec("CREATE TRIGGER " + trigger + " BEFORE " + statement + " ON " +
                               table + " FOR EACH ROW" + when + " EXECUTE FUNCTION " + fn)
                 : pg.exec("DROP TRIGGER IF EXISTS " + trigger + " ON " + table);
    return ok ? std::string() : pg.error();
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + path;
  }
  const std::string when = field.empty() ? std::string() : " WHEN NEW." + field + " = " + literal;
  const std::string sql = on ? "CREATE TRIGGER " + trigger + " BEFORE " + statement + " ON rec" +
                                   when + " BEGIN SELECT RAISE(ABORT, 'disk full'); END"
                             : "DROP TRIGGER IF EXISTS " + trigger;
  char* err = nullptr;
  std::string out;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) out = err ? err : "failed";
  sqlite3_free(err);
  sqlite3_close(db);
  return out;
}

bool PgSession::exec(const std::string& sql) {
  PGresult* r = PQexec(static_cast<PGconn*>(conn_), sql.c_str());
  bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  error_ = ok ? std::string() : trim(PQresultErrorMessage(r));
  PQclear(r);
  return ok;
}

}  // namespace vel::test
