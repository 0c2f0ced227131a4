// A clerk's day with one family policy, off screen on a demo office: the
// browse opened from the menu, a policy with a spouse and three children
// signed up through the client form and the child form, found in the list
// with its first invoice and ageing beside it, moved to another plan and set
// Active (correction, audit trail and the policy written together), copied
// to the hamper club, and its documents previewed and saved as PDF.
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <map>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Text.h"
#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "maintenance/DemoOffice.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"
#include "members/qt/ClientBrowseWindow.h"
#include "recordstore/FileManager.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "setup/SetupLists.h"
#include "support/PdfText.h"

namespace vel::test {

// Takes the mail program's place: remembers the links it was asked to open.
class MailCatcher : public QObject {
  Q_OBJECT
 public:
  QStringList opened;
 public slots:
  void open(const QUrl& url) { opened << url.toString(); }
};

namespace {

class PolicyHolderJourney : public FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    memberContext().clear();
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler("mailto");
    memberContext().clear();
    FrameFixture::TearDown();
  }

  // Types `text` into the entry on `field` and leaves it, as a clerk does.
  static void type(QWidget* w, const char* field, const QString& text) {
    auto* e = w->findChild<QLineEdit*>(field);
    ASSERT_NE(nullptr, e) << field;
    e->setFocus();
    e->setText(text);
    e->setModified(true);
    emit e->editingFinished();
  }
  static void choose(QWidget* w, const char* field, const QString& choice) {
    auto* c = w->findChild<QComboBox*>(field);
    ASSERT_NE(nullptr, c) << field;
    const int i = c->findText(choice);
    ASSERT_GE(i, 0) << choice.toStdString();
    c->setCurrentIndex(i);
    emit c->activated(i);
  }
  static std::string text(QWidget* w, const char* field) {
    auto* e = w->findChild<QLineEdit*>(field);
    return e ? e->text().trimmed().toStdString() : std::string("(none)");
  }
  static std::string label(QWidget* w, const char* name) {
    auto* l = w->findChild<QLabel*>(name);
    return l ? l->text().toStdString() : std::string("(none)");
  }
  static std::string cell(qt::ListPanel* p, int r, int c) {
    return p->model()->index(r, c).data().toString().trimmed().toStdString();
  }
  static void showTab(QWidget* w, const char* name) {
    auto* tabs = w->findChild<QTabWidget*>();
    ASSERT_NE(nullptr, tabs);
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i).remove(QChar('&')) == name) tabs->setCurrentIndex(i);
    QApplication::processEvents();
  }
  // In the plan list: highlights the row of `plan` and `option`, then Select.
  static void pickPlan(QWidget* w, const QString& plan, const QString& option) {
    auto* table = w->findChild<QTableView*>();
    ASSERT_NE(nullptr, table);
    QAbstractItemModel* m = table->model();
    int found = -1;
    for (int r = 0; r < m->rowCount() && found < 0; ++r) {
      bool hasPlan = false, hasOption = false;
      for (int c = 0; c < m->columnCount(); ++c) {
        const QString v = m->index(r, c).data().toString().trimmed();
        hasPlan = hasPlan || v == plan;
        hasOption = hasOption || v == option;
      }
      if (hasPlan && hasOption) found = r;
    }
    ASSERT_GE(found, 0) << plan.toStdString() << " " << option.toStdString();
    table->selectRow(found);
    press(w, "Select");
  }
  static void shoot(QWidget* w, const QString& name) {
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name + ".png");
  }
  double premiumOf(const char* plan, const char* option) {
    for (const rec::Plan& p : readAll<rec::Plan>(files))
      if (p.PLAN == plan && p.TYPE == option) return p.PREMIUM;
    ADD_FAILURE() << "no plan " << plan << " " << option;
    return 0;
  }
  // A child added from the children's list of the open client form.
  void addChild(Script& script, const QString& first, const QString& id) {
    script.on("Update_VelCli", [](QWidget* w) {
      showTab(w, "Children/Ext Family");
      auto* kids = w->findChild<qt::ListPanel*>("Browse_VelChd");
      ASSERT_NE(nullptr, kids);
      ASSERT_TRUE(kids->isVisible());
      press(kids, "Insert");
    });
    script.on("Update_VelChd", [first, id](QWidget* w) {
      EXPECT_EQ("0021/NKO", text(w, "CLIENT_ID"));
      type(w, "C1_SURNAME", "Nkosi");
      type(w, "C1_FIRSTNAME", first);
      type(w, "C1_ID_NUMBER", id);
      press(w, "OK");
    });
  }

  Catalog catalog;
  MailCatcher mail;  // outlives TearDown, which unsets it
};

TEST_F(PolicyHolderJourney, FamilyPolicySignedUpFoundChangedSetActiveAndPrinted) {
  auto frame = openFrame();
  DemoOptions demo;
  demo.clients = 20;
  ASSERT_TRUE(seedDemoOffice(files, clock, demo).ok);
  addSetupLists(catalog, {});
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  const std::string town = readAll<rec::Town>(files).at(0).TOWN.text();
  const double familyA = premiumOf("A", "Family");
  const double familyB = premiumOf("B", "Family");
  ASSERT_NE(familyA, familyB);
  QDesktopServices::setUrlHandler("mailto", &mail, "open");
  const std::string pack = dir.file("pack.pdf");
  const std::string info = dir.file("info.pdf");

  int stepsRun = 0;
  Script script;
  // Signing up: the personal details, the address, the plan, the spouse.
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("20", b->count()->text().toStdString());
    shoot(w, "journey-browse");
    press(w, "Insert");
  });
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ("Adding a Client Record", w->windowTitle().toStdString());
    type(w, "SURNAME", "Nkosi");
    EXPECT_EQ("0021/NKO", text(w, "CLIENT_ID"));
    type(w, "FIRSTNAME", "Lindiwe");
    type(w, "MIDDLENAME", "Grace");
    EXPECT_EQ("LG", text(w, "INITIALS"));
    ui.boxes.expect("ID Validation", kOk);
    type(w, "ID_NUMBER", "8001015009087");
    EXPECT_EQ("01/01/1980", text(w, "DOB"));
    EXPECT_EQ("46", label(w, "CAGE"));
    type(w, "PHONE_CELL", "0821234567");
    choose(w, "MARITAL_STAT", "M");
    showTab(w, "Home Address");
    type(w, "P_ADDR1", "PO Box 77");
    type(w, "P_ADDR3", QString::fromStdString(town));
    type(w, "P_CODE", "1804");
    type(w, "EMAIL", "lindiwe@example.org");
    // The address is a link to the user's mail program.
    EXPECT_NE(std::string::npos, label(w, "EMAIL_link").find("mailto:lindiwe@example.org"));
    emit w->findChild<QLabel*>("EMAIL_link")->linkActivated("mailto:lindiwe@example.org");
    showTab(w, "Spouse/Beneficiaries/Agent/Collector");
    type(w, "S_SURNAME", "Nkosi");
    type(w, "S_FIRSTNAME", "Sibusiso");
    ui.boxes.expect("ID Validation", kOk);
    type(w, "S_ID_NUMBER", "8506155123084");
    EXPECT_EQ("41", label(w, "SAGE"));
    type(w, "B1_FIRSTNAME", "Sibusiso");
    type(w, "B1_SURNAME", "Nkosi");
    // The collection route from its list.
    showTab(w, "Home Address");
    auto* route = w->findChild<QToolButton*>("ROUTE_lookup");
    ASSERT_NE(nullptr, route);
    QMetaObject::invokeMethod(route, &QToolButton::click, Qt::QueuedConnection);
    ++stepsRun;
  });
  std::string routePicked;
  script.on("Browse_Route", [&](QWidget* w) {
    auto* table = w->findChild<QTableView*>();
    ASSERT_NE(nullptr, table);
    table->selectRow(1);
    routePicked = table->model()->index(1, 0).data().toString().trimmed().toStdString();
    press(w, "Select");
  });
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_FALSE(routePicked.empty());
    EXPECT_EQ(routePicked, text(w, "ROUTE"));
    EXPECT_EQ(routePicked, memberContext().SEL_ROUTE);
    showTab(w, "Remarks / Plan / SMS");
    auto* lookup = w->findChild<QToolButton*>("PLAN_lookup");
    ASSERT_NE(nullptr, lookup);
    QMetaObject::invokeMethod(lookup, &QToolButton::click, Qt::QueuedConnection);
  });
  script.on("Browse_Plans", [&](QWidget* w) { pickPlan(w, "A", "Family"); });
  // Three children through the dependant buttons of the last tab.
  addChild(script, "Ayanda", "1406125009081");
  addChild(script, "Bheki", "1603035009085");
  addChild(script, "Zola", "1909090123086");
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ("A", text(w, "PLAN"));
    EXPECT_EQ("Family", text(w, "OPTION"));
    auto* kids = w->findChild<qt::ListPanel*>("Browse_VelChd");
    ASSERT_NE(nullptr, kids);
    EXPECT_EQ(3, kids->model()->rowCount());
    // Every tab, for the record.
    auto* tabs = w->findChild<QTabWidget*>();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      QApplication::processEvents();
      shoot(w, "journey-client-form-" + QString::number(i + 1));
    }
    ++stepsRun;
    press(w, "OK");
  });
  // Found in the list with its first charge beside it.
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("21", b->count()->text().toStdString());
    b->clients()->findChild<QTabBar*>()->setCurrentIndex(0);
    b->clients()->locate("Nkosi");
    RecordBuffer rec(files.fm<rec::VelCli>().layout());
    ASSERT_TRUE(b->clients()->currentRecord(rec));
    EXPECT_EQ("0021/NKO", static_cast<const rec::VelCli*>(rec.get())->CLIENT_ID.text());
    ASSERT_EQ(1, b->ageing()->model()->rowCount());
    EXPECT_EQ(fixedDecimal(familyA, 2), cell(b->ageing(), 0, 5));
    EXPECT_EQ(fixedDecimal(familyA, 2), cell(b->ageing(), 0, 0));
    ASSERT_EQ(1, b->invoices()->model()->rowCount());
    EXPECT_EQ(fixedDecimal(familyA, 2), cell(b->invoices(), 0, 1));
    shoot(w, "journey-browse-new-policy");
    ++stepsRun;
    press(w, "Change");
  });
  // Another plan, then Active: the premium is corrected on the ledger.
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ("Changing a Client Record", w->windowTitle().toStdString());
    showTab(w, "Remarks / Plan / SMS");
    QMetaObject::invokeMethod(w->findChild<QToolButton*>("PLAN_lookup"), &QToolButton::click,
                              Qt::QueuedConnection);
  });
  script.on("Browse_Plans", [&](QWidget* w) { pickPlan(w, "B", "Family"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ(fixedDecimal(familyB, 2), text(w, "PREMIUM"));
    choose(w, "ACTIVE", "Non Active");
    choose(w, "ACTIVE", "Active");
    showTab(w, "Home Address");
    ui.boxes.expect("Copy Data", kYes);
    w->findChild<QPushButton*>("Copy Data to Hamper")->click();
    ++stepsRun;
    press(w, "OK");
  });
  // The documents: previewed, then saved as PDF from the preview.
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    EXPECT_EQ(fixedDecimal(familyB, 2), cell(b->ageing(), 0, 5));
    ASSERT_EQ(1, b->invoices()->model()->rowCount());
    EXPECT_EQ(fixedDecimal(familyB, 2), cell(b->invoices(), 0, 1));
    press(w, "Print Documentation");
  });
  auto savePdf = [&](const std::string& path, int leastPages) {
    return [&, path, leastPages](QWidget* w) {
      auto* p = qobject_cast<qt::PrintPreviewWindow*>(w);
      ASSERT_NE(nullptr, p);
      EXPECT_GE(p->pageCount(), leastPages);
      shoot(w, QString::fromStdString("journey-" + std::filesystem::path(path).stem().string()));
      p->askPdfName = [path] { return QString::fromStdString(path); };
      p->saveAsPdf();
      ++stepsRun;
      QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    };
  };
  script.on("PrintPreview", savePdf(pack, 3));
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Print Client Info"); });
  script.on("PrintPreview", savePdf(info, 1));
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left() << " steps left";
  EXPECT_EQ(6, stepsRun);
  EXPECT_EQ(QStringList{"mailto:lindiwe@example.org"}, mail.opened);

  // The policy as saved: the second plan's premium, the spouse, Active.
  rec::VelCli policy;
  for (const rec::VelCli& c : readAll<rec::VelCli>(files))
    if (c.CLIENT_ID == "0021/NKO") policy = c;
  ASSERT_EQ("0021/NKO", policy.CLIENT_ID.text());
  EXPECT_EQ("B", policy.PLAN.text());
  EXPECT_DOUBLE_EQ(familyB, policy.PREMIUM);
  EXPECT_EQ("Active", policy.ACTIVE.text());
  EXPECT_EQ("Sibusiso", policy.S_FIRSTNAME.text());
  EXPECT_EQ(routePicked, policy.ROUTE.text());
  EXPECT_EQ(dateFromYmd(1985, 6, 15), policy.S_DOB);
  int children = 0;
  for (const rec::VelChd& k : readAll<rec::VelChd>(files))
    if (k.CLIENT_ID == "0021/NKO") ++children;
  EXPECT_EQ(3, children);

  // The ledger: the first charge at plan A, then the correction of A - B,
  // with the ageing and the invoice at plan B.
  std::vector<rec::VelTra> entries;
  for (const rec::VelTra& t : readAll<rec::VelTra>(files))
    if (t.CLIENT_ID == "0021/NKO") entries.push_back(t);
  ASSERT_EQ(2u, entries.size());
  EXPECT_DOUBLE_EQ(familyA, entries[0].DEBIT);
  EXPECT_DOUBLE_EQ(familyA - familyB, entries[1].DEBIT);
  EXPECT_EQ("Invoice", entries[1].TYPE.text());
  for (const rec::VelAge& a : readAll<rec::VelAge>(files))
    if (a.CLIENT_ID == "0021/NKO") {
      EXPECT_DOUBLE_EQ(familyB, a.TOTAL);
    }
  for (const rec::VelInv& i : readAll<rec::VelInv>(files))
    if (i.CLIENT_ID == "0021/NKO") {
      EXPECT_DOUBLE_EQ(familyB, i.DEBIT);
    }

  // The trail: the plan and the premium, before and after.
  std::map<std::string, std::pair<std::string, std::string>> trail;
  for (const rec::VelAud& a : readAll<rec::VelAud>(files))
    if (a.CLIENT_ID == "0021/NKO") trail[a.DESCRIP.text()] = {a.C_BEFORE.text(), a.C_AFTER.text()};
  EXPECT_EQ((std::pair<std::string, std::string>{"A", "B"}), trail["Plan"]);
  EXPECT_EQ(
      (std::pair<std::string, std::string>{fixedDecimal(familyA, 2), fixedDecimal(familyB, 2)}),
      trail["Premium Change"]);

  bool inHamper = false;
  for (const rec::Hamper& h : readAll<rec::Hamper>(files)) inHamper |= h.CLIENT_ID == "0021/NKO";
  EXPECT_TRUE(inHamper);

  // The PDFs read back: the pack's three documents, the information sheet.
  const std::string packText = pdfText(pack);
  EXPECT_GE(std::count(packText.begin(), packText.end(), '\f'), 3) << packText;
  EXPECT_NE(std::string::npos, packText.find("Nkosi")) << packText;
  EXPECT_NE(std::string::npos, packText.find("0021/NKO")) << packText;
  const std::string infoText = pdfText(info);
  EXPECT_NE(std::string::npos, infoText.find("Lindiwe")) << infoText;
  EXPECT_NE(std::string::npos, infoText.find("Ayanda")) << infoText;
}

}  // namespace
}  // namespace vel::test

#include "PolicyHolderJourneyTest.moc"
