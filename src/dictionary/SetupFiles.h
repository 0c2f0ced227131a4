// Reference and setup files: the lists and settings the member and ledger
// files refer to. People who sell and collect (Agent, Collect), places (Route,
// Town, Postal), banks (BankName, BankList, BankBranch, Banks), public
// holidays, plans and their premiums (Plan, PlanChd, CommStr), users, the
// single-record settings files (Config, FConfig, BDetal, DefPrn, VelData),
// receipt books and cash handed in (Receipt, Cashbox, ReceiveR, RecPrn,
// AgeIss) and the reminder message texts (SMS_Data).
#pragma once

#include "dictionary/Layout.h"

namespace vel::rec {

// The branch record.
#define VEL_FCONFIG_FIELDS(F) \
  F(BRANCH_ID, Text<4>)       \
  F(RESERVED1, Long)          \
  F(RESERVED2, Long)
VEL_RECORD(FConfig, VEL_FCONFIG_FIELDS);

// Kept by the invoice run: DATE is the day on or after which the next
// automatic run may happen.
#define VEL_VELDATA_FIELDS(F) \
  F(DATE, Long)               \
  F(BRANCH_ID, Text<4>)       \
  F(PREMIUM, Real)
VEL_RECORD(VelData, VEL_VELDATA_FIELDS);

// Business details printed on documents, and the SMS gateway account.
#define VEL_BDETAL_FIELDS(F) \
  F(BUS_NAME, Text<50>)      \
  F(PHYS1, Text<30>)         \
  F(PHYS2, Text<30>)         \
  F(PHYS3, Text<30>)         \
  F(CODE, Text<4>)           \
  F(TELEPHONE, Text<15>)     \
  F(FAX, Text<15>)           \
  F(EMAIL, Text<50>)         \
  F(BANK, Text<20>)          \
  F(BANKBRANCH, Text<20>)    \
  F(BANKCODE, Text<8>)       \
  F(ACCHOLDER, Text<30>)     \
  F(ACCNO, Text<20>)         \
  F(USERNAME, Text<25>)      \
  F(PASSWORD, Text<25>)      \
  F(CON_EMAIL, Text<80>)     \
  F(CELL_NO, Text<10>)
VEL_RECORD(BDetal, VEL_BDETAL_FIELDS);

// Postal codes by town and suburb.
#define VEL_POSTAL_FIELDS(F) \
  F(TOWN, Text<30>)          \
  F(SUBURB, Text<40>)        \
  F(POSTAL, Text<4>)         \
  F(STREET, Text<4>)
VEL_RECORD(Postal, VEL_POSTAL_FIELDS);

// A user who may log in; CODE is numbered by the file.
#define VEL_USERS_FIELDS(F) \
  F(CODE, Short)            \
  F(SURNAME, Text<20>)      \
  F(NAME1, Text<20>)        \
  F(NAME2, Text<20>)        \
  F(USERNAME, Text<10>)     \
  F(PASSWORD, Text<10>)     \
  F(INV, Byte)              \
  F(STATUS, Text<20>)
VEL_RECORD(Users, VEL_USERS_FIELDS);

// A bank branch. BankBranch and BankList share this layout (their keys
// differ).
#define VEL_BANK_BRANCH_FIELDS(F) \
  F(NAME, Text<30>)               \
  F(BRANCH, Text<30>)             \
  F(CODE, Text<6>)                \
  F(CONTACT, Text<30>)            \
  F(PHONE, Text<20>)              \
  F(ADDRESS, Text<50>)
VEL_RECORD(BankBranch, VEL_BANK_BRANCH_FIELDS);
VEL_RECORD(BankList, VEL_BANK_BRANCH_FIELDS);

// A public holiday; DATE is a day number.
#define VEL_HOLIDAY_FIELDS(F) \
  F(DATE, Long)               \
  F(DESCRIPTION, Text<30>)
VEL_RECORD(Holiday, VEL_HOLIDAY_FIELDS);

// System settings, one record. The RESERVED fields keep their place and
// width; nothing reads or writes them.
#define VEL_CONFIG_FIELDS(F) \
  F(DATE, Long)              \
  F(RESERVED1, Text<10>)     \
  F(RESERVED2, Long)         \
  F(RESERVED3, Long)         \
  F(RESERVED4, Long)         \
  F(NAME, Text<50>)          \
  F(ADDR1, Text<30>)         \
  F(ADDR2, Text<30>)         \
  F(ADDR3, Text<30>)         \
  F(VATRATE, Real)           \
  F(BRANCH_ID, Text<4>)      \
  F(ARC_FILE, Text<80>)      \
  F(TRADING_NAME, Text<50>)  \
  F(CC_NO, Text<15>)         \
  F(MFRC_NO, Text<10>)       \
  F(ADD4, Text<4>)           \
  F(RESERVED5, Long)         \
  F(RESERVED6, Long)         \
  F(SECURITY, Byte)          \
  F(EOD, Byte)               \
  F(INTCALC, Byte)           \
  F(ALLPS, Byte)             \
  F(MLCB, Byte)              \
  F(GROUP, Text<20>)         \
  F(SH_NAME, Text<20>)       \
  F(CREDLIFE, Byte)          \
  F(POLNO, Text<20>)         \
  F(SPARE, Text<20>)
VEL_RECORD(Config, VEL_CONFIG_FIELDS);

// A bank name: parent of BankList and BankBranch through NAME.
#define VEL_BANKNAME_FIELDS(F) F(NAME, Text<30>)
VEL_RECORD(BankName, VEL_BANKNAME_FIELDS);

// One of the scheme's own bank accounts.
#define VEL_BANKS_FIELDS(F) \
  F(NAME, Text<30>)         \
  F(ACCOUNT, Text<16>)      \
  F(CODE, Text<6>)          \
  F(TYPE, Text<15>)         \
  F(DESCRIPTION, Text<30>)  \
  F(DEFAULT, Byte)
VEL_RECORD(Banks, VEL_BANKS_FIELDS);

// A person in the field: Agent (sales agents) and Collect (collectors) share
// this layout.
#define VEL_FIELD_PERSON_FIELDS(F) \
  F(CODE, Text<5>)                 \
  F(SURNAME, Text<20>)             \
  F(FNAME, Text<20>)               \
  F(MIDNAME, Text<20>)             \
  F(TELNO, Text<15>)               \
  F(CELLNO, Text<10>)              \
  F(SENT, Byte)
VEL_RECORD(Agent, VEL_FIELD_PERSON_FIELDS);
VEL_RECORD(Collect, VEL_FIELD_PERSON_FIELDS);

// A receipt issued to an agent and received back.
#define VEL_AGEISS_FIELDS(F) \
  F(CODE, Text<5>)           \
  F(DATE_ISS, Long)          \
  F(DATE_REC, Long)          \
  F(PREFIX, Text<5>)         \
  F(NUMBER, Short)           \
  F(AMOUNT, Real)            \
  F(CLIENT_ID, Text<10>)
VEL_RECORD(AgeIss, VEL_AGEISS_FIELDS);

// A receipt received from an agent.
#define VEL_RECEIVER_FIELDS(F) \
  F(DATE, Long)                \
  F(CODE, Text<5>)             \
  F(AMOUNT, Real)              \
  F(NUMBER, Long)              \
  F(CLIENT_ID, Text<10>)
VEL_RECORD(ReceiveR, VEL_RECEIVER_FIELDS);

// A receipt waiting to be printed.
#define VEL_RECPRN_FIELDS(F) \
  F(DATE, Long)              \
  F(NUMBER, Long)            \
  F(AMOUNT, Real)            \
  F(CLIENTID, Text<10>)      \
  F(PRINTED, Byte)           \
  F(ADD1, Text<30>)          \
  F(ADD2, Text<30>)          \
  F(ADD3, Text<30>)          \
  F(PCODE, Short)            \
  F(SURNAME, Text<25>)       \
  F(INIT, Text<5>)
VEL_RECORD(RecPrn, VEL_RECPRN_FIELDS);

// A plan premium for a dependant of one age group.
#define VEL_PLANCHD_FIELDS(F) \
  F(PLAN, Text<3>)            \
  F(TYPE, Text<15>)           \
  F(PREMIUM, Real)            \
  F(PAYOVER, Real)            \
  F(COMM, Real)               \
  F(COVER, Real)              \
  F(AGEGROUP, Text<10>)
VEL_RECORD(PlanChd, VEL_PLANCHD_FIELDS);

// A plan for the main member.
#define VEL_PLAN_FIELDS(F) \
  F(PLAN, Text<3>)         \
  F(TYPE, Text<15>)        \
  F(PREMIUM, Real)         \
  F(PAY_OVER, Real)        \
  F(COMM, Real)            \
  F(COVER, Real)
VEL_RECORD(Plan, VEL_PLAN_FIELDS);

// The commission structure, one record.
#define VEL_COMMSTR_FIELDS(F) \
  F(AGENT, Real)              \
  F(COLL, Real)
VEL_RECORD(CommStr, VEL_COMMSTR_FIELDS);

// Cash handed in by an agent, counted by note and coin.
#define VEL_CASHBOX_FIELDS(F) \
  F(DATE, Long)               \
  F(CODE, Text<5>)            \
  F(PREFIX, Text<5>)          \
  F(START, Long)              \
  F(MEND, Long)               \
  F(IN_TOTAL, Real)           \
  F(R200, Short)              \
  F(R100, Short)              \
  F(R50, Short)               \
  F(R20, Short)               \
  F(R10, Short)               \
  F(R5, Short)                \
  F(R2, Short)                \
  F(R1, Short)                \
  F(C50, Short)               \
  F(C20, Short)               \
  F(C10, Short)               \
  F(C05, Short)               \
  F(C02, Short)               \
  F(C01, Short)               \
  F(CSH_TOTAL, Real)
VEL_RECORD(Cashbox, VEL_CASHBOX_FIELDS);

// A receipt book issued to an agent: prefix and number range.
#define VEL_RECEIPT_FIELDS(F) \
  F(CODE, Text<5>)            \
  F(DATE, Long)               \
  F(PREFIX, Text<5>)          \
  F(START, Long)              \
  F(MEND, Long)
VEL_RECORD(Receipt, VEL_RECEIPT_FIELDS);

// Default switches for premium-reminder messages, one record.
#define VEL_DEFPRN_FIELDS(F) \
  F(ON_INV, Byte)            \
  F(ON_PAY, Byte)            \
  F(ON_5LATE, Byte)          \
  F(ON_10LATE, Byte)
VEL_RECORD(DefPrn, VEL_DEFPRN_FIELDS);

// A town name.
#define VEL_TOWN_FIELDS(F) F(TOWN, Text<30>)
VEL_RECORD(Town, VEL_TOWN_FIELDS);

// A collection route.
#define VEL_ROUTE_FIELDS(F) \
  F(ROUTE, Text<20>)        \
  F(DESCRIPTION, Text<100>)
VEL_RECORD(Route, VEL_ROUTE_FIELDS);

// A reminder message text and the reason it is sent for.
#define VEL_SMS_DATA_FIELDS(F) \
  F(REASON, Text<39>)          \
  F(XMESSAGE, Text<160>)
VEL_RECORD(SMS_Data, VEL_SMS_DATA_FIELDS);

}  // namespace vel::rec
