#include "support/stand_in_app.hpp"

#include <stdlib.h>

#include <array>
#include <asio/co_spawn.hpp>
#include <asio/experimental/as_tuple.hpp>
#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/post.hpp>
#include <asio/read_until.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

namespace test_support {

namespace {

using asio::local::stream_protocol;
constexpr auto no_throw = asio::experimental::as_tuple(asio::use_awaitable);

const char* const default_reply = R"({"isError":false,"kind":"text","message":"ok"})";

// One accepted connection; the stand-in keeps it to close it when it stops.
struct Connection {
  explicit Connection(stream_protocol::socket s)
      : socket(std::move(s)), timer(socket.get_executor()) {}
  stream_protocol::socket socket;
  asio::steady_timer timer;
};

std::string make_temp_dir() {
  // Short on purpose: a socket path must fit in about 104 bytes on every platform.
  std::string pattern = "/tmp/vsa-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("stand-in app: mkdtemp failed");
  }
  return pattern;
}

// Nothing may escape onto the stand-in's thread: that would end the whole test process.
constexpr auto ignore_failure = [](const std::exception_ptr&) {};

}  // namespace

Behaviour Behaviour::reply(std::string json_line) {
  return Behaviour{Action::write_and_close, std::move(json_line) + "\n", {}};
}
Behaviour Behaviour::raw(std::string bytes) {
  return Behaviour{Action::write_and_close, std::move(bytes), {}};
}
Behaviour Behaviour::reply_and_keep_open(std::string json_line) {
  return Behaviour{Action::write_and_keep_open, std::move(json_line) + "\n", {}};
}
Behaviour Behaviour::never_answer() {
  return Behaviour{Action::never_answer, {}, {}};
}
Behaviour Behaviour::close_at_once() {
  return Behaviour{Action::close_at_once, {}, {}};
}
Behaviour Behaviour::after(std::chrono::milliseconds wait) && {
  delay = wait;
  return std::move(*this);
}

struct StandInApp::State {
  asio::io_context io{1};
  stream_protocol::acceptor acceptor{io};
  std::string dir;
  std::thread thread;

  mutable std::mutex mutex;
  mutable std::condition_variable arrived;
  Script script;
  std::vector<std::string> log;
  std::set<std::shared_ptr<Connection>> open;  // touched only on the io thread

  Behaviour behaviour_for(const std::string& line) {
    Script current;
    {
      std::lock_guard lock(mutex);
      log.push_back(line);
      current = script;
    }
    arrived.notify_all();
    return current(line);
  }

  asio::awaitable<void> accept_loop() {
    for (;;) {
      auto [ec, socket] = co_await acceptor.async_accept(no_throw);
      if (ec == asio::error::operation_aborted || !acceptor.is_open()) {
        co_return;
      }
      if (ec) {
        continue;  // a failed accept (e.g. out of descriptors) must not end the stand-in
      }
      auto connection = std::make_shared<Connection>(std::move(socket));
      open.insert(connection);
      asio::co_spawn(io, serve(connection), ignore_failure);
    }
  }

  asio::awaitable<void> serve(std::shared_ptr<Connection> c) {
    try {
      co_await converse(*c);
    } catch (const std::exception&) {
      // A throwing script only costs its own connection.
    }
    asio::error_code ignored;
    c->socket.close(ignored);
    open.erase(c);
  }

  asio::awaitable<void> converse(Connection& c) {
    std::string input;
    auto [read_ec, length] =
        co_await asio::async_read_until(c.socket, asio::dynamic_buffer(input), '\n', no_throw);
    // A closed socket means the stand-in stopped while this read was completing.
    if (read_ec || !c.socket.is_open()) {
      co_return;
    }
    input.resize(length - 1);
    const Behaviour behaviour = behaviour_for(input);

    if (behaviour.delay.count() > 0) {
      c.timer.expires_after(behaviour.delay);
      auto [wait_ec] = co_await c.timer.async_wait(no_throw);
      if (wait_ec || !c.socket.is_open()) {
        co_return;
      }
    }
    switch (behaviour.action) {
      case Behaviour::Action::close_at_once:
        co_return;
      case Behaviour::Action::write_and_close: {
        co_await asio::async_write(c.socket, asio::buffer(behaviour.bytes), no_throw);
        co_return;
      }
      case Behaviour::Action::write_and_keep_open: {
        auto [write_ec, written] =
            co_await asio::async_write(c.socket, asio::buffer(behaviour.bytes), no_throw);
        if (write_ec) {
          co_return;
        }
        break;
      }
      case Behaviour::Action::never_answer:
        break;
    }
    // Stay connected until the peer closes or the stand-in stops; whatever arrives is dropped.
    std::array<char, 1024> sink;
    for (;;) {
      auto [ec, n] = co_await c.socket.async_read_some(asio::buffer(sink), no_throw);
      if (ec) {
        co_return;
      }
    }
  }

  void stop() {
    for (const auto& c : open) {
      asio::error_code ignored;
      c->timer.cancel();
      c->socket.close(ignored);
    }
    asio::error_code ignored;
    acceptor.close(ignored);
  }
};

StandInApp::StandInApp() : StandInApp(Script{}) {}

StandInApp::StandInApp(Script script) : state_(std::make_shared<State>()) {
  if (!script) {
    script = [](const std::string&) { return Behaviour::reply(default_reply); };
  }
  state_->script = std::move(script);
  state_->dir = make_temp_dir();
  try {
    const stream_protocol::endpoint endpoint(socket_path());
    state_->acceptor.open(endpoint.protocol());
    state_->acceptor.bind(endpoint);
    state_->acceptor.listen(asio::socket_base::max_listen_connections);
  } catch (const std::exception& e) {
    std::error_code ignored;
    std::filesystem::remove_all(state_->dir, ignored);
    throw std::runtime_error(std::string("stand-in app: cannot listen: ") + e.what());
  }
  State* state = state_.get();
  asio::co_spawn(state->io, state->accept_loop(), ignore_failure);
  state->thread = std::thread([state] { state->io.run(); });
}

StandInApp::~StandInApp() {
  State* state = state_.get();
  asio::post(state->io, [state] { state->stop(); });
  state->thread.join();
  std::error_code ignored;
  std::filesystem::remove_all(state->dir, ignored);
}

void StandInApp::set_script(Script script) {
  std::lock_guard lock(state_->mutex);
  state_->script = std::move(script);
}

void StandInApp::always(Behaviour behaviour) {
  set_script([behaviour = std::move(behaviour)](const std::string&) { return behaviour; });
}

const std::string& StandInApp::dir() const {
  return state_->dir;
}
std::string StandInApp::db_path() const {
  return state_->dir + "/veltu.sqlite";
}
std::string StandInApp::socket_path() const {
  return state_->dir + "/mcp-bridge.sock";
}

std::vector<std::string> StandInApp::requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->log;
}

bool StandInApp::wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(state_->mutex);
  return state_->arrived.wait_for(lock, timeout, [&] { return state_->log.size() >= count; });
}

}  // namespace test_support
