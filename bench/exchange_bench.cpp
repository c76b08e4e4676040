// One whole bridge exchange over the Unix socket against the in-process stand-in app, and many
// at once: what a tool call costs on this side beyond the app's own work.
#include <benchmark/benchmark.h>

#include <asio/co_spawn.hpp>
#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>
#include <asio/use_future.hpp>
#include <future>
#include <vector>

#include "mcp_bridge/client.hpp"
#include "support/stand_in_app.hpp"

namespace {

using namespace std::chrono_literals;

mcp_bridge::BridgeRequest tool_request() {
  return {std::nullopt, mcp_bridge::McpTool{"get-meeting", {{"meeting_id", "42"}}}};
}

void bridge_exchanges(benchmark::State& state) {
  test_support::StandInApp app;
  mcp_bridge::BridgeClient client(app.dir());
  asio::thread_pool pool(2);
  const auto in_flight = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    std::vector<std::future<tl::expected<mcp_bridge::McpReply, mcp_bridge::BridgeError>>> calls;
    calls.reserve(in_flight);
    for (std::size_t i = 0; i < in_flight; ++i) {
      calls.push_back(asio::co_spawn(asio::make_strand(pool), client.call(tool_request(), 10s),
                                     asio::use_future));
    }
    for (auto& call : calls) {
      if (!call.get()) {
        state.SkipWithError("an exchange failed");
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in_flight));
}
BENCHMARK(bridge_exchanges)->Arg(1)->Arg(64)->UseRealTime();

}  // namespace
