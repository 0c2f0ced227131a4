// The procedures the menu can start, by name.
//
// Each subsystem registers its procedures here when the program starts; the
// frame looks a menu item's procedure up and runs it on the frame's thread
// (where it opens its own modal windows) or on a thread of its own. An item
// whose procedure is not registered does nothing.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace vel {

class ProcedureTable {
 public:
  // A procedure of the frame's thread: it opens its own modal windows.
  using Run = std::function<void()>;
  // A procedure of its own thread: its file work runs on that thread, with
  // that thread's record buffers; what it returns (a preview, a message) then
  // runs on the frame's thread.
  using Work = std::function<Run()>;

  void add(std::string name, Run run) { runs_[std::move(name)] = std::move(run); }
  void addThreaded(std::string name, Work work) { works_[std::move(name)] = std::move(work); }

  // The procedure of this name, or nullptr.
  const Run* find(std::string_view name) const { return lookup(runs_, name); }
  const Work* findThreaded(std::string_view name) const { return lookup(works_, name); }

 private:
  template <class M>
  static const typename M::mapped_type* lookup(const M& m, std::string_view name) {
    auto it = m.find(name);
    return it == m.end() ? nullptr : &it->second;
  }

  std::map<std::string, Run, std::less<>> runs_;
  std::map<std::string, Work, std::less<>> works_;
};

}  // namespace vel
