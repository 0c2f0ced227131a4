// The process-wide error manager: every general failure and standard
// question goes through it by message number.
//
// Callers set the context (file, key, field, message argument), then raise a
// message with Throw; the manager fills the placeholders from the calling
// thread's context, shows the box through the Ui port and turns the answer
// into a level result: 0 go on, 4 declined, 5 failure reported, 3 fatal.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Ui.h"

namespace vel {

// Message levels.
enum Level : int {
  kBenign = 0,
  kUserLevel = 1,
  kProgram = 2,
  kFatal = 3,
  kCancelLevel = 4,
  kNotify = 5,
};

// Result levels of record-store and error-manager operations.
enum Result : int {
  kDone = 0,
  kRefused = 1,     // refused by validation or declined after an error
  kNotUsable = 3,   // file could not be used / fatal
  kDeclined = 4,    // cancelled by the user at a confirmation
  kFailed = 5,      // failed, and the failure has been reported (or recorded)
};

// Message numbers of the program's message table.
namespace msg {
inline constexpr int RetrievalError = 1;
inline constexpr int AccessDenied = 2;
inline constexpr int AddAnother = 3;
inline constexpr int InsertError = 4;
inline constexpr int AddNewRecord = 5;
inline constexpr int CloseError = 6;
inline constexpr int ConcurrencyChanged = 7;
inline constexpr int ConcurrencyChangedFromForm = 8;
inline constexpr int RetrievedChanged = 9;
inline constexpr int ConfirmCancel = 10;
inline constexpr int DeleteConfirm = 11;
inline constexpr int CreateError = 12;
inline constexpr int DeleteError = 13;
inline constexpr int DeleteIllegal = 14;
inline constexpr int DuplicateKey = 15;
inline constexpr int FieldNotInFile = 16;
inline constexpr int FieldNotInList = 17;
inline constexpr int FieldOutOfRange = 18;
inline constexpr int FieldOutOfRangeHigh = 19;
inline constexpr int FieldOutOfRangeLow = 20;
inline constexpr int FileLoadError = 21;
inline constexpr int InsertIllegal = 23;
inline constexpr int TransactionCancelled = 24;
inline constexpr int NoRecords = 25;
inline constexpr int OpenFailed = 26;
inline constexpr int ProcedureUndefined = 27;
inline constexpr int PutFailed = 28;
inline constexpr int RebuildError = 29;
inline constexpr int RebuildKey = 30;
inline constexpr int RecordHeld = 31;
inline constexpr int RestrictDelete = 33;
inline constexpr int RestrictUpdate = 34;
inline constexpr int AutoIncrementError = 35;
inline constexpr int RetryDelete = 36;
inline constexpr int RetrySave = 37;
inline constexpr int SaveRecord = 38;
inline constexpr int BeginningOfFile = 39;
inline constexpr int EndOfFile = 40;
inline constexpr int UpdateIllegal = 41;
inline constexpr int UseClosedFile = 42;
}  // namespace msg

struct MessageEntry {
  std::uint16_t id = 0;
  std::uint8_t level = 0;
  std::string title;     // at most 255 bytes
  std::string text;      // at most 255 bytes; '|' starts a new line
  std::string category;  // every entry of the table has the default category
};

// Encodes entries in the stored table format (little-endian count, then per
// entry: id, level, title length, title, text length, text). Returns an empty
// string (which no decoder accepts) when an entry cannot be stored: a title or
// text over 255 bytes, or more than 65535 entries.
std::string encodeMessageBlock(const std::vector<MessageEntry>& entries);
// Decodes a block; false when it is malformed (nothing is returned then).
bool decodeMessageBlock(std::string_view block, std::vector<MessageEntry>& out);
// The program's own message table, as the block it carries.
const std::string& standardMessageBlock();

// What the calling thread's context holds.
struct ErrorContext {
  std::string field, file, key, messageArg;
  int engineCode = 0;
  std::string engineText, driverCode, driverText;
  MessageEntry current;
  int previousId = 0;
};

class ErrorManager {
 public:
  explicit ErrorManager(Ui& ui);

  void setUi(Ui& ui);
  Ui& ui() const;

  void AddErrors(std::string_view block);

  // Raise message `id`; see the level table. Returns the level result.
  int Throw(int id);
  int ThrowMessage(int id, std::string_view argument);
  // Show message `id` with the question icon and these buttons, whatever its
  // level; returns the button pressed. Never stops the program.
  unsigned Message(int id, unsigned buttons, unsigned defaultButton);
  // As Message, for a question about a failure that just happened (open the
  // file again?): the engine's state is captured first, as raising does, so
  // the text can name the engine's reason.
  unsigned AskAboutFailure(int id, unsigned buttons, unsigned defaultButton);

  void SetFile(std::string_view name);
  void SetKey(std::string_view name);
  void SetField(std::string_view name);

  void SetProcedureName(std::string_view name);
  void PopProcedureName();
  std::string currentProcedure() const;

  // The calling thread's context (a copy).
  ErrorContext context() const;
  // `text` with its placeholders filled from the calling thread's context.
  std::string substitute(std::string_view text) const;
  // The entry the lookup rule selects for `id` (an empty entry when none).
  MessageEntry lookup(int id) const;

 private:
  ErrorContext& ctx() const;
  void captureEngine();
  void select(int id);

  Ui* ui_;
  std::uint64_t serial_;   // keys this manager's per-thread contexts
  mutable std::mutex mu_;  // guards entries_ and procedures_
  std::vector<MessageEntry> entries_;
  std::vector<std::pair<std::thread::id, std::string>> procedures_;
};

}  // namespace vel
