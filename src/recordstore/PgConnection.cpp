#include "recordstore/PgConnection.h"

#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"

namespace vel::pg {

std::string trimmed(const char* msg) {
  std::string s = msg ? msg : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

int pgFail(PGconn* c, const PGresult* r, bool writing) {
  const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
  std::string msg = r ? trimmed(PQresultErrorMessage(r)) : std::string();
  if (msg.empty()) msg = trimmed(c ? PQerrorMessage(c) : "no connection");
  if (msg.empty()) msg = "the server gave no answer";
  int code = ecode::kDriverError;
  std::string st = state ? state : "";
  if (!st.empty() && (!c || PQstatus(c) == CONNECTION_OK)) {
    if (st == "42501") code = ecode::kAccessDenied;
    else if (st == "23505") code = ecode::kDuplicateKey;
    else if (st == "55P03" || st == "40P01") code = writing ? ecode::kLockTimeout : ecode::kRecordHeld;
    else if (st == "42P01") code = ecode::kFileNotFound;
    else if (st == "22021" || st == "22001" || st == "22003") code = ecode::kValueDoesNotFit;
  }
  if (st.empty()) st = "connection";
  if (code == ecode::kDriverError) setEngineStatus(code, "PostgreSQL: " + msg, st, msg);
  else setEngineStatus(code, engineCodeText(code), st, msg);
  return code;
}

std::atomic<std::uint64_t>* localChanges(const std::string& key) {
  static std::mutex mu;
  static std::unordered_map<std::string, std::unique_ptr<std::atomic<std::uint64_t>>> counters;
  std::lock_guard lock(mu);
  auto& p = counters[key];
  if (!p) p = std::make_unique<std::atomic<std::uint64_t>>(0);
  return p.get();
}

std::vector<Result> PgConn::pipeline(int count, const std::function<void(PGconn*)>& queue) {
  std::vector<Result> out;
  std::vector<std::string> before;
  before.swap(owed);
  if (!c || !PQenterPipelineMode(c)) return out;
  for (const auto& o : before) PQsendQueryParams(c, o.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
  queue(c);
  PQpipelineSync(c);
  Result failedOwed;
  const int all = static_cast<int>(before.size()) + count;
  for (int i = 0; i < all; ++i) {
    Result r(PQgetResult(c));
    while (PGresult* extra = PQgetResult(c)) PQclear(extra);  // the NULL ending each statement
    if (i < static_cast<int>(before.size())) {
      if (!r.fine() && !failedOwed.r) failedOwed = std::move(r);
    } else {
      out.push_back(std::move(r));
    }
  }
  // The pipeline's sync.
  for (PGresult* r = PQgetResult(c); r; r = PQgetResult(c)) {
    const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
    PQclear(r);
    if (sync) break;
  }
  PQexitPipelineMode(c);
  drain();
  if (failedOwed.r) {
    // The queued statements were skipped: the failure is the one answer.
    out.clear();
    out.push_back(std::move(failedOwed));
  }
  return out;
}

int PgConn::payOwed() {
  if (owed.empty()) return ecode::kNone;
  Result r(PQexec(c, withOwed("SELECT 1").c_str()));
  drain();
  return r.fine() ? ecode::kNone : pgFail(c, r.r, true);
}

namespace {

// Lets the pools a thread used forget it when the thread ends.
struct ThreadEnd {
  std::vector<std::weak_ptr<ConnPool>> pools;
  ~ThreadEnd() {
    for (auto& w : pools)
      if (auto p = w.lock()) p->forget(std::this_thread::get_id());
  }
};

}  // namespace

ConnPool::PerThread& ConnPool::mine() {
  auto [it, isNew] = threads.try_emplace(std::this_thread::get_id());
  if (isNew) {
    thread_local ThreadEnd end;
    end.pools.push_back(weak_from_this());
  }
  return it->second;
}

int ConnPool::plain(std::shared_ptr<PgConn>& out) {
  {
    std::lock_guard lock(mu);
    auto& t = mine();
    if (!t.plain) t.plain = std::make_shared<PgConn>(conninfo);
    out = t.plain;
  }
  return out->ensure();
}

int ConnPool::take(std::shared_ptr<PgConn>& out) {
  {
    std::lock_guard lock(mu);
    auto& t = mine();
    if (!t.idle.empty()) {
      out = std::move(t.idle.back());
      t.idle.pop_back();
    } else {
      out = std::make_shared<PgConn>(conninfo);
    }
  }
  return out->ensure();
}

void ConnPool::giveBack(std::shared_ptr<PgConn> c) {
  if (!c || !c->c || PQstatus(c->c) != CONNECTION_OK || PQtransactionStatus(c->c) != PQTRANS_IDLE)
    return;  // a connection in doubt is closed, never used again
  std::lock_guard lock(mu);
  mine().idle.push_back(std::move(c));
}

void ConnPool::forget(std::thread::id thread) {
  PerThread gone;
  {
    std::lock_guard lock(mu);
    auto it = threads.find(thread);
    if (it == threads.end()) return;
    gone = std::move(it->second);
    threads.erase(it);
  }
  // The connections close here, outside the lock.
}

}  // namespace vel::pg
