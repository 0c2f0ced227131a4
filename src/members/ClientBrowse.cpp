#include "members/ClientBrowse.h"

#include "common/Dates.h"
#include "dictionary/LedgerFiles.h"
#include "errors/ErrorManager.h"
#include "forms/Catalog.h"
#include "ledger/LedgerDesc.h"
#include "ledger/PaymentPosting.h"
#include "members/MemberContext.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// A panel of one client's rows of a ledger file, read on its By_Client key.
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

}  // namespace

std::int64_t clientCount(DataFiles& files) {
  FileManager& f = files.fm<rec::VelCli>();
  FileUse use(f);
  return f.Records();
}

void refuseMouse(Ui& ui) {
  ui.message("You cannot use the mouse to do this request", "Naughty Naughty", Icon::None, kOk,
             kOk);
}

ledger::PostResult afterPolicyAdded(DataFiles& files, const rec::VelCli& policy,
                                    const std::string& user, Moment at) {
  MemberContext& m = memberContext();
  m.CUR_CLIENT_ID = std::string(rtrim(policy.CLIENT_ID.text()));
  m.START_DATE = static_cast<std::int32_t>(policy.WAIT_DATE.value);
  ledger::PostingStamp stamp{ledger::officeBranch(files), user};
  return ledger::postFirstCharge<ledger::BurialCover>(files, ledger::firstChargeOf(policy), stamp,
                                                       at);
}

bool saveRemarks(DataFiles& files, const std::string& position, const std::string& text) {
  FileManager& f = files.fm<rec::VelCli>();
  FileUse use(f);
  if (f.Reget(position) != kDone) return false;
  auto& c = f.rec<rec::VelCli>();
  c.REMARKS = text;
  c.REMARKS.cut();
  return f.Update() == kDone;
}

bool preparePayment(DataFiles& files, const std::string& clientId, std::int32_t today) {
  bool first = true;
  {
    FileManager& p = files.fm<rec::VelPay>();
    FileUse use(p);
    int key = p.layout().keyIndex("By_Client");
    p.ClearBuffer();
    p.rec<rec::VelPay>().CLIENT_ID = clientId;
    p.SetOrderAt(key);
    // The client's payments come first at his key, if he has any.
    if (p.TryReadNext() == kDone && p.rec<rec::VelPay>().CLIENT_ID == clientId) first = false;
  }
  FileManager& f = files.fm<rec::VelCli>();
  FileUse use(f);
  f.ClearBuffer();
  auto& c = f.rec<rec::VelCli>();
  c.CLIENT_ID = clientId;
  if (f.GetByKey(f.layout().keyIndex("By_Client")) != kDone) return false;
  c.SMS_DATE = 0;
  c.SMS_SENDIT = 0;
  if (c.DATECHANGE.value == 0) c.DATECHANGE = today;
  if (c.WAIT_DATE.value == 0) {
    c.WAIT_DATE = today;
    c.DATE6 = addMonths(today, 6);
    c.DATE24 = today + 730;
  }
  if (f.Update() != kDone) return false;
  MemberContext& m = memberContext();
  m.CUR_CLIENT_ID = clientId;
  m.FIRST_PAYMENT = first ? 1 : 0;
  m.COL_CODE = c.COL_CODE.text();
  m.AGE_CODE = c.AGE_CODE.text();
  return true;
}

template <class L>
ledger::PostResult deletePaymentConfirmed(DataFiles& files, const std::string& position,
                                          const ledger::PostingStamp& stamp, Moment at) {
  ErrorManager* errors = files.context().errors;
  if (errors && errors->Message(msg::DeleteConfirm, kYes | kNo, kNo) != kYes)
    return ledger::PostResult::NothingToPost;
  return ledger::deletePayment<L>(files, position, stamp, at);
}

template ledger::PostResult deletePaymentConfirmed<ledger::BurialCover>(
    DataFiles&, const std::string&, const ledger::PostingStamp&, Moment);
template ledger::PostResult deletePaymentConfirmed<ledger::HamperClub>(
    DataFiles&, const std::string&, const ledger::PostingStamp&, Moment);

std::int64_t pickCount(DataFiles& files) {
  FileManager& f = files.fm<rec::PrnCli>();
  FileUse use(f);
  return f.Records();
}

bool clearPickList(DataFiles& files) {
  FileManager& f = files.fm<rec::PrnCli>();
  FileUse use(f);
  f.SetOrder(kPhysicalOrder);
  std::vector<std::string> entries;
  while (f.TryReadNext() == kDone) entries.push_back(f.Position());
  for (const std::string& at : entries)
    if (f.Reget(at) != kDone || f.Delete(false) != kDone) return false;
  return true;
}

bool addToPickList(DataFiles& files, const rec::VelCli& client) {
  FileManager& f = files.fm<rec::PrnCli>();
  FileUse use(f);
  int key = f.layout().keyIndex("By_Client");
  f.ClearBuffer();
  auto& p = f.rec<rec::PrnCli>();
  p.CLIENT_ID = client.CLIENT_ID.str();
  if (f.TryGetByKey(key) == kDone) return true;
  f.ClearBuffer();
  p.CLIENT_ID = client.CLIENT_ID.str();
  p.SURNAME = client.SURNAME.str();
  p.FIRSTNAME = client.FIRSTNAME.str();
  p.ID_NUMBER = client.ID_NUMBER.str();
  return f.Insert() == kDone;
}

std::vector<rec::VelCli> pickedClients(DataFiles& files) {
  std::vector<std::string> ids;
  {
    FileManager& f = files.fm<rec::PrnCli>();
    FileUse use(f);
    f.SetOrder(f.layout().keyIndex("By_Client"));
    while (f.TryReadNext() == kDone) ids.push_back(f.rec<rec::PrnCli>().CLIENT_ID.text());
  }
  std::vector<rec::VelCli> out;
  FileManager& c = files.fm<rec::VelCli>();
  FileUse use(c);
  int key = c.layout().keyIndex("By_Client");
  for (const std::string& id : ids) {
    c.ClearBuffer();
    c.rec<rec::VelCli>().CLIENT_ID = id;
    if (c.TryGetByKey(key) == kDone) out.push_back(c.rec<rec::VelCli>());
  }
  return out;
}

bool runPolicyAction(DataFiles& files, Request request, const ClientBrowseSetup& setup) {
  if (!setup.clientForm) return false;
  if (setup.clientForm(request) != Response::Completed) return false;
  if (request == Request::Insert && setup.clock) {
    // The form leaves the policy it added in the client buffer.
    rec::VelCli added = files.fm<rec::VelCli>().rec<rec::VelCli>();
    afterPolicyAdded(files, added, setup.user ? setup.user() : std::string(),
                     setup.clock->moment());
  }
  return true;
}

void addClientBrowse(Catalog& catalog, ClientBrowseSetup setup) {
  ListDecl l;
  l.procedure = kBrowseClient;
  l.title = "Policy Holders";
  l.file = "VelCli";
  l.columns = {column("Surname", "SURNAME", 20),
               column("Firstname", "FIRSTNAME", 15),
               column("Init", "INITIALS", 4),
               column("ID No", "ID_NUMBER", 13),
               column("Client ID", "CLIENT_ID", 10),
               dateColumn("Date", "DATE"),
               column("Middle Name", "MIDDLENAME", 15),
               column("Title", "TITLE", 6),
               column("Number", "NUMBER", 7, Align::Right),
               column("Remarks", "REMARKS", 20),
               column("Age Code", "COL_CODE", 6),
               moneyColumn("Premium", "PREMIUM"),
               moneyColumn("Age Comm", "AGE_COMM"),
               moneyColumn("Col Comm", "COL_COMM")};
  l.tabs = {{"By Surname", "By_Name", "SURNAME"},
            {"By ID Number", "By_IDNumber", "ID_NUMBER"},
            {"By Client No", "By_Client", "CLIENT_ID"}};
  l.actions = kActInsert | kActChange | kActDelete;
  l.form = "Update_VelCli";
  l.closeText = "&Close";
  l.buttonsOnly = true;
  l.rightClick = [](Ui& ui) { refuseMouse(ui); };
  // The client form is a window of its own, not a declared form: the policy
  // buttons run it through the browse's runner.
  l.handles = [setup](ListAction a, ListContext& ctx) {
    Request r = a == kActInsert ? Request::Insert
                : a == kActChange ? Request::Change
                : a == kActDelete ? Request::Delete
                                  : Request::View;
    runPolicyAction(ctx.files, r, setup);
    return true;
  };
  // The pick list's client list: the same orders and the same refusals,
  // no policy buttons.
  ListDecl sel = l;
  sel.procedure = kClientSelect;
  sel.actions = 0;
  sel.handles = nullptr;
  sel.form.clear();
  catalog.add(std::move(l));
  catalog.add(std::move(sel));

  ListDecl pick;
  pick.procedure = kPickList;
  pick.title = "Policy Holders";
  pick.file = "PrnCli";
  pick.columns = {column("Client No", "CLIENT_ID", 10), column("Surname", "SURNAME", 20),
                  column("Firstname", "FIRSTNAME", 15), column("ID No", "ID_NUMBER", 13)};
  pick.tabs = {{"By Client No", "By_Client", ""}};
  pick.actions = 0;
  catalog.add(std::move(pick));

  ListDecl age = panel(kClientAgeing, "Ageing", "VelAge",
                       {moneyColumn("Current", "CURRENT"), moneyColumn("30 Days", "P30"),
                        moneyColumn("60 Days", "P60"), moneyColumn("P 90", "P90"),
                        moneyColumn("90 Plus", "P90PLUS"), moneyColumn("Total", "TOTAL"),
                        column("Client ID", "CLIENT_ID", 10)});
  age.actions = 0;
  catalog.add(std::move(age));

  ListDecl inv = panel(kClientInvoices, "Invoices", "VelInv",
                       {dateColumn("Date", "DATE"), moneyColumn("Debit", "DEBIT"),
                        column("Client ID", "CLIENT_ID", 10)});
  inv.actions = kActInsert | kActChange | kActDelete;
  inv.changeText = "Correct Invoice";
  inv.form = "Update_Invoice";
  catalog.add(std::move(inv));

  ListDecl pay = panel(kClientPayments, "Payments", "VelPay",
                       {dateColumn("Date", "DATE"), moneyColumn("Credit", "CREDIT"),
                        column("Account", "ACCOUNT", 10), column("Client ID", "CLIENT_ID", 10)});
  pay.actions = kActInsert | kActChange | kActDelete | kActPrint;
  pay.printText = "Print Receipt";
  pay.form = "Update_VelPay";
  pay.legend = "Accept Velmora Policy Payments here";
  // Adding a payment first prepares the client; deleting one takes its
  // transaction and ageing with it. The payment form opens once declared.
  pay.handles = [setup](ListAction a, ListContext& ctx) {
    if (a == kActInsert) {
      const std::string& id = memberContext().CUR_CLIENT_ID;
      if (!setup.clock || id.empty()) return !!setup.paymentForm;
      if (!preparePayment(ctx.files, id, setup.clock->today())) return true;
      if (!setup.paymentForm) return false;
      setup.paymentForm(Request::Insert);
      return true;
    }
    if (a == kActChange && setup.paymentForm) {
      setup.paymentForm(Request::Change);
      return true;
    }
    if (a == kActPrint) {
      if (setup.printReceipt && ctx.record)
        setup.printReceipt(*static_cast<const rec::VelPay*>(ctx.record));
      return true;
    }
    if (a == kActDelete) {
      if (!setup.clock) return true;
      const ledger::PostingStamp stamp{ledger::officeBranch(ctx.files),
                                       setup.user ? setup.user() : std::string()};
      deletePaymentConfirmed(ctx.files, ctx.files.fm<rec::VelPay>().Position(), stamp,
                             setup.clock->moment());
      return true;
    }
    return false;
  };
  catalog.add(std::move(pay));
}

}  // namespace vel
