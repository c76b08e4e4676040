#include "mcp/handshake.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mcp::Json;
namespace step = mcp::handshake_step;

// The handler's description in these tests.
const Json description = {{"protocolVersion", "2025-06-18"}, {"serverInfo", {{"name", "t"}}}};

std::string describe(const mcp::HandshakeStep& s) {
  if (auto* answer = std::get_if<step::Answer>(&s)) {
    return "answer " + answer->message.dump();
  }
  if (auto* call = std::get_if<step::CallInitialize>(&s)) {
    return "initialize " + call->params.dump();
  }
  if (std::holds_alternative<step::Established>(s)) {
    return "established";
  }
  const auto& abort = std::get<step::Abort>(s);
  return "abort " + mcp::render(abort.failure) +
         (abort.answer ? " after " + abort.answer->dump() : "");
}

// Feeds the lines one by one; a call for the description is answered with `description`.
std::vector<std::string> run(mcp::Handshake& handshake, const std::vector<std::string>& lines) {
  std::vector<std::string> steps;
  for (const auto& line : lines) {
    auto message = mcp::classify_line(line);
    if (!message) {
      steps.push_back("skipped");
      continue;
    }
    mcp::HandshakeStep s = handshake.on_message(std::move(*message));
    steps.push_back(describe(s));
    if (std::holds_alternative<step::CallInitialize>(s)) {
      steps.push_back(describe(handshake.on_server_description(description)));
    }
  }
  return steps;
}

const std::string initialize =
    R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05"}})";
const std::string initialized = R"({"jsonrpc":"2.0","method":"notifications/initialized"})";
const std::string initialize_answer =
    R"(answer {"id":1,"jsonrpc":"2.0","result":{"protocolVersion":"2024-11-05","serverInfo":{"name":"t"}}})";

struct Script {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> steps;
};

// Test names carry the case name; the values would make them unreadable.
void PrintTo(const Script& c, std::ostream* out) {
  *out << c.name;
}

class HandshakeScript : public testing::TestWithParam<Script> {};

TEST_P(HandshakeScript, GivesTheseSteps) {
  mcp::Handshake handshake;
  EXPECT_EQ(run(handshake, GetParam().lines), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HandshakeScript,
    testing::Values(
        Script{
            "Complete",
            {initialize, initialized},
            {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer, "established"}},
        Script{
            "PingAndSetLevelWhileWaiting",
            {R"({"jsonrpc":"2.0","id":"p","method":"ping"})", initialize,
             R"({"jsonrpc":"2.0","id":2,"method":"ping"})",
             R"({"jsonrpc":"2.0","id":3,"method":"logging/setLevel","params":{"level":"debug"}})",
             initialized},
            {R"(answer {"id":"p","jsonrpc":"2.0","result":{}})",
             R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
             R"(answer {"id":2,"jsonrpc":"2.0","result":{}})",
             R"(answer {"id":3,"jsonrpc":"2.0","result":{}})", "established"}},
        Script{
            "NonMessagesAreAnsweredAndDoNotCount",
            {"", "nope", "[]", initialize, "{\"id\":5}", initialized},
            {"skipped",
             R"(answer {"error":{"code":-32700,"message":"Parse error: parse error at line 1, column 2: syntax error while parsing value - invalid literal; last read: 'no'"},"id":null,"jsonrpc":"2.0"})",
             R"(answer {"error":{"code":-32600,"message":"Invalid Request: not a JSON object"},"id":null,"jsonrpc":"2.0"})",
             R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
             R"(answer {"error":{"code":-32600,"message":"Invalid Request: \"jsonrpc\" is not \"2.0\""},"id":5,"jsonrpc":"2.0"})",
             "established"}},
        Script{
            "InitializeWithoutParams",
            {R"({"jsonrpc":"2.0","id":1,"method":"initialize"})", initialized},
            {"initialize null",
             R"(answer {"id":1,"jsonrpc":"2.0","result":{"protocolVersion":"2025-06-18","serverInfo":{"name":"t"}}})",
             "established"}},
        Script{"RequestFirst",
               {R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})"},
               {R"(abort ExpectedInitializeRequest("tools/list"))"}},
        Script{"SetLevelFirst",
               {R"({"jsonrpc":"2.0","id":1,"method":"logging/setLevel"})"},
               {R"(abort ExpectedInitializeRequest("logging/setLevel"))"}},
        Script{"InitializedFirst",
               {initialized},
               {R"(abort ExpectedInitializeRequest("notifications/initialized"))"}},
        Script{"ResponseFirst",
               {R"({"jsonrpc":"2.0","id":1,"result":{}})"},
               {R"(abort ExpectedInitializeRequest("response"))"}},
        Script{"InitializeAsNotification",
               {R"({"jsonrpc":"2.0","method":"initialize"})"},
               {R"(abort ExpectedInitializeRequest("initialize"))"}},
        Script{"RequestBeforeInitialized",
               {initialize, R"({"jsonrpc":"2.0","id":2,"method":"tools/list"})"},
               {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
                R"(abort ExpectedInitializedNotification("tools/list"))"}},
        Script{"SecondInitializeBeforeInitialized",
               {initialize, initialize},
               {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
                R"(abort ExpectedInitializedNotification("initialize"))"}},
        Script{"OtherNotificationBeforeInitialized",
               {initialize, R"({"jsonrpc":"2.0","method":"notifications/cancelled"})"},
               {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
                R"(abort ExpectedInitializedNotification("notifications/cancelled"))"}},
        Script{"ResponseBeforeInitialized",
               {initialize, R"({"jsonrpc":"2.0","id":"s1","error":{"code":1,"message":"m"}})"},
               {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
                R"(abort ExpectedInitializedNotification("response"))"}},
        Script{"InitializedAsRequest",
               {initialize, R"({"jsonrpc":"2.0","id":2,"method":"notifications/initialized"})"},
               {R"(initialize {"protocolVersion":"2024-11-05"})", initialize_answer,
                R"(abort ExpectedInitializedNotification("notifications/initialized"))"}}),
    [](const testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

TEST(Handshake, EndOfInputNamesWhatWasAwaited) {
  mcp::Handshake before;
  EXPECT_EQ(mcp::render(before.on_end_of_input()), R"(ConnectionClosed("initialize request"))");

  mcp::Handshake after;
  run(after, {initialize});
  EXPECT_EQ(after.phase(), mcp::Handshake::Phase::awaiting_initialized);
  EXPECT_EQ(mcp::render(after.on_end_of_input()),
            R"(ConnectionClosed("initialized notification"))");
}

TEST(Handshake, KeepsTheClientsParamsAsPeerInfo) {
  mcp::Handshake handshake;
  run(handshake, {initialize, initialized});
  EXPECT_EQ(handshake.phase(), mcp::Handshake::Phase::established);
  EXPECT_EQ(handshake.peer_info(), (Json{{"protocolVersion", "2024-11-05"}}));
}

TEST(Handshake, InitializeFailureAnswersTheRequestAndEnds) {
  mcp::Handshake failing;
  auto call = failing.on_message(*mcp::classify_line(initialize));
  ASSERT_TRUE(std::holds_alternative<step::CallInitialize>(call));
  EXPECT_EQ(
      describe(failing.on_initialize_failed("no server")),
      R"(abort InitializeFailed("no server") after {"error":{"code":-32603,"message":"no server"},"id":1,"jsonrpc":"2.0"})");
  EXPECT_EQ(failing.phase(), mcp::Handshake::Phase::failed);

  mcp::Handshake not_an_object;
  not_an_object.on_message(*mcp::classify_line(initialize));
  EXPECT_EQ(
      describe(not_an_object.on_server_description(Json::array())),
      R"(abort InitializeFailed("the server description is not a JSON object") after {"error":{"code":-32603,"message":"the server description is not a JSON object"},"id":1,"jsonrpc":"2.0"})");
}

TEST(Handshake, DescriptionWithoutACallIsRefused) {
  mcp::Handshake handshake;
  EXPECT_EQ(describe(handshake.on_server_description(description)),
            "abort UnexpectedInitializeResponse");
}

}  // namespace
