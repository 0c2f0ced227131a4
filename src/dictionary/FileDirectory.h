// The file directory: the 41 record files in the order the system declares
// them, each with its disk name, record length, current layout and the older
// layouts a data folder may still hold; and the relations between files.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary/Layout.h"

namespace vel {

struct FileDecl {
  std::string label;       // "VelCli": the name used in messages as %File
  int recordBytes = 0;     // the directory's record length
  const Layout* layout = nullptr;        // current layout
  std::vector<const Layout*> older;      // older layouts, in the order they are tried

  // Label cut to eight characters plus ".Tps" ("BankBranch" -> "BankBran.Tps").
  std::string diskName() const;
};

enum class RelationRule { None, Cascade, Clear, Restrict };

struct RelationDecl {
  std::string parent;                                   // "BankName"
  std::string child;                                    // "BankList"
  std::vector<std::pair<std::string, std::string>> links;  // parent field = child field
  std::string childKey;                                 // key of the child used to find links
  RelationRule onUpdate = RelationRule::None;
  RelationRule onDelete = RelationRule::None;
};

// All files, in declaration order.
const std::vector<FileDecl>& fileDirectory();
// The file with this label (case-insensitive), or nullptr.
const FileDecl* findFile(std::string_view label);
// Index of the file in the directory, or -1.
int fileIndex(std::string_view label);
// Every declared relation.
const std::vector<RelationDecl>& relations();

// The current layout of a record struct: layoutOf<rec::VelCli>().
template <class Rec>
const Layout& layoutOf();

}  // namespace vel
