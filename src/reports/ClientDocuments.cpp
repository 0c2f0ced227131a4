#include "reports/ClientDocuments.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Picture.h"
#include "common/Text.h"
#include "reports/CollectionCards.h"
#include "shell/GetRange.h"
#include "shell/Globals.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::Column;
using report::Font;
using report::Item;

std::string dateText(std::int64_t day) { return formatPicture("d06", static_cast<double>(day)); }

// "Mokoena T.G. (0042/MOK)": the surname, the initials and the client number.
template <class Member>
std::string clientLine(const Member& c) {
  std::string line = c.SURNAME.text();
  std::string initials = c.INITIALS.text();
  if (!initials.empty()) {
    std::string dotted;
    for (char ch : initials) dotted += std::string(1, ch) + ".";
    line += " " + dotted;
  }
  return line + " (" + c.CLIENT_ID.text() + ")";
}

// One transaction of the period as printed.
struct Line {
  std::int64_t date = 0;
  std::string type;
  std::int64_t debit = 0, credit = 0;  // cents
};

}  // namespace

template <class L>
report::Document ledgerStatement(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId) {
  using Member = typename L::Member;
  using Entry = typename L::Entry;
  using Ageing = typename L::Ageing;
  constexpr bool hamper = std::is_same_v<L, ledger::HamperClub>;
  report::Document doc = startDocument(ctx, hamper ? "Hamper Statement" : "Statement", true);
  // The five columns fill the printable width of an A4 page.
  doc.columns = {Column{"Date", 24},
                 Column{"Transaction", 58},
                 Column{"Invoices", 34, Align::Right},
                 Column{"Received", 34, Align::Right},
                 Column{"Balance", 36, Align::Right}};
  doc.headerLines.push_back(businessLine(ctx));

  FileManager& cli = ctx.files.fm<Member>();
  FileManager& tra = ctx.files.fm<Entry>();
  FileManager& age = ctx.files.fm<Ageing>();
  FileUse useCli(cli), useTra(tra), useAge(age);

  cli.ClearBuffer();
  cli.rec<Member>().CLIENT_ID = clientId;
  if (cli.EnsureOpen() != kDone) {
    ctx.failed = true;
    return doc;
  }
  if (getByKey(ctx, cli, cli.keyIndex("By_Client")))
    doc.headerLines.push_back(clientLine(cli.rec<Member>()));
  else if (ctx.failed)
    return doc;
  else
    doc.headerLines.push_back(clientId);

  // The client's transactions: before the period into the balance brought
  // forward, within it as lines; deleted entries are not on the ledger.
  std::int64_t broughtForward = 0;
  std::vector<Line> lines;
  if (!openWalk(ctx, progress, tra)) return doc;
  tra.ClearBuffer();
  tra.rec<Entry>().CLIENT_ID = clientId;
  if (!startWalk(ctx, tra, tra.keyIndex("By_Client"), true)) return doc;
  const Entry& t = tra.rec<Entry>();
  while (readNext(ctx, tra)) {
    progress.advance();
    if (!equalsNoCase(t.CLIENT_ID.str(), clientId)) break;
    if (t.DELETED != 0) continue;
    const std::int64_t debit = toCents(t.DEBIT), credit = toCents(t.CREDIT);
    if (t.DATE < ctx.periodStart)
      broughtForward += debit - credit;
    else if (t.DATE <= ctx.periodEnd)
      lines.push_back({t.DATE, t.TYPE.text(), debit, credit});
  }
  if (ctx.failed) return doc;
  // The ledger keeps entries in the order they were written; the statement
  // reads by date, same-day entries in the order written.
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.date < b.date; });

  const auto rand = [](std::int64_t cents) { return money(fromCents(cents)); };
  doc.addRow({"", "Balance brought forward:", "", "", rand(broughtForward)});
  std::int64_t balance = broughtForward, invoiced = 0, received = 0;
  for (const Line& l : lines) {
    balance += l.debit - l.credit;
    invoiced += l.debit;
    received += l.credit;
    doc.addRow({dateText(l.date), l.type, l.debit ? rand(l.debit) : "",
                l.credit ? rand(l.credit) : "", rand(balance)});
  }
  doc.addReportTotal({"", "TOTALS:", rand(invoiced), rand(received), rand(balance)});

  // The ageing as it stands on file.
  double buckets[6] = {};
  age.ClearBuffer();
  age.rec<Ageing>().CLIENT_ID = clientId;
  if (age.EnsureOpen() != kDone) {
    ctx.failed = true;
    return doc;
  }
  if (getByKey(ctx, age, age.keyIndex("By_Client"))) {
    const Ageing& a = age.rec<Ageing>();
    const double values[6] = {a.CURRENT, a.P30, a.P60, a.P90, a.P90PLUS, a.TOTAL};
    std::copy(std::begin(values), std::end(values), buckets);
  } else if (ctx.failed) {
    return doc;
  }
  static constexpr const char* kHeadings[6] = {"Current", "30 Days",       "60 Days",
                                               "90 Days", "90 Days Plus", "Total"};
  const double width = doc.page.printableWidth() / 6;
  const Font bold{8.5, true};
  std::vector<Item> items;
  items.push_back(Item::textAt(0, 2, 60, 5, "Ageing", Align::Left, bold));
  for (int i = 0; i < 6; ++i) {
    items.push_back(Item::textAt(i * width, 7.5, width - 1, 5, kHeadings[i], Align::Right, bold));
    items.push_back(Item::textAt(i * width, 12.5, width - 1, 5, money(buckets[i]), Align::Right));
  }
  items.push_back(Item::boxAt(0, 7, doc.page.printableWidth(), 11));
  doc.addFreeBand(19, std::move(items));
  return doc;
}

template report::Document ledgerStatement<ledger::BurialCover>(ReportContext&, ReportProgress&,
                                                               const std::string&);
template report::Document ledgerStatement<ledger::HamperClub>(ReportContext&, ReportProgress&,
                                                              const std::string&);

namespace {

// Reads the client into the buffer of VelCli; false when not on file or on
// a failure (ctx failed).
template <class Member = rec::VelCli>
bool readClient(ReportContext& ctx, FileManager& cli, const std::string& clientId) {
  cli.ClearBuffer();
  cli.rec<Member>().CLIENT_ID = clientId;
  if (cli.EnsureOpen() != kDone) {
    ctx.failed = true;
    return false;
  }
  return getByKey(ctx, cli, cli.keyIndex("By_Client"));
}

std::string joined(std::initializer_list<std::string> parts, const char* sep = " ") {
  std::string out;
  for (const std::string& p : parts)
    if (!p.empty()) out += (out.empty() ? "" : sep) + p;
  return out;
}

std::string ageText(std::int64_t dob, std::int32_t on) {
  return dob > 0 ? std::to_string(ageOn(static_cast<std::int32_t>(dob), on)) : "";
}

std::string dayText(std::int64_t day) { return day > 0 ? dateText(day) : ""; }

}  // namespace

namespace {

// The personal details of the information sheet and the policy pack: the
// holder, plan and premium, spouse, beneficiary, the introducing agent, the
// children with their premiums and the extended family on file. Ages are as
// on the report date. A failed read marks ctx failed.
void addDependants(ReportContext& ctx, ReportProgress& progress, report::Document& doc,
                   const rec::VelCli& c);

// A hamper member has no plan and no dependants: his sheet gives his
// monthly contribution instead of the plan and premium.
template <class Member>
void addPersonalDetails(ReportContext& ctx, ReportProgress& progress, report::Document& doc,
                        const Member& c) {
  constexpr bool client = std::is_same_v<Member, rec::VelCli>;
  const std::int32_t today = ctx.started.day;
  const auto code = [](std::int64_t n) {
    return n == 0 ? std::string() : Picture::parse("n04").formatWhole(n);
  };

  doc.addGroupHeader(client ? "Policy Holder" : "Hamper Member");
  if constexpr (client)
    doc.addRow(
        {"Client No", c.CLIENT_ID.text(), "Plan", joined({c.PLAN.text(), c.OPTION.text()}, " - ")});
  else
    doc.addRow({"Client No", c.CLIENT_ID.text(), "Hamper", money(c.HAMPER)});
  doc.addRow({"Surname", c.SURNAME.text(), "First Names",
              joined({c.FIRSTNAME.text(), c.MIDDLENAME.text()})});
  doc.addRow({"ID Number", c.ID_NUMBER.text(), "Date of Birth", dayText(c.DOB)});
  doc.addRow({"Age", ageText(c.DOB, today), "Gender", c.GENDER.text()});
  doc.addRow({"Maiden Name", c.MAIDENNAME.text(), "E-mail", c.EMAIL.text()});
  doc.addRow({"Tel (H)", c.PHONE_HOME.text(), "Tel (W)", c.PHONE_WORK.text()});
  doc.addRow({"Cell", c.PHONE_CELL.text(), "Status", c.ACTIVE.text()});
  doc.addRow({"Home Address", joined({c.STRNO.text(), c.H_ADDR1.text()}), "Postal Address",
              c.P_ADDR1.text()});
  doc.addRow({"", c.H_ADDR2.text(), "", c.P_ADDR2.text()});
  doc.addRow({"", joined({c.H_ADDR3.text(), code(c.H_CODE)}), "",
              joined({c.P_ADDR3.text(), code(c.P_CODE)})});
  if constexpr (client)
    doc.addRow({"Total Premium", money(c.PLANPREM), "Commencement", dayText(c.WAIT_DATE)});
  else
    doc.addRow({"Contribution", money(c.PREMIUM), "Joined", dayText(c.DATE)});
  doc.addRow({"Introduced by", joined({c.AGE_FNAME.text(), c.AGE_SURNAME.text()}), "Agent Code",
              c.AGE_CODE.text()});

  if (!c.S_SURNAME.blank() || !c.S_ID_NUMBER.blank()) {
    doc.addGroupHeader("Spouse");
    doc.addRow({"Name", joined({c.S_FIRSTNAME.text(), c.S_SURNAME.text()}), "ID Number",
                c.S_ID_NUMBER.text()});
    doc.addRow({"Age", ageText(c.S_DOB, today), "Gender", c.S_GENDER.text()});
  }
  doc.addGroupHeader("Beneficiary");
  doc.addRow({"Name", joined({c.B1_FIRSTNAME.text(), c.B1_SURNAME.text()}), "Relation",
              c.B1_RELATION.text()});
  doc.addRow({"ID Number", c.B1_ID_NUMBER.text(), "Contact", c.B1_CONTACT.text()});

  if constexpr (client) addDependants(ctx, progress, doc, c);
}

// The children and extended family of a policy holder, in the order they
// were captured.
void addDependants(ReportContext& ctx, ReportProgress& progress, report::Document& doc,
                   const rec::VelCli& c) {
  const std::int32_t today = ctx.started.day;
  FileManager& chd = ctx.files.fm<rec::VelChd>();
  FileUse useChd(chd);
  if (!openWalk(ctx, progress, chd)) return;
  chd.ClearBuffer();
  chd.rec<rec::VelChd>().CLIENT_ID = c.CLIENT_ID.text();
  if (!startWalk(ctx, chd, chd.keyIndex("By_Client"), true)) return;
  bool any = false;
  while (readNext(ctx, chd)) {
    const rec::VelChd& k = chd.rec<rec::VelChd>();
    if (!equalsNoCase(k.CLIENT_ID.str(), c.CLIENT_ID.text())) break;
    if (!any) doc.addGroupHeader("Children");
    any = true;
    doc.addRow({joined({k.C1_FIRSTNAME.text(), k.C1_SURNAME.text()}), k.C1_ID_NUMBER.text(),
                "Age " + ageText(k.C1_DOB, today), "Premium " + money(k.PREMIUM)});
  }
  if (ctx.failed) return;

  FileManager& ext = ctx.files.fm<rec::VelExt>();
  FileUse useExt(ext);
  if (!openWalk(ctx, progress, ext)) return;
  ext.ClearBuffer();
  ext.rec<rec::VelExt>().CLIENT_ID = c.CLIENT_ID.text();
  if (!startWalk(ctx, ext, ext.keyIndex("By_Client"), true)) return;
  any = false;
  while (readNext(ctx, ext)) {
    const rec::VelExt& e = ext.rec<rec::VelExt>();
    if (!equalsNoCase(e.CLIENT_ID.str(), c.CLIENT_ID.text())) break;
    if (!any) doc.addGroupHeader("Extended Family");
    any = true;
    doc.addRow({joined({e.FIRSTNAME.text(), e.SURNAME.text()}), e.ID_NUMBER.text(),
                "Age " + ageText(e.DOB, today), e.RELATE.text()});
  }
}

std::vector<Column> detailColumns() {
  return {Column{"", 34}, Column{"", 59}, Column{"", 34}, Column{"", 59}};
}

}  // namespace

template <class L>
report::Document memberInfoSheet(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId) {
  using Member = typename L::Member;
  report::Document doc = startDocument(ctx, "Client Information", false);
  doc.headerLines.push_back(businessLine(ctx));
  doc.columns = detailColumns();
  FileManager& cli = ctx.files.fm<Member>();
  FileUse useCli(cli);
  if (!readClient<Member>(ctx, cli, clientId)) return doc;
  const Member c = cli.rec<Member>();
  addPersonalDetails(ctx, progress, doc, c);
  return doc;
}

template report::Document memberInfoSheet<ledger::BurialCover>(ReportContext&, ReportProgress&,
                                                               const std::string&);
template report::Document memberInfoSheet<ledger::HamperClub>(ReportContext&, ReportProgress&,
                                                              const std::string&);

SchemeTexts readSchemeTexts(const std::string& folder, const std::string& businessName) {
  SchemeTexts t;
  t.scheme = businessName;
  std::vector<std::string> declaration, terms, claim;
  std::string scheme;
  std::ifstream in(std::filesystem::path(folder.empty() ? "." : folder) / kSchemeTextsFile);
  std::vector<std::string>* section = nullptr;
  bool inScheme = false, newParagraph = true;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = std::string(rtrim(line));
    if (trimmed.size() > 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      const std::string name = trimmed.substr(1, trimmed.size() - 2);
      inScheme = equalsNoCase(name, "Scheme");
      section = equalsNoCase(name, "Declaration") ? &declaration
                : equalsNoCase(name, "Terms")     ? &terms
                : equalsNoCase(name, "Claim")     ? &claim
                                                  : nullptr;
      newParagraph = true;
      continue;
    }
    if (inScheme) {
      if (!trimmed.empty()) scheme += (scheme.empty() ? "" : " ") + trimmed;
      continue;
    }
    if (!section) continue;
    if (trimmed.empty()) {
      newParagraph = true;
    } else if (newParagraph || section->empty()) {
      section->push_back(trimmed);
      newParagraph = false;
    } else {
      section->back() += " " + trimmed;
    }
  }
  if (!scheme.empty()) t.scheme = scheme;
  t.declaration = declaration.empty()
                      ? std::vector<std::string>{"I declare that the information given in this "
                                                 "application is true and complete."}
                      : declaration;
  t.terms = terms.empty() ? std::vector<std::string>{"The terms and conditions of the scheme "
                                                     "are available at the office."}
                          : terms;
  t.claim = claim.empty() ? std::vector<std::string>{"I declare that the particulars given in "
                                                     "this claim are true and complete."}
                          : claim;
  return t;
}

std::string planAgeText(std::string_view plan) {
  std::string p(rtrim(plan));
  while (!p.empty() && p.front() == ' ') p.erase(p.begin());
  char letter = 0;
  if (p.size() == 1) letter = p[0];
  else if (p.size() == 6 && equalsNoCase(p.substr(0, 5), "Plan ")) letter = p[5];
  switch (letter) {
    case 'A': case 'a': return "<64";
    case 'B': case 'b': return "65 - 74";
    case 'C': case 'c': return ">75";
    default: return "";
  }
}

namespace {

// Paragraphs of fixed text as a free band each, wrapped to the page.
void addParagraphs(report::Document& doc, const std::vector<std::string>& paragraphs) {
  const double width = doc.page.printableWidth();
  const Font font{8.5, false};
  for (const std::string& p : paragraphs) {
    const std::vector<std::string> lines = report::wrapText(p, width, font);
    std::vector<Item> items;
    double y = 1;
    for (const std::string& l : lines) {
      items.push_back(Item::textAt(0, y, width, 4, l, Align::Left, font));
      y += 4;
    }
    doc.addFreeBand(y + 1.5, std::move(items));
  }
}

// A line to write on: the label, then a rule to the right edge.
void addWritingLine(report::Document& doc, const std::string& label) {
  const double width = doc.page.printableWidth();
  doc.addFreeBand(8, {Item::textAt(0, 2, 55, 5, label, Align::Left, Font{8.5, true}),
                      Item::lineAt(55, 6.5, width - 55, 0)});
}

}  // namespace

report::Document policyPack(ReportContext& ctx, ReportProgress& progress,
                            const std::string& clientId) {
  report::Document doc = startDocument(ctx, "Policy Documentation", false);
  doc.columns = detailColumns();
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse useCli(cli);
  if (!readClient(ctx, cli, clientId)) return doc;
  const rec::VelCli c = cli.rec<rec::VelCli>();
  std::string businessName;
  {
    FileManager& f = ctx.files.fm<rec::Config>();
    FileUse use(f);
    f.ClearBuffer();
    if (startWalk(ctx, f, kPhysicalOrder) && readNext(ctx, f))
      businessName = f.rec<rec::Config>().NAME.text();
  }
  if (ctx.failed) return doc;
  const SchemeTexts texts = readSchemeTexts(ctx.files.folder(), businessName);
  doc.headerLines.push_back(texts.scheme);
  const std::string holder = joined({c.FIRSTNAME.text(), c.MIDDLENAME.text(), c.SURNAME.text()});
  const std::string contact = c.PHONE_HOME.blank() ? c.PHONE_WORK.text() : c.PHONE_HOME.text();
  const auto code = [](std::int64_t n) {
    return n == 0 ? std::string() : Picture::parse("n04").formatWhole(n);
  };

  // The application certificate.
  doc.addGroupHeader("Application Certificate");
  doc.addRow({"Plan", joined({c.PLAN.text(), planAgeText(c.PLAN.str())}, " "), "Option",
              c.OPTION.text()});
  doc.addRow({"Policy Holder", holder, "Client No", c.CLIENT_ID.text()});
  doc.addRow({"Postal Address", c.P_ADDR1.text(), "Contact No", contact});
  doc.addRow({"", c.P_ADDR2.text(), "Monthly Premium", money(c.PLANPREM)});
  doc.addRow({"", joined({c.P_ADDR3.text(), code(c.P_CODE)}), "Commence Date",
              dayText(c.WAIT_DATE)});
  doc.addRow({"Beneficiary", joined({c.B1_FIRSTNAME.text(), c.B1_SURNAME.text()}), "Relation",
              c.B1_RELATION.text()});
  doc.addGroupHeader("Persons Covered");
  doc.addRow({"Main Member", holder, "ID Number", c.ID_NUMBER.text()});
  if (!c.S_SURNAME.blank() || !c.S_ID_NUMBER.blank())
    doc.addRow({"Spouse", joined({c.S_FIRSTNAME.text(), c.S_SURNAME.text()}), "ID Number",
                c.S_ID_NUMBER.text()});
  doc.addRow({"Plan", joined({c.PLAN.text(), c.OPTION.text()}, " - "), "Age", planAgeText(c.PLAN.str())});
  doc.addGroupHeader("Declaration");
  addParagraphs(doc, texts.declaration);
  addWritingLine(doc, "Signature of applicant");
  addWritingLine(doc, "Date");
  doc.addGroupHeader("Terms and Conditions");
  addParagraphs(doc, texts.terms);

  // The claim form, with the policy's particulars filled in.
  doc.addPageBreak();
  doc.addGroupHeader("Claim Form");
  doc.addRow({"Client No", c.CLIENT_ID.text(), "Policy Holder", holder});
  doc.addRow({"Plan", joined({c.PLAN.text(), c.OPTION.text()}, " - "), "ID Number",
              c.ID_NUMBER.text()});
  for (const char* label : {"Name of the deceased", "ID number of the deceased", "Date of death",
                            "Cause of death", "Name of the claimant", "Claimant's ID number",
                            "Claimant's contact number", "Bank, branch and account number"})
    addWritingLine(doc, label);
  addParagraphs(doc, texts.claim);
  addWritingLine(doc, "Signature of claimant");
  addWritingLine(doc, "Date");

  // The personal details.
  doc.addPageBreak();
  doc.addGroupHeader("Personal Details");
  addPersonalDetails(ctx, progress, doc, c);
  return doc;
}

template <class L>
report::Document memberCollectionCard(ReportContext& ctx, ReportProgress& /*progress*/,
                                      const std::string& clientId) {
  using Member = typename L::Member;
  FileManager& cli = ctx.files.fm<Member>();
  FileUse useCli(cli);
  if (!readClient<Member>(ctx, cli, clientId)) return startDocument(ctx, "COLLECTION CARDS", false);
  const Member c = cli.rec<Member>();
  return clientCardDocument(ctx, c);
}

template report::Document memberCollectionCard<ledger::BurialCover>(ReportContext&, ReportProgress&,
                                                                    const std::string&);
template report::Document memberCollectionCard<ledger::HamperClub>(ReportContext&, ReportProgress&,
                                                                   const std::string&);

report::Document clientCardsDocument(ReportContext& ctx, const std::vector<rec::VelCli>& clients) {
  if (clients.empty()) {
    report::Document doc = startDocument(ctx, "COLLECTION CARDS", false);
    doc.showPageHeader = false;
    return doc;
  }
  report::Document doc = clientCardDocument(ctx, clients.front());
  for (std::size_t i = 1; i < clients.size(); ++i) {
    const report::Document card = clientCardDocument(ctx, clients[i]);
    for (const report::Band& b : card.bands())
      if (b.kind == report::BandKind::Free) doc.addFreeBand(b.heightMm, b.items);
  }
  return doc;
}

template <class L>
report::Document periodMemberCards(ReportContext& ctx, ReportProgress& progress) {
  using Member = typename L::Member;
  FileManager& cli = ctx.files.fm<Member>();
  FileUse use(cli);
  report::Document doc = clientCardsDocument(ctx, {});
  if (!openWalk(ctx, progress, cli) || !startWalk(ctx, cli, kPhysicalOrder)) return {};
  // Each card is laid out as its client is read: a wide period over a big
  // office keeps the cards, never the whole client records.
  while (readNext(ctx, cli)) {
    progress.advance();
    const Member& c = cli.rec<Member>();
    if (c.DATE.value < ctx.periodStart || c.DATE.value > ctx.periodEnd) continue;
    const report::Document card = clientCardDocument(ctx, c);
    for (const report::Band& b : card.bands())
      if (b.kind == report::BandKind::Free) doc.addFreeBand(b.heightMm, b.items);
  }
  if (ctx.failed) return {};
  return doc;
}

template report::Document periodMemberCards<ledger::BurialCover>(ReportContext&, ReportProgress&);
template report::Document periodMemberCards<ledger::HamperClub>(ReportContext&, ReportProgress&);

template <class L>
std::optional<std::pair<std::int32_t, std::int32_t>> printPeriodMemberCards(DataFiles& files,
                                                                            ShellUi& ui,
                                                                            const Clock& clock,
                                                                            ReportOutput& output) {
  ReportContext ctx(files, ui, clock);
  // Both ends of the period default to today.
  globals().PERIOD_START = clock.today();
  globals().PERIOD_END = clock.today();
  if (!Get_Range(ui)) return std::nullopt;
  ctx.periodStart = globals().PERIOD_START.load();
  ctx.periodEnd = globals().PERIOD_END.load();
  std::optional<report::Document> doc =
      buildReport(ctx, "Printing Collection Cards, please wait ...", periodMemberCards<L>);
  if (doc && !doc->bands().empty()) output.present(*doc);
  return std::make_pair(ctx.periodStart, ctx.periodEnd);
}

template std::optional<std::pair<std::int32_t, std::int32_t>>
printPeriodMemberCards<ledger::BurialCover>(DataFiles&, ShellUi&, const Clock&, ReportOutput&);
template std::optional<std::pair<std::int32_t, std::int32_t>>
printPeriodMemberCards<ledger::HamperClub>(DataFiles&, ShellUi&, const Clock&, ReportOutput&);

template <class L>
void printLedgerStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                          const std::string& clientId, ReportOutput& output) {
  ReportContext ctx(files, ui, clock);
  if (!askPeriodInto(ctx, ui, clock)) return;
  presentReport(
      ctx, output, "Printing Statement, please wait ...",
      [&](ReportContext& c, ReportProgress& p) { return ledgerStatement<L>(c, p, clientId); });
}

template void printLedgerStatement<ledger::BurialCover>(DataFiles&, ShellUi&, const Clock&,
                                                        const std::string&, ReportOutput&);
template void printLedgerStatement<ledger::HamperClub>(DataFiles&, ShellUi&, const Clock&,
                                                       const std::string&, ReportOutput&);

}  // namespace vel
