#pragma once

#include <string_view>

// The description each tool is published with.
namespace mcp_server::tool_descriptions {

inline constexpr std::string_view search_transcripts =
    "Full-text search across all meeting transcripts using FTS5 with BM25 ranking. Returns "
    "matching segments with speaker labels, timestamps, and surrounding context.";

inline constexpr std::string_view list_meetings =
    "List and search meetings by title, date range, or state. Returns meeting metadata "
    "including duration, current state, and user-applied tags (workflow markers such as "
    "\"reviewed\" or \"ingested\").";

inline constexpr std::string_view get_meeting =
    "Get detailed metadata for a single meeting including segment count, speaker count, word "
    "count, speaker list, and user-applied tags. Does NOT include full transcript; use "
    "get-transcript for that.";

inline constexpr std::string_view get_transcript =
    "Returns a meeting's transcript as formatted text alongside a `latestSegmentAt` watermark "
    "(ISO 8601, millisecond precision). To follow a live meeting, call repeatedly and pass the "
    "previous response's `latestSegmentAt` back as `since` on the next call to receive only "
    "what's been added since then. An empty `transcript` means no new content has arrived yet; "
    "poll again later.";

// In library mode the app answers long transcripts in parts, which the assistant must be told
// how to page through.
inline constexpr std::string_view get_transcript_library_mode =
    "Returns a meeting's transcript as formatted text alongside a `latestSegmentAt` watermark "
    "(ISO 8601, millisecond precision). A long meeting comes back in parts of about 4,000 "
    "words: when `transcript` ends with a line saying it continues, call again with `since` set "
    "to the `latestSegmentAt` of that reply to read the next part, and repeat until no such "
    "line appears. Lines inside a part are in time order, but a later part can include a line "
    "timed earlier, since parts follow the order lines were saved. No line is repeated or "
    "skipped. To follow a live meeting, call repeatedly and pass the previous response's "
    "`latestSegmentAt` back as `since` on the next call to receive only what's been added "
    "since then. An empty `transcript` means no new content has arrived yet; poll again later.";

inline constexpr std::string_view get_summary =
    "Returns the stored LLM-generated summary for a meeting (the same notes the user sees in "
    "the veltu UI). If no summary has been persisted yet, `status` is `not_generated` and "
    "`summary` is null.";

inline constexpr std::string_view list_action_points =
    "Returns the action points / to-dos stored against a meeting. Each item carries "
    "description, status (suggested/open/done), and the resolved assignee speaker (when the "
    "LLM's named owner matched a participant on the call). Items are ordered suggested → open → "
    "done, then by creation time within each tier.";

inline constexpr std::string_view create_action_point =
    "Create a new action point on a meeting. Use this to capture a to-do that the LLM didn't "
    "surface or that you want to add by hand. Returns the created record.";

inline constexpr std::string_view update_action_point =
    "Patch an existing action point. Any field you omit is left unchanged. To drop an assignee, "
    "pass `clear_assignee=true`. Returns the updated record.";

inline constexpr std::string_view delete_action_point =
    "Permanently remove an action point. Cannot be undone.";

inline constexpr std::string_view update_summary =
    "Replace the stored markdown notes for a meeting. The meeting must already have a notes "
    "summary; generate one in the desktop app first if none exists. Returns the updated "
    "content.";

inline constexpr std::string_view update_meeting_title =
    "Replace a meeting's title. Trimmed, must be non-empty. Returns the new title. The "
    "desktop's auto-export filename-rename hook does not fire for MCP writes.";

inline constexpr std::string_view add_meeting_tag =
    "Attach a tag to a meeting by name (case-insensitive). The tag is created on the fly if no "
    "case-insensitive match exists. Idempotent: attaching the same tag twice is a no-op. "
    "Returns the resolved tag name.";

inline constexpr std::string_view remove_meeting_tag =
    "Detach a tag from a meeting by name (case-insensitive). No-op when the tag doesn't exist "
    "or wasn't attached, matching the desktop UI's chip rail. Returns the tag name that was "
    "targeted.";

inline constexpr std::string_view update_chapters =
    "Replace the chapter list for a meeting. Each chapter is `{ timestamp: \"HH:MM:SS\", "
    "title: \"…\" }`. Entries with empty titles or malformed timestamps are dropped; the "
    "remaining entries are sorted by timestamp and the first is pinned to `00:00:00` (same "
    "invariant the desktop's chapter editor enforces). An empty list clears chapters. Returns "
    "the cleaned list as it was persisted.";

inline constexpr std::string_view get_open_meeting =
    "Returns the meeting currently open in the veltu desktop app, with the same detail shape as "
    "get-meeting. `appRunning: false` means the app isn't running; `meeting: null` with "
    "`appRunning: true` means no meeting is open. A meeting stays \"open\" while the window is "
    "hidden (closed to tray); it's what the window shows when visible.";

inline constexpr std::string_view import_file =
    "Transcribe a local audio/video file offline by handing it to the running veltu desktop app "
    "(the app does the transcription; it must be open). `file_path` must be absolute. Pass an "
    "optional `title` to set the meeting's title (otherwise it's derived from the file name). "
    "Returns `{ meetingId, started: true }` as soon as the import is admitted; the "
    "transcription then runs in the background. To follow it to completion, poll `get-meeting` "
    "until its `state` is `ended`, and/or call `get-transcript` repeatedly, passing the "
    "previous response's `latestSegmentAt` back as `since` to stream in new segments. Errors "
    "when the app isn't running, a recording or import is already in progress, the models are "
    "still downloading, or the file is missing/unsupported.";

}  // namespace mcp_server::tool_descriptions
