// A Ui for tests: expects each message box in turn, answers it, and fails
// the test on any box it was not told to expect.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace vel::test {

struct ShownBox {
  std::string title;
  std::string text;
  Icon icon;
  unsigned buttons;
  unsigned defaultButton;
};

class ScriptedUi : public Ui {
 public:
  // Expect a box with this title (and, when given, this exact text); answer it.
  ScriptedUi& expect(std::string title, unsigned answer, std::string text = {});

  unsigned message(std::string_view text, std::string_view title, Icon icon, unsigned buttons,
                   unsigned defaultButton) override;
  void halt(int exitCode) override;

  // Every box shown so far, in order.
  std::vector<ShownBox> shown() const;
  bool halted() const;
  // Fails the current test when an expected box never came.
  void verifyDone() const;

 private:
  struct Expected {
    std::string title, text;
    unsigned answer;
  };
  mutable std::mutex mu_;
  std::deque<Expected> expected_;
  std::vector<ShownBox> shown_;
  bool halted_ = false;
};

}  // namespace vel::test
