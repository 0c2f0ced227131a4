// A started main frame over a data folder that has its configuration and
// branch detail, with a procedure table the test fills.
#pragma once

#include <memory>

#include "platform/SettingsFile.h"
#include "shell/Procedures.h"
#include "shell/ShellFixture.h"
#include "shell/qt/MainFrame.h"

namespace vel::test {

class FrameFixture : public ShellFixture {
 protected:
  std::unique_ptr<qt::MainFrame> openFrame() {
    installConfig(day(2026, 12, 8));
    installBranchDetail();
    startup_ = station(day(2026, 12, 8));
    EXPECT_EQ(Startup::Outcome::Running, startup_->initialise());
    auto frame = std::make_unique<qt::MainFrame>(*startup_, ui, procedures, settings);
    frame->show();
    EXPECT_EQ(Startup::Outcome::Running, frame->openFrame());
    return frame;
  }

  ProcedureTable procedures;
  SettingsFile settings;
  std::unique_ptr<Startup> startup_;
};

}  // namespace vel::test
