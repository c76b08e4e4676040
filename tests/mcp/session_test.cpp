#include "mcp/session.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "pipe.hpp"

namespace {

using mcp::Json;
using namespace std::chrono_literals;

// Methods: "sleep" waits params.ms and answers them, "echo" answers its params, "fail" answers
// a -32602 error, "throw" throws.
class FakeHandler final : public mcp::Handler {
 public:
  Json initialize(const Json& params) override {
    ++initialize_calls;
    last_initialize_params = params;
    if (params.is_object() && params.contains("explode")) {
      throw std::runtime_error("no description");
    }
    return {{"protocolVersion", "2025-06-18"}, {"serverInfo", {{"name", "fake"}}}};
  }

  asio::awaitable<mcp::Result<Json>> handle_request(std::string method, Json params) override {
    if (method == "sleep") {
      asio::steady_timer timer(co_await asio::this_coro::executor,
                               std::chrono::milliseconds(params["ms"].get<int>()));
      co_await timer.async_wait(asio::use_awaitable);
      co_return params;
    }
    if (method == "echo") {
      co_return params;
    }
    if (method == "fail") {
      co_return mcp::rpc_error(-32602, "bad params");
    }
    if (method == "throw") {
      throw std::runtime_error("boom");
    }
    co_return mcp::rpc_error(-32601, method);
  }

  void handle_notification(std::string_view method, const Json&) override {
    std::lock_guard lock(mutex);
    notifications.emplace_back(method);
  }

  std::atomic<int> initialize_calls{0};
  Json last_initialize_params;
  std::mutex mutex;
  std::vector<std::string> notifications;
};

struct Outcome {
  std::optional<std::string> serve_failure;
  std::optional<std::string> wait_failure;
  std::vector<Json> answers;  // in output order
  std::vector<std::string> raw_lines;
};

const std::string initialize =
    R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2024-11-05","clientInfo":{"name":"t","version":"1"}}})";
const std::string initialized = R"({"jsonrpc":"2.0","method":"notifications/initialized"})";

std::string request(int id, const std::string& method, const Json& params = Json::object()) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump();
}

// Runs one session over pipes with the whole input written and closed up front.
Outcome run_session(FakeHandler& handler, const std::vector<std::string>& lines,
                    mcp::SessionLimits limits = {}) {
  Pipe in;
  Pipe out;
  std::string output;
  std::thread reader([&] { output = out.read_all(); });
  std::thread writer([&] {
    for (const auto& line : lines) {
      in.write_all(line + "\n");
    }
    in.close_write();
  });

  Outcome outcome;
  {
    asio::thread_pool pool(2);
    auto session = mcp::Session::serve(handler, pool, in.read_end, out.write_end, limits);
    if (!session) {
      outcome.serve_failure = mcp::render(session.error());
    } else if (auto ended = session->wait(); !ended) {
      outcome.wait_failure = mcp::render(ended.error());
    }
  }
  writer.join();
  out.close_write();
  reader.join();

  std::istringstream stream(output);
  std::string line;
  while (std::getline(stream, line)) {
    outcome.raw_lines.push_back(line);
    outcome.answers.push_back(Json::parse(line));
  }
  return outcome;
}

std::vector<Json> ids(const std::vector<Json>& answers) {
  std::vector<Json> seen;
  for (const auto& answer : answers) {
    seen.push_back(answer["id"]);
  }
  return seen;
}

TEST(Session, AnswersWhenReadyNotInRequestOrder) {
  FakeHandler handler;
  auto outcome = run_session(handler, {initialize, initialized, request(1, "sleep", {{"ms", 300}}),
                                       request(2, "echo", {{"v", "x"}})});
  ASSERT_FALSE(outcome.serve_failure);
  ASSERT_FALSE(outcome.wait_failure);
  EXPECT_EQ(ids(outcome.answers), (std::vector<Json>{0, 2, 1}));
  EXPECT_EQ(outcome.raw_lines[1], R"({"id":2,"jsonrpc":"2.0","result":{"v":"x"}})");
  EXPECT_EQ(outcome.raw_lines[2], R"({"id":1,"jsonrpc":"2.0","result":{"ms":300}})");
}

TEST(Session, FinishesRunningRequestsAfterInputEnds) {
  FakeHandler handler;
  std::vector<std::string> lines = {initialize, initialized};
  for (int id = 1; id <= 20; ++id) {
    lines.push_back(request(id, "sleep", {{"ms", 20 + (id % 5) * 20}}));
  }
  auto outcome = run_session(handler, lines);
  ASSERT_FALSE(outcome.wait_failure);
  std::vector<Json> answered = ids(outcome.answers);
  std::sort(answered.begin(), answered.end());
  std::vector<Json> expected;
  for (int id = 0; id <= 20; ++id) {
    expected.push_back(id);
  }
  EXPECT_EQ(answered, expected);
}

TEST(Session, AnswersEachRequestWithItsResultOrError) {
  FakeHandler handler;
  auto outcome = run_session(
      handler, {initialize, initialized, request(1, "fail"), request(2, "throw"),
                request(3, "nope"), R"({"jsonrpc":"2.0","id":"s","method":"echo"})",
                R"({"jsonrpc":"2.0","id":4,"result":{}})", "not json", "",
                R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":1}})",
                request(5, "echo", {{"last", true}})});
  ASSERT_FALSE(outcome.wait_failure);
  std::map<std::string, std::string> by_id;
  for (std::size_t i = 0; i < outcome.answers.size(); ++i) {
    by_id[outcome.answers[i]["id"].dump()] = outcome.raw_lines[i];
  }
  EXPECT_EQ(by_id.size(), 7u);  // initialize, 1, 2, 3, "s", 5 and the parse error; no response
  EXPECT_EQ(by_id["1"],
            R"({"error":{"code":-32602,"message":"bad params"},"id":1,"jsonrpc":"2.0"})");
  EXPECT_EQ(by_id["2"],
            R"({"error":{"code":-32603,"message":"Internal error: boom"},"id":2,"jsonrpc":"2.0"})");
  EXPECT_EQ(by_id["3"], R"({"error":{"code":-32601,"message":"nope"},"id":3,"jsonrpc":"2.0"})");
  EXPECT_EQ(by_id["\"s\""], R"({"id":"s","jsonrpc":"2.0","result":null})");
  EXPECT_EQ(by_id["5"], R"({"id":5,"jsonrpc":"2.0","result":{"last":true}})");
  EXPECT_EQ(
      by_id["null"],
      R"({"error":{"code":-32700,"message":"Parse error: parse error at line 1, column 2: syntax error while parsing value - invalid literal; last read: 'no'"},"id":null,"jsonrpc":"2.0"})");
  EXPECT_EQ(handler.notifications, (std::vector<std::string>{"notifications/cancelled"}));
}

TEST(Session, RepeatedInitializeIsNegotiatedAgain) {
  FakeHandler handler;
  auto outcome =
      run_session(handler, {initialize, initialized,
                            request(7, "initialize", {{"protocolVersion", "2025-03-26"}}),
                            request(8, "initialize", {{"protocolVersion", "2030-01-01"}})});
  ASSERT_FALSE(outcome.wait_failure);
  EXPECT_EQ(handler.initialize_calls, 3);
  std::map<int, Json> results;
  for (const auto& answer : outcome.answers) {
    results[answer["id"].get<int>()] = answer["result"];
  }
  EXPECT_EQ(results[0]["protocolVersion"], "2024-11-05");
  EXPECT_EQ(results[7],
            (Json{{"protocolVersion", "2025-03-26"}, {"serverInfo", {{"name", "fake"}}}}));
  EXPECT_EQ(results[8]["protocolVersion"], "2025-06-18");
}

TEST(Session, HandshakeFailuresEndServe) {
  struct Case {
    std::vector<std::string> lines;
    std::string failure;
    std::size_t answers;
  };
  const Case cases[] = {
      {{}, R"(ConnectionClosed("initialize request"))", 0},
      {{"", "{"}, R"(ConnectionClosed("initialize request"))", 1},
      {{initialize}, R"(ConnectionClosed("initialized notification"))", 1},
      {{request(1, "echo")}, R"(ExpectedInitializeRequest("echo"))", 0},
      {{initialize, request(1, "echo")}, R"(ExpectedInitializedNotification("echo"))", 1},
      {{R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"explode":1}})"},
       R"(InitializeFailed("no description"))",
       1},
  };
  for (const Case& c : cases) {
    FakeHandler handler;
    auto outcome = run_session(handler, c.lines);
    EXPECT_EQ(outcome.serve_failure, c.failure);
    EXPECT_EQ(outcome.answers.size(), c.answers) << c.failure;
  }
}

TEST(Session, OversizedLinesAreAnsweredAndSkipped) {
  FakeHandler handler;
  const std::string too_long = request(9, "echo", {{"pad", std::string(200, 'p')}});
  auto outcome = run_session(
      handler,
      {too_long, initialize, too_long, initialized, too_long, request(1, "echo", {{"ok", 1}})},
      mcp::SessionLimits{200, 512});
  ASSERT_FALSE(outcome.serve_failure);
  const std::string refused =
      R"({"error":{"code":-32700,"message":"Parse error: line longer than 200 bytes"},"id":null,"jsonrpc":"2.0"})";
  ASSERT_EQ(outcome.raw_lines.size(), 5u);
  EXPECT_EQ(outcome.raw_lines[0], refused);
  EXPECT_EQ(outcome.answers[1]["id"], 0);
  EXPECT_EQ(outcome.raw_lines[2], refused);
  EXPECT_EQ(outcome.raw_lines[3], refused);
  EXPECT_EQ(outcome.raw_lines[4], R"({"id":1,"jsonrpc":"2.0","result":{"ok":1}})");
}

TEST(Session, UnreadableInputIsATransportError) {
  FakeHandler handler;
  asio::thread_pool pool(1);
  const int directory = ::open("/", O_RDONLY);
  ASSERT_GE(directory, 0);
  auto session = mcp::Session::serve(handler, pool, directory, -1);
  ::close(directory);
  ASSERT_FALSE(session.has_value());
  EXPECT_EQ(mcp::render(session.error()), "TransportError(error: \"" +
                                              std::generic_category().message(EISDIR) +
                                              "\", context: \"reading standard input\")");
}

TEST(Session, LostOutputDoesNotEndTheSession) {
  std::signal(SIGPIPE, SIG_IGN);
  FakeHandler handler;
  Pipe in;
  Pipe out;
  out.close_read();
  for (const auto& line : {initialize, initialized, request(1, "echo"), request(2, "throw")}) {
    in.write_all(line + "\n");
  }
  in.close_write();
  asio::thread_pool pool(2);
  auto session = mcp::Session::serve(handler, pool, in.read_end, out.write_end);
  ASSERT_TRUE(session.has_value());
  EXPECT_TRUE(session->wait().has_value());
  EXPECT_EQ(handler.initialize_calls, 1);
}

}  // namespace
