// "&Update Commission Structure" (Utilities): every policy holder takes the
// commission amounts of the commission structure.
#pragma once

#include "setup/ClientRewrite.h"

namespace vel {

class DataFiles;
class Ui;

// Reads the one CommStr record and gives every VelCli client, in record
// order, AGE_COMM := AGENT and COL_COMM := COLL, under the progress window
// "Commission Structure". Without a commission record nothing changes and the
// user is told so. A failure part-way is reported; the result tells how far
// the update went.
ClientRewriteResult Update_Commission(DataFiles& files, Ui& ui);

}  // namespace vel
