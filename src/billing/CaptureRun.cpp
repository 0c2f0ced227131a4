#include "billing/CaptureRun.h"

#include <memory>

#include "billing/Cashbox.h"
#include "common/Money.h"
#include "common/Picture.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "ledger/MessageHooks.h"
#include "ledger/PaymentPosting.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "reports/ReportFrame.h"
#include "reports/Receipts.h"

namespace vel {

namespace {

rec::CommStr commission(DataFiles& files) {
  FileManager& f = files.fm<rec::CommStr>();
  FileUse use(f);
  const int h = f.PushState();
  f.ClearBuffer();
  if (f.SetOrder(kPhysicalOrder) != kDone || f.TryReadNext() != kDone) f.ClearBuffer();
  rec::CommStr c = f.rec<rec::CommStr>();
  f.PopState(h);
  return c;
}

// The issued receipt of `number` still waiting for its capture, in the
// agent's books: its position, or empty. False when a read failed (shown).
bool openIssuedReceipt(FileManager& iss, const std::string& agent, std::int64_t number,
                       std::string& position) {
  position.clear();
  if (number < Short::kMin || number > Short::kMax) return true;  // never issued
  iss.ClearBuffer();
  iss.rec<rec::AgeIss>().NUMBER = number;
  if (iss.SetOrderAt(iss.keyIndex("By_Number")) != kDone) return false;
  for (;;) {
    if (iss.TryReadNext() != kDone) {
      if (iss.EndOfData()) return true;
      iss.report(msg::RetrievalError);
      return false;
    }
    const rec::AgeIss& r = iss.rec<rec::AgeIss>();
    if (r.NUMBER != number) return true;
    if (equalsNoCase(r.CODE.str(), agent) && r.CLIENT_ID.blank() && r.DATE_REC == 0) {
      position = iss.Position();
      return true;
    }
  }
}

}  // namespace

CaptureResult captureReceipt(DataFiles& files, Ui& ui, CaptureSession& session,
                             const ReceiptEntry& entry, const ledger::PostingStamp& stamp,
                             Moment at) {
  const rec::CommStr comm = commission(files);
  const std::string clientId(trim(entry.clientId));
  FileManager& cli = files.fm<rec::VelCli>();
  FileManager& received = files.fm<rec::ReceiveR>();
  FileManager& queue = files.fm<rec::RecPrn>();
  FileManager& iss = files.fm<rec::AgeIss>();
  const double amount = roundCents(entry.amount);
  bool issued = false;

  ledger::PaymentOptions options;
  options.first = ledger::FirstPayment::OnFile;
  options.clearUnearnedCommission = false;
  options.alsoFiles = {&received, &queue, &iss};
  options.alsoWrite = [&] {
    cli.ClearBuffer();
    cli.rec<rec::VelCli>().CLIENT_ID = clientId;
    if (cli.GetByKey(cli.keyIndex("By_Client")) != kDone) return false;
    const rec::VelCli c = cli.rec<rec::VelCli>();

    received.ClearBuffer();
    rec::ReceiveR& r = received.rec<rec::ReceiveR>();
    r.DATE = entry.date;
    r.CODE = session.agent;
    r.AMOUNT = amount;
    r.NUMBER = entry.number;
    r.CLIENT_ID = c.CLIENT_ID.str();
    if (received.Insert() != kDone) return false;

    queue.ClearBuffer();
    rec::RecPrn& p = queue.rec<rec::RecPrn>();
    p.DATE = entry.date;
    p.NUMBER = entry.number;
    p.AMOUNT = amount;
    p.CLIENTID = c.CLIENT_ID.str();
    p.PRINTED = 0;
    p.ADD1 = c.H_ADDR1.str();
    p.ADD2 = c.H_ADDR2.str();
    p.ADD3 = c.H_ADDR3.str();
    p.PCODE = c.H_CODE.value;
    p.SURNAME = c.SURNAME.str();
    p.INIT = c.INITIALS.str();
    if (queue.Insert() != kDone) return false;

    std::string position;
    if (!openIssuedReceipt(iss, session.agent, entry.number, position)) return false;
    issued = !position.empty();
    if (issued) {
      if (iss.Reget(position) != kDone) return false;
      rec::AgeIss& i = iss.rec<rec::AgeIss>();
      i.AMOUNT = amount;
      i.CLIENT_ID = c.CLIENT_ID.str();
      i.DATE_REC = entry.date;
      if (iss.Update() != kDone) return false;
    }
    return true;
  };

  rec::VelPay pay;
  pay.CLIENT_ID = clientId;
  pay.DATE = entry.date;
  pay.ACCOUNT = "Petty Cash";
  pay.SOURCE = "Cash";
  pay.CREDIT = amount;
  pay.STATUS = "SEL";
  pay.BRANCH_ID = "";
  pay.COL_CODE = "0";
  pay.AGE_CODE = "0";
  pay.COL_COMM = comm.COLL.value;
  pay.AGE_COMM = comm.AGENT.value;
  // The payment carries no branch of its own; the stamp's branch is for the
  // ageing record a member without one gets.
  const ledger::PaymentOutcome out =
      ledger::postPayment<ledger::BurialCover>(files, pay, options, stamp, at);
  if (out.unknownMember) {
    ui.message("Client ID " + clientId + " could not be found. Please correct the Client ID",
               "Client ID Error", Icon::Exclamation, kOk, kOk);
    return CaptureResult::UnknownClient;
  }
  if (out.result != ledger::PostResult::Posted) return CaptureResult::Failed;

  session.runningCents += toCents(amount);
  session.lastPayment = amount;
  ++session.captured;
  if (!issued) session.notIssued.push_back(entry.number);
  if (const auto& hook = ledger::messageHooks().afterPayment)
    hook(files, ledger::BurialCover::kName, clientId, amount);
  return CaptureResult::Captured;
}

ReceiptForm::ReceiptForm(DataFiles& files, Ui& ui, const Clock& clock, CaptureSession& session,
                         ledger::PostingStamp stamp)
    : files_(files), ui_(ui), clock_(clock), session_(session), stamp_(std::move(stamp)) {
  entry_.number = session.number;
  entry_.date = clock.today();
}

ReceiptForm::Step ReceiptForm::ok() {
  session_.number = entry_.number;
  switch (captureReceipt(files_, ui_, session_, entry_, stamp_, clock_.moment())) {
    case CaptureResult::Captured:
      captured_ = true;
      return Step::Close;
    case CaptureResult::UnknownClient:
      return Step::FocusClient;
    case CaptureResult::Failed:
      return Step::Stay;
  }
  return Step::Stay;
}

// An amount as a clerk types it, read by the money picture.
bool readAmount(Ui& ui, std::string_view prompt, std::string_view text, double& amount) {
  const auto v = Picture::parse("n-_10.2").deformatNumber(text);
  if (!v) {
    ui.message(std::string(prompt) + ": \"" + std::string(trim(text)) + "\" is not an amount.",
               "Invalid Entry", Icon::Exclamation, kOk, kOk);
    return false;
  }
  amount = *v;
  return true;
}

bool ReceiptForm::enterAmount(std::string_view text) {
  return readAmount(ui_, "Amount", text, entry_.amount);
}

std::string numberList(const std::vector<std::int64_t>& numbers) {
  std::string s;
  for (std::int64_t n : numbers) s += (s.empty() ? "" : ", ") + std::to_string(n);
  return s;
}

CaptureSummary runCapture(DataFiles& files, Ui& ui, const Clock& clock, CaptureWindows& windows,
                          const std::string& user) {
  CaptureSummary summary;
  const std::optional<std::string> agent = windows.agent();
  if (!agent) return summary;
  if (trim(*agent).empty()) {
    ui.message("Please select an agent", "Agent Error", Icon::Exclamation, kOk, kOk);
    return summary;
  }
  const auto range = windows.numberRange();
  if (!range) return summary;
  summary.ran = true;

  CaptureSession session;
  session.agent = std::string(trim(*agent));
  session.number = range->first;
  session.end = range->second;
  // The run's files stay open while it runs.
  FileUse cash(files.fm<rec::Cashbox>());
  std::vector<std::unique_ptr<FileUse>> open;
  for (const char* label : kCaptureFiles) open.push_back(std::make_unique<FileUse>(files.fm(label)));
  const ledger::PostingStamp stamp{ledger::officeBranch(files), user};

  // The window's number is the run's counter: an edited number carries on.
  for (; session.number <= session.end; ++session.number) {
    ReceiptForm form(files, ui, clock, session, stamp);
    windows.receipt(form);
    session.number = form.entry().number;
  }

  CashboxForm count(files, ui, clock, session.agent, fromCents(session.runningCents));
  windows.cashbox(count);

  ReportContext ctx(files, ui, clock);
  summary.printed = printQueuedReceipts(ctx, windows.receipts());

  summary.captured = session.captured;
  summary.totalCents = session.runningCents;
  summary.notIssued = session.notIssued;
  if (!session.notIssued.empty())
    ui.message("These receipt numbers are not in a book issued to agent " + session.agent +
                   ", or were captured before:|" + numberList(session.notIssued) +
                   "|Their payments have been posted; no issued receipt was changed.",
               "Receipts Not Issued", Icon::Information, kOk, kOk);
  return summary;
}

}  // namespace vel
