#include "mcp/tool_name.hpp"

#include "mcp/log.hpp"

namespace mcp {
namespace {

bool allowed(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.';
}

}  // namespace

std::vector<std::string> tool_name_problems(std::string_view name) {
  std::vector<std::string> problems;
  if (name.empty() || name.size() > 128) {
    problems.push_back("must be 1 to 128 characters long");
  }
  for (char c : name) {
    if (!allowed(c)) {
      problems.push_back(c == ' ' || c == ','
                             ? "must not contain spaces or commas"
                             : "may only contain A-Z, a-z, 0-9, underscore, dash and dot");
      break;
    }
  }
  if (!name.empty() &&
      (name.front() == '-' || name.front() == '.' || name.back() == '-' || name.back() == '.')) {
    problems.push_back("must not start or end with a dash or a dot");
  }
  return problems;
}

void warn_about_tool_name(std::string_view name) {
  for (const auto& problem : tool_name_problems(name)) {
    log().warn("tool name \"{}\" {}", name, problem);
  }
}

}  // namespace mcp
