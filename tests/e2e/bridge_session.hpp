#pragma once

// Shared set-up of the end-to-end tests that reach the stand-in app: the server started
// against it (or against no app, or without a bridge), the handshake done, and helpers that
// turn answers and request lines into exact, comparable values.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/stand_in_app.hpp"
#include "support/temp_dir.hpp"
#include "support/veltu_process.hpp"

namespace e2e {

using test_support::Json;
using namespace std::chrono_literals;

enum class Mode { normal, library };

inline const char* mode_name(Mode mode) {
  return mode == Mode::library ? "Library" : "Normal";
}
inline void PrintTo(Mode mode, std::ostream* os) {
  *os << mode_name(mode);
}

using test_support::TempDir;

// The server with `--db db_path` (and `--read-only` in library mode), HOME in a temp dir,
// after the handshake as "e2e-client" 1.0.0.
inline std::unique_ptr<test_support::VeltuProcess> start_veltu(const std::string& db_path,
                                                               Mode mode, const TempDir& home) {
  std::vector<std::string> args = {"--db", db_path};
  if (mode == Mode::library) {
    args.push_back("--read-only");
  }
  auto veltu = std::make_unique<test_support::VeltuProcess>(
      std::move(args), std::map<std::string, std::string>{{"HOME", home.path()}});
  veltu->handshake();
  return veltu;
}

// The stand-in's behaviour for a case's reply line; an empty line stands for an app that
// closes the connection without answering.
inline test_support::Behaviour reply_or_close(const std::string& reply_line) {
  return reply_line.empty() ? test_support::Behaviour::close_at_once()
                            : test_support::Behaviour::reply(reply_line);
}

// The stand-in app and a server talking to it.
struct AppSession {
  explicit AppSession(Mode mode = Mode::normal) : veltu(start_veltu(app.db_path(), mode, home)) {}

  test_support::StandInApp app;
  TempDir home;
  std::unique_ptr<test_support::VeltuProcess> veltu;
};

// A server whose bridge directory has no socket: the app is not running.
struct AppDownSession {
  explicit AppDownSession(Mode mode = Mode::normal)
      : veltu(start_veltu(home.path() + "/veltu.sqlite", mode, home)) {}

  TempDir home;
  std::unique_ptr<test_support::VeltuProcess> veltu;
};

// A server without a bridge: the database path "/" has no parent directory.
struct NoBridgeSession {
  explicit NoBridgeSession(Mode mode = Mode::normal) : veltu(start_veltu("/", mode, home)) {}

  TempDir home;
  std::unique_ptr<test_support::VeltuProcess> veltu;
};

// An answer without "jsonrpc" and "id": {"result": ...} or {"error": ...}, to compare whole.
inline Json answer_of(Json response) {
  if (response.is_object()) {
    response.erase("jsonrpc");
    response.erase("id");
  }
  return response;
}

inline Json tools_call_params(const std::string& name, const Json& arguments) {
  Json params = {{"name", name}};
  if (!arguments.is_null()) {
    params["arguments"] = arguments;
  }
  return params;
}

// Calls a tool; a null `arguments` leaves the member out.
inline Json call_tool(test_support::VeltuProcess& veltu, const std::string& name,
                      const Json& arguments = nullptr, std::chrono::milliseconds timeout = 5s) {
  return answer_of(veltu.request("tools/call", tools_call_params(name, arguments), timeout));
}

inline Json text_result(const std::string& text, bool is_error) {
  return Json{
      {"result",
       {{"content", Json::array({{{"type", "text"}, {"text", text}}})}, {"isError", is_error}}}};
}

inline Json structured_result(const Json& value) {
  return Json{
      {"result", {{"content", Json::array()}, {"isError", false}, {"structuredContent", value}}}};
}

inline Json error_answer(int code, const std::string& message) {
  return Json{{"error", {{"code", code}, {"message", message}}}};
}

// The beginning of every request line once the client has introduced itself.
inline const std::string client_member = R"({"client":{"name":"e2e-client","version":"1.0.0"},)";

// The exact line of a tool or prompt request: client, kind, name, then args with sorted members.
inline std::string named_request_line(const std::string& kind, const std::string& name,
                                      const Json& args) {
  return client_member + R"("kind":")" + kind + R"(","name":")" + name + R"(","args":)" +
         args.dump() + "}";
}

inline const char* tool_kind(Mode mode) {
  return mode == Mode::library ? "readTool" : "mcpTool";
}

}  // namespace e2e
