// The fourteen forwarded tools, end to end: the request line each one sends, how each reply
// kind and each failure comes back, and many calls at once through one process.

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "bridge_session.hpp"

namespace e2e {
namespace {

using test_support::Behaviour;

struct ForwardCase {
  std::string name;
  std::string tool;
  Json arguments;  // null: no "arguments" member at all
  Json sent_args;  // what the app must receive as "args"
  bool read_only;  // kept in library mode
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ForwardCase& c, std::ostream* os) {
  *os << c.name;
}

std::string case_name(const testing::TestParamInfo<ForwardCase>& info) {
  return info.param.name;
}

const Json null = nullptr;

const std::vector<ForwardCase> forward_cases = {
    {"SearchTranscripts",
     "search-transcripts",
     {{"query", "budget"}, {"limit", 5}},
     {{"limit", 5},
      {"meeting_id", null},
      {"query", "budget"},
      {"source", null},
      {"speaker_label", null}},
     true},
    {"ListMeetingsWithoutArguments",
     "list-meetings",
     nullptr,
     {{"before", null}, {"limit", null}, {"query", null}, {"since", null}, {"state", null}},
     true},
    {"ListMeetingsLimitUncheckedAndUnknownMemberDropped",
     "list-meetings",
     {{"limit", 1000}, {"state", "ended"}, {"colour", "blue"}},
     {{"before", null}, {"limit", 1000}, {"query", null}, {"since", null}, {"state", "ended"}},
     true},
    {"GetMeeting", "get-meeting", {{"meeting_id", "m1"}}, {{"meeting_id", "m1"}}, true},
    {"GetTranscript",
     "get-transcript",
     {{"meeting_id", "m1"}, {"include_timestamps", false}, {"format", null}},
     {{"format", null},
      {"include_timestamps", false},
      {"meeting_id", "m1"},
      {"since", null},
      {"source", null}},
     true},
    {"GetSummary", "get-summary", {{"meeting_id", "m1"}}, {{"meeting_id", "m1"}}, true},
    {"ListActionPoints",
     "list-action-points",
     {{"meeting_id", "m1"}},
     {{"meeting_id", "m1"}},
     true},
    {"CreateActionPoint",
     "create-action-point",
     {{"meeting_id", "m1"}, {"description", "Send the contract to legal"}},
     {{"assignee_speaker_id", null},
      {"description", "Send the contract to legal"},
      {"meeting_id", "m1"}},
     false},
    {"UpdateActionPoint",
     "update-action-point",
     {{"id", "a1"}, {"status", "done"}, {"clear_assignee", true}},
     {{"assignee_speaker_id", null},
      {"clear_assignee", true},
      {"description", null},
      {"id", "a1"},
      {"status", "done"}},
     false},
    {"DeleteActionPoint", "delete-action-point", {{"id", "a1"}}, {{"id", "a1"}}, false},
    {"UpdateSummaryWithLineBreaks",
     "update-summary",
     {{"meeting_id", "m1"}, {"content", "# Notes\n- one\n- two"}},
     {{"content", "# Notes\n- one\n- two"}, {"meeting_id", "m1"}},
     false},
    {"UpdateMeetingTitleUntrimmed",
     "update-meeting-title",
     {{"meeting_id", "m1"}, {"title", "  Quarterly review  "}},
     {{"meeting_id", "m1"}, {"title", "  Quarterly review  "}},
     false},
    {"UpdateMeetingTitleNonAscii",
     "update-meeting-title",
     {{"meeting_id", "m1"}, {"title", "Caf\u00e9 \u2615 r\u00e9sum\u00e9"}},
     {{"meeting_id", "m1"}, {"title", "Caf\u00e9 \u2615 r\u00e9sum\u00e9"}},
     false},
    {"AddMeetingTag",
     "add-meeting-tag",
     {{"meeting_id", "m1"}, {"tag_name", "Reviewed"}},
     {{"meeting_id", "m1"}, {"tag_name", "Reviewed"}},
     false},
    {"RemoveMeetingTag",
     "remove-meeting-tag",
     {{"meeting_id", "m1"}, {"tag_name", "Reviewed"}},
     {{"meeting_id", "m1"}, {"tag_name", "Reviewed"}},
     false},
    {"UpdateChaptersEmpty",
     "update-chapters",
     {{"meeting_id", "m1"}, {"chapters", Json::array()}},
     {{"chapters", Json::array()}, {"meeting_id", "m1"}},
     false},
    {"UpdateChaptersArrayAndObjectForms",
     "update-chapters",
     {{"meeting_id", "m1"},
      {"chapters", Json::array({Json::array({"00:00:00", "Intro"}),
                                {{"timestamp", "00:05:00"}, {"title", "Budget"}, {"x", 1}}})}},
     {{"chapters", Json::array({{{"timestamp", "00:00:00"}, {"title", "Intro"}},
                                {{"timestamp", "00:05:00"}, {"title", "Budget"}}})},
      {"meeting_id", "m1"}},
     false},
};

class ForwardedTool : public testing::TestWithParam<ForwardCase> {};

TEST_P(ForwardedTool, SendsItsNameAndEveryFieldAsMcpTool) {
  const ForwardCase& c = GetParam();
  AppSession session;
  EXPECT_EQ(call_tool(*session.veltu, c.tool, c.arguments), text_result("ok", false));
  EXPECT_EQ(session.app.requests(),
            std::vector<std::string>{named_request_line("mcpTool", c.tool, c.sent_args)});
}

TEST_P(ForwardedTool, InLibraryModeGoesAsReadToolOrIsNotFound) {
  const ForwardCase& c = GetParam();
  AppSession session(Mode::library);
  if (c.read_only) {
    EXPECT_EQ(call_tool(*session.veltu, c.tool, c.arguments), text_result("ok", false));
    EXPECT_EQ(session.app.requests(),
              std::vector<std::string>{named_request_line("readTool", c.tool, c.sent_args)});
  } else {
    EXPECT_EQ(call_tool(*session.veltu, c.tool, c.arguments),
              error_answer(-32602, "tool not found"));
    EXPECT_TRUE(session.app.requests().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ForwardedTool, testing::ValuesIn(forward_cases), case_name);

// Each reply line the app may give, and what a tool call makes of it in each mode.
struct ReplyCase {
  std::string name;
  std::string reply_line;
  Json normal;
  Json library;
};

const std::string unexpected = "Unexpected reply from veltu.";

const std::vector<ReplyCase> reply_cases = {
    {"Text", R"({"kind":"text","message":"3 meetings","isError":false})",
     text_result("3 meetings", false), text_result("3 meetings", false)},
    {"TextFlaggedAsError", R"({"isError":true,"kind":"text","message":"no such meeting"})",
     text_result("no such meeting", true), text_result("no such meeting", true)},
    {"StructuredObject", R"({"kind":"structured","value":{"id":"m1","tags":["a"]}})",
     structured_result({{"id", "m1"}, {"tags", Json::array({"a"})}}),
     error_answer(-32603, unexpected)},
    {"StructuredNull", R"({"kind":"structured","value":null})", structured_result(nullptr),
     error_answer(-32603, unexpected)},
    {"Failed", R"({"kind":"failed","message":"database is locked"})",
     error_answer(-32603, "database is locked"), error_answer(-32603, "database is locked")},
    {"NotFound", R"({"kind":"notFound","message":"gone"})",
     error_answer(-32603, R"(unexpected bridge reply: NotFound { message: "gone" })"),
     error_answer(-32603, R"(unexpected bridge reply: NotFound { message: "gone" })")},
    {"Prompt", R"({"kind":"prompt","text":"t"})",
     error_answer(-32603, R"(unexpected bridge reply: Prompt { text: "t" })"),
     error_answer(-32603, R"(unexpected bridge reply: Prompt { text: "t" })")},
    {"Resource", R"({"kind":"resource","text":"t","uri":"u"})",
     error_answer(-32603, R"(unexpected bridge reply: Resource { uri: "u", text: "t" })"),
     error_answer(-32603, R"(unexpected bridge reply: Resource { uri: "u", text: "t" })")},
    {"ResourceList",
     R"({"entries":[{"description":"d","name":"n","uri":"u"}],"kind":"resourceList"})",
     error_answer(-32603, R"(unexpected bridge reply: ResourceList { entries: [ResourceEntry { )"
                          R"(uri: "u", name: "n", description: "d" }] })"),
     error_answer(-32603, R"(unexpected bridge reply: ResourceList { entries: [ResourceEntry { )"
                          R"(uri: "u", name: "n", description: "d" }] })")},
    // Whatever fails to decode reads as the app not running.
    {"Undecodable", R"({"kind":"Text","message":"x","isError":false})",
     text_result("veltu isn't running. Open the app, then retry.", true),
     text_result("veltu isn't running. Open the app, then retry.", true)},
};

// The stand-in answers get-meeting with the reply case that the meeting id names.
void answer_by_meeting_id(test_support::StandInApp& app) {
  app.set_script([](const std::string& line) {
    const std::string id = Json::parse(line).at("args").at("meeting_id").get<std::string>();
    for (const ReplyCase& c : reply_cases) {
      if (c.name == id) {
        return Behaviour::reply(c.reply_line);
      }
    }
    return Behaviour::close_at_once();
  });
}

class ToolReplies : public testing::TestWithParam<Mode> {};

TEST_P(ToolReplies, EveryReplyKindMapsToItsAnswer) {
  const Mode mode = GetParam();
  AppSession session(mode);
  answer_by_meeting_id(session.app);
  for (const ReplyCase& c : reply_cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(call_tool(*session.veltu, "get-meeting", {{"meeting_id", c.name}}),
              mode == Mode::library ? c.library : c.normal);
  }
  EXPECT_EQ(session.app.requests().size(), reply_cases.size());
}

TEST_P(ToolReplies, AppThatClosesWithoutAnsweringReadsAsNotRunning) {
  AppSession session(GetParam());
  session.app.always(Behaviour::close_at_once());
  EXPECT_EQ(call_tool(*session.veltu, "get-summary", {{"meeting_id", "m1"}}),
            text_result("veltu isn't running. Open the app, then retry.", true));
}

TEST_P(ToolReplies, AppNotRunningIsAnsweredAtOnce) {
  AppDownSession session(GetParam());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(call_tool(*session.veltu, "get-meeting", {{"meeting_id", "m1"}}),
            text_result("veltu isn't running. Open the app, then retry.", true));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_P(ToolReplies, NoBridgeRefusesEveryToolWithoutConnecting) {
  NoBridgeSession session(GetParam());
  for (const ForwardCase& c : forward_cases) {
    if (GetParam() == Mode::library && !c.read_only) {
      continue;
    }
    SCOPED_TRACE(c.name);
    EXPECT_EQ(call_tool(*session.veltu, c.tool, c.arguments),
              text_result("App bridge unavailable in this build.", true));
  }
}

INSTANTIATE_TEST_SUITE_P(BothModes, ToolReplies, testing::Values(Mode::normal, Mode::library),
                         [](const testing::TestParamInfo<Mode>& info) {
                           return mode_name(info.param);
                         });

TEST(ForwardedToolWithoutBridge, EmptyDatabasePathFromTheEnvironmentHasNoBridge) {
  TempDir home;
  test_support::VeltuProcess veltu({}, {{"HOME", home.path()}, {"VELTU_DB_PATH", ""}});
  veltu.handshake();
  EXPECT_EQ(call_tool(veltu, "get-meeting", {{"meeting_id", "m1"}}),
            text_result("App bridge unavailable in this build.", true));
}

struct DecodeFailure {
  std::string tool;
  Json arguments;
  std::string message;
};

TEST(ForwardedToolArguments, DecodeFailuresAreRefusedBeforeAnythingIsSent) {
  const std::vector<DecodeFailure> failures = {
      {"search-transcripts", Json::object(), "missing field `query`"},
      {"get-meeting", {{"meeting_id", 7}}, "invalid type: integer `7`, expected a string"},
      {"list-meetings", {{"limit", 2.5}}, "invalid type: floating point `2.5`, expected i64"},
      {"update-chapters",
       {{"meeting_id", "m1"}, {"chapters", Json::array({Json{{"timestamp", "00:00:00"}}})}},
       "missing field `title`"},
  };
  AppSession session;
  for (const DecodeFailure& f : failures) {
    SCOPED_TRACE(f.tool);
    EXPECT_EQ(call_tool(*session.veltu, f.tool, f.arguments),
              error_answer(-32602, "failed to deserialize parameters: " + f.message));
  }
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(ClientIdentity, ASecondInitializeChangesNothingInLaterRequests) {
  AppSession session;
  session.veltu->request("initialize",
                         {{"protocolVersion", "2025-06-18"},
                          {"capabilities", Json::object()},
                          {"clientInfo", {{"name", "other-client"}, {"version", "9.9.9"}}}});
  EXPECT_EQ(call_tool(*session.veltu, "get-meeting", {{"meeting_id", "m1"}}),
            text_result("ok", false));
  EXPECT_EQ(session.app.requests(), std::vector<std::string>{named_request_line(
                                        "mcpTool", "get-meeting", {{"meeting_id", "m1"}})});
}

TEST(ConcurrentToolCalls, EveryIdGetsItsOwnAnswerAndTheExchangesOverlap) {
  constexpr int calls = 50;
  AppSession session;
  // Shuffled delays (0 to 196 ms, each once) bring the answers back in another order than the
  // requests went out. One exchange at a time would need their sum, 4.9 s.
  session.app.set_script([](const std::string& line) {
    const std::string id = Json::parse(line).at("args").at("meeting_id").get<std::string>();
    const int n = std::stoi(id.substr(1));
    Json reply = {{"kind", "text"}, {"message", "echo " + id}, {"isError", false}};
    return Behaviour::reply(reply.dump()).after(std::chrono::milliseconds((n * 37) % 50 * 4));
  });
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < calls; ++n) {
    session.veltu->send(Json{
        {"jsonrpc", "2.0"},
        {"id", 1000 + n},
        {"method", "tools/call"},
        {"params", tools_call_params("get-meeting", {{"meeting_id", "m" + std::to_string(n)}})}});
  }
  for (int n = 0; n < calls; ++n) {
    auto response = session.veltu->response(1000 + n, 10s);
    ASSERT_TRUE(response.has_value()) << "no answer for call " << n;
    EXPECT_EQ(answer_of(*response), text_result("echo m" + std::to_string(n), false));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
  EXPECT_EQ(session.app.requests().size(), static_cast<std::size_t>(calls));
}

// The real limit, in a test of its own so that it runs beside the rest.
TEST(ToolCallTimeLimit, SilentAppAnswersNotRunningAfterTenSeconds) {
  AppSession session;
  session.app.always(Behaviour::never_answer());
  const auto start = std::chrono::steady_clock::now();
  const Json answer = call_tool(*session.veltu, "get-meeting", {{"meeting_id", "m1"}}, 20s);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(answer, text_result("veltu isn't running. Open the app, then retry.", true));
  EXPECT_GE(elapsed, 9900ms);
  EXPECT_LT(elapsed, 13s);
}

}  // namespace
}  // namespace e2e
