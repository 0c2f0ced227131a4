#include "setup/SetupLists.h"

#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// A column showing "Yes" for a byte switch that is on.
ColumnDecl yesNo(std::string heading, std::string field, int width) {
  ColumnDecl c = column(std::move(heading), field, width, Align::Center);
  c.text = [field](const void* rec) {
    const auto& d = *static_cast<const rec::DefPrn*>(rec);
    std::int64_t v = field == "ON_INV"    ? d.ON_INV.value
                     : field == "ON_PAY"  ? d.ON_PAY.value
                     : field == "ON_5LATE" ? d.ON_5LATE.value
                                          : d.ON_10LATE.value;
    return std::string(v == 1 ? "Yes" : "No");
  };
  return c;
}

EntryDecl entry(std::string prompt, std::string field, EntryKind kind = EntryKind::Text,
                std::string picture = {}) {
  EntryDecl e;
  e.prompt = std::move(prompt);
  e.field = std::move(field);
  e.kind = kind;
  e.picture = std::move(picture);
  return e;
}

EntryDecl amount(std::string prompt, std::string field) {
  return entry(std::move(prompt), std::move(field), EntryKind::Number, "n_9.2");
}

EntryDecl lookup(EntryDecl e, std::string list, std::string from,
                 std::vector<std::string> alsoCopy = {}, std::string rangeField = {}) {
  e.lookup.list = std::move(list);
  e.lookup.fromField = std::move(from);
  e.lookup.alsoCopy = std::move(alsoCopy);
  e.lookup.rangeField = std::move(rangeField);
  return e;
}

FormDecl form(std::string procedure, std::string file, std::string title,
              std::vector<EntryDecl> entries) {
  FormDecl f;
  f.procedure = std::move(procedure);
  f.file = std::move(file);
  f.title = std::move(title);
  f.tabs.push_back(TabDecl{"General", std::move(entries)});
  return f;
}

// "Adding a Agent Record" / "Changing a Agent Record".
FormDecl& named(FormDecl& f, const std::string& table) {
  f.insertCaption = "Adding a " + table + " Record";
  f.changeCaption = "Changing a " + table + " Record";
  return f;
}

ListDecl list(std::string procedure, std::string title, std::string file,
              std::vector<ColumnDecl> columns, std::vector<SortTab> tabs, std::string formName) {
  ListDecl l;
  l.procedure = std::move(procedure);
  l.title = std::move(title);
  l.file = std::move(file);
  l.columns = std::move(columns);
  l.tabs = std::move(tabs);
  l.form = std::move(formName);
  return l;
}

// A one-record settings file: a record can be inserted only while there is
// none, and the one record is never deleted from its list.
template <class R>
void singleRecord(ListDecl& l) {
  l.actions = kActInsert | kActChange;
  l.actionsNow = [](DataFiles& files) {
    FileUse use(files.fm<R>());
    return files.fm<R>().Records() > 0 ? unsigned(kActChange) : unsigned(kActInsert | kActChange);
  };
}

void addPeople(Catalog& c, const std::string& which, const std::string& file,
               const std::string& title, const std::string& formTitle) {
  std::vector<ColumnDecl> cols{column("Code", "CODE", 5),          column("Surname", "SURNAME", 20),
                               column("FirstName", "FNAME", 20),   column("Middle Name", "MIDNAME", 20),
                               column("Tel No", "TELNO", 15),      column("Cell No", "CELLNO", 10)};
  c.add(list("Browse_" + which, title, file, cols,
             {{"By Code", "KeyCode", "CODE"}, {"By Surname", "KeySurname", "SURNAME"}},
             "Update_" + which));
  FormDecl& f = c.add(form("Update_" + which, file, formTitle,
                           {entry("Code:", "CODE"), entry("Surname:", "SURNAME"),
                            entry("First Name:", "FNAME"), entry("Middle Name:", "MIDNAME"),
                            entry("Tel No:", "TELNO"), entry("Cell No:", "CELLNO")}));
  if (which == "Agent") named(f, "Agent");
}

void addBanks(Catalog& c, BankAccountCheck bankAccountCheck) {
  // Client banks: the bank names with the branches of the highlighted bank.
  ListDecl& names = c.add(list("Browse_C_Banks", "Browse the Client Banks", "BankName",
                               {column("Bank Name", "NAME", 30)}, {{"By Name", "By_Name", "NAME"}},
                               "Update_Bank"));
  names.heading = "Bank List";
  names.detail = "Browse_C_Banks_Branches";
  names.detailLink = {{"NAME", "NAME"}};
  ListDecl& branches = c.add(list("Browse_C_Banks_Branches", "Branch List", "BankList",
                                  {column("Branch Name", "BRANCH", 30), column("Code", "CODE", 6)},
                                  {{"By Name", "By_Name", "BRANCH"}}, "Update_C_Banks"));
  branches.heading = "Branch List";
  c.add(form("Update_Bank", "BankName", "Update the Master Bank File",
             {entry("Bank Name:", "NAME")}));

  ListDecl& selBank = c.add(list("SelectBank", "Select a Bank", "BankName",
                                 {column("Bank Name", "NAME", 30)},
                                 {{"Banks by Name", "By_Name", "NAME"}}, "Update_Bank"));
  (void)selBank;
  c.add(list("SelectBranch", "Select a Branch", "BankBranch",
             {column("Branch Name", "BRANCH", 30), column("Code", "CODE", 6), column("Address", "ADDRESS", 50)},
             {{"Branches by Bank", "By_Name", "BRANCH"}}, "Update_Bank_Branch"));

  auto branchEntries = [] {
    return std::vector<EntryDecl>{
        lookup(entry("Name:", "NAME"), "SelectBank", "NAME"),
        lookup(entry("Branch:", "BRANCH"), "SelectBranch", "BRANCH",
               {"CODE", "CONTACT", "PHONE", "ADDRESS"}, "NAME"),
        entry("Code:", "CODE"),       entry("Contact:", "CONTACT"),
        entry("Phone:", "PHONE"),     entry("Address:", "ADDRESS")};
  };
  c.add(form("Update_Bank_Branch", "BankBranch", "Update the Master Bank Branch File",
             branchEntries()));
  FormDecl& clientBranch =
      c.add(form("Update_C_Banks", "BankList", "Update the Client Banks", branchEntries()));
  // The master branch list is what a client bank's branch is picked from;
  // within it, the branch entry picks nothing of its own.
  (void)clientBranch;

  // The branch's own bank accounts.
  c.add(list("Browse_B_Banks", "Browse the Branch Banks file", "Banks",
             {column("Name", "NAME", 30), column("Account", "ACCOUNT", 16), column("Code", "CODE", 6),
              column("Type", "TYPE", 15), column("Description", "DESCRIPTION", 30),
              column("Default", "DEFAULT", 7, Align::Center)},
             {{"By Name", "By_Name", "NAME"}}, "Update_Banks"));
  EntryDecl type = entry("Type", "TYPE", EntryKind::Radio);
  type.choices = {"Cheque", "Savings", "Transmission"};
  FormDecl& accounts = c.add(form(
      "Update_Banks", "Banks", "Branch Banks",
      {lookup(entry("Name:", "NAME"), "SelectBank", "NAME"), entry("Branch Code:", "CODE"),
       entry("Account No:", "ACCOUNT"), type, entry("Description:", "DESCRIPTION"),
       entry("Default", "DEFAULT", EntryKind::Check)}));
  accounts.beforeDelete = [check = std::move(bankAccountCheck)](EntryContext& ctx) {
    return !check || check(ctx.files, ctx.ui, *static_cast<const rec::Banks*>(ctx.record));
  };
}

void addPlans(Catalog& c) {
  ListDecl& plans = c.add(list("Browse_Plans", "Plans", "Plan",
             {column("Plan", "PLAN", 4), column("Type", "TYPE", 15), moneyColumn("Cover", "COVER"),
              moneyColumn("Premium", "PREMIUM"), moneyColumn("Pay Over", "PAY_OVER"), moneyColumn("Comm", "COMM")},
             {{"By Plan", "By_Plan", "PLAN"}}, "UpdatePlan"));
  plans.closeText = "&Close";
  plans.legend = "Plan A  18 - 64     Plan B  65 - 74     Plan C  75 - 85     Plan D  85 Plus";
  c.add(form("UpdatePlan", "Plan", "Plans",
             {entry("Plan", "PLAN"), entry("Type", "TYPE"), amount("Cover", "COVER"),
              amount("Premium", "PREMIUM"), amount("Pay Over", "PAY_OVER"),
              amount("Commission", "COMM")}));

  ListDecl& chd = c.add(list("Browse_PlanChd", "Children Plans", "PlanChd",
                             {column("Plan", "PLAN", 4), column("Age Group", "AGEGROUP", 10),
                              column("Type", "TYPE", 15), moneyColumn("Premium", "PREMIUM"),
                              moneyColumn("Pay Over", "PAYOVER"), moneyColumn("Comm", "COMM"),
                              moneyColumn("Cover", "COVER")},
                             {{"By Plan", "By_Plan", "PLAN"}}, "Update_PlanChd"));
  chd.actions = kActInsert | kActChange | kActDelete | kActView;
  EntryDecl group = entry("Age Group:", "AGEGROUP", EntryKind::Choice);
  group.choices = {"0 - 11 Mth", "1 - 5", "6 - 13", "14 - 26"};
  c.add(form("Update_PlanChd", "PlanChd", "Child Plan",
             {entry("Plan:", "PLAN"), entry("Type:", "TYPE"), amount("Premium:", "PREMIUM"),
              amount("Pay Over:", "PAYOVER"), amount("Comm:", "COMM"), amount("Cover:", "COVER"),
              group}));
}

void addMessages(Catalog& c) {
  ListDecl& sms = c.add(list("Browse_SMS", "SMS", "SMS_Data",
                             {column("Reason", "REASON", 39), column("Message", "XMESSAGE", 60)},
                             {{"By Reason", "By_Reason", "REASON"}}, "Update_SMS"));
  sms.actions = kActInsert | kActChange | kActDelete | kActView | kActSelect;
  c.add(form("Update_SMS", "SMS_Data", "SMS",
             {entry("Reason:", "REASON"), entry("Message:", "XMESSAGE")}));

  ListDecl& def = c.add(list("Browse_DefPrn", "SMS Setup", "DefPrn",
                             {yesNo("SMS On Invoice", "ON_INV", 14),
                              yesNo("SMS On Payment", "ON_PAY", 14),
                              yesNo("SMS 5 Days Late", "ON_5LATE", 15),
                              yesNo("SMS 10 Days Late", "ON_10LATE", 16)},
                             {}, "Update_DefPrn"));
  singleRecord<rec::DefPrn>(def);
  c.add(form("Update_DefPrn", "DefPrn", "SMS Setup",
             {entry("Send SMS on Invoice", "ON_INV", EntryKind::Check),
              entry("Send SMS when Payment is made", "ON_PAY", EntryKind::Check),
              entry("Send SMS if 5 days overdue", "ON_5LATE", EntryKind::Check),
              entry("Send SMS if 10 days overdue", "ON_10LATE", EntryKind::Check)}));

  ListDecl& comm = c.add(list("Browse_Comm", "Commission Structure", "CommStr",
                              {moneyColumn("Agent", "AGENT"), moneyColumn("Collector", "COLL")}, {},
                              "Update_CommStr"));
  singleRecord<rec::CommStr>(comm);
  c.add(form("Update_CommStr", "CommStr", "Commission",
             {amount("Agent:", "AGENT"), amount("Collector:", "COLL")}));
}

}  // namespace

void addSetupLists(Catalog& c, BankAccountCheck bankAccountCheck) {
  c.add(list("Browse_Town", "Browse the Town file", "Town", {column("Town", "TOWN", 30)},
             {{"By Town", "By_Town", "TOWN"}}, "Update_Town"));
  c.add(form("Update_Town", "Town", "Form Town", {entry("Town:", "TOWN")}));

  c.add(list("Browse_Post", "Browse the Postal File", "Postal",
             {column("Town", "TOWN", 30), column("Suburb", "SUBURB", 40), column("Postal", "POSTAL", 6),
              column("Street", "STREET", 6)},
             {{"By Town", "By_Town", "TOWN"},
              {"By Suburb", "By_Suburb", "SUBURB"},
              {"By Postal Code", "By_PostalCode", "POSTAL"},
              {"By Street Code", "By_StrCode", "STREET"}},
             "Update_Postal"));
  named(c.add(form("Update_Postal", "Postal", "Update the Postal File",
                   {entry("Town:", "TOWN"), entry("Suburb:", "SUBURB"), entry("Postal:", "POSTAL"),
                    entry("Street:", "STREET")})),
        "Postal");

  c.add(list("Browse_Route", "Browse the Route file", "Route", {column("Route", "ROUTE", 20)},
             {{"By Route", "By_Route", "ROUTE"}}, "Update_Route"));
  c.add(form("Update_Route", "Route", "Route",
             {entry("Route:", "ROUTE"), entry("Description:", "DESCRIPTION")}));

  addPeople(c, "Agent", "Agent", "Agent", "Update the Agent File");
  addPeople(c, "Collector", "Collect", "Collector", "Update the Collector File");

  c.add(list("Browse_Holidays", "Browse the Holiday File", "Holiday",
             {column("Date", "DATE", 10, Align::Left, "d06"), column("Holiday Name", "DESCRIPTION", 30)},
             {{"By Date", "By_Date", "DATE"}}, "Update_Holidays"));
  named(c.add(form("Update_Holidays", "Holiday", "Update the Holiday File",
                   {entry("Date:", "DATE", EntryKind::Day), entry("Description:", "DESCRIPTION")})),
        "Holiday");

  addBanks(c, std::move(bankAccountCheck));
  addPlans(c);
  addMessages(c);
}

}  // namespace vel
