// The program's message table and the stored block format it is carried in.
//
// Block layout, all integers little-endian:
//   u16 count, then per entry: u16 id, u8 level, u8 title length, title bytes,
//   u8 text length, text bytes (no terminators).
// The format has no room for the category: every decoded entry gets the
// default category.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "errors/ErrorManager.h"

namespace vel {

namespace {

constexpr const char* kDefaultCategory = "Default";
constexpr std::size_t kMaxTextBytes = 255;

struct Row {
  std::uint16_t id;
  std::uint8_t level;
  const char* title;
  const char* text;
};

// Levels: 1 User, 2 Program, 3 Fatal, 5 Notify. A '|' starts a new line.
// Some texts carry deliberate blanks: two after "file." in 1, one at the end
// of 45, 46 and 47.
constexpr Row kRows[] = {
    {1, 5, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {2, 5, "Access Denied", "Could not get write access to %File so trying read-only."},
    {3, 1, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4, 5, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {5, 5, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, 5, "File Access Error", "File %File could not be closed.  Error: %ErrorText."},
    {7, 5, "Record Was Not Updated", "This record was changed by another station."},
    {8, 5, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {9, 5, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to "
     "access a record from the %File file."},
    {10, 1, "Changes will be lost!", "Are you sure you want to cancel?"},
    {11, 1, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
    {12, 3, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {13, 5, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {14, 5, "Invalid Request", "This form cannot be used to delete a record"},
    {15, 5, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {16, 5, "Field contents error", "The value of %Field must be found in the %Message file."},
    {17, 5, "Value Error", "The value of %Field must be in the list : %Message."},
    {18, 5, "Range Error", "The value of %Field must be in range %Message."},
    {19, 5, "Range Error", "The value of %Field must be lower than %Message."},
    {20, 5, "Range Error", "The value of %Field must be higher than %Message."},
    {21, 5, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {22, 3, "WMF Parser Error", "Get next record from file %File failed."},
    {23, 5, "Invalid Request", "This form cannot be used to insert a record"},
    {24, 5, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {25, 5, "No Records", "There are no records available to process."},
    {26, 3, "File Access Error", "File %File could not be opened.  Error: %ErrorText."},
    {27, 5, "Procedure not defined", "The Procedure %Message has not been defined."},
    {28, 5, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {29, 3, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {30, 5, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {31, 5, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {33, 5, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {34, 5, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {35, 1, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?"},
    {36, 1, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {37, 1, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {38, 1, "Save Record", "Do you want to save the changes to this record?"},
    {39, 1, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end "
     "of the file?"},
    {40, 1, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the "
     "beginning?"},
    {41, 5, "Invalid Request", "This form cannot be used to update a record"},
    {42, 2, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {43, 5, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits "
     "ignored."},
    {44, 5, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    {45, 5, "SMTP Error", "The following SMTP Error occurred: %Message "},
    {46, 5, "NNTP Error", "%Message "},
    {47, 5, "Winsock Error", "%Message "},
    {48, 3, "WMF Parser Error", "Adding record to queue failed. Parsing %File."},
    {49, 3, "WMF Parser Error", "The File %File is not a valid WMF file."},
    {50, 3, "WMF Parser Error", "Invalid %Field control found. Parsing %File."},
    {51, 3, "WMF Parser Error", "Cannot find %Field id. Parsing %File."},
    {52, 5, "Report Writer Error",
     "Poorly Formed Comment String \"%Message\" at Position %Field."},
    {53, 5, "Report Writer Error", "Unknown Property %Message."},
};

void putU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

// Reads from a block, remembering whether it ran past the end.
class Reader {
 public:
  explicit Reader(std::string_view block) : rest_(block) {}

  bool u8(std::uint8_t& v) {
    if (rest_.empty()) return false;
    v = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return true;
  }
  bool u16(std::uint16_t& v) {
    std::uint8_t lo = 0, hi = 0;
    if (!u8(lo) || !u8(hi)) return false;
    v = static_cast<std::uint16_t>(lo | (hi << 8));
    return true;
  }
  // A length byte followed by that many bytes.
  bool counted(std::string& v) {
    std::uint8_t n = 0;
    if (!u8(n) || rest_.size() < n) return false;
    v.assign(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return true;
  }
  bool atEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

}  // namespace

std::string encodeMessageBlock(const std::vector<MessageEntry>& entries) {
  // A title or text that does not fit its length byte cannot be stored; the
  // whole block is refused rather than carrying a message cut short.
  if (entries.size() > std::numeric_limits<std::uint16_t>::max()) return {};
  std::string out;
  putU16(out, static_cast<std::uint16_t>(entries.size()));
  for (const MessageEntry& e : entries) {
    if (e.title.size() > kMaxTextBytes || e.text.size() > kMaxTextBytes) return {};
    putU16(out, e.id);
    out.push_back(static_cast<char>(e.level));
    out.push_back(static_cast<char>(e.title.size()));
    out += e.title;
    out.push_back(static_cast<char>(e.text.size()));
    out += e.text;
  }
  return out;
}

bool decodeMessageBlock(std::string_view block, std::vector<MessageEntry>& out) {
  Reader in(block);
  std::uint16_t count = 0;
  if (!in.u16(count)) return false;
  std::vector<MessageEntry> entries;
  entries.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    MessageEntry e;
    if (!in.u16(e.id) || !in.u8(e.level) || !in.counted(e.title) || !in.counted(e.text))
      return false;
    e.category = kDefaultCategory;
    entries.push_back(std::move(e));
  }
  // Bytes after the last entry mean the count and the contents disagree.
  if (!in.atEnd()) return false;
  out = std::move(entries);
  return true;
}

const std::string& standardMessageBlock() {
  static const std::string block = [] {
    std::vector<MessageEntry> entries;
    for (const Row& r : kRows) entries.push_back({r.id, r.level, r.title, r.text, {}});
    return encodeMessageBlock(entries);
  }();
  return block;
}

}  // namespace vel
