// The process's one usage table: which procedure of which thread has opened
// which file, and how often. Guarded by one lock, so a file is opened once
// per thread however many procedures of that thread use it.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vel {

class FileUsage {
 public:
  struct Entry {
    int file;
    std::thread::id thread;
    std::string procedure;
    int count;
  };

  // One more use of `file` by `procedure` on this thread; returns the
  // thread's uses of the file afterwards.
  int add(int file, std::string_view procedure);
  // One use less (the procedure's own use first, else the thread's latest);
  // returns the thread's uses afterwards, -1 when it had none.
  int remove(int file, std::string_view procedure);
  int count(int file) const;  // this thread's uses
  std::vector<Entry> entries() const;

 private:
  mutable std::mutex mu_;
  std::vector<Entry> entries_;
};

}  // namespace vel
