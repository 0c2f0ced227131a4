#include <gtest/gtest.h>

#include <barrier>
#include <set>
#include <thread>

#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "support/ScriptedUi.h"

namespace vel {
namespace {

using test::ScriptedUi;

// A block holding one entry, to load over or beside the standard table.
std::string oneEntry(int id, int level, std::string title, std::string text) {
  return encodeMessageBlock({{static_cast<std::uint16_t>(id), static_cast<std::uint8_t>(level),
                              std::move(title), std::move(text), ""}});
}

class ErrorManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { clearEngineStatus(); }
  void TearDown() override { ui.verifyDone(); }

  ScriptedUi ui;
  ErrorManager em{ui};
};

// --- Levels -----------------------------------------------------------------

TEST_F(ErrorManagerTest, UserQuestionIsYesForGoOnAndNoOrClosedForDeclined) {
  ui.expect("Changes will be lost!", kYes, "Are you sure you want to cancel?")
      .expect("Changes will be lost!", kNo)
      .expect("Changes will be lost!", kNoButton);
  EXPECT_EQ(em.Throw(msg::ConfirmCancel), kDone);
  EXPECT_EQ(em.Throw(msg::ConfirmCancel), kDeclined);
  EXPECT_EQ(em.Throw(msg::ConfirmCancel), kDeclined);
  const auto box = ui.shown().front();
  EXPECT_EQ(box.icon, Icon::Question);
  EXPECT_EQ(box.buttons, unsigned{kYes | kNo});
  EXPECT_EQ(box.defaultButton, unsigned{kYes});
  EXPECT_FALSE(ui.halted());
}

TEST_F(ErrorManagerTest, CancelLevelAsksLikeUserAndNotifyReportsFailure) {
  em.AddErrors(oneEntry(900, kCancelLevel, "Stop?", "Stop now?"));
  ui.expect("Stop?", kNo).expect("Invalid Request", kOk);
  EXPECT_EQ(em.Throw(900), kDeclined);
  EXPECT_EQ(em.Throw(msg::InsertIllegal), kFailed);
  const auto box = ui.shown().back();
  EXPECT_EQ(box.text, "This form cannot be used to insert a record");
  EXPECT_EQ(box.icon, Icon::Exclamation);
  EXPECT_EQ(box.buttons, unsigned{kOk});
}

TEST_F(ErrorManagerTest, FatalProgramAndUnknownLevelsEndTheProgramAfterOk) {
  em.SetFile("VelCli");
  setEngineStatus(5, "Access Denied");
  ui.expect("File Creation Error", kOk,
            "Error: (Access Denied (5)) creating VelCli.  Press OK to end this application");
  EXPECT_EQ(em.Throw(msg::CreateError), kNotUsable);
  EXPECT_TRUE(ui.halted());
  EXPECT_EQ(ui.shown().back().icon, Icon::Exclamation);

  em.AddErrors(oneEntry(901, 9, "Odd", "Odd level"));
  for (int id : {int{msg::UseClosedFile}, 901}) {
    ScriptedUi other;
    em.setUi(other);
    other.expect(id == 901 ? "Odd" : "File Usage Error", kNoButton);
    EXPECT_EQ(em.Throw(id), kNotUsable);
    EXPECT_TRUE(other.halted());
    other.verifyDone();
  }
  em.setUi(ui);
}

TEST_F(ErrorManagerTest, UnknownIdShowsNothingAndSelectsTheEmptyMessage) {
  EXPECT_EQ(em.Throw(32), kDone);
  EXPECT_EQ(em.Throw(9999), kDone);
  EXPECT_TRUE(ui.shown().empty());
  const ErrorContext c = em.context();
  EXPECT_EQ(c.current.id, 0);
  EXPECT_EQ(c.current.title, "");
}

TEST_F(ErrorManagerTest, MessageAsksWithGivenButtonsWhateverTheLevel) {
  ui.expect("Record Update Error", kCancel)
      .expect("File Creation Error", kYes, "Error: ( (0)) creating VelCli.");
  EXPECT_EQ(em.Message(msg::RetrySave, kYes | kNo | kCancel, kCancel), unsigned{kCancel});
  em.SetFile("VelCli");
  setEngineStatus(5, "Access Denied");  // only raising captures the engine's state
  EXPECT_EQ(em.Message(msg::CreateError, kYes | kNo, kNo), unsigned{kYes});
  const auto box = ui.shown().front();
  EXPECT_EQ(box.buttons, 70u);
  EXPECT_EQ(box.defaultButton, 64u);
  EXPECT_EQ(box.icon, Icon::Question);
  EXPECT_FALSE(ui.halted());
}

TEST_F(ErrorManagerTest, LaterLoadedEntryOverridesTheTable) {
  em.AddErrors(oneEntry(msg::NoRecords, kNotify, "Nothing", "Nothing to do."));
  em.AddErrors(oneEntry(msg::NoRecords, kBenign, "Quiet", "Silent."));
  EXPECT_EQ(em.lookup(msg::NoRecords).title, "Quiet");
  EXPECT_EQ(em.Throw(msg::NoRecords), kDone);
  em.AddErrors("\x05");  // malformed: nothing is added
  EXPECT_EQ(em.lookup(msg::NoRecords).title, "Quiet");
}

// --- Filling in the text ----------------------------------------------------

TEST_F(ErrorManagerTest, BoxesShowTheirTextsWithTheContextFilledIn) {
  em.SetFile("VelCli   ");
  setEngineStatus(40, "Creates Duplicate Key  ");
  ui.expect("Record Insert Error", kOk,
            "An error was experienced during the creation of a record.|File: VelCli|"
            "Error: Creates Duplicate Key (40).")
      .expect("Record Retrieval Error", kOk,
              "Error: (Creates Duplicate Key (40)) attempting to access a record from the VelCli "
              "file.  Returning to previous window.")
      .expect("Auto Increment Error", kNo,
              "Attempts to automatically number this record have failed.|File: VelCli|"
              "Key: By_Client|Error: Creates Duplicate Key (40).|Try Again?")
      .expect("Value Error", kOk, "The value of GENDER must be in the list : M|F.");
  EXPECT_EQ(em.Throw(msg::InsertError), kFailed);
  EXPECT_EQ(em.Throw(msg::RetrievalError), kFailed);
  em.SetKey("By_Client ");
  EXPECT_EQ(em.Throw(msg::AutoIncrementError), kDeclined);
  em.SetField("GENDER");
  EXPECT_EQ(em.ThrowMessage(msg::FieldNotInList, "M|F   "), kFailed);
  EXPECT_EQ(em.context().messageArg, "M|F");
}

TEST_F(ErrorManagerTest, ErrorTextTakesTheDriversOwnExplanationFor90And100) {
  em.SetFile("VelPay");
  setEngineStatus(90, "File System Error", "32", "Sharing violation");
  EXPECT_EQ(em.Throw(0), kDone);  // captures the status
  EXPECT_EQ(em.substitute("%ErrorText"), "Sharing violation (32)");
  setEngineStatus(100, "Driver Error", "ERR7", "Disk full");
  em.Throw(0);
  EXPECT_EQ(em.substitute("%ErrorText"), "Disk full (ERR7)");
  setEngineStatus(2, "File Not Found", "32", "Sharing violation");
  em.Throw(0);
  EXPECT_EQ(em.substitute("%ErrorText|%Error|%ErrorCode"),
            "File Not Found (2)|File Not Found|2");
}

TEST_F(ErrorManagerTest, LongerPlaceholdersWinAndCaseIsIgnored) {
  em.SetFile("VelCli");
  em.SetKey("KeyCode");
  setEngineStatus(90, "x", "183", "Already exists");
  em.Throw(0);
  EXPECT_EQ(em.substitute("%FileErrorCode/%fileerror/%FILE/%key"),
            "183/Already exists/VelCli/KeyCode");
  // A value that is its own name is left as it is; one that merely contains
  // another name is not substituted again.
  em.SetField("%Field");
  EXPECT_EQ(em.substitute("[%Field]"), "[%Field]");
  em.SetField("a%Fieldb");
  EXPECT_EQ(em.substitute("%Field %Field"), "a%Fieldb a%Fieldb");
}

TEST_F(ErrorManagerTest, ProcedureCategoryAndPreviousMessage) {
  em.SetProcedureName("Main");
  em.SetProcedureName("Browse_Client");
  EXPECT_EQ(em.substitute("in %Procedure"), "in Browse_Client");
  em.PopProcedureName();
  EXPECT_EQ(em.substitute("in %Procedure"), "in Main");
  em.PopProcedureName();
  em.PopProcedureName();  // nothing left: harmless
  EXPECT_EQ(em.substitute("in %Procedure."), "in .");

  em.AddErrors(oneEntry(902, kNotify, "Again", "After: %Previous [%Category]"));
  ui.expect("Again", kOk, "After:  [Default]")
      .expect("Again", kOk, "After: After: %Previous [%Category] [Default]");
  em.Throw(902);  // nothing raised before it
  em.Throw(902);
  em.Throw(0);  // id 0: benign
  EXPECT_EQ(em.context().previousId, 902);
}

TEST_F(ErrorManagerTest, WorkingCopyStopsAt2000Characters) {
  em.ThrowMessage(0, std::string(255, 'm'));
  std::string text = "%%";
  for (int i = 0; i < 10; ++i) text += "%Message";
  EXPECT_EQ(em.substitute(text), "%%" + std::string(1998, 'm'));
  em.SetFile(std::string(300, 'f'));
  EXPECT_EQ(em.context().file.size(), 255u);
}

// --- Threads ----------------------------------------------------------------

TEST_F(ErrorManagerTest, EachThreadSeesOnlyItsOwnFailure) {
  ui.expect("Record Retrieval Error", kOk).expect("Record Retrieval Error", kOk);
  std::barrier ready(2);
  auto fail = [&](std::string file, int code, std::string text) {
    em.SetFile(file);
    setEngineStatus(code, text);
    ready.arrive_and_wait();  // both contexts are set before either box
    em.Throw(msg::RetrievalError);
  };
  std::thread a(fail, "VelCli", 33, "Record Not Available");
  std::thread b(fail, "VelPay", 5, "Access Denied");
  a.join();
  b.join();

  std::set<std::string> texts;
  for (const auto& box : ui.shown()) texts.insert(box.text);
  EXPECT_EQ(texts, (std::set<std::string>{
                       "Error: (Record Not Available (33)) attempting to access a record from the "
                       "VelCli file.  Returning to previous window.",
                       "Error: (Access Denied (5)) attempting to access a record from the VelPay "
                       "file.  Returning to previous window."}));
  EXPECT_EQ(em.context().file, "");  // the test's own thread named nothing
}

TEST_F(ErrorManagerTest, ProcedureNamesArePerThreadInOneSharedList) {
  em.SetProcedureName("Main");
  std::barrier step(2);
  std::thread worker([&] {
    EXPECT_EQ(em.currentProcedure(), "");
    em.SetProcedureName("AgeingReport");
    step.arrive_and_wait();  // 1: worker has pushed
    step.arrive_and_wait();  // 2: main has pushed after it
    em.PopProcedureName();
    EXPECT_EQ(em.currentProcedure(), "");
    step.arrive_and_wait();  // 3
  });
  step.arrive_and_wait();
  em.SetProcedureName("Browse_Client");
  EXPECT_EQ(em.currentProcedure(), "Browse_Client");
  step.arrive_and_wait();
  step.arrive_and_wait();
  EXPECT_EQ(em.currentProcedure(), "Browse_Client");  // worker's pop took only its own
  em.PopProcedureName();
  EXPECT_EQ(em.currentProcedure(), "Main");
  worker.join();
}

TEST(ErrorManagerLifetime, NewManagerStartsWithAnEmptyContext) {
  ScriptedUi ui;
  {
    ErrorManager first(ui);
    first.SetFile("VelCli");
  }
  ErrorManager second(ui);
  EXPECT_EQ(second.context().file, "");
}

}  // namespace
}  // namespace vel
