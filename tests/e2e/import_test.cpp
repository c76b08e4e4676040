// import-file end to end: the request line, every answer of the app and every refusal, the
// checks made before anything is sent, and the 30-second limit.

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "bridge_session.hpp"

namespace e2e {
namespace {

using test_support::Behaviour;

const std::string import_not_running =
    "veltu isn't running \u2014 open the app, then retry the import.";
const std::string unknown_reason =
    "Can't import: veltu refused, for a reason this version can't explain. Restart your MCP "
    "client to pick up the current veltu, then retry.";

Json started(const std::string& meeting_id) {
  return structured_result({{"meetingId", meeting_id}, {"started", true}});
}

Json refusal(const std::string& text) {
  return text_result(text, true);
}

struct AnswerCase {
  std::string name;
  std::string answer;
  Json expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const AnswerCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<AnswerCase> answer_cases = {
    {"Started", R"({"meetingId":"m-42"})", started("m-42")},
    {"StartedWithEmptyId", R"({"meetingId":""})", started("")},
    {"MeetingIdWinsOverRejection", R"({"meetingId":"m-7","rejection":{"reason":"busy"}})",
     started("m-7")},
    {"Neither", "{}", refusal("Import was neither started nor rejected.")},
    {"NullMeetingIdAndNoRejection", R"({"meetingId":null})",
     refusal("Import was neither started nor rejected.")},
    {"Busy", R"({"rejection":{"reason":"busy"}})",
     refusal("Can't import: a recording or import is already in progress. Stop it, then retry.")},
    {"ModelsNotReady", R"({"rejection":{"reason":"modelsNotReady"}})",
     refusal("Can't import: transcription models are still downloading. Wait, then retry.")},
    {"BadFileMessageVerbatim",
     R"({"rejection":{"message":"No such file: /tmp/missing.m4a","reason":"badFile"}})",
     refusal("No such file: /tmp/missing.m4a")},
    {"UnavailableMessageVerbatim",
     R"({"rejection":{"reason":"unavailable","message":"Importing is paused."}})",
     refusal("Importing is paused.")},
    {"UnknownReason", R"({"rejection":{"reason":"diskFull"}})", refusal(unknown_reason)},
    {"NamedReasonInOtherCase", R"({"rejection":{"reason":"Busy"}})", refusal(unknown_reason)},
    {"Undecodable", R"({"rejection":{"reason":"badFile"}})", refusal(import_not_running)},
    {"ClosedWithoutAnswer", "", refusal(import_not_running)},
};

class ImportAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(ImportAnswer, BecomesItsResult) {
  AppSession session;
  if (GetParam().answer.empty()) {
    session.app.always(Behaviour::close_at_once());
  } else {
    session.app.always(Behaviour::reply(GetParam().answer));
  }
  EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"file_path", "/tmp/missing.m4a"}}),
            GetParam().expected);
  EXPECT_EQ(session.app.requests(),
            std::vector<std::string>{client_member +
                                     R"("kind":"startImport","filePath":"/tmp/missing.m4a"})"});
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, ImportAnswer, testing::ValuesIn(answer_cases),
                         [](const testing::TestParamInfo<AnswerCase>& info) {
                           return info.param.name;
                         });

TEST(ImportRequest, TitleTravelsUnchangedAndAbsentMeansNoMember) {
  struct Case {
    Json arguments;
    std::string line;
  };
  const std::vector<Case> cases = {
      {{{"file_path", "/Users/a/rec.m4a"}},
       client_member + R"("kind":"startImport","filePath":"/Users/a/rec.m4a"})"},
      {{{"file_path", "/Users/a/rec.m4a"}, {"title", nullptr}},
       client_member + R"("kind":"startImport","filePath":"/Users/a/rec.m4a"})"},
      {{{"file_path", "/Users/a/rec.m4a"}, {"title", ""}},
       client_member + R"("kind":"startImport","filePath":"/Users/a/rec.m4a","title":""})"},
      {{{"file_path", "/Users/a/my rec.m4a"}, {"title", "  Team sync  "}},
       client_member +
           R"("kind":"startImport","filePath":"/Users/a/my rec.m4a","title":"  Team sync  "})"},
      {{{"file_path", "/a/../b/./c.wav"}, {"title", "x"}},
       client_member + R"("kind":"startImport","filePath":"/a/../b/./c.wav","title":"x"})"},
  };
  AppSession session;
  session.app.always(Behaviour::reply(R"({"meetingId":"m1"})"));
  std::vector<std::string> expected_lines;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(call_tool(*session.veltu, "import-file", c.arguments), started("m1"));
    expected_lines.push_back(c.line);
  }
  EXPECT_EQ(session.app.requests(), expected_lines);
}

TEST(ImportLocalRefusal, PathsThatAreNotAbsoluteAreRefusedWithoutSending) {
  const std::vector<std::string> paths = {"", "recordings/a.m4a", "~/a.m4a", "C:\\rec\\a.m4a",
                                          " /tmp/a.m4a"};
  AppSession session;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"file_path", path}}),
              refusal("file_path must be absolute: " + path));
  }
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(ImportLocalRefusal, WithoutBridgeTheBridgeIsNamedBeforeThePath) {
  NoBridgeSession session;
  for (const std::string path : {"relative.m4a", "/tmp/a.m4a"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"file_path", path}}),
              refusal("App bridge unavailable in this build."));
  }
}

TEST(ImportLocalRefusal, AppNotRunningGivesTheImportTextAtOnce) {
  AppDownSession session;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"file_path", "/tmp/a.m4a"}}),
            refusal(import_not_running));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(ImportLocalRefusal, UndecodableArgumentsAreRefusedBeforeAnythingIsSent) {
  AppSession session;
  EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"title", "x"}}),
            error_answer(-32602, "failed to deserialize parameters: missing field `file_path`"));
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(ImportLibraryMode, TheToolIsNotOffered) {
  AppSession session(Mode::library);
  EXPECT_EQ(call_tool(*session.veltu, "import-file", {{"file_path", "/tmp/a.m4a"}}),
            error_answer(-32602, "tool not found"));
  EXPECT_TRUE(session.app.requests().empty());
}

// The real limit, in a test of its own so that it runs beside the rest.
TEST(ImportTimeLimit, SilentAppGivesTheImportRefusalAfterThirtySeconds) {
  AppSession session;
  session.app.always(Behaviour::never_answer());
  const auto start = std::chrono::steady_clock::now();
  const Json answer = call_tool(*session.veltu, "import-file", {{"file_path", "/tmp/a.m4a"}}, 45s);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(answer, refusal(import_not_running));
  EXPECT_GE(elapsed, 29900ms);
  EXPECT_LT(elapsed, 33s);
}

}  // namespace
}  // namespace e2e
