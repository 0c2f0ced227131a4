// The global fields of the process: who is logged in, the administrator
// flag, the shared cancel flag, the period of the date-range prompt, the
// program version, the branch and the progress value.
//
// One copy for the process, shared by every thread. Start-up writes the
// text fields on the first thread before any procedure runs; afterwards they
// are read only, except through the setters below, which take the lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vel {

class Globals {
 public:
  // Text fields (copies, so a reader never sees half a change).
  std::string LOGPROG() const;    // user name typed at log-in (text 20)
  std::string LOGPASS() const;    // password typed at log-in (text 20)
  std::string VERSION() const;    // "[1.02]"
  std::string CUR_BRANCH() const; // copy of Config.BRANCH_ID (text 6)
  void setLOGPROG(std::string v);
  void setLOGPASS(std::string v);
  void setVERSION(std::string v);
  void setCUR_BRANCH(std::string v);

  std::atomic<std::int32_t> USER_CODE{0};   // Users.CODE of who logged in; 1 = administrator
  std::atomic<std::uint8_t> IS_ADMIN{0};    // 1 when the logged-in user's CODE is 1
  std::atomic<std::uint8_t> CANCELLED{0};   // 1: the last prompt was abandoned
  std::atomic<std::int32_t> PERIOD_START{0};
  std::atomic<std::int32_t> PERIOD_END{0};
  std::atomic<std::int32_t> PROGRESS{0};    // 0-100, the value of every progress bar

  // Everything back to blanks and zero, as at process start.
  void clear();

 private:
  mutable std::mutex mu_;
  std::string logprog_, logpass_, version_, branch_;
};

// The process's one copy.
Globals& globals();

}  // namespace vel
