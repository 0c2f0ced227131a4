// Update_VelCli without its window: the client form's rules over the VelCli
// record buffer, one method per event. The window maps its widgets to these
// methods and does what each Reply says; tests drive the same methods with a
// scripted Ui and a fixed clock.
//
// The form's common cycle (priming, the number reserved for an insert and
// given back on Cancel, the save with its retry questions) is the shared
// FormCycle over the declaration clientFormDecl(); what is particular to the
// policy holder (client number, identity numbers, plan and premiums, status,
// dependants) is here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"
#include "forms/FormCycle.h"
#include "forms/FormDecl.h"
#include "members/CopyToHamper.h"
#include "members/DependantRules.h"
#include "members/PlanPremium.h"
#include "platform/Clock.h"

namespace vel {

class DataFiles;
class Ui;

// The client form as data: file, captions, tabs and entries.
FormDecl clientFormDecl();

class ClientForm {
 public:
  ClientForm(DataFiles& files, Ui& ui, const Clock& clock, Request request);

  // What the window must do after an event.
  struct Reply {
    enum Action {
      Stay,
      Focus,     // put the focus on `focus`
      // A code typed into `focus` is not on file: open `list` to pick one
      // (the matching ...Picked method takes the pick; when the list is
      // cancelled the focus stays on the field).
      OpenList,
      Close,
    } action = Stay;
    std::string focus;       // the field to focus (Focus, OpenList)
    bool redisplay = true;   // show the record's values again
    std::string list;        // the list to open (OpenList)
  };

  // Opens the form on the VelCli file's current record (change, view) or on
  // a new one (insert: numbered, reserved and primed). False when the form
  // cannot open; the reason has been shown.
  bool open();

  rec::VelCli& client();
  // The common cycle under the form, for the window that renders it.
  FormCycle& cycle() { return cycle_; }
  Request request() const { return cycle_.request(); }
  const std::string& caption() const { return cycle_.caption(); }
  Response response() const { return cycle_.response(); }

  // Values the form shows beside the record.
  std::int16_t CAGE() const { return cage_; }  // "Principal Member Age"
  std::int16_t SAGE() const { return sage_; }  // "Spouse Age"
  // "Prem To Pay Over" is shown to the administrator only.
  bool premToPayShown() const { return premToPayShown_; }
  // The link the e-mail field opens in the user's mail program: "mailto:"
  // and the address; blank when there is no address.
  std::string emailLink();
  // The three buttons of each dependant list: shown unless a plan hid them.
  bool childButtonsShown() const { return childButtons_; }
  bool extendedButtonsShown() const { return extendedButtons_; }

  // A field completed by the clerk; its new value is already in the record.
  // A lookup field (bank, towns, route, SMS reason, plan, agent, collector)
  // that is not blank is looked up in its file; a typed plan code is only
  // checked, the premiums come with a pick from the plan list.
  Reply accepted(std::string_view field);
  // A date picked with a calendar button ("Select Birth Date" for DOB and
  // S_DOB, "Select a Date" for the others): written and accepted.
  Reply datePicked(std::string_view field, std::int32_t day);
  // The status choice (ACTIVE) set to one of its texts.
  Reply statusChosen(std::string_view status);

  // The list buttons, after the list returned with a pick.
  Reply bankPicked(const rec::BankList& bank);
  Reply routePicked();  // ROUTE from SEL_ROUTE
  Reply smsReasonPicked(const rec::SMS_Data& reason);
  Reply agentPicked(const rec::Agent& agent);
  Reply collectorPicked(const rec::Collect& collector);
  Reply planPicked();   // the plan row in SEL_PLAN ... SEL_COVER

  // A button of the children's or the extended family's list: true when the
  // dependant form may open. A refusal has been shown.
  bool dependantAction(DependantList list, DependantAction action);
  // "Copy Data to Hamper".
  CopyToHamperResult copyDataToHamper();

  Reply ok();      // "&Accept"
  Reply cancel();  // "&Cancel" or the window closed

 private:
  Reply setActiveNow();
  Reply lookUp(std::string_view field);
  std::string lookupList(std::string_view field) const;
  Reply from(const FormCycle::Outcome& o);
  void showButtons(std::string_view plan, std::string_view option);
  void prime();
  std::int32_t today() const { return clock_.today(); }

  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  FormDecl decl_;
  FormCycle cycle_;
  std::optional<rec::VelCli> old_;  // values when a change opened
  std::string oldActive_ = "Active";
  double correctedFrom_ = 0;        // the premium the ledger bills, for the correction
  std::optional<PlanRate> picked_;  // the plan row picked on this opening
  double agentComm_ = 0, collComm_ = 0;  // CommStr.AGENT, CommStr.COLL
  std::int16_t idChecks_ = 0, spouseIdChecks_ = 0;  // ID_CHECKS, S_ID_CHECKS
  std::int16_t cage_ = 0, sage_ = 0;
  bool premToPayShown_ = false;
  bool childButtons_ = true, extendedButtons_ = true;
};

}  // namespace vel
