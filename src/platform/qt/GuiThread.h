// Work that must run on the GUI thread (a window, a modal prompt), asked for
// from any thread: a procedure on a thread of its own waits while the
// frame's thread runs it.
#pragma once

#include <functional>

namespace vel::qt {

// Runs `fn` on the GUI thread and returns when it has run (at once when
// called on the GUI thread).
void onGuiThread(const std::function<void()>& fn);

}  // namespace vel::qt
