// The main frame's menu tree: every menu and item with its text (with the
// access letter), tip, control name, the procedure it starts, on which
// thread, and the access right the frame checks before starting it.
//
// The frame's window builds its menu bar from this table and hands each
// selection to `menuAccess` and then to the procedure of that name.
#pragma once

#include <string_view>
#include <vector>

namespace vel {

class Ui;

enum class MenuHow {
  FrameThread,  // runs on the frame's thread; the frame waits (modal)
  NewThread,    // runs on a thread of its own beside the frame
  System,       // served by the platform (printer set-up) or the frame (exit)
  Separator,
};

enum class MenuRight { None, Administrator };

struct MenuItem {
  std::string_view text;
  std::string_view control;
  std::string_view procedure;  // empty for separators and system items
  MenuHow how = MenuHow::FrameThread;
  MenuRight right = MenuRight::None;
  std::string_view tip;
};

struct Menu {
  std::string_view text;
  std::string_view control;
  std::vector<MenuItem> items;
};

// The menu bar, menus in order, each with its items in order.
const std::vector<Menu>& mainMenu();
// The item with this control name, or nullptr.
const MenuItem* findMenuItem(std::string_view control);

// The frame's own access check: an item for the administrator only shows
// "Access Error" to anybody else (USER_CODE not 1); false then, and the
// item's procedure is not started.
bool menuAccess(const MenuItem& item, Ui& ui);

}  // namespace vel
