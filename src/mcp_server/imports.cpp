#include "mcp_server/imports.hpp"

#include <utility>
#include <variant>

#include "mcp_bridge/client.hpp"
#include "mcp_server/app_texts.hpp"
#include "mcp_server/mcp_server.hpp"

namespace mcp_server {
namespace {

namespace rejection = mcp_bridge::rejection;
using mcp::ToolResult;

struct RefusalText {
  std::string operator()(const rejection::Busy&) const {
    return "Can't import: a recording or import is already in progress. Stop it, then retry.";
  }
  std::string operator()(const rejection::ModelsNotReady&) const {
    return "Can't import: transcription models are still downloading. Wait, then retry.";
  }
  std::string operator()(rejection::BadFile& bad_file) const { return std::move(bad_file.message); }
  std::string operator()(rejection::Unavailable& unavailable) const {
    return std::move(unavailable.message);
  }
  std::string operator()(const rejection::Unknown&) const {
    return "Can't import: veltu refused, for a reason this version can't explain. Restart your "
           "MCP client to pick up the current veltu, then retry.";
  }
};

bool is_absolute(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

}  // namespace

// Every way this can go wrong is a refusal the model can read, never a protocol error. The
// order of the checks is fixed: the bridge, then the path, then the exchange.
asio::awaitable<ToolOutcome> import_file(const McpServer& server, ImportFileArgs args) {
  const mcp_bridge::BridgeClient* bridge = server.bridge();
  if (bridge == nullptr) {
    co_return ToolResult::error(std::string(bridge_unavailable_text));
  }
  // The one check made on this side; the app looks at everything else about the file.
  if (!is_absolute(args.file_path)) {
    co_return ToolResult::error("file_path must be absolute: " + args.file_path);
  }
  auto outcome = co_await bridge->start_import(std::move(args.file_path), std::move(args.title));
  if (!outcome) {
    co_return ToolResult::error(std::string(import_app_not_running_text));
  }
  // Once the app has a meeting for the file the import runs, whatever else it says.
  if (outcome->meeting_id) {
    co_return ToolResult::structured(
        Json{{"meetingId", std::move(*outcome->meeting_id)}, {"started", true}});
  }
  if (!outcome->rejection) {
    co_return ToolResult::error("Import was neither started nor rejected.");
  }
  co_return ToolResult::error(std::visit(RefusalText{}, *outcome->rejection));
}

}  // namespace mcp_server
