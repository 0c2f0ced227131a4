// FileManager: one per record file, shared by every thread.
//
// It keeps the buffer-based contract the whole program is written in: clear
// the buffer, set key fields, get by key, read next, add, rewrite, delete,
// each returning a level (0 done, 1 refused, 3 file not usable, 4 declined by
// the user, 5 failed and reported). Every thread has its own record buffer,
// position, open count and engine file; the managers themselves are shared.
//
// Most operations come in two forms: the reporting form shows a failure
// through the error manager; the Try form only records it (LastError,
// LastEngineCode) and returns the level.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "dictionary/FileDirectory.h"
#include "errors/ErrorManager.h"
#include "recordstore/Engine.h"

namespace vel {

class FileUsage;

// What every manager of one data folder shares.
struct StoreContext {
  std::string folder;     // the data folder; file names carry no path
  Engine* engine = nullptr;
  ErrorManager* errors = nullptr;
  std::string owner;      // owner password passed to the engine on create and open
  FileUsage* usage = nullptr;
  int transactionTimeout = 2;  // seconds to wait for other stations' locks
  // Seconds an auto-number (and the insert completing it) keeps retrying
  // while other stations hold the file, before a try counts as failed.
  int numberRetrySeconds = 30;
  // Seconds opening keeps retrying, beyond the engine's own wait, while other
  // stations hold the file, before the clerk is asked to retry or cancel.
  int openRetrySeconds = 5;
};

class FileManager {
 public:
  FileManager(StoreContext& ctx, const FileDecl& decl, int fileIndex);
  ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  const std::string& label() const { return decl_.label; }
  const Layout& layout() const { return *decl_.layout; }
  const FileDecl& decl() const { return decl_; }
  int index() const { return index_; }
  std::string path() const;
  StoreContext& context() const { return ctx_; }

  // This thread's record buffer.
  void* buffer();
  template <class R>
  R& rec() { return *static_cast<R*>(buffer()); }
  FieldRef field(int i) { return layout().field(buffer(), i); }
  FieldRef field(std::string_view name);

  // Opening (lazy: the engine file opens at the first real access).
  int Open();
  int Close();
  // Opens now if postponed. When another station's lock outlasts the wait,
  // both forms ask the clerk to retry or cancel; cancelling gives 3 (file not
  // usable) and the caller's window or procedure closes, nothing else does.
  int EnsureOpen();
  int TryEnsureOpen();  // the other failures recorded, not shown
  bool opened();       // this thread has the engine file open
  // Whether the file exists in the store (some station created it), asked
  // of the engine without creating it. When the store cannot be asked the
  // answer is true, so that the open that follows reports why instead of the
  // file passing for one not made yet.
  bool Exists();
  int TryExists(bool& there);  // the engine's code; `there` is set when 0
  int useCount();      // how many procedures of this thread opened the file
  void SetOpenMode(OpenMode mode);
  void SetSkipHeld(bool skip);

  // Reading.
  int SetOrder(int key);    // kPhysicalOrder for arrival order
  int SetOrderAt(int key);  // at the key values now in the buffer
  int GetByKey(int key);
  int TryGetByKey(int key);
  int ReadNext();
  int TryReadNext();
  int ReadPrevious();
  int TryReadPrevious();
  // The last read ran past the end (or start). After a read that gave 5 (or 3)
  // with EndOfData() false the read failed: LastEngineCode()/LastEngineText()
  // tell why (a lock held beyond the wait, a damaged file, ...).
  bool EndOfData();
  std::string Position();
  int Reget(std::string_view pos);
  int ResetTo(std::string_view pos);
  int Watch();
  // Watch the current record and re-read it, so a form edits the current
  // version and a later Update tells of another station's change.
  int WatchAndReread();
  // The current record as the file holds it now, read into `out` without
  // moving the walk or dropping the watch.
  int StoredVersion(void* out);
  std::int64_t Records();  // 0 when the count failed (see TryRecords)
  int TryRecords(std::int64_t& count);  // 0 counted, 3 the count failed
  // From now on this thread's reads fill only these fields of the buffer
  // (the file's key fields are read as well); an empty list reads whole
  // records again. While a subset is read, Update is refused, so that no
  // half-filled record is written back.
  int SetReadFields(std::vector<int> fields);
  int SetReadFields(std::initializer_list<std::string_view> names);
  bool ReadsFieldSubset();

  // Buffer.
  void ClearBuffer();
  void ClearField(int field, bool highest = false);

  // Writing.
  int ReserveNumber();
  int TryReserveNumber();
  int DropReservation();
  bool Reserved();
  int Insert();
  int TryInsert();
  int Update(bool fromForm = false);
  int TryUpdate();
  int Delete(bool ask);
  int TryDelete();
  // Field rules of the calling form, run before Insert and Update: 0 accepts.
  void SetValidator(std::function<int(const void* rec)> check);

  // Save and restore buffer, order, position and reservation.
  int PushState();
  void PopState(int handle);

  // Key registered at initialisation: description and auto-number flag.
  void RegisterKey(int key, std::string description, bool autoNumber);
  const std::string& KeyDescription(int key) const { return keyDescriptions_[static_cast<std::size_t>(key)]; }
  int keyIndex(std::string_view name) const { return layout().keyIndex(name); }

  // Last failure on this thread: message number, engine code and text.
  int LastError();
  int LastEngineCode();
  std::string LastEngineText();

  // This thread's engine file, opening it if needed (nullptr when it cannot).
  EngineFile* engineFile();
  // Raise message `id` about this file with the engine error of the last failure.
  int report(int id, std::string_view key = {});

 private:
  struct Saved;
  struct ThreadState;
  ThreadState& state();
  int openNow(ThreadState& st, bool reporting);
  bool askRetryOpen();
  int fail(ThreadState& st, int messageId, int level);
  int read(bool forward, bool reporting);
  int get(int key, bool reporting);
  int reserve(bool reporting);
  int reserveOnce(ThreadState& st, bool& readFailed);
  int completeReserved(ThreadState& st);
  int insert(bool reporting);
  int update(bool fromForm, bool reporting);
  int remove(bool ask, bool reporting);
  int nextNumber(ThreadState& st, std::int64_t& number);
  std::string clashingKey(ThreadState& st, const std::string& except);

  StoreContext& ctx_;
  const FileDecl& decl_;
  int index_;
  std::uint64_t serial_;
  std::vector<std::string> keyDescriptions_;
  int autoKey_ = -1;

  std::mutex mu_;  // guards states_
  std::unordered_map<std::thread::id, std::unique_ptr<ThreadState>> states_;
};

// Reads only some fields of a file for the length of a scope (a walk that
// needs a few fields of a wide record), then whole records again.
class FieldSubsetRead {
 public:
  FieldSubsetRead(FileManager& f, std::initializer_list<std::string_view> names) : f_(f) {
    f_.SetReadFields(names);
  }
  ~FieldSubsetRead() { f_.SetReadFields(std::vector<int>{}); }
  FieldSubsetRead(const FieldSubsetRead&) = delete;
  FieldSubsetRead& operator=(const FieldSubsetRead&) = delete;

 private:
  FileManager& f_;
};

}  // namespace vel
