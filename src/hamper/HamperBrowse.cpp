#include "hamper/HamperBrowse.h"

#include <memory>

#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "forms/EntryBuilders.h"
#include "forms/ListDecl.h"
#include "ledger/LedgerDesc.h"
#include "members/ClientBrowse.h"
#include "members/ClientNumber.h"
#include "members/IdNumber.h"
#include "members/MemberContext.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

using namespace entries;

// A panel of one member's rows of a hamper ledger file, on its By_Client key.
ListDecl panel(std::string procedure, std::string heading, std::string file,
               std::vector<ColumnDecl> columns) {
  ListDecl l;
  l.procedure = std::move(procedure);
  l.title = heading;
  l.heading = std::move(heading);
  l.file = std::move(file);
  l.columns = std::move(columns);
  l.tabs = {{"By Client", "By_Client", ""}};
  return l;
}

rec::Hamper& memberOf(EntryContext& ctx) { return *static_cast<rec::Hamper*>(ctx.record); }

}  // namespace

FormDecl hamperFormDecl(const Clock& clock) {
  FormDecl f;
  f.procedure = kUpdateHamper;
  f.file = "Hamper";
  f.title = "Hamper";
  f.insertCaption = "Adding a Hamper Record";
  f.changeCaption = "Changing a Hamper Record";
  f.okText = "&Accept";
  // How often this opening of the form has accepted the identity number:
  // only the first acceptance on a new member derives from it.
  auto idChecks = std::make_shared<std::int16_t>(0);
  const Clock* c = &clock;
  f.prime = [idChecks, c](EntryContext& ctx) {
    *idChecks = 0;
    rec::Hamper& h = memberOf(ctx);
    h.DATE = c->today();
    h.ACTIVE = "Active";
    h.ACCOUNT_TYPE = "Savings";
    // No first charge is posted when a member joins here: the month's
    // invoice run bills him (INVOICED stays 0).
    h.ID_NUMBER = memberContext().GLO_ID_NUMBER;
    h.ID_NUMBER.cut();
  };
  EntryDecl surname = red(entry("Surname:", "SURNAME"));
  surname.check = [](EntryContext& ctx) {
    rec::Hamper& h = memberOf(ctx);
    if (ctx.request != Request::Insert || !h.CLIENT_ID.blank() || h.SURNAME.blank()) return true;
    const ClientIdResult id = ClientIdFor(h.NUMBER, h.SURNAME.str());
    if (!id.ok) {
      ctx.ui.message(id.message, "Hamper", Icon::Exclamation, kOk, kOk);
      return false;
    }
    h.CLIENT_ID = id.id;
    return true;
  };
  EntryDecl idNumber = red(entry("ID Number:", "ID_NUMBER"));
  idNumber.check = [idChecks, c](EntryContext& ctx) {
    HamperIdAccepted(memberOf(ctx), *idChecks, ctx.request == Request::Insert, c->today(), ctx.ui);
    return true;
  };
  const std::vector<std::string> genders{"Male", "Female"};
  f.tabs.push_back(TabDecl{
      "Personal",
      {entry("RED fields are compulsory", "", EntryKind::Note),
       shown(entry("Client No:", "CLIENT_ID")), shown(entry("Created:", "DATE", EntryKind::Day)),
       surname, entry("Initials", "INITIALS"), red(entry("Firstname:", "FIRSTNAME")),
       entry("Middle Name:", "MIDDLENAME"), entry("Title", "TITLE"), idNumber,
       entry("DoB", "DOB", EntryKind::Day),
       entry("Gender:", "GENDER", EntryKind::Choice, genders),
       entry("Home Phone:", "PHONE_HOME"), entry("Cell", "PHONE_CELL"),
       entry("Work Phone:", "PHONE_WORK"), entry("Str No", "STRNO"),
       entry("Address Info", "H_ADDR1"), entry("", "H_ADDR2"),
       listed(entry("", "H_ADDR3"), "Browse_Town", "TOWN"), entry("Postal Code", "H_CODE"),
       entry("Postal Address:", "P_ADDR1"), entry("", "P_ADDR2"),
       listed(entry("Town:", "P_ADDR3"), "Browse_Town", "TOWN"), entry("", "P_CODE"),
       listed(entry("Route", "ROUTE"), "Browse_Route", "ROUTE"),
       red(entry("Monthly Contribution", "PREMIUM", EntryKind::Number)),
       entry("Hamper Value", "HAMPER", EntryKind::Number),
       entry("Status", "ACTIVE", EntryKind::Choice, {"Active", "Non Active", "Deceased"}),
       listed(entry("Agent Code", "AGE_CODE"), "Browse_Agent", "CODE"),
       listed(entry("Collector Code", "COL_CODE"), "Browse_Collector", "CODE"),
       entry("Invoiced", "INVOICED", EntryKind::Check)}});
  f.tabs.push_back(TabDecl{
      "Remarks / SMS",
      {entry("General Remarks", "REMARKS"), entry("Email", "EMAIL"),
       entry("SMS Date", "SMS_DATE", EntryKind::Day),
       listed(entry("Reason", "SMS_REA"), "Browse_SMS", "REASON"),
       entry("Send it?", "SMS_SENDIT", EntryKind::Check), entry("SMS Message", "SMS_MESS")}});
  return f;
}

void afterMemberAdded(const rec::Hamper& member) {
  memberContext().CUR_CLIENT_ID = member.CLIENT_ID.text();
}

bool saveHamperRemarks(DataFiles& files, const std::string& position, const std::string& text) {
  FileManager& f = files.fm<rec::Hamper>();
  FileUse use(f);
  if (f.Reget(position) != kDone) return false;
  auto& h = f.rec<rec::Hamper>();
  h.REMARKS = text;
  h.REMARKS.cut();
  return f.Update() == kDone;
}

bool runMemberAction(DataFiles& files, Request request, const HamperBrowseSetup& setup) {
  if (!setup.memberForm) return false;
  if (setup.memberForm(request) != Response::Completed) return false;
  if (request == Request::Insert) {
    // The form leaves the member it added in the hamper buffer.
    afterMemberAdded(files.fm<rec::Hamper>().rec<rec::Hamper>());
  }
  return true;
}

void addHamperBrowse(Catalog& catalog, HamperBrowseSetup setup) {
  ListDecl l;
  l.procedure = kBrowseHamper;
  l.title = "Hampers";
  l.file = "Hamper";
  l.columns = {column("Client ID", "CLIENT_ID", 10), column("Surname", "SURNAME", 20),
               column("ID No", "ID_NUMBER", 13),     column("Firstname", "FIRSTNAME", 15),
               column("Middle Name", "MIDDLENAME", 15), column("Initials", "INITIALS", 4),
               column("Title", "TITLE", 6)};
  l.tabs = {{"By Client", "By_Client", "CLIENT_ID"},
            {"By Name", "By_Name", "SURNAME"},
            {"By IDNumber", "By_IDNumber", "ID_NUMBER"}};
  l.actions = kActInsert | kActChange | kActDelete;
  l.form = kUpdateHamper;
  l.closeText = "&Close";
  l.buttonsOnly = true;
  l.rightClick = [](Ui& ui) { refuseMouse(ui); };
  l.handles = [setup](ListAction a, ListContext& ctx) {
    if (!setup.memberForm) return false;  // the declared form opens
    const Request r = a == kActInsert   ? Request::Insert
                      : a == kActChange ? Request::Change
                      : a == kActDelete ? Request::Delete
                                        : Request::View;
    runMemberAction(ctx.files, r, setup);
    return true;
  };
  catalog.add(std::move(l));

  ListDecl age = panel(kHamperAgeing, "Ageing", "HamAge",
                       {moneyColumn("Current", "CURRENT"), moneyColumn("30 Days", "P30"),
                        moneyColumn("60 Days", "P60"), moneyColumn("90 Days", "P90"),
                        moneyColumn("90 Plus", "P90PLUS"), moneyColumn("Total", "TOTAL")});
  age.actions = 0;
  catalog.add(std::move(age));

  ListDecl inv = panel(kHamperInvoices, "Invoices", "HamInv",
                       {dateColumn("Date", "DATE"), moneyColumn("Debit", "DEBIT")});
  inv.actions = kActInsert | kActChange | kActDelete;
  inv.changeText = "Correct Invoice";
  inv.form = kUpdateHamInvoice;
  catalog.add(std::move(inv));

  ListDecl pay = panel(kHamperPayments, "Payments", "HamPay",
                       {dateColumn("Date", "DATE"), moneyColumn("Credit", "CREDIT"),
                        column("Account", "ACCOUNT", 10)});
  pay.actions = kActInsert | kActChange | kActDelete | kActPrint;
  pay.printText = "Print Receipt";
  pay.form = kUpdateHamPay;
  pay.legend = kHamperPaymentsLegend;
  // Adding and changing a payment go through the payment form, which posts
  // it whole; deleting one reverses it on the hamper ledger; printing gives
  // the highlighted payment's receipt. The generic cycle never stores a
  // payment without its ledger.
  pay.handles = [setup](ListAction a, ListContext& ctx) {
    switch (a) {
      case kActPrint:
        if (setup.prints.receipt && ctx.record)
          setup.prints.receipt(*static_cast<const rec::HamPay*>(ctx.record));
        return true;
      case kActInsert:
      case kActChange:
        if (setup.paymentForm && (a == kActChange || !memberContext().CUR_CLIENT_ID.empty()))
          setup.paymentForm(a == kActInsert ? Request::Insert : Request::Change);
        return true;
      case kActDelete: {
        if (!setup.clock) return true;
        const ledger::PostingStamp stamp{ledger::officeBranch(ctx.files),
                                         setup.user ? setup.user() : std::string()};
        deletePaymentConfirmed<ledger::HamperClub>(
            ctx.files, ctx.files.fm<rec::HamPay>().Position(), stamp, setup.clock->moment());
        return true;
      }
      default:
        return false;
    }
  };
  catalog.add(std::move(pay));
}

}  // namespace vel
