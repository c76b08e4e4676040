#include "mcp/answer.hpp"

#include <utility>

namespace mcp {

Json success_answer(Json id, Json result) {
  return Json{{"jsonrpc", "2.0"}, {"id", std::move(id)}, {"result", std::move(result)}};
}

Json error_answer(Json id, const JsonRpcError& error) {
  return Json{{"jsonrpc", "2.0"}, {"id", std::move(id)}, {"error", error.to_json()}};
}

std::string to_line(const Json& message) {
  std::string line = message.dump(-1, ' ', false, Json::error_handler_t::replace);
  line.push_back('\n');
  return line;
}

}  // namespace mcp
