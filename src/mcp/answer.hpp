#pragma once

#include <string>

#include "mcp/json.hpp"
#include "mcp/json_rpc_error.hpp"

namespace mcp {

// {"jsonrpc":"2.0","id":id,"result":result}
Json success_answer(Json id, Json result);
// {"jsonrpc":"2.0","id":id,"error":error}; id is null when the request's id is unknown.
Json error_answer(Json id, const JsonRpcError& error);

// The message as one output line, line feed included. Invalid UTF-8 in strings is replaced
// rather than thrown about, so that writing an answer never fails.
std::string to_line(const Json& message);

}  // namespace mcp
