#include "bin/veltu_mcp/logging.hpp"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <memory>

#include "bin/veltu_mcp/utf8.hpp"

namespace veltu_startup {

bool colour_wanted(const char* no_color) {
  return no_color == nullptr || *no_color == '\0' || !is_valid_utf8(no_color);
}

void install_stderr_log(bool colour) {
  auto sink = std::make_shared<spdlog::sinks::stderr_color_sink_mt>(
      colour ? spdlog::color_mode::always : spdlog::color_mode::never);
  auto logger = std::make_shared<spdlog::logger>("veltu-mcp", std::move(sink));
  logger->set_level(spdlog::level::info);
  logger->set_pattern("%Y-%m-%dT%H:%M:%S.%fZ %^%l%$ %n: %v", spdlog::pattern_time_type::utc);
  spdlog::set_default_logger(std::move(logger));
}

}  // namespace veltu_startup
