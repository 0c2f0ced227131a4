#include "recordstore/FileUsage.h"

namespace vel {

namespace {
int threadTotal(const std::vector<FileUsage::Entry>& entries, int file, std::thread::id t) {
  int n = 0;
  for (const auto& e : entries)
    if (e.file == file && e.thread == t) n += e.count;
  return n;
}
}  // namespace

int FileUsage::add(int file, std::string_view procedure) {
  std::lock_guard lock(mu_);
  auto t = std::this_thread::get_id();
  bool found = false;
  for (auto& e : entries_) {
    if (e.file == file && e.thread == t && e.procedure == procedure) {
      ++e.count;
      found = true;
      break;
    }
  }
  if (!found) entries_.push_back({file, t, std::string(procedure), 1});
  return threadTotal(entries_, file, t);
}

int FileUsage::remove(int file, std::string_view procedure) {
  std::lock_guard lock(mu_);
  auto t = std::this_thread::get_id();
  auto pick = entries_.end();
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->file != file || it->thread != t) continue;
    if (it->procedure == procedure) {
      pick = it;
      break;
    }
    pick = it;  // else the thread's latest entry for the file
  }
  if (pick == entries_.end()) return -1;
  if (--pick->count == 0) entries_.erase(pick);
  return threadTotal(entries_, file, t);
}

int FileUsage::count(int file) const {
  std::lock_guard lock(mu_);
  return threadTotal(entries_, file, std::this_thread::get_id());
}

std::vector<FileUsage::Entry> FileUsage::entries() const {
  std::lock_guard lock(mu_);
  return entries_;
}

}  // namespace vel
