// The settings file of the working folder (velmora.INI): sections of
// "key=value" lines. The program's own procedures keep nothing in it; the
// frame keeps its bookkeeping there (window placements in the section
// "__Dont_Touch_Me__") and the list query feature its saved queries.
//
// Read once at start, written back once at the end. Lines the program does
// not know are kept as they were. Writing goes through a temporary file and a
// rename, so a failure never leaves half a file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vel {

class SettingsFile {
 public:
  // Reads `path`; a missing file is an empty settings file. False when the
  // file exists but cannot be read.
  bool open(std::string path);
  // Writes the settings back; false when that fails (the old file stays).
  bool save() const;

  std::string get(std::string_view section, std::string_view key,
                  std::string_view fallback = {}) const;
  void set(std::string_view section, std::string_view key, std::string_view value);
  const std::string& path() const { return path_; }

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  Section* find(std::string_view name);
  const Section* find(std::string_view name) const;

  std::string path_;
  std::vector<Section> sections_;
};

}  // namespace vel
