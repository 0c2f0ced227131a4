#include "dictionary/OlderLayouts.h"

#include <map>
#include <string>

#include "common/Text.h"

namespace vel {

namespace {

constexpr unsigned kUniqueX = kUnique | kExcludeEmpty;

// The client keys before the street key was added.
std::vector<KeySpec> clientKeysWithoutStreet() {
  return {
      {"By_Client", {"CLIENT_ID"}, kPrimary | kUnique | kExcludeEmpty},
      {"By_Name", {"SURNAME", "INITIALS"}, kExcludeEmpty},
      {"By_IDNumber", {"ID_NUMBER"}, kExcludeEmpty},
      {"By_Bank", {"BANK_NAME", "BRANCH_NAME"}, kExcludeEmpty},
      {"By_Number", {"NUMBER"}, kExcludeEmpty | kAutoNumber},
  };
}

std::vector<KeySpec> moneyKeys() {
  return {
      {"By_Client", {"CLIENT_ID"}, kExcludeEmpty},
      {"By_Date", {"DATE"}, kExcludeEmpty},
      {"By_Unique", {"BRANCH_ID", "UNIQUE"}, kExcludeEmpty},
  };
}

std::vector<KeySpec> withCollectorKey(std::vector<KeySpec> keys) {
  keys.push_back({"By_Col_Code", {"COL_CODE"}});
  return keys;
}

template <class Rec>
const Layout* older(const char* label, const char* prefix, const char* letter,
                    std::vector<KeySpec> keys) {
  // Made once and kept for the life of the process, like the current layouts.
  static const Layout l = Layout::of<Rec>(label, prefix, std::move(keys), letter);
  return &l;
}

const std::map<std::string, std::vector<const Layout*>, std::less<>>& table() {
  using namespace rec::older;
  static const std::map<std::string, std::vector<const Layout*>, std::less<>> t{
      {"Agent",
       {older<AgentA>("Agent", "AGT", "A",
                      {{"KeyCode", {"CODE"}, kUniqueX}, {"KeySurname", {"SURNAME"}}})}},
      {"BDetal", {older<BDetalA>("BDetal", "BDET", "A", {})}},
      {"VelAud",
       {older<VelAudA>(
           "VelAud", "AUD", "A",
           {{"By_ClientID", {"CLIENT_ID"}, kExcludeEmpty}, {"By_Date", {"DATE"}, kExcludeEmpty}})}},
      // The ageing file once allowed several records per client.
      {"VelAge",
       {older<VelAgeA>("VelAge", "AGE", "A", {{"By_Client", {"CLIENT_ID"}, kExcludeEmpty}})}},
      {"VelExt",
       {older<VelExtA>("VelExt", "EXT", "A",
                       {{"By_IDNo", {"ID_NUMBER"}}, {"By_Client", {"CLIENT_ID"}, kExcludeEmpty}}),
        older<VelExtB>("VelExt", "EXT", "B",
                       {{"By_IDNo", {"ID_NUMBER"}}, {"By_Client", {"CLIENT_ID"}, kExcludeEmpty}}),
        older<VelExtC>("VelExt", "EXT", "C", {{"By_Client", {"CLIENT_ID"}, kExcludeEmpty}})}},
      {"VelCli",
       {older<VelCliG>("VelCli", "CLI", "G",
                       [] {
                         auto k = clientKeysWithoutStreet();
                         k.push_back({"By_Tracking", {"TRACKING_NO"}, kExcludeEmpty});
                         return k;
                       }()),
        older<VelCliH>("VelCli", "CLI", "H", clientKeysWithoutStreet()),
        older<VelCliI>("VelCli", "CLI", "I", clientKeysWithoutStreet()),
        older<VelCliJ>("VelCli", "CLI", "J", clientKeysWithoutStreet()),
        older<VelCliK>("VelCli", "CLI", "K", clientKeysWithoutStreet())}},
      {"VelChd",
       {older<VelChdA>("VelChd", "CHD", "A", {{"By_Client", {"CLIENT_ID"}, kExcludeEmpty}}),
        older<VelChdB>("VelChd", "CHD", "B", {{"By_Client", {"CLIENT_ID"}, kExcludeEmpty}})}},
      {"VelInv",
       {older<VelInvA>("VelInv", "INV", "A", moneyKeys()),
        older<VelInvB>("VelInv", "INV", "B", moneyKeys())}},
      {"VelPay",
       {older<VelPayA>("VelPay", "PAY", "A", moneyKeys()),
        older<VelPayB>("VelPay", "PAY", "B", withCollectorKey(moneyKeys())),
        older<VelPayC>("VelPay", "PAY", "C", withCollectorKey(moneyKeys()))}},
      {"VelTra",
       {older<VelTraA>("VelTra", "TRA", "A", moneyKeys()),
        older<VelTraB>("VelTra", "TRA", "B", moneyKeys())}},
      {"Users",
       {older<UsersA>("Users", "USR", "A",
                      {{"KeyCode", {"CODE"}, kUniqueX | kAutoNumber},
                       {"KeyUserName", {"USERNAME"}, kUniqueX},
                       {"KeyPassword", {"PASSWORD"}, kUniqueX}})}},
  };
  return t;
}

}  // namespace

const std::vector<const Layout*>& olderLayouts(std::string_view label) {
  static const std::vector<const Layout*> none;
  for (const auto& [name, layouts] : table())
    if (equalsNoCase(name, label)) return layouts;
  return none;
}

const Layout* olderLayout(std::string_view label, std::string_view variant) {
  for (const Layout* l : olderLayouts(label))
    if (l->variant() == variant) return l;
  return nullptr;
}

}  // namespace vel
