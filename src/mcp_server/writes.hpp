#pragma once

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "mcp_server/record_fields.hpp"

namespace mcp_server {

struct UpdateSummaryArgs {
  std::string meeting_id;
  std::string content;

  static constexpr std::string_view record_name = "UpdateSummaryArgs";
  static constexpr auto fields() {
    using R = UpdateSummaryArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting whose stored notes summary to replace"),
        field("content", &R::content, "New markdown body for the summary"));
  }
};

struct UpdateMeetingTitleArgs {
  std::string meeting_id;
  std::string title;

  static constexpr std::string_view record_name = "UpdateMeetingTitleArgs";
  static constexpr auto fields() {
    using R = UpdateMeetingTitleArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting whose title to replace"),
        field("title", &R::title, "New title (trimmed; must be non-empty)"));
  }
};

// Shared by add-meeting-tag and remove-meeting-tag.
struct MeetingTagArgs {
  std::string meeting_id;
  std::string tag_name;

  static constexpr std::string_view record_name = "MeetingTagArgs";
  static constexpr auto fields() {
    using R = MeetingTagArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting to attach or detach the tag from"),
        field("tag_name", &R::tag_name,
              "Tag name (case-insensitive). For `add-meeting-tag` the tag is\n"
              "created on the fly if no case-insensitive match exists."));
  }
};

struct ChapterArg {
  std::string timestamp;
  std::string title;

  static constexpr std::string_view record_name = "ChapterArg";
  static constexpr std::string_view record_description =
      "One chapter as `update-chapters` takes it over MCP.\n"
      "Kept apart from the database's own chapter record so that the database type does not\n"
      "have to depend on the schema generator merely to expose its JSON shape over MCP.";
  static constexpr auto fields() {
    using R = ChapterArg;
    return std::make_tuple(field("timestamp", &R::timestamp,
                                 "`HH:MM:SS` offset from meeting start (e.g. \"00:12:30\")"),
                           field("title", &R::title, "Chapter title shown in the UI"));
  }
};

struct UpdateChaptersArgs {
  std::string meeting_id;
  std::vector<ChapterArg> chapters;

  static constexpr std::string_view record_name = "UpdateChaptersArgs";
  static constexpr auto fields() {
    using R = UpdateChaptersArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting whose chapter list to replace"),
        field("chapters", &R::chapters,
              "Full replacement chapter list. Empty list clears chapters. The\n"
              "first entry is always pinned to `00:00:00` after validation,\n"
              "matching the desktop's `llm_update_chapters` behaviour."));
  }
};

}  // namespace mcp_server
