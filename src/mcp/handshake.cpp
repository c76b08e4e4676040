#include "mcp/handshake.hpp"

#include <utility>

#include "mcp/answer.hpp"
#include "mcp/json_rpc_error.hpp"
#include "mcp/protocol_version.hpp"

namespace mcp {
namespace {

using namespace handshake_step;

constexpr std::string_view initialize_method = "initialize";
constexpr std::string_view initialized_method = "notifications/initialized";

// What arrived instead of the awaited message, as a failure detail.
struct Description {
  std::string operator()(const Request& request) const { return request.method; }
  std::string operator()(const Notification& notification) const { return notification.method; }
  std::string operator()(const Response&) const { return "response"; }
  std::string operator()(const Invalid&) const { return "invalid message"; }
};

}  // namespace

HandshakeStep Handshake::on_message(Incoming message) {
  if (auto* invalid = std::get_if<Invalid>(&message)) {
    return Answer{std::move(invalid->answer)};
  }
  auto* request = std::get_if<Request>(&message);
  if (request && request->method == "ping") {
    return Answer{success_answer(std::move(request->id), Json::object())};
  }
  auto* notification = std::get_if<Notification>(&message);
  switch (phase_) {
    case Phase::awaiting_initialize:
      if (request && request->method == initialize_method) {
        phase_ = Phase::initializing;
        initialize_id_ = std::move(request->id);
        peer_info_ = request->params;
        return CallInitialize{std::move(request->params)};
      }
      return fail(failure::ExpectedInitializeRequest{std::visit(Description{}, message)});
    case Phase::awaiting_initialized:
      if (notification && notification->method == initialized_method) {
        phase_ = Phase::established;
        return Established{};
      }
      if (request && request->method == "logging/setLevel") {
        return Answer{success_answer(std::move(request->id), Json::object())};
      }
      return fail(failure::ExpectedInitializedNotification{std::visit(Description{}, message)});
    case Phase::initializing:
    case Phase::established:
    case Phase::failed:
      break;
  }
  // The session hands no messages over in these phases.
  return fail(failure::ExpectedInitializedNotification{std::visit(Description{}, message)});
}

HandshakeStep Handshake::on_server_description(Json description) {
  if (phase_ != Phase::initializing) {
    return fail(failure::UnexpectedInitializeResponse{});
  }
  if (!description.is_object()) {
    return on_initialize_failed("the server description is not a JSON object");
  }
  phase_ = Phase::awaiting_initialized;
  return Answer{success_answer(std::move(initialize_id_),
                               negotiated_initialize_result(std::move(description), peer_info_))};
}

HandshakeStep Handshake::on_initialize_failed(std::string reason) {
  if (phase_ != Phase::initializing) {
    return fail(failure::UnexpectedInitializeResponse{});
  }
  Json answer = error_answer(std::move(initialize_id_),
                             JsonRpcError{error_code::internal_error, reason, std::nullopt});
  phase_ = Phase::failed;
  return Abort{std::move(answer), failure::InitializeFailed{std::move(reason)}};
}

SessionFailure Handshake::on_end_of_input() {
  const bool before_initialize =
      phase_ == Phase::awaiting_initialize || phase_ == Phase::initializing;
  phase_ = Phase::failed;
  return failure::ConnectionClosed{before_initialize ? "initialize request"
                                                     : "initialized notification"};
}

HandshakeStep Handshake::fail(SessionFailure failure) {
  phase_ = Phase::failed;
  return Abort{std::nullopt, std::move(failure)};
}

}  // namespace mcp
