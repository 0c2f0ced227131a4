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

}  // namespace vel::pg
