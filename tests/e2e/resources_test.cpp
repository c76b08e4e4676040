// resources/templates/list, resources/list and resources/read end to end, in both modes and
// for every reply kind; library mode never reaches the app.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "bridge_session.hpp"

namespace e2e {
namespace {

using test_support::Behaviour;

const std::string not_running = "veltu isn't running. Open the app, then retry.";
const std::string unavailable = "App bridge unavailable in this build.";
const std::string unexpected = "Unexpected reply from veltu.";

Json resource_template(const std::string& uri_template, const std::string& name,
                       const std::string& description, const std::string& mime_type) {
  return {{"description", description},
          {"mimeType", mime_type},
          {"name", name},
          {"uriTemplate", uri_template}};
}

TEST(ResourceTemplates, NormalModeListsTheThreeTemplatesInOrder) {
  NoBridgeSession session;
  const Json templates = Json::array(
      {resource_template(
           "meeting://{meetingId}", "Recording metadata",
           "Recording metadata including title, dates, stats, speakers, and user-applied tags",
           "application/json"),
       resource_template(
           "meeting://{meetingId}/transcript", "Recording transcript",
           "Full recording transcript formatted as markdown with speaker labels and timestamps",
           "text/markdown"),
       resource_template("meeting://{meetingId}/summary", "Recording summary",
                         "Stored LLM-generated meeting summary as markdown. Returns a placeholder "
                         "message when no summary has been persisted yet.",
                         "text/markdown")});
  EXPECT_EQ(answer_of(session.veltu->request("resources/templates/list")),
            (Json{{"result", {{"resourceTemplates", templates}}}}));
}

TEST(ResourcesInLibraryMode, ListsAreEmptyAndReadsRefusedWithoutContactingTheApp) {
  AppSession session(Mode::library);
  EXPECT_EQ(answer_of(session.veltu->request("resources/templates/list")),
            (Json{{"result", {{"resourceTemplates", Json::array()}}}}));
  EXPECT_EQ(answer_of(session.veltu->request("resources/list")),
            (Json{{"result", {{"resources", Json::array()}}}}));
  for (const Json& params : {Json{{"uri", "meeting://42"}}, Json::object()}) {
    EXPECT_EQ(answer_of(session.veltu->request("resources/read", params)),
              error_answer(-32002, "This server has no resources."));
  }
  EXPECT_TRUE(session.app.requests().empty());
}

struct ListCase {
  std::string name;
  std::string reply_line;  // empty: the app closes without answering
  Json expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ListCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<ListCase> list_cases = {
    {"ThreeEntriesInOrder",
     R"({"kind":"resourceList","entries":[)"
     R"({"uri":"meeting://9/summary","name":"Nine","description":"summary of nine"},)"
     R"({"uri":"meeting://1","name":"One","description":"first"},)"
     R"({"uri":"other://x","name":"X","description":""}]})",
     {{"result",
       {{"resources", Json::array({{{"description", "summary of nine"},
                                    {"mimeType", "application/json"},
                                    {"name", "Nine"},
                                    {"uri", "meeting://9/summary"}},
                                   {{"description", "first"},
                                    {"mimeType", "application/json"},
                                    {"name", "One"},
                                    {"uri", "meeting://1"}},
                                   {{"description", ""},
                                    {"mimeType", "application/json"},
                                    {"name", "X"},
                                    {"uri", "other://x"}}})}}}}},
    {"NoEntries",
     R"({"kind":"resourceList","entries":[]})",
     {{"result", {{"resources", Json::array()}}}}},
    {"Failed", R"({"kind":"failed","message":"index rebuilding"})",
     error_answer(-32603, "index rebuilding")},
    {"Text", R"({"kind":"text","message":"hi","isError":false})", error_answer(-32603, unexpected)},
    {"NotFound", R"({"kind":"notFound","message":"nothing"})", error_answer(-32603, unexpected)},
    {"ClosedWithoutAnswer", "", error_answer(-32603, not_running)},
};

class ResourcesList : public testing::TestWithParam<ListCase> {};

TEST_P(ResourcesList, MapsTheAppsReply) {
  AppSession session;
  session.app.always(reply_or_close(GetParam().reply_line));
  EXPECT_EQ(answer_of(session.veltu->request("resources/list", {{"cursor", "abc"}})),
            GetParam().expected);
  EXPECT_EQ(session.app.requests(),
            std::vector<std::string>{client_member + R"("kind":"mcpResourceList"})"});
}

INSTANTIATE_TEST_SUITE_P(EveryReply, ResourcesList, testing::ValuesIn(list_cases),
                         [](const testing::TestParamInfo<ListCase>& info) {
                           return info.param.name;
                         });

struct ReadCase {
  std::string name;
  std::string reply_line;  // empty: the app closes without answering
  Json expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<ReadCase> read_cases = {
    {"ResourceCarriesTheAppsUri",
     R"({"kind":"resource","uri":"meeting://42/summary?v=2","text":"# Notes\n- one"})",
     {{"result",
       {{"contents", Json::array({{{"mimeType", "text"},
                                   {"text", "# Notes\n- one"},
                                   {"uri", "meeting://42/summary?v=2"}}})}}}}},
    {"NotFound", R"({"kind":"notFound","message":"No meeting 42"})",
     error_answer(-32002, "No meeting 42")},
    {"Failed", R"({"kind":"failed","message":"disk error"})", error_answer(-32603, "disk error")},
    {"Prompt", R"({"kind":"prompt","text":"t"})", error_answer(-32603, unexpected)},
    {"Structured", R"({"kind":"structured","value":1})", error_answer(-32603, unexpected)},
    {"ClosedWithoutAnswer", "", error_answer(-32603, not_running)},
};

class ResourcesRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ResourcesRead, SendsTheUriVerbatimAndMapsTheAppsReply) {
  AppSession session;
  session.app.always(reply_or_close(GetParam().reply_line));
  EXPECT_EQ(answer_of(session.veltu->request("resources/read", {{"uri", "meeting://42/summary"}})),
            GetParam().expected);
  EXPECT_EQ(session.app.requests(),
            std::vector<std::string>{client_member +
                                     R"("kind":"mcpResourceRead","uri":"meeting://42/summary"})"});
}

INSTANTIATE_TEST_SUITE_P(EveryReply, ResourcesRead, testing::ValuesIn(read_cases),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                           return info.param.name;
                         });

TEST(ResourcesRead, AUriThatIsNotAStringIsRefusedBeforeAnythingIsSent) {
  AppSession session;
  EXPECT_EQ(answer_of(session.veltu->request("resources/read", Json::object())),
            error_answer(-32602, "failed to deserialize parameters: missing field `uri`"));
  EXPECT_EQ(answer_of(session.veltu->request("resources/read", {{"uri", 42}})),
            error_answer(-32602,
                         "failed to deserialize parameters: invalid type: integer `42`, expected "
                         "a string"));
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(ResourcesWithoutApp, NoBridgeAndAppDownAreInternalErrors) {
  NoBridgeSession no_bridge;
  EXPECT_EQ(answer_of(no_bridge.veltu->request("resources/list")),
            error_answer(-32603, unavailable));
  EXPECT_EQ(answer_of(no_bridge.veltu->request("resources/read", {{"uri", "meeting://1"}})),
            error_answer(-32603, unavailable));
  AppDownSession down;
  EXPECT_EQ(answer_of(down.veltu->request("resources/list")), error_answer(-32603, not_running));
  EXPECT_EQ(answer_of(down.veltu->request("resources/read", {{"uri", "meeting://1"}})),
            error_answer(-32603, not_running));
}

}  // namespace
}  // namespace e2e
