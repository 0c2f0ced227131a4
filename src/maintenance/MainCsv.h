// Main.csv: the underwriter's schedule of every insured life.
//
// One line per person covered: for every client in record order a
// "Main Member" line, a "Spouse" line when the spouse's identity number is
// filled in, a "Child" line per child and an "Extended" line per
// extended-family member (each read through By_Client). The Product column
// is the age band of the client's plan (plan A, B or C, written as the plan
// table codes them, "A", or in the long form, "Plan A") followed by the
// option; any other plan leaves it blank on all the client's lines.
//
// Written like every export: under a temporary name and renamed at the end,
// so a file that cannot be read to its end is named and nothing is written.
#pragma once

#include <string>
#include <string_view>

#include "maintenance/ExportTables.h"

namespace vel {

inline constexpr std::string_view kMainCsvName = "Main.csv";

// Writes Main.csv into `outFolder` without asking anything.
ExportResult writeMainCsv(DataFiles& files, const std::string& outFolder, Progress& progress);

// The text of the "Please Note" box for Main.csv.
std::string mainCsvNoteText(const std::string& folder);

// The menu procedure Export_Main: the "Please Note" box, the progress window
// and Main.csv in the data folder; a failure is shown in a box.
ExportResult Export_Main(DataFiles& files, Ui& ui);

}  // namespace vel
