#include "mcp/log.hpp"

#include <spdlog/spdlog.h>

namespace mcp {

spdlog::logger& log() {
  // Cloned on first use, after start-up installed the default logger and its sinks.
  static const std::shared_ptr<spdlog::logger> logger = spdlog::default_logger()->clone("mcp");
  return *logger;
}

}  // namespace mcp
