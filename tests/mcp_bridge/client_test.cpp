#include "mcp_bridge/client.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <asio/experimental/awaitable_operators.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>
#include <filesystem>
#include <ostream>
#include <string>

#include "exchange_helpers.hpp"
#include "mcp_bridge/wire.hpp"
#include "record_printers.hpp"
#include "support/stand_in_app.hpp"
#include "support/temp_dir.hpp"

namespace mcp_bridge {
namespace {

using namespace std::chrono_literals;
using bridge_test::Clock;
using bridge_test::elapsed_since;
using bridge_test::run_on_strand;
using test_support::Behaviour;

const std::string ok_line = R"({"kind":"failed","message":"a"})";
const McpReply ok_reply = reply::Failed{"a"};
const BridgeRequest get_meeting{std::nullopt, McpTool{"get-meeting", Json{{"meeting_id", "m1"}}}};
const std::string get_meeting_line =
    R"({"kind":"mcpTool","name":"get-meeting","args":{"meeting_id":"m1"}})";
// What the decoder says about an empty line.
const std::string empty_line_error = decode_reply("").error();

struct SocketPathCase {
  std::string data_dir;
  std::string path;
};

TEST(SocketPath, JoinsDataDirAndFileName) {
  const SocketPathCase cases[] = {
      {"", "mcp-bridge.sock"},
      {"/", "/mcp-bridge.sock"},
      {"/Users/a/Library/Veltu", "/Users/a/Library/Veltu/mcp-bridge.sock"},
      {"/Users/a/Library/Veltu/", "/Users/a/Library/Veltu/mcp-bridge.sock"},
      {"data", "data/mcp-bridge.sock"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(socket_path_in(c.data_dir), c.path) << c.data_dir;
    const BridgeClient client(c.data_dir);
    EXPECT_EQ(client.data_dir(), c.data_dir);
    EXPECT_EQ(client.socket_path(), c.path);
  }
}

class Exchange : public ::testing::Test {
 protected:
  tl::expected<McpReply, BridgeError> call(BridgeRequest request,
                                           std::chrono::milliseconds limit = 5s) {
    return run_on_strand(pool_, client_.call(std::move(request), limit));
  }
  tl::expected<StartImportReply, BridgeError> start_import(std::string path,
                                                           std::optional<std::string> title,
                                                           std::chrono::milliseconds limit) {
    return run_on_strand(pool_, client_.start_import(std::move(path), std::move(title), limit));
  }

  test_support::StandInApp app_;
  BridgeClient client_{app_.dir()};
  asio::thread_pool pool_{2};
};

TEST_F(Exchange, SendsOneLineAndDecodesTheAnswer) {
  app_.always(Behaviour::reply(R"({"kind":"text","message":"3 meetings","isError":false})"));
  const auto result = call(get_meeting);
  ASSERT_TRUE(result.has_value()) << result.error().message;
  EXPECT_EQ(*result, (McpReply{reply::Text{"3 meetings", false}}));
  EXPECT_EQ(app_.requests(), std::vector<std::string>{get_meeting_line});
}

TEST_F(Exchange, CarriesTheIdentityOnceOffered) {
  ASSERT_TRUE(call(get_meeting).has_value());
  EXPECT_TRUE(client_.client_identity().offer({"desk-client", "2.0"}));
  EXPECT_FALSE(client_.client_identity().offer({"later-client", std::nullopt}));
  ASSERT_TRUE(call(get_meeting).has_value());
  ASSERT_TRUE(call({std::nullopt, McpResourceList{}}).has_value());

  const std::string with_identity = R"({"client":{"name":"desk-client","version":"2.0"},)";
  EXPECT_EQ(
      app_.requests(),
      (std::vector<std::string>{
          get_meeting_line,
          with_identity + R"("kind":"mcpTool","name":"get-meeting","args":{"meeting_id":"m1"}})",
          with_identity + R"("kind":"mcpResourceList"})"}));
}

// The identity is read when the exchange starts, not when the operation was created.
TEST_F(Exchange, RequestWaitingToStartCarriesIdentityOfferedMeanwhile) {
  auto pending = client_.call(get_meeting, 5s);
  ASSERT_TRUE(client_.client_identity().offer({"desk-client", std::nullopt}));
  ASSERT_TRUE(run_on_strand(pool_, std::move(pending)).has_value());
  EXPECT_EQ(app_.requests(),
            std::vector<std::string>{R"({"client":{"name":"desk-client"},"kind":"mcpTool",)"
                                     R"("name":"get-meeting","args":{"meeting_id":"m1"}})"});
}

struct InvalidData {
  std::string message;
};

struct AnswerCase {
  std::string name;
  Behaviour behaviour;
  std::variant<McpReply, InvalidData> expected;
  friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
};

class ExchangeAnswer : public Exchange, public ::testing::WithParamInterface<AnswerCase> {};

// Every answer shape ends at once, well before the limit.
TEST_P(ExchangeAnswer, EndsAtOnceWithTheFirstLine) {
  app_.always(GetParam().behaviour);
  const auto start = Clock::now();
  const auto result = call(get_meeting, 5s);
  EXPECT_LT(elapsed_since(start), 1s);
  if (const auto* reply = std::get_if<McpReply>(&GetParam().expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(*result, *reply);
  } else {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, BridgeErrorKind::invalid_data);
    EXPECT_EQ(result.error().message, std::get<InvalidData>(GetParam().expected).message);
    EXPECT_FALSE(result.error().system);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ExchangeAnswer,
    ::testing::Values(
        AnswerCase{"TwoLinesFirstDecoded",
                   Behaviour::raw(ok_line + "\n" + R"({"kind":"failed","message":"b"})" + "\n"),
                   ok_reply},
        AnswerCase{"NoFinalLineFeedThenClose", Behaviour::raw(ok_line), ok_reply},
        AnswerCase{"BlanksTabsAndCarriageReturn", Behaviour::raw(" \t " + ok_line + "\t \r\n"),
                   ok_reply},
        AnswerCase{"UnicodeSpaces",
                   Behaviour::raw("\xe3\x80\x80" + ok_line + "\xc2\xa0\xe2\x80\xa8\n"), ok_reply},
        AnswerCase{"BytesAfterFirstLineNeverUsed", Behaviour::raw(ok_line + "\n\xff\xfe garbage"),
                   ok_reply},
        AnswerCase{"KeptOpenAfterTheLine", Behaviour::reply_and_keep_open(ok_line), ok_reply},
        AnswerCase{"LeadingLineFeedIsEmptyLine", Behaviour::raw("\n" + ok_line + "\n"),
                   InvalidData{empty_line_error}},
        AnswerCase{"ClosedWithoutWriting", Behaviour::close_at_once(),
                   InvalidData{empty_line_error}},
        AnswerCase{"OnlyWhiteSpace", Behaviour::raw(" \t\r\n"), InvalidData{empty_line_error}},
        AnswerCase{"NotUtf8", Behaviour::raw("{\"kind\":\"failed\",\"message\":\"\xff\"}\n"),
                   InvalidData{"the answer is not valid UTF-8 (byte 28)"}},
        AnswerCase{"NotUtf8InTrailingSpace", Behaviour::raw(ok_line + " \xa0\n"),
                   InvalidData{"the answer is not valid UTF-8 (byte 32)"}},
        AnswerCase{"DoesNotDecode", Behaviour::raw(R"({"kind":"Failed","message":"a"})"),
                   InvalidData{R"(unknown kind "Failed")"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Exchange, NeverAnsweredTimesOutAtTheLimitAndCloses) {
  ASSERT_TRUE(call(get_meeting).has_value());  // the pool's reactor now exists
  const auto baseline = bridge_test::settled_descriptor_count();
  app_.always(Behaviour::never_answer());

  const auto start = Clock::now();
  const auto result = call(get_meeting, 200ms);
  const auto took = elapsed_since(start);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, BridgeErrorKind::timed_out);
  EXPECT_EQ(result.error().message, "app did not reply");
  EXPECT_FALSE(result.error().system);
  EXPECT_GE(took, 200ms);
  EXPECT_LT(took, 2s);  // far below "never", with room for a loaded machine
  ASSERT_TRUE(app_.wait_for_requests(2, 1s));
  // The stand-in lets go of its end only once the client closed the connection.
  EXPECT_EQ(bridge_test::descriptor_count_settled_to(baseline, 2s), baseline);
}

struct DelayCase {
  std::string name;
  std::chrono::milliseconds delay;
  std::chrono::milliseconds limit;
  bool answered;
  friend void PrintTo(const DelayCase& c, std::ostream* os) { *os << c.name; }
};

class ExchangeDelay : public Exchange, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(ExchangeDelay, OneDeadlineCoversTheExchange) {
  app_.always(Behaviour::reply(ok_line).after(GetParam().delay));
  const auto start = Clock::now();
  const auto result = call(get_meeting, GetParam().limit);
  const auto took = elapsed_since(start);
  if (GetParam().answered) {
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(*result, ok_reply);
    EXPECT_GE(took, GetParam().delay);
  } else {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, BridgeErrorKind::timed_out);
    EXPECT_GE(took, GetParam().limit);
    EXPECT_LT(took, GetParam().delay);
  }
}

INSTANTIATE_TEST_SUITE_P(Delays, ExchangeDelay,
                         ::testing::Values(DelayCase{"ShorterThanLimit", 80ms, 2s, true},
                                           DelayCase{"LongerThanLimit", 900ms, 150ms, false}),
                         [](const auto& info) { return info.param.name; });

// Abandoning the awaited operation closes its connection.
TEST_F(Exchange, DroppedOperationClosesTheConnection) {
  using namespace asio::experimental::awaitable_operators;
  ASSERT_TRUE(call(get_meeting).has_value());
  const auto baseline = bridge_test::settled_descriptor_count();
  app_.always(Behaviour::never_answer());

  auto race = [this]() -> asio::awaitable<std::size_t> {
    asio::steady_timer give_up(co_await asio::this_coro::executor, 100ms);
    const auto first =
        co_await (client_.call(get_meeting, 5s) || give_up.async_wait(asio::use_awaitable));
    co_return first.index();
  };
  const auto start = Clock::now();
  EXPECT_EQ(run_on_strand(pool_, race()), 1u);
  EXPECT_LT(elapsed_since(start), 1s);
  ASSERT_TRUE(app_.wait_for_requests(2, 1s));
  EXPECT_EQ(bridge_test::descriptor_count_settled_to(baseline, 2s), baseline);
}

// Megabytes each way: the request is written whole and the answer read through many buffers.
TEST_F(Exchange, LongLinesTravelWhole) {
  app_.set_script([](const std::string& line) {
    return Behaviour::reply(R"({"kind":"structured","value":)" + Json::parse(line)["args"].dump() +
                            "}");
  });
  const Json args{{"blob", std::string(3'000'000, 'x') + "é"}, {"n", 1}};
  const auto result = call({std::nullopt, McpTool{"echo", args}});
  ASSERT_TRUE(result.has_value()) << result.error().message;
  EXPECT_EQ(*result, McpReply{reply::Structured{args}});
  ASSERT_EQ(app_.requests().size(), 1u);
  EXPECT_EQ(app_.requests()[0].size(),
            encode_request({std::nullopt, McpTool{"echo", args}})->size() - 1);
}

TEST_F(Exchange, RequestThatCannotBeEncodedFailsBeforeConnecting) {
  const auto result = call({std::nullopt, McpResourceRead{"meeting://\xff"}});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, BridgeErrorKind::invalid_data);
  EXPECT_EQ(result.error().message,
            "cannot encode the request: invalid UTF-8 byte at index 10: 0xFF");
  EXPECT_FALSE(app_.wait_for_requests(1, 100ms));
}

TEST_F(Exchange, StartImportWritesItsRequestAndDecodesTheAnswer) {
  ASSERT_TRUE(client_.client_identity().offer({"desk-client", "2.0"}));
  app_.set_script([](const std::string& line) {
    return line.find("\"title\"") == std::string::npos
               ? Behaviour::reply(R"({"rejection":{"reason":"badFile"}})")
               : Behaviour::reply(R"({"meetingId":"m-7","rejection":null})");
  });

  const auto admitted = start_import("/Users/a/rec.m4a", "Standup", 5s);
  ASSERT_TRUE(admitted.has_value()) << admitted.error().message;
  EXPECT_EQ(*admitted, (StartImportReply{"m-7", std::nullopt}));

  const auto refused = start_import("/Users/a/rec.m4a", std::nullopt, 5s);
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().kind, BridgeErrorKind::invalid_data);
  EXPECT_EQ(refused.error().message, R"(rejection: member "message" is missing)");

  const std::string prefix = R"({"client":{"name":"desk-client","version":"2.0"},)";
  EXPECT_EQ(app_.requests(),
            (std::vector<std::string>{
                prefix + R"("kind":"startImport","filePath":"/Users/a/rec.m4a","title":"Standup"})",
                prefix + R"("kind":"startImport","filePath":"/Users/a/rec.m4a"})"}));
}

TEST_F(Exchange, StartImportTimesOutAtItsLimit) {
  app_.always(Behaviour::never_answer());
  const auto start = Clock::now();
  const auto result = start_import("/a.wav", std::nullopt, 200ms);
  const auto took = elapsed_since(start);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, BridgeErrorKind::timed_out);
  EXPECT_EQ(result.error().message, "app did not reply");
  EXPECT_GE(took, 200ms);
  EXPECT_LT(took, 2s);  // far below "never", with room for a loaded machine
}

using test_support::TempDir;

struct NoAppCase {
  std::string name;
  std::errc error;
  friend void PrintTo(const NoAppCase& c, std::ostream* os) { *os << c.name; }
};

class ExchangeWithoutApp : public ::testing::TestWithParam<NoAppCase> {};

// Each way of there being no app fails at once with the system's error.
TEST_P(ExchangeWithoutApp, FailsAtOnce) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  std::string data_dir = dir.path();
  if (GetParam().error == std::errc::connection_refused) {
    // A socket file that nobody listens on: bound, never listening, then closed.
    asio::io_context io;
    asio::local::stream_protocol::acceptor bound(io);
    const asio::local::stream_protocol::endpoint endpoint(socket_path_in(data_dir));
    bound.open(endpoint.protocol());
    bound.bind(endpoint);
  } else if (GetParam().error == std::errc::filename_too_long) {
    data_dir += "/" + std::string(200, 'd');
  }
  const BridgeClient client(data_dir);
  asio::thread_pool pool(1);

  const auto start = Clock::now();
  const auto result = run_on_strand(pool, client.call(get_meeting, 5s));
  EXPECT_LT(elapsed_since(start), 1s);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, BridgeErrorKind::io);
  EXPECT_EQ(result.error().system.value(), static_cast<int>(GetParam().error));
  EXPECT_EQ(result.error().message, std::make_error_code(GetParam().error).message());
}

INSTANTIATE_TEST_SUITE_P(
    Sockets, ExchangeWithoutApp,
    ::testing::Values(NoAppCase{"NoSocketFile", std::errc::no_such_file_or_directory},
                      NoAppCase{"NobodyListening", std::errc::connection_refused},
                      NoAppCase{"PathTooLong", std::errc::filename_too_long}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mcp_bridge
