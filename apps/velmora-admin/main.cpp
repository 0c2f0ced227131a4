// velmora-admin: the headless tool for a data folder.
//
//   velmora-admin init DIR    make a data folder (an empty folder, ready for first start)
//   velmora-admin files DIR   open every record file of DIR (creating the missing ones)
//                             and list label, disk name, record bytes and record count
//
// Failures are reported on standard error with the system's own message text;
// the exit code is 0 on success, 1 on a usage error and 2 on a failure.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"

namespace {

// Message boxes become lines on standard error; questions take their default.
class ConsoleUi : public vel::Ui {
 public:
  unsigned message(std::string_view text, std::string_view title, vel::Icon, unsigned,
                   unsigned defaultButton) override {
    std::string body(text);
    for (char& c : body)
      if (c == '|') c = '\n';
    std::cerr << title << ": " << body << "\n";
    ++shown;
    return defaultButton;
  }
  void halt(int exitCode) override {
    std::cerr << "velmora-admin: stopped.\n";
    std::exit(exitCode == 0 ? 2 : exitCode);
  }
  int shown = 0;
};

int usage() {
  std::cerr << "usage: velmora-admin init DIR\n"
               "       velmora-admin files DIR\n";
  return 1;
}

int init(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::cerr << "Could not make the data folder " << dir << ": " << ec.message() << "\n";
    return 2;
  }
  std::cout << "Data folder ready: " << std::filesystem::absolute(dir).string() << "\n";
  return 0;
}

int files(const std::string& dir) {
  if (!std::filesystem::is_directory(dir)) {
    std::cerr << "There is no data folder " << dir << " (make it with: velmora-admin init "
              << dir << ")\n";
    return 2;
  }
  ConsoleUi ui;
  vel::ErrorManager errors(ui);
  errors.SetProcedureName("Main");
  auto engine = vel::makeSqliteEngine();
  vel::DataFiles data(dir, *engine, errors);
  std::printf("%-10s  %-12s  %6s  %10s\n", "Label", "Disk file", "Bytes", "Records");
  int failed = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    vel::FileManager& f = data.fm(i);
    vel::FileUse use(f);
    if (f.EnsureOpen() != vel::kDone) {
      ++failed;
      continue;
    }
    std::printf("%-10s  %-12s  %6d  %10lld\n", f.label().c_str(), f.decl().diskName().c_str(),
                f.layout().recordBytes(), static_cast<long long>(f.Records()));
  }
  return failed || ui.shown ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return usage();
  std::string_view cmd = argv[1];
  if (cmd == "init") return init(argv[2]);
  if (cmd == "files") return files(argv[2]);
  return usage();
}
