#include "bin/veltu_mcp/run_server.hpp"

#include <unistd.h>

#include <algorithm>
#include <thread>

#include "bin/veltu_mcp/command_line.hpp"
#include "bin/veltu_mcp/logging.hpp"
#include "bin/veltu_mcp/standard_streams.hpp"
#include "mcp/session.hpp"
#include "mcp_server/catalogue.hpp"
#include "mcp_server/mcp_server.hpp"
#include "mcp_server/prompts.hpp"

namespace veltu_startup {
namespace {

constexpr std::string_view startup_line = "[veltu-mcp] Server started, listening on stdio\n";

int failure_exit(const mcp::SessionFailure& failure) {
  write_to_stderr("Error: " + mcp::render(failure) + "\n");
  return 1;
}

mcp_server::McpServer build_server(const std::vector<std::string>& args,
                                   const EnvironmentLookup& env, const HomeLookup& user_home) {
  // The database path serves only to find the directory of the app's socket.
  std::optional<std::string> bridge_dir = lexical_parent(resolve_db_path(args, env, user_home));
  const bool library_mode = library_mode_requested(args);
  mcp_server::ToolCatalogue tools = mcp_server::build_catalogue();
  if (library_mode) {
    mcp_server::restrict_to_read_only(tools);
  }
  mcp_server::PromptRouter prompts =
      library_mode ? mcp_server::PromptRouter{} : mcp_server::build_prompt_router();
  return mcp_server::McpServer(std::move(bridge_dir), std::move(tools), std::move(prompts),
                               library_mode);
}

}  // namespace

unsigned worker_count() {
  return std::max(1u, std::thread::hardware_concurrency());
}

int run_server(asio::thread_pool& pool, const std::vector<std::string>& args,
               const EnvironmentLookup& env, const HomeLookup& user_home) {
  const std::optional<std::string> no_color = env("NO_COLOR");
  install_stderr_log(colour_wanted(no_color ? no_color->c_str() : nullptr));

  mcp_server::McpServer server = build_server(args, env, user_home);
  write_to_stderr(startup_line);

  int status = 0;
  {
    auto session = mcp::Session::serve(server, pool, STDIN_FILENO, STDOUT_FILENO);
    if (!session) {
      status = failure_exit(session.error());
    } else if (auto ended = session->wait(); !ended) {
      status = failure_exit(ended.error());
    }
  }
  // Every request has been answered; nothing left on the pool may outlive the server.
  pool.stop();
  pool.join();
  return status;
}

}  // namespace veltu_startup
