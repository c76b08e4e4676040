#include "mcp_server/catalogue.hpp"

#include <gtest/gtest.h>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <optional>
#include <string>
#include <vector>

#include "mcp/tool_name.hpp"
#include "mcp_server/mcp_server.hpp"
#include "support/golden.hpp"
#include "support/stand_in_app.hpp"

namespace mcp_server {
namespace {

using mcp::Json;

using test_support::read_golden;

std::vector<std::string> names_of(const Json& tools) {
  std::vector<std::string> names;
  for (const auto& tool : tools) {
    names.push_back(tool.at("name").get<std::string>());
  }
  return names;
}

ToolCatalogue library_catalogue() {
  ToolCatalogue catalogue = build_catalogue();
  restrict_to_read_only(catalogue);
  return catalogue;
}

TEST(Catalogue, ListsTheGoldenToolsInNormalMode) {
  const Json expected = read_golden("tools_list/normal.json");
  const Json listed = build_catalogue().list();
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(listed.dump(), expected.dump());
}

TEST(Catalogue, ListsTheGoldenToolsInLibraryMode) {
  const Json expected = read_golden("tools_list/library.json");
  const Json listed = library_catalogue().list();
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(listed.dump(), expected.dump());
}

TEST(Catalogue, ListsByNameInByteOrder) {
  EXPECT_EQ(
      names_of(build_catalogue().list()),
      (std::vector<std::string>{"add-meeting-tag", "create-action-point", "delete-action-point",
                                "get-meeting", "get-open-meeting", "get-summary", "get-transcript",
                                "import-file", "list-action-points", "list-meetings",
                                "remove-meeting-tag", "search-transcripts", "update-action-point",
                                "update-chapters", "update-meeting-title", "update-summary"}));
  EXPECT_EQ(
      names_of(library_catalogue().list()),
      (std::vector<std::string>{"get-meeting", "get-open-meeting", "get-summary", "get-transcript",
                                "list-action-points", "list-meetings", "search-transcripts"}));
}

TEST(Catalogue, AnnotatesEachTool) {
  struct Hints {
    const char* name;
    bool read_only;
    bool destructive;
    std::optional<bool> idempotent;
  };
  const Hints table[] = {
      {"search-transcripts", true, false, std::nullopt},
      {"list-meetings", true, false, std::nullopt},
      {"get-meeting", true, false, std::nullopt},
      {"get-transcript", true, false, std::nullopt},
      {"get-summary", true, false, std::nullopt},
      {"list-action-points", true, false, std::nullopt},
      {"create-action-point", false, false, std::nullopt},
      {"update-action-point", false, true, std::nullopt},
      {"delete-action-point", false, true, std::nullopt},
      {"update-summary", false, true, true},
      {"update-meeting-title", false, true, true},
      {"add-meeting-tag", false, false, true},
      {"remove-meeting-tag", false, true, true},
      {"update-chapters", false, true, true},
      {"get-open-meeting", true, false, std::nullopt},
      {"import-file", false, false, std::nullopt},
  };
  const ToolCatalogue catalogue = build_catalogue();
  ASSERT_EQ(catalogue.size(), std::size(table));
  for (const auto& hints : table) {
    const auto* entry = catalogue.find(hints.name);
    ASSERT_NE(entry, nullptr) << hints.name;
    const auto& annotations = entry->descriptor.annotations;
    EXPECT_EQ(annotations.read_only, hints.read_only) << hints.name;
    EXPECT_EQ(annotations.destructive, hints.destructive) << hints.name;
    EXPECT_EQ(annotations.idempotent, hints.idempotent) << hints.name;
    EXPECT_EQ(annotations.open_world, false) << hints.name;
    EXPECT_EQ(entry->descriptor.task_support, mcp::TaskSupport::forbidden) << hints.name;
  }
}

TEST(Catalogue, SharesSchemasAcrossToolsAndBuilds) {
  const ToolCatalogue first = build_catalogue();
  const ToolCatalogue second = build_catalogue();
  const auto& add = first.find("add-meeting-tag")->descriptor;
  const auto& remove = first.find("remove-meeting-tag")->descriptor;
  EXPECT_EQ(add.input_schema.get(), remove.input_schema.get());
  EXPECT_NE(add.annotations.destructive, remove.annotations.destructive);
  for (const auto& [name, entry] : first.entries()) {
    EXPECT_EQ(entry.descriptor.input_schema.get(), second.find(name)->descriptor.input_schema.get())
        << name;
  }
}

TEST(Catalogue, LibraryModeChangesOnlyTheTranscriptDescription) {
  const ToolCatalogue full = build_catalogue();
  const ToolCatalogue library = library_catalogue();
  ASSERT_EQ(library.size(), 7u);
  for (const auto& [name, entry] : library.entries()) {
    const auto& before = full.find(name)->descriptor;
    EXPECT_EQ(entry.descriptor.input_schema.get(), before.input_schema.get()) << name;
    EXPECT_EQ(entry.descriptor.annotations.to_json(), before.annotations.to_json()) << name;
    EXPECT_EQ(entry.descriptor.description == before.description, name != "get-transcript") << name;
  }
  EXPECT_NE(
      library.find("get-transcript")->descriptor.description.find("parts of about 4,000 words"),
      std::string::npos);
  EXPECT_EQ(full.find("get-transcript")->descriptor.description.find("parts of about"),
            std::string::npos);
}

TEST(Catalogue, RestrictingTwiceChangesNothing) {
  ToolCatalogue catalogue = library_catalogue();
  const Json once = catalogue.list();
  restrict_to_read_only(catalogue);
  EXPECT_EQ(catalogue.list(), once);
}

TEST(Catalogue, FindsOnlyTheExactName) {
  const ToolCatalogue catalogue = build_catalogue();
  EXPECT_NE(catalogue.find("get-transcript"), nullptr);
  for (const char* near_miss : {"Get-Transcript", "GET-TRANSCRIPT", "get_transcript",
                                "get-transcript ", "gettranscript", "get-transcripts", ""}) {
    EXPECT_EQ(catalogue.find(near_miss), nullptr) << near_miss;
  }
  EXPECT_EQ(library_catalogue().find("update-summary"), nullptr);
}

TEST(Catalogue, NamesKeepTheNamingRule) {
  const ToolCatalogue catalogue = build_catalogue();
  for (const auto& [name, entry] : catalogue.entries()) {
    EXPECT_TRUE(mcp::tool_name_problems(name).empty()) << name;
  }
  const std::pair<std::string, std::vector<std::string>> bad_names[] = {
      {"", {"must be 1 to 128 characters long"}},
      {std::string(129, 'a'), {"must be 1 to 128 characters long"}},
      {"get transcript", {"must not contain spaces or commas"}},
      {"get,transcript", {"must not contain spaces or commas"}},
      {"get/transcript", {"may only contain A-Z, a-z, 0-9, underscore, dash and dot"}},
      {"-get-transcript", {"must not start or end with a dash or a dot"}},
      {"get-transcript.", {"must not start or end with a dash or a dot"}},
  };
  for (const auto& [name, problems] : bad_names) {
    EXPECT_EQ(mcp::tool_name_problems(name), problems) << name;
  }
}

// Runs one catalogue entry's handler to completion.
ToolOutcome call(const McpServer& server, std::string_view tool, Json arguments) {
  const auto* entry = server.tools().find(tool);
  EXPECT_NE(entry, nullptr) << tool;
  asio::io_context context;
  std::optional<ToolOutcome> outcome;
  asio::co_spawn(context, entry->handler(server, std::move(arguments)),
                 [&](std::exception_ptr failure, ToolOutcome result) {
                   EXPECT_EQ(failure, nullptr);
                   outcome = std::move(result);
                 });
  context.run();
  EXPECT_TRUE(outcome.has_value());
  return outcome.value_or(ToolOutcome(mcp::ToolResult::error("no outcome")));
}

TEST(CatalogueHandlers, RefuseArgumentsThatDoNotDecodeWithoutAskingTheApp) {
  struct Case {
    const char* tool;
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"search-transcripts", "{}", "failed to deserialize parameters: missing field `query`"},
      {"search-transcripts", R"({"query":"q","limit":2.5})",
       "failed to deserialize parameters: invalid type: floating point `2.5`, expected i64"},
      {"get-meeting", R"({"meeting_id":7})",
       "failed to deserialize parameters: invalid type: integer `7`, expected a string"},
      {"update-chapters", R"({"meeting_id":"m","chapters":[{"timestamp":"00:00:00"}]})",
       "failed to deserialize parameters: missing field `title`"},
      {"remove-meeting-tag", R"({"meeting_id":"m"})",
       "failed to deserialize parameters: missing field `tag_name`"},
      {"import-file", "null", "failed to deserialize parameters: missing field `file_path`"},
  };
  test_support::StandInApp app;
  const McpServer server(app.dir(), build_catalogue(), PromptRouter{}, false);
  for (const auto& c : cases) {
    ToolOutcome outcome = call(server, c.tool, Json::parse(c.arguments));
    ASSERT_FALSE(outcome.has_value()) << c.tool << " " << c.arguments;
    EXPECT_EQ(outcome.error().code, -32602);
    EXPECT_EQ(outcome.error().message, c.message);
    EXPECT_EQ(outcome.error().data, std::nullopt);
  }
  EXPECT_TRUE(app.requests().empty());
}

TEST(CatalogueHandlers, SendTheDecodedRecordUnderTheToolsName) {
  test_support::StandInApp app;
  const McpServer server(app.dir(), build_catalogue(), PromptRouter{}, false);
  ASSERT_TRUE(call(server, "list-meetings", Json(nullptr)).has_value());
  ASSERT_TRUE(call(server, "add-meeting-tag",
                   Json::parse(R"({"meeting_id":"m1","tag_name":" Reviewed ","colour":"red"})"))
                  .has_value());
  const auto requests = app.requests();
  ASSERT_EQ(requests.size(), 2u);
  const Json first = Json::parse(requests[0]);
  EXPECT_EQ(first.at("kind"), "mcpTool");
  EXPECT_EQ(first.at("name"), "list-meetings");
  EXPECT_EQ(first.at("args"),
            Json::parse(R"({"before":null,"limit":null,"query":null,"since":null,"state":null})"));
  const Json second = Json::parse(requests[1]);
  EXPECT_EQ(second.at("name"), "add-meeting-tag");
  EXPECT_EQ(second.at("args"), Json::parse(R"({"meeting_id":"m1","tag_name":" Reviewed "})"));
}

TEST(CatalogueHandlers, OpenMeetingIgnoresItsArguments) {
  test_support::StandInApp app;
  const McpServer server(app.dir(), build_catalogue(), PromptRouter{}, false);
  for (const char* arguments : {"null", R"({"meeting_id":7})", R"("anything")"}) {
    EXPECT_TRUE(call(server, "get-open-meeting", Json::parse(arguments)).has_value()) << arguments;
  }
  EXPECT_EQ(app.requests().size(), 3u);
}

}  // namespace
}  // namespace mcp_server
