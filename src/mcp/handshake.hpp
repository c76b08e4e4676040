#pragma once

#include <optional>
#include <string>
#include <variant>

#include "mcp/incoming_message.hpp"
#include "mcp/json.hpp"
#include "mcp/session_failure.hpp"

namespace mcp {

// What the session does next during the handshake.
namespace handshake_step {
// Write this message and keep waiting.
struct Answer {
  Json message;
};
// Ask the handler for its server description and hand it to Handshake::on_server_description
// (or report why there is none to Handshake::on_initialize_failed).
struct CallInitialize {
  Json params;
};
// The client sent its initialized notification: requests may flow.
struct Established {};
// The session cannot start. `answer`, when present, is written first.
struct Abort {
  std::optional<Json> answer;
  SessionFailure failure;
};
}  // namespace handshake_step

using HandshakeStep = std::variant<handshake_step::Answer, handshake_step::CallInitialize,
                                   handshake_step::Established, handshake_step::Abort>;

// The start of a session as a pure state machine: messages in, steps out, no I/O inside.
// The first message must be an initialize request (a ping before it is answered); then the
// client's initialized notification must come (ping and logging/setLevel are answered
// meanwhile). Any other message ends the session. Lines that are no messages are answered
// with their error and do not count.
class Handshake {
 public:
  enum class Phase { awaiting_initialize, initializing, awaiting_initialized, established, failed };

  HandshakeStep on_message(Incoming message);
  // After CallInitialize: the answer to the initialize request, its "protocolVersion" set by
  // negotiation with the client's request.
  HandshakeStep on_server_description(Json description);
  HandshakeStep on_initialize_failed(std::string reason);
  // Input ended before the handshake was complete.
  SessionFailure on_end_of_input();

  Phase phase() const { return phase_; }
  // The params of the client's initialize request, kept as its peer information.
  const Json& peer_info() const { return peer_info_; }

 private:
  HandshakeStep fail(SessionFailure failure);

  Phase phase_ = Phase::awaiting_initialize;
  Json initialize_id_;
  Json peer_info_;
};

}  // namespace mcp
