// A list declared as data: its file, columns, sort tabs with their locators,
// the actions it offers and the form its actions open. The generic list
// window renders any declaration; a list's own rules are the hooks here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vel {

class DataFiles;
class Ui;

// The actions of a list, as a sum.
enum ListAction : unsigned {
  kActInsert = 1u << 0,
  kActChange = 1u << 1,
  kActDelete = 1u << 2,
  kActView = 1u << 3,
  kActPrint = 1u << 4,
  kActQuery = 1u << 5,
  kActSelect = 1u << 6,
};

enum class Align { Left, Right, Center };

struct ColumnDecl {
  std::string heading;
  std::string field;    // field shown
  std::string picture;  // empty: the field's plain text
  int width = 10;       // characters
  Align align = Align::Left;
  // A text of its own instead of the field (a check mark, a choice name).
  std::function<std::string(const void* rec)> text;
};

// A column of `field` under `heading`, `width` characters wide.
inline ColumnDecl column(std::string heading, std::string field, int width,
                         Align align = Align::Left, std::string picture = {}) {
  ColumnDecl c;
  c.heading = std::move(heading);
  c.field = std::move(field);
  c.width = width;
  c.align = align;
  c.picture = std::move(picture);
  return c;
}

// An amount in rand, right-aligned with two decimals.
inline ColumnDecl moneyColumn(std::string heading, std::string field) {
  return column(std::move(heading), std::move(field), 10, Align::Right, "n_9.2");
}

// A date as day/month/year.
inline ColumnDecl dateColumn(std::string heading, std::string field) {
  return column(std::move(heading), std::move(field), 10, Align::Left, "d06");
}

struct SortTab {
  std::string name;     // "By Town"
  std::string key;      // key of the file; empty: record order
  std::string locator;  // field the locator types into; empty: none
};

// The open list as its hooks see it.
struct ListContext {
  DataFiles& files;
  Ui& ui;
  void* record;  // the highlighted record (nullptr when the list is empty)
};

// How a list was opened.
enum class ListMode {
  Maintain,  // from the menu: the update buttons work
  Select,    // from a lookup: "&Select" returns the highlighted record
  View,      // the update buttons are not connected
};

struct ListDecl {
  std::string procedure;  // "Browse_Town"
  std::string title;
  std::string file;       // label of the list's file
  std::vector<ColumnDecl> columns;
  std::vector<SortTab> tabs;
  unsigned actions = kActInsert | kActChange | kActDelete | kActView | kActSelect;
  std::string form;       // procedure name of the update form
  // Button texts; a list may name them its own way.
  std::string insertText = "&Insert", changeText = "&Change", deleteText = "&Delete",
              selectText = "&Select", closeText = "Clos&e";
  // A list offering kActPrint gets a button of this text for it, which its
  // `handles` hook serves (a receipt of the highlighted payment).
  std::string printText = "&Print";
  // A second list beside this one showing the records of another file that
  // belong to the highlighted record (a bank's branches): its procedure
  // name, and pairs of (this file's field, that file's field).
  std::string detail;
  std::vector<std::pair<std::string, std::string>> detailLink;
  std::string heading;  // caption over the list when it stands beside another
  std::string legend;   // a line of text under the list (the plans' age bands)
  // Records the list shows; none: all.
  std::function<bool(const void* rec)> shows;
  // The actions offered when the window opens (some lists hide buttons
  // depending on the file); none: `actions`.
  std::function<unsigned(DataFiles&)> actionsNow;
  // A list's own handling of an action before the form opens: return true
  // when it handled the action itself (the form then does not open).
  std::function<bool(ListAction, ListContext&)> handles;
  // A list worked only through its buttons: the Insert, Delete and Enter
  // keys do nothing on it.
  bool buttonsOnly = false;
  // A right click calls this instead of opening the popup menu.
  std::function<void(Ui&)> rightClick;

  unsigned offered(DataFiles& files) const { return actionsNow ? actionsNow(files) : actions; }
};

}  // namespace vel
