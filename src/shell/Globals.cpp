#include "shell/Globals.h"

namespace vel {

std::string Globals::LOGPROG() const { std::lock_guard l(mu_); return logprog_; }
std::string Globals::LOGPASS() const { std::lock_guard l(mu_); return logpass_; }
std::string Globals::VERSION() const { std::lock_guard l(mu_); return version_; }
std::string Globals::CUR_BRANCH() const { std::lock_guard l(mu_); return branch_; }
void Globals::setLOGPROG(std::string v) { std::lock_guard l(mu_); logprog_ = std::move(v); }
void Globals::setLOGPASS(std::string v) { std::lock_guard l(mu_); logpass_ = std::move(v); }
void Globals::setVERSION(std::string v) { std::lock_guard l(mu_); version_ = std::move(v); }
void Globals::setCUR_BRANCH(std::string v) { std::lock_guard l(mu_); branch_ = std::move(v); }

void Globals::clear() {
  {
    std::lock_guard l(mu_);
    logprog_.clear();
    logpass_.clear();
    version_.clear();
    branch_.clear();
  }
  USER_CODE = 0;
  IS_ADMIN = 0;
  CANCELLED = 0;
  PERIOD_START = 0;
  PERIOD_END = 0;
  PROGRESS = 0;
}

Globals& globals() {
  static Globals g;
  return g;
}

}  // namespace vel
