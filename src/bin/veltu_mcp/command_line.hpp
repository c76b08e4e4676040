#pragma once

#include <optional>
#include <string>
#include <vector>

namespace veltu_startup {

// The arguments as given, the program name first. Bytes that are not UTF-8 are kept: such an
// argument never equals a switch, and after --db it is taken as the path verbatim.
std::vector<std::string> command_line(int argc, const char* const* argv);

// The argument right after the first "--db"; nullopt when there is none or nothing follows it.
std::optional<std::string> db_argument(const std::vector<std::string>& args);

// Any argument equal to "--read-only", the value of --db included.
bool library_mode_requested(const std::vector<std::string>& args);

}  // namespace veltu_startup
