// Reads a list's records a page at a time, by key.
//
// Every page is a fresh keyset read from a row's position (the record store
// resets its statement as soon as the page is read), so no read lock is held
// while the list waits for the user, and a list over a million records opens,
// jumps and scrolls without loading the file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/ListDecl.h"

namespace vel {

class FileManager;

struct ListRow {
  std::string position;            // the record's position in the file
  std::vector<std::string> cells;  // one text per column
};

class ListPager {
 public:
  ListPager(FileManager& file, const ListDecl& decl);

  // The sort tab in use (index into decl.tabs).
  void setTab(int tab);
  int tab() const { return tab_; }
  // Only records whose leading key fields hold these values (the branches
  // of one bank); empty: every record.
  void setRange(std::vector<std::pair<std::string, std::string>> fieldValues);

  std::vector<ListRow> first(int n);
  std::vector<ListRow> last(int n);
  // Up to n rows after (before) `row`, nearest first.
  std::vector<ListRow> after(const ListRow& row, int n);
  std::vector<ListRow> before(const ListRow& row, int n);
  // Rows from the first record at or after the locator text in the tab's
  // locator field (letter case ignored, as keys are). A number or a date is
  // read as the list's column shows it; text that cannot be read as the
  // field's value (a date half typed) gives no rows, so the list stays put.
  std::vector<ListRow> locate(std::string_view text, int n);
  // Rows from the record at `position` (or the nearest after it).
  std::vector<ListRow> from(std::string_view position, int n);

  // How many records the list shows, for the scroll bar: the file's count
  // (records a list hides are counted too), or within a range, counted.
  std::int64_t count();
  // Where a row stands in the list, from 0 (first) to 1 (last), estimated
  // from its key values between those of the first and last records. No
  // step reads more than a record or two, whatever the file's size.
  double place(const ListRow& row);
  // Rows from about `fraction` of the way through the list (the inverse of
  // place()).
  std::vector<ListRow> at(double fraction, int n);
  // Forgets the first and last key values place() and at() measure from
  // (after the list's records changed).
  void forgetEnds() { ends_.clear(); }

  // The row's record into the file's buffer.
  bool fetch(const ListRow& row);
  // The texts of the columns for the record in the file's buffer.
  std::vector<std::string> cellsOf(const void* rec) const;

 private:
  int key() const;
  void applyRange(bool highest);
  bool inRange() const;
  std::vector<ListRow> read(int n, bool forward, bool includeCurrent = false);
  // A key component's value in the buffer: text, or a number.
  struct KeyPart {
    bool text = false;
    std::string s;
    double d = 0;
  };
  std::vector<KeyPart> keyParts();
  bool measureEnds();

  // Key values of the first and last records (empty: not measured).
  std::vector<std::vector<KeyPart>> ends_;

  FileManager& fm_;
  const ListDecl& decl_;
  int tab_ = 0;
  std::vector<std::pair<int, std::string>> range_;
};

}  // namespace vel
