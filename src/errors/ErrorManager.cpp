#include "errors/ErrorManager.h"

#include <atomic>
#include <iterator>
#include <string>
#include <unordered_map>

#include "dictionary/Field.h"
#include "errors/EngineStatus.h"

namespace vel {

namespace {

constexpr std::size_t kContextTextLimit = 255;  // each context name and the argument
constexpr std::size_t kWorkingLimit = 2000;     // the text being filled in
constexpr const char* kFatalSuffix = "  Press OK to end this application";
constexpr int kFatalExitCode = kNotUsable;

std::uint64_t nextSerial() {
  static std::atomic<std::uint64_t> serial{0};
  return ++serial;
}

// A context name as it is kept: at most 255 bytes, trailing blanks removed.
std::string contextText(std::string_view s) {
  return std::string(rtrim(s.substr(0, kContextTextLimit)));
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.size() > hay.size()) return std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && lowerAscii(hay[i + k]) == lowerAscii(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

// Replaces every occurrence of `name` (any case) by `value`. The search goes
// on after the inserted value, so a value that contains the name is left
// alone; a value that is the name itself is not substituted at all.
void replaceAll(std::string& work, std::string_view name, std::string_view value) {
  if (value == name) return;
  std::size_t pos = 0;
  while ((pos = findNoCase(work, name, pos)) != std::string::npos) {
    work.replace(pos, name.size(), value);
    pos += value.size();
    if (work.size() > kWorkingLimit) work.resize(kWorkingLimit);
  }
}

// Shows a raised message as its level asks and gives the level result.
int actOnLevel(Ui& ui, const MessageEntry& entry, const std::string& text) {
  switch (entry.level) {
    case kBenign:
      return kDone;
    case kUserLevel:
    case kCancelLevel: {
      unsigned answer = ui.message(text, entry.title, Icon::Question, kYes | kNo, kYes);
      return answer == kYes ? kDone : kDeclined;  // No, or the box closed
    }
    case kNotify:
      ui.message(text, entry.title, Icon::Exclamation, kOk, kOk);
      return kFailed;
    default:  // Program, Fatal and any level outside the table stop the program
      ui.message(text + kFatalSuffix, entry.title, Icon::Exclamation, kOk, kOk);
      ui.halt(kFatalExitCode);
      return kNotUsable;
  }
}

}  // namespace

ErrorManager::ErrorManager(Ui& ui) : ui_(&ui), serial_(nextSerial()) {
  AddErrors(standardMessageBlock());
}

void ErrorManager::setUi(Ui& ui) { ui_ = &ui; }

Ui& ErrorManager::ui() const { return *ui_; }

void ErrorManager::AddErrors(std::string_view block) {
  std::vector<MessageEntry> loaded;
  if (!decodeMessageBlock(block, loaded)) return;
  std::lock_guard lock(mu_);
  entries_.insert(entries_.end(), std::make_move_iterator(loaded.begin()),
                  std::make_move_iterator(loaded.end()));
}

MessageEntry ErrorManager::lookup(int id) const {
  std::lock_guard lock(mu_);
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->id == id) return *it;
  return {};
}

// The context lives in the thread's own storage, one per manager, so no lock
// is needed and a thread never sees another thread's failure. Keying by a
// serial number rather than by address keeps a new manager from inheriting
// the context of one that lived at the same address before it.
ErrorContext& ErrorManager::ctx() const {
  thread_local std::unordered_map<std::uint64_t, ErrorContext> contexts;
  return contexts[serial_];
}

ErrorContext ErrorManager::context() const { return ctx(); }

void ErrorManager::select(int id) {
  ErrorContext& c = ctx();
  c.previousId = c.current.id;
  c.current = lookup(id);
}

void ErrorManager::captureEngine() {
  ErrorContext& c = ctx();
  const EngineStatus& engine = engineStatus();
  c.engineCode = engine.code;
  c.engineText = rtrim(engine.text);
  c.driverCode = rtrim(engine.driverCode);
  c.driverText = rtrim(engine.driverText);
}

int ErrorManager::Throw(int id) {
  ErrorContext& c = ctx();
  captureEngine();
  select(id);
  return actOnLevel(ui(), c.current, substitute(c.current.text));
}

int ErrorManager::ThrowMessage(int id, std::string_view argument) {
  ctx().messageArg = contextText(argument);
  return Throw(id);
}

unsigned ErrorManager::AskAboutFailure(int id, unsigned buttons, unsigned defaultButton) {
  captureEngine();
  return Message(id, buttons, defaultButton);
}

unsigned ErrorManager::Message(int id, unsigned buttons, unsigned defaultButton) {
  select(id);
  const ErrorContext& c = ctx();
  return ui().message(substitute(c.current.text), c.current.title, Icon::Question, buttons,
                      defaultButton);
}

void ErrorManager::SetFile(std::string_view name) { ctx().file = contextText(name); }
void ErrorManager::SetKey(std::string_view name) { ctx().key = contextText(name); }
void ErrorManager::SetField(std::string_view name) { ctx().field = contextText(name); }

void ErrorManager::SetProcedureName(std::string_view name) {
  std::lock_guard lock(mu_);
  procedures_.emplace_back(std::this_thread::get_id(), std::string(name));
}

void ErrorManager::PopProcedureName() {
  std::lock_guard lock(mu_);
  const std::thread::id self = std::this_thread::get_id();
  for (auto it = procedures_.rbegin(); it != procedures_.rend(); ++it) {
    if (it->first == self) {
      procedures_.erase(std::next(it).base());
      return;
    }
  }
}

std::string ErrorManager::currentProcedure() const {
  std::lock_guard lock(mu_);
  const std::thread::id self = std::this_thread::get_id();
  for (auto it = procedures_.rbegin(); it != procedures_.rend(); ++it)
    if (it->first == self) return it->second;
  return {};
}

std::string ErrorManager::substitute(std::string_view text) const {
  const ErrorContext& c = ctx();
  std::string work(text.substr(0, kWorkingLimit));

  // Engine codes 90 and 100 are failures the file driver explains itself, so
  // its own text and code say more than the engine's.
  const bool driverExplains = c.engineCode == 90 || c.engineCode == 100;
  const std::string errorText =
      driverExplains ? c.driverText + " (" + c.driverCode + ")"
                     : c.engineText + " (" + std::to_string(c.engineCode) + ")";

  // Longer names go before the shorter names that begin them.
  replaceAll(work, "%FileErrorCode", c.driverCode);
  replaceAll(work, "%FileError", c.driverText);
  replaceAll(work, "%File", c.file);
  replaceAll(work, "%Key", c.key);
  replaceAll(work, "%ErrorCode", std::to_string(c.engineCode));
  replaceAll(work, "%ErrorText", errorText);
  replaceAll(work, "%Error", c.engineText);
  replaceAll(work, "%Message", c.messageArg);
  replaceAll(work, "%Field", c.field);
  replaceAll(work, "%Procedure", currentProcedure());
  replaceAll(work, "%Category", c.current.category);
  if (findNoCase(work, "%Previous", 0) != std::string::npos)
    replaceAll(work, "%Previous", c.previousId != 0 ? lookup(c.previousId).text : std::string());
  return work;
}

}  // namespace vel
