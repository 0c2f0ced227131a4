#include "members/ClientForm.h"

#include <utility>

#include "common/Money.h"
#include "common/Text.h"
#include "errors/ErrorManager.h"
#include "forms/EntryBuilders.h"
#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "members/ClientNumber.h"
#include "members/IdNumber.h"
#include "members/ClientRecords.h"
#include "members/MemberContext.h"
#include "members/SetActive.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"

namespace vel {

namespace {

using namespace entries;

// The waiting period runs six months and two years from its start.
constexpr std::int32_t kSixMonths = 184;
constexpr std::int32_t kTwoYears = 730;
// SMS_REA keeps the first 30 characters of the reason list's REASON.
constexpr std::size_t kReasonWidth = 30;

// The first record of a one-record settings file, or a cleared one.
template <class R>
R firstRecord(DataFiles& files) {
  FileManager& f = files.fm<R>();
  FileUse use(f);
  const int h = f.PushState();
  R r{};
  if (f.SetOrder(kPhysicalOrder) == kDone && f.TryReadNext() == kDone) r = f.rec<R>();
  f.PopState(h);
  return r;
}

// INITIALS: the first letters of the first and middle names.
std::string initialsOf(const rec::VelCli& c) {
  std::string s;
  if (!c.FIRSTNAME.blank()) s += c.FIRSTNAME.str().front();
  if (!c.MIDDLENAME.blank()) s += c.MIDDLENAME.str().front();
  return s;
}

// Whether a record of R has `code` in the first field of key `key`; the
// found record stays in R's buffer (the bank row whose branch is copied).
// A failed read is shown and counts as not found.
template <class R, class Field>
bool onFile(DataFiles& files, const char* key, Field R::*field, std::string_view code) {
  FileManager& f = files.fm<R>();
  FileUse use(f);
  if (f.EnsureOpen() != kDone) return false;
  f.ClearBuffer();
  f.rec<R>().*field = code;
  if (f.SetOrderAt(f.keyIndex(key)) != kDone) return false;
  if (f.TryReadNext() != kDone) {
    if (!f.EndOfData()) showFailedRead(f);
    return false;
  }
  return equalsNoCase(rtrim((f.rec<R>().*field).str()), rtrim(code));
}

}  // namespace

FormDecl clientFormDecl() {
  FormDecl f;
  f.procedure = "Update_VelCli";
  f.file = "VelCli";
  f.title = "Update the Client File";
  f.insertCaption = "Adding a Client Record";
  f.changeCaption = "Changing a Client Record";
  f.servesDelete = false;
  f.okText = "&Accept";
  const std::vector<std::string> genders{"Male", "Female"};
  f.tabs.push_back(TabDecl{
      "Personal",
      {entry("RED fields are compulsory", "", EntryKind::Note),
       shown(entry("Client No:", "CLIENT_ID")), shown(entry("Created:", "DATE", EntryKind::Day)),
       red(entry("Surname:", "SURNAME")), entry("Initials", "INITIALS"),
       red(entry("Firstname:", "FIRSTNAME")), entry("Middle Name:", "MIDDLENAME"),
       red(entry("ID Number:", "ID_NUMBER")), red(entry("DoB", "DOB", EntryKind::Day)),
       entry("Home Phone:", "PHONE_HOME"), entry("Cell", "PHONE_CELL"),
       entry("Work Phone:", "PHONE_WORK"), entry("Gender:", "GENDER", EntryKind::Choice, genders),
       listed(entry("Bank Name:", "BANK_NAME"), "Browse_C_Banks_Branches", "NAME"),
       entry("Branch Name:", "BRANCH_NAME"), entry("Branch Code:", "BRANCH_CODE"),
       entry("Account No:", "ACCOUNT_NUMBER"),
       entry("Account Type", "ACCOUNT_TYPE", EntryKind::Choice,
             {"Savings", "Transmission", "Cheque", "Other"}),
       entry("Pay Day of Month", "DOM"),
       entry("Marital Status", "MARITAL_STAT", EntryKind::Choice,
             {"M", "S", "D", "W", "A", "C"}),
       entry("Invoiced", "INVOICED", EntryKind::Check)}});
  f.tabs.push_back(TabDecl{
      "Home Address",
      {entry("Str No", "STRNO"), entry("Address Info", "H_ADDR1"), entry("", "H_ADDR2"),
       listed(entry("", "H_ADDR3"), "Browse_Town", "TOWN"), entry("Postal Code", "H_CODE"),
       red(entry("Postal Address:", "P_ADDR1")), entry("", "P_ADDR2"),
       red(listed(entry("Town:", "P_ADDR3"), "Browse_Town", "TOWN")), red(entry("", "P_CODE")),
       entry("Email", "EMAIL"), entry("Maiden Name", "MAIDENNAME"),
       listed(entry("Route", "ROUTE"), "Browse_Route", "ROUTE")}});
  f.tabs.push_back(TabDecl{
      "Remarks / Plan / SMS",
      {entry("General Remarks", "REMARKS"), red(listed(entry("Plan", "PLAN"), "Browse_Plans", "PLAN")),
       shown(entry("Option", "OPTION")), shown(entry("Cover", "BENEFIT", EntryKind::Number)),
       shown(entry("Premium", "PREMIUM", EntryKind::Number)),
       shown(entry("Total Premium", "PLANPREM", EntryKind::Number)),
       shown(entry("Prem To Pay Over", "PREMTOPAY", EntryKind::Number)),
       shown(entry("My Comm:", "MYCOMM", EntryKind::Number)),
       entry("Status", "ACTIVE", EntryKind::Choice, {"Active", "Non Active", "Deceased"}),
       entry("Waiting Period Start Date:", "WAIT_DATE", EntryKind::Day),
       entry("Date of Change", "DATECHANGE", EntryKind::Day),
       shown(entry("6 Months", "DATE6", EntryKind::Day)),
       shown(entry("24 Months", "DATE24", EntryKind::Day)),
       entry("SMS Date", "SMS_DATE", EntryKind::Day),
       listed(entry("Reason", "SMS_REA"), "Browse_SMS", "REASON"),
       entry("Send it?", "SMS_SENDIT", EntryKind::Check), entry("SMS Message", "SMS_MESS")}});
  f.tabs.push_back(TabDecl{
      "Spouse/Beneficiaries/Agent/Collector",
      {entry("First Name", "B1_FIRSTNAME"), entry("Surname", "B1_SURNAME"),
       entry("ID Number", "B1_ID_NUMBER"), entry("DOB", "B1_DOB", EntryKind::Day),
       entry("Relation", "B1_RELATION"), entry("Address", "B1_ADD1"), entry("", "B1_ADD2"),
       entry("Town", "B1_ADD3"), entry("Code", "B1_CODE"),
       entry("Contact Number", "B1_CONTACT"),
       entry("If Spouse is also Beneficiary please enter Spouse details under Beneficiary as well!",
             "", EntryKind::Note),
       entry("First Name", "S_FIRSTNAME"), entry("Surname", "S_SURNAME"),
       entry("ID Number", "S_ID_NUMBER"), entry("DOB", "S_DOB", EntryKind::Day),
       entry("Gender", "S_GENDER", EntryKind::Choice, genders),
       entry("Change Date", "S_CHANGEDATE", EntryKind::Day),
       entry("Status", "S_ACTIVE", EntryKind::Choice, {"Active", "Deceased"}),
       listed(entry("Agent Code", "AGE_CODE"), "Browse_Agent", "CODE"),
       shown(entry("Agent Name", "AGE_SURNAME")), shown(entry("", "AGE_FNAME")),
       listed(entry("Collector Code", "COL_CODE"), "Browse_Collector", "CODE"),
       shown(entry("Collector Surname", "COL_SURNAME")), shown(entry("", "COL_FNAME")),
       entry("Commission", "AGE_COMM", EntryKind::Number),
       entry("Commission", "COL_COMM", EntryKind::Number)}});
  f.tabs.push_back(TabDecl{"Children/Ext Family", {}});
  return f;
}

ClientForm::ClientForm(DataFiles& files, Ui& ui, const Clock& clock, Request request)
    : files_(files), ui_(ui), clock_(clock), decl_(clientFormDecl()), cycle_(files, ui, decl_, request) {
  decl_.prime = [this](EntryContext&) { prime(); };
}

rec::VelCli& ClientForm::client() { return cycle_.file().rec<rec::VelCli>(); }

void ClientForm::prime() {
  rec::VelCli& c = client();
  c.DATE = today();
  c.ACCOUNT_TYPE = "Savings";
  c.ID_NUMBER = memberContext().GLO_ID_NUMBER;
  c.ID_NUMBER.cut();
  c.INVOICED = 1;  // the browse raises the first invoice itself
  c.OPTION.clear();
  c.PLAN.clear();
  c.COVER.clear();
  c.WAIT_DATE = 0;
  c.DATECHANGE = 0;
  c.DATE6 = 0;
  c.DATE24 = 0;
  c.ACTIVE = "Active";
  // A number checked before the form opened already gives birth date and
  // gender.
  if (!c.ID_NUMBER.blank()) {
    if (c.DOB == 0) c.DOB = DateFromId(c.ID_NUMBER.str(), today());
    if (c.GENDER.blank()) c.GENDER = GenderFromId(c.ID_NUMBER.str());
  }
}

bool ClientForm::open() {
  globals().setCUR_BRANCH(ledger::officeBranch(files_));
  if (!cycle_.open()) return false;
  rec::VelCli& c = client();
  if (request() != Request::Insert) {
    old_ = c;
    oldActive_ = c.ACTIVE.text();
  }
  // The children's form rates children by SEL_PLAN: the policy's own plan,
  // never one picked on an earlier form of this thread.
  memberContext().SEL_PLAN = c.PLAN.text();
  correctedFrom_ = c.PREMIUM;
  premToPayShown_ = globals().IS_ADMIN.load() == 1;
  const rec::CommStr comm = firstRecord<rec::CommStr>(files_);
  agentComm_ = comm.AGENT;
  collComm_ = comm.COLL;
  cage_ = AgeOn(static_cast<std::int32_t>(c.DOB.value), today());
  sage_ = AgeOn(static_cast<std::int32_t>(c.S_DOB.value), today());
  // A policy reopened shows the dependant buttons its plan and option allow.
  showButtons(c.PLAN.str(), c.OPTION.str());
  return true;
}

std::string ClientForm::emailLink() {
  const std::string_view address = trim(client().EMAIL.str());
  return address.empty() ? std::string() : "mailto:" + std::string(address);
}

void ClientForm::showButtons(std::string_view plan, std::string_view option) {
  const DependantButtons b = dependantButtons(plan, option);
  if (b.children != ButtonShow::Unchanged) childButtons_ = b.children == ButtonShow::Shown;
  if (b.extended != ButtonShow::Unchanged) extendedButtons_ = b.extended == ButtonShow::Shown;
}

ClientForm::Reply ClientForm::lookUp(std::string_view field) {
  const rec::VelCli& c = client();
  auto blankOr = [&](std::string_view code, auto found) -> Reply {
    code = rtrim(code);
    if (code.empty() || found(code)) return {};
    return {Reply::OpenList, std::string(field), false, lookupList(field)};
  };
  if (field == "BANK_NAME")
    return blankOr(c.BANK_NAME.str(), [&](std::string_view v) {
      return onFile(files_, "By_Name", &rec::BankList::NAME, v);
    });
  if (field == "H_ADDR3" || field == "P_ADDR3")
    return blankOr(field == "H_ADDR3" ? c.H_ADDR3.str() : c.P_ADDR3.str(), [&](std::string_view v) {
      return onFile(files_, "By_Town", &rec::Town::TOWN, v);
    });
  if (field == "ROUTE")
    return blankOr(c.ROUTE.str(), [&](std::string_view v) {
      return onFile(files_, "By_Route", &rec::Route::ROUTE, v);
    });
  if (field == "SMS_REA")
    // The reason on file may be longer than the 30 characters kept here.
    return blankOr(c.SMS_REA.str(), [&](std::string_view v) {
      FileManager& f = files_.fm<rec::SMS_Data>();
      return onFile(files_, "By_Reason", &rec::SMS_Data::REASON, v) ||
             equalsNoCase(rtrim(f.rec<rec::SMS_Data>().REASON.str().substr(0, kReasonWidth)), v);
    });
  if (field == "PLAN")
    // A plan code typed is only checked; the premiums come with the list.
    return blankOr(c.PLAN.str(), [&](std::string_view v) {
      return onFile(files_, "By_Plan", &rec::Plan::PLAN, v);
    });
  if (field == "AGE_CODE")
    return blankOr(c.AGE_CODE.str(), [&](std::string_view v) {
      return onFile(files_, "KeyCode", &rec::Agent::CODE, v);
    });
  if (field == "COL_CODE")
    return blankOr(c.COL_CODE.str(), [&](std::string_view v) {
      return onFile(files_, "KeyCode", &rec::Collect::CODE, v);
    });
  return {};
}

std::string ClientForm::lookupList(std::string_view field) const {
  for (const EntryDecl* e : cycle_.entries())
    if (e->field == field) return e->lookup.list;
  return {};
}

ClientForm::Reply ClientForm::accepted(std::string_view field) {
  rec::VelCli& c = client();
  const bool inserting = request() == Request::Insert;
  if (cycle_.readOnly()) return {};
  if (field == "SURNAME") {
    if (inserting) {
      ClientIdResult id = ClientIdFor(c.NUMBER, c.SURNAME.str());
      if (!id.ok) {
        ui_.message(id.message, "Client No", Icon::Exclamation, kOk, kOk);
        return {Reply::Focus, "SURNAME"};
      }
      c.CLIENT_ID = id.id;
    }
    memberContext().CUR_CLIENT_ID = c.CLIENT_ID.text();
  } else if (field == "ID_NUMBER") {
    ClientIdAccepted(c, idChecks_, inserting, today(), ui_);
    cage_ = AgeOn(static_cast<std::int32_t>(c.DOB.value), today());
  } else if (field == "S_ID_NUMBER") {
    SpouseIdAccepted(c, spouseIdChecks_, inserting, today(), ui_);
    sage_ = AgeOn(static_cast<std::int32_t>(c.S_DOB.value), today());
  } else if (field == "B1_ID_NUMBER") {
    BeneficiaryIdAccepted(c, inserting, today());
  } else if (field == "DOB") {
    cage_ = AgeOn(static_cast<std::int32_t>(c.DOB.value), today());
  } else if (field == "S_DOB") {
    sage_ = AgeOn(static_cast<std::int32_t>(c.S_DOB.value), today());
  } else if (field == "FIRSTNAME" || field == "MIDDLENAME") {
    c.INITIALS = initialsOf(c);
  } else if (field == "BANK_NAME") {
    // The branch of the bank row last read, unless the clerk has given both.
    if (c.BRANCH_NAME.blank() || c.BRANCH_CODE.blank()) {
      const rec::BankList& b = files_.fm<rec::BankList>().rec<rec::BankList>();
      c.BRANCH_NAME = b.BRANCH.str();
      c.BRANCH_CODE = b.CODE.str();
    }
    return lookUp(field);
  } else if (field == "WAIT_DATE") {
    const std::int32_t start = static_cast<std::int32_t>(c.WAIT_DATE.value);
    c.DATE6 = start == 0 ? 0 : start + kSixMonths;
    c.DATE24 = start == 0 ? 0 : start + kTwoYears;
  } else if (field == "ACTIVE") {
    return statusChosen(c.ACTIVE.text());
  } else {
    Reply r = lookUp(field);
    if (r.action == Reply::Stay) r.redisplay = false;
    return r;
  }
  return {};
}

ClientForm::Reply ClientForm::datePicked(std::string_view field, std::int32_t day) {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  if (field == "DOB") c.DOB = day;
  else if (field == "S_DOB") c.S_DOB = day;
  else if (field == "B1_DOB") c.B1_DOB = day;
  else if (field == "SMS_DATE") c.SMS_DATE = day;
  else if (field == "WAIT_DATE") c.WAIT_DATE = day;
  else if (field == "DATECHANGE") c.DATECHANGE = day;
  else if (field == "S_CHANGEDATE") c.S_CHANGEDATE = day;
  else return {Reply::Stay, {}, false};
  return accepted(field);
}

ClientForm::Reply ClientForm::statusChosen(std::string_view status) {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  c.ACTIVE = status;
  // The premiums follow from the plan and the children on file, so no child
  // is counted twice however often the status is chosen. A policy whose
  // plan row is gone keeps its premiums.
  recomputePremium(files_, c, picked_);
  if (request() == Request::Change && c.ACTIVE.str() != oldActive_) c.DATECHANGE = today();
  if (c.ACTIVE == "Active") return setActiveNow();
  return {};
}

ClientForm::Reply ClientForm::setActiveNow() {
  rec::VelCli& c = client();
  if (std::optional<std::string_view> focus = confirmComplete(ui_, c))
    return {Reply::Focus, std::string(*focus)};
  const Moment at = clock_.moment();
  const std::string user = globals().LOGPROG();
  SetActiveRequest r{c, old_ ? &*old_ : nullptr, at, user, {}, nullptr, {}, {}, {}};
  bool corrected = false;
  if (old_) {
    // The policy as it stands now, the ledger's correction of the premium
    // billed so far (transaction, ageing, last invoice) and the trail: one
    // transaction, so a failure leaves none of them behind.
    FileManager& cli = cycle_.file();
    int saved = 0;
    r.policyFile = &cli;
    r.putPolicy = [&](FileManager*& failed) {
      // The record's state before the put: a rollback must give the form
      // back the version it read, or its own later save would be taken for
      // another station's change.
      saved = cli.PushState();
      const int rc = cli.TryUpdate();
      if (rc != kDone) failed = &cli;
      return rc;
    };
    ledger::PremiumCorrection corr{c.CLIENT_ID.text(), correctedFrom_, c.PREMIUM};
    ledger::PostingStamp stamp{globals().CUR_BRANCH(), user};
    r.correctionFiles = {&files_.fm<rec::VelTra>(), &files_.fm<rec::VelAge>(),
                         &files_.fm<rec::VelInv>()};
    r.billedPremium = correctedFrom_;
    r.correction = [&, corr, stamp](FileManager*& failed) {
      std::string failedFile;
      const int rc = ledger::addPremiumCorrection<ledger::BurialCover>(files_, corr, stamp, at,
                                                                       &corrected, &failedFile);
      if (rc != kDone)
        for (FileManager* f : r.correctionFiles)
          if (f->label() == failedFile) failed = f;
      return rc;
    };
    SetActiveOutcome out = setActive(ui_, files_.fm<rec::VelAud>(), r);
    if (out.result == SetActiveResult::Incomplete) return {Reply::Focus, std::string(out.focus)};
    if (saved != 0) {
      if (out.result == SetActiveResult::Failed) {
        // Nothing was kept: the clerk's values and the version read before.
        cli.PopState(saved);
        return {};
      }
      // Kept: the version just written is the one the form now holds. The
      // state saved before the put is dropped by restoring it and then the
      // one after it.
      const int now = cli.PushState();
      cli.PopState(saved);
      cli.PopState(now);
    }
    if (out.result == SetActiveResult::Done && corrected) correctedFrom_ = c.PREMIUM;
    return {};
  }
  // A new policy is only checked: SENT is cleared.
  SetActiveOutcome out = setActive(ui_, files_.fm<rec::VelAud>(), r);
  if (out.result == SetActiveResult::Incomplete) return {Reply::Focus, std::string(out.focus)};
  return {};
}

ClientForm::Reply ClientForm::bankPicked(const rec::BankList& bank) {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  c.BANK_NAME = bank.NAME.str();
  c.BRANCH_NAME = bank.BRANCH.str();
  c.BRANCH_CODE = bank.CODE.str();
  return {};
}

ClientForm::Reply ClientForm::routePicked() {
  if (cycle_.readOnly()) return {};
  client().ROUTE = memberContext().SEL_ROUTE;
  client().ROUTE.cut();
  return {};
}

ClientForm::Reply ClientForm::smsReasonPicked(const rec::SMS_Data& reason) {
  if (cycle_.readOnly()) return {};
  client().SMS_REA = reason.REASON.str();
  client().SMS_REA.cut();  // the list's reason is longer than the field
  return {};
}

ClientForm::Reply ClientForm::agentPicked(const rec::Agent& agent) {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  c.AGE_CODE = agent.CODE.str();
  c.AGE_SURNAME = agent.SURNAME.str();
  c.AGE_FNAME = agent.FNAME.str();
  if (toCents(c.AGE_COMM) == 0) c.AGE_COMM = agentComm_;
  return {};
}

ClientForm::Reply ClientForm::collectorPicked(const rec::Collect& collector) {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  c.COL_CODE = collector.CODE.str();
  c.COL_SURNAME = collector.SURNAME.str();
  c.COL_FNAME = collector.FNAME.str();
  if (toCents(c.COL_COMM) == 0) c.COL_COMM = collComm_;
  return {};
}

ClientForm::Reply ClientForm::planPicked() {
  if (cycle_.readOnly()) return {};
  rec::VelCli& c = client();
  const PlanPick pick = memberContext().selectedPlan();
  if (pickPlan(files_, c, pick) != kDone) return {Reply::Focus, "PLAN"};
  picked_ = PlanRate{pick.premium, pick.payOver};
  showButtons(c.PLAN.str(), c.OPTION.str());
  return {};
}

bool ClientForm::dependantAction(DependantList list, DependantAction action) {
  if (cycle_.readOnly()) return false;
  DependantCounts counts;
  const int rc = checkDependantAction(ui_, files_, client(), list, action, counts);
  if (action == DependantAction::Insert) {
    memberContext().CHILD_COUNT = static_cast<std::int16_t>(counts.children);
    memberContext().EXT_COUNT = static_cast<std::int16_t>(counts.extended);
    memberContext().DEP_COUNT = static_cast<std::int16_t>(counts.total());
  }
  return rc == kDone;
}

CopyToHamperResult ClientForm::copyDataToHamper() {
  if (cycle_.readOnly()) return CopyToHamperResult::Declined;
  return copyToHamper(ui_, files_.fm<rec::Hamper>(), client());
}

ClientForm::Reply ClientForm::from(const FormCycle::Outcome& o) {
  switch (o.action) {
    case FormCycle::Outcome::Close:
      return {Reply::Close, {}, false};
    case FormCycle::Outcome::Focus:
      return {Reply::Focus, cycle_.entries()[static_cast<std::size_t>(o.entry)]->field, o.redisplay};
    case FormCycle::Outcome::Stay:
      break;
  }
  return {Reply::Stay, {}, o.redisplay};
}

ClientForm::Reply ClientForm::ok() {
  // A new policy is never saved without its client number, even when the
  // surname was typed but never left (the number links every dependant and
  // ledger entry).
  if (request() == Request::Insert && client().CLIENT_ID.blank()) {
    Reply r = accepted("SURNAME");
    if (r.action == Reply::Focus) return r;
  }
  return from(cycle_.ok());
}

ClientForm::Reply ClientForm::cancel() {
  // "Save Record" -> Yes saves through the cycle: a new policy whose surname
  // was typed and never left is numbered first, as OK does. Answering No
  // gives the number back as ever.
  if (request() == Request::Insert && client().CLIENT_ID.blank() && !client().SURNAME.blank()) {
    Reply r = accepted("SURNAME");
    if (r.action == Reply::Focus) return r;
  }
  return from(cycle_.leave());
}

}  // namespace vel
