#pragma once

#include <string>
#include <variant>

namespace mcp {

// Why a session could not start or ended abnormally. Each alternative renders as its name
// followed by its details in parentheses, text details in double quotes.
namespace failure {
// Another message came where the initialize request belonged; `received` names it.
struct ExpectedInitializeRequest {
  std::string received;
};
// Another message came where the initialized notification belonged.
struct ExpectedInitializedNotification {
  std::string received;
};
// Input ended while `awaiting` was still to come.
struct ConnectionClosed {
  std::string awaiting;
};
struct UnexpectedInitializeResponse {};
// The handler could not produce the server description.
struct InitializeFailed {
  std::string reason;
};
struct UnsupportedProtocolVersion {
  std::string version;
};
// The standard streams themselves failed.
struct TransportError {
  std::string error;
  std::string context;
};
struct Cancelled {};
}  // namespace failure

using SessionFailure =
    std::variant<failure::ExpectedInitializeRequest, failure::ExpectedInitializedNotification,
                 failure::ConnectionClosed, failure::UnexpectedInitializeResponse,
                 failure::InitializeFailed, failure::UnsupportedProtocolVersion,
                 failure::TransportError, failure::Cancelled>;

// The diagnostic form, e.g. ConnectionClosed("initialize request").
std::string render(const SessionFailure& failure);

}  // namespace mcp
