#include "OfficeStore.h"

#include <filesystem>
#include <iostream>

#include "dictionary/FileDirectory.h"
#include "errors/EngineStatus.h"
#include "recordstore/StoreChoice.h"

namespace vel::admin {

std::unique_ptr<Engine> engineOf(const std::string& dir) {
  std::unique_ptr<Engine> engine;
  std::string problem;
  if (!makeEngineFor(dir, engine, problem)) {
    std::cerr << "velmora-admin: " << problem << "\n";
    return nullptr;
  }
  return engine;
}

bool hasConfigFile(Engine& engine, const std::string& dir, std::string& why) {
  why.clear();
  const std::string path =
      (std::filesystem::path(dir.empty() ? "." : dir) / findFile("Config")->diskName()).string();
  bool there = false;
  if (int code = engine.exists(path, there)) {
    const EngineStatus& st = engineStatus();
    std::string text = st.code == code && !st.text.empty() ? st.text : engineCodeText(code);
    if (st.code == code && !st.driverText.empty()) text += ": " + st.driverText;
    why = "the " + engine.name() + " store of " + dir + " could not be asked for its files: " +
          text + " (" + std::to_string(code) + ")";
    return false;
  }
  return there;
}

std::unique_ptr<Engine> officeEngineOf(const std::string& dir) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    std::cerr << "velmora-admin: there is no data folder " << dir << "\n";
    return nullptr;
  }
  std::unique_ptr<Engine> engine = engineOf(dir);
  if (!engine) return nullptr;
  std::string why;
  if (!hasConfigFile(*engine, dir, why)) {
    std::cerr << "velmora-admin: "
              << (!why.empty() ? why : dir + " is not a data folder: it has no configuration file")
              << "\n";
    return nullptr;
  }
  return engine;
}

}  // namespace vel::admin
