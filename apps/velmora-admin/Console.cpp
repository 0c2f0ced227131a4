#include "Console.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vel::admin {

TerminalBar::TerminalBar(std::string label)
    : label_(std::move(label)), tty_(::isatty(STDERR_FILENO) == 1) {}

TerminalBar::~TerminalBar() { finish(); }

void TerminalBar::setText(std::string_view text) {
  finish();
  label_ = text;
}

void TerminalBar::setPercent(int percent) {
  if (!tty_ || percent == shown_) return;
  shown_ = percent;
  const int filled = percent / 5;
  std::fprintf(stderr, "\r%-16s [%s%s] %3d%%", label_.c_str(), std::string(filled, '#').c_str(),
               std::string(20 - filled, ' ').c_str(), percent);
  std::fflush(stderr);
}

void TerminalBar::finish() {
  if (tty_ && shown_ >= 0) std::fputs("\n", stderr);
  shown_ = -1;
}

unsigned ConsoleUi::message(std::string_view text, std::string_view title, Icon, unsigned buttons,
                            unsigned defaultButton) {
  std::string body(text);
  for (char& c : body)
    if (c == '|') c = '\n';
  std::cerr << (title.empty() ? "" : std::string(title) + ": ") << body << "\n";
  ++shown;
  if ((buttons & kRetry) && (buttons & kCancel)) return retries_++ < kRetries ? kRetry : kCancel;
  return defaultButton;
}

void ConsoleUi::halt(int exitCode) {
  std::cerr << "velmora-admin: stopped.\n";
  std::exit(exitCode == 0 ? 2 : exitCode);
}

std::unique_ptr<Progress> ConsoleUi::progress(std::string_view title, std::string_view text) {
  return std::make_unique<TerminalBar>(std::string(text.empty() ? title : text));
}

}  // namespace vel::admin
