// The capture run, "&Capture Receipts": the cash an agent brought in against
// his receipt books, one receipt at a time.
//
// The run is linear: the "Agent" window, "Select Number Range", one "Receipt
// No" window per number (Capture_Receipt), the cash count (Update_Cashbox),
// then every receipt still waiting in the print queue is printed. Each
// receipt is captured as one unit of the record store: the receipt received
// (ReceiveR), its print record (RecPrn), the issued receipt (AgeIss), the
// payment with its invoice marks, ledger entry, ageing and overdue switches.
// A failure leaves none of it.
//
// An issued receipt is only ever filled in, never written over: a number
// that was not issued to the agent, or whose issued receipt already holds a
// capture, is captured all the same (the money is real) and the clerk is
// shown those numbers at the end of the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ledger/Postings.h"
#include "platform/Clock.h"

namespace vel {

class CashboxForm;
class DataFiles;
class ReportOutput;
class Ui;

inline constexpr const char* kCaptureReceipt = "Capture_Receipt";

// The files a receipt capture reads and writes. A run keeps them open from
// its first receipt to its last, so no receipt pays for opening them.
inline constexpr const char* kCaptureFiles[] = {"VelCli", "VelPay",   "VelInv", "VelTra", "VelAge",
                                                "ReceiveR", "RecPrn", "AgeIss", "CommStr"};

// What one run keeps in memory.
struct CaptureSession {
  std::string agent;                // the selected agent's code
  std::int64_t number = 0;          // the current receipt number (the run's counter)
  std::int64_t end = 0;             // the last number of the range
  std::int64_t runningCents = 0;    // "Total Receipts"
  double lastPayment = 0;           // the latest amount paid
  int captured = 0;
  std::vector<std::int64_t> notIssued;  // captured numbers that filled no issued receipt
};

// One receipt as typed.
struct ReceiptEntry {
  std::int64_t number = 0;
  std::int32_t date = 0;
  double amount = 0;
  std::string clientId;
};

enum class CaptureResult { Captured, UnknownClient, Failed };

// Captures one receipt as one unit (the rules of Capture_Receipt's OK). An
// unknown client gives "Client ID Error" and writes nothing. After the
// payment is on file the payment hook runs (the thank-you message).
// Whether it is the client's first payment is decided per client, from his
// payments on file, inside the unit.
CaptureResult captureReceipt(DataFiles& files, Ui& ui, CaptureSession& session,
                             const ReceiptEntry& entry, const ledger::PostingStamp& stamp,
                             Moment at);

// The "Receipt No" window's rules.
class ReceiptForm {
 public:
  ReceiptForm(DataFiles& files, Ui& ui, const Clock& clock, CaptureSession& session,
              ledger::PostingStamp stamp);

  ReceiptEntry& entry() { return entry_; }
  const std::string& agent() const { return session_.agent; }
  // The receipt number typed: the run goes on from it.
  void setNumber(std::int64_t n) { entry_.number = n; }
  // The amount typed ("45.50", "45,50"). Text that is no amount gives
  // "Invalid Entry" naming it, keeps the old amount and returns false.
  bool enterAmount(std::string_view text);

  enum class Step { Stay, FocusClient, Close };
  // OK: an unknown client keeps the window with the focus on Client ID;
  // otherwise the receipt is captured and the window closes.
  Step ok();
  // Closing the window without capturing skips the number.
  Step cancel() { return Step::Close; }
  bool captured() const { return captured_; }

 private:
  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  CaptureSession& session_;
  ledger::PostingStamp stamp_;
  ReceiptEntry entry_;
  bool captured_ = false;
};

// The windows of a run; the desktop opens real ones, tests script them.
class CaptureWindows {
 public:
  virtual ~CaptureWindows() = default;
  // The "Agent" window: nothing after "&Cancel", an empty code after
  // "&Process" with no agent chosen.
  virtual std::optional<std::string> agent() = 0;
  // "Select Number Range": Start and End, nothing after "&Cancel".
  virtual std::optional<std::pair<std::int64_t, std::int64_t>> numberRange() = 0;
  // One "Receipt No" window, modal until the form closes it.
  virtual void receipt(ReceiptForm& form) = 0;
  // "Form Cashbox", modal until the form closes it.
  virtual void cashbox(CashboxForm& form) = 0;
  // Where the printed receipts go (the print preview on the desktop).
  virtual ReportOutput& receipts() = 0;
};

// What a run did, for its caller and its tests.
struct CaptureSummary {
  bool ran = false;  // past the agent and range windows
  int captured = 0;
  std::int64_t totalCents = 0;
  int printed = 0;
  std::vector<std::int64_t> notIssued;
};

// Runs the whole capture run.
CaptureSummary runCapture(DataFiles& files, Ui& ui, const Clock& clock, CaptureWindows& windows,
                          const std::string& user);

// Reads an amount typed into the entry `prompt` ("45.50", "45,50"); text
// that is no amount gives "Invalid Entry" naming it and false.
bool readAmount(Ui& ui, std::string_view prompt, std::string_view text, double& amount);

// "1001, 1002, 1005": the numbers in order.
std::string numberList(const std::vector<std::int64_t>& numbers);

}  // namespace vel
