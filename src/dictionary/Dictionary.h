// The data dictionary in one include: every file's record struct, the file
// directory, and the layout of each record type (layoutOf<rec::VelCli>()).
#pragma once

#include "dictionary/FileDirectory.h"
#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"
#include "dictionary/SetupFiles.h"

namespace vel {

// The current layout of each record type, defined in FileDirectory.cpp.
#define VEL_DECLARE_LAYOUT_(Rec) \
  template <>                    \
  const Layout& layoutOf<rec::Rec>();

VEL_DECLARE_LAYOUT_(FConfig)
VEL_DECLARE_LAYOUT_(VelData)
VEL_DECLARE_LAYOUT_(BDetal)
VEL_DECLARE_LAYOUT_(Postal)
VEL_DECLARE_LAYOUT_(VelTra)
VEL_DECLARE_LAYOUT_(Users)
VEL_DECLARE_LAYOUT_(Balance)
VEL_DECLARE_LAYOUT_(BankBranch)
VEL_DECLARE_LAYOUT_(Holiday)
VEL_DECLARE_LAYOUT_(Config)
VEL_DECLARE_LAYOUT_(VelInv)
VEL_DECLARE_LAYOUT_(VelPay)
VEL_DECLARE_LAYOUT_(VelAge)
VEL_DECLARE_LAYOUT_(VelExt)
VEL_DECLARE_LAYOUT_(VelCli)
VEL_DECLARE_LAYOUT_(BankList)
VEL_DECLARE_LAYOUT_(BankName)
VEL_DECLARE_LAYOUT_(Banks)
VEL_DECLARE_LAYOUT_(Agent)
VEL_DECLARE_LAYOUT_(VelAud)
VEL_DECLARE_LAYOUT_(HamPay)
VEL_DECLARE_LAYOUT_(HamInv)
VEL_DECLARE_LAYOUT_(HamAge)
VEL_DECLARE_LAYOUT_(Hamper)
VEL_DECLARE_LAYOUT_(AgeIss)
VEL_DECLARE_LAYOUT_(CliRout)
VEL_DECLARE_LAYOUT_(ReceiveR)
VEL_DECLARE_LAYOUT_(RecPrn)
VEL_DECLARE_LAYOUT_(PlanChd)
VEL_DECLARE_LAYOUT_(Plan)
VEL_DECLARE_LAYOUT_(PrnCli)
VEL_DECLARE_LAYOUT_(CommStr)
VEL_DECLARE_LAYOUT_(Cashbox)
VEL_DECLARE_LAYOUT_(Receipt)
VEL_DECLARE_LAYOUT_(DefPrn)
VEL_DECLARE_LAYOUT_(Town)
VEL_DECLARE_LAYOUT_(Route)
VEL_DECLARE_LAYOUT_(SMS_Data)
VEL_DECLARE_LAYOUT_(Collect)
VEL_DECLARE_LAYOUT_(VelChd)
VEL_DECLARE_LAYOUT_(HamTra)

#undef VEL_DECLARE_LAYOUT_

}  // namespace vel
