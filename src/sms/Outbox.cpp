#include "sms/Outbox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace vel::sms {

namespace {

// One lock per outbox folder for the threads of this process: the file lock
// below only keeps other processes out.
std::mutex& processLock(const std::string& folder) {
  static std::mutex guard;
  static std::map<std::string, std::unique_ptr<std::mutex>> locks;
  std::lock_guard<std::mutex> g(guard);
  auto& m = locks[folder];
  if (!m) m = std::make_unique<std::mutex>();
  return *m;
}

std::string errnoText(int e) { return std::strerror(e); }

bool writeAll(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Outbox::Outbox(std::string dataFolder)
    : outbox_(dataFolder + "/SmsOutbox"), sent_(dataFolder + "/SmsSent") {}

bool Outbox::ensureFolders(std::string& why) {
  std::error_code ec;
  for (const std::string& d : {outbox_, sent_}) {
    fs::create_directories(d, ec);
    if (!fs::is_directory(d)) {
      why = "the folder " + d + " cannot be made: " + ec.message();
      return false;
    }
  }
  return true;
}

std::optional<std::string> Outbox::queue(const std::string& stem, const std::string& text,
                                         std::string& why) {
  if (!ensureFolders(why)) return std::nullopt;
  static std::atomic<unsigned> serial{0};
  const std::string temp = outbox_ + "/.tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(serial++) + "-" + stem;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    why = "the message file cannot be written in " + outbox_ + ": " + errnoText(errno);
    return std::nullopt;
  }
  const bool written = writeAll(fd, text);
  const int writeErr = errno;
  ::close(fd);
  if (!written) {
    ::unlink(temp.c_str());
    why = "the message file cannot be written in " + outbox_ + ": " + errnoText(writeErr);
    return std::nullopt;
  }
  // link() gives the name only when nobody has it: two stations racing for
  // one name both succeed, one with a suffix. The outbox is looked at before
  // the sent folder, the order in which a file moves, so a name that is
  // being moved is seen in one of the two.
  if (stem != lastStem_) {
    lastStem_ = stem;
    nextSuffix_ = 1;
  }
  for (int n = nextSuffix_; n < nextSuffix_ + 100000; ++n) {
    const std::string name = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".txt";
    const std::string target = pathOf(name);
    if (::link(temp.c_str(), target.c_str()) != 0) {
      if (errno == EEXIST) continue;
      why = "the message file cannot be named in " + outbox_ + ": " + errnoText(errno);
      ::unlink(temp.c_str());
      return std::nullopt;
    }
    if (fs::exists(sent_ + "/" + name)) {
      ::unlink(target.c_str());
      continue;
    }
    ::unlink(temp.c_str());
    nextSuffix_ = n + 1;
    return name;
  }
  ::unlink(temp.c_str());
  why = "no free name for a message file in " + outbox_;
  return std::nullopt;
}

std::vector<std::string> Outbox::waiting() const {
  struct Entry {
    fs::file_time_type when;
    std::string name;
  };
  std::vector<Entry> found;
  std::error_code ec;
  for (fs::directory_iterator it(outbox_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || !it->is_regular_file()) continue;
    std::error_code tec;
    found.push_back({fs::last_write_time(it->path(), tec), name});
  }
  std::sort(found.begin(), found.end(), [](const Entry& a, const Entry& b) {
    if (a.when != b.when) return a.when < b.when;
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
  });
  std::vector<std::string> names;
  names.reserve(found.size());
  for (auto& e : found) names.push_back(std::move(e.name));
  return names;
}

void Outbox::discard(const std::string& name) { ::unlink(pathOf(name).c_str()); }

void Outbox::sync() {
  // One flush of the file system for a whole group of files instead of one
  // per file: a run writes thousands.
  const int fd = ::open(outbox_.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::syncfs(fd);
  ::close(fd);
}

bool Outbox::markSent(const std::string& name) {
  std::string why;
  if (!ensureFolders(why)) return false;
  return ::rename(pathOf(name).c_str(), (sent_ + "/" + name).c_str()) == 0;
}

Outbox::Lock::~Lock() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the file lock
}

std::unique_ptr<Outbox::Lock> Outbox::lock(std::string& why) {
  if (!ensureFolders(why)) return nullptr;
  std::unique_lock<std::mutex> inProcess(processLock(outbox_));
  const std::string path = outbox_ + "/.lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd < 0) {
    why = "the outbox lock " + path + " cannot be made: " + errnoText(errno);
    return nullptr;
  }
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  while (::fcntl(fd, F_SETLKW, &fl) != 0) {
    if (errno == EINTR) continue;
    why = "the outbox lock " + path + " cannot be taken: " + errnoText(errno);
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<Lock>(new Lock(std::move(inProcess), fd));
}

}  // namespace vel::sms
