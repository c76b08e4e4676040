#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace test_support {

// What the stand-in does on one connection after it has read the request line.
struct Behaviour {
  enum class Action {
    write_and_close,      // write `bytes`, then close
    write_and_keep_open,  // write `bytes`, keep the connection open until the peer closes it
    never_answer,         // keep the connection open, write nothing
    close_at_once,        // close without writing
  };
  Action action = Action::write_and_close;
  std::string bytes;
  std::chrono::milliseconds delay{0};  // waited before acting

  static Behaviour reply(std::string json_line);  // the line plus a line feed
  static Behaviour raw(std::string bytes);        // exactly these bytes
  static Behaviour reply_and_keep_open(std::string json_line);
  static Behaviour never_answer();
  static Behaviour close_at_once();
  Behaviour after(std::chrono::milliseconds wait) &&;
};

// A scripted stand-in for the desktop app: listens on "mcp-bridge.sock" in a fresh temporary
// directory, on a thread of its own, and serves any number of connections at once. Each
// connection reads one request line, records it and acts as the script says.
class StandInApp {
 public:
  using Script = std::function<Behaviour(const std::string& request_line)>;

  // Without a script every request gets {"isError":false,"kind":"text","message":"ok"}.
  StandInApp();
  explicit StandInApp(Script script);
  ~StandInApp();  // stops listening and removes the directory
  StandInApp(const StandInApp&) = delete;
  StandInApp& operator=(const StandInApp&) = delete;

  void set_script(Script script);
  void always(Behaviour behaviour);

  const std::string& dir() const;
  std::string db_path() const;      // dir + "/veltu.sqlite": what --db is given
  std::string socket_path() const;  // dir + "/mcp-bridge.sock"

  // The request lines received so far, without their line feed, in arrival order.
  std::vector<std::string> requests() const;
  // Waits until at least `count` requests arrived; false on time-out.
  bool wait_for_requests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace test_support
