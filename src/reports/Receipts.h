// Receipts: the printed acknowledgement of money received.
//
// A receipt is a document of one page per payment: the heading "RECEIPT",
// the date, the client's name and address, the amount as "R" and two
// decimals, "Received without prejudice of rights", the client number with
// the surname, and the scheme's name (SchemeTexts.Txt [Scheme], else the
// business name). The receipts of a capture run come from the RecPrn queue;
// a counter payment's receipt also names the branch and the report moment.
// A hamper club payment prints the same receipt from the hamper files, its
// scheme line naming the club.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dictionary/Dictionary.h"
#include "ledger/LedgerDesc.h"
#include "reports/Document.h"
#include "reports/ReportFrame.h"

namespace vel {

// What one receipt prints.
struct ReceiptLines {
  std::int32_t date = 0;
  std::string initials, surname;
  std::string address[3];
  std::string postalCode;
  double amount = 0;
  std::string clientId;
};

ReceiptLines receiptOf(const rec::RecPrn& r);
// A payment's receipt, the member's name and address from his record
// (a policy holder's VelPay and VelCli, a hamper member's HamPay and Hamper).
template <class Payment, class Member>
ReceiptLines receiptOf(const Payment& p, const Member& member);

// "R" and the amount with two decimals: "R195.50".
std::string receiptAmount(double amount);

// A document of one receipt per page. `branchLine` (the branch's name and
// code, for a counter payment) prints under the heading when not empty.
// The scheme line is `schemeCaption` when given, else the scheme's name.
report::Document receiptDocument(ReportContext& ctx, const std::vector<ReceiptLines>& receipts,
                                 const std::string& branchLine = {},
                                 const std::string& schemeCaption = {});

// The scheme line of a hamper club receipt: the scheme's name and the club.
std::string hamperReceiptCaption(const std::string& scheme);

// Prints every queued receipt not printed yet (RecPrn with PRINTED not 1),
// in file order, as one document to `output`, then marks them printed. The
// number printed; 0 prints nothing. A read or write that fails is shown and
// leaves the unprinted marks as they were (the next run prints them).
int printQueuedReceipts(ReportContext& ctx, ReportOutput& output);

// Prints the receipt of one payment of ledger L (the payment form's "Print
// Receipt?", the payments panel's "Print Receipt" button). False when the
// member cannot be read.
template <class L>
bool printLedgerReceipt(ReportContext& ctx, ReportOutput& output,
                        const typename L::Payment& payment);
inline bool printPaymentReceipt(ReportContext& ctx, ReportOutput& output,
                                const rec::VelPay& payment) {
  return printLedgerReceipt<ledger::BurialCover>(ctx, output, payment);
}

}  // namespace vel
