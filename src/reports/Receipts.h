// Receipts: the printed acknowledgement of money received.
//
// A receipt is a document of one page per payment: the heading "RECEIPT",
// the date, the client's name and address, the amount as "R" and two
// decimals, "Received without prejudice of rights", the client number with
// the surname, and the scheme's name (SchemeTexts.Txt [Scheme], else the
// business name). The receipts of a capture run come from the RecPrn queue;
// a counter payment's receipt also names the branch and the report moment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dictionary/Dictionary.h"
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
// A payment's receipt, the client's name and address from his record.
ReceiptLines receiptOf(const rec::VelPay& p, const rec::VelCli& client);

// "R" and the amount with two decimals: "R195.50".
std::string receiptAmount(double amount);

// A document of one receipt per page. `branchLine` (the branch's name and
// code, for a counter payment) prints under the heading when not empty.
report::Document receiptDocument(ReportContext& ctx, const std::vector<ReceiptLines>& receipts,
                                 const std::string& branchLine = {});

// Prints every queued receipt not printed yet (RecPrn with PRINTED not 1),
// in file order, as one document to `output`, then marks them printed. The
// number printed; 0 prints nothing. A read or write that fails is shown and
// leaves the unprinted marks as they were (the next run prints them).
int printQueuedReceipts(ReportContext& ctx, ReportOutput& output);

// Prints the receipt of one payment (the payment form's "Print Receipt?",
// the payments panel's "Print Receipt" button). False when the client
// cannot be read (shown).
bool printPaymentReceipt(ReportContext& ctx, ReportOutput& output, const rec::VelPay& payment);

}  // namespace vel
