#pragma once

#include <string_view>

namespace veltu_startup {

bool is_valid_utf8(std::string_view text);

}  // namespace veltu_startup
