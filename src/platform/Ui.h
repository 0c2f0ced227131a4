// The Ui port: what the rules need of the windowing runtime.
//
// Rules never include a window header. They ask the user through this port,
// so every rule runs in a test against a scripted Ui; the desktop program
// implements it with real windows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vel {

// Message-box buttons, given to a box as a sum; a box returns the one pressed.
enum Button : unsigned {
  kNoButton = 0,  // the box was closed without pressing a button
  kOk = 1,
  kYes = 2,
  kNo = 4,
  kAbort = 8,
  kRetry = 16,
  kIgnore = 32,
  kCancel = 64,
  kHelp = 128,
};

enum class Icon { None, Question, Exclamation, Information, Hand };

// A progress window ("Please Wait", "Generating Report", ...): a title, a
// line of text and a bar from 0 to 100. It closes when the object goes. The
// base class is the silent one that headless runs and tests use.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setText(std::string_view /*text*/) {}
  virtual void setPercent(int /*percent*/) {}
  // The user pressed the window's Cancel button (where it has one).
  virtual bool cancelled() const { return false; }
};

class Ui {
 public:
  virtual ~Ui() = default;

  // A modal message box. A vertical bar in `text` starts a new line.
  // Returns the button pressed, or kNoButton when the box was closed.
  virtual unsigned message(std::string_view text, std::string_view title, Icon icon,
                           unsigned buttons, unsigned defaultButton) = 0;

  // Ends the program after a fatal message; nothing is saved on the way.
  virtual void halt(int exitCode) = 0;

  // Busy cursor on or off around long work.
  virtual void busy(bool /*on*/) {}

  // Opens a progress window; it stays up while the object lives.
  virtual std::unique_ptr<Progress> progress(std::string_view /*title*/, std::string_view /*text*/) {
    return std::make_unique<Progress>();
  }
};

// A Ui that shows nothing: every box answers its default button and halt
// only records that it was asked. For headless tools and batch runs.
class SilentUi : public Ui {
 public:
  unsigned message(std::string_view, std::string_view, Icon, unsigned, unsigned def) override {
    return def;
  }
  void halt(int exitCode) override { halted = true; haltCode = exitCode; }
  bool halted = false;
  int haltCode = 0;
};

}  // namespace vel
