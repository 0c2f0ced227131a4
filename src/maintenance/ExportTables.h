// The single-file exports: one comma-separated file per record file, started
// from the File menu's "Export ..." items.
//
// Each export is declared as data: the file it writes, the file it reads, the
// name its "Please Note" message uses, and its columns (header text, field,
// width, picture). A column is text of a fixed maximum width: longer text is
// cut to it, and so is the header ("Bran" for a 4-character branch). Numbers
// and dates are written through their pictures without the picture's padding
// ("150.00", "09/12/2026"); a formatted number is never cut, since a cut
// amount would misstate it. Text is written without its trailing blanks.
// The commission structure and the bank account's default flag are numeric
// columns: written as plain numbers, never quoted, with "0" as their header.
//
// An export reads its file in record order, reading only the fields it
// writes, and writes through CsvFile: under a temporary name, renamed over
// the real one only when every record was written. A file that cannot be
// opened or read to its end is named in a message and nothing is written;
// an earlier export of it stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

class DataFiles;
class Progress;
class Ui;

struct ExportColumn {
  std::string header;
  std::string field;  // field of the source record
  int width = -1;     // text cut to this many characters; -1: not cut
  // How the value is written: empty for text, a picture ("d06", "t01",
  // "n_9.2", ...), or "#" for a numeric column written as a plain number.
  std::string picture;
};

struct ExportDecl {
  std::string procedure;  // the menu's procedure name, "Export Agents"
  std::string fileName;   // "Agent.csv"
  std::string source;     // the record file read, "Agent"
  std::string noteName;   // the name in the "Please Note" text, "Agent"
  std::vector<ExportColumn> columns;
};

// The 26 exports, in the order of the export table.
const std::vector<ExportDecl>& exportTables();
// The export of this procedure name, output file name (any case, with or
// without ".csv") or source label; nullptr when there is none.
const ExportDecl* findExport(std::string_view name);

struct ExportResult {
  bool ok = false;
  std::int64_t records = 0;  // records exported (clients, for Main.csv)
  std::string path;          // the file written
  std::string failure;       // why nothing was written, for the user
};

// Writes the export into `outFolder` without asking anything; the bar of
// `progress` follows the share of records read.
ExportResult writeExport(DataFiles& files, const ExportDecl& decl, const std::string& outFolder,
                         Progress& progress);

// The text of the "Please Note" box: the export's file name and the folder
// it is written in.
std::string exportNoteText(const ExportDecl& decl, const std::string& folder);

// The menu procedure: the "Please Note" box, the progress window and the
// export into the data folder; a failure is shown in a box.
ExportResult runExport(DataFiles& files, Ui& ui, const ExportDecl& decl);

// The data folder as the user knows it (an absolute path).
std::string exportFolderText(const std::string& folder);

}  // namespace vel
