#pragma once

#include <spdlog/logger.h>

namespace mcp {

// The session layer's logger ("mcp"), writing through the sinks start-up installed.
spdlog::logger& log();

}  // namespace mcp
