// The single-instance lock: one running copy of the program per machine.
//
// A lock file held with an exclusive flock. The system drops the lock when
// the process ends, however it ends, so a copy that crashed never blocks the
// next start. Tests point it at a file of their own.
#pragma once

#include <string>

namespace vel {

class InstanceLock {
 public:
  // Where the desktop program keeps its lock on this machine.
  static std::string machinePath();

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  enum class Outcome { Acquired, AlreadyRunning, Failed };
  // Takes the lock at `path`. AlreadyRunning when another process holds it;
  // Failed when the lock file cannot be made (the caller decides).
  Outcome acquire(const std::string& path);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace vel
