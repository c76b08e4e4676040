#include "bin/veltu_mcp/db_path.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "bin/veltu_mcp/command_line.hpp"
#include "bin/veltu_mcp/utf8.hpp"

namespace veltu_startup {
namespace {

constexpr std::string_view support_directory = "Library/Application Support";
constexpr std::string_view app_directory = "Veltu-Kesh";
constexpr std::string_view db_file_name = "veltu.sqlite";

std::optional<std::string> home_directory(const EnvironmentLookup& env,
                                          const HomeLookup& user_home) {
  if (auto home = env("HOME"); home && !home->empty()) {
    return home;
  }
  return user_home();
}

std::string_view without_trailing_slashes(std::string_view path) {
  while (path.ends_with('/')) {
    path.remove_suffix(1);
  }
  return path;
}

}  // namespace

std::string join_path(std::string_view first, std::string_view second) {
  if (second.starts_with('/')) {
    return std::string(second);
  }
  std::string joined(first);
  if (!joined.empty() && !joined.ends_with('/')) {
    joined.push_back('/');
  }
  joined.append(second);
  return joined;
}

std::optional<std::string> lexical_parent(std::string_view path) {
  const std::string_view trimmed = without_trailing_slashes(path);
  if (trimmed.empty()) {
    return std::nullopt;
  }
  const auto slash = trimmed.rfind('/');
  if (slash == std::string_view::npos) {
    return std::string();
  }
  const std::string_view parent = without_trailing_slashes(trimmed.substr(0, slash));
  return parent.empty() ? std::string("/") : std::string(parent);
}

std::string resolve_db_path(const std::vector<std::string>& args, const EnvironmentLookup& env,
                            const HomeLookup& user_home) {
  if (auto argument = db_argument(args)) {
    return *argument;
  }
  if (auto configured = env("VELTU_DB_PATH"); configured && is_valid_utf8(*configured)) {
    return *configured;
  }
  if (auto home = home_directory(env, user_home)) {
    return join_path(join_path(join_path(*home, support_directory), app_directory), db_file_name);
  }
  return join_path(".", db_file_name);
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> home_from_user_database() {
  std::string buffer(passwd_buffer_size(::sysconf(_SC_GETPW_R_SIZE_MAX)), '\0');
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

std::size_t passwd_buffer_size(long suggested) {
  return suggested > 0 ? static_cast<std::size_t>(suggested) : 512;
}

}  // namespace veltu_startup
