// The cycle every update form goes through: the questions on leaving, OK
// accepting every entry, the delete confirmation, the retry loop, another
// station's change, and the number an abandoned insert gives back.
#include "common/Dates.h"
#include "dictionary/SetupFiles.h"
#include "forms/FormCycle.h"
#include "forms/FormsFixture.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

EntryDecl entry(const char* prompt, const char* field) {
  EntryDecl e;
  e.prompt = prompt;
  e.field = field;
  return e;
}

rec::Town town(const char* name) {
  rec::Town t;
  t.TOWN = name;
  return t;
}

rec::Postal postal(const char* town, const char* suburb) {
  rec::Postal p;
  p.TOWN = town;
  p.SUBURB = suburb;
  return p;
}

FormDecl townForm() {  // "Changes will be lost!", confirm delete
  FormDecl f;
  f.procedure = "Update_Town";
  f.file = "Town";
  f.tabs = {{"General", {entry("Town:", "TOWN")}}};
  return f;
}

FormDecl holidayForm() {  // "Save Record"
  FormDecl f;
  f.procedure = "Update_Holidays";
  f.file = "Holiday";
  EntryDecl date = entry("Date:", "DATE");
  date.kind = EntryKind::Day;
  f.tabs = {{"General", {date, entry("Description:", "DESCRIPTION")}}};
  return f;
}

FormDecl postalForm() {  // "Save Record"
  FormDecl f;
  f.procedure = "Update_Postal";
  f.file = "Postal";
  f.tabs = {{"General", {entry("Town:", "TOWN"), entry("Suburb:", "SUBURB")}}};
  return f;
}

class FormCycleTest : public FormsFixture {
 protected:
  // Makes the record at `pos` current, as the list does before a form opens.
  template <class R>
  void current(const std::string& pos) {
    FileManager& f = files.fm<R>();
    f.Open();
    ASSERT_EQ(kDone, f.Reget(pos));
  }
  void release(const char* label) { files.fm(label).Close(); }
};

TEST_F(FormCycleTest, LeavingAChangedRecordAsksTheFormsOwnQuestion) {
  std::string pos = add(town("Mthatha"));
  FormDecl town = townForm();
  current<rec::Town>(pos);
  {
    FormCycle c(files, ui, town, Request::Change);
    ASSERT_TRUE(c.open());
    c.file().rec<rec::Town>().TOWN = "Butterworth";
    ui.expect("Changes will be lost!", kNo, "Are you sure you want to cancel?");
    EXPECT_EQ(FormCycle::Outcome::Focus, c.leave().action);
    ui.expect("Changes will be lost!", kYes);
    EXPECT_EQ(FormCycle::Outcome::Close, c.leave().action);
    EXPECT_EQ(Response::Cancelled, c.response());
  }
  release("Town");
  EXPECT_EQ("Mthatha", all<rec::Town>().at(0).TOWN.text());

  // "Save Record": Yes saves the change.
  rec::Postal p;
  p.TOWN = "Mthatha";
  p.SUBURB = "Ncambedlana";
  std::string ppos = add(p);
  FormDecl postal = postalForm();
  current<rec::Postal>(ppos);
  {
    FormCycle c(files, ui, postal, Request::Change);
    ASSERT_TRUE(c.open());
    c.file().rec<rec::Postal>().SUBURB = "Northcrest";
    ui.expect("Save Record", kCancel, "Do you want to save the changes to this record?");
    EXPECT_EQ(FormCycle::Outcome::Focus, c.leave().action);
    ui.expect("Save Record", kYes);
    EXPECT_EQ(FormCycle::Outcome::Close, c.leave().action);
    EXPECT_EQ(Response::Completed, c.response());
  }
  release("Postal");
  EXPECT_EQ("Northcrest", all<rec::Postal>().at(0).SUBURB.text());
}

TEST_F(FormCycleTest, LeavingWithoutAChangeOrInViewAsksNothing) {
  std::string pos = add(town("Mthatha"));
  FormDecl town = townForm();
  for (Request r : {Request::Change, Request::View, Request::Insert}) {
    current<rec::Town>(pos);
    FormCycle c(files, ui, town, r);
    ASSERT_TRUE(c.open());
    if (r == Request::View) c.file().rec<rec::Town>().TOWN = "typed in view";
    EXPECT_EQ(FormCycle::Outcome::Close, c.leave().action);
    EXPECT_EQ(Response::Cancelled, c.response());
    release("Town");
  }
  EXPECT_EQ(1u, all<rec::Town>().size());
}

TEST_F(FormCycleTest, TypedTextTheRecordCouldNotTakeStillAsksBeforeLeaving) {
  rec::Holiday h;
  h.DATE = dateFromYmd(2026, 12, 25);
  h.DESCRIPTION = "Christmas";
  std::string pos = add(h);
  FormDecl t = holidayForm();
  current<rec::Holiday>(pos);
  FormCycle c(files, ui, t, Request::Change);
  ASSERT_TRUE(c.open());
  c.hold(0, "45/13/2026");
  ui.expect("Save Record", kNo);
  EXPECT_EQ(FormCycle::Outcome::Close, c.leave().action);
}

TEST_F(FormCycleTest, SaveRecordYesRefusesTypedTextThatCannotBeReadAndSavesNothing) {
  rec::Holiday h;
  h.DATE = dateFromYmd(2026, 12, 25);
  h.DESCRIPTION = "Christmas";
  std::string pos = add(h);
  FormDecl form = holidayForm();
  current<rec::Holiday>(pos);
  {
    FormCycle c(files, ui, form, Request::Change);
    ASSERT_TRUE(c.open());
    c.hold(0, "45/13/2026");
    c.file().rec<rec::Holiday>().DESCRIPTION = "Christmas Day";
    ui.expect("Save Record", kYes);
    ui.expect("Invalid Entry", kOk, "45/13/2026 is not a date");
    FormCycle::Outcome o = c.leave();
    EXPECT_EQ(FormCycle::Outcome::Focus, o.action);
    EXPECT_EQ(0, o.entry);
    {  // read as another station would: this thread's buffer is the form's
      ScriptedUi otherUi;
      ErrorManager otherErrors(otherUi);
      auto otherEngine = test::makeEngineFor(dir.path());
      DataFiles other(dir.path(), *otherEngine, otherErrors);
      EXPECT_EQ("Christmas", readAll<rec::Holiday>(other).at(0).DESCRIPTION.text());
    }

    // OK refuses it the same way; text that reads is taken and saved.
    ui.expect("Invalid Entry", kOk, "45/13/2026 is not a date");
    EXPECT_EQ(FormCycle::Outcome::Focus, c.ok().action);
    ui.expect("Invalid Entry", kOk, "31/02/2026 is not a date");
    EXPECT_FALSE(c.enter(0, "31/02/2026"));
    EXPECT_TRUE(c.enter(0, "26/12/2026"));
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  }
  release("Holiday");
  auto saved = all<rec::Holiday>().at(0);
  EXPECT_EQ(dateFromYmd(2026, 12, 26), saved.DATE.value);
  EXPECT_EQ("Christmas Day", saved.DESCRIPTION.text());
}

TEST_F(FormCycleTest, ADuplicateNamesTheFieldsOfTheKey) {
  add(town("Mthatha"));
  FormDecl t = townForm();
  FormCycle c(files, ui, t, Request::Insert);
  ASSERT_TRUE(c.open());
  c.file().rec<rec::Town>().TOWN = "MTHATHA";  // keys ignore case
  ui.expect("Duplicate Key Error", kOk,
            "Adding this record creates a duplicate entry for the key: Town");
  EXPECT_EQ(FormCycle::Outcome::Focus, c.ok().action);
  EXPECT_EQ(1u, all<rec::Town>().size());
}

TEST_F(FormCycleTest, OkStopsAtTheFirstFailingEntryEvenOneNeverVisited) {
  FormDecl postal = postalForm();
  int checked = 0;
  postal.tabs[0].entries[1].check = [&](EntryContext& c) {
    ++checked;
    return !static_cast<rec::Postal*>(c.record)->SUBURB.blank();
  };
  {
    FormCycle c(files, ui, postal, Request::Insert);
    ASSERT_TRUE(c.open());
    c.file().rec<rec::Postal>().TOWN = "Mthatha";  // the suburb entry is never touched
    FormCycle::Outcome o = c.ok();
    EXPECT_EQ(FormCycle::Outcome::Focus, o.action);
    EXPECT_EQ(1, o.entry);
    EXPECT_EQ(1, checked);
    c.file().rec<rec::Postal>().SUBURB = "Fort Gale";
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    EXPECT_EQ(Response::Completed, c.response());
  }
  ASSERT_EQ(1u, all<rec::Postal>().size());
  EXPECT_EQ("Fort Gale", all<rec::Postal>()[0].SUBURB.text());
}

TEST_F(FormCycleTest, DeleteAsksConfirmDeleteOnlyWhereTheFormSaysSo) {
  std::string pos = add(town("Mthatha"));
  FormDecl town = townForm();
  current<rec::Town>(pos);
  {
    FormCycle c(files, ui, town, Request::Delete);
    ASSERT_TRUE(c.open());
    ui.expect("Confirm Delete", kNo);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    EXPECT_EQ(Response::Cancelled, c.response());
  }
  release("Town");
  EXPECT_EQ(1u, all<rec::Town>().size());

  current<rec::Town>(pos);
  {
    FormCycle c(files, ui, town, Request::Delete);
    ASSERT_TRUE(c.open());
    ui.expect("Confirm Delete", kYes);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    EXPECT_EQ(Response::Completed, c.response());
  }
  release("Town");
  EXPECT_TRUE(all<rec::Town>().empty());

  // UpdatePlan deletes without asking.
  rec::Plan plan;
  plan.PLAN = "A";
  std::string ppos = add(plan);
  FormDecl planForm;
  planForm.procedure = "UpdatePlan";
  planForm.file = "Plan";
  current<rec::Plan>(ppos);
  {
    FormCycle c(files, ui, planForm, Request::Delete);
    ASSERT_TRUE(c.open());
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  }
  release("Plan");
  EXPECT_TRUE(all<rec::Plan>().empty());
}

TEST_F(FormCycleTest, AnAbandonedInsertGivesItsNumberBack) {
  FormDecl users;
  users.procedure = "Update_Users";
  users.file = "Users";
  users.tabs = {{"General", {entry("User Name", "USERNAME")}}};
  std::int64_t first = 0;
  {
    FormCycle c(files, ui, users, Request::Insert);
    ASSERT_TRUE(c.open());
    first = c.file().rec<rec::Users>().CODE.value;
    EXPECT_GT(first, 0);
    c.file().rec<rec::Users>().USERNAME = "thandi";
    ui.expect("Changes will be lost!", kYes);
    EXPECT_EQ(FormCycle::Outcome::Close, c.leave().action);
  }
  EXPECT_TRUE(all<rec::Users>().empty());
  {
    FormCycle c(files, ui, users, Request::Insert);
    ASSERT_TRUE(c.open());
    EXPECT_EQ(first, c.file().rec<rec::Users>().CODE.value);
    c.file().rec<rec::Users>().USERNAME = "thandi";
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  }
  ASSERT_EQ(1u, all<rec::Users>().size());
  EXPECT_EQ(first, all<rec::Users>()[0].CODE.value);
}

TEST_F(FormCycleTest, RequestsAFormDoesNotServeAreRefusedByNumber) {
  FormDecl config;
  config.procedure = "Update_Config";
  config.file = "Config";
  config.servesInsert = false;
  config.servesDelete = false;
  ui.expect("Invalid Request", kOk, "This form cannot be used to insert a record");
  EXPECT_FALSE(FormCycle(files, ui, config, Request::Insert).open());
  ui.expect("Invalid Request", kOk, "This form cannot be used to delete a record");
  EXPECT_FALSE(FormCycle(files, ui, config, Request::Delete).open());
  config.servesChange = false;
  ui.expect("Invalid Request", kOk, "This form cannot be used to update a record");
  EXPECT_FALSE(FormCycle(files, ui, config, Request::Change).open());
}

TEST_F(FormCycleTest, AFailedSaveAsksToTryAgain) {
  add(town("Butterworth"));
  std::string pos = add(town("Mthatha"));
  FormDecl town = townForm();
  current<rec::Town>(pos);
  {
    FormCycle c(files, ui, town, Request::Change);
    ASSERT_TRUE(c.open());
    c.file().rec<rec::Town>().TOWN = "Butterworth";  // the key is unique
    ui.expect("Record was not updated", kOk);
    ui.expect("Record Update Error", kCancel);
    EXPECT_EQ(FormCycle::Outcome::Focus, c.ok().action);
    ui.expect("Record was not updated", kOk);
    ui.expect("Record Update Error", kYes);
    ui.expect("Record was not updated", kOk);
    ui.expect("Record Update Error", kNo);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    EXPECT_EQ(Response::Cancelled, c.response());
  }
  release("Town");
  EXPECT_EQ("Mthatha", all<rec::Town>()[1].TOWN.text());
}

TEST_F(FormCycleTest, AnotherStationsChangeIsShownAndTheClerksEntriesCanBeRecalled) {
  std::string pos = add(postal("Mthatha", "Ncambedlana"));
  FormDecl postal = postalForm();
  current<rec::Postal>(pos);
  FormCycle c(files, ui, postal, Request::Change);
  ASSERT_TRUE(c.open());
  c.file().rec<rec::Postal>().SUBURB = "Northcrest";

  // Another station changes the town meanwhile.
  ScriptedUi otherUi;
  ErrorManager otherErrors(otherUi);
  auto otherEngine = test::makeEngineFor(dir.path());
  DataFiles other(dir.path(), *otherEngine, otherErrors);
  FileManager& o = other.fm<rec::Postal>();
  o.Open();
  o.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, o.ReadNext());
  o.rec<rec::Postal>().TOWN = "Umtata";
  ASSERT_EQ(kDone, o.Update());
  o.Close();

  ui.expect("Record Was Not Updated", kOk);
  FormCycle::Outcome out = c.ok();
  EXPECT_EQ(FormCycle::Outcome::Focus, out.action);
  EXPECT_TRUE(out.redisplay);
  EXPECT_EQ("Umtata", c.file().rec<rec::Postal>().TOWN.text());
  EXPECT_EQ("Ncambedlana", c.file().rec<rec::Postal>().SUBURB.text());
  ASSERT_TRUE(c.recall(1));  // the suburb the clerk typed comes back
  EXPECT_EQ("Northcrest", c.file().rec<rec::Postal>().SUBURB.text());
  EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  auto saved = all<rec::Postal>().at(0);
  EXPECT_EQ("Umtata", saved.TOWN.text());
  EXPECT_EQ("Northcrest", saved.SUBURB.text());
}

TEST_F(FormCycleTest, AFormThatStaysOpenAfterAnAddChangesThatRecordNext) {
  FormDecl sms;
  sms.procedure = "Update_SMS";
  sms.file = "SMS_Data";
  sms.tabs = {{"General", {entry("Reason:", "REASON"), entry("Message:", "XMESSAGE")}}};
  FormCycle c(files, ui, sms, Request::Insert);
  ASSERT_TRUE(c.open());
  c.file().rec<rec::SMS_Data>().REASON = "Funeral";
  EXPECT_EQ(FormCycle::Outcome::Focus, c.ok().action);
  EXPECT_EQ(Response::Completed, c.response());
  EXPECT_EQ(Request::Change, c.request());
  c.file().rec<rec::SMS_Data>().XMESSAGE = "Our condolences";
  EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  auto rows = all<rec::SMS_Data>();
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ("Our condolences", rows[0].XMESSAGE.text());
}

TEST(FormSettingsTable, NamesEachFormsSettingsAndDefaultsTheRest) {
  EXPECT_EQ(CancelQuestion::ChangesLost, formSettings("Update_Users").cancel);
  EXPECT_EQ(RecallKey::CtrlApostrophe, formSettings("Update_Users").recall);
  EXPECT_EQ(CancelQuestion::SaveRecord, formSettings("Update_VelCli").cancel);
  EXPECT_TRUE(formSettings("Update_CommStr").stayOpenOnInsert);
  EXPECT_FALSE(formSettings("UpdatePlan").confirmDelete);
  EXPECT_TRUE(formSettings("Update_Nothing").confirmDelete);
  EXPECT_EQ(CancelQuestion::SaveRecord, formSettings("Update_Nothing").cancel);
}

}  // namespace
}  // namespace vel::test
