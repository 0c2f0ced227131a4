// The record engine a test works on.
//
// Every test program runs on SQLite by default. With VEL_TEST_ENGINE=postgresql
// in its environment it runs on PostgreSQL instead: each data folder is then an
// office of its own, a schema in the test cluster named after the folder, so
// every station and every worker process given the same folder finds the same
// tables and two tests never share one. The folder's velmora.INI names that
// office ([Store] Engine, Connection, Schema), as an office's settings do for
// the program itself.
//
// The cluster's connection string comes from VEL_TEST_PG, else from the file
// VEL_TEST_PG_FILE names, else from the file the test cluster writes into the
// build folder (a test program finding that file sets VEL_TEST_PG from it
// as it starts). When there is none, or the server does not answer, making an
// engine throws with a message that says so: a PostgreSQL test without its
// server fails, it is never passed over.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "recordstore/Engine.h"

namespace vel::test {

enum class EngineKind { SQLite, PostgreSQL };

// The engine of this run (VEL_TEST_ENGINE).
EngineKind runEngine();
inline bool onPostgres() { return runEngine() == EngineKind::PostgreSQL; }
const char* engineName(EngineKind kind);
// "SQLite" or "PostgreSQL" (either case); anything else throws.
EngineKind engineNamed(const std::string& name);

// The engine of the test running now: the one a test over both engines
// runs on (see OnEngine), else the run's.
EngineKind testEngine();
// Names the engine of the test running now for as long as it lives; the
// fixtures of tests over both engines hold one.
class OnEngine {
 public:
  explicit OnEngine(EngineKind kind);
  ~OnEngine();
  OnEngine(const OnEngine&) = delete;
  OnEngine& operator=(const OnEngine&) = delete;

 private:
  bool had_;
  EngineKind before_;
};

// The parameters of a test over both engines, and their names in the
// test's name ("Engines/EngineTest.X/PostgreSQL").
inline auto bothEngines() { return ::testing::Values(EngineKind::SQLite, EngineKind::PostgreSQL); }
inline std::string engineParamName(const ::testing::TestParamInfo<EngineKind>& p) {
  return engineName(p.param);
}
void PrintTo(EngineKind kind, std::ostream* os);

// A new engine for the data folder `folder`: the engine of the test running
// now (testEngine()), or `kind`.
std::unique_ptr<Engine> makeEngineFor(const std::string& folder);
std::unique_ptr<Engine> makeEngineFor(const std::string& folder, EngineKind kind);

// Whether `engine` holds the record file at `path` (a file in the folder on
// SQLite, a table of the office on PostgreSQL); a failure to tell fails the
// test.
bool fileExists(Engine& engine, const std::string& path);

// The test cluster's libpq connection string (throws when there is none).
std::string pgConnection();
// The schema that holds the office of `folder`.
std::string schemaFor(const std::string& folder);
// The table that holds the record file at `path` ("DIR/VelCli.Tps") in the
// office of its folder, quoted for SQL; empty when the office has none.
std::string pgTableOf(const std::string& path);

// Makes the office of `to` a copy of the office of `from`, on the run's
// engine: every record file with every record as it is, and the folder's
// other files. What `to` held before is gone. 0 or the engine code that
// stopped the copy.
int copyOffice(const std::string& from, const std::string& to);

// A connection of its own to the test cluster, for tests that act as another
// station below the engine (holding a table locked, say).
class PgSession {
 public:
  PgSession();
  ~PgSession();
  PgSession(const PgSession&) = delete;
  PgSession& operator=(const PgSession&) = delete;
  // Runs `sql`; false (and the server's message in error()) when it fails.
  bool exec(const std::string& sql);
  // The first value `sql` gives; empty when it gives none or fails.
  std::string value(const std::string& sql);
  const std::string& error() const { return error_; }

 private:
  void* conn_ = nullptr;
  std::string error_;
};

// Another station's hold on the record file at `path`, on the engine of the
// test: Write keeps other writers waiting while readers go on (a write begun
// and not committed yet); Exclusive keeps readers out too. Held from take()
// until release() or the end of the object.
class FileHold {
 public:
  enum Kind { Write, Exclusive };
  FileHold(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}
  ~FileHold() { release(); }
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  // True when held. Waits at most a few seconds for readers of the moment.
  bool take();
  bool held() const { return held_; }
  void release();

 private:
  std::string path_;
  Kind kind_;
  bool held_ = false;
  void* sqlite_ = nullptr;
  std::unique_ptr<PgSession> pg_;
};

// Makes every `statement` ("INSERT", "UPDATE" or "DELETE") on the record
// file at `path` fail as a full disk would (on = true), or work again; with
// `field`, only those whose new record has `field` = `literal` (an SQL
// literal: "'0005/MAS'", "4"). The file must exist. Empty when done, else
// what went wrong.
std::string refuseWrites(const std::string& path, const std::string& statement, bool on,
                         const std::string& field = {}, const std::string& literal = {});

}  // namespace vel::test

// For a test about SQLite database files on disk (damaging or locking one,
// reading it with SQLite itself, converting files of older layouts): on a
// PostgreSQL run it says so and stops.
#define VEL_SQLITE_FILES_ONLY()                                                   \
  do {                                                                            \
    if (::vel::test::testEngine() == ::vel::test::EngineKind::PostgreSQL)          \
      GTEST_SKIP() << "works on SQLite files on disk";                            \
  } while (0)
