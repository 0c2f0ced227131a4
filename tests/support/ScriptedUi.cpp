#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace vel::test {

ScriptedUi& ScriptedUi::expect(std::string title, unsigned answer, std::string text) {
  std::lock_guard lock(mu_);
  expected_.push_back({std::move(title), std::move(text), answer});
  return *this;
}

unsigned ScriptedUi::message(std::string_view text, std::string_view title, Icon icon,
                             unsigned buttons, unsigned defaultButton) {
  std::lock_guard lock(mu_);
  shown_.push_back({std::string(title), std::string(text), icon, buttons, defaultButton});
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected message box \"" << title << "\": " << text;
    return defaultButton;
  }
  Expected e = expected_.front();
  expected_.pop_front();
  EXPECT_EQ(e.title, title) << "box text: " << text;
  if (!e.text.empty()) {
    EXPECT_EQ(e.text, text);
  }
  return e.answer;
}

void ScriptedUi::halt(int) {
  std::lock_guard lock(mu_);
  halted_ = true;
}

std::vector<ShownBox> ScriptedUi::shown() const {
  std::lock_guard lock(mu_);
  return shown_;
}

bool ScriptedUi::halted() const {
  std::lock_guard lock(mu_);
  return halted_;
}

void ScriptedUi::verifyDone() const {
  std::lock_guard lock(mu_);
  for (const auto& e : expected_) ADD_FAILURE() << "expected message box never shown: " << e.title;
}

}  // namespace vel::test
