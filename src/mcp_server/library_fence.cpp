#include "mcp_server/library_fence.hpp"

#include <algorithm>
#include <cstddef>

namespace mcp_server {
namespace {

std::size_t longest_equals_run(std::string_view content) {
  std::size_t longest = 0;
  std::size_t current = 0;
  for (char c : content) {
    current = c == '=' ? current + 1 : 0;
    longest = std::max(longest, current);
  }
  return longest;
}

}  // namespace

std::string fence_library_output(std::string_view content) {
  const std::string run(longest_equals_run(content) + 1, '=');
  std::string fenced;
  fenced.reserve(content.size() + library_fence_notice.size() + 2 * run.size() + 40);
  fenced.append("[veltu:").append(library_fence_label).append(" ").append(run).append("]\n");
  fenced.append(library_fence_notice).append("\n");
  fenced.append(content);
  fenced.append("[/veltu:").append(library_fence_label).append(" ").append(run).append("]\n");
  return fenced;
}

}  // namespace mcp_server
