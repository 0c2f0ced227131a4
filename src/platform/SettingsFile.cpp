#include "platform/SettingsFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/Text.h"

namespace vel {

namespace {
std::string_view strip(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}
}  // namespace

bool SettingsFile::open(std::string path) {
  path_ = std::move(path);
  sections_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    std::FILE* probe = std::fopen(path_.c_str(), "rb");
    if (probe) {  // there, but not readable as a stream
      std::fclose(probe);
      return false;
    }
    return true;  // not there yet: an empty settings file
  }
  sections_.push_back({"", {}});  // lines before the first section
  std::string line;
  while (std::getline(in, line)) {
    std::string_view l = strip(line);
    if (l.empty() || l.front() == ';') continue;
    if (l.front() == '[' && l.back() == ']') {
      sections_.push_back({std::string(strip(l.substr(1, l.size() - 2))), {}});
      continue;
    }
    auto eq = l.find('=');
    if (eq == std::string_view::npos) continue;
    sections_.back().entries.emplace_back(std::string(strip(l.substr(0, eq))),
                                          std::string(strip(l.substr(eq + 1))));
  }
  return !in.bad();
}

bool SettingsFile::save() const {
  if (path_.empty()) return false;
  std::ostringstream out;
  for (const Section& s : sections_) {
    if (s.name.empty() && s.entries.empty()) continue;
    if (!s.name.empty()) out << '[' << s.name << "]\r\n";
    for (const auto& [k, v] : s.entries) out << k << '=' << v << "\r\n";
    out << "\r\n";
  }
  const std::string temp = path_ + ".new";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << out.str();
    f.flush();
    if (!f) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path_.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

SettingsFile::Section* SettingsFile::find(std::string_view name) {
  for (Section& s : sections_)
    if (equalsNoCase(s.name, name)) return &s;
  return nullptr;
}

const SettingsFile::Section* SettingsFile::find(std::string_view name) const {
  for (const Section& s : sections_)
    if (equalsNoCase(s.name, name)) return &s;
  return nullptr;
}

std::string SettingsFile::get(std::string_view section, std::string_view key,
                              std::string_view fallback) const {
  if (const Section* s = find(section))
    for (const auto& [k, v] : s->entries)
      if (equalsNoCase(k, key)) return v;
  return std::string(fallback);
}

void SettingsFile::set(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = find(section);
  if (!s) {
    sections_.push_back({std::string(section), {}});
    s = &sections_.back();
  }
  for (auto& [k, v] : s->entries)
    if (equalsNoCase(k, key)) {
      v = value;
      return;
    }
  s->entries.emplace_back(std::string(key), std::string(value));
}

}  // namespace vel
