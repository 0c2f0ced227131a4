// The month's invoice run (Generate_Invoices) and the month reset of the
// invoiced marks (Reset_Invoiced).
//
// The run walks the clients in By_Client order, then the hamper members in
// theirs, and bills every member who is "Active" and not yet invoiced since
// the last reset: invoice, ageing, marks and "Invoice" transaction, posted
// by the ledger's own rule (ledger/InvoicePosting.h). Members are committed
// in groups, each member inside a savepoint of its own, and the INVOICED
// mark is tested inside the group's write transaction: a run cut short
// leaves whole members only, a re-run picks up where it stopped, and two
// stations running at once bill each member once.
//
// The window is "Generating Velmora Data" with "Generating Invoices, please
// wait ..." and a whole-number bar: before each pass the step is 100
// divided by the number of records of the member file, and the bar shows
// the running sum of steps (one per record read) cut to a whole number.
#pragma once

#include <cstdint>
#include <string>

#include "ledger/Postings.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel::billing {

inline constexpr std::string_view kInvoiceRunTitle = "Generating Velmora Data";
inline constexpr std::string_view kInvoiceRunText = "Generating Invoices, please wait ...";

struct InvoiceRunOptions {
  int groupSize = 500;     // members committed together
  bool automatic = false;  // started by the daily sequence (told to the SMS side)
  int lockWaitSeconds = 120;  // how long a group waits for another station's locks
};

struct InvoiceRunResult {
  bool ok = true;
  int clientsInvoiced = 0;  // clients billed by this run
  int hamperInvoiced = 0;   // hamper members billed by this run
  std::int64_t cents = 0;   // the amount billed, in cents
  std::string failure;      // why the run stopped (shown already)
  int membersInvoiced() const { return clientsInvoiced + hamperInvoiced; }
};

// Generate_Invoices: bills the month. The stamp's user goes into X_ID, its
// branch into the invoices' and transactions' BRANCH_ID. A failure (a file
// held beyond the wait, a refused write, a failed read) stops the run with a
// message naming the member and the file; what was committed before stays
// whole, and the run can simply be started again. After a complete run the
// SMS side is told (ledger::messageHooks().afterInvoiceRun).
InvoiceRunResult Generate_Invoices(DataFiles& files, Ui& ui, const Clock& clock,
                                   const ledger::PostingStamp& stamp,
                                   const InvoiceRunOptions& options = {});

// Reset_Invoiced: INVOICED = 0 on every client, then every hamper member,
// as one transaction, each pass with its own progress bar. False (nothing
// changed, the reason shown) when it failed.
bool Reset_Invoiced(DataFiles& files, Ui& ui);

// The same passes inside a transaction the caller holds over VelCli and
// Hamper (the daily sequence's claim of the month reset): the caller commits
// or rolls back. False when a read or write failed (shown).
bool resetInvoicedWithin(DataFiles& files, Ui& ui);

}  // namespace vel::billing
