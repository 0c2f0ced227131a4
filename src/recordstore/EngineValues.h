// What both record engines share: the status helpers, identifier quoting,
// the owner hash and the conversion between record fields and stored values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Layout.h"

namespace vel::store {

// Clears the thread's engine status and answers 0.
int ok();
// Sets the thread's status to `code` with its standard text (and `detail`).
int fail(int code, std::string_view detail = {});

// A quoted SQL identifier ("name", inner quotes doubled).
std::string quoteId(std::string_view name);
std::uint64_t fnv1a(std::string_view s);
// The owner password as a file keeps it: a hash, never the password itself.
std::string ownerHash(std::string_view owner);

// A stored value: what a column holds (dates as yyyymmdd, text right-trimmed).
struct Cell {
  std::int64_t i = 0;
  double d = 0;
  std::string s;
};

inline bool isText(FieldType t) { return t == FieldType::String; }
inline bool isReal(FieldType t) { return t == FieldType::Real; }

// Record field -> stored cell.
void toCell(const FieldDesc& f, void* rec, Cell& c);
// Stored cell -> record field.
void fromCell(const FieldDesc& f, void* rec, const Cell& c);
// Refuses (58, naming the field) a value the stored field cannot hold.
int checkFits(const Layout& l, void* rec);

// The values of key `key`'s fields in `rec`, as stored.
void keyCells(const Layout& l, int key, const void* rec, std::vector<Cell>& out);
// Whether every value of key `key` is blank or zero.
bool allEmpty(const Layout& l, int key, const std::vector<Cell>& vals);

// A record's position: "R<order>;<id>;" then the order's key values, each
// as "<length>:<text>". Carries the order, the record's id and its place
// in the order.
std::string encodePosition(const Layout& l, int order, std::int64_t id,
                           const std::vector<Cell>& vals);
bool decodePosition(const Layout& l, std::string_view pos, int& order, std::int64_t& id,
                    std::vector<Cell>& vals);

// The columns a read of `fields` selects: the fields named plus every key
// field (a walk in any order finds its place by them), and which of them
// reach the record. Both empty for every field. 80 for an unknown field.
int chooseReadFields(const Layout& l, const std::vector<int>& fields, std::vector<int>& selected,
                     std::vector<bool>& fill);

// What a file has been told by its driver options: "Recover=N" (the longest
// wait in seconds for another station's lock), "FULLBUILD=ON" (the next key
// build is a full one), "PAGE=N" (the reader wants N records: the next
// walk's first page asks for that many; 0 goes back to the engine's own).
struct FileOptions {
  int waitSeconds = 0;  // 0: the engine's own wait
  bool fullBuild = false;
  int wanted = 0;
};
// Takes option `opt` (names in any case) into `into`: 0, or 80 with
// nothing changed for an unknown option or a page size that is no number.
int takeOption(std::string_view opt, FileOptions& into);

// Rows in a walk's first page: what the reader said it wants (PAGE=N), or
// `ownFirst`; never more than `largest`.
inline int firstPageRows(int wanted, int ownFirst, int largest) {
  return wanted > 0 ? (wanted < largest ? wanted : largest) : ownFirst;
}

}  // namespace vel::store
