#pragma once

#include <nlohmann/json.hpp>

namespace mcp {

// The default object type keeps members sorted by byte order, which every generic object needs.
using Json = nlohmann::json;

}  // namespace mcp
