// A file another station holds locked while a clerk opens its list: the
// clerk is asked to retry or cancel; cancelling closes only that list, and
// the frame and the other lists work on.
#include <sys/wait.h>
#include <unistd.h>

#include <QTest>

#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "setup/qt/SetupProcedures.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

// Another station holding `file` locked (as a long commit on a slow share
// does) until it is released.
class HeldFile {
 public:
  explicit HeldFile(const std::string& file) {
    int locked[2], release[2];
    if (::pipe(locked) != 0 || ::pipe(release) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      test::FileHold hold(file, test::FileHold::Exclusive);
      if (!hold.take()) ::_exit(1);
      char c = 1;
      if (::write(locked[1], &c, 1) != 1 || ::read(release[0], &c, 1) != 1) ::_exit(2);
      ::_exit(0);  // the lock ends with the process
    }
    char c;
    ok_ = ::read(locked[0], &c, 1) == 1;
    release_ = release[1];
    ::close(locked[0]);
    ::close(locked[1]);
    ::close(release[0]);
  }
  bool ok() const { return ok_; }
  int release() {
    if (pid_ <= 0) return 0;
    char c = 1;
    if (::write(release_, &c, 1) != 1) return -1;
    ::close(release_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~HeldFile() { release(); }

 private:
  pid_t pid_ = 0;
  int release_ = -1;
  bool ok_ = false;
};

class BusyFileTest : public FrameFixture {};

TEST_F(BusyFileTest, GivingUpOnAHeldFileClosesOnlyItsListAndTheFrameWorksOn) {
  Catalog catalog;
  qt::buildCatalog(catalog);
  auto frame = openFrame();
  qt::registerSetupProcedures(procedures, files, ui, catalog, frame.get());
  {
    FileManager& town = files.fm<rec::Town>();
    FileUse use(town);
    town.ClearBuffer();
    town.rec<rec::Town>().TOWN = "Polokwane";
    ASSERT_EQ(kDone, town.Insert());
  }
  HeldFile held(dir.file("Town.Tps"));
  ASSERT_TRUE(held.ok());

  bool townShown = false;
  {
    Script script;
    script.on("Browse_Town", [&](QWidget* list) {  // only if the list opens after all
      townShown = true;
      press(list, "Close");
    });
    ui.boxes.expect("File Access Error", kCancel);
    frame->choose("TOWN");
  }
  EXPECT_FALSE(townShown);
  EXPECT_FALSE(ui.boxes.halted());
  ASSERT_EQ(1u, ui.boxes.shown().size());
  EXPECT_EQ(unsigned{kRetry | kCancel}, ui.boxes.shown()[0].buttons);
  EXPECT_NE(std::string::npos, ui.boxes.shown()[0].text.find("File Town could not be opened."));

  // The frame and another list work on; the held list opens once it is free.
  EXPECT_TRUE(frame->isVisible());
  Script routes;
  routes.on("Browse_Route", [](QWidget* list) { press(list, "Close"); });
  frame->choose("ROUTE");
  EXPECT_TRUE(routes.done());
  EXPECT_EQ(0, held.release());
  Script towns;
  towns.on("Browse_Town", [](QWidget* list) { press(list, "Close"); });
  frame->choose("TOWN");
  EXPECT_TRUE(towns.done());
}

}  // namespace
}  // namespace vel::test
