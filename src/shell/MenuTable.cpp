#include "shell/MenuTable.h"

#include "platform/Ui.h"
#include "shell/Globals.h"

namespace vel {

namespace {

using H = MenuHow;
using R = MenuRight;

MenuItem call(std::string_view text, std::string_view control, std::string_view procedure,
              R right = R::None) {
  return {text, control, procedure, H::FrameThread, right, {}};
}

MenuItem thread(std::string_view text, std::string_view control, std::string_view procedure,
                R right = R::None) {
  return {text, control, procedure, H::NewThread, right, {}};
}

std::vector<Menu> build() {
  Menu file{"&File", "FILEMENU", {}};
  file.items = {
      {"P&rint Setup...", "PRINTSETUP", {}, H::System, R::None, "Setup Printer"},
      {{}, "SEPARATOR1", {}, H::Separator, R::None, {}},
      call("&Configure System", "FILECONFIGURESYSTEM", "Update_Config"),
      call("&Users", "FILEUSERS", "Browse_Users"),
      call("Change &Password", "FILECHANGEPASSWORD", "Change_Password"),
      call("&Generate Invoices", "ITEM1", "Generate_Invoices"),
  };
  // One table export each, in menu order.
  const std::pair<std::string_view, std::string_view> exports[] = {
      {"Export Agents", "ITEM36"},
      {"Export AgeIss", "ITEM12"},
      {"Export Banks", "ITEM13"},
      {"Export Bank Branch", "ITEM20"},
      {"Export Bank List", "ITEM15"},
      {"Export Bank Name", "ITEM14"},
      {"Export Collector", "ITEM24"},
      {"Export Comm Structure", "ITEM28"},
      {"Export Velmora Ageing", "ITEM17"},
      {"Export Velmora Child", "ITEM23"},
      {"Export Velmora Clients", "ITEM11"},
      {"Export Velmora Extended", "ITEM16"},
      {"Export Velmora Invoice", "ITEM19"},
      {"Export Velmora Payments", "ITEM18"},
      {"Export Velmora Transactions", "ITEM21"},
      {"Export Hamper Ageing", "ITEM32"},
      {"Export Hamper", "ITEM31"},
      {"Export Hamper Invoice", "ITEM33"},
      {"Export Hamper Payments", "ITEM34"},
      {"Export Hamper Transactions", "ITEM35"},
      {"Export Plan", "ITEM29"},
      {"Export Plan Child", "ITEM30"},
      {"Export Postal", "ITEM22"},
      {"Export Route", "ITEM26"},
      {"Export SMS Data", "ITEM25"},
      {"Export Town", "ITEM27"},
  };
  for (const auto& [text, control] : exports) file.items.push_back(call(text, control, text));
  file.items.push_back({"E&xit", "EXIT", {}, H::System, R::None, "Exit this application"});

  Menu admin{"&Administration", "LOANSANDEXPENSES",
             {
                 call("Members", "ADMINISTRATIONVELMORAPLAN", "Browse_Client"),
                 call("Hampers", "ITEM9", "Browse_Hamper"),
                 call("Print Selected Collection Lists", "PRNSEL", "Print_Selected_Collection"),
                 call("Print DUAL Route Info per Date", "ITEM4", "Print_Dual_Cards"),
             }};
  Menu setup{"&Setup", "MENU1",
             {
                 call("Branch &Detail", "MAINTENANCEBRANCHDETAIL", "Browse_BDetail"),
                 call("&Commission Structure", "COMMSTR", "Browse_Comm"),
                 call("Default &SMS Sending", "DEFSMS", "Browse_DefPrn"),
             }};
  Menu maint{"&Maintenance", "MAINTAINANCE",
             {
                 call("&Capture Receipts", "CAPREC", "Capture_Receipt"),
                 call("&Issue Receipt Book", "RECBOOK", "Browse_Receipt"),
                 call("&Public Holidays", "MAINTAINANCEPUBLICHOLIDAYS", "Browse_Holidays"),
                 call("&Postal Codes", "MAINTENANCEPOSTALCODES", "Browse_Post"),
                 call("&Branch Banks", "MAINTENANCEBANKLIST", "Browse_B_Banks"),
                 call("&Client Banks", "MAINTENANCEBANKNAME", "Browse_C_Banks"),
                 call("&SMS General Message", "SMS", "Browse_SMS"),
                 call("&Agents", "AGENT", "Browse_Agent"),
                 call("&Collectors", "COLLECT", "Browse_Collector"),
                 call("&Towns", "TOWN", "Browse_Town"),
                 call("&Route", "ROUTE", "Browse_Route"),
                 call("&Plans", "ITEM2", "Browse_Plans"),
                 call("Plans for &Children", "ITEM3", "Browse_PlanChd"),
             }};
  Menu reports{
      "&Reports",
      "REPORTS",
      {
          call("Print &Management", "PRNMAN", "Print_Management", R::Administrator),
          thread("Print &Ageing", "ADMINISTRATIONVELMORAPRINTAGEING", "Print_Ageing"),
          thread("Print &Premiums Paid", "ADMINISTRATIONVELMORAPRINTPREMIUMSCOLLECTED",
                 "Print_Premiums_Paid", R::Administrator),
          call("Print Premiums Not Paid", "PRNNOTPAID", "Print_Not_Paid"),
          call("Print Premiums Not Paid for 3 Months", "PRNNOT3", "Print_Not_Paid_3"),
          call("Print New Policies per Route", "PRNNEWPOL", "Print_New_Route"),
          call("Print New Policies per Agent", "NEWPOLA", "Print_New_Agent"),
          call("Print New Policies per Agent - Totals only", "ITEM5", "Print_New_Agent_Totals"),
          call("Print Active &Client List", "PRNACTIVE", "Print_Active"),
          call("Print &Non Active Client List", "NONACT", "Print_Non_Active"),
          call("Print Collector Rounds", "PRNROUNDS", "Print_Collector_Rounds"),
          call("Print Name and Address", "NAMEADD", "Print_Name_Address"),
          call("Print_Issued_Receipts", "ITEM6", "Print_Issued_Receipts"),
          call("Print Names on Routes", "PRNROUNDS:2", "Print_Route_Names"),
          call("Print Names and Addresses", "ITEM8", "Print_Route_Addresses"),
          call("Print Hamper List", "HAMPER", "Print_Hamper_List"),
      }};
  Menu utilities{"&Utilities", "UTILITIES",
                 {
                     thread("Rebui&ld Indexes", "UTILITIESREBUILDINDEXES", "Rebuild_Indexes"),
                     call("&Update Commission Structure", "COMMSTR:2", "Update_Commission"),
                     call("&Export Data", "EXDAT", "Export_Main"),
                     call("Update Agents", "ITEM7", "Update_Agents"),
                     call("Copy Policy Holders to Hamper", "ITEM10", "Copy_To_Hamper"),
                 }};
  return {file, admin, setup, maint, reports, utilities};
}

}  // namespace

const std::vector<Menu>& mainMenu() {
  static const std::vector<Menu> menus = build();
  return menus;
}

const MenuItem* findMenuItem(std::string_view control) {
  for (const Menu& m : mainMenu())
    for (const MenuItem& i : m.items)
      if (i.control == control) return &i;
  return nullptr;
}

bool menuAccess(const MenuItem& item, Ui& ui) {
  if (item.right == MenuRight::None || globals().USER_CODE == 1) return true;
  ui.message("You do not have access rights to this option", "Access Error", Icon::Hand, kOk,
             kOk);
  return false;
}

}  // namespace vel
