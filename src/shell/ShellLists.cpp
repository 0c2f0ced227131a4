#include "shell/ShellLists.h"

#include "dictionary/SetupFiles.h"
#include "errors/ErrorManager.h"
#include "forms/Catalog.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"

namespace vel {

namespace {

EntryDecl entry(std::string prompt, std::string field, EntryKind kind = EntryKind::Text) {
  EntryDecl e;
  e.prompt = std::move(prompt);
  e.field = std::move(field);
  e.kind = kind;
  return e;
}

EntryDecl note(std::string text) { return entry(std::move(text), {}, EntryKind::Note); }

// The user name entry: six characters at least, trailing blanks not counted.
bool userNameAccepted(EntryContext& c) {
  if (static_cast<rec::Users*>(c.record)->USERNAME.str().size() >= 6) return true;
  c.ui.message("User Name must have at least 6 characters", "User Name Error", Icon::Hand, kOk,
               kOk);
  return false;
}

// The password entry: six characters at least, and one no other user has.
bool passwordAccepted(EntryContext& c) {
  auto& u = *static_cast<rec::Users*>(c.record);
  if (u.PASSWORD.str().size() < 6) {
    c.ui.message("Password must be at least 6 characters long", "Password Error", Icon::Hand, kOk,
                 kOk);
    return false;
  }
  if (passwordTaken(c.files.fm<rec::Users>(), u.PASSWORD.str())) {
    c.ui.message(kPasswordTakenText, "Password Error", Icon::Hand, kOk, kOk);
    return false;
  }
  return true;
}

bool isAdministrator() { return globals().USER_CODE.load() == 1; }

// The users list's own handling: only the administrator (code 1) adds,
// changes and deletes users; a delete marks the user "DEL" and never removes
// the record, and the administrator's own record is never deleted.
bool usersListHandles(ListAction action, ListContext& ctx) {
  if (action == kActInsert || action == kActChange) return !isAdministrator();
  if (action != kActDelete) return false;
  if (!isAdministrator()) return true;
  auto& u = *static_cast<rec::Users*>(ctx.record);
  if (u.CODE.value == 1) {
    ctx.ui.message("You cannot delete the System Adminstrator data", "Delete Error", Icon::Hand, kOk,
                   kOk);
    return true;
  }
  if (u.STATUS == "DEL") return true;
  if (ctx.ui.message("Are you Absolutely Sure?", "Delete User", Icon::Question, kYes | kNo, kNo) !=
      kYes)
    return true;
  FileManager& fm = ctx.files.fm<rec::Users>();
  u.STATUS = "DEL";
  fm.Update();
  return true;
}

void addUsers(Catalog& c) {
  ListDecl l;
  l.procedure = "Browse_Users";
  l.title = "Browse the Users File";
  l.file = "Users";
  l.columns = {column("Code", "CODE", 3, Align::Right), column("User Name", "USERNAME", 10),
               column("Surname", "SURNAME", 20), column("Name 1", "NAME1", 20), column("Name 2", "NAME2", 20)};
  l.tabs = {{"By User Name", "KeyUserName", "USERNAME"}};
  l.form = "Update_Users";
  l.shows = [](const void* r) { return !(static_cast<const rec::Users*>(r)->STATUS == "DEL"); };
  l.handles = usersListHandles;
  c.add(std::move(l));

  FormDecl f;
  f.procedure = "Update_Users";
  f.file = "Users";
  f.title = "Update the Users File";
  f.insertCaption = "Adding a Users Record";
  f.changeCaption = "Changing a Users Record";
  EntryDecl code = entry("Code", "CODE");
  code.picture = "n3";
  code.readOnly = true;  // numbered by the file
  EntryDecl user = entry("User Name", "USERNAME");
  user.check = userNameAccepted;
  EntryDecl pass = entry("Password", "PASSWORD", EntryKind::Password);
  pass.check = passwordAccepted;
  f.tabs.push_back(TabDecl{"General",
                           {code, entry("Surname", "SURNAME"), entry("First Name", "NAME1"),
                            entry("Middle Name", "NAME2"), user, pass}});
  c.add(std::move(f));
}

void addBranchDetail(Catalog& c) {
  ListDecl l;
  l.procedure = "Browse_BDetail";
  l.title = "Branch Detail";
  l.file = "BDetal";
  l.columns = {column("Business Name", "BUS_NAME", 50)};
  l.form = "Update_BDetal";
  l.actions = kActInsert | kActChange;
  l.closeText = "&Close";
  // "&Insert" only while the file is empty; "&Delete" never.
  l.actionsNow = [](DataFiles& files) {
    FileUse use(files.fm<rec::BDetal>());
    return files.fm<rec::BDetal>().Records() > 0 ? unsigned(kActChange)
                                                  : unsigned(kActInsert | kActChange);
  };
  // However a request arrives: an insert into a file with a record, or any
  // delete, is refused without a message.
  l.handles = [](ListAction a, ListContext& ctx) {
    if (a == kActDelete) return true;
    if (a != kActInsert) return false;
    FileUse use(ctx.files.fm<rec::BDetal>());
    return ctx.files.fm<rec::BDetal>().Records() > 0;
  };
  c.add(std::move(l));

  auto red = [](EntryDecl e) {
    e.red = true;
    return e;
  };
  FormDecl f;
  f.procedure = "Update_BDetal";
  f.file = "BDetal";
  f.title = "Branch Detail";
  f.tabs.push_back(TabDecl{
      "General",
      {red(entry("Business Name", "BUS_NAME")), red(entry("Physical Address", "PHYS1")),
       red(entry("", "PHYS2")), red(entry("Town", "PHYS3")), red(entry("Postal Code", "CODE")),
       note("RED fields can be used in printed documents"), red(entry("Telephone", "TELEPHONE")),
       red(entry("Fax", "FAX")), red(entry("E Mail", "EMAIL")), red(entry("Bank", "BANK")),
       red(entry("Bank Branch", "BANKBRANCH")), red(entry("Account No", "ACCNO")),
       red(entry("Bank Code", "BANKCODE")), red(entry("Account Holder", "ACCHOLDER")),
       entry("SMS User Name", "USERNAME"), entry("SMS Password", "PASSWORD"),
       entry("SMS Confirm E-mail", "CON_EMAIL"), entry("Cell No", "CELL_NO"),
       note("Bulk SMS User Name. Password"),
       note("Bulk SMS E-mail address where confirmation will be sent and cell no that it is sent "
            "from")}});
  c.add(std::move(f));
}

void addConfig(Catalog& c) {
  FormDecl f;
  f.procedure = "Update_Config";
  f.file = "Config";
  f.title = "Update Config Data";
  f.changeCaption = "Changing the Configuration";
  f.servesInsert = false;
  f.servesDelete = false;
  f.okText = "&Accept";
  EntryDecl vat = entry("Vat Rate", "VATRATE", EntryKind::Number);
  vat.picture = "n6.2";
  EntryDecl security = entry("Security", "SECURITY", EntryKind::Radio);
  security.choices = {"Yes", "No"};
  security.choiceValues = {1, 0};
  f.tabs.push_back(TabDecl{"General", {vat, security}});
  c.add(std::move(f));
}

}  // namespace

bool passwordTaken(FileManager& users, std::string_view password) {
  EngineFile* file = users.engineFile();
  int key = users.keyIndex("KeyPassword");
  if (!file || key < 0) return false;  // the save then reports what is wrong
  RecordBuffer probe(users.layout());
  users.layout().copy(probe.get(), users.buffer());
  static_cast<rec::Users*>(probe.get())->PASSWORD = std::string(rtrim(password));
  bool clash = false;
  return file->duplicateOn(key, probe.get(), users.Position(), clash) == ecode::kNone && clash;
}

void addShellLists(Catalog& catalog) {
  addUsers(catalog);
  addBranchDetail(catalog);
  addConfig(catalog);
}

void Update_Config(DataFiles& files, Ui& ui, const Catalog& catalog, const FormRunner& run) {
  {
    FileManager& users = files.fm<rec::Users>();
    FileUse use(users);
    users.SetOrder(kPhysicalOrder);
    if (users.TryReadNext() != kDone) {
      ui.message("Please enter System Administrator data in USERS menu option before accessing "
                 "this option.",
                 "Access Error", Icon::None, kOk, kOk);
      return;
    }
  }
  const FormDecl* form = catalog.form("Update_Config");
  FileManager& config = files.fm<rec::Config>();
  FileUse use(config);
  config.SetOrder(kPhysicalOrder);
  // The program never adds the Config record; a new installation gets it
  // from its first-run window.
  if (!form || config.TryReadNext() != kDone) return;
  run(*form, Request::Change, {});
}

}  // namespace vel
