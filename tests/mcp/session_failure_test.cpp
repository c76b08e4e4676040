#include "mcp/session_failure.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

namespace failure = mcp::failure;

TEST(SessionFailureRendering, NameThenQuotedDetailsInParentheses) {
  const std::vector<std::pair<mcp::SessionFailure, std::string>> cases = {
      {failure::ConnectionClosed{"initialize request"},
       R"(ConnectionClosed("initialize request"))"},
      {failure::ConnectionClosed{"initialized notification"},
       R"(ConnectionClosed("initialized notification"))"},
      {failure::ExpectedInitializeRequest{"tools/list"},
       R"(ExpectedInitializeRequest("tools/list"))"},
      {failure::ExpectedInitializedNotification{"response"},
       R"(ExpectedInitializedNotification("response"))"},
      {failure::UnexpectedInitializeResponse{}, "UnexpectedInitializeResponse"},
      {failure::InitializeFailed{"no description"}, R"(InitializeFailed("no description"))"},
      {failure::UnsupportedProtocolVersion{"1.0"}, R"(UnsupportedProtocolVersion("1.0"))"},
      {failure::TransportError{"Is a directory", "reading standard input"},
       R"(TransportError(error: "Is a directory", context: "reading standard input"))"},
      {failure::Cancelled{}, "Cancelled"},
      // Details stay on one line whatever they hold.
      {failure::ExpectedInitializeRequest{"a\"b\\c\nd"},
       R"(ExpectedInitializeRequest("a\"b\\c\nd"))"},
      {failure::ExpectedInitializeRequest{"\xff"}, "ExpectedInitializeRequest(\"\xEF\xBF\xBD\")"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(mcp::render(value), expected);
  }
}

}  // namespace
