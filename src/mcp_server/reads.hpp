#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "mcp_server/record_fields.hpp"

namespace mcp_server {

struct SearchTranscriptsArgs {
  std::string query;
  std::optional<std::string> meeting_id;
  std::optional<std::string> source;
  std::optional<std::string> speaker_label;
  std::optional<std::int64_t> limit;

  static constexpr std::string_view record_name = "SearchTranscriptsArgs";
  static constexpr auto fields() {
    using R = SearchTranscriptsArgs;
    return std::make_tuple(
        field("query", &R::query, "Search query"),
        field("meeting_id", &R::meeting_id, "Restrict to a specific meeting"),
        field("source", &R::source, "Filter by audio source: \"microphone\" or \"system\""),
        field("speaker_label", &R::speaker_label, "Filter by speaker name (partial match)"),
        field("limit", &R::limit, "Maximum results (1-100, default 20)"));
  }
};

struct ListMeetingsArgs {
  std::optional<std::string> query;
  std::optional<std::string> since;
  std::optional<std::string> before;
  std::optional<std::string> state;
  std::optional<std::int64_t> limit;

  static constexpr std::string_view record_name = "ListMeetingsArgs";
  static constexpr auto fields() {
    using R = ListMeetingsArgs;
    return std::make_tuple(
        field("query", &R::query,
              "Search titles, notes, and participating speaker names (omit to list all).\n"
              "Multi-word queries match every word in any order, across any of those fields."),
        field("since", &R::since, "ISO 8601 date: only meetings after this date"),
        field("before", &R::before, "ISO 8601 date: only meetings before this date"),
        field("state", &R::state, "Filter by state: \"recording\", \"processing\", or \"ended\""),
        field("limit", &R::limit, "Maximum results (1-100, default 20)"));
  }
};

struct GetMeetingArgs {
  std::string meeting_id;

  static constexpr std::string_view record_name = "GetMeetingArgs";
  static constexpr auto fields() {
    return std::make_tuple(
        field("meeting_id", &GetMeetingArgs::meeting_id, "The meeting ID to look up"));
  }
};

struct GetTranscriptArgs {
  std::string meeting_id;
  std::optional<std::string> since;
  std::optional<std::string> source;
  std::optional<std::string> format;
  std::optional<bool> include_timestamps;

  static constexpr std::string_view record_name = "GetTranscriptArgs";
  static constexpr auto fields() {
    using R = GetTranscriptArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting ID"),
        field("since", &R::since,
              "ISO 8601 timestamp from a previous response's `latestSegmentAt`. When\n"
              "provided, only segments added after this point are returned. Omit on\n"
              "the first call to fetch the transcript from the start."),
        field("source", &R::source, "Filter by audio source: \"microphone\" or \"system\""),
        field("format", &R::format,
              "Output format for the `transcript` body: \"markdown\" (default) or \"plain\""),
        field("include_timestamps", &R::include_timestamps,
              "Include timestamps in the `transcript` body (default: true)"));
  }
};

struct GetSummaryArgs {
  std::string meeting_id;

  static constexpr std::string_view record_name = "GetSummaryArgs";
  static constexpr auto fields() {
    return std::make_tuple(field("meeting_id", &GetSummaryArgs::meeting_id,
                                 "The meeting ID whose stored summary to retrieve"));
  }
};

}  // namespace mcp_server
