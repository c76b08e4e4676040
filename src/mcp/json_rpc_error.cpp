#include "mcp/json_rpc_error.hpp"

namespace mcp {

Json JsonRpcError::to_json() const {
  Json error = {{"code", code}, {"message", message}};
  if (data) {
    error["data"] = *data;
  }
  return error;
}

}  // namespace mcp
