// The capture run: each receipt captured as one unit, the issued receipts
// filled in and never written over, the cash count and the print queue.
#include <deque>
#include <functional>

#include "PaymentsFixture.h"
#include "billing/CaptureRun.h"
#include "billing/Cashbox.h"
#include "reports/ReportFrame.h"

namespace vel::test {
namespace {

// The run's windows, scripted: each receipt window is handled by the next
// step in turn (a window with no step left is closed without capturing).
class ScriptedWindows : public CaptureWindows {
 public:
  std::optional<std::string> agentAnswer = std::string("AG1");
  std::optional<std::pair<std::int64_t, std::int64_t>> rangeAnswer;
  std::deque<std::function<void(ReceiptForm&)>> steps;
  std::function<void(CashboxForm&)> count = [](CashboxForm& f) { f.cancel(); };
  std::vector<std::int64_t> windowNumbers;
  bool counted = false;

  std::optional<std::string> agent() override { return agentAnswer; }
  std::optional<std::pair<std::int64_t, std::int64_t>> numberRange() override {
    return rangeAnswer;
  }
  void receipt(ReceiptForm& form) override {
    windowNumbers.push_back(form.entry().number);
    if (steps.empty()) return;
    auto step = std::move(steps.front());
    steps.pop_front();
    step(form);
  }
  void cashbox(CashboxForm& form) override {
    counted = true;
    count(form);
  }
  ReportOutput& receipts() override { return printed; }

  struct Recorder : ReportOutput {
    std::vector<report::Document> docs;
    void present(const report::Document& d) override { docs.push_back(d); }
  } printed;
};

std::function<void(ReceiptForm&)> capture(std::string id, double amount) {
  return [id, amount](ReceiptForm& f) {
    f.entry().clientId = id;
    f.entry().amount = amount;
    EXPECT_EQ(ReceiptForm::Step::Close, f.ok());
  };
}

class CaptureRunTest : public PaymentsFixture {
 protected:
  void SetUp() override {
    add<rec::CommStr>([](rec::CommStr& c) {
      c.AGENT = 12.5;
      c.COLL = 7.5;
    });
    client("0042/NGU", 100);
    ageingOf("0042/NGU", 200, 100, 100);
    invoiceAt("0042/NGU", later(-40), 100);
    invoiceAt("0042/NGU", later(-10), 100);
    client("0043/DUB", 100);
    ageingOf("0043/DUB", 100, 100);
  }
  void issue(const std::string& agent, std::int64_t from, std::int64_t to) {
    for (std::int64_t n = from; n <= to; ++n)
      add<rec::AgeIss>([&](rec::AgeIss& i) {
        i.CODE = agent;
        i.NUMBER = n;
        i.PREFIX = "A";
        i.DATE_ISS = today - 5;
      });
  }
  CaptureSummary run(ScriptedWindows& w) {
    return runCapture(files, ui, clock, w, "Administrator");
  }
  FixedClock clock{today, at.time};
};

// Two receipts: every file takes its share, the cash count sees the run's
// total, and both receipts print once.
TEST_F(CaptureRunTest, TwoReceiptsArePostedCountedAndPrintedOnce) {
  issue("AG1", 101, 103);
  ScriptedWindows w;
  w.rangeAnswer = {{101, 102}};
  w.steps = {capture("0042/NGU", 150), capture("0043/dub", 45.5)};
  w.count = [](CashboxForm& f) {
    EXPECT_EQ(19550, f.runningCents());
    for (auto [i, n] : {std::pair{1, "1"}, {2, "1"}, {3, "2"}, {5, "1"}, {8, "1"}})
      ASSERT_TRUE(f.enterCount(i, n));
    EXPECT_EQ(0, f.differenceCents());
    EXPECT_EQ(CashboxForm::Step::Close, f.ok());
  };
  const CaptureSummary s = run(w);
  EXPECT_EQ(2, s.captured);
  EXPECT_EQ(19550, s.totalCents);
  EXPECT_TRUE(s.notIssued.empty());

  auto issued = all<rec::AgeIss>();
  EXPECT_EQ(issued[0].CLIENT_ID, "0042/NGU");
  EXPECT_DOUBLE_EQ(150, issued[0].AMOUNT);
  EXPECT_EQ(today, issued[0].DATE_REC);
  EXPECT_EQ(issued[1].CLIENT_ID, "0043/DUB") << "the id as stored";
  EXPECT_TRUE(issued[2].CLIENT_ID.blank());

  auto received = all<rec::ReceiveR>();
  ASSERT_EQ(2u, received.size());
  EXPECT_EQ(received[1].CODE, "AG1");
  EXPECT_EQ(102, received[1].NUMBER);

  auto payments = all<rec::VelPay>();
  ASSERT_EQ(2u, payments.size());
  EXPECT_EQ(payments[0].STATUS, "SEL");
  EXPECT_EQ(payments[0].ACCOUNT, "Petty Cash");
  EXPECT_EQ(payments[0].COL_CODE, "0");
  EXPECT_DOUBLE_EQ(12.5, payments[0].AGE_COMM) << "a captured payment keeps both amounts";
  EXPECT_DOUBLE_EQ(7.5, payments[0].COL_COMM);
  EXPECT_EQ((std::vector<std::string>{"Pd", "Pd"}), marks("0042/NGU"));
  EXPECT_DOUBLE_EQ(50, ageOf("0042/NGU").TOTAL);
  EXPECT_DOUBLE_EQ(54.5, ageOf("0043/DUB").TOTAL);

  auto cash = all<rec::Cashbox>();
  ASSERT_EQ(1u, cash.size());
  EXPECT_DOUBLE_EQ(195.5, cash[0].IN_TOTAL);
  EXPECT_DOUBLE_EQ(195.5, cash[0].CSH_TOTAL);
  EXPECT_EQ(cash[0].CODE, "AG1");

  ASSERT_EQ(1u, w.printed.docs.size());
  EXPECT_EQ(2, s.printed);
  for (const auto& p : all<rec::RecPrn>()) EXPECT_EQ(1, p.PRINTED);
  std::vector<std::string> texts;
  for (const auto& page : report::paginate(w.printed.docs[0]))
    for (const auto& t : report::pageTexts(page)) texts.push_back(t);
  for (const char* want : {"RECEIPT", "R150.00", "R45.50", "Received without prejudice of rights",
                           "12 Vilakazi Street", "0042/NGU  Nkosi"})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), want)) << want;

  // A later run prints only what is new.
  ScriptedWindows again;
  again.rangeAnswer = {{103, 103}};
  again.steps = {capture("0042/NGU", 10)};
  EXPECT_EQ(1, run(again).printed);
}

// The first receipt of a client credits the agent on the ledger, a later one
// the collector: decided from his payments on file.
TEST_F(CaptureRunTest, LedgerCommissionFollowsTheClientsOwnFirstPayment) {
  issue("AG1", 1, 2);
  ScriptedWindows w;
  w.rangeAnswer = {{1, 2}};
  w.steps = {capture("0042/NGU", 100), capture("0042/NGU", 100)};
  run(w);
  auto entries = all<rec::VelTra>();
  ASSERT_EQ(2u, entries.size());
  EXPECT_DOUBLE_EQ(12.5, entries[0].AGE_COMM);
  EXPECT_DOUBLE_EQ(0, entries[0].COLL_COMM);
  EXPECT_DOUBLE_EQ(0, entries[1].AGE_COMM);
  EXPECT_DOUBLE_EQ(7.5, entries[1].COLL_COMM);
}

// An unknown client: the box, the window stays with the focus on the id,
// and no file changes; the corrected id then captures.
TEST_F(CaptureRunTest, UnknownClientChangesNothingAndKeepsTheWindow) {
  issue("AG1", 7, 7);
  ScriptedWindows w;
  w.rangeAnswer = {{7, 7}};
  w.steps = {[this](ReceiptForm& f) {
    f.entry().clientId = "0099/ZZZ";
    f.entry().amount = 80;
    EXPECT_EQ(ReceiptForm::Step::FocusClient, f.ok());
    EXPECT_TRUE(all<rec::VelPay>().empty());
    EXPECT_TRUE(all<rec::ReceiveR>().empty());
    EXPECT_TRUE(all<rec::RecPrn>().empty());
    EXPECT_TRUE(all<rec::VelTra>().empty());
    EXPECT_TRUE(all<rec::AgeIss>()[0].CLIENT_ID.blank());
    f.entry().clientId = "0043/DUB";
    EXPECT_EQ(ReceiptForm::Step::Close, f.ok());
  }};
  ui.expect("Client ID Error", kOk,
            "Client ID 0099/ZZZ could not be found. Please correct the Client ID");
  w.count = [](CashboxForm& f) { EXPECT_EQ(8000, f.runningCents()) << "the refused receipt is not counted"; f.cancel(); };
  EXPECT_EQ(1, run(w).captured);
  EXPECT_TRUE(all<rec::Cashbox>().empty()) << "a cancelled count adds no record";
  EXPECT_EQ(1u, all<rec::VelPay>().size()) << "the receipts stay posted";
}

// Numbers outside the agent's books, already captured, or too large for an
// issued receipt are captured without touching any issued receipt, and the
// clerk is told which at the end.
TEST_F(CaptureRunTest, NumbersNotIssuedOverwriteNothingAndAreListed) {
  issue("AG1", 10, 10);
  issue("AG2", 11, 11);
  add<rec::AgeIss>([](rec::AgeIss& i) {
    i.CODE = "AG1";
    i.NUMBER = 12;
    i.CLIENT_ID = "0043/DUB";
    i.AMOUNT = 20;
    i.DATE_REC = 1;
  });
  ScriptedWindows w;
  w.rangeAnswer = {{10, 13}};
  w.steps = {capture("0042/NGU", 1), capture("0042/NGU", 2), capture("0042/NGU", 3),
             [](ReceiptForm& f) {
               f.setNumber(39999);  // typed over 13: more than an issued receipt holds
               f.entry().clientId = "0042/NGU";
               f.entry().amount = 4;
               EXPECT_EQ(ReceiptForm::Step::Close, f.ok());
             }};
  ui.expect("Receipts Not Issued", kOk);
  const CaptureSummary s = run(w);
  EXPECT_EQ((std::vector<std::int64_t>{11, 12, 39999}), s.notIssued);
  EXPECT_EQ((std::vector<std::int64_t>{10, 11, 12, 13}), w.windowNumbers)
      << "the edited number carried the run past its end";
  auto issued = all<rec::AgeIss>();
  EXPECT_EQ(issued[0].CLIENT_ID, "0042/NGU");
  EXPECT_TRUE(issued[1].CLIENT_ID.blank()) << "another agent's receipt";
  EXPECT_EQ(issued[2].CLIENT_ID, "0043/DUB");
  EXPECT_DOUBLE_EQ(20, issued[2].AMOUNT);
  EXPECT_EQ(4u, all<rec::VelPay>().size());
  EXPECT_NE(std::string::npos, ui.shown().back().text.find("11, 12, 39999"));
  EXPECT_EQ(3u, all<rec::AgeIss>().size()) << "no issued receipt is added";
}

// An edited number carries the run on from it; Start above End captures
// nothing but still counts the cash and prints.
TEST_F(CaptureRunTest, TheWindowsNumberIsTheRunsCounter) {
  ScriptedWindows w;
  w.rangeAnswer = {{101, 105}};
  w.steps = {[](ReceiptForm& f) { f.setNumber(104); }};
  run(w);
  EXPECT_EQ((std::vector<std::int64_t>{101, 105}), w.windowNumbers);

  ScriptedWindows empty;
  empty.rangeAnswer = {{101, 100}};
  bool counted = false;
  empty.count = [&](CashboxForm& f) {
    counted = true;
    EXPECT_EQ(0, f.runningCents());
    f.ok();
  };
  EXPECT_TRUE(run(empty).ran);
  EXPECT_TRUE(counted);
  EXPECT_TRUE(empty.windowNumbers.empty());
}

// "&Process" without an agent ends the run with its message; "&Cancel" on
// either window ends it quietly.
TEST_F(CaptureRunTest, NoAgentOrCancelledWindowsEndTheRun) {
  ScriptedWindows none;
  none.agentAnswer = std::string();
  ui.expect("Agent Error", kOk, "Please select an agent");
  EXPECT_FALSE(run(none).ran);
  ScriptedWindows cancelled;
  EXPECT_FALSE(run(cancelled).ran);
  EXPECT_FALSE(cancelled.counted);
}

}  // namespace
}  // namespace vel::test
