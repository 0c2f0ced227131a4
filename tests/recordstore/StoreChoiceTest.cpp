// The engine a data folder's velmora.INI names: SQLite unless [Store] says
// PostgreSQL, and settings that cannot be trusted (a password in them, an
// engine nobody knows, a connection without its engine) refused with words
// a clerk can act on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/Text.h"
#include "recordstore/StoreChoice.h"
#include "support/TempDir.h"

namespace vel {
namespace {

struct Case {
  const char* what;
  const char* ini;       // velmora.INI as written; nullptr: no file at all
  bool postgres;         // the engine chosen
  const char* schema;    // for PostgreSQL
  const char* refusal;   // part of the refusal; nullptr: accepted
};

const Case kCases[] = {
    {"no settings file", nullptr, false, "", nullptr},
    {"no [Store] section", "[__Dont_Touch_Me__]\nMain=1,2\n", false, "", nullptr},
    {"sqlite named", "[Store]\nEngine=sqlite\n", false, "", nullptr},
    {"sqlite named, a connection kept from before",
     "[Store]\nEngine=SQLite\nConnection=host=db dbname=v\n", false, "", nullptr},
    {"postgresql, default schema",
     "[store]\r\nengine = PostgreSQL\r\nConnection=host=db.lan dbname=velmora user=clerk\r\n",
     true, "velmora", nullptr},
    {"postgresql, own schema",
     "[Store]\nEngine=postgresql\nConnection=postgresql://clerk@db.lan/velmora\nSchema=branch2\n",
     true, "branch2", nullptr},
    {"password key", "[Store]\nEngine=postgresql\nConnection=host=db password=secret\n", false,
     "", "password must not stand in velmora.INI"},
    {"password key, spaced and quoted",
     "[Store]\nEngine=postgresql\nConnection=host=db password = 'se cret'\n", false, "",
     "password must not stand in velmora.INI"},
    {"password in a URI", "[Store]\nEngine=postgresql\nConnection=postgresql://clerk:secret@db/v\n",
     false, "", "password must not stand in velmora.INI"},
    {"password as a URI parameter",
     "[Store]\nEngine=postgresql\nConnection=postgres://db/v?user=clerk&password=secret\n", false,
     "", "password must not stand in velmora.INI"},
    {"unknown engine", "[Store]\nEngine=oracle\n", false, "", "\"oracle\""},
    {"postgresql without a connection", "[Store]\nEngine=postgresql\n", false, "",
     "no Connection"},
    {"connection without an engine", "[Store]\nConnection=host=db dbname=v\n", false, "",
     "no Engine"},
    {"connection libpq cannot read", "[Store]\nEngine=postgresql\nConnection=host='db\n", false,
     "", "cannot be read"},
    {"schema that is no plain name",
     "[Store]\nEngine=postgresql\nConnection=host=db\nSchema=a;drop\n", false, "",
     "not a plain name"},
};

class StoreChoiceCases : public ::testing::TestWithParam<Case> {};

TEST_P(StoreChoiceCases, ChoosesTheEngineOrRefusesBeforeAnyFileIsMade) {
  const Case& c = GetParam();
  test::TempDir dir;
  if (c.ini) std::ofstream(dir.file("velmora.INI")) << c.ini;

  std::unique_ptr<Engine> engine;
  std::string problem;
  const bool made = makeEngineFor(dir.path(), engine, problem);
  if (c.refusal) {
    EXPECT_FALSE(made);
    EXPECT_EQ(engine, nullptr);
    EXPECT_NE(problem.find(c.refusal), std::string::npos) << problem;
    // Only the settings file, as it was: nothing made beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    return;
  }
  ASSERT_TRUE(made) << problem;
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->name(), c.postgres ? "PostgreSQL" : "SQLite");
  if (c.postgres) {
    SettingsFile s;
    ASSERT_TRUE(s.open(dir.file("velmora.INI")));
    StoreChoice choice;
    ASSERT_EQ(readStoreChoice(s, dir.path(), choice), "");
    EXPECT_EQ(choice.pg.schema, c.schema);
    EXPECT_EQ(choice.pg.connection, std::string(trim(s.get("Store", "Connection"))));
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, StoreChoiceCases, ::testing::ValuesIn(kCases),
                         [](const auto& param) {
                           std::string n;
                           for (const char* p = param.param.what; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

// A PassFile goes to libpq as its passfile, found from the data folder, and
// only when it is there and private: libpq would pass over either fault
// without a word the clerk sees.
TEST(StoreChoice, PassFileIsFoundFromTheFolderAndMustBePrivate) {
  test::TempDir dir;
  const std::string ini = "[Store]\nEngine=postgresql\nConnection=postgresql://clerk@db/velmora\n"
                          "PassFile=secrets/pgpass\n";
  std::ofstream(dir.file("velmora.INI")) << ini;
  SettingsFile s;
  ASSERT_TRUE(s.open(dir.file("velmora.INI")));
  StoreChoice choice;
  EXPECT_NE(readStoreChoice(s, dir.path(), choice).find("is not there"), std::string::npos);

  std::filesystem::create_directory(dir.file("secrets"));
  const std::string pass = dir.file("secrets/pgpass");
  std::ofstream(pass) << "db:5432:velmora:clerk:secret\n";
  ::chmod(pass.c_str(), 0644);
  EXPECT_NE(readStoreChoice(s, dir.path(), choice).find("chmod 600"), std::string::npos);

  ::chmod(pass.c_str(), 0600);
  ASSERT_EQ(readStoreChoice(s, dir.path(), choice), "");
  EXPECT_EQ(choice.kind, StoreChoice::Kind::Postgres);
  // The URI's parts and the passfile, as one key=value string libpq reads.
  std::string malformed;
  EXPECT_FALSE(connectionHoldsPassword(choice.pg.connection, malformed));
  EXPECT_EQ(malformed, "");
  EXPECT_NE(choice.pg.connection.find("user='clerk'"), std::string::npos) << choice.pg.connection;
  EXPECT_NE(choice.pg.connection.find("dbname='velmora'"), std::string::npos);
  EXPECT_NE(choice.pg.connection.find("passfile='" + std::filesystem::path(pass).lexically_normal().string() + "'"),
            std::string::npos)
      << choice.pg.connection;
}

TEST(StoreChoice, ConnectionIsToldFromAFolderName) {
  EXPECT_TRUE(looksLikeConnection("postgresql://clerk@db/velmora"));
  EXPECT_TRUE(looksLikeConnection("postgres://db"));
  EXPECT_TRUE(looksLikeConnection("host=db dbname=velmora"));
  EXPECT_TRUE(looksLikeConnection("  dbname = velmora"));
  EXPECT_FALSE(looksLikeConnection("/srv/velmora/data"));
  EXPECT_FALSE(looksLikeConnection("Branch 2"));
}

}  // namespace
}  // namespace vel
