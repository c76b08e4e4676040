#include <utility>

#include "mcp_bridge/json_members.hpp"
#include "mcp_bridge/strict_json.hpp"
#include "mcp_bridge/wire.hpp"

namespace mcp_bridge {

namespace {

using namespace json_members;

tl::expected<ImportRejection, std::string> decode_rejection(Json& object) {
  auto reason = required_string(object, "reason");
  if (!reason) {
    return tl::unexpected(std::move(reason).error());
  }
  if (*reason == "busy") {
    return rejection::Busy{};
  }
  if (*reason == "modelsNotReady") {
    return rejection::ModelsNotReady{};
  }
  if (*reason == "badFile") {
    return required_string(object, "message").map([](std::string message) {
      return ImportRejection{rejection::BadFile{std::move(message)}};
    });
  }
  if (*reason == "unavailable") {
    return required_string(object, "message").map([](std::string message) {
      return ImportRejection{rejection::Unavailable{std::move(message)}};
    });
  }
  // Reasons added by newer app versions must not break older servers.
  return rejection::Unknown{};
}

}  // namespace

tl::expected<StartImportReply, std::string> decode_import_reply(std::string_view text) {
  auto tree = parse_strict_object(text, "the import answer");
  if (!tree) {
    return tl::unexpected(std::move(tree).error());
  }
  StartImportReply reply;
  if (Json* meeting_id = optional(*tree, "meetingId")) {
    if (!meeting_id->is_string()) {
      return tl::unexpected(wrong_type("meetingId", "a string", *meeting_id));
    }
    reply.meeting_id = std::move(meeting_id->get_ref<std::string&>());
  }
  if (Json* rejection = optional(*tree, "rejection")) {
    if (!rejection->is_object()) {
      return tl::unexpected(wrong_type("rejection", "an object", *rejection));
    }
    auto decoded = decode_rejection(*rejection);
    if (!decoded) {
      return tl::unexpected("rejection: " + std::move(decoded).error());
    }
    reply.rejection = std::move(*decoded);
  }
  return reply;
}

}  // namespace mcp_bridge
