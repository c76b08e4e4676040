#include "mcp_server/forward.hpp"

#include <system_error>
#include <variant>

#include "mcp_bridge/client.hpp"
#include "mcp_server/app_texts.hpp"
#include "mcp_server/library_fence.hpp"
#include "mcp_server/reply_rendering.hpp"

namespace mcp_server {
namespace {

namespace reply = mcp_bridge::reply;
using mcp::ToolResult;

template <class... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

tl::unexpected<mcp::JsonRpcError> internal_error(std::string message) {
  return mcp::rpc_error(mcp::error_code::internal_error, std::move(message));
}

mcp_bridge::BridgeError no_bridge_error() {
  return {mcp_bridge::BridgeErrorKind::io, std::make_error_code(std::errc::not_connected),
          "no bridge"};
}

}  // namespace

asio::awaitable<BridgeOutcome> send_tool_request(const McpServer& server, std::string name,
                                                 Json args) {
  const mcp_bridge::BridgeClient* bridge = server.bridge();
  if (bridge == nullptr) {
    co_return tl::unexpected(no_bridge_error());
  }
  mcp_bridge::BridgeRequest request;
  if (server.library_mode()) {
    request.kind = mcp_bridge::ReadTool{std::move(name), std::move(args)};
  } else {
    request.kind = mcp_bridge::McpTool{std::move(name), std::move(args)};
  }
  co_return co_await bridge->call(std::move(request), mcp_bridge::call_time_limit);
}

ToolOutcome tool_result_from_reply(mcp_bridge::McpReply reply, bool library_mode) {
  return std::visit(Overloaded{
                        [](reply::Text& text) -> ToolOutcome {
                          return ToolResult::text(std::move(text.message), text.is_error);
                        },
                        [library_mode](reply::Structured& structured) -> ToolOutcome {
                          // The app answers read tools with text in library mode; a value
                          // here does not fit the request and is not passed on.
                          if (library_mode) {
                            return internal_error(std::string(unexpected_reply_text));
                          }
                          return ToolResult::structured(std::move(structured.value));
                        },
                        [](reply::Failed& failed) -> ToolOutcome {
                          return internal_error(std::move(failed.message));
                        },
                        [&reply](auto&) -> ToolOutcome {
                          return internal_error("unexpected bridge reply: " + render_reply(reply));
                        },
                    },
                    reply);
}

const ToolResult& app_not_running_result(bool library_mode) {
  static const ToolResult plain =
      ToolResult::structured(Json{{"appRunning", false}, {"meeting", nullptr}});
  static const ToolResult fenced =
      ToolResult::text(fence_library_output("{\"appRunning\":false,\"meeting\":null}\n"));
  return library_mode ? fenced : plain;
}

const ToolResult& bridge_unavailable_result() {
  static const ToolResult result = ToolResult::error(std::string(bridge_unavailable_text));
  return result;
}

asio::awaitable<ToolOutcome> forward_tool_args(const McpServer& server, std::string_view name,
                                               Json args) {
  BridgeOutcome outcome = co_await send_tool_request(server, std::string(name), std::move(args));
  if (!outcome) {
    static const ToolResult not_running = ToolResult::error(std::string(app_not_running_text));
    co_return not_running;
  }
  co_return tool_result_from_reply(std::move(*outcome), server.library_mode());
}

asio::awaitable<std::string> forward_prompt(const McpServer& server, std::string name,
                                            std::string meeting_id) {
  const mcp_bridge::BridgeClient* bridge = server.bridge();
  if (bridge == nullptr) {
    co_return std::string(bridge_unavailable_text);
  }
  Json args = Json::object();
  args["meeting_id"] = std::move(meeting_id);
  // Named, not braced in place: GCC 12 destroys a braced temporary argument of a co_await twice.
  mcp_bridge::BridgeRequest request{std::nullopt,
                                    mcp_bridge::McpPrompt{std::move(name), std::move(args)}};
  BridgeOutcome outcome = co_await bridge->call(std::move(request), mcp_bridge::call_time_limit);
  if (!outcome) {
    co_return std::string(app_not_running_text);
  }
  co_return std::visit(Overloaded{
                           [](reply::Prompt& prompt) { return std::move(prompt.text); },
                           [](reply::Failed& failed) { return std::move(failed.message); },
                           [](auto&) { return std::string(unexpected_reply_text); },
                       },
                       *outcome);
}

}  // namespace mcp_server
