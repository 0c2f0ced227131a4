#include "maintenance/ExportCsv.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace vel {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// A part file of another machine older than this is a dead export's.
constexpr auto kForeignPartAge = std::chrono::hours(24);

std::string hostName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return "unknown";
  return buf;
}

// Whether the export that writes the part file `file`, whose name ends in
// `rest` ("<pid>-<thread>@<host>"), may still be running.
bool writerMayLive(std::string_view rest, const std::filesystem::path& file) {
  long pid = 0;
  if (std::from_chars(rest.data(), rest.data() + rest.size(), pid).ec != std::errc() || pid <= 0)
    return true;  // not one of ours: leave it
  const std::size_t at = rest.find('@');
  const std::string_view host =
      at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  if (host != hostName()) {
    // Another station's process cannot be asked; only age tells.
    std::error_code e;
    const auto when = std::filesystem::last_write_time(file, e);
    return e || std::filesystem::file_time_type::clock::now() - when < kForeignPartAge;
  }
  if (pid == ::getpid()) return true;  // another thread of this process
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

void removeDeadParts(const std::string& path) {
  const std::filesystem::path p(path);
  const std::filesystem::path folder = p.parent_path().empty() ? "." : p.parent_path();
  const std::string prefix = p.filename().string() + std::string(kPartMark);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    if (writerMayLive(std::string_view(name).substr(prefix.size()), it->path())) continue;
    std::error_code rm;
    std::filesystem::remove(it->path(), rm);
  }
}

void appendCsvCell(std::string& line, std::string_view cell) {
  if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
    line.append(cell);
    return;
  }
  line.push_back('"');
  for (char c : cell) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}

std::string_view cutToWidth(std::string_view text, int width) {
  if (width < 0 || text.size() <= static_cast<std::size_t>(width)) return text;
  std::size_t n = static_cast<std::size_t>(width);
  // Back off over continuation bytes so that a character is dropped whole.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

CsvFile::CsvFile(std::string path) : path_(std::move(path)) {
  temp_ = path_ + std::string(kPartMark) + std::to_string(::getpid()) + "-" +
          std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) + "@" +
          hostName();
  line_.reserve(4096);
}

CsvFile::~CsvFile() { discard(); }

bool CsvFile::open() {
  removeDeadParts(path_);
  out_ = std::fopen(temp_.c_str(), "wb");
  if (!out_) {
    error_ = std::strerror(errno);
    return false;
  }
  std::setvbuf(out_, nullptr, _IOFBF, kBufferBytes);
  return true;
}

void CsvFile::cell(std::string_view text) {
  if (!firstCell_) line_.push_back(',');
  firstCell_ = false;
  appendCsvCell(line_, text);
}

void CsvFile::number(std::string_view text) {
  if (!firstCell_) line_.push_back(',');
  firstCell_ = false;
  line_.append(text);
}

void CsvFile::endLine() {
  line_.append("\r\n");
  flushLine();
  firstCell_ = true;
}

void CsvFile::flushLine() {
  if (!out_ || failed_) {
    line_.clear();
    return;
  }
  if (std::fwrite(line_.data(), 1, line_.size(), out_) != line_.size()) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  line_.clear();
}

bool CsvFile::commit() {
  if (!out_) {
    if (error_.empty()) error_ = "the file was not opened";
    return false;
  }
  if (std::fflush(out_) != 0 && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  if (::fsync(::fileno(out_)) != 0 && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  const bool closed = std::fclose(out_) == 0;
  out_ = nullptr;
  if (!closed && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  if (!failed_ && std::rename(temp_.c_str(), path_.c_str()) != 0) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  if (failed_) {
    std::remove(temp_.c_str());
    return false;
  }
  temp_.clear();
  return true;
}

void CsvFile::discard() {
  if (out_) {
    std::fclose(out_);
    out_ = nullptr;
  }
  if (!temp_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temp_, ec);
  }
}

}  // namespace vel
