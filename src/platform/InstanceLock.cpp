#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vel {

std::string InstanceLock::machinePath() { return "/tmp/Velmora.lock"; }

InstanceLock::~InstanceLock() { release(); }

InstanceLock::Outcome InstanceLock::acquire(const std::string& path) {
  release();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return Outcome::Failed;
  // Every user of the machine shares the one lock file.
  ::fchmod(fd, 0666);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? Outcome::AlreadyRunning : Outcome::Failed;
  }
  fd_ = fd;
  return Outcome::Acquired;
}

void InstanceLock::release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace vel
