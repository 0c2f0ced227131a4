// A real FTP server on a free localhost port, serving a temporary folder to
// one user (tests/sms/ftp_server.py over pyftpdlib). It runs while the
// object lives; stop() ends it earlier, as a gateway that goes away.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#ifndef VEL_FTP_SERVER_SCRIPT
#define VEL_FTP_SERVER_SCRIPT "tests/sms/ftp_server.py"
#endif

namespace vel::test {

class FtpServer {
 public:
  FtpServer(std::string root, std::string user, std::string password, bool readOnly = false)
      : root_(std::move(root)) {
    std::filesystem::create_directories(root_);
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      // Debian's interpreter first: the server library is its package.
      const char* py = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
      if (readOnly)
        ::execlp(py, py, VEL_FTP_SERVER_SCRIPT, root_.c_str(), user.c_str(), password.c_str(),
                 "--read-only", static_cast<char*>(nullptr));
      else
        ::execlp(py, py, VEL_FTP_SERVER_SCRIPT, root_.c_str(), user.c_str(), password.c_str(),
                 static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    // The server prints its port once it listens: no waiting on a clock.
    std::FILE* f = ::fdopen(out[0], "r");
    if (f && std::fscanf(f, "%d", &port_) != 1) port_ = 0;
    if (f) std::fclose(f);
  }
  ~FtpServer() { stop(); }
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  int port() const { return port_; }
  bool running() const { return pid_ > 0 && port_ > 0; }
  const std::string& root() const { return root_; }

  void stop() {
    if (stdin_ >= 0) ::close(stdin_);  // the server ends when its input closes
    stdin_ = -1;
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // Control connections made to the server so far.
  int connections() const {
    std::FILE* f = std::fopen((root_ + "/.connections").c_str(), "r");
    int n = 0;
    for (int c; f && (c = std::fgetc(f)) != EOF;) n += c == '\n';
    if (f) std::fclose(f);
    return n;
  }

  // What the server received: file name -> bytes.
  std::map<std::string, std::string> received() const {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(root_)) {
      if (e.path().filename().string()[0] == '.') continue;
      std::FILE* f = std::fopen(e.path().c_str(), "rb");
      std::string bytes;
      char buf[4096];
      for (std::size_t n; f && (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
      if (f) std::fclose(f);
      out[e.path().filename().string()] = bytes;
    }
    return out;
  }

 private:
  std::string root_;
  pid_t pid_ = -1;
  int stdin_ = -1;
  int port_ = 0;
};

}  // namespace vel::test
