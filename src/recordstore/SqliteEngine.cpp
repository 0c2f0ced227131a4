// The SQLite record engine: one database file per record file.
//
// Each record file is a database with two tables: `meta` (label, layout
// signature, owner) and `rec` (one row per record: `_id` as the stable
// position, `_ver` counting rewrites for "watch", then one column per field).
// Each key is an index named "k_" + key name; text key columns compare
// without case, and a key that leaves out empty values is a partial index.
//
// Sharing: files are in rollback-journal mode with full sync, the only mode
// in which a commit across several attached files is atomic and which suits
// a shared folder. An unfinished statement would hold a read lock that blocks
// every other station's commit, so records are read in pages: a page is one
// keyset query, read in full and reset before the first record of it is
// handed out. No statement stays open between calls.
//
// Freshness: a page is read inside one read transaction together with the
// file's change counter. Before a row of the page is handed out the counter
// is looked at again; when another connection committed since, the rest of
// the page is read afresh from the current position. A put rewrites
// the record only if it still has the version that was read (89 otherwise),
// so a walk that puts records back never overwrites a change it did not see.
//
// Paging: within a run of equal key values a page seeks straight to its
// (key, id) position: the run is read as "key = values AND id after", the
// rest as "key after values", so every page costs the same however far the
// walk is into the run.
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "common/Dates.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"
#include "recordstore/EngineValues.h"
#include "recordstore/PagedFile.h"

namespace vel {

const char* engineCodeText(int code) {
  switch (code) {
    case ecode::kNone: return "";
    case ecode::kFileNotFound: return "File Not Found";
    case ecode::kAccessDenied: return "Access Denied";
    case ecode::kNoRecord: return "Record Not Available";
    case ecode::kRecordNotFound: return "Record Not Found";
    case ecode::kInvalidFile: return "Invalid Data File";
    case ecode::kNotOpen: return "File Not Open";
    case ecode::kDuplicateKey: return "Creates Duplicate Key";
    case ecode::kRecordHeld: return "Record Is Held By Another Station";
    case ecode::kInvalidKeys: return "Keys Need Rebuilding";
    case ecode::kInvalidLayout: return "Invalid Record Declaration";
    case ecode::kAlreadyOpen: return "File Already Open";
    case ecode::kLockTimeout: return "Lock Time-out: Another Station Holds The File";
    case ecode::kBadOwner: return "Owner Password Does Not Match";
    case ecode::kValueDoesNotFit: return "Value Does Not Fit Its Field";
    case ecode::kNotSupported: return "Operation Not Supported";
    case ecode::kChanged: return "Record Changed By Another Station";
    case ecode::kDriverError: return "Record Engine Error";
  }
  return "Unknown Error";
}

int engineNotSupported(std::string_view what) {
  std::string text = engineCodeText(ecode::kNotSupported);
  if (!what.empty()) text += ": " + std::string(what);
  setEngineStatus(ecode::kNotSupported, text);
  return ecode::kNotSupported;
}

namespace {

using store::Cell;
using store::checkFits;
using store::fail;
using store::fromCell;
using store::isReal;
using store::isText;
using store::ok;
using store::ownerHash;
using store::quoteId;
using store::toCell;

constexpr int kDefaultWaitMs = 5000;  // how long a plain read or write waits for a lock
constexpr int kFirstPage = 16;        // rows in the first page of a walk
constexpr int kMaxPage = 1024;        // pages grow to this many rows

// Maps an SQLite result to an engine code, keeping SQLite's own words as the
// driver's error text. `writing` tells a lock time-out on a write from a
// record held while reading.
int sqlFail(sqlite3* db, int rc, bool writing) {
  int code;
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: code = writing ? ecode::kLockTimeout : ecode::kRecordHeld; break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: code = ecode::kAccessDenied; break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: code = ecode::kInvalidFile; break;
    case SQLITE_CONSTRAINT:
      code = (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
                 ? ecode::kDuplicateKey
                 : ecode::kDriverError;
      break;
    default: code = ecode::kDriverError;
  }
  const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (code == ecode::kDriverError) {
    setEngineStatus(code, msg, std::to_string(rc), msg);
  } else {
    setEngineStatus(code, engineCodeText(code), std::to_string(rc), msg);
  }
  return code;
}

void bindCell(sqlite3_stmt* st, int idx, FieldType t, const Cell& c) {
  if (isText(t)) {
    sqlite3_bind_text(st, idx, c.s.data(), static_cast<int>(c.s.size()), SQLITE_TRANSIENT);
  } else if (isReal(t)) {
    sqlite3_bind_double(st, idx, c.d);
  } else {
    sqlite3_bind_int64(st, idx, c.i);
  }
}

void readCell(sqlite3_stmt* st, int col, FieldType t, Cell& c) {
  if (isText(t)) {
    const unsigned char* p = sqlite3_column_text(st, col);
    c.s.assign(p ? reinterpret_cast<const char*>(p) : "",
               static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
  } else if (isReal(t)) {
    c.d = sqlite3_column_double(st, col);
  } else {
    c.i = sqlite3_column_int64(st, col);
  }
}

// The SQL of one layout, built once.
struct LayoutSql {
  std::string columns;      // "_id","_ver","F1",...
  std::string fieldList;    // "F1",...
  std::string placeholders; // ?,?,...
  std::string setList;      // "F1"=?1,...
  std::vector<std::string> keyCols;     // "c1","c2"
  std::vector<std::string> keyCond;     // partial-index condition or empty
  std::vector<std::string> orderAsc, orderDesc;
  std::vector<std::string> keyEquals;   // "c1"=? AND "c2"=?
  std::string createTable;              // with schema placeholder %s
  std::vector<std::string> createIndex; // with table name placeholder

  explicit LayoutSql(const Layout& l) {
    columns = "\"_id\",\"_ver\"";
    const auto& fs = l.fields();
    std::vector<bool> keyed(fs.size(), false);
    for (const auto& k : l.keys())
      for (int c : k.components) keyed[static_cast<std::size_t>(c)] = true;
    std::string defs;
    for (std::size_t i = 0; i < fs.size(); ++i) {
      std::string q = quoteId(fs[i].name);
      columns += "," + q;
      if (i) {
        fieldList += ",";
        placeholders += ",";
        setList += ",";
        defs += ",";
      }
      fieldList += q;
      placeholders += "?" + std::to_string(i + 1);
      setList += q + "=?" + std::to_string(i + 1);
      if (isText(fs[i].type))
        defs += q + " TEXT NOT NULL DEFAULT ''" + (keyed[i] ? " COLLATE NOCASE" : "");
      else if (isReal(fs[i].type))
        defs += q + " REAL NOT NULL DEFAULT 0";
      else
        defs += q + " INTEGER NOT NULL DEFAULT 0";
    }
    createTable = "CREATE TABLE rec(\"_id\" INTEGER PRIMARY KEY, \"_ver\" INTEGER NOT NULL "
                  "DEFAULT 0," + defs + ")";
    for (const auto& k : l.keys()) {
      std::string cols, cond, asc, desc, eq;
      for (std::size_t j = 0; j < k.components.size(); ++j) {
        const FieldDesc& f = fs[static_cast<std::size_t>(k.components[j])];
        std::string q = quoteId(f.name);
        if (j) {
          cols += ",";
          cond += " OR ";
          asc += ",";
          desc += ",";
          eq += " AND ";
        }
        cols += q;
        cond += q + (isText(f.type) ? "<>''" : "<>0");
        asc += q;
        desc += q + " DESC";
        eq += q + "=?";
      }
      keyCols.push_back(cols);
      keyCond.push_back(k.excludeEmpty() ? "(" + cond + ")" : std::string());
      orderAsc.push_back(asc + ",\"_id\"");
      orderDesc.push_back(desc + ",\"_id\" DESC");
      keyEquals.push_back(eq);
      std::string idx = std::string("CREATE ") + (k.unique() ? "UNIQUE " : "") + "INDEX " +
                        quoteId("k_" + k.name) + " ON rec(" + cols + ")";
      if (k.excludeEmpty()) idx += " WHERE " + cond;
      createIndex.push_back(idx);
    }
  }

  static const LayoutSql& of(const Layout& l) {
    static std::mutex mu;
    static std::unordered_map<const Layout*, std::unique_ptr<LayoutSql>> cache;
    std::lock_guard lock(mu);
    auto& p = cache[&l];
    if (!p) p = std::make_unique<LayoutSql>(l);
    return *p;
  }
};

// Runs one statement that returns no rows.
int execSql(sqlite3* db, const std::string& sql, bool writing = true) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  sqlite3_free(err);
  if (rc != SQLITE_OK) return sqlFail(db, rc, writing);
  return ok();
}

// A connection as one engine file uses it: the database handle, the schema
// name the file has there ("main", or its alias inside a transaction) and
// the statements prepared for it.
struct Route {
  sqlite3* db = nullptr;
  std::string schema = "main";
  std::unordered_map<int, sqlite3_stmt*> stmts;

  void finalizeAll() {
    for (auto& [id, st] : stmts) sqlite3_finalize(st);
    stmts.clear();
  }
};

// Statement kinds; key-specific kinds add the key number.
enum StmtKind : int {
  kInsert = 1,
  kUpdate,
  kUpdateWatched,
  kDelete,
  kById,
  kCount,
  kExists,       // whether a record id is still there
  kDataVersion,  // changes whenever another connection commits to the file
  kReadBegin,
  kReadCommit,
  kReadRollback,
  kKeyed = 100,  // + 100 * kind + key
};
// kAfterFwd / kAfterBack read the keys after (before) the anchor's values;
// kRunFwd / kRunBack read the anchor's own run of equal values by id.
enum KeyedKind : int { kFirstFwd = 1, kFirstBack, kAfterFwd, kAfterBack, kGet, kDup, kRunFwd, kRunBack };
// Statements that read only some fields are kept apart from the full ones.
constexpr int kNarrow = 100000;

class SqliteFile;

class SqliteTransaction : public Transaction {
 public:
  SqliteTransaction(std::vector<SqliteFile*> files, sqlite3* db, int waitMs)
      : files_(std::move(files)), db_(db), waitMs_(waitMs) {}
  ~SqliteTransaction() override {
    if (active_) rollback();
  }
  int commit() override;
  int rollback() override;
  bool active() const override { return active_; }
  int savepoint() override {
    return active_ ? execSql(db_, "SAVEPOINT member") : fail(ecode::kNotSupported, "no transaction");
  }
  int releaseSavepoint() override {
    return active_ ? execSql(db_, "RELEASE member") : fail(ecode::kNotSupported, "no transaction");
  }
  int rollbackToSavepoint() override {
    if (!active_) return fail(ecode::kNotSupported, "no transaction");
    const int rc = execSql(db_, "ROLLBACK TO member");
    return rc ? rc : execSql(db_, "RELEASE member");
  }
  void setActive() { active_ = true; }
  void end();

 private:
  std::vector<SqliteFile*> files_;
  sqlite3* db_;
  int waitMs_;
  bool active_ = false;
};

class SqliteFile : public store::PagedFile {
 public:
  SqliteFile(const Layout& l, sqlite3* db, OpenMode m)
      : PagedFile(l), sql_(LayoutSql::of(l)), mode_(m) {
    own_.db = db;
    route_ = &own_;
    page_.cells.swap(spareCells());
  }
  ~SqliteFile() override {
    if (route_ != &own_) route_->finalizeAll();
    own_.finalizeAll();
    sqlite3_close_v2(own_.db);
    if (page_.cells.capacity() > spareCells().capacity()) page_.cells.swap(spareCells());
  }

  OpenMode mode() const override { return mode_; }
  sqlite3* ownDb() const { return own_.db; }
  bool inTransaction() const { return tx_; }

  // Routes this file's statements through a transaction's connection.
  void routeTo(sqlite3* db, std::string schema) {
    txRoute_.db = db;
    txRoute_.schema = std::move(schema);
    route_ = txRoute_.db == own_.db ? &own_ : &txRoute_;
    tx_ = true;
    dropPage();
  }
  void routeBack() {
    txRoute_.finalizeAll();
    txRoute_.db = nullptr;
    route_ = &own_;
    tx_ = false;
    dropPage();
  }
  void finalizeTxStatements() { txRoute_.finalizeAll(); }

  int next(void* rec) override { return step(rec, true); }
  int previous(void* rec) override { return step(rec, false); }

  int get(int key, void* rec) override {
    if (key < 0 || key >= static_cast<int>(layout_.keys().size()))
      return fail(ecode::kNotSupported, "no such key");
    sqlite3_stmt* st = stmt(keyedId(kGet, key));
    if (!st) return lastPrepareError_;
    std::vector<Cell> vals;
    keyCells(key, rec, vals);
    bindKey(st, key, vals, 1);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      readRow(st, rec);
      sqlite3_reset(st);
      cur_.order = key;
      placeOn(rec);
      return ok();
    }
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) return fail(ecode::kRecordNotFound);
    return sqlFail(route_->db, rc, false);
  }

  int reget(std::string_view pos, void* rec) override {
    int order;
    std::int64_t id;
    std::vector<Cell> vals;
    if (!parsePosition(pos, order, id, vals)) return fail(ecode::kRecordNotFound, "bad position");
    sqlite3_stmt* st = stmt(kById);
    if (!st) return lastPrepareError_;
    sqlite3_bind_int64(st, 1, id);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      readRow(st, rec);
      sqlite3_reset(st);
      cur_.order = order;
      placeOn(rec);
      return ok();
    }
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) return fail(ecode::kRecordNotFound);
    return sqlFail(route_->db, rc, false);
  }

  int setReadFields(const std::vector<int>& fields) override {
    const auto& fs = layout_.fields();
    std::vector<int> selected;
    std::vector<bool> fill;
    if (int rc = store::chooseReadFields(layout_, fields, selected, fill)) return rc;
    if (selected == selected_ && fill == fill_) return ok();
    dropNarrowStatements(own_);
    dropNarrowStatements(txRoute_);
    selected_ = std::move(selected);
    fill_ = std::move(fill);
    narrowColumns_ = "\"_id\",\"_ver\"";
    for (int i : selected_) narrowColumns_ += "," + quoteId(fs[static_cast<std::size_t>(i)].name);
    dropPage();
    return ok();
  }

  // The query plan of each read made in key order `key`, one "name: plan"
  // line per statement.
  std::vector<std::string> readPlans(int key) const {
    static const std::pair<int, const char*> kinds[] = {
        {kFirstFwd, "first"}, {kFirstBack, "last"},  {kRunFwd, "run forward"},
        {kRunBack, "run backward"}, {kAfterFwd, "after"}, {kAfterBack, "before"},
        {kGet, "get"}};
    std::vector<std::string> out;
    for (const auto& [kind, name] : kinds) {
      if (key < 0 && (kind == kRunFwd || kind == kRunBack || kind == kGet)) continue;
      std::string sql = "EXPLAIN QUERY PLAN " + buildSql(keyedId(kind, key));
      sqlite3_stmt* st = nullptr;
      std::string plan;
      if (sqlite3_prepare_v2(route_->db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
          if (!plan.empty()) plan += "; ";
          plan += reinterpret_cast<const char*>(sqlite3_column_text(st, 3));
        }
      } else {
        plan = sqlite3_errmsg(route_->db);
      }
      sqlite3_finalize(st);
      out.push_back(std::string(name) + ": " + plan);
    }
    return out;
  }

  int add(void* rec) override {
    if (int rc = checkFits(layout_, rec)) return rc;
    sqlite3_stmt* st = stmt(kInsert);
    if (!st) return lastPrepareError_;
    bindFields(st, rec);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) return sqlFail(route_->db, rc, true);
    curId_ = sqlite3_last_insert_rowid(route_->db);
    curVer_ = 0;
    watched_ = false;
    placeOnCurrent(rec);
    dropPage();
    return ok();
  }

  int put(const void* crec) override {
    void* rec = const_cast<void*>(crec);
    if (curId_ == 0) return fail(ecode::kNoRecord, "no current record to rewrite");
    if (narrow()) return fail(ecode::kNotSupported, "the record was read with only some of its fields");
    if (int rc = checkFits(layout_, rec)) return rc;
    // Every put carries the version it read, watched or not: a record another
    // station changed since is never overwritten unseen.
    sqlite3_stmt* st = stmt(kUpdateWatched);
    if (!st) return lastPrepareError_;
    int n = bindFields(st, rec);
    sqlite3_bind_int64(st, n + 1, curId_);
    sqlite3_bind_int64(st, n + 2, curVer_);
    int rc = sqlite3_step(st);
    bool updated = rc == SQLITE_ROW;
    std::int64_t newVer = updated ? sqlite3_column_int64(st, 0) : 0;
    if (updated) rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) return sqlFail(route_->db, rc, true);
    dropPage();
    if (!updated) {
      // Nothing rewritten: the record was changed or deleted by another station.
      bool changed = watched_;
      if (!changed) {
        int there = stillThere(curId_);
        if (there < 0) return lastPrepareError_;
        changed = there > 0;
      }
      return fail(changed ? ecode::kChanged : ecode::kNoRecord,
                  "the record was changed or deleted by another station");
    }
    curVer_ = newVer;
    placeOnCurrent(rec);
    return ok();
  }

  int erase() override {
    if (curId_ == 0) return fail(ecode::kNoRecord, "no current record to delete");
    sqlite3_stmt* st = stmt(kDelete);
    if (!st) return lastPrepareError_;
    sqlite3_bind_int64(st, 1, curId_);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) return sqlFail(route_->db, rc, true);
    bool gone = sqlite3_changes(route_->db) > 0;
    dropPage();
    curId_ = 0;
    watched_ = false;
    if (!gone) return fail(ecode::kNoRecord, "the record was deleted by another station");
    return ok();  // the cursor stays where the record was: next reads the one after it
  }

  int duplicateOn(int key, const void* crec, std::string_view exceptPosition,
                  bool& clash) override {
    clash = false;
    if (key < 0 || key >= static_cast<int>(layout_.keys().size()))
      return fail(ecode::kNotSupported, "no such key");
    const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(key)];
    if (!k.unique()) return ok();
    void* rec = const_cast<void*>(crec);
    std::vector<Cell> vals;
    keyCells(key, rec, vals);
    if (k.excludeEmpty() && allEmpty(key, vals)) return ok();
    std::int64_t except = 0;
    if (!exceptPosition.empty()) {
      int o;
      std::vector<Cell> v;
      if (!parsePosition(exceptPosition, o, except, v)) except = 0;
    }
    sqlite3_stmt* st = stmt(keyedId(kDup, key));
    if (!st) return lastPrepareError_;
    int n = bindKey(st, key, vals, 1);
    sqlite3_bind_int64(st, n, except);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc == SQLITE_ROW) clash = true;
    else if (rc != SQLITE_DONE) return sqlFail(route_->db, rc, false);
    return ok();
  }

  int records(std::int64_t& count) override {
    sqlite3_stmt* st = stmt(kCount);
    if (!st) return lastPrepareError_;
    int rc = sqlite3_step(st);
    count = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) return sqlFail(route_->db, rc, false);
    return ok();
  }

  int buildKeys(bool full) override {
    full = full || options_.fullBuild;
    std::string sql = "BEGIN IMMEDIATE;";
    const auto& keys = layout_.keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
      std::string name = quoteId(route_->schema) + "." + quoteId("k_" + keys[i].name);
      if (full) sql += "DROP INDEX IF EXISTS " + name + ";";
      std::string create = sql_.createIndex[i];
      create.replace(create.find("INDEX ") + 6, 0, "IF NOT EXISTS " + quoteId(route_->schema) + ".");
      sql += create + ";";
    }
    if (!full) sql += "REINDEX " + quoteId(route_->schema) + ".rec;";
    sql += "COMMIT;";
    own_.finalizeAll();
    int rc = execSql(route_->db, sql);
    if (rc) {
      // The caller hears why the build failed, not how the rollback went.
      EngineStatus keep = engineStatus();
      execSql(route_->db, "ROLLBACK");
      setEngineStatus(keep);
    } else {
      options_.fullBuild = false;
    }
    dropPage();
    return rc ? rc : ok();
  }

  // A station that dies loses its locks with its process, and the next
  // reader rolls its unfinished change back: Recover's seconds are the
  // longest wait for a lock.
  int option(std::string_view opt) override {
    const int wait = options_.waitSeconds;
    if (int rc = store::takeOption(opt, options_)) return rc;
    if (options_.waitSeconds != wait) sqlite3_busy_timeout(own_.db, options_.waitSeconds * 1000);
    return ok();
  }

  int backupTo(const std::string& target) override;
  int checkIntegrity(std::string& verdict) override;

 private:
  // One page of rows read ahead, in stored form.
  struct Page {
    bool valid = false;
    std::int64_t dataVersion = 0;  // of the file when the page was read
    bool forward = true;
    int size = kFirstPage;  // rows asked for the next page
    std::size_t rows = 0, pos = 0;
    std::vector<std::int64_t> ids, vers;
    std::vector<Cell> cells;  // rows * fields
  };

  static int keyedId(int kind, int key) { return kKeyed + 100 * kind + key + 1; }

  static void dropNarrowStatements(Route& r) {
    for (auto it = r.stmts.begin(); it != r.stmts.end();) {
      if (it->first >= kNarrow) {
        sqlite3_finalize(it->second);
        it = r.stmts.erase(it);
      } else {
        ++it;
      }
    }
  }

  void dropPage() override {
    page_.valid = false;
    page_.size = kFirstPage;
  }

  bool allEmpty(int key, const std::vector<Cell>& vals) const {
    return store::allEmpty(layout_, key, vals);
  }

  void keyCells(int key, const void* rec, std::vector<Cell>& out) const {
    store::keyCells(layout_, key, rec, out);
  }

  // Binds the key's values from parameter `first` on; returns the next free one.
  int bindKey(sqlite3_stmt* st, int key, const std::vector<Cell>& vals, int first) const {
    const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(key)];
    for (std::size_t j = 0; j < k.components.size(); ++j)
      bindCell(st, first++, layout_.fields()[static_cast<std::size_t>(k.components[j])].type,
               vals[j]);
    return first;
  }

  // Binds every field straight from the record: the statement is stepped and
  // its bindings cleared before the record can change, so text is not copied.
  int bindFields(sqlite3_stmt* st, void* rec) {
    const auto& fs = layout_.fields();
    Cell c;
    for (std::size_t i = 0; i < fs.size(); ++i) {
      int idx = static_cast<int>(i) + 1;
      if (isText(fs[i].type)) {
        std::string_view v = rtrim(FieldRef(fs[i], rec).text());
        sqlite3_bind_text(st, idx, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
      } else {
        toCell(fs[i], rec, c);
        bindCell(st, idx, fs[i].type, c);
      }
    }
    return static_cast<int>(fs.size());
  }

  void readRow(sqlite3_stmt* st, void* rec) {
    curId_ = sqlite3_column_int64(st, 0);
    curVer_ = sqlite3_column_int64(st, 1);
    watched_ = false;
    const auto& fs = layout_.fields();
    Cell c;
    if (!narrow()) {
      for (std::size_t i = 0; i < fs.size(); ++i) {
        readCell(st, static_cast<int>(i) + 2, fs[i].type, c);
        fromCell(fs[i], rec, c);
      }
      return;
    }
    for (std::size_t j = 0; j < selected_.size(); ++j) {
      std::size_t i = static_cast<std::size_t>(selected_[j]);
      if (!fill_[i]) continue;
      readCell(st, static_cast<int>(j) + 2, fs[i].type, c);
      fromCell(fs[i], rec, c);
    }
  }

  // 1 when the record with this id is in the file, 0 when not, -1 on failure.
  int stillThere(std::int64_t id) {
    sqlite3_stmt* st = stmt(kExists);
    if (!st) return -1;
    sqlite3_bind_int64(st, 1, id);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc == SQLITE_ROW) return 1;
    if (rc == SQLITE_DONE) return 0;
    lastPrepareError_ = sqlFail(route_->db, rc, false);
    return -1;
  }

  bool parsePosition(std::string_view pos, int& order, std::int64_t& id,
                     std::vector<Cell>& vals) const {
    return store::decodePosition(layout_, pos, order, id, vals);
  }

  std::string tableName() const { return quoteId(route_->schema) + ".rec"; }

  std::string buildSql(int id) const {
    std::string t = tableName();
    const std::string& cols = narrow() ? narrowColumns_ : sql_.columns;
    switch (id) {
      case kInsert: return "INSERT INTO " + t + "(" + sql_.fieldList + ") VALUES(" + sql_.placeholders + ")";
      case kUpdate:
      case kUpdateWatched: {
        std::size_t n = layout_.fields().size();
        std::string s = "UPDATE " + t + " SET " + sql_.setList + ",\"_ver\"=\"_ver\"+1 WHERE \"_id\"=?" +
                        std::to_string(n + 1);
        if (id == kUpdateWatched) s += " AND \"_ver\"=?" + std::to_string(n + 2);
        return s + " RETURNING \"_ver\"";
      }
      case kDelete: return "DELETE FROM " + t + " WHERE \"_id\"=?";
      case kById: return "SELECT " + cols + " FROM " + t + " WHERE \"_id\"=?";
      case kCount: return "SELECT count(*) FROM " + t;
      case kExists: return "SELECT 1 FROM " + t + " WHERE \"_id\"=?";
      case kDataVersion: return "PRAGMA " + quoteId(route_->schema) + ".data_version";
      case kReadBegin: return "BEGIN";
      case kReadCommit: return "COMMIT";
      case kReadRollback: return "ROLLBACK";
      default: break;
    }
    int kind = (id - kKeyed) / 100;
    int key = (id - kKeyed) % 100 - 1;
    if (key == kPhysicalOrder) {
      switch (kind) {
        case kFirstFwd: return "SELECT " + cols + " FROM " + t + " ORDER BY \"_id\" LIMIT ?";
        case kFirstBack: return "SELECT " + cols + " FROM " + t + " ORDER BY \"_id\" DESC LIMIT ?";
        case kAfterFwd: return "SELECT " + cols + " FROM " + t + " WHERE \"_id\">? ORDER BY \"_id\" LIMIT ?";
        case kAfterBack: return "SELECT " + cols + " FROM " + t + " WHERE \"_id\"<? ORDER BY \"_id\" DESC LIMIT ?";
        default: return {};
      }
    }
    std::size_t k = static_cast<std::size_t>(key);
    const std::string& cond = sql_.keyCond[k];
    std::string where = cond.empty() ? std::string() : " WHERE " + cond;
    std::string andCond = cond.empty() ? std::string() : cond + " AND ";
    std::size_t nk = layout_.keys()[k].components.size();
    std::string tuple = nk == 1 ? sql_.keyCols[k] : "(" + sql_.keyCols[k] + ")";
    std::string params;
    for (std::size_t j = 0; j < nk; ++j) params += j ? ",?" : "?";
    if (nk > 1) params = "(" + params + ")";
    switch (kind) {
      case kFirstFwd: return "SELECT " + cols + " FROM " + t + where + " ORDER BY " + sql_.orderAsc[k] + " LIMIT ?";
      case kFirstBack: return "SELECT " + cols + " FROM " + t + where + " ORDER BY " + sql_.orderDesc[k] + " LIMIT ?";
      case kAfterFwd:
        return "SELECT " + cols + " FROM " + t + " WHERE " + andCond + tuple + ">" + params +
               " ORDER BY " + sql_.orderAsc[k] + " LIMIT ?";
      case kAfterBack:
        return "SELECT " + cols + " FROM " + t + " WHERE " + andCond + tuple + "<" + params +
               " ORDER BY " + sql_.orderDesc[k] + " LIMIT ?";
      case kRunFwd:
        return "SELECT " + cols + " FROM " + t + " WHERE " + andCond + sql_.keyEquals[k] +
               " AND \"_id\">? ORDER BY " + sql_.orderAsc[k] + " LIMIT ?";
      case kRunBack:
        return "SELECT " + cols + " FROM " + t + " WHERE " + andCond + sql_.keyEquals[k] +
               " AND \"_id\"<? ORDER BY " + sql_.orderDesc[k] + " LIMIT ?";
      case kGet:
        // A unique key finds one record at most: no order to keep.
        return "SELECT " + cols + " FROM " + t + " WHERE " + andCond + sql_.keyEquals[k] +
               (layout_.keys()[k].unique() ? std::string() : " ORDER BY " + sql_.orderAsc[k]) +
               " LIMIT 1";
      case kDup:
        return "SELECT \"_id\" FROM " + t + " WHERE " + andCond + sql_.keyEquals[k] +
               " AND \"_id\"<>? LIMIT 1";
      default: return {};
    }
  }

  sqlite3_stmt* stmt(int id) {
    // Reads of a field subset select other columns: their statements apart.
    int slot = narrow() && readsRecord(id) ? id + kNarrow : id;
    auto it = route_->stmts.find(slot);
    if (it != route_->stmts.end()) return it->second;
    std::string sql = buildSql(id);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v3(route_->db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
      lastPrepareError_ = sqlFail(route_->db, rc, false);
      return nullptr;
    }
    route_->stmts.emplace(slot, st);
    return st;
  }

  static bool readsRecord(int id) {
    if (id == kById) return true;
    if (id < kKeyed) return false;
    int kind = (id - kKeyed) / 100;
    return kind != kDup;
  }

  // Reads the next or previous record, from the page read ahead or a new page.
  // A row of the page is handed out only while no other connection has
  // committed to the file since the page was read; otherwise the walk reads
  // on afresh from the record it handed out last.
  int step(void* rec, bool forward) {
    bool more = page_.valid && page_.forward == forward && page_.pos < page_.rows;
    if (more && !tx_) {
      // Inside a transaction this connection holds the write lock: nobody
      // else can commit, so the page stays current.
      std::int64_t counter = changeCounter();
      more = counter >= 0 && counter == page_.dataVersion;
    }
    if (more) return serve(rec);
    int rc = fetchPage(forward);
    if (rc) return rc;
    if (page_.rows == 0) {
      dropPage();
      return fail(ecode::kNoRecord);
    }
    return serve(rec);
  }

  int serve(void* rec) {
    const auto& fs = layout_.fields();
    std::size_t base = page_.pos * fs.size();
    if (narrow()) {
      for (int i : selected_)
        if (fill_[static_cast<std::size_t>(i)])
          fromCell(fs[static_cast<std::size_t>(i)], rec, page_.cells[base + static_cast<std::size_t>(i)]);
    } else {
      for (std::size_t i = 0; i < fs.size(); ++i) fromCell(fs[i], rec, page_.cells[base + i]);
    }
    curId_ = page_.ids[page_.pos];
    curVer_ = page_.vers[page_.pos];
    watched_ = false;
    cur_.anchor = Anchor::On;
    cur_.id = curId_;
    if (cur_.order >= 0) {
      const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(cur_.order)];
      cur_.vals.resize(k.components.size());
      for (std::size_t j = 0; j < k.components.size(); ++j)
        cur_.vals[j] = page_.cells[base + static_cast<std::size_t>(k.components[j])];
    }
    ++page_.pos;
    return ok();
  }

  // The file's data version as this connection sees it now.
  int dataVersion(std::int64_t& version) {
    sqlite3_stmt* st = stmt(kDataVersion);
    if (!st) return lastPrepareError_;
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) version = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) return sqlFail(route_->db, rc, false);
    return ecode::kNone;
  }

  // The file's change counter, which every commit to it moves on, read
  // straight from the file's header through the connection's own file
  // handle: one read of four bytes, no lock. A counter read during another
  // station's commit may be the old one; what was read ahead is then still
  // the file as last committed. -1 when it cannot be read (never equal to a
  // page's counter, so the page is read afresh and the read says why).
  std::int64_t changeCounter() {
    if (!mainFile_) {
      sqlite3_file* f = nullptr;
      if (sqlite3_file_control(own_.db, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f ||
          !f->pMethods)
        return -1;
      mainFile_ = f;
    }
    unsigned char b[4];
    if (mainFile_->pMethods->xRead(mainFile_, b, 4, 24) != SQLITE_OK) return -1;
    return (std::int64_t{b[0]} << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
  }

  // Runs BEGIN, COMMIT or ROLLBACK of a page's read transaction.
  int runRead(int kind) {
    sqlite3_stmt* st = stmt(kind);
    if (!st) return lastPrepareError_;
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    return rc == SQLITE_DONE ? ecode::kNone : sqlFail(route_->db, rc, false);
  }

  // Reads the next page. Outside a transaction the page and the data version
  // it belongs to are read in one read transaction, so the page is one
  // consistent picture of the file and the version tells when it goes stale.
  int fetchPage(bool forward) {
    bool growing = page_.valid && page_.forward == forward;
    int limit = growing ? std::min(page_.size * 4, kMaxPage)
                        : store::firstPageRows(options_.wanted, kFirstPage, kMaxPage);
    page_.cells.reserve(static_cast<std::size_t>(limit) * layout_.fields().size());
    page_.valid = false;
    page_.rows = 0;
    page_.pos = 0;
    int rc = ecode::kNone;
    if (!tx_) {
      rc = runRead(kReadBegin);
      // The data version takes the read lock; under it the change counter is
      // the one of the picture the page is read from.
      std::int64_t locked = 0;
      if (!rc) rc = dataVersion(locked);
      page_.dataVersion = changeCounter();
    }
    if (!rc) rc = fetchRows(forward, limit);
    if (!tx_ && sqlite3_get_autocommit(route_->db) == 0) {
      if (rc) {
        EngineStatus keep = engineStatus();
        runRead(kReadRollback);
        setEngineStatus(keep);
      } else {
        rc = runRead(kReadCommit);  // the read lock ends here, before any record is handed out
      }
    }
    if (rc) {
      dropPage();
      return rc;
    }
    page_.valid = true;
    page_.forward = forward;
    page_.size = limit;
    return ecode::kNone;
  }

  // The rows of the next page: from the start, or after (before) the anchor.
  // In key order the anchor's own run of equal values is read by id first,
  // then the values after it, each a straight seek in the key's index.
  int fetchRows(bool forward, int limit) {
    int key = cur_.order;
    if (cur_.anchor == Anchor::Start || key < 0) {
      bool fromStart = cur_.anchor == Anchor::Start;
      int kind = fromStart ? (forward ? kFirstFwd : kFirstBack) : (forward ? kAfterFwd : kAfterBack);
      sqlite3_stmt* st = stmt(keyedId(kind, key));
      if (!st) return lastPrepareError_;
      int p = 1;
      if (!fromStart) sqlite3_bind_int64(st, p++, cur_.id);
      sqlite3_bind_int64(st, p, limit);
      return readRows(st);
    }
    sqlite3_stmt* run = stmt(keyedId(forward ? kRunFwd : kRunBack, key));
    if (!run) return lastPrepareError_;
    int p = bindKey(run, key, cur_.vals, 1);
    std::int64_t id = cur_.id;
    if (cur_.anchor == Anchor::At)
      id = forward ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    sqlite3_bind_int64(run, p++, id);
    sqlite3_bind_int64(run, p, limit);
    if (int rc = readRows(run)) return rc;
    if (page_.rows >= static_cast<std::size_t>(limit)) return ecode::kNone;
    sqlite3_stmt* after = stmt(keyedId(forward ? kAfterFwd : kAfterBack, key));
    if (!after) return lastPrepareError_;
    p = bindKey(after, key, cur_.vals, 1);
    sqlite3_bind_int64(after, p, limit - static_cast<std::int64_t>(page_.rows));
    return readRows(after);
  }

  // The page memory of the file this thread closed last. A list opens its
  // file, reads a page and closes it again; reusing the memory spares each
  // opening the cost of fresh pages from the system.
  static std::vector<Cell>& spareCells() {
    thread_local std::vector<Cell> spare;
    return spare;
  }

  // Appends the rows of `st` to the page and resets it.
  int readRows(sqlite3_stmt* st) {
    const auto& fs = layout_.fields();
    std::size_t nf = fs.size();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      std::size_t r = page_.rows++;
      if (page_.ids.size() < page_.rows) {
        page_.ids.resize(page_.rows);
        page_.vers.resize(page_.rows);
        page_.cells.resize(page_.rows * nf);
      }
      page_.ids[r] = sqlite3_column_int64(st, 0);
      page_.vers[r] = sqlite3_column_int64(st, 1);
      if (narrow()) {
        for (std::size_t j = 0; j < selected_.size(); ++j) {
          std::size_t i = static_cast<std::size_t>(selected_[j]);
          readCell(st, static_cast<int>(j) + 2, fs[i].type, page_.cells[r * nf + i]);
        }
      } else {
        for (std::size_t i = 0; i < nf; ++i)
          readCell(st, static_cast<int>(i) + 2, fs[i].type, page_.cells[r * nf + i]);
      }
    }
    sqlite3_reset(st);
    return rc == SQLITE_DONE ? ecode::kNone : sqlFail(route_->db, rc, false);
  }

  bool narrow() const { return !selected_.empty(); }

  const LayoutSql& sql_;
  OpenMode mode_;
  Route own_, txRoute_;
  Route* route_;
  bool tx_ = false;
  store::FileOptions options_;
  Page page_;
  int lastPrepareError_ = ecode::kDriverError;
  // A field subset being read (empty: every field): the fields selected,
  // which of them reach the record, and the column list that selects them.
  std::vector<int> selected_;
  std::vector<bool> fill_;
  std::string narrowColumns_;
  sqlite3_file* mainFile_ = nullptr;  // the connection's handle on the file itself
};

void SqliteTransaction::end() {
  for (std::size_t i = 0; i < files_.size(); ++i) files_[i]->finalizeTxStatements();
  for (std::size_t i = 1; i < files_.size(); ++i)
    execSql(db_, "DETACH DATABASE " + quoteId("t" + std::to_string(i)));
  for (auto* f : files_) f->routeBack();
  active_ = false;
}

int SqliteTransaction::commit() {
  if (!active_) return fail(ecode::kNotSupported, "no transaction to commit");
  sqlite3_busy_timeout(db_, waitMs_);
  int rc = execSql(db_, "COMMIT");
  sqlite3_busy_timeout(db_, kDefaultWaitMs);
  if (rc) {
    EngineStatus keep = engineStatus();
    rollback();
    setEngineStatus(keep);
    return keep.code;
  }
  end();
  return ok();
}

int SqliteTransaction::rollback() {
  if (!active_) return ok();
  int rc = execSql(db_, "ROLLBACK");
  end();
  return rc ? rc : ok();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// No write permission bit at all: the file was made read-only on purpose.
bool writeProtected(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::access(path.c_str(), W_OK) != 0;
}

// A file being built is named after its file plus this, the builder's
// process id, thread, "@" and machine name.
constexpr std::string_view kBuilding = ".new";
// A build takes moments; one another machine left this long ago is dead.
constexpr auto kForeignBuildAge = std::chrono::hours(1);

std::string hostName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return {};
  std::string h(buf);
  for (char& c : h)
    if (c == '/' || c == '@') c = '_';
  return h;
}

// Whether the builder named in a leftover's name may still be at work.
bool builderMayLive(std::string_view rest, const std::filesystem::path& file) {
  // rest: "<pid>-<thread>[@<host>][-journal]"
  if (rest.ends_with("-journal")) rest.remove_suffix(8);
  long pid = 0;
  if (std::from_chars(rest.data(), rest.data() + rest.size(), pid).ec != std::errc() || pid <= 0)
    return true;  // not one of ours: leave it
  std::size_t at = rest.find('@');
  std::string_view host = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  if (!host.empty() && host != hostName()) {
    // Another machine's process cannot be asked; only age tells.
    std::error_code e;
    auto when = std::filesystem::last_write_time(file, e);
    if (e) return true;
    return std::filesystem::file_time_type::clock::now() - when < kForeignBuildAge;
  }
  if (pid == ::getpid()) return true;  // another thread of this process
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes what builders of `target` (one record file, or every file of a
// folder when empty) that died part-way left behind.
void removeLeftoversIn(const std::filesystem::path& folder, const std::string& target) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::size_t mark = name.find(std::string(".Tps") + std::string(kBuilding));
    if (mark == std::string::npos) continue;
    const std::string file = name.substr(0, mark + 4);
    if (!target.empty() && file != target) continue;
    std::string_view rest(name);
    rest.remove_prefix(mark + 4 + kBuilding.size());
    if (builderMayLive(rest, it->path())) continue;
    std::error_code rm;
    std::filesystem::remove(it->path(), rm);
  }
}

void removeLeftoversOf(const std::string& path) {
  std::filesystem::path p(path);
  std::filesystem::path folder = p.parent_path();
  removeLeftoversIn(folder.empty() ? std::filesystem::path(".") : folder, p.filename().string());
}

// Removes the private copies that a backup into `target` left behind when
// its process died part-way ("VelCli.Bak.new<pid>-<thread>@<host>").
void removeCopyLeftovers(const std::string& target) {
  std::filesystem::path t(target);
  std::filesystem::path folder = t.parent_path().empty() ? std::filesystem::path(".") : t.parent_path();
  const std::string stem = t.filename().string() + std::string(kBuilding);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(stem)) continue;
    if (builderMayLive(std::string_view(name).substr(stem.size()), it->path())) continue;
    std::error_code rm;
    std::filesystem::remove(it->path(), rm);
  }
}

// Writes a finished file's data and its name in the folder to the disk.
bool syncFileAndFolder(const std::string& file, const std::string& folder) {
  int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return false;
  bool done = ::fsync(fd) == 0;
  ::close(fd);
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);  // best effort: some file systems refuse to sync a folder
    ::close(dir);
  }
  return done;
}

// Runs the integrity check `pragma` ("integrity_check", "quick_check") on
// `schema` of `db`. 0 with "ok"; 36 with what is wrong; another code when
// the check could not be made for a lock.
int integrityOf(sqlite3* db, const std::string& schema, const char* pragma, std::string& verdict) {
  verdict.clear();
  constexpr int kMostProblems = 5;
  std::string sql = "PRAGMA " + quoteId(schema) + "." + pragma + "(" + std::to_string(kMostProblems) + ")";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  std::vector<std::string> lines;
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      lines.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
    }
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE && rc != SQLITE_OK) {
    int primary = rc & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
      verdict = sqlite3_errstr(rc);
      return fail(ecode::kInvalidFile, verdict);
    }
    return sqlFail(db, rc, false);
  }
  if (lines.size() == 1 && lines[0] == "ok") {
    verdict = "ok";
    return ok();
  }
  // One problem per line, without SQLite's banner naming the schema.
  for (const auto& row : lines) {
    std::size_t from = 0;
    while (from <= row.size()) {
      std::size_t to = row.find('\n', from);
      if (to == std::string::npos) to = row.size();
      std::string l = row.substr(from, to - from);
      if (!l.empty() && !l.starts_with("*** in database"))
        verdict += (verdict.empty() ? "" : "; ") + l;
      from = to + 1;
    }
  }
  if (verdict.empty()) verdict = "the check gave no answer";
  return fail(ecode::kInvalidFile, verdict);
}

int SqliteFile::checkIntegrity(std::string& verdict) {
  dropPage();
  return integrityOf(route_->db, route_->schema, "integrity_check", verdict);
}

// The copy is taken with SQLite's online backup, a few megabytes at a time,
// so that no other station waits on it for long. A station that writes to
// the file meanwhile makes the copy start over; after a few such restarts
// the rest is copied in one step under one read lock, which other stations'
// commits wait out (they wait up to their own lock time-out).
int SqliteFile::backupTo(const std::string& target) {
  if (tx_) return fail(ecode::kNotSupported, "a file inside a transaction cannot be copied");
  dropPage();
  removeCopyLeftovers(target);
  const std::string tmp = target + std::string(kBuilding) + std::to_string(::getpid()) + "-" +
                          std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) +
                          "@" + hostName();
  ::unlink(tmp.c_str());
  ::unlink((tmp + "-journal").c_str());
  sqlite3* dst = nullptr;
  int rc = sqlite3_open_v2(tmp.c_str(), &dst,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  auto discard = [&](int code) {
    EngineStatus keep = engineStatus();
    sqlite3_close_v2(dst);
    ::unlink(tmp.c_str());
    ::unlink((tmp + "-journal").c_str());
    setEngineStatus(keep);
    return code;
  };
  if (rc != SQLITE_OK) return discard(sqlFail(dst, rc, true));
  // The private copy needs no journal of its own: until it is renamed into
  // place nobody relies on it, and it is synced once when complete.
  if (int code = execSql(dst, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF")) return discard(code);

  sqlite3_backup* b = sqlite3_backup_init(dst, "main", own_.db, "main");
  if (!b) return discard(sqlFail(dst, sqlite3_errcode(dst), true));
  constexpr int kStepPages = 1024;  // 4 MB at the usual page size
  constexpr int kRestarts = 2;      // restarts allowed before the one-step copy
  // A step does not wait for a lock: it answers busy at once while another
  // station commits. It is tried again every few milliseconds (a busy
  // station's commits leave gaps that short) until no step has got through
  // for this long. A backup may wait longer than a clerk's read: nobody is
  // kept waiting at a form, and a copy given up is a day without one.
  constexpr auto kMostWait = std::chrono::seconds(20);
  constexpr auto kRetryAfter = std::chrono::milliseconds(2);
  int restarts = 0;
  long copied = 0;
  auto progress = std::chrono::steady_clock::now();
  for (;;) {
    int step = restarts >= kRestarts ? -1 : kStepPages;
    rc = sqlite3_backup_step(b, step);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
      if (std::chrono::steady_clock::now() - progress > kMostWait) break;
      std::this_thread::sleep_for(kRetryAfter);
      continue;
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) break;
    progress = std::chrono::steady_clock::now();
    long now = sqlite3_backup_pagecount(b) - sqlite3_backup_remaining(b);
    // A step that got no further than the last one began the copy again
    // (another station wrote), even when it then copied a whole step anew.
    if (now <= copied) ++restarts;
    copied = now;
    if (rc == SQLITE_DONE) break;
  }
  int stepRc = rc;
  rc = sqlite3_backup_finish(b);
  if (stepRc != SQLITE_DONE) {
    // The source's lock or damage, or the target folder's own failure.
    int code = (stepRc == SQLITE_BUSY || stepRc == SQLITE_LOCKED) ? sqlFail(own_.db, stepRc, true)
                                                                  : sqlFail(dst, stepRc, true);
    return discard(code);
  }
  if (rc != SQLITE_OK) return discard(sqlFail(dst, rc, true));

  std::string verdict;
  if (int code = integrityOf(dst, "main", "quick_check", verdict)) {
    if (code == ecode::kInvalidFile) fail(ecode::kInvalidFile, "the copy failed its check: " + verdict);
    return discard(code);
  }
  sqlite3_close_v2(dst);
  dst = nullptr;
  const std::string folder = std::filesystem::path(target).parent_path().string();
  if (!syncFileAndFolder(tmp, folder)) {
    int err = errno;
    return discard(fail(ecode::kDriverError, tmp + ": " + std::strerror(err)));
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    int err = errno;
    return discard(fail(err == EACCES ? ecode::kAccessDenied : ecode::kDriverError,
                        target + ": " + std::strerror(err)));
  }
  syncFileAndFolder(target, folder);
  return ok();
}

class SqliteEngine : public Engine {
 public:
  void removeLeftovers(const std::string& folder) override {
    removeLeftoversIn(folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder),
                      {});
  }

  int open(const Layout& layout, const std::string& path, OpenMode mode, std::string_view owner,
           std::unique_ptr<EngineFile>& out) override {
    if (mode.share == Share::DenyWrite)
      return fail(ecode::kNotSupported, "files are opened shared (deny none) or exclusively");
    if (mode.share == Share::DenyAll && !mode.writes())
      return fail(ecode::kNotSupported, "an exclusive open is for reading and writing");
    if (!fileExists(path)) return fail(ecode::kFileNotFound, path);
    // A write-protected file is refused for writing at once, so the clerk
    // hears of it on opening rather than at the first save. The mode bits
    // are asked as well as access(), which grants root everything.
    if (mode.writes() && writeProtected(path)) return fail(ecode::kAccessDenied, path);
    sqlite3* db = nullptr;
    int flags = (mode.writes() ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
                SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
      int code = (rc & 0xff) == SQLITE_CANTOPEN && ::access(path.c_str(), mode.writes() ? W_OK : R_OK) != 0
                     ? fail(ecode::kAccessDenied, path)
                     : sqlFail(db, rc, false);
      sqlite3_close_v2(db);
      return code;
    }
    sqlite3_busy_timeout(db, kDefaultWaitMs);
    sqlite3_extended_result_codes(db, 1);
    if (int code = execSql(db, "PRAGMA synchronous=FULL")) {
      sqlite3_close_v2(db);
      return code;
    }
    int code = checkFile(db, layout, owner);
    // SQLite may open a file it cannot write read-only without a word.
    if (!code && mode.writes() && sqlite3_db_readonly(db, "main") == 1)
      code = fail(ecode::kAccessDenied, path);
    // Exclusive: the connection takes the file's exclusive lock and, in
    // exclusive locking mode, keeps it until it closes. A station holding
    // the file (a write under way) outlasting the wait gives a lock time-out.
    if (!code && mode.share == Share::DenyAll)
      code = execSql(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT");
    // Reading the file's header waited out another station's lock: that is
    // a lock time-out on opening, not a held record.
    if (code == ecode::kRecordHeld) {
      EngineStatus busy = engineStatus();
      busy.code = ecode::kLockTimeout;
      busy.text = engineCodeText(ecode::kLockTimeout);
      setEngineStatus(busy);
      code = ecode::kLockTimeout;
    }
    if (code) {
      EngineStatus keep = engineStatus();
      sqlite3_close_v2(db);
      setEngineStatus(keep);
      return code;
    }
    out = std::make_unique<SqliteFile>(layout, db, mode);
    return ok();
  }

  int create(const Layout& layout, const std::string& path, std::string_view owner) override {
    if (fileExists(path)) return ok();
    // Built under a private name and linked into place, so two stations that
    // both find the file missing never overwrite each other's file. The name
    // says which process on which machine builds it, so that what a process
    // that died left behind can be told from a file being built right now.
    removeLeftoversOf(path);
    std::string tmp = path + std::string(kBuilding) + std::to_string(::getpid()) + "-" +
                      std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) +
                      "@" + hostName();
    ::unlink(tmp.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
      int code = sqlFail(db, rc, true);
      sqlite3_close_v2(db);
      return code;
    }
    const LayoutSql& s = LayoutSql::of(layout);
    std::string sql = "PRAGMA journal_mode=DELETE; BEGIN; "
                      "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);";
    sql += s.createTable + ";";
    for (const auto& idx : s.createIndex) sql += idx + ";";
    sql += "COMMIT;";
    int code = execSql(db, sql);
    if (!code) code = putMeta(db, "label", layout.label());
    if (!code) code = putMeta(db, "layout", layout.signature());
    if (!code) code = putMeta(db, "owner", ownerHash(owner));
    if (code) {
      EngineStatus keep = engineStatus();
      sqlite3_close_v2(db);
      ::unlink(tmp.c_str());
      setEngineStatus(keep);
      return code;
    }
    sqlite3_close_v2(db);
    if (::link(tmp.c_str(), path.c_str()) != 0 && errno != EEXIST) {
      // A folder that cannot link: rename, unless another station was first.
      if (!fileExists(path) && ::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return fail(err == EACCES ? ecode::kAccessDenied : ecode::kDriverError,
                    path + ": " + std::strerror(err));
      }
    }
    ::unlink(tmp.c_str());
    return ok();
  }

  int remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) {
      if (errno == ENOENT) return fail(ecode::kFileNotFound, path);
      return fail(errno == EACCES ? ecode::kAccessDenied : ecode::kDriverError,
                  path + ": " + std::strerror(errno));
    }
    ::unlink((path + "-journal").c_str());
    return ok();
  }

  int repairKeys(const Layout& layout, const std::string& path, std::string_view owner) override {
    if (!fileExists(path)) return fail(ecode::kFileNotFound, path);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      int code = sqlFail(db, rc, true);
      sqlite3_close_v2(db);
      return code;
    }
    sqlite3_busy_timeout(db, kDefaultWaitMs);
    int code = checkFile(db, layout, owner);
    if (code == ecode::kInvalidKeys || code == ecode::kNone) {
      SqliteFile file(layout, db, OpenMode{});  // takes the connection over
      return file.buildKeys(true);
    }
    EngineStatus keep = engineStatus();
    sqlite3_close_v2(db);
    setEngineStatus(keep);
    return code;
  }

  int begin(const std::vector<EngineFile*>& files, int timeoutSeconds,
            std::unique_ptr<Transaction>& out) override {
    if (files.empty()) return fail(ecode::kNotSupported, "a transaction needs a file");
    if (files.size() > 10) return fail(ecode::kNotSupported, "a transaction spans at most 10 files");
    std::vector<SqliteFile*> fs;
    for (EngineFile* f : files) {
      auto* sf = dynamic_cast<SqliteFile*>(f);
      if (!sf) return fail(ecode::kNotSupported, "not a file of this engine");
      if (sf->inTransaction()) return fail(ecode::kNotSupported, "file already in a transaction");
      if (!sf->mode().writes()) return fail(ecode::kAccessDenied, sf->layout().label());
      if (std::find(fs.begin(), fs.end(), sf) == fs.end()) fs.push_back(sf);
    }
    // Always attach in the same order, so two stations lock files alike.
    std::sort(fs.begin(), fs.end(), [](SqliteFile* a, SqliteFile* b) {
      return a->layout().label() < b->layout().label();
    });
    sqlite3* db = fs[0]->ownDb();
    std::size_t attached = 0;
    auto detachAll = [&] {
      for (std::size_t i = 1; i <= attached; ++i)
        execSql(db, "DETACH DATABASE " + quoteId("t" + std::to_string(i)));
    };
    for (std::size_t i = 1; i < fs.size(); ++i) {
      const char* file = sqlite3_db_filename(fs[i]->ownDb(), "main");
      sqlite3_stmt* st = nullptr;
      std::string sql = "ATTACH DATABASE ?1 AS " + quoteId("t" + std::to_string(i));
      int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
      if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, file, -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
      }
      sqlite3_finalize(st);
      if (rc != SQLITE_OK) {
        int code = sqlFail(db, rc, true);
        detachAll();
        return code;
      }
      ++attached;
    }
    int waitMs = std::max(0, timeoutSeconds) * 1000;
    sqlite3_busy_timeout(db, waitMs);
    int code = execSql(db, "BEGIN IMMEDIATE");
    sqlite3_busy_timeout(db, kDefaultWaitMs);
    if (code) {
      EngineStatus keep = engineStatus();
      detachAll();
      setEngineStatus(keep);
      return code;
    }
    for (std::size_t i = 0; i < fs.size(); ++i)
      fs[i]->routeTo(db, i == 0 ? "main" : "t" + std::to_string(i));
    auto tx = std::make_unique<SqliteTransaction>(fs, db, waitMs);
    tx->setActive();
    out = std::move(tx);
    return ok();
  }

 private:
  static int putMeta(sqlite3* db, const char* name, const std::string& value) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO meta(name, value) VALUES(?1, ?2)", -1,
                                &st, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 2, value.c_str(), -1, SQLITE_TRANSIENT);
      rc = sqlite3_step(st);
      rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    sqlite3_finalize(st);
    return rc == SQLITE_OK ? ok() : sqlFail(db, rc, true);
  }

  // Owner, layout and keys of a file just opened.
  static int checkFile(sqlite3* db, const Layout& layout, std::string_view owner) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name, value FROM meta", -1, &st, nullptr);
    if (rc != SQLITE_OK) {
      int code = (rc & 0xff) == SQLITE_ERROR ? fail(ecode::kInvalidFile, "not a record file")
                                            : sqlFail(db, rc, false);
      sqlite3_finalize(st);
      return code;
    }
    std::string storedOwner, storedLayout;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      const unsigned char* v = sqlite3_column_text(st, 1);
      std::string value = v ? reinterpret_cast<const char*>(v) : "";
      if (name == "owner") storedOwner = value;
      else if (name == "layout") storedLayout = value;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return sqlFail(db, rc, false);
    if (storedOwner != ownerHash(owner)) return fail(ecode::kBadOwner);
    if (storedLayout != layout.signature())
      return fail(ecode::kInvalidLayout, "the file holds another record layout");
    // Every key must have its index.
    rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='rec'",
                            -1, &st, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st);
      return sqlFail(db, rc, false);
    }
    std::vector<std::string> have;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
      have.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const auto& k : layout.keys())
      if (std::find(have.begin(), have.end(), "k_" + k.name) == have.end())
        return fail(ecode::kInvalidKeys, "key " + k.name + " is missing");
    return ok();
  }
};

}  // namespace

std::unique_ptr<Engine> makeSqliteEngine() { return std::make_unique<SqliteEngine>(); }

void removeDeadCopiesOf(const std::string& target) { removeCopyLeftovers(target); }

std::vector<std::string> sqliteReadPlans(EngineFile& file, int key) {
  auto* f = dynamic_cast<SqliteFile*>(&file);
  return f ? f->readPlans(key) : std::vector<std::string>{};
}

}  // namespace vel
