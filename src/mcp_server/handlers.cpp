#include "mcp_server/handlers.hpp"

#include "mcp_server/forward.hpp"

namespace mcp_server {

asio::awaitable<ToolOutcome> search_transcripts(const McpServer& server,
                                                SearchTranscriptsArgs args) {
  co_return co_await forward_tool(server, "search-transcripts", args);
}

asio::awaitable<ToolOutcome> list_meetings(const McpServer& server, ListMeetingsArgs args) {
  co_return co_await forward_tool(server, "list-meetings", args);
}

asio::awaitable<ToolOutcome> get_meeting(const McpServer& server, GetMeetingArgs args) {
  co_return co_await forward_tool(server, "get-meeting", args);
}

asio::awaitable<ToolOutcome> get_transcript(const McpServer& server, GetTranscriptArgs args) {
  co_return co_await forward_tool(server, "get-transcript", args);
}

asio::awaitable<ToolOutcome> get_summary(const McpServer& server, GetSummaryArgs args) {
  co_return co_await forward_tool(server, "get-summary", args);
}

asio::awaitable<ToolOutcome> list_action_points(const McpServer& server,
                                                ListActionPointsArgs args) {
  co_return co_await forward_tool(server, "list-action-points", args);
}

asio::awaitable<ToolOutcome> create_action_point(const McpServer& server,
                                                 CreateActionPointArgs args) {
  co_return co_await forward_tool(server, "create-action-point", args);
}

asio::awaitable<ToolOutcome> update_action_point(const McpServer& server,
                                                 UpdateActionPointArgs args) {
  co_return co_await forward_tool(server, "update-action-point", args);
}

asio::awaitable<ToolOutcome> delete_action_point(const McpServer& server,
                                                 DeleteActionPointArgs args) {
  co_return co_await forward_tool(server, "delete-action-point", args);
}

asio::awaitable<ToolOutcome> update_summary(const McpServer& server, UpdateSummaryArgs args) {
  co_return co_await forward_tool(server, "update-summary", args);
}

asio::awaitable<ToolOutcome> update_meeting_title(const McpServer& server,
                                                  UpdateMeetingTitleArgs args) {
  co_return co_await forward_tool(server, "update-meeting-title", args);
}

asio::awaitable<ToolOutcome> add_meeting_tag(const McpServer& server, MeetingTagArgs args) {
  co_return co_await forward_tool(server, "add-meeting-tag", args);
}

asio::awaitable<ToolOutcome> remove_meeting_tag(const McpServer& server, MeetingTagArgs args) {
  co_return co_await forward_tool(server, "remove-meeting-tag", args);
}

asio::awaitable<ToolOutcome> update_chapters(const McpServer& server, UpdateChaptersArgs args) {
  co_return co_await forward_tool(server, "update-chapters", args);
}

// Unlike the forwarded tools, an unreachable app is an answer here, not a failure: the tool
// exists to say whether the app is running.
asio::awaitable<ToolOutcome> get_open_meeting(const McpServer& server) {
  if (server.bridge() == nullptr) {
    co_return app_not_running_result(server.library_mode());
  }
  BridgeOutcome outcome = co_await send_tool_request(server, "get-open-meeting", Json::object());
  if (!outcome) {
    co_return app_not_running_result(server.library_mode());
  }
  co_return tool_result_from_reply(std::move(*outcome), server.library_mode());
}

}  // namespace mcp_server
