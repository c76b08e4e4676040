#include "mcp/protocol_version.hpp"

namespace mcp {

std::string negotiate_protocol_version(const Json& initialize_params) {
  if (initialize_params.is_object()) {
    auto requested = initialize_params.find("protocolVersion");
    // std::string compares through char_traits<char>, which orders bytes as unsigned.
    if (requested != initialize_params.end() && requested->is_string() &&
        requested->get_ref<const std::string&>() < latest_protocol_version) {
      return requested->get<std::string>();
    }
  }
  return std::string(latest_protocol_version);
}

Json negotiated_initialize_result(Json server_description, const Json& initialize_params) {
  server_description["protocolVersion"] = negotiate_protocol_version(initialize_params);
  return server_description;
}

}  // namespace mcp
