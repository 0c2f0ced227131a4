// Moving an office's records from one store to another: the record files of
// a data folder into a PostgreSQL schema, or back into a folder's files.
//
// Written over the engine interface alone, so the same code moves between
// any two stores (a folder to another folder as well). Every file of the
// file directory that exists at the source is copied: the source is opened
// read-only and read in arrival order, and each record is added to a newly
// created file at the target with its field values exactly as they were,
// the numbers the record store handed out included, one transaction per
// group of records. A target that already holds any file of the directory
// is refused, naming the files, unless asked to replace them; a copy that
// fails part-way removes the files it made, so a second run starts clean.
//
// Then both sides are read again and compared file by file: the record
// count, and a checksum that does not depend on the order the records come
// in (the sum, mod 2^64, of a 64-bit hash of each record's values written
// in one canonical text form). Nothing at the source is ever written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace vel {

// One side of a move: the engine and the folder the file paths start from
// (a database goes by the file's name alone, so its folder may be empty).
struct StoreSide {
  Engine& engine;
  std::string folder;
};

// What a file holds, as the comparison sees it.
struct TableSum {
  std::int64_t records = 0;
  std::uint64_t checksum = 0;
  bool operator==(const TableSum&) const = default;
};

// The hash of one record's values: each field's name and value in canonical
// text (text without its trailing blanks, whole numbers in decimal, reals in
// their shortest exact form, -0 as 0).
std::uint64_t recordHash(const Layout& layout, const void* rec);

// Reads `file` to its end in arrival order and sums it. 0, or the engine
// code of the read that failed (a walk cut short is never a sum).
int sumTable(EngineFile& file, TableSum& out);

// One file of the office, in directory order.
struct MigratedFile {
  std::string label;  // "VelCli"
  std::string name;   // "VelCli.Tps": the file, or the table named after it
  TableSum source, target;
  bool compared = false;  // both sides were read to their end
  std::string problem;    // why the file could not be compared, if it could not
  bool matches() const { return compared && source == target; }
};

struct MigrateReport {
  std::vector<MigratedFile> files;     // every file found at the source
  std::vector<std::string> occupied;   // target files that stood in the way
  std::string failure;                 // why the move stopped, if it did
  bool copied = false;                 // every file was copied
  // The move is done: every file copied, and every one matches.
  bool ok() const;
};

struct MigrateOptions {
  bool replace = false;  // remove the target's files first instead of refusing
  int groupSize = 1000;  // records per committed transaction at the target
  std::string owner = std::string(kOwnerPassword);
  // Called as each file is copied: its label, records copied so far, total.
  std::function<void(const std::string& label, std::int64_t done, std::int64_t total)> progress;
};

// Copies every file of the office at `from` to `to`, then compares them.
MigrateReport migrateOffice(const StoreSide& from, const StoreSide& to,
                            const MigrateOptions& options = {});

// Compares every file of the office at `from` with the same file at `to`
// (the check that ends a move, on its own).
MigrateReport compareOffices(const StoreSide& from, const StoreSide& to,
                             std::string_view owner = kOwnerPassword);

}  // namespace vel
