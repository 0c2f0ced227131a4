// The demo office: fills an empty data folder with a believable branch of
// the burial-cover scheme, so that the program can be shown and tried out
// without typing in an office first.
//
// What goes in: the plan table (plans A to D, each with the options
// "Single", "Single Parent", "Family" and "1 Plus 9", and the hamper row
// "HAM"), the children's premiums of every plan and age group, towns with
// their postal codes, collection routes, agents, collectors, client banks
// with branches, the branch's own bank accounts, and a few hundred policy
// holders with spouses, beneficiaries, children, extended family and hamper
// membership. Every record is written through the record store, formed as
// the client, child and extended-family forms form it: client numbers from
// the running number and the surname, valid 13-digit identity numbers that
// agree with the date of birth and gender, premiums read from the plan
// tables.
//
// Each policy also gets an account: its first charge on the day it joined
// (ageing record, invoice and "Invoice" transaction, posted as the client
// form posts it), then the last four months' invoices of the monthly run
// (on the 21st) and the payments received, each with its transaction, the
// ageing record carried along by the ledger's ageing rules. A policy no
// longer active is billed up to the day it changed. The INVOICED mark is set
// when this month's invoice is on file. The hamper members, copied from
// their clients as the copy utility copies them, get their own account in
// the hamper ledger the same way, from the month they joined the club (at
// most five months back).
//
// The same seed, clock day and client count always give the same folder.
#pragma once

#include <string>

#include "platform/Clock.h"
#include "recordstore/DataFiles.h"

namespace vel {

// The most policy holders a demo office takes: big enough for an office
// whose lists and runs are to be timed.
inline constexpr int kDemoMostClients = 100000;

// The most months of office life a demo office plays.
inline constexpr int kDemoMostMonths = 24;

struct DemoOptions {
  int clients = 300;         // policy holders to add, 1 to kDemoMostClients
  int months = 6;            // months of office life played, 0 to kDemoMostMonths
  unsigned seed = 20261208;  // the same seed gives the same office
};

struct DemoResult {
  bool ok = false;
  std::string message;    // what was done, or why nothing was
  int clients = 0;        // VelCli records added
  int activeClients = 0;  // of which "Active"
  int children = 0;       // VelChd records
  int extended = 0;       // VelExt records
  int hamperMembers = 0;  // Hamper records (clients who also save for a hamper)
  int plans = 0;          // Plan rows, the hamper row included
  int childPlans = 0;     // PlanChd rows
  int setupRecords = 0;   // towns, postal codes, routes, agents, collectors, banks
  int monthsPlayed = 0;      // invoice runs played
  int invoicesBilled = 0;    // members billed by those runs
  int counterPayments = 0;   // payments taken at the counter
  int receiptsCaptured = 0;  // agents' receipts captured against their books
  int receiptBooks = 0;      // books issued
};

// Seeds the demo office into the data folder of `files`, dating everything
// relative to `clock`'s today. Refuses, writing nothing, when any file it
// would fill already holds records, so a second run never doubles the office.
// A seeding under way keeps a mark in the folder (DemoSeeding.Txt). When it
// is cut short (a failure part-way, the process killed), the mark stays, and
// the next run clears the demo's files and seeds the office afresh; while the
// seeding that set the mark still runs, the next run refuses.
DemoResult seedDemoOffice(DataFiles& files, const Clock& clock, const DemoOptions& options = {});

}  // namespace vel
