// The PostgreSQL server the benchmarks use, and bare libpq helpers.
//
// The server is $VEL_BENCH_PG (a libpq connection string whose user may
// create databases) or, without it, a throwaway cluster started on first use
// with tests/pg/pgcluster.sh under /tmp and stopped when velbench exits (or
// gives up on a failed statement). Each data set lives in a database of its
// own, in the schema an office uses ("velmora"), so the benchmarks never
// meet each other's tables.
#pragma once

#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

#include "common/Dates.h"
#include "dictionary/Layout.h"
#include "recordstore/PgConnection.h"

namespace velbench::pg {

inline constexpr const char* kSchema = "velmora";

// ---- the server ---------------------------------------------------------------

struct Server {
  std::string connection;  // without dbname
  std::string clusterDir;  // set when this run started the server
  bool stopped = false;

  void stop() {
    if (clusterDir.empty() || stopped) return;
    stopped = true;
    const std::string cmd = std::string("bash '") + VEL_PGCLUSTER_SCRIPT + "' stop '" + clusterDir + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not stop the server in %s\n", clusterDir.c_str());
  }
  ~Server() { stop(); }
};

inline Server& serverState() {
  static Server s;
  return s;
}

// Gives up on the run: a benchmark whose data or statements failed measures
// nothing. A server this run started is stopped first.
[[noreturn]] inline void die(const std::string& what) {
  std::fprintf(stderr, "velbench (PostgreSQL): %s\n", what.c_str());
  serverState().stop();
  std::abort();
}

// The server's connection string (no database named), starting a cluster on
// first use when $VEL_BENCH_PG is not set.
inline const std::string& server() {
  Server& s = serverState();
  if (!s.connection.empty()) return s.connection;
  if (const char* given = std::getenv("VEL_BENCH_PG"); given && *given) {
    s.connection = given;
    return s.connection;
  }
  s.clusterDir = "/tmp/velbench-pg-" + std::to_string(::getpid());
  std::fprintf(stderr, "starting a PostgreSQL cluster in %s...\n", s.clusterDir.c_str());
  const std::string cmd = std::string("bash '") + VEL_PGCLUSTER_SCRIPT + "' start '" + s.clusterDir + "'";
  FILE* out = popen(cmd.c_str(), "r");
  if (!out) die("cannot run " + cmd);
  std::string text;
  char buf[512];
  while (std::fgets(buf, sizeof buf, out)) text += buf;
  const int rc = pclose(out);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (rc != 0 || text.empty()) {
    s.clusterDir.clear();  // nothing to stop: the script cleans up after itself
    die("the PostgreSQL cluster did not start");
  }
  // The connection string is the script's last line; the database named in it
  // is replaced by each data set's own.
  s.connection = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  return s.connection;
}

// The connection string of database `db` on the server (libpq takes the last
// of repeated settings).
inline std::string database(const std::string& db) { return server() + " dbname=" + db; }

// ---- bare libpq -----------------------------------------------------------------

inline PGconn* connect(const std::string& conninfo) {
  PGconn* c = PQconnectdb(conninfo.c_str());
  if (PQstatus(c) != CONNECTION_OK) die("cannot connect (" + conninfo + "): " + PQerrorMessage(c));
  // The server's notices ("does not exist, skipping") are no news here.
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
  return c;
}

// A result that is cleared when it goes out of scope: the engine's own.
using Result = vel::pg::Result;

inline Result checked(PGconn* c, PGresult* r, const char* what) {
  const ExecStatusType st = PQresultStatus(r);
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_COPY_IN) {
    std::string msg = std::string(what) + ": " + PQerrorMessage(c);
    PQclear(r);
    die(msg);
  }
  return Result(r);
}

inline Result exec(PGconn* c, const std::string& sql) {
  return checked(c, PQexec(c, sql.c_str()), sql.c_str());
}

// The parameter types the engine declares: text, bigint and double.
inline constexpr Oid kText = 25, kInt8 = 20, kFloat8 = 701;
inline Oid oidOf(vel::FieldType t) {
  return t == vel::FieldType::String ? kText : t == vel::FieldType::Real ? kFloat8 : kInt8;
}

inline void prepare(PGconn* c, const char* name, const std::string& sql,
                    const std::vector<Oid>& types = {}) {
  checked(c, PQprepare(c, name, sql.c_str(), static_cast<int>(types.size()), types.data()),
          sql.c_str());
}

// Runs prepared statement `name` with text parameters (nullptr for none).
inline Result run(PGconn* c, const char* name, int n, const char* const* values,
                  const int* lengths = nullptr) {
  return checked(c, PQexecPrepared(c, name, n, values, lengths, nullptr, 0), name);
}

// Parses a whole number or a real of a text-format result.
inline std::int64_t whole(const char* p, int n) {
  std::int64_t v = 0;
  std::from_chars(p, p + n, v);
  return v;
}
inline double real(const char* p, int n) {
  double v = 0;
  std::from_chars(p, p + n, v);
  return v;
}

// ---- data sets ------------------------------------------------------------------

inline bool databaseExists(const std::string& db) {
  PGconn* c = connect(database("postgres"));
  const char* v[] = {db.c_str()};
  Result r(PQexecParams(c, "SELECT 1 FROM pg_database WHERE datname=$1", 1, nullptr, v, nullptr,
                        nullptr, 0));
  const bool there = PQresultStatus(r.r) == PGRES_TUPLES_OK && r.rows() == 1;
  PQfinish(c);
  return there;
}

// Makes database `db` afresh (dropping an older one, whoever is connected to
// it), empty or as a copy of `from`.
inline void freshDatabase(const std::string& db, const std::string& from = {}) {
  PGconn* c = connect(database("postgres"));
  exec(c, "DROP DATABASE IF EXISTS \"" + db + "\" WITH (FORCE)");
  // A copy is made file by file between two checkpoints, so the copy leaves
  // no writing behind for the server to do while the next run is timed.
  exec(c, "CREATE DATABASE \"" + db + "\"" +
              (from.empty() ? "" : " TEMPLATE \"" + from + "\" STRATEGY FILE_COPY"));
  PQfinish(c);
}

// Appends a value to a COPY text line, escaping what COPY would read as a
// separator or escape.
inline void appendCopyText(std::string& out, std::string_view s) {
  for (char ch : s) {
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += ch;
    }
  }
}

// The fields of `rec` as one COPY text line, in stored form: text without
// its trailing blanks, calendar dates as yyyymmdd, reals in full precision.
inline void appendRecord(const vel::Layout& l, void* rec, std::string& out) {
  char buf[40];
  bool firstField = true;
  for (const auto& f : l.fields()) {
    if (!firstField) out += '\t';
    firstField = false;
    vel::FieldRef r(f, rec);
    if (r.isText()) {
      appendCopyText(out, vel::rtrim(r.text()));
    } else if (r.isReal()) {
      auto res = std::to_chars(buf, buf + sizeof buf, r.real());
      out.append(buf, res.ptr);
    } else {
      std::int64_t v = r.whole();
      if (f.type == vel::FieldType::Date) v = vel::dateToYyyymmdd(static_cast<std::int32_t>(v));
      auto res = std::to_chars(buf, buf + sizeof buf, v);
      out.append(buf, res.ptr);
    }
  }
  out += '\n';
}

// The field names of `l`, quoted and comma-separated.
inline std::string fieldList(const vel::Layout& l) {
  std::string s;
  for (const auto& f : l.fields()) s += (s.empty() ? "\"" : ",\"") + std::string(f.name) + "\"";
  return s;
}

// Streams rows into `table` with COPY: `more(buf)` appends lines to `buf` and
// answers false once it has no more. The caller holds the transaction.
inline void copyIn(PGconn* c, const std::string& table, const std::string& columns,
                   const std::function<bool(std::string&)>& more) {
  exec(c, "COPY " + table + "(" + columns + ") FROM STDIN");
  std::string buf;
  for (bool going = true; going;) {
    buf.clear();
    going = more(buf);
    if (!buf.empty() && PQputCopyData(c, buf.data(), static_cast<int>(buf.size())) != 1)
      die(std::string("COPY into ") + table + ": " + PQerrorMessage(c));
  }
  if (PQputCopyEnd(c, nullptr) != 1) die(std::string("COPY end: ") + PQerrorMessage(c));
  checked(c, PQgetResult(c), ("COPY into " + table).c_str());
  while (PGresult* r = PQgetResult(c)) PQclear(r);
}

}  // namespace velbench::pg
