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

CopyToHamperResult copyToHamper(Ui& ui, FileManager& hamper, rec::VelCli& client) {
  if (ui.message("If all the policy holder data is complete, do you want to copy to the Hamper "
                 "database??",
                 "Copy Data", Icon::Exclamation, kYes | kNo, kNo) != kYes)
    return CopyToHamperResult::Declined;

  FileUse use(hamper);
  if (hamper.EnsureOpen() != kDone) return CopyToHamperResult::Failed;
  const int byClient = hamper.keyIndex("By_Client");
  std::unique_ptr<Transaction> tx;
  StoreContext& ctx = hamper.context();
  // The look-up and the add under one lock, so two stations copying the
  // same client add one member.
  if (ctx.engine->begin({hamper.engineFile()}, ctx.transactionTimeout, tx) != ecode::kNone) {
    ctx.errors->SetFile(hamper.label());
    ctx.errors->Throw(msg::TransactionCancelled);
    return CopyToHamperResult::Failed;
  }
  hamper.ClearBuffer();
  hamper.rec<rec::Hamper>().CLIENT_ID = client.CLIENT_ID;
  CopyToHamperResult result;
  // Found gives kDone, not found kFailed; a look-up that could not be made
  // (a lock held beyond the wait, a damaged page) kNotUsable.
  const int found = hamper.TryGetByKey(byClient);
  if (found == kDone) {
    result = CopyToHamperResult::AlreadyMember;
  } else if (found != kFailed) {
    tx->rollback();
    hamper.report(msg::RetrievalError);
    return CopyToHamperResult::Failed;
  } else {
    // Added as it stands, keeping the client's NUMBER: the member is the
    // client's twin, not a newly numbered one.
    hamperFromClient(client, hamper.rec<rec::Hamper>());
    if (hamper.engineFile()->add(hamper.buffer()) != ecode::kNone ||
        tx->commit() != ecode::kNone) {
      EngineStatus keep = engineStatus();
      tx->rollback();
      setEngineStatus(keep);
      ctx.errors->SetFile(hamper.label());
      ctx.errors->Throw(msg::InsertError);
      return CopyToHamperResult::Failed;
    }
    result = CopyToHamperResult::Added;
  }
  if (tx->active()) tx->commit();
  client.PLANPREM = client.PREMIUM;
  return result;
}

}  // namespace vel
