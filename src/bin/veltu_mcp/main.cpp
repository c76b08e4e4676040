#include <asio/thread_pool.hpp>
#include <cstdio>
#include <exception>
#include <optional>

#include "bin/veltu_mcp/command_line.hpp"
#include "bin/veltu_mcp/db_path.hpp"
#include "bin/veltu_mcp/run_server.hpp"
#include "bin/veltu_mcp/standard_streams.hpp"

int main(int argc, char** argv) {
  using namespace veltu_startup;
  reopen_closed_standard_streams();
  ignore_broken_pipe();

  std::optional<asio::thread_pool> pool;
  try {
    pool.emplace(worker_count());
  } catch (const std::exception&) {
    write_to_stderr("Failed building the Runtime\n");
    return 1;
  }

  try {
    return run_server(*pool, command_line(argc, argv), environment_variable,
                      home_from_user_database);
  } catch (const std::exception& error) {
    write_to_stderr(std::string("Error: ") + error.what() + "\n");
    return 1;
  }
}
