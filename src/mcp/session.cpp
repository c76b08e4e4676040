#include "mcp/session.hpp"

#include <asio/co_spawn.hpp>
#include <asio/strand.hpp>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "mcp/answer.hpp"
#include "mcp/handshake.hpp"
#include "mcp/line_writer.hpp"
#include "mcp/log.hpp"
#include "mcp/protocol_version.hpp"

namespace mcp {

struct Session::State {
  State(Handler& handler, asio::thread_pool& pool, int in_fd, int out_fd, SessionLimits limits)
      : handler(handler),
        pool(pool),
        reader(in_fd, limits.max_line_bytes),
        writer(out_fd),
        limits(limits) {}

  Handler& handler;
  asio::thread_pool& pool;
  LineReader reader;
  LineWriter writer;
  SessionLimits limits;

  std::mutex mutex;
  std::condition_variable idle;
  std::size_t running = 0;

  std::thread input_thread;
  std::optional<SessionFailure> failure;  // written by the input thread before it ends
};

namespace {

using State = Session::State;

failure::TransportError read_failure(const std::error_code& error) {
  return failure::TransportError{error.message(), "reading standard input"};
}

std::string text_member(const Json& object, const char* name) {
  if (object.is_object()) {
    auto found = object.find(name);
    if (found != object.end() && found->is_string()) {
      return found->get<std::string>();
    }
  }
  return "(unknown)";
}

void log_initialized(const Json& peer_info) {
  const Json& client = peer_info.is_object() && peer_info.contains("clientInfo")
                           ? peer_info["clientInfo"]
                           : Json(nullptr);
  log().info("session initialized: client {} {}, protocol {}", text_member(client, "name"),
             text_member(client, "version"), negotiate_protocol_version(peer_info));
}

JsonRpcError internal_error(std::string message) {
  return JsonRpcError{error_code::internal_error, std::move(message), std::nullopt};
}

asio::awaitable<Json> answer_of(Handler& handler, Request request) {
  if (request.method == "initialize") {
    // A repeated initialize is negotiated like the first; the handler decides what it keeps.
    Json description = handler.initialize(request.params);
    co_return success_answer(std::move(request.id),
                             negotiated_initialize_result(std::move(description), request.params));
  }
  Result<Json> result =
      co_await handler.handle_request(std::move(request.method), std::move(request.params));
  if (!result) {
    co_return error_answer(std::move(request.id), result.error());
  }
  co_return success_answer(std::move(request.id), std::move(*result));
}

// The task edge: whatever a request throws becomes its -32603 answer.
asio::awaitable<void> serve_request(State& state, Request request) {
  Json id = request.id;
  Json answer;
  try {
    answer = co_await answer_of(state.handler, std::move(request));
  } catch (const std::exception& error) {
    answer =
        error_answer(std::move(id), internal_error(std::string("Internal error: ") + error.what()));
  } catch (...) {
    answer = error_answer(std::move(id), internal_error("Internal error"));
  }
  state.writer.write_line(to_line(answer));
}

void finish_request(State& state) {
  std::lock_guard lock(state.mutex);
  --state.running;
  state.idle.notify_all();
}

void dispatch(State& state, Request request) {
  {
    std::lock_guard lock(state.mutex);
    ++state.running;
  }
  Json id = request.id;
  try {
    asio::co_spawn(asio::make_strand(state.pool), serve_request(state, std::move(request)),
                   [&state](std::exception_ptr escaped) {
                     if (escaped) {
                       log().error("a request task ended with an exception");
                     }
                     finish_request(state);
                   });
  } catch (const std::exception& error) {
    // The task could not even be started; its request is answered all the same.
    finish_request(state);
    state.writer.write_line(to_line(error_answer(
        std::move(id), internal_error(std::string("Internal error: ") + error.what()))));
  }
}

void deliver(State& state, Incoming message) {
  if (auto* request = std::get_if<Request>(&message)) {
    dispatch(state, std::move(*request));
  } else if (auto* notification = std::get_if<Notification>(&message)) {
    try {
      state.handler.handle_notification(notification->method, notification->params);
    } catch (const std::exception& error) {
      log().warn("notification {} failed: {}", notification->method, error.what());
    }
  } else if (auto* invalid = std::get_if<Invalid>(&message)) {
    state.writer.write_line(to_line(invalid->answer));
  }
  // Responses answer nothing this server asked: they are dropped.
}

// The input thread after the handshake: reads until input ends, then lets the running
// requests finish.
void read_requests(State& state) {
  try {
    for (;;) {
      auto event = state.reader.next();
      if (!event) {
        state.failure = read_failure(event.error());
        break;
      }
      if (std::holds_alternative<EndOfInput>(*event)) {
        break;
      }
      if (std::holds_alternative<OversizedLine>(*event)) {
        state.writer.write_line(to_line(oversized_line(state.limits.max_line_bytes).answer));
        continue;
      }
      if (auto message =
              classify_line(std::get<Line>(*event).text, state.limits.max_nesting_depth)) {
        deliver(state, std::move(*message));
      }
    }
  } catch (const std::exception& error) {
    state.failure = failure::TransportError{error.what(), "reading standard input"};
  }
  std::unique_lock lock(state.mutex);
  log().info("input ended; requests still running: {}", state.running);
  state.idle.wait(lock, [&state] { return state.running == 0; });
}

// Runs the handshake on the calling thread; succeeds once requests may flow.
tl::expected<void, SessionFailure> run_handshake(State& state) {
  Handshake handshake;
  for (;;) {
    auto event = state.reader.next();
    if (!event) {
      return tl::unexpected(read_failure(event.error()));
    }
    if (std::holds_alternative<EndOfInput>(*event)) {
      return tl::unexpected(handshake.on_end_of_input());
    }
    if (std::holds_alternative<OversizedLine>(*event)) {
      state.writer.write_line(to_line(oversized_line(state.limits.max_line_bytes).answer));
      continue;
    }
    auto message = classify_line(std::get<Line>(*event).text, state.limits.max_nesting_depth);
    if (!message) {
      continue;
    }
    HandshakeStep step = handshake.on_message(std::move(*message));
    if (auto* call = std::get_if<handshake_step::CallInitialize>(&step)) {
      try {
        step = handshake.on_server_description(state.handler.initialize(call->params));
      } catch (const std::exception& error) {
        step = handshake.on_initialize_failed(error.what());
      }
    }
    if (auto* answer = std::get_if<handshake_step::Answer>(&step)) {
      state.writer.write_line(to_line(answer->message));
    } else if (auto* abort = std::get_if<handshake_step::Abort>(&step)) {
      if (abort->answer) {
        state.writer.write_line(to_line(*abort->answer));
      }
      return tl::unexpected(std::move(abort->failure));
    } else if (std::holds_alternative<handshake_step::Established>(step)) {
      log_initialized(handshake.peer_info());
      return {};
    }
  }
}

}  // namespace

tl::expected<Session, SessionFailure> Session::serve(Handler& handler, asio::thread_pool& pool,
                                                     int in_fd, int out_fd, SessionLimits limits) {
  try {
    auto state = std::make_unique<State>(handler, pool, in_fd, out_fd, limits);
    if (auto started = run_handshake(*state); !started) {
      return tl::unexpected(std::move(started.error()));
    }
    state->input_thread = std::thread([&state = *state] { read_requests(state); });
    return Session(std::move(state));
  } catch (const std::exception& error) {
    return tl::unexpected(failure::TransportError{error.what(), "starting the session"});
  }
}

Session::Session(std::unique_ptr<State> state) : state_(std::move(state)) {}
Session::Session(Session&&) noexcept = default;

Session::~Session() {
  if (state_) {
    (void)wait();
  }
}

tl::expected<void, SessionFailure> Session::wait() {
  if (!state_) {
    return {};  // moved from
  }
  if (state_->input_thread.joinable()) {
    state_->input_thread.join();
  }
  if (state_->failure) {
    return tl::unexpected(*state_->failure);
  }
  return {};
}

}  // namespace mcp
