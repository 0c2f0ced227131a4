// Older record layouts: the layouts earlier versions of the program wrote,
// which a data folder may still hold. Each is declared here the way the
// current layouts are (a field list and its keys) so that the conversion at
// start-up can open such a file and copy its records by field name into the
// current layout.
//
// A field an older layout shares with the current one has the same name,
// type and place; the lists below spell each layout out in full, in stored
// order, so that the byte total of each can be checked.
#pragma once

#include <string_view>
#include <vector>

#include "dictionary/Layout.h"

namespace vel::rec::older {

// --- Agent ---------------------------------------------------------------
#define VEL_AGENT_A_FIELDS(F) \
  F(CODE, Text<5>)            \
  F(SURNAME, Text<20>)        \
  F(FNAME, Text<20>)          \
  F(MIDNAME, Text<20>)        \
  F(TELNO, Text<15>)          \
  F(CELLNO, Text<10>)
VEL_RECORD(AgentA, VEL_AGENT_A_FIELDS);

// --- BDetal --------------------------------------------------------------
#define VEL_BDETAL_A_FIELDS(F) \
  F(BUS_NAME, Text<50>)        \
  F(NCR_REG, Text<20>)         \
  F(PHYS1, Text<30>)           \
  F(PHYS2, Text<30>)           \
  F(PHYS3, Text<30>)           \
  F(CODE, Text<4>)             \
  F(TELEPHONE, Text<15>)       \
  F(FAX, Text<15>)             \
  F(EMAIL, Text<50>)           \
  F(REPORATE, Real)            \
  F(DTI_NO, Text<20>)          \
  F(DESIG, Text<50>)           \
  F(BANK, Text<20>)            \
  F(BANKBRANCH, Text<20>)      \
  F(BANKCODE, Text<8>)         \
  F(ACCHOLDER, Text<30>)       \
  F(ACCNO, Text<20>)
VEL_RECORD(BDetalA, VEL_BDETAL_A_FIELDS);

// --- VelAud --------------------------------------------------------------
#define VEL_VELAUD_A_FIELDS(F) \
  F(DATE, Long)                \
  F(CLIENT_ID, Text<17>)       \
  F(C_BEFORE, Text<20>)        \
  F(C_AFTER, Text<20>)         \
  F(DESCRIP, Text<30>)         \
  F(USERNAME, Text<22>)        \
  F(TIME, Long)                \
  F(AMOUNT, Real)              \
  F(SENT, Byte)
VEL_RECORD(VelAudA, VEL_VELAUD_A_FIELDS);

// --- VelAge: the fields of today, other keys ------------------------------
#define VEL_VELAGE_A_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(TOTAL, Real)               \
  F(CURRENT, Real)             \
  F(P30, Real)                 \
  F(P60, Real)                 \
  F(P90, Real)                 \
  F(P90PLUS, Real)             \
  F(BALBF, Real)               \
  F(BRANCH_ID, Text<4>)        \
  F(SENT, Byte)
VEL_RECORD(VelAgeA, VEL_VELAGE_A_FIELDS);

// --- VelExt --------------------------------------------------------------
// A: the extended-family member carried its own agent, premium and benefit.
#define VEL_VELEXT_A_FIELDS(F) \
  F(BRANCH_ID, Text<4>)        \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Long)                \
  F(SURNAME, Text<25>)         \
  F(FIRSTNAME, Text<20>)       \
  F(MIDDLENAME, Text<20>)      \
  F(INITIALS, Text<3>)         \
  F(TITLE, Text<6>)            \
  F(ID_NUMBER, Text<13>)       \
  F(DOB, Long)                 \
  F(GENDER, Text<10>)          \
  F(SENT, Byte)                \
  F(AGE_GROUP, Text<20>)       \
  F(RELATE, Text<20>)          \
  F(AGE_CODE, Text<5>)         \
  F(AGE_SURNAME, Text<20>)     \
  F(AGE_FNAME, Text<20>)       \
  F(AGE_COMM, Real)            \
  F(PREMIUM, Real)             \
  F(ADMIN, Real)               \
  F(RISK, Real)                \
  F(OPTION, Text<1>)           \
  F(BENEFIT, Real)             \
  F(ACTIVE, Byte)              \
  F(WAIT_DATE, Long)
VEL_RECORD(VelExtA, VEL_VELEXT_A_FIELDS);

#define VEL_VELEXT_B_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Long)                \
  F(SURNAME, Text<25>)         \
  F(FIRSTNAME, Text<20>)       \
  F(MIDDLENAME, Text<20>)      \
  F(INITIALS, Text<3>)         \
  F(TITLE, Text<6>)            \
  F(ID_NUMBER, Text<13>)       \
  F(DOB, Long)                 \
  F(GENDER, Text<10>)          \
  F(SENT, Byte)                \
  F(AGE_GROUP, Text<20>)       \
  F(RELATE, Text<20>)          \
  F(ACTIVE, Byte)              \
  F(WAIT_DATE, Long)           \
  F(NUMBER, Short)
VEL_RECORD(VelExtB, VEL_VELEXT_B_FIELDS);

// C: the fields of today, with the client key only.
#define VEL_VELEXT_C_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Long)                \
  F(SURNAME, Text<25>)         \
  F(FIRSTNAME, Text<20>)       \
  F(MIDDLENAME, Text<20>)      \
  F(INITIALS, Text<3>)         \
  F(TITLE, Text<6>)            \
  F(ID_NUMBER, Text<13>)       \
  F(DOB, Long)                 \
  F(GENDER, Text<10>)          \
  F(SENT, Byte)                \
  F(AGE_GROUP, Text<20>)       \
  F(RELATE, Text<20>)          \
  F(ACTIVE, Text<10>)          \
  F(DATECHANGE, Long)          \
  F(WAIT_DATE, Long)           \
  F(NUMBER, Short)
VEL_RECORD(VelExtC, VEL_VELEXT_C_FIELDS);

// --- VelCli --------------------------------------------------------------
// G: the first client record, with the children inside it and a second
// beneficiary.
#define VEL_VELCLI_G_CHILD_(F, n) \
  F(C##n##_SURNAME, Text<20>)     \
  F(C##n##_FIRSTNAME, Text<20>)   \
  F(C##n##_ID_NUMBER, Text<13>)   \
  F(C##n##_DOB, Long)             \
  F(C##n##_BENEFIT, Real)         \
  F(C##n##_AGE, Short)
#define VEL_VELCLI_G_FIELDS(F) \
  F(NUMBER, Long)              \
  F(BRANCH_ID, Text<4>)        \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Long)                \
  F(SURNAME, Text<25>)         \
  F(FIRSTNAME, Text<20>)       \
  F(MIDDLENAME, Text<20>)      \
  F(INITIALS, Text<3>)         \
  F(TITLE, Text<6>)            \
  F(ID_NUMBER, Text<13>)       \
  F(DOB, Long)                 \
  F(GENDER, Text<10>)          \
  F(H_ADDR1, Text<30>)         \
  F(H_ADDR2, Text<30>)         \
  F(H_ADDR3, Text<30>)         \
  F(H_CODE, Short)             \
  F(P_ADDR1, Text<30>)         \
  F(P_ADDR2, Text<30>)         \
  F(P_ADDR3, Text<30>)         \
  F(P_CODE, Short)             \
  F(PHONE_HOME, Text<15>)      \
  F(PHONE_WORK, Text<15>)      \
  F(PHONE_CELL, Text<15>)      \
  F(BANK_NAME, Text<30>)       \
  F(BRANCH_NAME, Text<30>)     \
  F(BRANCH_CODE, Text<6>)      \
  F(ACCOUNT_NUMBER, Text<15>)  \
  F(ACCOUNT_TYPE, Text<12>)    \
  F(REMARKS, Text<10240>)      \
  F(MARITAL_STAT, Text<1>)     \
  F(B1_FIRSTNAME, Text<20>)    \
  F(B1_SURNAME, Text<20>)      \
  F(B1_ID_NUMBER, Text<13>)    \
  F(B1_DOB, Long)              \
  F(B1_RELATION, Text<20>)     \
  F(B1_ADD1, Text<30>)         \
  F(B1_ADD2, Text<30>)         \
  F(B1_ADD3, Text<20>)         \
  F(B1_CODE, Text<4>)          \
  F(B1_CONTACT, Text<20>)      \
  F(B2_FIRSTNAME, Text<20>)    \
  F(B2_SURNAME, Text<20>)      \
  F(B2_ID_NUMBER, Text<13>)    \
  F(B2_DOB, Long)              \
  F(B2_RELATION, Text<20>)     \
  F(B2_ADD1, Text<30>)         \
  F(B2_ADD2, Text<30>)         \
  F(B2_ADD3, Text<20>)         \
  F(B2_CODE, Text<4>)          \
  F(B2_CONTACT, Text<20>)      \
  F(INVOICED, Byte)            \
  F(SENT, Byte)                \
  F(AGE_CODE, Text<5>)         \
  F(AGE_SURNAME, Text<20>)     \
  F(AGE_FNAME, Text<20>)       \
  F(S_SURNAME, Text<20>)       \
  F(S_FIRSTNAME, Text<20>)     \
  F(S_ID_NUMBER, Text<13>)     \
  F(S_DOB, Long)               \
  F(PREMIUM, Real)             \
  F(CUT_OFF, Short)            \
  F(OPTION, Text<1>)           \
  F(DOM, Text<5>)              \
  F(WAIT_DATE, Long)           \
  F(PLAN, Text<7>)             \
  F(BENEFIT, Real)             \
  F(ACTIVE, Byte)              \
  VEL_VELCLI_G_CHILD_(F, 1)    \
  VEL_VELCLI_G_CHILD_(F, 2)    \
  VEL_VELCLI_G_CHILD_(F, 3)    \
  VEL_VELCLI_G_CHILD_(F, 4)    \
  VEL_VELCLI_G_CHILD_(F, 5)    \
  F(COMM, Real)                \
  F(ADMIN, Real)               \
  F(RISK, Real)                \
  F(PERSAL_NO, Text<20>)       \
  F(EMP_CODE_NO, Text<20>)     \
  F(PEN_GROUP, Text<20>)       \
  F(FOOD_AGE, Text<5>)         \
  F(FOOD_PREM, Real)           \
  F(TRACKING_NO, Text<19>)
VEL_RECORD(VelCliG, VEL_VELCLI_G_FIELDS);

// H: the client record of today up to DAY10.
#define VEL_VELCLI_H_FIELDS(F) \
  F(NUMBER, Long)              \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Long)                \
  F(SURNAME, Text<25>)         \
  F(FIRSTNAME, Text<20>)       \
  F(MIDDLENAME, Text<20>)      \
  F(INITIALS, Text<3>)         \
  F(TITLE, Text<6>)            \
  F(ID_NUMBER, Text<13>)       \
  F(DOB, Long)                 \
  F(GENDER, Text<10>)          \
  F(MAIDENNAME, Text<20>)      \
  F(H_ADDR1, Text<30>)         \
  F(H_ADDR2, Text<30>)         \
  F(H_ADDR3, Text<30>)         \
  F(H_CODE, Short)             \
  F(P_ADDR1, Text<30>)         \
  F(P_ADDR2, Text<30>)         \
  F(P_ADDR3, Text<30>)         \
  F(P_CODE, Short)             \
  F(PHONE_HOME, Text<15>)      \
  F(PHONE_WORK, Text<15>)      \
  F(PHONE_CELL, Text<15>)      \
  F(BANK_NAME, Text<30>)       \
  F(BRANCH_NAME, Text<30>)     \
  F(BRANCH_CODE, Text<6>)      \
  F(ACCOUNT_NUMBER, Text<15>)  \
  F(ACCOUNT_TYPE, Text<12>)    \
  F(REMARKS, Text<10240>)      \
  F(MARITAL_STAT, Text<1>)     \
  F(B1_FIRSTNAME, Text<20>)    \
  F(B1_SURNAME, Text<20>)      \
  F(B1_ID_NUMBER, Text<13>)    \
  F(B1_DOB, Long)              \
  F(B1_RELATION, Text<20>)     \
  F(B1_ADD1, Text<30>)         \
  F(B1_ADD2, Text<30>)         \
  F(B1_ADD3, Text<20>)         \
  F(B1_CODE, Text<4>)          \
  F(B1_CONTACT, Text<20>)      \
  F(INVOICED, Byte)            \
  F(SENT, Byte)                \
  F(AGE_CODE, Text<5>)         \
  F(AGE_SURNAME, Text<20>)     \
  F(AGE_FNAME, Text<20>)       \
  F(COL_CODE, Text<5>)         \
  F(COL_SURNAME, Text<20>)     \
  F(COL_FNAME, Text<20>)       \
  F(S_SURNAME, Text<20>)       \
  F(S_FIRSTNAME, Text<20>)     \
  F(S_ID_NUMBER, Text<13>)     \
  F(S_DOB, Long)               \
  F(S_GENDER, Text<6>)         \
  F(PREMIUM, Real)             \
  F(CUT_OFF, Short)            \
  F(OPTION, Text<15>)          \
  F(DOM, Text<5>)              \
  F(WAIT_DATE, Long)           \
  F(PLAN, Text<7>)             \
  F(COVER, Text<32>)           \
  F(BENEFIT, Real)             \
  F(ACTIVE, Text<10>)          \
  F(EMAIL, Text<80>)           \
  F(SMS_DATE, Long)            \
  F(SMS_REA, Text<30>)         \
  F(SMS_SENDIT, Byte)          \
  F(SMS_MESS, Text<160>)       \
  F(DATECHANGE, Long)          \
  F(DATE6, Long)               \
  F(DATE24, Long)              \
  F(ROUTE, Text<20>)           \
  F(PREMTOPAY, Real)           \
  F(MYCOMM, Real)              \
  F(DAY5, Byte)                \
  F(DAY10, Byte)
VEL_RECORD(VelCliH, VEL_VELCLI_H_FIELDS);

#define VEL_VELCLI_I_FIELDS(F) \
  VEL_VELCLI_H_FIELDS(F)       \
  F(S_ACTIVE, Text<10>)        \
  F(S_CHANGEDATE, Long)
VEL_RECORD(VelCliI, VEL_VELCLI_I_FIELDS);

#define VEL_VELCLI_J_FIELDS(F) \
  VEL_VELCLI_I_FIELDS(F)       \
  F(AGE_COMM, Real)            \
  F(COL_COMM, Real)
VEL_RECORD(VelCliJ, VEL_VELCLI_J_FIELDS);

#define VEL_VELCLI_K_FIELDS(F) \
  VEL_VELCLI_J_FIELDS(F)       \
  F(HAM_BYTE, Byte)            \
  F(HAMPER, Real)              \
  F(PLANPREM, Real)
VEL_RECORD(VelCliK, VEL_VELCLI_K_FIELDS);

// --- VelChd --------------------------------------------------------------
#define VEL_VELCHD_A_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(SENT, Byte)                \
  F(C1_SURNAME, Text<20>)      \
  F(C1_FIRSTNAME, Text<20>)    \
  F(C1_ID_NUMBER, Text<13>)    \
  F(C1_DOB, Long)              \
  F(C1_BENEFIT, Real)          \
  F(C1_AGE, Short)             \
  F(GENDER, Text<10>)          \
  F(PREMIUM, Real)             \
  F(NUMBER, Short)             \
  F(PREM2PAY, Real)            \
  F(MYCOMM, Real)
VEL_RECORD(VelChdA, VEL_VELCHD_A_FIELDS);

#define VEL_VELCHD_B_FIELDS(F) \
  VEL_VELCHD_A_FIELDS(F)       \
  F(ACTIVE, Text<10>)          \
  F(DATECHANGE, Long)
VEL_RECORD(VelChdB, VEL_VELCHD_B_FIELDS);

// --- VelInv --------------------------------------------------------------
#define VEL_VELINV_A_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Date)                \
  F(DEBIT, Real)               \
  F(STATUS, Text<3>)           \
  F(BRANCH_ID, Text<4>)        \
  F(UNIQUE, Text<14>)          \
  F(SENT, Byte)
VEL_RECORD(VelInvA, VEL_VELINV_A_FIELDS);

#define VEL_VELINV_B_FIELDS(F) \
  VEL_VELINV_A_FIELDS(F)       \
  F(RISK, Real)                \
  F(ADMIN, Real)               \
  F(AGE_COMM, Real)
VEL_RECORD(VelInvB, VEL_VELINV_B_FIELDS);

// --- VelPay --------------------------------------------------------------
#define VEL_VELPAY_A_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Date)                \
  F(ACCOUNT, Text<10>)         \
  F(SOURCE, Text<11>)          \
  F(CREDIT, Real)              \
  F(STATUS, Text<3>)           \
  F(BRANCH_ID, Text<4>)        \
  F(X_DATE, Long)              \
  F(X_TIME, Long)              \
  F(X_ID, Text<10>)            \
  F(BANK_NAME, Text<30>)       \
  F(BANK_ACCOUNT, Text<20>)    \
  F(DELETED, Long)             \
  F(UNIQUE, Text<14>)          \
  F(SENT, Byte)
VEL_RECORD(VelPayA, VEL_VELPAY_A_FIELDS);

#define VEL_VELPAY_B_FIELDS(F) \
  VEL_VELPAY_A_FIELDS(F)       \
  F(COL_CODE, Text<5>)         \
  F(COL_COMM, Real)
VEL_RECORD(VelPayB, VEL_VELPAY_B_FIELDS);

#define VEL_VELPAY_C_FIELDS(F) \
  VEL_VELPAY_A_FIELDS(F)       \
  F(COL_CODE, Text<5>)         \
  F(AGE_CODE, Text<5>)         \
  F(COL_COMM, Real)            \
  F(AGE_COMM, Real)            \
  F(PREM2PAY, Real)
VEL_RECORD(VelPayC, VEL_VELPAY_C_FIELDS);

// --- VelTra --------------------------------------------------------------
#define VEL_VELTRA_A_FIELDS(F) \
  F(CLIENT_ID, Text<10>)       \
  F(DATE, Date)                \
  F(TYPE, Text<10>)            \
  F(ACCOUNT, Text<10>)         \
  F(SOURCE, Text<11>)          \
  F(CREDIT, Real)              \
  F(DEBIT, Real)               \
  F(STATUS, Text<3>)           \
  F(BRANCH_ID, Text<4>)        \
  F(X_DATE, Long)              \
  F(X_TIME, Long)              \
  F(X_ID, Text<10>)            \
  F(BANK_NAME, Text<30>)       \
  F(BANK_ACCOUNT, Text<20>)    \
  F(DELETED, Long)             \
  F(UNIQUE, Text<14>)          \
  F(SENT, Byte)
VEL_RECORD(VelTraA, VEL_VELTRA_A_FIELDS);

#define VEL_VELTRA_B_FIELDS(F) \
  VEL_VELTRA_A_FIELDS(F)       \
  F(RISK, Real)                \
  F(ADMIN, Real)               \
  F(AGE_COMM, Real)
VEL_RECORD(VelTraB, VEL_VELTRA_B_FIELDS);

// --- Users ---------------------------------------------------------------
// A: a one-byte access switch per menu area, 32 before STATUS and 7 after.
#define VEL_USERS_A_SWITCH4_(F, a, b, c, d) \
  F(ACC##a, Byte) F(ACC##b, Byte) F(ACC##c, Byte) F(ACC##d, Byte)
#define VEL_USERS_A_FIELDS(F)                  \
  F(CODE, Short)                               \
  F(SURNAME, Text<20>)                         \
  F(NAME1, Text<20>)                           \
  F(NAME2, Text<20>)                           \
  F(USERNAME, Text<10>)                        \
  F(PASSWORD, Text<10>)                        \
  F(INV, Byte)                                 \
  VEL_USERS_A_SWITCH4_(F, 01, 02, 03, 04)      \
  VEL_USERS_A_SWITCH4_(F, 05, 06, 07, 08)      \
  VEL_USERS_A_SWITCH4_(F, 09, 10, 11, 12)      \
  VEL_USERS_A_SWITCH4_(F, 13, 14, 15, 16)      \
  VEL_USERS_A_SWITCH4_(F, 17, 18, 19, 20)      \
  VEL_USERS_A_SWITCH4_(F, 21, 22, 23, 24)      \
  VEL_USERS_A_SWITCH4_(F, 25, 26, 27, 28)      \
  VEL_USERS_A_SWITCH4_(F, 29, 30, 31, 32)      \
  F(STATUS, Text<20>)                          \
  VEL_USERS_A_SWITCH4_(F, 33, 34, 35, 36)      \
  F(ACC37, Byte) F(ACC38, Byte) F(ACC39, Byte)
VEL_RECORD(UsersA, VEL_USERS_A_FIELDS);

}  // namespace vel::rec::older

namespace vel {

// The older layouts of the file with this label, in the order they are
// tried when the file will not open with its current layout; empty for a
// file that never had another layout.
const std::vector<const Layout*>& olderLayouts(std::string_view label);

// The older layout of a file by its letter ("VelCli", "J"), or nullptr.
const Layout* olderLayout(std::string_view label, std::string_view variant);

}  // namespace vel
