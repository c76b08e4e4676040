#include "mcp/incoming_message.hpp"

#include <utility>

#include "mcp/answer.hpp"
#include "mcp/json_rpc_error.hpp"

namespace mcp {
namespace {

// The parser's own detail can quote a long stretch of the input.
constexpr std::size_t max_detail_bytes = 200;

struct NestingTooDeep {};

Invalid parse_error(std::string detail) {
  return Invalid{error_answer(
      nullptr,
      JsonRpcError{error_code::parse_error, "Parse error: " + std::move(detail), std::nullopt})};
}

Invalid invalid_request(Json id, const char* reason) {
  return Invalid{error_answer(
      std::move(id), JsonRpcError{error_code::invalid_request,
                                  std::string("Invalid Request: ") + reason, std::nullopt})};
}

// nlohmann's message without its "[json.exception.parse_error.101] " tag, cut short.
std::string parser_detail(const char* what) {
  std::string_view text(what);
  if (auto tag_end = text.find("] "); text.starts_with('[') && tag_end != std::string_view::npos) {
    text.remove_prefix(tag_end + 2);
  }
  std::string detail(text.substr(0, max_detail_bytes));
  if (text.size() > max_detail_bytes) {
    detail += "...";
  }
  return detail;
}

bool blank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

std::optional<Incoming> classify_line(std::string_view line, int max_depth) {
  if (blank(line)) {
    return std::nullopt;
  }
  // The callback sees each container before it is opened, at the depth of its parent.
  auto depth_guard = [max_depth](int depth, Json::parse_event_t event, Json&) {
    if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
        depth >= max_depth) {
      throw NestingTooDeep{};
    }
    return true;
  };
  Json message;
  try {
    message = Json::parse(line.begin(), line.end(), depth_guard);
  } catch (const NestingTooDeep&) {
    return parse_error("nesting deeper than " + std::to_string(max_depth) + " levels");
  } catch (const Json::exception& error) {
    return parse_error(parser_detail(error.what()));
  }
  return classify_message(std::move(message));
}

Incoming classify_message(Json message) {
  if (!message.is_object()) {
    return invalid_request(nullptr, "not a JSON object");
  }
  auto id = message.find("id");
  const bool has_id = id != message.end();
  const bool valid_id = has_id && (id->is_string() || id->is_number());
  Json echoed_id = valid_id ? *id : Json(nullptr);

  auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0") {
    return invalid_request(std::move(echoed_id), "\"jsonrpc\" is not \"2.0\"");
  }

  auto method = message.find("method");
  if (method == message.end()) {
    if (message.contains("result") || message.contains("error")) {
      return Response{std::move(echoed_id)};
    }
    return invalid_request(std::move(echoed_id),
                           "neither a request, a notification nor a response");
  }
  if (!method->is_string()) {
    return invalid_request(std::move(echoed_id), "\"method\" is not a string");
  }
  Json params;
  if (auto found = message.find("params"); found != message.end()) {
    if (!found->is_object() && !found->is_array() && !found->is_null()) {
      return invalid_request(std::move(echoed_id), "\"params\" is neither an object nor an array");
    }
    params = std::move(*found);
  }
  std::string name = std::move(method->get_ref<std::string&>());
  if (!has_id) {
    return Notification{std::move(name), std::move(params)};
  }
  if (!valid_id) {
    return invalid_request(nullptr, "\"id\" is neither a string nor a number");
  }
  return Request{std::move(echoed_id), std::move(name), std::move(params)};
}

Invalid oversized_line(std::size_t max_line_bytes) {
  return parse_error("line longer than " + std::to_string(max_line_bytes) + " bytes");
}

}  // namespace mcp
