#include "forms/FormSettings.h"

#include <map>
#include <string>

namespace vel {

namespace {

constexpr auto kSave = CancelQuestion::SaveRecord;
constexpr auto kLost = CancelQuestion::ChangesLost;
constexpr auto kH = RecallKey::CtrlH;
constexpr auto kQuote = RecallKey::CtrlApostrophe;

const std::map<std::string, FormSettings, std::less<>>& table() {
  // procedure: stay open on insert, confirm delete, cancel question, recall key
  static const std::map<std::string, FormSettings, std::less<>> t{
      {"Update_Town", {false, true, kLost, kH}},
      {"Update_SMS", {true, false, kLost, kH}},
      {"Update_Route", {false, true, kLost, kH}},
      {"Update_Agent", {false, true, kSave, kQuote}},
      {"Update_Receipt", {false, true, kLost, kH}},
      {"Update_Collector", {false, true, kSave, kQuote}},
      {"Update_Postal", {false, true, kSave, kQuote}},
      {"Update_BDetal", {false, true, kLost, kH}},
      {"Update_Bank", {false, true, kSave, kQuote}},
      {"Update_C_Banks", {false, true, kSave, kQuote}},
      {"Update_Bank_Branch", {false, true, kSave, kQuote}},
      {"Update_Banks", {false, true, kLost, kH}},
      {"Update_Holidays", {false, true, kSave, kQuote}},
      {"Update_PlanChd", {false, true, kLost, kH}},
      {"UpdatePlan", {false, false, kLost, kH}},
      {"Update_Users", {false, true, kLost, kQuote}},
      {"Update_Config", {true, false, kSave, kQuote}},
      {"Update_DefPrn", {false, false, kLost, kH}},
      {"Update_CommStr", {true, false, kLost, kH}},
      {"Update_Cashbox", {false, true, kLost, kH}},
      {"Update_VelPay", {false, true, kSave, kQuote}},
      {"Update_Invoice", {true, false, kLost, kH}},
      {"Update_VelExt", {false, true, kLost, kH}},
      {"Update_VelCli", {false, true, kSave, kQuote}},
      {"Update_VelChd", {false, true, kLost, kH}},
      {"Update_HamPay", {false, true, kSave, kQuote}},
      {"Update_Hamper", {false, true, kLost, kH}},
      {"Update_HamInvoice", {true, false, kLost, kH}},
  };
  return t;
}

}  // namespace

const FormSettings& formSettings(std::string_view procedure) {
  static const FormSettings defaults;
  auto it = table().find(procedure);
  return it == table().end() ? defaults : it->second;
}

}  // namespace vel
