#include "bin/veltu_mcp/command_line.hpp"

#include <algorithm>

namespace veltu_startup {

std::vector<std::string> command_line(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
    args.emplace_back(argv[i]);
  }
  return args;
}

std::optional<std::string> db_argument(const std::vector<std::string>& args) {
  auto db = std::find(args.begin(), args.end(), "--db");
  if (db == args.end() || std::next(db) == args.end()) {
    return std::nullopt;
  }
  return *std::next(db);
}

bool library_mode_requested(const std::vector<std::string>& args) {
  return std::find(args.begin(), args.end(), "--read-only") != args.end();
}

}  // namespace veltu_startup
