// The dual collection cards ("Print DUAL Route Info per Date"): paper cards
// on which a collector writes down each month's payment, two clients side by
// side per band.
//
// The run first builds the work file CliRout afresh: the clients whose entry
// date lies in the period, in record order, two to a work record (left half,
// then right half; an odd last client gives a record with only its left half).
// The cards are then printed from the work file in record order.
#pragma once

#include <cstdint>

#include "reports/ReportFrame.h"

namespace vel {

class ShellUi;

// Deletes and re-creates CliRout and fills it from the clients whose entry
// date lies in ctx's period. The number of work records added; -1 when the
// work file could not be made, a client could not be read or a record could
// not be added (the failure has been shown and ctx is marked failed).
std::int64_t fillCardFile(ReportContext& ctx, ReportProgress& progress);

// The cards of every record of CliRout, one free band per record.
report::Document cardDocument(ReportContext& ctx, ReportProgress& progress);

// The card of one client, as the cards of a period print it: the left card
// of a band of its own. The work file is not touched.
report::Document clientCardDocument(ReportContext& ctx, const rec::VelCli& client);
// A hamper member's card: his monthly contribution as the premium, no
// debit-order day.
report::Document clientCardDocument(ReportContext& ctx, const rec::Hamper& member);

// fillCardFile and then cardDocument; the document of the headless tool.
report::Document collectionCards(ReportContext& ctx, ReportProgress& progress);

// The menu item: asks the period, builds the work file and hands the cards
// to `output`. A cancelled period ends without output.
void printCollectionCards(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                          ReportOutput& output);

}  // namespace vel
