// RelationManager: one per record file, owning that file's FileManager.
//
// Opening a file through its relation manager opens its related files too
// (parents and children). Update and Delete run inside a transaction over the
// file and the children whose rule asks for an action, so a rename or delete
// that cascades either happens in every file or in none.
#pragma once

#include <vector>

#include "recordstore/FileManager.h"

namespace vel {

class DataFiles;

class RelationManager {
 public:
  RelationManager(DataFiles& files, FileManager& file);

  struct Relation {
    FileManager* other;      // the related file
    bool otherIsChild;       // this file is the parent
    std::vector<std::pair<int, int>> links;  // (parent field, child field)
    int childKey;            // key of the child used to find linked records
    RelationRule onUpdate, onDelete;
  };

  // Register a relation (both sides register it).
  void AddRelation(Relation r) { relations_.push_back(std::move(r)); }
  const std::vector<Relation>& relations() const { return relations_; }

  FileManager& file() { return file_; }

  int Open();
  int Close();
  int Insert();
  int Update(bool fromForm = false);
  int Delete(bool ask);

 private:
  int applyUpdateRules(const void* oldRec, const void* newRec);
  int deleteChildren(const void* parentRec);
  std::vector<EngineFile*> transactionFiles(bool forUpdate, bool& ok);

  DataFiles& files_;
  FileManager& file_;
  std::vector<Relation> relations_;
};

}  // namespace vel
