#pragma once

#include <asio/awaitable.hpp>

#include "mcp_server/action_points.hpp"
#include "mcp_server/reads.hpp"
#include "mcp_server/tool_types.hpp"
#include "mcp_server/writes.hpp"

namespace mcp_server {

// The tool methods. Each forwarded one hands its own name and decoded record to forward_tool.
asio::awaitable<ToolOutcome> search_transcripts(const McpServer& server,
                                                SearchTranscriptsArgs args);
asio::awaitable<ToolOutcome> list_meetings(const McpServer& server, ListMeetingsArgs args);
asio::awaitable<ToolOutcome> get_meeting(const McpServer& server, GetMeetingArgs args);
asio::awaitable<ToolOutcome> get_transcript(const McpServer& server, GetTranscriptArgs args);
asio::awaitable<ToolOutcome> get_summary(const McpServer& server, GetSummaryArgs args);
asio::awaitable<ToolOutcome> list_action_points(const McpServer& server, ListActionPointsArgs args);
asio::awaitable<ToolOutcome> create_action_point(const McpServer& server,
                                                 CreateActionPointArgs args);
asio::awaitable<ToolOutcome> update_action_point(const McpServer& server,
                                                 UpdateActionPointArgs args);
asio::awaitable<ToolOutcome> delete_action_point(const McpServer& server,
                                                 DeleteActionPointArgs args);
asio::awaitable<ToolOutcome> update_summary(const McpServer& server, UpdateSummaryArgs args);
asio::awaitable<ToolOutcome> update_meeting_title(const McpServer& server,
                                                  UpdateMeetingTitleArgs args);
asio::awaitable<ToolOutcome> add_meeting_tag(const McpServer& server, MeetingTagArgs args);
asio::awaitable<ToolOutcome> remove_meeting_tag(const McpServer& server, MeetingTagArgs args);
asio::awaitable<ToolOutcome> update_chapters(const McpServer& server, UpdateChaptersArgs args);

// Takes no arguments: whatever the client sent is ignored.
asio::awaitable<ToolOutcome> get_open_meeting(const McpServer& server);

}  // namespace mcp_server
