// The outbox: message files waiting for the gateway, in the data folder.
//
//   SmsOutbox/   files written and not yet uploaded
//   SmsSent/     files the gateway has accepted
//
// A file is written under a temporary name and then given its own name in
// one step, so the outbox never holds half a message. A name already taken
// in the outbox or among the sent files (two messages in one second, or two
// stations on one folder) gets a suffix "-2", "-3", ... instead of replacing
// the other. A file leaves the outbox only by moving to SmsSent, after the
// gateway accepted it; until then every run tries it again.
//
// Uploading takes the outbox lock, so that two stations (or two runs of one
// station) never send the same file twice.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vel::sms {

class Outbox {
 public:
  explicit Outbox(std::string dataFolder);

  const std::string& outboxFolder() const { return outbox_; }
  const std::string& sentFolder() const { return sent_; }

  // Writes `text` as a new message file named `stem` + ".txt" (or with a
  // suffix when that name is taken); on disk for certain after sync().
  // One Outbox is used by one thread at a time. The file name, or nothing when the
  // file could not be written (`why` says why; nothing is left behind).
  std::optional<std::string> queue(const std::string& stem, const std::string& text,
                                   std::string& why);

  // Takes a file back out of the outbox before it was uploaded (its record
  // change was not saved after all).
  void discard(const std::string& name);
  // Flushes the files queued so far to the disk: called before anything that
  // depends on them being there (a reminder switch cleared) is saved.
  void sync();

  // The waiting files' names, oldest first.
  std::vector<std::string> waiting() const;
  std::string pathOf(const std::string& name) const { return outbox_ + "/" + name; }
  // Moves an uploaded file to the sent folder. False when it could not.
  bool markSent(const std::string& name);

  // Held while files are uploaded: one uploader per data folder at a time,
  // across threads and processes.
  class Lock {
   public:
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    friend class Outbox;
    explicit Lock(std::unique_lock<std::mutex> inProcess, int fd)
        : inProcess_(std::move(inProcess)), fd_(fd) {}
    std::unique_lock<std::mutex> inProcess_;
    int fd_ = -1;
  };
  // Waits for the lock; null when the lock file cannot be made (`why`).
  std::unique_ptr<Lock> lock(std::string& why);

 private:
  bool ensureFolders(std::string& why);

  std::string outbox_, sent_;
  // The last stem named and the suffix to try next for it: a run writing
  // hundreds of files in one second does not try every taken name again.
  std::string lastStem_;
  int nextSuffix_ = 1;
};

}  // namespace vel::sms
