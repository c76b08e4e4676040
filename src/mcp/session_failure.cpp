#include "mcp/session_failure.hpp"

#include "mcp/json.hpp"

namespace mcp {
namespace {

// Quoted with JSON escapes, so that any bytes in a detail stay on one printable line.
std::string quoted(const std::string& text) {
  return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

struct Renderer {
  std::string operator()(const failure::ExpectedInitializeRequest& f) const {
    return "ExpectedInitializeRequest(" + quoted(f.received) + ")";
  }
  std::string operator()(const failure::ExpectedInitializedNotification& f) const {
    return "ExpectedInitializedNotification(" + quoted(f.received) + ")";
  }
  std::string operator()(const failure::ConnectionClosed& f) const {
    return "ConnectionClosed(" + quoted(f.awaiting) + ")";
  }
  std::string operator()(const failure::UnexpectedInitializeResponse&) const {
    return "UnexpectedInitializeResponse";
  }
  std::string operator()(const failure::InitializeFailed& f) const {
    return "InitializeFailed(" + quoted(f.reason) + ")";
  }
  std::string operator()(const failure::UnsupportedProtocolVersion& f) const {
    return "UnsupportedProtocolVersion(" + quoted(f.version) + ")";
  }
  std::string operator()(const failure::TransportError& f) const {
    return "TransportError(error: " + quoted(f.error) + ", context: " + quoted(f.context) + ")";
  }
  std::string operator()(const failure::Cancelled&) const { return "Cancelled"; }
};

}  // namespace

std::string render(const SessionFailure& failure) {
  return std::visit(Renderer{}, failure);
}

}  // namespace mcp
