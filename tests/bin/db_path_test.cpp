#include "bin/veltu_mcp/db_path.hpp"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bin/veltu_mcp/command_line.hpp"

namespace {

using veltu_startup::lexical_parent;

struct StartupCase {
  const char* name;
  std::vector<std::string> args;  // the program name first
  std::map<std::string, std::string> env;
  std::optional<std::string> user_home;  // what the user database records
  std::string db_path;
  std::optional<std::string> bridge_dir;
  bool library_mode;
};

// Test names carry the case name; the values would make them unreadable.
void PrintTo(const StartupCase& c, std::ostream* out) {
  *out << c.name;
}

class DatabasePath : public testing::TestWithParam<StartupCase> {};

TEST_P(DatabasePath, FollowsTheFirstRuleThatApplies) {
  const StartupCase& c = GetParam();
  int user_lookups = 0;
  const std::string db_path = veltu_startup::resolve_db_path(
      c.args,
      [&c](const char* name) -> std::optional<std::string> {
        auto found = c.env.find(name);
        return found == c.env.end() ? std::nullopt : std::optional<std::string>(found->second);
      },
      [&] {
        ++user_lookups;
        return c.user_home;
      });
  EXPECT_EQ(db_path, c.db_path);
  EXPECT_EQ(lexical_parent(db_path), c.bridge_dir);
  EXPECT_EQ(veltu_startup::library_mode_requested(c.args), c.library_mode);
  EXPECT_LE(user_lookups, 1);
}

const std::string mac_default = "/Users/a/Library/Application Support/Veltu-Kesh/veltu.sqlite";
const std::string mac_dir = "/Users/a/Library/Application Support/Veltu-Kesh";

INSTANTIATE_TEST_SUITE_P(
    Table, DatabasePath,
    testing::Values(StartupCase{"DefaultUnderHome",
                                {"veltu-mcp"},
                                {{"HOME", "/Users/a"}},
                                "/nowhere",
                                mac_default,
                                mac_dir,
                                false},
                    StartupCase{"HomeWithTrailingSlash",
                                {"veltu-mcp"},
                                {{"HOME", "/Users/a/"}},
                                std::nullopt,
                                mac_default,
                                mac_dir,
                                false},
                    StartupCase{"ArgumentBeatsEnvironment",
                                {"veltu-mcp", "--db", "/tmp/x/veltu.sqlite"},
                                {{"VELTU_DB_PATH", "/data/v.sqlite"}, {"HOME", "/Users/a"}},
                                std::nullopt,
                                "/tmp/x/veltu.sqlite",
                                "/tmp/x",
                                false},
                    StartupCase{"DbAsLastArgument",
                                {"veltu-mcp", "--db"},
                                {{"VELTU_DB_PATH", "/data/v.sqlite"}},
                                std::nullopt,
                                "/data/v.sqlite",
                                "/data",
                                false},
                    StartupCase{"DbValueLooksLikeASwitch",
                                {"veltu-mcp", "--db", "--read-only"},
                                {{"HOME", "/Users/a"}},
                                std::nullopt,
                                "--read-only",
                                "",
                                true},
                    StartupCase{"OnlyTheFirstDbCounts",
                                {"veltu-mcp", "--db", "a/x.sqlite", "--db", "b/y.sqlite"},
                                {},
                                std::nullopt,
                                "a/x.sqlite",
                                "a",
                                false},
                    StartupCase{"ProgramNameIsScannedToo",
                                {"--db", "p/q.sqlite"},
                                {},
                                std::nullopt,
                                "p/q.sqlite",
                                "p",
                                false},
                    StartupCase{"DbWithEqualsIsIgnored",
                                {"veltu-mcp", "--db=/tmp/v.sqlite"},
                                {{"VELTU_DB_PATH", "/data/v.sqlite"}},
                                std::nullopt,
                                "/data/v.sqlite",
                                "/data",
                                false},
                    StartupCase{"DbWithEqualsFallsToTheDefault",
                                {"veltu-mcp", "--db=/tmp/v.sqlite"},
                                {{"HOME", "/Users/a"}},
                                std::nullopt,
                                mac_default,
                                mac_dir,
                                false},
                    StartupCase{"EmptyDbArgument",
                                {"veltu-mcp", "--db", ""},
                                {{"HOME", "/Users/a"}},
                                std::nullopt,
                                "",
                                std::nullopt,
                                false},
                    StartupCase{"EmptyEnvironmentValue",
                                {"veltu-mcp"},
                                {{"VELTU_DB_PATH", ""}, {"HOME", "/h"}},
                                std::nullopt,
                                "",
                                std::nullopt,
                                false},
                    StartupCase{"EnvironmentValueNotUtf8",
                                {"veltu-mcp"},
                                {{"VELTU_DB_PATH", "/data/\xff.sqlite"}, {"HOME", "/Users/a"}},
                                std::nullopt,
                                mac_default,
                                mac_dir,
                                false},
                    StartupCase{"RootHasNoParent",
                                {"veltu-mcp", "--db", "/"},
                                {},
                                std::nullopt,
                                "/",
                                std::nullopt,
                                false},
                    StartupCase{"BareFileName",
                                {"veltu-mcp", "--db", "veltu.sqlite"},
                                {},
                                std::nullopt,
                                "veltu.sqlite",
                                "",
                                false},
                    StartupCase{"EmptyHomeAndNoUserEntry",
                                {"veltu-mcp"},
                                {{"HOME", ""}},
                                std::nullopt,
                                "./veltu.sqlite",
                                ".",
                                false},
                    StartupCase{"NoHomeAndNoUserEntry",
                                {"veltu-mcp", "--read-only"},
                                {},
                                std::nullopt,
                                "./veltu.sqlite",
                                ".",
                                true},
                    StartupCase{"EmptyHomeUsesTheUserDatabase",
                                {"veltu-mcp"},
                                {{"HOME", ""}},
                                "/home/u",
                                "/home/u/Library/Application Support/Veltu-Kesh/veltu.sqlite",
                                "/home/u/Library/Application Support/Veltu-Kesh",
                                false},
                    StartupCase{"SwitchesAreCaseSensitive",
                                {"veltu-mcp", "--DB", "/x/y", "--Read-Only"},
                                {{"HOME", "/Users/a"}},
                                std::nullopt,
                                mac_default,
                                mac_dir,
                                false},
                    StartupCase{"NonUtf8DbArgumentIsTakenVerbatim",
                                {"veltu-mcp", "--db", "/tmp/\xff/v.sqlite"},
                                {},
                                std::nullopt,
                                "/tmp/\xff/v.sqlite",
                                "/tmp/\xff",
                                false}),
    [](const testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

TEST(JoinPath, AddsASlashOnlyWhereNeeded) {
  struct Case {
    const char* first;
    const char* second;
    const char* joined;
  };
  const Case cases[] = {
      {"/Users/a", "Library", "/Users/a/Library"},
      {"/Users/a/", "Library", "/Users/a/Library"},
      {"", "veltu.sqlite", "veltu.sqlite"},
      {".", "veltu.sqlite", "./veltu.sqlite"},
      {"/", "x", "/x"},
      {"a//", "b", "a//b"},
      {"/Users/a", "/abs/path", "/abs/path"},
      {"", "/abs", "/abs"},
      {"a", "", "a/"},
      {"a", "b/c", "a/b/c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(veltu_startup::join_path(c.first, c.second), c.joined)
        << c.first << " + " << c.second;
  }
}

TEST(LexicalParent, DropsTheLastComponent) {
  struct Case {
    const char* path;
    std::optional<std::string> parent;
  };
  const Case cases[] = {
      {"/a/b/veltu.sqlite", "/a/b"},
      {"/a/b/", "/a"},
      {"/a/b//", "/a"},
      {"/a//b", "/a"},
      {"/a", "/"},
      {"//a", "/"},
      {"a/b", "a"},
      {"veltu.sqlite", ""},
      {"veltu.sqlite/", ""},
      {"./veltu.sqlite", "."},
      {"../x", ".."},
      {"", std::nullopt},
      {"/", std::nullopt},
      {"///", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lexical_parent(c.path), c.parent) << '"' << c.path << '"';
  }
}

TEST(PasswdBufferSize, FallsBackTo512WithoutASuggestion) {
  EXPECT_EQ(veltu_startup::passwd_buffer_size(-1), 512u);
  EXPECT_EQ(veltu_startup::passwd_buffer_size(0), 512u);
  EXPECT_EQ(veltu_startup::passwd_buffer_size(1024), 1024u);
  EXPECT_EQ(veltu_startup::passwd_buffer_size(16384), 16384u);
}

TEST(CommandLine, KeepsEveryArgumentInOrder) {
  const char* argv[] = {"veltu-mcp", "--db", "", "x\xff", nullptr};
  EXPECT_EQ(veltu_startup::command_line(4, argv),
            (std::vector<std::string>{"veltu-mcp", "--db", "", "x\xff"}));
  EXPECT_EQ(veltu_startup::command_line(0, argv), std::vector<std::string>{});
}

}  // namespace
