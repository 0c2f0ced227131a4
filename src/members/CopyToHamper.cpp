#include "members/CopyToHamper.h"

#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "recordstore/FileManager.h"

namespace vel {

void hamperFromClient(const rec::VelCli& c, rec::Hamper& h) {
  h = rec::Hamper{};
  h.NUMBER = c.NUMBER;
  h.CLIENT_ID = c.CLIENT_ID;
  h.DATE = c.DATE;
  h.SURNAME = c.SURNAME;
  h.FIRSTNAME = c.FIRSTNAME;
  h.MIDDLENAME = c.MIDDLENAME;
  h.INITIALS = c.INITIALS;
  h.TITLE = c.TITLE;
  h.ID_NUMBER = c.ID_NUMBER;
  h.DOB = c.DOB;
  h.GENDER = c.GENDER;
  h.MAIDENNAME = c.MAIDENNAME;
  h.H_ADDR1 = c.H_ADDR1;
  h.H_ADDR2 = c.H_ADDR2;
  h.H_ADDR3 = c.H_ADDR3;
  h.H_CODE = c.H_CODE;
  h.P_ADDR1 = c.P_ADDR1;
  h.P_ADDR2 = c.P_ADDR2;
  h.P_ADDR3 = c.P_ADDR3;
  h.P_CODE = c.P_CODE;
  h.PHONE_HOME = c.PHONE_HOME;
  h.PHONE_WORK = c.PHONE_WORK;
  h.PHONE_CELL = c.PHONE_CELL;
  h.BANK_NAME = c.BANK_NAME;
  h.BRANCH_NAME = c.BRANCH_NAME;
  h.BRANCH_CODE = c.BRANCH_CODE;
  h.ACCOUNT_NUMBER = c.ACCOUNT_NUMBER;
  h.ACCOUNT_TYPE = c.ACCOUNT_TYPE;
  h.REMARKS = c.REMARKS;
  h.MARITAL_STAT = c.MARITAL_STAT;
  h.B1_FIRSTNAME = c.B1_FIRSTNAME;
  h.B1_SURNAME = c.B1_SURNAME;
  h.B1_ID_NUMBER = c.B1_ID_NUMBER;
  h.B1_DOB = c.B1_DOB;
  h.B1_RELATION = c.B1_RELATION;
  h.B1_ADD1 = c.B1_ADD1;
  h.B1_ADD2 = c.B1_ADD2;
  h.B1_ADD3 = c.B1_ADD3;
  h.B1_CODE = c.B1_CODE;
  h.B1_CONTACT = c.B1_CONTACT;
  h.INVOICED = c.INVOICED;
  h.SENT = c.SENT;
  h.AGE_CODE = c.AGE_CODE;
  h.AGE_SURNAME = c.AGE_SURNAME;
  h.AGE_FNAME = c.AGE_FNAME;
  h.COL_CODE = c.COL_CODE;
  h.COL_SURNAME = c.COL_SURNAME;
  h.COL_FNAME = c.COL_FNAME;
  h.S_SURNAME = c.S_SURNAME;
  h.S_FIRSTNAME = c.S_FIRSTNAME;
  h.S_ID_NUMBER = c.S_ID_NUMBER;
  h.S_DOB = c.S_DOB;
  h.S_GENDER = c.S_GENDER;
  h.ACTIVE = c.ACTIVE;
  h.EMAIL = c.EMAIL;
  h.ROUTE = c.ROUTE;
  h.S_ACTIVE = c.S_ACTIVE;
  h.STRNO = c.STRNO;
  // The member pays the hamper contribution chosen on the client form.
  h.PREMIUM = c.HAMPER;
  // Messages and commissions start afresh on the hamper side.
  h.SMS_DATE = 0;
  h.SMS_REA.clear();
  h.SMS_MESS.clear();
  h.SMS_SENDIT = 0;
  h.MYCOMM = 0;
  h.AGE_COMM = 0;
  h.COL_COMM = 0;
}

namespace {

// Found gives kDone, not found kFailed; a look-up that could not be made
// (a lock held beyond the wait, a damaged page) anything else.
bool notOnFile(FileManager& f, int rc) {
  const int code = f.LastEngineCode();
  return rc == kFailed && (code == ecode::kRecordNotFound || code == ecode::kNoRecord);
}

// The next free member number: one above the highest in By_Number (1 in an
// empty file). False when the key could not be read.
bool nextMemberNumber(FileManager& hamper, std::int64_t& number) {
  EngineFile* file = hamper.engineFile();
  rec::Hamper highest;
  int rc = file->setOrder(hamper.keyIndex("By_Number"));
  if (rc == ecode::kNone) rc = file->previous(&highest);
  if (rc == ecode::kNoRecord) {
    number = 1;
    return true;
  }
  if (rc != ecode::kNone) return false;
  number = highest.NUMBER + 1;
  return true;
}

}  // namespace

HamperAdd addHamperMember(FileManager& hamper, const rec::VelCli& client) {
  HamperAdd out;
  StoreContext& ctx = hamper.context();
  hamper.ClearBuffer();
  hamper.rec<rec::Hamper>().CLIENT_ID = client.CLIENT_ID;
  int rc = hamper.TryGetByKey(hamper.keyIndex("By_Client"));
  if (rc == kDone) {
    out.result = CopyToHamperResult::AlreadyMember;
    return out;
  }
  if (!notOnFile(hamper, rc)) {
    hamper.report(msg::RetrievalError);
    return out;
  }
  // The client's own number when it is free, else the next one.
  std::int64_t number = client.NUMBER;
  bool kept = number >= 1;
  if (kept) {
    hamper.ClearBuffer();
    hamper.rec<rec::Hamper>().NUMBER = number;
    rc = hamper.TryGetByKey(hamper.keyIndex("By_Number"));
    if (rc == kDone) {
      kept = false;
    } else if (!notOnFile(hamper, rc)) {
      hamper.report(msg::RetrievalError);
      return out;
    }
  }
  if (!kept && !nextMemberNumber(hamper, number)) {
    hamper.report(msg::RetrievalError);
    return out;
  }
  rec::Hamper& member = hamper.rec<rec::Hamper>();
  hamperFromClient(client, member);
  member.NUMBER = number;
  if (hamper.engineFile()->add(hamper.buffer()) != ecode::kNone) {
    ctx.errors->SetFile(hamper.label());
    ctx.errors->Throw(msg::InsertError);
    return out;
  }
  out.result = CopyToHamperResult::Added;
  out.number = number;
  out.keptNumber = kept;
  return out;
}

std::string renumberedText(const rec::VelCli& client, std::int64_t number) {
  return "Hamper number " + std::to_string(client.NUMBER.value) +
         " is held by another member; " + client.CLIENT_ID.text() +
         " was added as hamper member " + std::to_string(number) + ".";
}

CopyToHamperResult copyToHamper(Ui& ui, FileManager& hamper, rec::VelCli& client) {
  if (ui.message("If all the policy holder data is complete, do you want to copy to the Hamper "
                 "database??",
                 "Copy Data", Icon::Exclamation, kYes | kNo, kNo) != kYes)
    return CopyToHamperResult::Declined;

  FileUse use(hamper);
  if (hamper.EnsureOpen() != kDone) return CopyToHamperResult::Failed;
  std::unique_ptr<Transaction> tx;
  StoreContext& ctx = hamper.context();
  // The look-up, the choice of number and the add under one lock, so two
  // stations copying the same client add one member, and two members never
  // take the same number.
  if (ctx.engine->begin({hamper.engineFile()}, ctx.transactionTimeout, tx) != ecode::kNone) {
    ctx.errors->SetFile(hamper.label());
    ctx.errors->Throw(msg::TransactionCancelled);
    return CopyToHamperResult::Failed;
  }
  const HamperAdd added = addHamperMember(hamper, client);
  if (added.result == CopyToHamperResult::Failed) {
    EngineStatus keep = engineStatus();
    tx->rollback();
    setEngineStatus(keep);
    return CopyToHamperResult::Failed;
  }
  if (tx->commit() != ecode::kNone) {
    EngineStatus keep = engineStatus();
    tx->rollback();
    setEngineStatus(keep);
    ctx.errors->SetFile(hamper.label());
    ctx.errors->Throw(msg::InsertError);
    return CopyToHamperResult::Failed;
  }
  client.PLANPREM = client.PREMIUM;
  if (added.result == CopyToHamperResult::Added && !added.keptNumber)
    ui.message(renumberedText(client, added.number), "Copy Data", Icon::Information, kOk, kOk);
  return added.result;
}

}  // namespace vel
