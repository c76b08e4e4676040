#include <gtest/gtest.h>

#include <asio/co_spawn.hpp>
#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>
#include <asio/use_future.hpp>
#include <future>
#include <string>
#include <vector>

#include "exchange_helpers.hpp"
#include "mcp_bridge/client.hpp"
#include "record_printers.hpp"
#include "support/stand_in_app.hpp"

namespace mcp_bridge {
namespace {

using namespace std::chrono_literals;
using test_support::Behaviour;

constexpr int concurrent_calls = 200;

// Every call has its own connection and gets its own answer, whatever order the answers come
// in, and no descriptor outlives the exchanges.
TEST(ConcurrentExchanges, EachCallGetsItsOwnAnswer) {
  bridge_test::allow_descriptors(4 * concurrent_calls + 64);
  test_support::StandInApp app([](const std::string& line) {
    const Json args = Json::parse(line)["args"];
    // Scattered delays so that the answers overtake each other.
    const auto delay = std::chrono::milliseconds(args["call"].get<int>() * 37 % 50);
    return Behaviour::reply(R"({"kind":"structured","value":)" + args.dump() + "}").after(delay);
  });
  const auto baseline = bridge_test::settled_descriptor_count();
  {
    const BridgeClient client(app.dir());
    ASSERT_TRUE(client.client_identity().offer({"desk-client", "3"}));
    asio::thread_pool pool(2);

    std::vector<std::future<tl::expected<McpReply, BridgeError>>> answers;
    for (int i = 0; i < concurrent_calls; ++i) {
      BridgeRequest request{
          std::nullopt, McpTool{"get-meeting", Json{{"call", i}, {"id", "m" + std::to_string(i)}}}};
      answers.push_back(asio::co_spawn(asio::make_strand(pool),
                                       client.call(std::move(request), 10s), asio::use_future));
    }
    for (int i = 0; i < concurrent_calls; ++i) {
      const auto answer = answers[i].get();
      ASSERT_TRUE(answer.has_value()) << "call " << i << ": " << answer.error().message;
      const Json echoed{{"call", i}, {"id", "m" + std::to_string(i)}};
      EXPECT_EQ(*answer, McpReply{reply::Structured{echoed}});
    }
    pool.join();
  }
  EXPECT_EQ(app.requests().size(), static_cast<std::size_t>(concurrent_calls));
  EXPECT_EQ(bridge_test::descriptor_count_settled_to(baseline, 2s), baseline);
}

}  // namespace
}  // namespace mcp_bridge
