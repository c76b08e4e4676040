#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "mcp_server/record_fields.hpp"

namespace mcp_server {

struct ListActionPointsArgs {
  std::string meeting_id;

  static constexpr std::string_view record_name = "ListActionPointsArgs";
  static constexpr auto fields() {
    return std::make_tuple(field("meeting_id", &ListActionPointsArgs::meeting_id,
                                 "The meeting whose action points to list"));
  }
};

struct CreateActionPointArgs {
  std::string meeting_id;
  std::string description;
  std::optional<std::string> assignee_speaker_id;

  static constexpr std::string_view record_name = "CreateActionPointArgs";
  static constexpr auto fields() {
    using R = CreateActionPointArgs;
    return std::make_tuple(
        field("meeting_id", &R::meeting_id, "The meeting the action point originates from"),
        field("description", &R::description,
              "One sentence in the imperative voice (e.g. \"Send the contract to legal\")"),
        field("assignee_speaker_id", &R::assignee_speaker_id,
              "Optional speaker id to assign as the owner"));
  }
};

struct UpdateActionPointArgs {
  std::string id;
  std::optional<std::string> description;
  std::optional<std::string> status;
  std::optional<std::string> assignee_speaker_id;
  std::optional<bool> clear_assignee;

  static constexpr std::string_view record_name = "UpdateActionPointArgs";
  static constexpr auto fields() {
    using R = UpdateActionPointArgs;
    return std::make_tuple(
        field("id", &R::id, "The action point id to patch"),
        field("description", &R::description, "New description (omit to leave unchanged)"),
        field("status", &R::status,
              "New status: \"suggested\", \"open\", or \"done\" (omit to leave\n"
              "unchanged). Most callers move a suggestion to \"open\" via\n"
              "accept; reverting to \"suggested\" is allowed for tooling that\n"
              "wants to un-accept."),
        field("assignee_speaker_id", &R::assignee_speaker_id,
              "New assignee speaker id. Omit to leave unchanged. To clear an\n"
              "existing assignee, set `clear_assignee` to `true` instead."),
        field("clear_assignee", &R::clear_assignee,
              "When `true`, drop any existing assignee. Mutually exclusive with\n"
              "`assignee_speaker_id`; if both are present, `clear_assignee`\n"
              "wins."));
  }
};

struct DeleteActionPointArgs {
  std::string id;

  static constexpr std::string_view record_name = "DeleteActionPointArgs";
  static constexpr auto fields() {
    return std::make_tuple(
        field("id", &DeleteActionPointArgs::id, "The action point id to remove"));
  }
};

}  // namespace mcp_server
