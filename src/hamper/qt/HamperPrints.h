// The print-outs of the hamper browse's buttons, through the report engine
// to the print preview (or another output, such as a PDF file): the
// member's statement, client information, collection card (route), the
// cards of the members who joined in a period, and a payment's receipt.
#pragma once

#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"

class QWidget;

namespace vel {
class Clock;
class DataFiles;
class ReportOutput;
class ShellUi;
class Ui;
}  // namespace vel

namespace vel::qt {

// One of the buttons for member `clientId`: "Statement" (asks the period),
// "Print Client Info", "Print Route Info" or "Print Collection List" (the
// member's collection card). "Print Route Info per Period" asks the period
// and prints the cards of the members who joined in it (`clientId` unused).
// An unknown button prints nothing and gives false.
bool printHamperButton(DataFiles& files, ShellUi& ui, const Clock& clock, std::string_view which,
                       const std::string& clientId, QWidget* parent,
                       ReportOutput* output = nullptr);

// "Print Receipt": the receipt of a hamper payment.
void printHamperReceiptTo(DataFiles& files, Ui& ui, const Clock& clock, const rec::HamPay& payment,
                          QWidget* parent, ReportOutput* output = nullptr);

}  // namespace vel::qt
