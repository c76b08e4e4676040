#pragma once

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

using Json = nlohmann::json;
using namespace std::chrono_literals;

// The built veltu-mcp as a child process with pipes for its three standard streams and exactly
// the environment given (nothing is inherited). Answers are matched by id: they may arrive out
// of order, and lines read while looking for one id are kept for later.
class VeltuProcess {
 public:
  explicit VeltuProcess(std::vector<std::string> args = {},
                        std::map<std::string, std::string> env = {{"HOME", "/nonexistent"}});
  ~VeltuProcess();  // kills the child if it still runs
  VeltuProcess(const VeltuProcess&) = delete;
  VeltuProcess& operator=(const VeltuProcess&) = delete;

  void send_line(const std::string& line);  // a line feed is added
  void send(const Json& message);
  void close_stdin();

  // The next line of standard output, parsed; nullopt on time-out or end of output.
  std::optional<Json> next_message(std::chrono::milliseconds timeout = 5s);
  // The answer whose "id" equals `id`; nullopt on time-out or end of output.
  std::optional<Json> response(const Json& id, std::chrono::milliseconds timeout = 5s);
  // Sends a request with a fresh integer id and waits for its answer.
  Json request(const std::string& method, const Json& params = Json::object(),
               std::chrono::milliseconds timeout = 5s);

  // initialize (client "e2e-client" version "1.0.0" unless given) and notifications/initialized;
  // returns the initialize answer.
  Json handshake(const Json& client_info = {{"name", "e2e-client"}, {"version", "1.0.0"}},
                 const std::string& protocol_version = "2025-06-18");

  // Closes standard input if still open and waits for the exit; the exit status, or -1 when
  // the child did not end in time (it is killed then).
  int wait_exit(std::chrono::milliseconds timeout = 10s);
  // Everything the child wrote on standard error so far (complete after wait_exit).
  std::string stderr_text();
  // Lines of standard output not yet consumed (complete after wait_exit).
  std::vector<std::string> remaining_stdout_lines();

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace test_support
