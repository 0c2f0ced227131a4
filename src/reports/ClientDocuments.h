// The print-outs of one policy holder chosen in the client browse.
//
// The statement lists the client's ledger over a period: the balance brought
// forward (everything invoiced before the period less everything received
// before it), each transaction of the period in date order with its running
// balance, the totals, and the client's ageing as it stands on file. A credit
// is printed as a negative balance and carried on as such: the statement
// shows what the ledger holds, never a rounded-off view of it. The hamper
// club's "Hamper Statement" is the same statement over the hamper ledger.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ledger/LedgerDesc.h"
#include "reports/ReportFrame.h"

namespace vel {

// The statement of member `clientId` of ledger L over ctx's period
// ("Statement" of a policy holder, "Hamper Statement" of a club member). A
// member without an ageing record prints nothing owed in every bucket. A
// failed read marks ctx failed (shown once) and the document is then not to
// be shown.
template <class L>
report::Document ledgerStatement(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);
inline report::Document clientStatement(ReportContext& ctx, ReportProgress& progress,
                                        const std::string& clientId) {
  return ledgerStatement<ledger::BurialCover>(ctx, progress, clientId);
}

// The client information sheet: the policy holder's personal details, the
// plan and premium, spouse, beneficiary and introducing agent, the children
// with their premiums and the extended family on file. Ages are as on the
// report date. A client not on file prints nothing (an empty document).
// A hamper member's sheet (L = HamperClub) gives his details and monthly
// contribution.
template <class L>
report::Document memberInfoSheet(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId);
inline report::Document clientInfoSheet(ReportContext& ctx, ReportProgress& progress,
                                        const std::string& clientId) {
  return memberInfoSheet<ledger::BurialCover>(ctx, progress, clientId);
}

// The collection card of one client, the same card the period's cards print.
template <class L>
report::Document memberCollectionCard(ReportContext& ctx, ReportProgress& progress,
                                      const std::string& clientId);
inline report::Document clientCollectionCard(ReportContext& ctx, ReportProgress& progress,
                                             const std::string& clientId) {
  return memberCollectionCard<ledger::BurialCover>(ctx, progress, clientId);
}

// One collection card per client, in the order given, each on a band of its
// own (the cards of the pick list). No client: a document without bands.
report::Document clientCardsDocument(ReportContext& ctx, const std::vector<rec::VelCli>& clients);

// "Print Route Info per Period": the card of every member of ledger L whose
// entry date (DATE) lies in ctx's period, in the order the members were
// added. A period in which nobody was added gives a document without bands,
// which is not printed. A failed read marks ctx failed (shown once).
template <class L>
report::Document periodMemberCards(ReportContext& ctx, ReportProgress& progress);
inline report::Document periodCollectionCards(ReportContext& ctx, ReportProgress& progress) {
  return periodMemberCards<ledger::BurialCover>(ctx, progress);
}

// Asks the period (both ends today by default) and hands the period's cards
// to `output`; a period without new members prints nothing. The period
// asked, or nothing when it was cancelled.
template <class L>
std::optional<std::pair<std::int32_t, std::int32_t>> printPeriodMemberCards(DataFiles& files,
                                                                            ShellUi& ui,
                                                                            const Clock& clock,
                                                                            ReportOutput& output);
inline std::optional<std::pair<std::int32_t, std::int32_t>> printPeriodCollectionCards(
    DataFiles& files, ShellUi& ui, const Clock& clock, ReportOutput& output) {
  return printPeriodMemberCards<ledger::BurialCover>(files, ui, clock, output);
}

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
// the statement of member `clientId` of ledger L to `output`; a cancelled
// period prints nothing.
template <class L>
void printLedgerStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                          const std::string& clientId, ReportOutput& output);
inline void printClientStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                                 const std::string& clientId, ReportOutput& output) {
  printLedgerStatement<ledger::BurialCover>(files, ui, clock, clientId, output);
}

}  // namespace vel
