#pragma once

#include <asio/thread_pool.hpp>
#include <string>
#include <vector>

#include "bin/veltu_mcp/db_path.hpp"

namespace veltu_startup {

// One worker per processor, at least one.
unsigned worker_count();

// Everything after the runtime exists: the log, the database path and bridge directory,
// library mode, tools and prompts, the server, the start-up line and the session. Returns the
// exit status; a failure has been written on an "Error: " line by then.
int run_server(asio::thread_pool& pool, const std::vector<std::string>& args,
               const EnvironmentLookup& env, const HomeLookup& user_home);

}  // namespace veltu_startup
