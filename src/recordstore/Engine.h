// The record engine interface.
//
// The rest of the program reaches record files only through this interface
// (via FileManager and RelationManager). An engine file is one open record
// file for one thread: it has its own current order, position and current
// record, and is used only by the thread that opened it. Every operation
// returns an engine code (0 = done) and leaves the calling thread's
// EngineStatus set to that code and its text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Layout.h"

namespace vel {

// Engine error codes the program reacts to.
namespace ecode {
inline constexpr int kNone = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNoRecord = 33;        // end or start of file, nothing to read
inline constexpr int kRecordNotFound = 35;  // no record with these key values / position
inline constexpr int kInvalidFile = 36;     // not a record file of this program
inline constexpr int kNotOpen = 37;
inline constexpr int kDuplicateKey = 40;
inline constexpr int kRecordHeld = 43;      // held by another station (locked beyond the wait)
inline constexpr int kInvalidKeys = 46;     // keys need rebuilding
inline constexpr int kInvalidLayout = 47;   // the file on disk has another record layout
inline constexpr int kAlreadyOpen = 52;
inline constexpr int kLockTimeout = 56;     // another station's lock outlasted the wait
inline constexpr int kBadOwner = 57;        // created with another owner password
inline constexpr int kValueDoesNotFit = 58; // a value too long or out of range for its field
inline constexpr int kNotSupported = 80;
inline constexpr int kChanged = 89;         // changed by another station since it was read
inline constexpr int kDriverError = 90;     // the engine's own error: see driver code and text
}  // namespace ecode

// Standard text of an engine code.
const char* engineCodeText(int code);
// Sets the thread's status to 80 (operation not supported) for `what` and
// returns 80: the answer of an engine that does not offer an operation.
int engineNotSupported(std::string_view what);

enum class Access { ReadOnly, ReadWrite };
// DenyAll opens a file exclusively: no other station reads or writes it
// until it is closed (for maintenance such as rebuilding its keys).
enum class Share { DenyNone, DenyWrite, DenyAll };

struct OpenMode {
  Access access = Access::ReadWrite;
  Share share = Share::DenyNone;
  bool writes() const { return access == Access::ReadWrite; }
};

// Order in which records are read: a key of the layout, or physical
// (arrival) order.
inline constexpr int kPhysicalOrder = -1;

class EngineFile {
 public:
  virtual ~EngineFile() = default;

  virtual const Layout& layout() const = 0;
  virtual OpenMode mode() const = 0;

  // Position on a key (or physical order): the next read returns the first
  // record, a previous read the last.
  virtual int setOrder(int key) = 0;
  // Position on a key at the key values in `rec`: next reads the first record
  // at or after them, previous the last record at or before them.
  virtual int setOrderAt(int key, const void* rec) = 0;
  // Next and previous hand out the record as the file holds it at that
  // moment, even when it was read ahead: a change another station committed
  // since is seen. 33 at the end (start) of the file; any other code is a
  // failure, never the end.
  virtual int next(void* rec) = 0;
  virtual int previous(void* rec) = 0;
  // Read the record whose key fields equal those in `rec` (first in key
  // order); the order becomes that key, positioned on the record.
  virtual int get(int key, void* rec) = 0;

  // Opaque position of the current record (at most 1024 bytes; empty when
  // there is no current record). It carries the current order too.
  virtual std::string position() const = 0;
  // Read the record at `pos` again; order and position return to it.
  virtual int reget(std::string_view pos, void* rec) = 0;
  // Return order and position to `pos` without reading: next reads the
  // record after it, previous the one before.
  virtual int resetTo(std::string_view pos) = 0;
  // Mark the current record so that a later put fails with 89 when another
  // station changed it since it was read. (Every put checks the version it
  // read; a watch also makes a put of a record deleted since answer 89.)
  virtual int watch() = 0;
  // Read only these fields (indexes into the layout) from now on; empty reads
  // every field again. The other fields of a record read are left as they
  // were in the buffer, so a put is refused while a subset is being read.
  virtual int setReadFields(const std::vector<int>& fields) = 0;

  virtual int add(void* rec) = 0;        // the new record becomes current
  // Rewrite the current record; 89 when another station changed it since it
  // was read (nothing is written then).
  virtual int put(const void* rec) = 0;
  virtual int erase() = 0;               // delete the current record
  // Whether `rec` would duplicate an entry of unique key `key` held by a
  // record other than `exceptPosition` (empty: any record).
  virtual int duplicateOn(int key, const void* rec, std::string_view exceptPosition,
                          bool& clash) = 0;

  virtual int records(std::int64_t& count) = 0;
  // Rebuild every key; `full` drops and builds them from nothing.
  virtual int buildKeys(bool full) = 0;
  // Driver options: "Recover=N", "FULLBUILD=ON", "PAGE=N" (what each does:
  // FileOptions in EngineValues.h); 80 for an option the engine lacks.
  virtual int option(std::string_view opt) = 0;

  // Save and restore the whole cursor state (order, position, current record).
  virtual std::shared_ptr<void> saveCursor() const = 0;
  virtual void restoreCursor(const std::shared_ptr<void>& state) = 0;

  // Copies the whole file to `target` as one consistent picture of it, even
  // while other stations go on writing. The copy is made under a private
  // name beside `target`, checked, and only then put in its place: on any
  // failure `target` is left exactly as it was. Not inside a transaction.
  virtual int backupTo(const std::string& /*target*/) {
    return engineNotSupported("copying a file");
  }
  // Checks every page, record and key of the file. 0 when it is sound and
  // `verdict` is "ok"; 36 when it is damaged, `verdict` saying what is
  // wrong; any other code when the check could not be made (`verdict`
  // empty).
  virtual int checkIntegrity(std::string& verdict) {
    verdict.clear();
    return engineNotSupported("checking a file");
  }
};

// A transaction over several open files of one thread. Destroying it without
// commit rolls it back, so nothing survives a failure part-way.
class Transaction {
 public:
  virtual ~Transaction() = default;
  virtual int commit() = 0;
  virtual int rollback() = 0;
  virtual bool active() const = 0;
  // A savepoint inside the transaction, so that a batch committing many
  // members at once can take back one member's writes alone: what is written
  // after savepoint() is kept by releaseSavepoint() and undone by
  // rollbackToSavepoint(); the rest of the transaction stays either way.
  // One savepoint at a time.
  virtual int savepoint() { return ecode::kNotSupported; }
  virtual int releaseSavepoint() { return ecode::kNotSupported; }
  virtual int rollbackToSavepoint() { return ecode::kNotSupported; }
};

class Engine {
 public:
  virtual ~Engine() = default;

  // Open the file at `path` with layout `layout`. `owner` is the owner
  // password the file was created with.
  virtual int open(const Layout& layout, const std::string& path, OpenMode mode,
                   std::string_view owner, std::unique_ptr<EngineFile>& out) = 0;
  // Create an empty file. An existing file is left as it is (another station
  // created it first); use remove() first to start a file afresh.
  virtual int create(const Layout& layout, const std::string& path, std::string_view owner) = 0;
  virtual int remove(const std::string& path) = 0;
  // Removes from `folder` what creating a file left behind when the process
  // creating it died part-way; never what a live process is creating now.
  virtual void removeLeftovers(const std::string& /*folder*/) {}
  // Whether the file at `path` exists (a record file another station may be
  // using). 0 and `there` set when that could be told; any other code when
  // the store could not be asked.
  virtual int exists(const std::string& path, bool& there) {
    std::error_code ec;
    there = std::filesystem::exists(path, ec);
    return ec ? ecode::kAccessDenied : ecode::kNone;
  }
  // The engine's name as the clerk sees it in messages ("SQLite",
  // "PostgreSQL").
  virtual std::string name() const { return "SQLite"; }
  // Rebuild every key of a file whose keys need it (it answered 46 on open).
  virtual int repairKeys(const Layout& layout, const std::string& path, std::string_view owner) = 0;
  // Begin a transaction over `files` (opened by this thread, read-write),
  // waiting at most `timeoutSeconds` for other stations' locks.
  virtual int begin(const std::vector<EngineFile*>& files, int timeoutSeconds,
                    std::unique_ptr<Transaction>& out) = 0;
};

// The SQLite engine: one database file per record file.
std::unique_ptr<Engine> makeSqliteEngine();
// Removes the private copies that copying a file to `target` left beside it
// when its process died part-way; never one a live process is writing. Every
// engine's backupTo writes such copies (a backup is always a record file of
// the embedded engine).
void removeDeadCopiesOf(const std::string& target);

// Where a PostgreSQL office lives: a libpq connection string (never holding
// the password: that comes from a .pgpass file or PGPASSWORD, as with
// PostgreSQL's own tools) and the schema that holds the office's tables.
struct PgSettings {
  std::string connection;
  std::string schema = "velmora";
};
// The PostgreSQL engine: one schema per office, one table per record file.
// A file's path names its table by the path's last part ("VelCli.Tps"); the
// folder part is not used, so every station finds the same table whatever
// its own data folder is called.
std::unique_ptr<Engine> makePostgresEngine(PgSettings settings);
// The SQLite engine's query plan of each read it makes in order `key` of
// `file` ("name: plan" lines), to check that every page is a straight seek.
std::vector<std::string> sqliteReadPlans(EngineFile& file, int key);
// The PostgreSQL engine's plan of each read it makes in order `key` of `file`
// ("name: plan" lines, for the current record's key values); `generic`: the
// plan the server keeps for the statement whatever the values.
std::vector<std::string> postgresReadPlans(EngineFile& file, int key, bool generic = false);

}  // namespace vel
