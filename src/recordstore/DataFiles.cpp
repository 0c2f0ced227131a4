#include "recordstore/DataFiles.h"

#include <cstdio>
#include <cstdlib>

namespace vel {

DataFiles::DataFiles(std::string folder, Engine& engine, ErrorManager& errors, std::string owner) {
  ctx_.folder = std::move(folder);
  ctx_.engine = &engine;
  ctx_.errors = &errors;
  ctx_.owner = std::move(owner);
  ctx_.usage = &usage_;
  // A station that died while creating a file left its half-built copy.
  engine.removeLeftovers(ctx_.folder);
  const auto& dir = fileDirectory();
  for (std::size_t i = 0; i < dir.size(); ++i) {
    managers_.push_back(std::make_unique<FileManager>(ctx_, dir[i], static_cast<int>(i)));
    relations_.push_back(std::make_unique<RelationManager>(*this, *managers_.back()));
  }
  // Every relation is known on both sides: the parent to apply its rules,
  // the child so that opening it opens its parent too.
  for (const auto& r : vel::relations()) {
    FileManager& parent = fm(r.parent);
    FileManager& child = fm(r.child);
    RelationManager::Relation rel;
    for (const auto& [pf, cf] : r.links)
      rel.links.emplace_back(parent.layout().fieldIndex(pf), child.layout().fieldIndex(cf));
    rel.childKey = child.layout().keyIndex(r.childKey);
    rel.onUpdate = r.onUpdate;
    rel.onDelete = r.onDelete;
    rel.other = &child;
    rel.otherIsChild = true;
    rm(r.parent).AddRelation(rel);
    rel.other = &parent;
    rel.otherIsChild = false;
    rm(r.child).AddRelation(rel);
  }
}

FileManager& DataFiles::fm(std::string_view label) {
  int i = fileIndex(label);
  if (i < 0) {
    std::fprintf(stderr, "No record file is labelled %.*s\n", static_cast<int>(label.size()),
                 label.data());
    std::abort();
  }
  return *managers_[static_cast<std::size_t>(i)];
}

RelationManager& DataFiles::rm(std::string_view label) {
  return *relations_[static_cast<std::size_t>(fm(label).index())];
}

}  // namespace vel
