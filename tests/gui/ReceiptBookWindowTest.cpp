// The receipt books off screen: "&Issue Receipt Book" opens the list, a book
// issued on its form shows on the list and issues each of its numbers, and
// a number the issued receipts cannot hold is refused by name with nothing
// written. Screenshots go to the build folder.
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "billing/qt/InvoicingProcedures.h"
#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "recordstore/FileManager.h"
#include "setup/qt/SetupProcedures.h"
#include "support/Records.h"

namespace vel::test {
namespace {

void shot(QWidget* w, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

void type(QWidget* form, const char* field, const QString& text) {
  auto* e = form->findChild<QLineEdit*>(field);
  ASSERT_NE(nullptr, e) << field;
  e->setFocus();
  e->clear();
  QTest::keyClicks(e, text);
}

QString cell(QWidget* list, int row, int col) {
  return list->findChild<QTableView*>("List")->model()->index(row, col).data().toString();
}
int rows(QWidget* list) { return list->findChild<QTableView*>("List")->model()->rowCount(); }

class ReceiptBookWindowTest : public FrameFixture {
 protected:
  std::unique_ptr<qt::MainFrame> open() {
    auto frame = openFrame();
    FileManager& f = files.fm<rec::Agent>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Agent>().CODE = "AG1";
    f.rec<rec::Agent>().SURNAME = "Mokoena";
    EXPECT_EQ(kDone, f.Insert());
    qt::buildCatalog(catalog);
    qt::registerInvoicing(procedures, files, ui, catalog, clock, frame.get());
    return frame;
  }
  Catalog catalog;
};

TEST_F(ReceiptBookWindowTest, ABookIssuedOnTheFormShowsOnTheListWithEachOfItsNumbers) {
  auto frame = open();
  Script script;
  script.on("Browse_Receipt", [](QWidget* list) {
    EXPECT_EQ(0, rows(list));
    press(list, "Insert");
  });
  script.on("Update_Receipt", [](QWidget* form) {
    EXPECT_EQ(QString("Record Will Be Added"), form->windowTitle());
    type(form, "CODE", "AG1");
    type(form, "START", "1201");
    type(form, "MEND", "1205");
    shot(form, "receipt-book-form.png");
    press(form, "OK");
  });
  script.on("Browse_Receipt", [](QWidget* list) {
    ASSERT_EQ(1, rows(list));
    EXPECT_EQ("AG1", cell(list, 0, 0).trimmed());
    EXPECT_EQ("1201", cell(list, 0, 3).trimmed());
    EXPECT_EQ("1205", cell(list, 0, 4).trimmed());
    shot(list, "receipt-book-list.png");
    press(list, "Close");
  });
  frame->choose("RECBOOK");
  EXPECT_TRUE(script.done()) << script.left() << " steps left";

  std::vector<std::int64_t> numbers;
  for (const auto& i : readAll<rec::AgeIss>(files)) {
    EXPECT_EQ("AG1", i.CODE.text());
    EXPECT_TRUE(i.CLIENT_ID.blank());
    numbers.push_back(i.NUMBER.value);
  }
  EXPECT_EQ((std::vector<std::int64_t>{1201, 1202, 1203, 1204, 1205}), numbers);
}

TEST_F(ReceiptBookWindowTest, ANumberAboveWhatAnIssuedReceiptHoldsIsRefusedByNameAndNothingIsWritten) {
  auto frame = open();
  const std::string refusal =
      "Receipt number 32800 cannot be issued: receipt numbers go up to 32767.|Nothing has been "
      "issued.";
  Script script;
  script.on("Browse_Receipt", [](QWidget* list) { press(list, "Insert"); });
  script.on("Update_Receipt", [&](QWidget* form) {
    type(form, "CODE", "AG1");
    type(form, "START", "32760");
    type(form, "MEND", "32800");
    ui.boxes.expect("Receipt Book", kOk, refusal);
    press(form, "OK");
  });
  script.on("Update_Receipt", [&](QWidget* form) {
    shot(form, "receipt-book-refused.png");
    ui.boxes.expect("Changes will be lost!", kYes);
    press(form, "Cancel");
  });
  script.on("Browse_Receipt", [](QWidget* list) {
    EXPECT_EQ(0, rows(list));
    press(list, "Close");
  });
  frame->choose("RECBOOK");
  EXPECT_TRUE(script.done()) << script.left() << " steps left";
  EXPECT_TRUE(readAll<rec::Receipt>(files).empty());
  EXPECT_TRUE(readAll<rec::AgeIss>(files).empty());
}

}  // namespace
}  // namespace vel::test
