// Comma-separated output files for the exports.
//
// A line is a list of cells; each cell is text, written as RFC 4180 has it:
// a cell holding a comma, a double quote or a line break is put in double
// quotes with its quotes doubled, every other cell is written as it is. Lines
// end in CR LF, the line ending of the format, which every spreadsheet opens
// cleanly; a line break inside a quoted cell is kept as the record holds it.
//
// The file is written under a temporary name beside its real one, through a
// large buffer, and only `commit()` puts it under the real name (replacing an
// earlier export in one rename). An export that stops part-way, or a process
// that dies, therefore never leaves a half file under the real name: the
// earlier export stays as it was, and the temporary file is removed. The
// temporary name, "<file>.part-<pid>-<thread>@<host>", tells which process
// writes it: part files of the same export left by a process that died are
// removed when the export is next written (another station's only once they
// are a day old, since its processes cannot be asked).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vel {

// Appends `cell` to `line` quoted as RFC 4180 asks (see above).
void appendCsvCell(std::string& line, std::string_view cell);

// The mark between an export's name and its writer in a part file's name.
inline constexpr std::string_view kPartMark = ".part-";

// Removes the part files of the export `path` whose writers have died.
void removeDeadParts(const std::string& path);

// Text cut to `width` bytes, never splitting a UTF-8 character.
std::string_view cutToWidth(std::string_view text, int width);

class CsvFile {
 public:
  // `path` is the file's real name; nothing is created until open().
  explicit CsvFile(std::string path);
  ~CsvFile();  // an uncommitted file is removed
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

  // Creates the temporary file; false with error() set when it cannot.
  bool open();

  // Building one line: cells in order, then endLine().
  void cell(std::string_view text);    // a text cell, quoted when it needs it
  void number(std::string_view text);  // a numeric cell, never quoted
  void endLine();

  // Flushes, closes and renames the file to its real name; false with
  // error() set when any write, the close or the rename failed (the
  // temporary file is then removed and the real name left as it was).
  bool commit();

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  void flushLine();
  void discard();

  std::string path_, temp_, error_;
  std::FILE* out_ = nullptr;
  std::string line_;
  bool firstCell_ = true;
  bool failed_ = false;
};

}  // namespace vel
