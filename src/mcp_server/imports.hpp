#pragma once

#include <asio/awaitable.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "mcp_server/record_fields.hpp"
#include "mcp_server/tool_types.hpp"

namespace mcp_server {

struct ImportFileArgs {
  std::string file_path;
  std::optional<std::string> title;

  static constexpr std::string_view record_name = "ImportFileArgs";
  static constexpr auto fields() {
    using R = ImportFileArgs;
    return std::make_tuple(
        field("file_path", &R::file_path, "Absolute path to the audio/video file to transcribe."),
        field("title", &R::title,
              "Optional meeting title. When set, it's used as the meeting title\n"
              "(and suppresses automatic titling); when omitted, the title is\n"
              "derived from the file name."));
  }
};

// Hands a local file to the app for transcription.
asio::awaitable<ToolOutcome> import_file(const McpServer& server, ImportFileArgs args);

}  // namespace mcp_server
