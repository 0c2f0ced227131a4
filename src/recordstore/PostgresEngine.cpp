// The PostgreSQL record engine: one schema per office, one table per record
// file. (Being built: every operation answers 80 until it lands.)
#include "recordstore/Engine.h"

namespace vel {

namespace {

class PostgresEngine : public Engine {
 public:
  explicit PostgresEngine(PgSettings s) : settings_(std::move(s)) {}
  std::string name() const override { return "PostgreSQL"; }
  int open(const Layout&, const std::string&, OpenMode, std::string_view,
           std::unique_ptr<EngineFile>&) override {
    return engineNotSupported("PostgreSQL");
  }
  int create(const Layout&, const std::string&, std::string_view) override {
    return engineNotSupported("PostgreSQL");
  }
  int remove(const std::string&) override { return engineNotSupported("PostgreSQL"); }
  int exists(const std::string&, bool& there) override {
    there = false;
    return engineNotSupported("PostgreSQL");
  }
  int repairKeys(const Layout&, const std::string&, std::string_view) override {
    return engineNotSupported("PostgreSQL");
  }
  int begin(const std::vector<EngineFile*>&, int, std::unique_ptr<Transaction>&) override {
    return engineNotSupported("PostgreSQL");
  }

 private:
  PgSettings settings_;
};

}  // namespace

std::unique_ptr<Engine> makePostgresEngine(PgSettings settings) {
  return std::make_unique<PostgresEngine>(std::move(settings));
}

}  // namespace vel
