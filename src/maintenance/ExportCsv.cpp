#include "maintenance/ExportCsv.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vel {

namespace {
constexpr std::size_t kBufferBytes = 1 << 20;
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
  temp_ = path_ + ".tmp" + std::to_string(::getpid());
  line_.reserve(4096);
}

CsvFile::~CsvFile() { discard(); }

bool CsvFile::open() {
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
