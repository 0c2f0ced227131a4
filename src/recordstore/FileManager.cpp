#include "recordstore/FileManager.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "errors/EngineStatus.h"
#include "recordstore/FileUsage.h"

namespace vel {

namespace {
std::atomic<std::uint64_t> nextSerial{1};
constexpr int kNumberAttempts = 3;

// Another station's lock outlasted the engine's wait.
bool lockedOut(int rc) { return rc == ecode::kLockTimeout || rc == ecode::kRecordHeld; }

// Waits between tries while other stations hold the file: short at first,
// growing, with a random part so that stations that collided do not collide
// again in step. Gives up (false) once `seconds` have passed since the first
// lock-out, on top of whatever the engine waited before reporting it.
class LockBackoff {
 public:
  explicit LockBackoff(int seconds) : seconds_(seconds) {}
  bool again() {
    const auto now = std::chrono::steady_clock::now();
    if (!started_) {
      until_ = now + std::chrono::seconds(seconds_);
      started_ = true;
    }
    if (now >= until_) return false;
    thread_local std::minstd_rand rng(static_cast<unsigned>(
        std::hash<std::thread::id>{}(std::this_thread::get_id()) ^
        static_cast<std::size_t>(std::chrono::steady_clock::now().time_since_epoch().count())));
    std::uniform_int_distribution<int> spread(stepMs_ / 2, stepMs_);
    std::this_thread::sleep_for(std::chrono::milliseconds(spread(rng)));
    stepMs_ = std::min(stepMs_ * 2, kLongestStepMs);
    return true;
  }

 private:
  static constexpr int kLongestStepMs = 400;
  int seconds_;
  bool started_ = false;
  std::chrono::steady_clock::time_point until_;
  int stepMs_ = 4;
};
}  // namespace

struct FileManager::Saved {
  int handle;
  RecordBuffer buffer;
  std::shared_ptr<void> cursor;
  std::string position;
  bool reserved;
  std::string reservedPos;
};

struct FileManager::ThreadState {
  explicit ThreadState(const Layout& l) : buf(l) {}
  RecordBuffer buf;
  std::unique_ptr<EngineFile> file;
  OpenMode mode;
  bool skipHeld = false;
  bool endOfData = false;
  std::vector<int> readFields;  // the field subset this thread reads; empty: all
  bool reserved = false;
  std::string reservedPos;
  std::vector<Saved> stack;
  std::function<int(const void*)> validator;
  // The last failure: message number and the engine's status at that moment.
  int lastError = 0;
  EngineStatus lastEngine;
};

FileManager::FileManager(StoreContext& ctx, const FileDecl& decl, int fileIndex)
    : ctx_(ctx), decl_(decl), index_(fileIndex), serial_(nextSerial++) {
  const Layout& l = *decl.layout;
  for (int k = 0; k < static_cast<int>(l.keys().size()); ++k) {
    keyDescriptions_.push_back(l.keyDescription(k));
    if (l.keys()[static_cast<std::size_t>(k)].autoNumber()) autoKey_ = k;
  }
}

FileManager::~FileManager() = default;

std::string FileManager::path() const {
  std::string p = ctx_.folder;
  if (!p.empty() && p.back() != '/') p += '/';
  return p + decl_.diskName();
}

FileManager::ThreadState& FileManager::state() {
  // Each thread finds its own state; a small per-thread index keeps the
  // common case free of the lock.
  thread_local std::unordered_map<std::uint64_t, ThreadState*> mine;
  auto it = mine.find(serial_);
  if (it != mine.end()) return *it->second;
  std::lock_guard lock(mu_);
  auto& p = states_[std::this_thread::get_id()];
  if (!p) p = std::make_unique<ThreadState>(layout());
  mine[serial_] = p.get();
  return *p;
}

void* FileManager::buffer() { return state().buf.get(); }

FieldRef FileManager::field(std::string_view name) {
  int i = layout().fieldIndex(name);
  return layout().field(buffer(), i < 0 ? 0 : i);
}

int FileManager::fail(ThreadState& st, int messageId, int level) {
  st.lastError = messageId;
  st.lastEngine = engineStatus();
  return level;
}

int FileManager::report(int id, std::string_view key) {
  ThreadState& st = state();
  st.lastError = id;
  // The engine status of the failure, not of whatever ran since.
  setEngineStatus(st.lastEngine);
  ctx_.errors->SetFile(label());
  if (!key.empty()) ctx_.errors->SetKey(key);
  return ctx_.errors->Throw(id);
}

// ---- opening ---------------------------------------------------------------

int FileManager::Open() {
  ThreadState& st = state();
  ctx_.usage->add(index_, ctx_.errors->currentProcedure());
  st.endOfData = false;
  return kDone;
}

int FileManager::Close() {
  ThreadState& st = state();
  int left = ctx_.usage->remove(index_, ctx_.errors->currentProcedure());
  if (left <= 0 && st.file) {
    st.file.reset();  // the engine file closes with its handle
    st.mode = OpenMode{};  // a read-only fallback lasts as long as that open
    st.reserved = false;
    st.stack.clear();
  }
  return kDone;
}

bool FileManager::opened() { return state().file != nullptr; }

int FileManager::TryExists(bool& there) {
  there = false;
  return ctx_.engine->exists(path(), there);
}

bool FileManager::Exists() {
  bool there = false;
  return TryExists(there) != ecode::kNone || there;
}
int FileManager::useCount() { return ctx_.usage->count(index_); }
void FileManager::SetOpenMode(OpenMode mode) { state().mode = mode; }
void FileManager::SetSkipHeld(bool skip) { state().skipHeld = skip; }

int FileManager::EnsureOpen() {
  ThreadState& st = state();
  if (st.file) return kDone;
  if (ctx_.usage->count(index_) <= 0) {
    setEngineStatus(ecode::kNotOpen, engineCodeText(ecode::kNotOpen));
    fail(st, msg::UseClosedFile, kNotUsable);
    report(msg::UseClosedFile);
    return kNotUsable;
  }
  return openNow(st, true);
}

int FileManager::openNow(ThreadState& st, bool reporting) {
  Engine& engine = *ctx_.engine;
  const std::string p = path();
  LockBackoff backoff(ctx_.openRetrySeconds);
  for (int attempt = 0; attempt < 2; ++attempt) {
    int rc = engine.open(layout(), p, st.mode, ctx_.owner, st.file);
    if (rc == ecode::kAccessDenied) {
      // Perhaps a lock left by a station that stopped: the engine breaks such
      // locks by itself, so try once more at once.
      rc = engine.open(layout(), p, st.mode, ctx_.owner, st.file);
    }
    if (rc == ecode::kNone) {
      st.reserved = false;
      st.endOfData = false;
      if (!st.readFields.empty()) st.file->setReadFields(st.readFields);
      return kDone;
    }
    if (lockedOut(rc)) {
      // Another station is busy with the file; under load its commits may
      // keep this one out for a while, so try a little longer first. Then
      // ask: a busy file is no reason to end the program and lose what the
      // clerk typed. Giving up leaves only the calling window or procedure.
      if (backoff.again()) {
        --attempt;
        continue;
      }
      fail(st, msg::OpenFailed, kNotUsable);
      if (!askRetryOpen()) return kNotUsable;
      backoff = LockBackoff(ctx_.openRetrySeconds);
      attempt = -1;
      continue;
    }
    if (rc == ecode::kFileNotFound) {
      if (engine.create(layout(), p, ctx_.owner) != ecode::kNone) {
        fail(st, msg::CreateError, kNotUsable);
        return reporting ? report(msg::CreateError) : kNotUsable;
      }
      attempt = -1;  // a file just created gets both tries
      continue;
    }
    if (rc == ecode::kAccessDenied) {
      if (!st.mode.writes()) break;
      st.mode.access = Access::ReadOnly;  // keep the sharing part
      fail(st, msg::AccessDenied, kFailed);
      if (reporting) report(msg::AccessDenied);
      continue;
    }
    if (rc == ecode::kInvalidKeys) {
      fail(st, msg::RebuildKey, kFailed);
      if (reporting) report(msg::RebuildKey);
      if (engine.repairKeys(layout(), p, ctx_.owner) != ecode::kNone) {
        fail(st, msg::RebuildError, kNotUsable);
        return reporting ? report(msg::RebuildError) : kNotUsable;
      }
      continue;
    }
    break;
  }
  fail(st, msg::OpenFailed, kNotUsable);
  if (!reporting) return kNotUsable;
  int level = report(msg::OpenFailed);
  return level == kDone ? kNotUsable : level;
}

// "File %File could not be opened" with Retry and Cancel: true to try again.
bool FileManager::askRetryOpen() {
  ThreadState& st = state();
  setEngineStatus(st.lastEngine);
  ctx_.errors->SetFile(label());
  return ctx_.errors->AskAboutFailure(msg::OpenFailed, kRetry | kCancel, kRetry) == kRetry;
}

int FileManager::TryEnsureOpen() {
  ThreadState& st = state();
  if (st.file) return kDone;
  if (ctx_.usage->count(index_) <= 0) {
    setEngineStatus(ecode::kNotOpen, engineCodeText(ecode::kNotOpen));
    return fail(st, msg::UseClosedFile, kNotUsable);
  }
  return openNow(st, false);
}

EngineFile* FileManager::engineFile() {
  if (EnsureOpen() != kDone) return nullptr;
  return state().file.get();
}

// ---- reading ---------------------------------------------------------------

int FileManager::SetOrder(int key) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  st.endOfData = false;
  return st.file->setOrder(key) == ecode::kNone ? kDone : fail(st, msg::RetrievalError, kFailed);
}

int FileManager::SetOrderAt(int key) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  st.endOfData = false;
  return st.file->setOrderAt(key, st.buf.get()) == ecode::kNone
             ? kDone
             : fail(st, msg::RetrievalError, kFailed);
}

// A fetch that finds no record gives 5; one that could not look (a lock held
// beyond the wait, a damaged page) is a failure: the quiet form gives 3, the
// reporting form shows it and gives 5. Either way LastEngineCode tells which.
int FileManager::get(int key, bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  int rc = st.file->get(key, st.buf.get());
  st.endOfData = false;
  if (rc == ecode::kNone) return kDone;
  if (rc == ecode::kRecordNotFound || rc == ecode::kNoRecord)
    return fail(st, msg::RetrievalError, kFailed);
  if (!reporting) return fail(st, msg::RetrievalError, kNotUsable);
  fail(st, msg::RetrievalError, kFailed);
  report(msg::RetrievalError);
  return kFailed;
}

int FileManager::GetByKey(int key) { return get(key, true); }
int FileManager::TryGetByKey(int key) { return get(key, false); }

// The end of the data is 5 with EndOfData() set. Anything else that stops a
// read is a failure with EndOfData() clear: the reporting form shows it and
// gives 5, the quiet form gives 3, so that no caller takes it for the end.
int FileManager::read(bool forward, bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  for (int held = 0;; ++held) {
    int rc = forward ? st.file->next(st.buf.get()) : st.file->previous(st.buf.get());
    st.endOfData = rc == ecode::kNoRecord;
    if (rc == ecode::kNone) return kDone;
    if (rc == ecode::kNoRecord) return fail(st, 0, kFailed);
    if (rc == ecode::kRecordHeld) {
      if (st.skipHeld && held < 3) continue;  // the holder's write ends soon: read on
      fail(st, msg::RecordHeld, kFailed);
      if (!reporting) return kNotUsable;
      report(msg::RecordHeld);
      return kFailed;
    }
    fail(st, msg::RetrievalError, reporting ? kFailed : kNotUsable);
    if (!reporting) return kNotUsable;
    report(msg::RetrievalError);
    return kFailed;
  }
}

int FileManager::ReadNext() { return read(true, true); }
int FileManager::TryReadNext() { return read(true, false); }
int FileManager::ReadPrevious() { return read(false, true); }
int FileManager::TryReadPrevious() { return read(false, false); }
bool FileManager::EndOfData() { return state().endOfData; }

std::string FileManager::Position() {
  if (EnsureOpen()) return {};
  return state().file->position();
}

int FileManager::Reget(std::string_view pos) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  st.endOfData = false;
  int rc = st.file->reget(pos, st.buf.get());
  if (rc == ecode::kNone) return kDone;
  // 5: the record is gone; 3: it could not be read (lock, damage).
  if (rc == ecode::kRecordNotFound) return fail(st, msg::RetrievedChanged, kFailed);
  return fail(st, msg::RetrievalError, kNotUsable);
}

int FileManager::ResetTo(std::string_view pos) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  st.endOfData = false;
  return st.file->resetTo(pos) == ecode::kNone ? kDone : fail(st, msg::RetrievalError, kFailed);
}

int FileManager::Watch() {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  return st.file->watch() == ecode::kNone ? kDone : fail(st, msg::RetrievalError, kFailed);
}

int FileManager::WatchAndReread() {
  std::string pos = Position();
  if (pos.empty()) return fail(state(), msg::RetrievalError, kFailed);
  if (int rc = Reget(pos)) return rc;
  return Watch();
}

int FileManager::StoredVersion(void* out) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  std::string pos = st.file->position();
  if (pos.empty()) return fail(st, msg::RetrievalError, kFailed);
  // Read it aside: the current record, its watch and the walk stay as they were.
  auto cursor = st.file->saveCursor();
  int rc = st.file->reget(pos, out);
  st.file->restoreCursor(cursor);
  return rc == ecode::kNone ? kDone : fail(st, msg::RetrievedChanged, kFailed);
}

std::int64_t FileManager::Records() {
  std::int64_t n = 0;
  TryRecords(n);
  return n;
}

int FileManager::TryRecords(std::int64_t& count) {
  count = 0;
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  if (st.file->records(count) != ecode::kNone) {
    count = 0;
    return fail(st, msg::RetrievalError, kNotUsable);
  }
  return kDone;
}

int FileManager::SetReadFields(std::vector<int> fields) {
  ThreadState& st = state();
  st.readFields = std::move(fields);
  if (!st.file) return kDone;  // applied when the file opens
  return st.file->setReadFields(st.readFields) == ecode::kNone
             ? kDone
             : fail(st, msg::RetrievalError, kFailed);
}

int FileManager::SetReadFields(std::initializer_list<std::string_view> names) {
  std::vector<int> fields;
  for (std::string_view n : names) {
    int i = layout().fieldIndex(n);
    if (i < 0) {
      setEngineStatus(ecode::kNotSupported, "no field " + std::string(n) + " in " + label());
      return fail(state(), msg::RetrievalError, kFailed);
    }
    fields.push_back(i);
  }
  return SetReadFields(std::move(fields));
}

bool FileManager::ReadsFieldSubset() { return !state().readFields.empty(); }

void FileManager::ClearBuffer() { layout().clear(buffer()); }

void FileManager::ClearField(int fieldIndex, bool highest) {
  FieldRef f = field(fieldIndex);
  if (highest) f.setHighest();
  else f.clear();
}

// ---- auto-numbering --------------------------------------------------------

// The number after the highest one in the auto-numbered key; the numbering
// runs within equal values of the key's leading components.
int FileManager::nextNumber(ThreadState& st, std::int64_t& number) {
  const KeyDesc& k = layout().keys()[static_cast<std::size_t>(autoKey_)];
  int numbered = k.components.back();
  RecordBuffer probe(st.buf);
  int rc;
  if (k.components.size() == 1) {
    rc = st.file->setOrder(autoKey_);
  } else {
    layout().field(probe.get(), numbered).setHighest();
    rc = st.file->setOrderAt(autoKey_, probe.get());
  }
  if (rc == ecode::kNone) rc = st.file->previous(probe.get());
  if (rc == ecode::kNoRecord) {
    number = 1;
    return ecode::kNone;
  }
  if (rc != ecode::kNone) return rc;
  for (std::size_t j = 0; j + 1 < k.components.size(); ++j) {
    int c = k.components[j];
    if (layout().field(probe.get(), c).display() != layout().field(st.buf.get(), c).display()) {
      number = 1;
      return ecode::kNone;
    }
  }
  number = layout().field(probe.get(), numbered).whole() + 1;
  return ecode::kNone;
}

// One try at numbering: find the highest number and add the reserving record
// under one write lock, so two stations never take the same number. Gives
// the engine code; a failure to read the key is `readFailed`.
int FileManager::reserveOnce(ThreadState& st, bool& readFailed) {
  readFailed = false;
  const KeyDesc& k = layout().keys()[static_cast<std::size_t>(autoKey_)];
  std::unique_ptr<Transaction> tx;
  int rc = ctx_.engine->begin({st.file.get()}, ctx_.transactionTimeout, tx);
  if (rc != ecode::kNone) return rc;
  std::int64_t number = 0;
  rc = nextNumber(st, number);
  if (rc != ecode::kNone) {
    EngineStatus keep = engineStatus();
    tx->rollback();
    setEngineStatus(keep);
    readFailed = !lockedOut(rc);
    return rc;
  }
  // The reserved record holds the key and nothing else, so that no other
  // value of the buffer can stand in the way of the number; Insert writes
  // the whole record over it.
  RecordBuffer holder(layout());
  for (int c : k.components) layout().field(holder.get(), c).assign(layout().field(st.buf.get(), c));
  layout().field(holder.get(), k.components.back()).whole() = number;
  rc = st.file->add(holder.get());
  if (rc == ecode::kNone) rc = tx->commit();
  if (rc != ecode::kNone) {
    EngineStatus keep = engineStatus();
    tx->rollback();
    setEngineStatus(keep);
    return rc;
  }
  layout().field(st.buf.get(), k.components.back()).whole() = number;
  st.reserved = true;
  st.reservedPos = st.file->position();
  return ecode::kNone;
}


int FileManager::reserve(bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  if (autoKey_ < 0 || st.reserved) return kDone;
  for (;;) {
    // Under load another station's lock is normal: waiting it out is not a
    // failed attempt. Only a lock that outlasts the whole wait, or another
    // failure, counts as one of the three.
    LockBackoff backoff(ctx_.numberRetrySeconds);
    for (int attempt = 0; attempt < kNumberAttempts;) {
      bool readFailed = false;
      int rc = reserveOnce(st, readFailed);
      if (rc == ecode::kNone) return kDone;
      if (readFailed) {
        fail(st, msg::RetrievalError, kFailed);
        if (reporting) report(msg::RetrievalError);
        return kFailed;
      }
      fail(st, msg::AutoIncrementError, kFailed);
      if (lockedOut(rc) && backoff.again()) continue;
      ++attempt;
      if (rc == ecode::kValueDoesNotFit) break;  // retrying cannot help
    }
    if (!reporting) return kFailed;
    if (report(msg::AutoIncrementError, KeyDescription(autoKey_)) != kDone) return kFailed;
  }
}

// Writes the whole buffer over the record that reserved its number, waiting
// out other stations' locks as the numbering does.
int FileManager::completeReserved(ThreadState& st) {
  LockBackoff backoff(ctx_.numberRetrySeconds);
  for (;;) {
    RecordBuffer scratch(layout());
    int rc = st.file->reget(st.reservedPos, scratch.get());
    if (rc == ecode::kNone) rc = st.file->put(st.buf.get());
    if (!lockedOut(rc) || !backoff.again()) return rc;
  }
}

int FileManager::ReserveNumber() { return reserve(true); }
int FileManager::TryReserveNumber() { return reserve(false); }
bool FileManager::Reserved() { return state().reserved; }

int FileManager::DropReservation() {
  ThreadState& st = state();
  if (!st.reserved || !st.file) return kDone;
  RecordBuffer scratch(layout());
  int rc = st.file->reget(st.reservedPos, scratch.get());
  if (rc == ecode::kNone) rc = st.file->erase();
  st.reserved = false;
  if (rc != ecode::kNone && rc != ecode::kRecordNotFound) return fail(st, msg::DeleteError, kFailed);
  return kDone;
}

// ---- writing ---------------------------------------------------------------

void FileManager::SetValidator(std::function<int(const void*)> check) {
  state().validator = std::move(check);
}

namespace {

// A field's name as a clerk reads it: "TOWN" -> "Town", "CLIENT_ID" ->
// "Client ID" (words of one or two letters stay in capitals).
std::string readableFieldName(std::string_view name) {
  std::string out;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('_', start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view word = name.substr(start, end - start);
    if (!word.empty()) {
      if (!out.empty()) out += ' ';
      for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (i > 0 && word.size() > 2 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        out += c;
      }
    }
    start = end + 1;
  }
  return out;
}

}  // namespace

// The fields of the first unique key on which the buffer clashes with a
// record other than the one at `except`, as the clerk knows them ("Town";
// "Name, Branch, Code"), never the key's internal name.
std::string FileManager::clashingKey(ThreadState& st, const std::string& except) {
  for (int k = 0; k < static_cast<int>(layout().keys().size()); ++k) {
    bool clash = false;
    if (st.file->duplicateOn(k, st.buf.get(), except, clash) == ecode::kNone && clash) {
      std::string names;
      for (int f : layout().keys()[static_cast<std::size_t>(k)].components) {
        if (!names.empty()) names += ", ";
        names += readableFieldName(layout().fields()[static_cast<std::size_t>(f)].name);
      }
      return names;
    }
  }
  return {};
}

int FileManager::insert(bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  if (st.validator && st.validator(st.buf.get()) != 0) return fail(st, 0, kFailed);
  int rc;
  bool reservedHere = false;
  if (autoKey_ < 0) {
    rc = st.file->add(st.buf.get());
  } else {
    if (!st.reserved) {
      if (int level = reserve(reporting)) return level;
      reservedHere = true;
    }
    // Complete the reserved record: find it again and rewrite it.
    rc = completeReserved(st);
  }
  if (rc == ecode::kNone) {
    st.reserved = false;
    return kDone;
  }
  // A number this insert reserved for itself goes back when the insert fails;
  // a number the form reserved stays with the form for another try.
  struct GiveBack {
    FileManager* fm;
    bool active;
    ~GiveBack() {
      if (active) fm->DropReservation();
    }
  } giveBack{this, reservedHere};
  if (rc == ecode::kDuplicateKey) {
    fail(st, msg::DuplicateKey, kFailed);
    if (!reporting) return kFailed;
    std::string name = clashingKey(st, st.reserved ? st.reservedPos : std::string());
    setEngineStatus(st.lastEngine);
    ctx_.errors->SetFile(label());
    ctx_.errors->ThrowMessage(msg::DuplicateKey, name);
    return kFailed;
  }
  fail(st, msg::InsertError, kFailed);
  if (reporting) report(msg::InsertError);
  return kFailed;
}

int FileManager::Insert() { return insert(true); }
int FileManager::TryInsert() { return insert(false); }

int FileManager::update(bool fromForm, bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  if (st.validator && st.validator(st.buf.get()) != 0) return fail(st, 0, kRefused);
  std::string pos = st.file->position();
  int rc = st.file->put(st.buf.get());
  if (rc == ecode::kNone) {
    return kDone;
  }
  if (rc == ecode::kChanged) {
    int id = fromForm ? msg::ConcurrencyChangedFromForm : msg::ConcurrencyChanged;
    fail(st, id, kFailed);
    if (reporting) report(id);
    // Show the other station's version, watched again for the next save.
    if (st.file->reget(pos, st.buf.get()) == ecode::kNone) {
      st.file->watch();
    }
    return kFailed;
  }
  if (rc == ecode::kDuplicateKey) {
    // Name the clashing key in the error text.
    setEngineStatus(ecode::kDuplicateKey,
                    std::string(engineCodeText(ecode::kDuplicateKey)) + " " + clashingKey(st, pos));
  }
  fail(st, msg::PutFailed, kFailed);
  if (reporting) report(msg::PutFailed);
  return kFailed;
}

int FileManager::Update(bool fromForm) { return update(fromForm, true); }
int FileManager::TryUpdate() { return update(false, false); }

int FileManager::remove(bool ask, bool reporting) {
  if (int rc = EnsureOpen()) return rc;
  ThreadState& st = state();
  if (ask && reporting) {
    ctx_.errors->SetFile(label());
    if (ctx_.errors->Throw(msg::DeleteConfirm) != kDone) return kDeclined;
  }
  if (st.file->erase() == ecode::kNone) return kDone;
  fail(st, msg::DeleteError, kFailed);
  if (reporting) report(msg::DeleteError);
  return kFailed;
}

int FileManager::Delete(bool ask) { return remove(ask, true); }
int FileManager::TryDelete() { return remove(false, false); }

// ---- state -----------------------------------------------------------------

int FileManager::PushState() {
  ThreadState& st = state();
  int handle = st.stack.empty() ? 1 : st.stack.back().handle + 1;
  Saved s{handle, st.buf, st.file ? st.file->saveCursor() : nullptr,
          st.file ? st.file->position() : std::string(), st.reserved, st.reservedPos};
  st.stack.push_back(std::move(s));
  return handle;
}

void FileManager::PopState(int handle) {
  ThreadState& st = state();
  auto it = std::find_if(st.stack.begin(), st.stack.end(),
                         [&](const Saved& s) { return s.handle == handle; });
  if (it == st.stack.end()) return;
  st.buf = it->buffer;
  if (st.file && it->cursor) st.file->restoreCursor(it->cursor);
  st.reserved = it->reserved;
  st.reservedPos = it->reservedPos;
  st.stack.erase(it);
}

void FileManager::RegisterKey(int key, std::string description, bool autoNumber) {
  if (key < 0 || key >= static_cast<int>(keyDescriptions_.size())) return;
  keyDescriptions_[static_cast<std::size_t>(key)] = std::move(description);
  if (autoNumber) autoKey_ = key;
}

int FileManager::LastError() { return state().lastError; }
int FileManager::LastEngineCode() { return state().lastEngine.code; }
std::string FileManager::LastEngineText() { return state().lastEngine.text; }

}  // namespace vel
