// Helpers for tests that run stations as real processes on one data folder.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "errors/ErrorManager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel::test {

// A one-way signal between two processes.
class Pipe {
 public:
  Pipe() {
    if (::pipe(fd_) != 0) std::abort();
  }
  ~Pipe() {
    ::close(fd_[0]);
    ::close(fd_[1]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void send() {
    char c = 1;
    if (::write(fd_[1], &c, 1) != 1) std::abort();
  }
  void wait() {
    char c;
    if (::read(fd_[0], &c, 1) != 1) std::abort();
  }

 private:
  int fd_[2];
};

// Runs `body` in a child process; its result is the child's exit code.
inline pid_t runChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

inline int childExit(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A station of its own in a child process: engine, error manager, managers,
// and a Ui that counts the boxes it would have shown.
struct OtherStation {
  explicit OtherStation(const std::string& folder) : files(folder, *engine, errors) {}
  struct CountingUi : SilentUi {
    unsigned message(std::string_view text, std::string_view title, Icon i, unsigned b,
                     unsigned d) override {
      ++shown;
      lastTitle = title;
      lastText = text;
      return SilentUi::message(text, title, i, b, d);
    }
    int shown = 0;
    std::string lastTitle, lastText;
  } ui;
  std::unique_ptr<Engine> engine = makeSqliteEngine();
  ErrorManager errors{ui};
  DataFiles files;
};

}  // namespace vel::test
