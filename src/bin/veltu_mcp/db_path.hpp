#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltu_startup {

// The value of an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
// The home directory the user database records for the real user; nullopt when unknown.
using HomeLookup = std::function<std::optional<std::string>()>;

// `second` after `first` with a "/" between them, unless `first` is empty or already ends
// with one; an absolute `second` stands alone.
std::string join_path(std::string_view first, std::string_view second);

// The path without its last component, trailing "/" ignored, computed without the file
// system. A bare name has the empty path as parent; the empty path and "/" have none.
std::optional<std::string> lexical_parent(std::string_view path);

// The first rule that gives a path: the argument after --db, then VELTU_DB_PATH when it is
// UTF-8, then the default under the home directory (HOME when not empty, else the user
// database), then ./veltu.sqlite.
std::string resolve_db_path(const std::vector<std::string>& args, const EnvironmentLookup& env,
                            const HomeLookup& user_home);

std::optional<std::string> environment_variable(const char* name);

// getpwuid_r for the real user with one buffer of the suggested size; not retried.
std::optional<std::string> home_from_user_database();

// The buffer size for user database lookups, given sysconf's suggestion (-1 for none).
std::size_t passwd_buffer_size(long suggested);

}  // namespace veltu_startup
