#pragma once

#include <asio/thread_pool.hpp>
#include <cstddef>
#include <memory>
#include <tl/expected.hpp>

#include "mcp/handler.hpp"
#include "mcp/incoming_message.hpp"
#include "mcp/line_reader.hpp"
#include "mcp/session_failure.hpp"

namespace mcp {

struct SessionLimits {
  std::size_t max_line_bytes = mcp::max_line_bytes;
  int max_nesting_depth = mcp::max_nesting_depth;
};

// One MCP session on a pair of file descriptors: newline-delimited JSON-RPC 2.0 in and out.
// Input is read with blocking reads on a thread of the session's own, never on the pool;
// each request after the handshake runs as its own task on a strand of the pool and its
// answer is written when ready, so answers may leave in any order.
class Session {
 public:
  // Performs the handshake on the calling thread, then keeps reading on a thread of its own.
  // The handler and the pool must outlive the session.
  static tl::expected<Session, SessionFailure> serve(Handler& handler, asio::thread_pool& pool,
                                                     int in_fd, int out_fd,
                                                     SessionLimits limits = {});

  Session(Session&&) noexcept;
  Session& operator=(Session&&) = delete;
  ~Session();  // waits like wait()

  // Blocks until input has ended and every request still running has been answered. Fails
  // only when reading the input failed.
  tl::expected<void, SessionFailure> wait();

  struct State;

 private:
  explicit Session(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

}  // namespace mcp
