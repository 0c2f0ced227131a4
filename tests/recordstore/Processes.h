// Helpers for tests that run stations as real processes on one data folder.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "errors/ErrorManager.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "support/Engines.h"

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
  // Whether a signal is waiting, looking for at most `ms` milliseconds.
  bool ready(int ms) {
    pollfd p{fd_[0], POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
  }

 private:
  int fd_[2];
};

// A child process running `body`. Waiting for its signals ends when it ends
// without giving them, and a child still running when the test stops (a
// failed assertion) is ended, so a failure never leaves a test hanging.
class Child {
 public:
  explicit Child(const std::function<int()>& body) : pid_(::fork()) {
    if (pid_ == 0) ::_exit(body());
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits for the child's signal on `p`; false when the child ended first.
  bool waitFor(Pipe& p) {
    for (;;) {
      if (p.ready(200)) {
        p.wait();
        return true;
      }
      if (ended(WNOHANG)) return false;
    }
  }
  // The child's exit code (100 + signal when a signal ended it).
  int exitCode() {
    ended(0);
    return code_;
  }

 private:
  bool ended(int flags) {
    if (ended_) return true;
    int status = 0;
    if (::waitpid(pid_, &status, flags) != pid_) return false;
    ended_ = true;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
    return true;
  }
  pid_t pid_;
  bool ended_ = false;
  int code_ = -1;
};

// A station of its own in a child process: the run's engine, error manager, managers,
// and a Ui that counts the boxes it would have shown.
struct OtherStation {
  explicit OtherStation(const std::string& folder)
      : engine(makeEngineFor(folder)), files(folder, *engine, errors) {}
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
  std::unique_ptr<Engine> engine;
  ErrorManager errors{ui};
  DataFiles files;
};

}  // namespace vel::test
