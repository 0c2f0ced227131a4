// The print-outs of one policy holder chosen in the client browse.
//
// The statement lists the client's ledger over a period: the balance brought
// forward (everything invoiced before the period less everything received
// before it), each transaction of the period in date order with its running
// balance, the totals, and the client's ageing as it stands on file. A credit
// is printed as a negative balance and carried on as such: the statement
// shows what the ledger holds, never a rounded-off view of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/ReportFrame.h"

namespace vel {

// The statement of `clientId` over ctx's period. A client without an ageing
// record prints nothing owed in every bucket. A failed read marks ctx failed
// (shown once) and the document is then not to be shown.
report::Document clientStatement(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);

// The client information sheet: the policy holder's personal details, the
// plan and premium, spouse, beneficiary and introducing agent, the children
// with their premiums and the extended family on file. Ages are as on the
// report date. A client not on file prints nothing (an empty document).
report::Document clientInfoSheet(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);

// The collection card of one client, the same card the period's cards print.
report::Document clientCollectionCard(ReportContext& ctx, ReportProgress& progress,
                                      const std::string& clientId);

// One collection card per client, in the order given, each on a band of its
// own (the cards of the pick list). No client: a document without bands.
report::Document clientCardsDocument(ReportContext& ctx, const std::vector<rec::VelCli>& clients);

// "Print Route Info per Period": the card of every client whose entry date
// (DATE) lies in ctx's period, in the order the clients were added. A period
// in which nobody was added gives a document without bands, which is not
// printed. A failed read marks ctx failed (shown once).
report::Document periodCollectionCards(ReportContext& ctx, ReportProgress& progress);

// Asks the period (both ends today by default) and hands the period's cards
// to `output`; a period without new clients prints nothing. The period
// asked, or nothing when it was cancelled.
std::optional<std::pair<std::int32_t, std::int32_t>> printPeriodCollectionCards(
    DataFiles& files, ShellUi& ui, const Clock& clock, ReportOutput& output);

// The scheme's own wording on the policy documents. It is kept in the data
// folder as SchemeTexts.Txt, in sections headed by a bracketed name:
//   [Scheme]       the scheme's name (default: the configured business name)
//   [Declaration]  the applicant's declaration on the certificate
//   [Terms]        the terms and conditions printed under it
//   [Claim]        the claimant's declaration on the claim form
// Lines of a section are joined with a blank into one paragraph; an empty
// line starts a new paragraph. A missing file or section keeps a plain
// default, so the pack always prints.
struct SchemeTexts {
  std::string scheme;
  std::vector<std::string> declaration, terms, claim;
};
inline constexpr const char* kSchemeTextsFile = "SchemeTexts.Txt";
SchemeTexts readSchemeTexts(const std::string& folder, const std::string& businessName);

// The age text a plan prints with on the documents: "<64" for plan A,
// "65 - 74" for plan B, ">75" for plan C, blank otherwise; the plan given by
// its letter ("A") or by name ("Plan A").
std::string planAgeText(std::string_view plan);

// The policy documentation pack of one client: the application certificate
// (plan, holder, address, contact number, premium, commencement, beneficiary
// and who is covered), the claim form, and the personal details, each
// starting on a page of its own. A client not on file prints nothing.
report::Document policyPack(ReportContext& ctx, ReportProgress& progress,
                            const std::string& clientId);

// Asks the period (the first of the month through today by default) and hands
// the statement of `clientId` to `output`; a cancelled period prints nothing.
void printClientStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                          const std::string& clientId, ReportOutput& output);

}  // namespace vel
