// A connection to the office's PostgreSQL server as the record engine uses
// it: statements prepared once, the notifications of changed tables counted,
// a lost connection made again; and the connections of one station.
#pragma once

#include <libpq-fe.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "recordstore/Engine.h"
#include "recordstore/EngineValues.h"

namespace vel::pg {

using store::quoteId;

constexpr int kDefaultWaitSeconds = 5;  // how long a plain read or write waits for a lock

std::string trimmed(const char* msg);
// Maps a failed statement to an engine code, keeping PostgreSQL's own words
// as the driver's text. `writing` tells a lock time-out on a write from a
// record held while reading.
int pgFail(PGconn* c, const PGresult* r, bool writing);
// The process's own count of committed changes to one table (by connection
// and channel), so that a walk sees another station of this process at
// once, without waiting for the server's notification.
std::atomic<std::uint64_t>* localChanges(const std::string& key);

// Frees a result when it goes out of scope.
struct Result {
  PGresult* r = nullptr;
  Result() = default;
  explicit Result(PGresult* p) : r(p) {}
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  Result(Result&& o) noexcept : r(o.r) { o.r = nullptr; }
  Result& operator=(Result&& o) noexcept {
    if (this != &o) {
      PQclear(r);
      r = o.r;
      o.r = nullptr;
    }
    return *this;
  }
  ~Result() { PQclear(r); }
  ExecStatusType status() const { return r ? PQresultStatus(r) : PGRES_FATAL_ERROR; }
  bool fine() const { return status() == PGRES_COMMAND_OK || status() == PGRES_TUPLES_OK; }
  int rows() const { return r ? PQntuples(r) : 0; }
  const char* at(int row, int col) const { return PQgetvalue(r, row, col); }
  int length(int row, int col) const { return PQgetlength(r, row, col); }
};

inline std::int64_t toInt(const char* p, int len) {
  std::int64_t v = 0;
  std::from_chars(p, p + len, v);
  return v;
}

inline double toReal(const char* p, int len) {
  double v = 0;
  std::from_chars(p, p + len, v);
  return v;
}

// One libpq connection and what was set up on it.
struct PgConn {
  PGconn* c = nullptr;
  std::string conninfo;
  unsigned epoch = 0;  // moves on with each reconnection: prepared statements are gone then
  int nextName = 0;
  std::unordered_map<std::string, std::string> prepared;  // SQL -> statement name
  std::unordered_map<std::string, std::uint64_t> notified;  // channel -> notifications seen
  std::unordered_set<std::string> listening;
  std::chrono::steady_clock::time_point lastPoll{};
  int waitSeconds = kDefaultWaitSeconds;  // the connection's lock_timeout
  // Statements owed before the next one is sent. Taking or letting go of a
  // savepoint answers at once and travels with the next statement, so a
  // batch's members do not each pay two round trips for their savepoints.
  std::vector<std::string> owed;
  // The connection holds a transaction (or an exclusive file's hold). Its
  // work dies with it: when it is lost, every statement fails until the
  // transaction ends, and none is run on a new connection outside it.
  bool holdsTransaction = false;

  explicit PgConn(std::string info) : conninfo(std::move(info)) {}
  ~PgConn() {
    if (c) PQfinish(c);
  }
  PgConn(const PgConn&) = delete;
  PgConn& operator=(const PgConn&) = delete;

  static void quiet(void*, const char*) {}

  // Connects, or reconnects a connection the server lost (never one that
  // held a transaction: that one fails).
  int ensure() {
    if (c && PQstatus(c) == CONNECTION_OK) return ecode::kNone;
    if (c && holdsTransaction) return pgFail(c, nullptr, true);
    if (!c) {
      c = PQconnectdb(conninfo.c_str());
    } else {
      PQreset(c);
    }
    owed.clear();  // whatever they belonged to ended with the connection
    if (!c || PQstatus(c) != CONNECTION_OK) return pgFail(c, nullptr, false);
    PQsetNoticeProcessor(c, &PgConn::quiet, nullptr);
    ++epoch;
    prepared.clear();
    waitSeconds = kDefaultWaitSeconds;
    // Notifications may have been missed while the connection was lost.
    for (auto& [ch, n] : notified) ++n;
    Result r(PQexec(c, ("SET lock_timeout = '" + std::to_string(kDefaultWaitSeconds) +
                        "s'; SET client_encoding = 'UTF8'; SET application_name = 'velmora';"
                        // Every read the engine makes is ordered as one of the
                        // table's indexes: a page is read from it, never
                        // gathered and sorted, whatever the table's statistics.
                        "SET enable_sort = off; SET enable_bitmapscan = off")
                           .c_str()));
    if (!r.fine()) return pgFail(c, r.r, false);
    std::unordered_set<std::string> again;
    again.swap(listening);
    for (const auto& ch : again)
      if (int rc = listen(ch)) return rc;
    return ecode::kNone;
  }

  void drain() {
    while (PGnotify* n = PQnotifies(c)) {
      auto it = notified.find(n->relname);
      if (it != notified.end()) ++it->second;
      PQfreemem(n);
    }
  }
  void poll() {
    if (PQconsumeInput(c)) drain();
  }

  // Runs `sql` (one or more statements) after those owed, in one round
  // trip; the result of the last statement, or of the first that failed.
  Result exec(const std::string& sql) {
    Result r(PQexec(c, owed.empty() ? sql.c_str() : withOwed(sql).c_str()));
    drain();
    return r;
  }
  // Runs statements that return no rows; 0 or the mapped failure.
  int run(const std::string& sql, bool writing) {
    Result r = exec(sql);
    if (!r.fine()) return pgFail(c, r.r, writing);
    return ecode::kNone;
  }
  Result execParams(const std::string& sql, int n, const char* const* vals) {
    if (!owed.empty()) return only(pipeline(1, [&](PGconn* pc) {
      PQsendQueryParams(pc, sql.c_str(), n, nullptr, vals, nullptr, nullptr, 0);
    }));
    Result r(PQexecParams(c, sql.c_str(), n, nullptr, vals, nullptr, nullptr, 0));
    drain();
    return r;
  }

  // The statement's name on this connection, preparing it the first time.
  int prepare(const std::string& sql, const std::vector<Oid>& types, const std::string*& name) {
    auto it = prepared.find(sql);
    if (it == prepared.end()) {
      if (int rc = payOwed()) return rc;
      std::string n = "v" + std::to_string(++nextName);
      Result r(PQprepare(c, n.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data()));
      if (!r.fine()) return pgFail(c, r.r, false);
      it = prepared.emplace(sql, std::move(n)).first;
    }
    name = &it->second;
    return ecode::kNone;
  }
  Result execPrepared(const std::string& name, int n, const char* const* vals) {
    if (!owed.empty()) return only(pipeline(1, [&](PGconn* pc) {
      PQsendQueryPrepared(pc, name.c_str(), n, vals, nullptr, nullptr, 0);
    }));
    Result r(PQexecPrepared(c, name.c_str(), n, vals, nullptr, nullptr, 0));
    drain();
    return r;
  }

  // Sends the statements owed, then the `count` statements `queue` sends,
  // in one round trip (one pipeline ended by one sync), and gives back the
  // result of each queued statement in turn. When an owed statement failed,
  // the queued ones were skipped and its failure is the one result. Empty
  // when the connection cannot take a pipeline (it is down).
  std::vector<Result> pipeline(int count, const std::function<void(PGconn*)>& queue);
  // Sends the statements owed on their own, before a statement that cannot
  // carry them; 0 or the mapped failure.
  int payOwed();

  static Result only(std::vector<Result> rs) {
    return rs.empty() ? Result() : std::move(rs.front());
  }
  std::string withOwed(const std::string& sql) {
    std::string all;
    for (const auto& o : owed) all += o + "; ";
    owed.clear();
    return all + sql;
  }

  int listen(const std::string& channel) {
    notified.try_emplace(channel, 0);
    if (listening.count(channel)) return ecode::kNone;
    if (int rc = run("LISTEN " + quoteId(channel), false)) return rc;
    listening.insert(channel);
    return ecode::kNone;
  }
};

// The connections of one engine (one station): per thread, the autocommit
// connection and the transaction connections not in use. A thread's
// connections are let go when the thread ends (files it still has open keep
// theirs), so a station running work on passing threads does not gather
// connections on the server.
struct ConnPool : std::enable_shared_from_this<ConnPool> {
  std::string conninfo;
  std::mutex mu;
  struct PerThread {
    std::shared_ptr<PgConn> plain;
    std::vector<std::shared_ptr<PgConn>> idle;
  };
  std::unordered_map<std::thread::id, PerThread> threads;

  int plain(std::shared_ptr<PgConn>& out);
  int take(std::shared_ptr<PgConn>& out);
  void giveBack(std::shared_ptr<PgConn> c);
  void forget(std::thread::id thread);

 private:
  PerThread& mine();  // under `mu`
};

}  // namespace vel::pg
