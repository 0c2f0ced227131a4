// The export items from the frame's menu: each writes its file into the data
// folder after its "Please Note", and "&Export Data" writes Main.csv.
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/FrameFixture.h"
#include "maintenance/ExportTables.h"
#include "maintenance/qt/ExportProcedures.h"

namespace vel::test {
namespace {

class ExportMenu : public FrameFixture {
 protected:
  std::string read(const std::string& name) {
    std::ifstream in(dir.file(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string note(const std::string& what) {
    return "This process will create " + what + " file in your " +
           std::filesystem::absolute(dir.path()).lexically_normal().string() + " folder";
  }
};

TEST_F(ExportMenu, ItemsWriteTheirFilesIntoTheDataFolder) {
  auto frame = openFrame();
  qt::registerExportProcedures(procedures, files, ui);
  {
    FileManager& f = files.fm<rec::Town>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Town>().TOWN = "Polokwane";
    ASSERT_EQ(kDone, f.TryInsert());
  }
  ui.boxes.expect("Please Note", kOk, note("Town.CSV"));
  frame->choose("ITEM27");  // Export Town
  EXPECT_EQ("Town\r\nPolokwane\r\n", read("Town.csv"));

  ui.boxes.expect("Please Note", kOk, note("BankBra.CSV"));
  frame->choose("ITEM20");  // Export Bank Branch
  EXPECT_EQ("Name,Branch,Code,Contact,Phone,Address\r\n", read("BankBranch.csv"));

  ui.boxes.expect("Please Note", kOk, note("a MAIN.CSV"));
  frame->choose("EXDAT");
  EXPECT_EQ(0u, read("Main.csv").find("PolicyNumber,EntryDate,Type,"));
}

}  // namespace
}  // namespace vel::test
