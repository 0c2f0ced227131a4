// The PostgreSQL record engine: one schema per office, one table per record
// file.
//
// A file is the table named by its path's last part ("VelCli.Tps") in the
// office's schema: `_id` (the stable position), `_ver` (counting rewrites,
// for "watch"), then one column per field. The schema's `_velmora_files`
// table holds each file's label, layout signature and owner hash. Text
// columns compare bytewise ("C"); each key is an index named "k_<table>_<key>"
// over lower() of its text fields (case ignored, trailing blanks are never
// stored), with `_id` last so that records of equal key values keep their
// arrival order; a unique key is a unique index on the key alone, and a key
// that leaves out empty values is a partial index.
//
// Connections: per engine and thread, one autocommit connection carries
// every file that thread opened; a transaction takes a connection of its own
// and routes its files' statements through it while it lasts. Statements are
// prepared once per connection. A file opened exclusively has a connection
// of its own holding the table's ACCESS EXCLUSIVE lock in a transaction that
// lasts until the file is closed (its changes are kept then).
//
// Paging: records are read in pages, each one keyset query (within a run of
// equal key values "key = values AND _id after", then "key after values"),
// growing from 16 to 1024 rows; the ORDER BY and WHERE use exactly the
// index's expressions, so every page is a seek in the key's index.
//
// Freshness: every table has a statement trigger that notifies the table's
// channel on a change; the autocommit connection listens to the tables its
// files use. Before a row read ahead is handed out, the notifications that
// arrived are looked at (at most every millisecond) together with the
// process's own count of changes to the table; when the table changed since
// the page was read, the rest of the page is read afresh. Another process's
// notification can arrive a moment after its commit; a put never overwrites
// a change it did not see all the same, since every put checks the version
// it read (89 otherwise).
#include <libpq-fe.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "common/Dates.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"
#include "recordstore/EngineValues.h"
#include "recordstore/PagedFile.h"
#include "recordstore/PgConnection.h"

namespace vel {

namespace {

using store::Cell;
using store::checkFits;
using store::fail;
using store::isReal;
using store::isText;
using store::ok;
using store::ownerHash;
using store::quoteId;
using namespace pg;

constexpr int kFirstPage = 16;
constexpr int kMaxPage = 1024;
constexpr auto kPollEvery = std::chrono::milliseconds(1);
constexpr Oid kInt8Oid = 20, kTextOid = 25, kFloat8Oid = 701;
constexpr const char* kMetaTable = "_velmora_files";

// Where a file lives: its schema and table, and the channel its changes are
// told on.
struct TableRef {
  std::string schema, name;
  std::string qualified;  // "schema"."table"
  std::string channel;
  std::atomic<std::uint64_t>* local = nullptr;

  TableRef(const std::string& conninfo, std::string s, std::string n)
      : schema(std::move(s)), name(std::move(n)) {
    qualified = quoteId(schema) + "." + quoteId(name);
    char buf[40];
    std::snprintf(buf, sizeof buf, "vel_%016llx",
                  static_cast<unsigned long long>(store::fnv1a(schema + "." + name)));
    channel = buf;
    local = localChanges(conninfo + "\n" + channel);
  }
  std::string indexName(const KeyDesc& k) const { return "k_" + name + "_" + k.name; }
};

std::string tableOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The SQL of one table's layout.
struct TableSql {
  std::vector<std::string> keyExpr;   // per key: "lower(\"a\"),\"b\""
  std::vector<std::vector<std::string>> keyParts;  // per key, per component
  std::vector<std::string> keyCond;   // partial-index condition or empty
  std::vector<std::string> orderAsc, orderDesc;
  std::vector<std::string> createIndex;  // "CREATE ... INDEX IF NOT EXISTS ..."
  std::string createTable;

  TableSql(const Layout& l, const TableRef& t) {
    const auto& fs = l.fields();
    std::string defs = "\"_id\" bigserial PRIMARY KEY, \"_ver\" bigint NOT NULL DEFAULT 0";
    for (const auto& f : fs) {
      defs += "," + quoteId(f.name);
      if (isText(f.type)) defs += " text COLLATE \"C\" NOT NULL DEFAULT ''";
      else if (isReal(f.type)) defs += " double precision NOT NULL DEFAULT 0";
      else defs += " bigint NOT NULL DEFAULT 0";
    }
    createTable = "CREATE TABLE " + t.qualified + "(" + defs + ")";
    for (const auto& k : l.keys()) {
      std::vector<std::string> parts;
      std::string expr, cond, asc, desc;
      for (std::size_t j = 0; j < k.components.size(); ++j) {
        const FieldDesc& f = fs[static_cast<std::size_t>(k.components[j])];
        std::string q = quoteId(f.name);
        std::string e = isText(f.type) ? "lower(" + q + ")" : q;
        parts.push_back(e);
        if (j) {
          expr += ",";
          cond += " OR ";
          asc += ",";
          desc += ",";
        }
        expr += e;
        cond += q + (isText(f.type) ? "<>''" : "<>0");
        asc += e;
        desc += e + " DESC";
      }
      // A unique key orders by itself; others keep equal values in arrival order.
      std::string indexCols = k.unique() ? expr : expr + ",\"_id\"";
      if (!k.unique()) {
        asc += ",\"_id\"";
        desc += ",\"_id\" DESC";
      }
      keyParts.push_back(parts);
      keyExpr.push_back(expr);
      keyCond.push_back(k.excludeEmpty() ? "(" + cond + ")" : std::string());
      orderAsc.push_back(asc);
      orderDesc.push_back(desc);
      std::string idx = std::string("CREATE ") + (k.unique() ? "UNIQUE " : "") +
                        "INDEX IF NOT EXISTS " + quoteId(t.indexName(k)) + " ON " + t.qualified +
                        "(" + indexCols + ")";
      if (k.excludeEmpty()) idx += " WHERE " + keyCond.back();
      createIndex.push_back(idx);
    }
  }
};

// Statement kinds; key-specific kinds add the key number.
enum StmtKind : int {
  kInsert = 1,
  kUpdate,
  kDelete,
  kById,
  kCount,
  kExists,
  kKeyed = 100,
};
enum KeyedKind : int {
  kFirstFwd = 1, kFirstBack, kAfterFwd, kAfterBack, kGet, kDup, kRunFwd, kRunBack, kFromFwd, kFromBack
};
constexpr int kNarrow = 100000;

// A statement's text and parameter types.
struct StmtSql {
  std::string sql;
  std::vector<Oid> types;
  std::string param(Oid t) {
    types.push_back(t);
    return "$" + std::to_string(types.size());
  }
};

Oid oidOf(FieldType t) { return isText(t) ? kTextOid : isReal(t) ? kFloat8Oid : kInt8Oid; }

// Parameter values as text, kept between calls so that binding allocates
// nothing once warm.
struct Params {
  std::vector<std::string> buf;
  std::vector<const char*> ptr;
  int n = 0;
  void clear() { n = 0; }
  std::string& slot() {
    if (static_cast<std::size_t>(n) >= buf.size()) buf.emplace_back();
    return buf[static_cast<std::size_t>(n++)];
  }
  // A key filled with its highest value (every byte 0xFF, as a list's last
  // page in a range asks) is no UTF-8 text and the server would refuse it:
  // each such byte goes as the highest character there is, which sorts after
  // every stored value just as 0xFF does among the bytes of record files.
  void addText(std::string_view s) {
    std::string& out = slot();
    if (s.find('\xFF') == std::string_view::npos) {
      out.assign(s);
      return;
    }
    out.clear();
    for (char c : s) {
      if (c == '\xFF') out += "\xF4\x8F\xBF\xBF";
      else out += c;
    }
  }
  void addInt(std::int64_t v) {
    char b[24];
    auto r = std::to_chars(b, b + sizeof b, v);
    slot().assign(b, r.ptr);
  }
  void addReal(double v) {
    char b[40];
    auto r = std::to_chars(b, b + sizeof b, v);
    slot().assign(b, r.ptr);
  }
  void addCell(FieldType t, const Cell& c) {
    if (isText(t)) addText(c.s);
    else if (isReal(t)) addReal(c.d);
    else addInt(c.i);
  }
  const char* const* values() {
    ptr.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) ptr[static_cast<std::size_t>(i)] = buf[static_cast<std::size_t>(i)].c_str();
    return ptr.data();
  }
};

class PgFile;

class PgTransaction : public Transaction {
 public:
  PgTransaction(std::shared_ptr<ConnPool> pool, std::shared_ptr<PgConn> conn,
                std::vector<PgFile*> files)
      : pool_(std::move(pool)), conn_(std::move(conn)), files_(std::move(files)) {}
  ~PgTransaction() override {
    if (active_) rollback();
  }
  int commit() override;
  int rollback() override;
  bool active() const override { return active_; }
  // Taking and letting go of a savepoint travel with the next statement
  // (PgConn::owed): neither can fail on its own in a sound transaction, and
  // a member of a batch then costs no round trip of its own for them.
  int savepoint() override {
    if (!active_) return fail(ecode::kNotSupported, "no transaction");
    conn_->owed.push_back("SAVEPOINT member");
    return ok();
  }
  int releaseSavepoint() override {
    if (!active_) return fail(ecode::kNotSupported, "no transaction");
    conn_->owed.push_back("RELEASE SAVEPOINT member");
    return ok();
  }
  int rollbackToSavepoint() override {
    if (!active_) return fail(ecode::kNotSupported, "no transaction");
    int rc = conn_->run("ROLLBACK TO SAVEPOINT member; RELEASE SAVEPOINT member", true);
    return rc ? rc : ok();
  }

 private:
  void end();
  std::shared_ptr<ConnPool> pool_;
  std::shared_ptr<PgConn> conn_;
  std::vector<PgFile*> files_;
  bool active_ = true;
};

class PgFile : public store::PagedFile {
 public:
  PgFile(const Layout& l, std::shared_ptr<PgConn> conn, const std::string& conninfo,
         const std::string& schema, const std::string& table, OpenMode m, bool exclusive,
         std::string_view owner)
      : PagedFile(l), table_(conninfo, schema, table), sql_(l, table_), mode_(m),
        exclusive_(exclusive), owner_(owner) {
    own_.conn = std::move(conn);
    route_ = &own_;
    remoteGen_ = &own_.conn->notified[table_.channel];
  }
  ~PgFile() override {
    dropPage();
    if (exclusive_ && own_.conn->c && PQstatus(own_.conn->c) == CONNECTION_OK) {
      // Closing the file gives the table back, keeping what was written.
      bool wrote = written_;
      if (own_.conn->run("COMMIT", true) == ecode::kNone && wrote) table_.local->fetch_add(1);
    }
  }

  OpenMode mode() const override { return mode_; }
  bool inTransaction() const { return tx_; }
  bool exclusive() const { return exclusive_; }
  const TableRef& table() const { return table_; }

  void routeTo(std::shared_ptr<PgConn> conn) {
    txRoute_.conn = std::move(conn);
    txRoute_.names.clear();
    route_ = &txRoute_;
    tx_ = true;
    dropPage();
  }
  void routeBack() {
    txRoute_.conn.reset();
    txRoute_.names.clear();
    route_ = &own_;
    tx_ = false;
    dropPage();
  }
  void noteChanged() { table_.local->fetch_add(1); }

  // Runs DDL or another plain statement on the file's current connection.
  int runHere(const std::string& sql, bool writing) {
    if (int rc = route_->conn->ensure()) return rc;
    return route_->conn->run(sql, writing);
  }
  PgConn& conn() { return *route_->conn; }
  // Whether statements run inside a transaction block (a failed one then
  // spoils the block unless guarded).
  bool inBlock() const { return tx_ || exclusive_; }

  int next(void* rec) override { return step(rec, true); }
  int previous(void* rec) override { return step(rec, false); }

  int get(int key, void* rec) override {
    if (key < 0 || key >= static_cast<int>(layout_.keys().size()))
      return fail(ecode::kNotSupported, "no such key");
    const std::string* name = nullptr;
    if (int rc = stmt(keyedId(kGet, key), name)) return rc;
    std::vector<Cell> vals;
    store::keyCells(layout_, key, rec, vals);
    params_.clear();
    bindKey(key, vals);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, false);
    if (r.rows() == 0) return fail(ecode::kRecordNotFound);
    readRow(r.r, 0, rec);
    cur_.order = key;
    placeOn(rec);
    return ok();
  }

  int reget(std::string_view pos, void* rec) override {
    int order;
    std::int64_t id;
    std::vector<Cell> vals;
    if (!store::decodePosition(layout_, pos, order, id, vals))
      return fail(ecode::kRecordNotFound, "bad position");
    const std::string* name = nullptr;
    if (int rc = stmt(kById, name)) return rc;
    params_.clear();
    params_.addInt(id);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, false);
    if (r.rows() == 0) return fail(ecode::kRecordNotFound);
    readRow(r.r, 0, rec);
    cur_.order = order;
    placeOn(rec);
    return ok();
  }

  int setReadFields(const std::vector<int>& fields) override {
    std::vector<int> selected;
    std::vector<bool> fill;
    if (int rc = store::chooseReadFields(layout_, fields, selected, fill)) return rc;
    if (selected == selected_ && fill == fill_) return ok();
    dropNarrow(own_);
    dropNarrow(txRoute_);
    selected_ = std::move(selected);
    fill_ = std::move(fill);
    narrowColumns_ = "\"_id\",\"_ver\"";
    for (int i : selected_)
      narrowColumns_ += "," + quoteId(layout_.fields()[static_cast<std::size_t>(i)].name);
    dropPage();
    return ok();
  }

  // The server's plan of each read made in key order `key`, one "name: plan"
  // line per statement, for the current key values.
  std::vector<std::string> readPlans(int key, bool generic) {
    static const std::pair<int, const char*> kinds[] = {
        {kFirstFwd, "first"}, {kFirstBack, "last"},  {kRunFwd, "run forward"},
        {kRunBack, "run backward"}, {kAfterFwd, "after"}, {kAfterBack, "before"},
        {kFromFwd, "from forward"}, {kFromBack, "from backward"}, {kGet, "get"}};
    std::vector<std::string> out;
    if (route_->conn->payOwed()) return out;
    std::vector<Cell> vals = cur_.vals;
    if (key >= 0) vals.resize(layout_.keys()[static_cast<std::size_t>(key)].components.size());
    for (const auto& [kind, label] : kinds) {
      if (key < 0 && (kind == kRunFwd || kind == kRunBack || kind == kGet || kind == kFromFwd ||
                      kind == kFromBack))
        continue;
      StmtSql s = buildSql(keyedId(kind, key));
      params_.clear();
      bool keyed = kind != kFirstFwd && kind != kFirstBack;
      if (key < 0) {
        if (keyed) params_.addInt(cur_.id);
      } else if (keyed) {
        bindKey(key, vals);
        if (kind == kRunFwd || kind == kRunBack) params_.addInt(cur_.id);
      }
      if (kind != kGet) params_.addInt(kMaxPage);
      std::string plan;
      std::string sql = "EXPLAIN " + s.sql;
      if (generic) {
        // The plan the server keeps for the engine's own prepared statement
        // once it stops planning for each call's values.
        const std::string* name = nullptr;
        if (stmt(keyedId(kind, key), name)) {
          out.push_back(std::string(label) + ": " + engineStatus().text);
          continue;
        }
        sql = "EXPLAIN EXECUTE " + *name + "(";
        const char* const* v = params_.values();
        for (int i = 0; i < params_.n; ++i) {
          char* lit = PQescapeLiteral(route_->conn->c, v[i], std::strlen(v[i]));
          sql += (i ? "," : "") + std::string(lit ? lit : "NULL");
          PQfreemem(lit);
        }
        sql += ")";
        route_->conn->run("SET plan_cache_mode = force_generic_plan", false);
      }
      Result r = generic ? route_->conn->exec(sql)
                         : Result(PQexecParams(route_->conn->c, sql.c_str(), params_.n,
                                               s.types.data(), params_.values(), nullptr, nullptr, 0));
      if (generic) route_->conn->run("RESET plan_cache_mode", false);
      if (r.status() == PGRES_TUPLES_OK) {
        for (int i = 0; i < r.rows(); ++i) plan += (i ? "\n" : "") + std::string(r.at(i, 0));
      } else {
        plan = trimmed(PQresultErrorMessage(r.r));
      }
      out.push_back(std::string(label) + ": " + plan);
    }
    return out;
  }

  int add(void* rec) override {
    if (!mode_.writes()) return fail(ecode::kAccessDenied, "the file is open for reading only");
    if (int rc = checkFits(layout_, rec)) return rc;
    const std::string* name = nullptr;
    if (int rc = stmt(kInsert, name)) return rc;
    params_.clear();
    bindFields(rec);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, true);
    dropPage();
    // The insert skips a record that would duplicate a unique key (so a
    // transaction goes on after the refusal, as it does on other engines).
    if (r.rows() == 0) return fail(ecode::kDuplicateKey, "a unique key already holds these values");
    wrote();
    curId_ = toInt(r.at(0, 0), PQgetlength(r.r, 0, 0));
    curVer_ = 0;
    watched_ = false;
    placeOnCurrent(rec);
    return ok();
  }

  int put(const void* crec) override {
    void* rec = const_cast<void*>(crec);
    if (!mode_.writes()) return fail(ecode::kAccessDenied, "the file is open for reading only");
    if (curId_ == 0) return fail(ecode::kNoRecord, "no current record to rewrite");
    if (narrow()) return fail(ecode::kNotSupported, "the record was read with only some of its fields");
    if (int rc = checkFits(layout_, rec)) return rc;
    const std::string* name = nullptr;
    if (int rc = stmt(kUpdate, name)) return rc;
    params_.clear();
    bindFields(rec);
    params_.addInt(curId_);
    params_.addInt(curVer_);
    Result r = inBlock() && hasUniqueKey() ? guarded(*name) : route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, true);
    dropPage();
    if (r.rows() == 0) {
      // Nothing rewritten: the record was changed or deleted by another station.
      bool changed = watched_;
      if (!changed) {
        int there = stillThere(curId_);
        if (there < 0) return engineStatus().code;
        changed = there > 0;
      }
      return fail(changed ? ecode::kChanged : ecode::kNoRecord,
                  "the record was changed or deleted by another station");
    }
    wrote();
    curVer_ = toInt(r.at(0, 0), PQgetlength(r.r, 0, 0));
    placeOnCurrent(rec);
    return ok();
  }

  int erase() override {
    if (!mode_.writes()) return fail(ecode::kAccessDenied, "the file is open for reading only");
    if (curId_ == 0) return fail(ecode::kNoRecord, "no current record to delete");
    const std::string* name = nullptr;
    if (int rc = stmt(kDelete, name)) return rc;
    params_.clear();
    params_.addInt(curId_);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_COMMAND_OK) return pgFail(route_->conn->c, r.r, true);
    bool gone = std::atoi(PQcmdTuples(r.r)) > 0;
    dropPage();
    curId_ = 0;
    watched_ = false;
    if (!gone) return fail(ecode::kNoRecord, "the record was deleted by another station");
    wrote();
    return ok();  // the cursor stays where the record was: next reads the one after it
  }

  int duplicateOn(int key, const void* crec, std::string_view exceptPosition,
                  bool& clash) override {
    clash = false;
    if (key < 0 || key >= static_cast<int>(layout_.keys().size()))
      return fail(ecode::kNotSupported, "no such key");
    const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(key)];
    if (!k.unique()) return ok();
    std::vector<Cell> vals;
    store::keyCells(layout_, key, crec, vals);
    if (k.excludeEmpty() && store::allEmpty(layout_, key, vals)) return ok();
    std::int64_t except = 0;
    if (!exceptPosition.empty()) {
      int o;
      std::vector<Cell> v;
      if (!store::decodePosition(layout_, exceptPosition, o, except, v)) except = 0;
    }
    const std::string* name = nullptr;
    if (int rc = stmt(keyedId(kDup, key), name)) return rc;
    params_.clear();
    bindKey(key, vals);
    params_.addInt(except);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, false);
    clash = r.rows() > 0;
    return ok();
  }

  int records(std::int64_t& count) override {
    count = 0;
    const std::string* name = nullptr;
    if (int rc = stmt(kCount, name)) return rc;
    Result r = route_->conn->execPrepared(*name, 0, nullptr);
    if (r.status() != PGRES_TUPLES_OK || r.rows() != 1)
      return pgFail(route_->conn->c, r.r, false);
    count = std::atoll(r.at(0, 0));
    return ok();
  }

  int buildKeys(bool full) override {
    full = full || options_.fullBuild;
    if (int rc = route_->conn->ensure()) return rc;
    std::string sql = inBlock() ? "" : "BEGIN;";
    const auto& keys = layout_.keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (full)
        sql += "DROP INDEX IF EXISTS " + quoteId(table_.schema) + "." +
               quoteId(table_.indexName(keys[i])) + ";";
      sql += sql_.createIndex[i] + ";";
    }
    if (!full) sql += "REINDEX TABLE " + table_.qualified + ";";
    if (!inBlock()) sql += "COMMIT;";
    dropPage();
    int rc = route_->conn->run(sql, true);
    if (rc) {
      // The caller hears why the build failed, not how the rollback went.
      EngineStatus keep = engineStatus();
      if (!inBlock()) route_->conn->run("ROLLBACK", true);
      setEngineStatus(keep);
      return rc;
    }
    options_.fullBuild = false;
    return ok();
  }

  // A station that dies loses its locks with its connection, so there is
  // nothing to recover: Recover's seconds are this file's longest wait for
  // another station's lock.
  int option(std::string_view opt) override { return store::takeOption(opt, options_); }

  int backupTo(const std::string& target) override;
  int checkIntegrity(std::string& verdict) override;

 private:
  // The connection a file uses and the names of its statements there.
  struct Route {
    std::shared_ptr<PgConn> conn;
    unsigned epoch = 0;
    std::unordered_map<int, const std::string*> names;
  };

  // One page read ahead: the results of its one or two queries, as the
  // server sent them.
  struct Page {
    bool valid = false;
    bool forward = true;
    int size = kFirstPage;
    Result parts[2];
    int partRows[2] = {0, 0};
    std::size_t rows = 0, pos = 0;
    std::uint64_t remoteGen = 0, localGen = 0;
    unsigned epoch = 0;
  };

  static int keyedId(int kind, int key) { return kKeyed + 100 * kind + key + 1; }

  void dropNarrow(Route& r) {
    for (auto it = r.names.begin(); it != r.names.end();) {
      if (it->first >= kNarrow) it = r.names.erase(it);
      else ++it;
    }
  }

  void dropPage() override {
    page_.valid = false;
    page_.size = kFirstPage;
    page_.parts[0] = Result();
    page_.parts[1] = Result();
  }

  void wrote() {
    written_ = true;
    table_.local->fetch_add(1, std::memory_order_relaxed);
  }

  bool hasUniqueKey() const {
    for (const auto& k : layout_.keys())
      if (k.unique()) return true;
    return false;
  }

  // Runs the prepared statement inside a savepoint, in one round trip, so
  // that a refusal (a duplicate key) leaves the transaction usable.
  Result guarded(const std::string& name) {
    PgConn& conn = *route_->conn;
    PGconn* c = conn.c;
    const int n = params_.n;
    const char* const* vals = params_.values();
    std::vector<Result> results = conn.pipeline(3, [&](PGconn* pc) {
      PQsendQueryParams(pc, "SAVEPOINT _velmora_write", 0, nullptr, nullptr, nullptr, nullptr, 0);
      PQsendQueryPrepared(pc, name.c_str(), n, vals, nullptr, nullptr, 0);
      PQsendQueryParams(pc, "RELEASE SAVEPOINT _velmora_write", 0, nullptr, nullptr, nullptr, nullptr, 0);
    });
    if (results.size() != 3) return PgConn::only(std::move(results));  // down, or an owed savepoint failed
    if (results[1].status() != PGRES_TUPLES_OK && PQstatus(c) == CONNECTION_OK) {
      EngineStatus keep = engineStatus();
      Result back(PQexec(c, "ROLLBACK TO SAVEPOINT _velmora_write; RELEASE SAVEPOINT _velmora_write"));
      setEngineStatus(keep);
    }
    return std::move(results[1]);
  }

  // Binds the key's values (text keys compare as their lower() in SQL).
  void bindKey(int key, const std::vector<Cell>& vals) {
    const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(key)];
    for (std::size_t j = 0; j < k.components.size(); ++j)
      params_.addCell(layout_.fields()[static_cast<std::size_t>(k.components[j])].type, vals[j]);
  }

  void bindFields(void* rec) {
    const auto& fs = layout_.fields();
    for (const auto& f : fs) {
      FieldRef r(f, rec);
      if (isText(f.type)) params_.addText(rtrim(r.text()));
      else if (isReal(f.type)) params_.addReal(r.real());
      else if (f.type == FieldType::Date)
        params_.addInt(dateToYyyymmdd(static_cast<std::int32_t>(r.whole())));
      else params_.addInt(r.whole());
    }
  }

  // Column `col` of `row` into field `f` of `rec`.
  static void fillField(const FieldDesc& f, void* rec, const PGresult* r, int row, int col) {
    const char* p = PQgetvalue(r, row, col);
    int len = PQgetlength(r, row, col);
    FieldRef ref(f, rec);
    if (isText(f.type)) ref.text().assign(p, static_cast<std::size_t>(len));
    else if (isReal(f.type)) ref.real() = toReal(p, len);
    else if (f.type == FieldType::Date)
      ref.whole() = yyyymmddToDate(static_cast<std::int32_t>(toInt(p, len)));
    else ref.whole() = toInt(p, len);
  }

  static void readCell(FieldType t, const PGresult* r, int row, int col, Cell& c) {
    const char* p = PQgetvalue(r, row, col);
    int len = PQgetlength(r, row, col);
    if (isText(t)) c.s.assign(p, static_cast<std::size_t>(len));
    else if (isReal(t)) c.d = toReal(p, len);
    else c.i = toInt(p, len);
  }

  // The result column of field `i` (-1 when not selected).
  int columnOf(std::size_t i) const {
    if (!narrow()) return static_cast<int>(i) + 2;
    auto it = std::lower_bound(selected_.begin(), selected_.end(), static_cast<int>(i));
    return it != selected_.end() && *it == static_cast<int>(i)
               ? static_cast<int>(it - selected_.begin()) + 2
               : -1;
  }

  // Row `row` of `r` into `rec`; it becomes the current record.
  void readRow(const PGresult* r, int row, void* rec) {
    curId_ = toInt(PQgetvalue(r, row, 0), PQgetlength(r, row, 0));
    curVer_ = toInt(PQgetvalue(r, row, 1), PQgetlength(r, row, 1));
    watched_ = false;
    const auto& fs = layout_.fields();
    if (!narrow()) {
      for (std::size_t i = 0; i < fs.size(); ++i) fillField(fs[i], rec, r, row, static_cast<int>(i) + 2);
      return;
    }
    for (std::size_t j = 0; j < selected_.size(); ++j) {
      std::size_t i = static_cast<std::size_t>(selected_[j]);
      if (fill_[i]) fillField(fs[i], rec, r, row, static_cast<int>(j) + 2);
    }
  }

  // 1 when the record with this id is in the file, 0 when not, -1 on failure.
  int stillThere(std::int64_t id) {
    const std::string* name = nullptr;
    if (stmt(kExists, name)) return -1;
    params_.clear();
    params_.addInt(id);
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) {
      pgFail(route_->conn->c, r.r, false);
      return -1;
    }
    return r.rows() > 0 ? 1 : 0;
  }

  StmtSql buildSql(int id) const {
    StmtSql s;
    const std::string& t = table_.qualified;
    const auto& fs = layout_.fields();
    std::string cols = "\"_id\",\"_ver\"";
    if (narrow()) {
      cols = narrowColumns_;
    } else {
      for (const auto& f : fs) cols += "," + quoteId(f.name);
    }
    switch (id) {
      case kInsert: {
        std::string names, values;
        for (std::size_t i = 0; i < fs.size(); ++i) {
          names += (i ? "," : "") + quoteId(fs[i].name);
          values += (i ? "," : "") + s.param(oidOf(fs[i].type));
        }
        s.sql = "INSERT INTO " + t + "(" + names + ") VALUES(" + values +
                ") ON CONFLICT DO NOTHING RETURNING \"_id\"";
        return s;
      }
      case kUpdate: {
        std::string set;
        for (std::size_t i = 0; i < fs.size(); ++i)
          set += (i ? "," : "") + quoteId(fs[i].name) + "=" + s.param(oidOf(fs[i].type));
        std::string idp = s.param(kInt8Oid), verp = s.param(kInt8Oid);
        s.sql = "UPDATE " + t + " SET " + set + ",\"_ver\"=\"_ver\"+1 WHERE \"_id\"=" + idp +
                " AND \"_ver\"=" + verp + " RETURNING \"_ver\"";
        return s;
      }
      case kDelete: s.sql = "DELETE FROM " + t + " WHERE \"_id\"=" + s.param(kInt8Oid); return s;
      case kById: s.sql = "SELECT " + cols + " FROM " + t + " WHERE \"_id\"=" + s.param(kInt8Oid); return s;
      case kCount: s.sql = "SELECT count(*) FROM " + t; return s;
      case kExists: s.sql = "SELECT 1 FROM " + t + " WHERE \"_id\"=" + s.param(kInt8Oid); return s;
      default: break;
    }
    int kind = (id - kKeyed) / 100;
    int key = (id - kKeyed) % 100 - 1;
    std::string head = "SELECT " + cols + " FROM " + t;
    if (key == kPhysicalOrder) {
      switch (kind) {
        case kFirstFwd: s.sql = head + " ORDER BY \"_id\" LIMIT " + s.param(kInt8Oid); break;
        case kFirstBack: s.sql = head + " ORDER BY \"_id\" DESC LIMIT " + s.param(kInt8Oid); break;
        case kAfterFwd: {
          std::string p = s.param(kInt8Oid);
          s.sql = head + " WHERE \"_id\">" + p + " ORDER BY \"_id\" LIMIT " + s.param(kInt8Oid);
          break;
        }
        case kAfterBack: {
          std::string p = s.param(kInt8Oid);
          s.sql = head + " WHERE \"_id\"<" + p + " ORDER BY \"_id\" DESC LIMIT " + s.param(kInt8Oid);
          break;
        }
        default: break;
      }
      return s;
    }
    std::size_t k = static_cast<std::size_t>(key);
    const KeyDesc& kd = layout_.keys()[k];
    const std::string& cond = sql_.keyCond[k];
    std::string where = cond.empty() ? std::string() : " WHERE " + cond;
    std::string andCond = cond.empty() ? std::string() : cond + " AND ";
    // The key's values as parameters, each in the form the index compares.
    auto keyParams = [&](std::vector<std::string>& out) {
      out.clear();
      for (int c : kd.components) {
        FieldType ft = fs[static_cast<std::size_t>(c)].type;
        std::string p = s.param(oidOf(ft));
        out.push_back(isText(ft) ? "lower(" + p + ")" : p);
      }
    };
    auto tuple = [](const std::vector<std::string>& v) {
      std::string r;
      for (std::size_t j = 0; j < v.size(); ++j) r += (j ? "," : "") + v[j];
      return v.size() == 1 ? r : "(" + r + ")";
    };
    auto equals = [&](const std::vector<std::string>& v) {
      std::string r;
      for (std::size_t j = 0; j < v.size(); ++j)
        r += (j ? " AND " : "") + sql_.keyParts[k][j] + "=" + v[j];
      return r;
    };
    // A single value, or a row of them.
    auto row = [&](const std::vector<std::string>& v) {
      return v.size() == 1 ? v[0] : "ROW" + tuple(v);
    };
    // The key's values equal `v`, as a closed range the key's index seeks.
    auto within = [&](const std::vector<std::string>& v) {
      return row(sql_.keyParts[k]) + ">=" + row(v) + " AND " + row(sql_.keyParts[k]) + "<=" + row(v);
    };
    std::vector<std::string> ps;
    std::string keyTuple = tuple(sql_.keyParts[k]);
    // The keys compared by `op` with given values, in the key's order or
    // the reverse: one seek in the key's index.
    auto seek = [&](const char* op, bool ascending) {
      keyParams(ps);
      s.sql = head + " WHERE " + andCond + keyTuple + op + tuple(ps) + " ORDER BY " +
              (ascending ? sql_.orderAsc[k] : sql_.orderDesc[k]) + " LIMIT " + s.param(kInt8Oid);
    };
    switch (kind) {
      case kFirstFwd:
        s.sql = head + where + " ORDER BY " + sql_.orderAsc[k] + " LIMIT " + s.param(kInt8Oid);
        break;
      case kFirstBack:
        s.sql = head + where + " ORDER BY " + sql_.orderDesc[k] + " LIMIT " + s.param(kInt8Oid);
        break;
      case kAfterFwd: seek(">", true); break;
      case kAfterBack: seek("<", false); break;
      case kFromFwd: seek(">=", true); break;
      case kFromBack: seek("<=", false); break;
      case kRunFwd:
      case kRunBack: {
        keyParams(ps);
        std::string idp = s.param(kInt8Oid);
        bool fwd = kind == kRunFwd;
        // The run is bounded by ranges over the index's columns, never by an
        // equality: with the key's values fixed by "=", the primary key
        // (ordered by id) would order the run as well, and the server could
        // choose to read the whole table through it, filtering.
        std::string place;
        if (kd.unique()) {
          place = within(ps) + " AND \"_id\"" + (fwd ? ">" : "<") + idp;
        } else {
          std::vector<std::string> runCols = sql_.keyParts[k], vals = ps;
          runCols.push_back("\"_id\"");
          vals.push_back(idp);
          place = "ROW" + tuple(runCols) + (fwd ? ">" : "<") + "ROW" + tuple(vals) + " AND " +
                  row(sql_.keyParts[k]) + (fwd ? "<=" : ">=") + row(ps);
        }
        s.sql = head + " WHERE " + andCond + place + " ORDER BY " +
                (fwd ? sql_.orderAsc[k] : sql_.orderDesc[k]) + " LIMIT " + s.param(kInt8Oid);
        break;
      }
      case kGet:
        keyParams(ps);
        s.sql = head + " WHERE " + andCond + within(ps) +
                (kd.unique() ? std::string() : " ORDER BY " + sql_.orderAsc[k]) + " LIMIT 1";
        break;
      case kDup: {
        keyParams(ps);
        std::string idp = s.param(kInt8Oid);
        s.sql = "SELECT \"_id\" FROM " + t + " WHERE " + andCond + equals(ps) + " AND \"_id\"<>" +
                idp + " LIMIT 1";
        break;
      }
      default: break;
    }
    return s;
  }

  static bool readsRecord(int id) {
    if (id == kById) return true;
    if (id < kKeyed) return false;
    return (id - kKeyed) / 100 != kDup;
  }

  // The prepared statement `id` on the file's current connection.
  int stmt(int id, const std::string*& name) {
    Route& r = *route_;
    if (int rc = r.conn->ensure()) return rc;
    if (r.epoch != r.conn->epoch) {
      r.names.clear();
      r.epoch = r.conn->epoch;
    }
    const int waitSeconds = options_.waitSeconds > 0 ? options_.waitSeconds : kDefaultWaitSeconds;
    if (!inBlock() && r.conn->waitSeconds != waitSeconds) {
      // Files sharing the connection may wait for locks differently.
      if (int rc = r.conn->run("SET lock_timeout = '" + std::to_string(waitSeconds) + "s'", false))
        return rc;
      r.conn->waitSeconds = waitSeconds;
    }
    int slot = narrow() && readsRecord(id) ? id + kNarrow : id;
    auto it = r.names.find(slot);
    if (it != r.names.end()) {
      name = it->second;
      return ecode::kNone;
    }
    StmtSql s = buildSql(id);
    if (int rc = r.conn->prepare(s.sql, s.types, name)) return rc;
    r.names.emplace(slot, name);
    return ecode::kNone;
  }

  // Whether the page read ahead is still the table as it stands: no change
  // by this process, nor one another process told of, since it was read.
  bool pageCurrent() {
    // In a transaction or an exclusive open this station holds the table:
    // nobody else can change it.
    if (tx_ || exclusive_) return true;
    if (table_.local->load(std::memory_order_relaxed) != page_.localGen) return false;
    PgConn& c = *own_.conn;
    auto now = std::chrono::steady_clock::now();
    if (now - c.lastPoll >= kPollEvery) {
      c.lastPoll = now;
      c.poll();
    }
    return *remoteGen_ == page_.remoteGen && c.epoch == page_.epoch;
  }

  int step(void* rec, bool forward) {
    bool more = page_.valid && page_.forward == forward && page_.pos < page_.rows;
    if (more && !pageCurrent()) more = false;
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
    int part = 0;
    int row = static_cast<int>(page_.pos);
    if (row >= page_.partRows[0]) {
      part = 1;
      row -= page_.partRows[0];
    }
    const PGresult* r = page_.parts[part].r;
    readRow(r, row, rec);
    cur_.anchor = Anchor::On;
    cur_.id = curId_;
    if (cur_.order >= 0) {
      const KeyDesc& k = layout_.keys()[static_cast<std::size_t>(cur_.order)];
      cur_.vals.resize(k.components.size());
      for (std::size_t j = 0; j < k.components.size(); ++j) {
        std::size_t fi = static_cast<std::size_t>(k.components[j]);
        readCell(layout_.fields()[fi].type, r, row, columnOf(fi), cur_.vals[j]);
      }
    }
    ++page_.pos;
    return ok();
  }

  int fetchPage(bool forward) {
    bool growing = page_.valid && page_.forward == forward;
    int limit = growing ? std::min(page_.size * 4, kMaxPage)
                        : store::firstPageRows(options_.wanted, kFirstPage, kMaxPage);
    dropPage();
    page_.rows = 0;
    page_.pos = 0;
    page_.partRows[0] = page_.partRows[1] = 0;
    if (int rc = route_->conn->ensure()) return rc;
    if (!tx_ && !exclusive_) {
      // What was told before the page is read is older than the page.
      own_.conn->poll();
      own_.conn->lastPoll = std::chrono::steady_clock::now();
      page_.remoteGen = *remoteGen_;
      page_.localGen = table_.local->load(std::memory_order_relaxed);
      page_.epoch = own_.conn->epoch;
    }
    if (int rc = fetchRows(forward, limit)) {
      dropPage();
      return rc;
    }
    page_.valid = true;
    page_.forward = forward;
    page_.size = limit;
    return ecode::kNone;
  }

  // Runs one page query into part `part` of the page.
  int readPart(int id, int part) {
    const std::string* name = nullptr;
    if (int rc = stmt(id, name)) return rc;
    Result r = route_->conn->execPrepared(*name, params_.n, params_.values());
    if (r.status() != PGRES_TUPLES_OK) return pgFail(route_->conn->c, r.r, false);
    page_.partRows[part] = r.rows();
    page_.rows += static_cast<std::size_t>(r.rows());
    page_.parts[part] = std::move(r);
    return ecode::kNone;
  }

  int fetchRows(bool forward, int limit) {
    int key = cur_.order;
    params_.clear();
    if (cur_.anchor == Anchor::Start || key < 0) {
      bool fromStart = cur_.anchor == Anchor::Start;
      int kind = fromStart ? (forward ? kFirstFwd : kFirstBack) : (forward ? kAfterFwd : kAfterBack);
      if (!fromStart) params_.addInt(cur_.id);
      params_.addInt(limit);
      return readPart(keyedId(kind, key), 0);
    }
    bindKey(key, cur_.vals);
    if (cur_.anchor == Anchor::At) {
      // From given values: their run and what follows it, in one seek.
      params_.addInt(limit);
      return readPart(keyedId(forward ? kFromFwd : kFromBack, key), 0);
    }
    params_.addInt(cur_.id);
    params_.addInt(limit);
    if (int rc = readPart(keyedId(forward ? kRunFwd : kRunBack, key), 0)) return rc;
    if (page_.rows >= static_cast<std::size_t>(limit)) return ecode::kNone;
    params_.clear();
    bindKey(key, cur_.vals);
    params_.addInt(limit - static_cast<std::int64_t>(page_.rows));
    return readPart(keyedId(forward ? kAfterFwd : kAfterBack, key), 1);
  }

  bool narrow() const { return !selected_.empty(); }

  TableRef table_;
  TableSql sql_;
  OpenMode mode_;
  bool exclusive_;
  std::string owner_;  // the copy a backup makes carries the file's owner
  Route own_, txRoute_;
  Route* route_;
  bool tx_ = false;
  bool written_ = false;
  store::FileOptions options_;
  Page page_;
  Params params_;
  std::uint64_t* remoteGen_ = nullptr;  // the connection's count of notifications for the table
  std::vector<int> selected_;
  std::vector<bool> fill_;
  std::string narrowColumns_;
};

void PgTransaction::end() {
  for (auto* f : files_) f->routeBack();
  active_ = false;
  conn_->holdsTransaction = false;
  pool_->giveBack(std::move(conn_));
}

int PgTransaction::commit() {
  if (!active_) return fail(ecode::kNotSupported, "no transaction to commit");
  Result r = conn_->exec("COMMIT");
  // A transaction spoilt by a failed statement answers COMMIT with ROLLBACK.
  bool done = r.status() == PGRES_COMMAND_OK && std::strcmp(PQcmdStatus(r.r), "COMMIT") == 0;
  if (!done) {
    if (r.status() == PGRES_COMMAND_OK) fail(ecode::kDriverError, "the transaction was rolled back");
    else pgFail(conn_->c, r.r, true);
    EngineStatus keep = engineStatus();
    rollback();
    setEngineStatus(keep);
    return keep.code;
  }
  for (auto* f : files_) f->noteChanged();
  end();
  return ok();
}

int PgTransaction::rollback() {
  if (!active_) return ok();
  conn_->owed.clear();  // the rollback takes back whatever they were for
  int rc = conn_->c && PQstatus(conn_->c) == CONNECTION_OK ? conn_->run("ROLLBACK", true) : 0;
  end();
  return rc ? rc : ok();
}

// Every row is read whole (each column decoded), and each key's index is
// counted against the table.
int PgFile::checkIntegrity(std::string& verdict) {
  verdict.clear();
  dropPage();
  if (int rc = route_->conn->ensure()) return rc;
  PgConn& c = *route_->conn;
  Result whole = c.exec("SELECT count(*), coalesce(sum(length(t::text)),0) FROM " + table_.qualified + " t");
  if (whole.status() != PGRES_TUPLES_OK) return pgFail(c.c, whole.r, false);
  std::string problems;
  const auto& keys = layout_.keys();
  bool block = inBlock();
  if (!block) {
    if (int rc = c.run("BEGIN", false)) return rc;
  }
  c.run("SET LOCAL enable_seqscan = off; SET LOCAL enable_bitmapscan = off", false);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& cond = sql_.keyCond[i];
    // The table's own count of what the key holds, and the index's.
    Result want = c.exec("SELECT count(*) FROM (SELECT \"_id\" FROM " + table_.qualified +
                         (cond.empty() ? "" : " WHERE " + cond) + " ORDER BY \"_id\") a");
    Result have = c.exec("SELECT count(*) FROM (SELECT 1 FROM " + table_.qualified +
                         (cond.empty() ? "" : " WHERE " + cond) + " ORDER BY " + sql_.orderAsc[i] +
                         ") a");
    if (want.status() != PGRES_TUPLES_OK || have.status() != PGRES_TUPLES_OK) {
      const PGresult* bad = want.status() != PGRES_TUPLES_OK ? want.r : have.r;
      if (std::string(PQresultErrorField(bad, PG_DIAG_SQLSTATE) ? PQresultErrorField(bad, PG_DIAG_SQLSTATE) : "") == "XX002") {
        problems += (problems.empty() ? "" : "; ") + std::string("key ") + keys[i].name + " is damaged";
        break;
      }
      int rc = pgFail(c.c, bad, false);
      if (!block) {
        EngineStatus keep = engineStatus();
        c.run("ROLLBACK", false);
        setEngineStatus(keep);
      }
      return rc;
    }
    if (std::strcmp(want.at(0, 0), have.at(0, 0)) != 0)
      problems += (problems.empty() ? "" : "; ") + std::string("key ") + keys[i].name + " holds " +
                  have.at(0, 0) + " of " + want.at(0, 0) + " records";
  }
  if (block) c.run("RESET enable_seqscan; RESET enable_bitmapscan", false);
  else c.run("ROLLBACK", false);
  if (!problems.empty()) {
    verdict = problems;
    return fail(ecode::kInvalidFile, verdict);
  }
  verdict = "ok";
  return ok();
}

std::string hostName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return {};
  std::string h(buf);
  for (char& c : h)
    if (c == '/' || c == '@') c = '_';
  return h;
}

// The table is copied in one snapshot (other stations go on writing) into a
// record file of the embedded engine, built under a private name beside
// `target`, counted, and only then renamed into place.
int PgFile::backupTo(const std::string& target) {
  if (tx_) return fail(ecode::kNotSupported, "a file inside a transaction cannot be copied");
  dropPage();
  if (int rc = own_.conn->ensure()) return rc;
  PgConn& c = *own_.conn;
  const std::string tmp = target + ".new" + std::to_string(::getpid()) + "-" +
                          std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) +
                          "@" + hostName();
  removeDeadCopiesOf(target);
  std::error_code ec;
  std::filesystem::remove(tmp, ec);
  auto copy = makeSqliteEngine();
  if (int rc = copy->create(layout_, tmp, owner_)) return rc;
  std::unique_ptr<EngineFile> dst;
  std::unique_ptr<Transaction> tx;
  auto discard = [&](int code) {
    EngineStatus keep = engineStatus();
    tx.reset();
    dst.reset();
    if (!exclusive_ && PQtransactionStatus(c.c) != PQTRANS_IDLE) c.run("ROLLBACK", false);
    std::error_code e;
    std::filesystem::remove(tmp, e);
    std::filesystem::remove(tmp + "-journal", e);
    setEngineStatus(keep);
    return code;
  };
  if (int rc = copy->open(layout_, tmp, OpenMode{}, owner_, dst)) return discard(rc);
  if (int rc = copy->begin({dst.get()}, kDefaultWaitSeconds, tx)) return discard(rc);
  if (!exclusive_) {
    if (int rc = c.run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", false)) return discard(rc);
  }
  StmtSql s;
  std::string cols = "\"_id\"";
  for (const auto& f : layout_.fields()) cols += "," + quoteId(f.name);
  const std::string sql = "SELECT " + cols + " FROM " + table_.qualified +
                          " WHERE \"_id\">$1 ORDER BY \"_id\" LIMIT 4096";
  RecordBuffer rec(layout_);
  std::int64_t last = 0, copied = 0;
  const auto& fs = layout_.fields();
  for (;;) {
    std::string from = std::to_string(last);
    const char* v[1] = {from.c_str()};
    Result r = c.execParams(sql, 1, v);
    if (r.status() != PGRES_TUPLES_OK) return discard(pgFail(c.c, r.r, false));
    if (r.rows() == 0) break;
    for (int row = 0; row < r.rows(); ++row) {
      for (std::size_t i = 0; i < fs.size(); ++i)
        fillField(fs[i], rec.get(), r.r, row, static_cast<int>(i) + 1);
      if (int rc = dst->add(rec.get())) return discard(rc);
      ++copied;
    }
    last = std::atoll(r.at(r.rows() - 1, 0));
  }
  if (!exclusive_) c.run("COMMIT", false);
  if (int rc = tx->commit()) return discard(rc);
  std::int64_t count = 0;
  if (int rc = dst->records(count)) return discard(rc);
  if (count != copied)
    return discard(fail(ecode::kDriverError, "the copy holds " + std::to_string(count) + " of " +
                                                 std::to_string(copied) + " records"));
  tx.reset();
  dst.reset();
  std::filesystem::rename(tmp, target, ec);
  if (ec) return discard(fail(ecode::kDriverError, target + ": " + ec.message()));
  return ok();
}

class PostgresEngine : public Engine {
 public:
  explicit PostgresEngine(PgSettings s) : settings_(std::move(s)) {
    pool_ = std::make_shared<ConnPool>();
    pool_->conninfo = settings_.connection;
  }
  std::string name() const override { return "PostgreSQL"; }

  int open(const Layout& layout, const std::string& path, OpenMode mode, std::string_view owner,
           std::unique_ptr<EngineFile>& out) override {
    if (mode.share == Share::DenyWrite)
      return fail(ecode::kNotSupported, "files are opened shared (deny none) or exclusively");
    if (mode.share == Share::DenyAll && !mode.writes())
      return fail(ecode::kNotSupported, "an exclusive open is for reading and writing");
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->plain(conn)) return rc;
    const std::string table = tableOf(path);
    bool exclusive = mode.share == Share::DenyAll;
    if (int rc = exclusive ? checkTable(*conn, layout, table, owner, mode.writes())
                           : checkAndRead(*conn, layout, table, owner, mode.writes()))
      return rc;
    if (exclusive) {
      // A connection of its own holds the table until the file is closed.
      conn = std::make_shared<PgConn>(settings_.connection);
      if (int rc = conn->ensure()) return rc;
      int rc = conn->run("BEGIN; LOCK TABLE " + quoteId(settings_.schema) + "." + quoteId(table) +
                             " IN ACCESS EXCLUSIVE MODE",
                         true);
      if (rc) return rc;
      conn->holdsTransaction = true;
    } else if (int rc = conn->listen(TableRef(settings_.connection, settings_.schema, table).channel)) {
      return rc;
    }
    out = std::make_unique<PgFile>(layout, conn, settings_.connection, settings_.schema, table,
                                   mode, exclusive, owner);
    return ok();
  }

  int create(const Layout& layout, const std::string& path, std::string_view owner) override {
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->plain(conn)) return rc;
    const TableRef t(settings_.connection, settings_.schema, tableOf(path));
    const std::string s = quoteId(settings_.schema);
    // Under the office's advisory lock, so that two stations creating the
    // same file (or the schema) at once make it once.
    std::string sql = "BEGIN; SELECT pg_advisory_xact_lock(hashtext(" + literal("velmora:" + settings_.schema) +
                      ")); CREATE SCHEMA IF NOT EXISTS " + s + "; CREATE TABLE IF NOT EXISTS " + s +
                      "." + kMetaTable +
                      "(name text PRIMARY KEY, label text NOT NULL, layout text NOT NULL, owner text NOT NULL);"
                      "CREATE OR REPLACE FUNCTION " + s + "._velmora_changed() RETURNS trigger "
                      "LANGUAGE plpgsql AS $f$BEGIN PERFORM pg_notify(TG_ARGV[0], ''); RETURN NULL; END$f$;";
    if (int rc = conn->run(sql, true)) return abandon(*conn, rc);
    bool there = false;
    if (int rc = tableThere(*conn, t.name, there)) return abandon(*conn, rc);
    if (!there) {
      TableSql ts(layout, t);
      sql = ts.createTable + ";";
      for (const auto& idx : ts.createIndex) sql += idx + ";";
      sql += "CREATE TRIGGER _velmora_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON " +
             t.qualified + " FOR EACH STATEMENT EXECUTE FUNCTION " + s + "._velmora_changed(" +
             literal(t.channel) + ");";
      sql += "INSERT INTO " + s + "." + kMetaTable + "(name, label, layout, owner) VALUES(" +
             literal(t.name) + "," + literal(layout.label()) + "," + literal(layout.signature()) +
             "," + literal(ownerHash(owner)) + ") ON CONFLICT (name) DO UPDATE SET label=EXCLUDED.label, "
             "layout=EXCLUDED.layout, owner=EXCLUDED.owner;";
      if (int rc = conn->run(sql, true)) return abandon(*conn, rc);
    }
    if (int rc = conn->run("COMMIT", true)) return abandon(*conn, rc);
    return ok();
  }

  int remove(const std::string& path) override {
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->plain(conn)) return rc;
    const std::string table = tableOf(path);
    bool there = false;
    if (int rc = tableThere(*conn, table, there)) return rc;
    if (!there) return fail(ecode::kFileNotFound, path);
    const std::string s = quoteId(settings_.schema);
    std::string sql = "BEGIN; SELECT pg_advisory_xact_lock(hashtext(" + literal("velmora:" + settings_.schema) +
                      ")); DROP TABLE IF EXISTS " + s + "." + quoteId(table) + "; DELETE FROM " + s +
                      "." + kMetaTable + " WHERE name=" + literal(table) + "; COMMIT";
    if (int rc = conn->run(sql, true)) return abandon(*conn, rc);
    TableRef(settings_.connection, settings_.schema, table).local->fetch_add(1);
    return ok();
  }

  int exists(const std::string& path, bool& there) override {
    there = false;
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->plain(conn)) return rc;
    if (int rc = tableThere(*conn, tableOf(path), there)) return rc;
    return ok();
  }

  int repairKeys(const Layout& layout, const std::string& path, std::string_view owner) override {
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->plain(conn)) return rc;
    const std::string table = tableOf(path);
    int code = checkTable(*conn, layout, table, owner, true);
    if (code != ecode::kNone && code != ecode::kInvalidKeys) return code;
    PgFile file(layout, conn, settings_.connection, settings_.schema, table, OpenMode{}, false, owner);
    return file.buildKeys(true);
  }

  int begin(const std::vector<EngineFile*>& files, int timeoutSeconds,
            std::unique_ptr<Transaction>& out) override {
    if (files.empty()) return fail(ecode::kNotSupported, "a transaction needs a file");
    std::vector<PgFile*> fs;
    for (EngineFile* f : files) {
      auto* pf = dynamic_cast<PgFile*>(f);
      if (!pf) return fail(ecode::kNotSupported, "not a file of this engine");
      if (pf->inTransaction()) return fail(ecode::kNotSupported, "file already in a transaction");
      if (pf->exclusive())
        return fail(ecode::kNotSupported, "a file opened exclusively keeps its changes when closed");
      if (!pf->mode().writes()) return fail(ecode::kAccessDenied, pf->layout().label());
      if (std::find(fs.begin(), fs.end(), pf) == fs.end()) fs.push_back(pf);
    }
    // Tables are always locked in the same order, so two stations wait on
    // each other rather than deadlock.
    std::vector<std::string> tables;
    for (auto* f : fs) tables.push_back(f->table().qualified);
    std::sort(tables.begin(), tables.end());
    tables.erase(std::unique(tables.begin(), tables.end()), tables.end());
    std::string list;
    for (const auto& t : tables) list += (list.empty() ? "" : ",") + t;
    std::shared_ptr<PgConn> conn;
    if (int rc = pool_->take(conn)) return rc;
    // Other stations' writers wait; their readers go on.
    std::string sql = "BEGIN; ";
    if (timeoutSeconds > 0)
      sql += "SET LOCAL lock_timeout = '" + std::to_string(timeoutSeconds) + "s'; LOCK TABLE " +
             list + " IN EXCLUSIVE MODE;";
    else
      sql += "LOCK TABLE " + list + " IN EXCLUSIVE MODE NOWAIT;";
    sql += "SET LOCAL lock_timeout = '" + std::to_string(kDefaultWaitSeconds) + "s'";
    if (int rc = conn->run(sql, true)) {
      EngineStatus keep = engineStatus();
      conn->run("ROLLBACK", true);
      setEngineStatus(keep);
      return rc;
    }
    conn->holdsTransaction = true;
    for (auto* f : fs) f->routeTo(conn);
    out = std::make_unique<PgTransaction>(pool_, conn, fs);
    return ok();
  }

 private:
  static std::string literal(std::string_view v) {
    std::string s = "'";
    for (char c : v) {
      if (c == '\'') s += '\'';
      s += c;
    }
    return s + "'";
  }

  static int abandon(PgConn& c, int code) {
    EngineStatus keep = engineStatus();
    if (c.c && PQtransactionStatus(c.c) != PQTRANS_IDLE) c.run("ROLLBACK", true);
    setEngineStatus(keep);
    return code;
  }

  int tableThere(PgConn& c, const std::string& table, bool& there) {
    const char* v[2] = {settings_.schema.c_str(), table.c_str()};
    Result r = c.execParams(
        "SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid=c.relnamespace "
        "WHERE n.nspname=$1 AND c.relname=$2 AND c.relkind IN ('r','p')",
        2, v);
    if (r.status() != PGRES_TUPLES_OK) return pgFail(c.c, r.r, false);
    there = r.rows() > 0;
    return ecode::kNone;
  }

  // What opening a shared file asks, in one round trip: the table's
  // privileges, layout, owner and key indexes, and a read of the table,
  // which waits out another station's exclusive hold (a lock time-out on
  // opening). A schema without the record files' meta table is told by
  // the step-by-step checks.
  int checkAndRead(PgConn& c, const Layout& layout, const std::string& table, std::string_view owner,
                   bool writes) {
    const std::string schema = quoteId(settings_.schema);
    const std::string check =
        "SELECT has_table_privilege(c.oid, 'INSERT') AND has_table_privilege(c.oid, 'UPDATE') "
        "AND has_table_privilege(c.oid, 'DELETE'), has_table_privilege(c.oid, 'SELECT'), m.layout, "
        "m.owner, (SELECT string_agg(i.relname::text, E'\\n') FROM pg_index x JOIN pg_class i ON "
        "i.oid=x.indexrelid WHERE x.indrelid=c.oid) FROM pg_class c JOIN pg_namespace n ON "
        "n.oid=c.relnamespace LEFT JOIN " + schema + "." + kMetaTable + " m ON m.name=$2 "
        "WHERE n.nspname=$1 AND c.relname=$2 AND c.relkind IN ('r','p')";
    const std::string read = "SELECT 1 FROM " + schema + "." + quoteId(table) + " LIMIT 0";
    const char* v[2] = {settings_.schema.c_str(), table.c_str()};
    // Both are kept prepared on the connection: a list opens its file each
    // time it is shown, and planning the catalogue query costs more than
    // running it. A statement that cannot be prepared (no meta table, no
    // table) is told by the step-by-step checks.
    const std::string *checkName = nullptr, *readName = nullptr;
    std::vector<Result> rs;
    if (c.prepare(check, {kTextOid, kTextOid}, checkName) == ecode::kNone &&
        c.prepare(read, {}, readName) == ecode::kNone) {
      rs = c.pipeline(2, [&](PGconn* pc) {
        PQsendQueryPrepared(pc, checkName->c_str(), 2, v, nullptr, nullptr, 0);
        PQsendQueryPrepared(pc, readName->c_str(), 0, nullptr, nullptr, nullptr, 0);
      });
      if (rs.size() != 2) return pgFail(c.c, rs.empty() ? nullptr : rs[0].r, false);
    } else {
      rs.resize(2);
    }
    const Result& r = rs[0];
    if (r.status() != PGRES_TUPLES_OK) {
      // No meta table, or another failure: the step-by-step checks tell which.
      if (int rc = checkTable(c, layout, table, owner, writes)) return rc;
      if (int rc = c.run(read, true)) return rc;
      return ok();
    }
    if (r.rows() == 0) return fail(ecode::kFileNotFound, table);
    if (r.at(0, 1)[0] != 't' || (writes && r.at(0, 0)[0] != 't'))
      return fail(ecode::kAccessDenied, table);
    if (PQgetisnull(r.r, 0, 2)) return fail(ecode::kInvalidFile, "not a record file");
    if (ownerHash(owner) != r.at(0, 3)) return fail(ecode::kBadOwner);
    if (layout.signature() != r.at(0, 2))
      return fail(ecode::kInvalidLayout, "the file holds another record layout");
    const std::string indexes = std::string("\n") + r.at(0, 4) + "\n";
    TableRef t(settings_.connection, settings_.schema, table);
    for (const auto& k : layout.keys())
      if (indexes.find("\n" + t.indexName(k) + "\n") == std::string::npos)
        return fail(ecode::kInvalidKeys, "key " + k.name + " is missing");
    if (!rs[1].fine()) return pgFail(c.c, rs[1].r, true);
    return ok();
  }

  // The table is there, of this owner and layout, with every key's index.
  int checkTable(PgConn& c, const Layout& layout, const std::string& table, std::string_view owner,
                 bool writes) {
    const char* v[2] = {settings_.schema.c_str(), table.c_str()};
    Result r = c.execParams(
        "SELECT has_table_privilege(c.oid, 'INSERT') AND has_table_privilege(c.oid, 'UPDATE') "
        "AND has_table_privilege(c.oid, 'DELETE'), has_table_privilege(c.oid, 'SELECT'), "
        "to_regclass(quote_ident($1) || '." + std::string(kMetaTable) + "') IS NOT NULL "
        "FROM pg_class c JOIN pg_namespace n ON n.oid=c.relnamespace "
        "WHERE n.nspname=$1 AND c.relname=$2 AND c.relkind IN ('r','p')",
        2, v);
    if (r.status() != PGRES_TUPLES_OK) return pgFail(c.c, r.r, false);
    if (r.rows() == 0) return fail(ecode::kFileNotFound, table);
    if (r.at(0, 1)[0] != 't' || (writes && r.at(0, 0)[0] != 't'))
      return fail(ecode::kAccessDenied, table);
    if (r.at(0, 2)[0] != 't') return fail(ecode::kInvalidFile, "not a record file");
    Result m = c.execParams("SELECT layout, owner FROM " + quoteId(settings_.schema) + "." +
                                kMetaTable + " WHERE name=$1",
                            1, v + 1);
    if (m.status() != PGRES_TUPLES_OK) return pgFail(c.c, m.r, false);
    if (m.rows() == 0) return fail(ecode::kInvalidFile, "not a record file");
    if (ownerHash(owner) != m.at(0, 1)) return fail(ecode::kBadOwner);
    if (layout.signature() != m.at(0, 0))
      return fail(ecode::kInvalidLayout, "the file holds another record layout");
    Result ix = c.execParams("SELECT indexname FROM pg_indexes WHERE schemaname=$1 AND tablename=$2",
                             2, v);
    if (ix.status() != PGRES_TUPLES_OK) return pgFail(c.c, ix.r, false);
    TableRef t(settings_.connection, settings_.schema, table);
    for (const auto& k : layout.keys()) {
      bool found = false;
      for (int i = 0; i < ix.rows() && !found; ++i) found = t.indexName(k) == ix.at(i, 0);
      if (!found) return fail(ecode::kInvalidKeys, "key " + k.name + " is missing");
    }
    return ok();
  }

  PgSettings settings_;
  std::shared_ptr<ConnPool> pool_;
};

}  // namespace

std::unique_ptr<Engine> makePostgresEngine(PgSettings settings) {
  return std::make_unique<PostgresEngine>(std::move(settings));
}

std::vector<std::string> postgresReadPlans(EngineFile& file, int key, bool generic) {
  auto* f = dynamic_cast<PgFile*>(&file);
  return f ? f->readPlans(key, generic) : std::vector<std::string>{};
}

}  // namespace vel
