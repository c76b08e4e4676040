#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "mcp_server/record_fields.hpp"

namespace mcp_server {

// The argument of both prompts.
struct MeetingIdArg {
  std::string meeting_id;

  static constexpr std::string_view record_name = "MeetingIdArg";
  static constexpr auto fields() {
    return std::make_tuple(field("meeting_id", &MeetingIdArg::meeting_id, "The meeting ID"));
  }
};

}  // namespace mcp_server
