#include "mcp/incoming_message.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using mcp::Json;

struct InvalidCase {
  std::string line;
  std::string answer;  // the exact error answer
};

// The first bytes of the line: some are far too long for a test name.
void PrintTo(const InvalidCase& c, std::ostream* out) {
  *out << c.line.substr(0, 32);
}

class InvalidLine : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidLine, IsAnsweredWithItsError) {
  auto message = mcp::classify_line(GetParam().line);
  ASSERT_TRUE(message.has_value());
  auto* invalid = std::get_if<mcp::Invalid>(&*message);
  ASSERT_NE(invalid, nullptr);
  EXPECT_EQ(invalid->answer, Json::parse(GetParam().answer));
}

std::string parse_error(const std::string& message) {
  return Json{
      {"jsonrpc", "2.0"}, {"id", nullptr}, {"error", {{"code", -32700}, {"message", message}}}}
      .dump();
}

std::string invalid_request(const std::string& id, const std::string& reason) {
  return R"({"jsonrpc":"2.0","id":)" + id +
         R"(,"error":{"code":-32600,"message":"Invalid Request: )" + reason + R"("}})";
}

// The parser quotes the whole unfinished string; the answer keeps the first 200 bytes.
std::string cut_detail() {
  const std::string detail =
      "parse error at line 1, column 302: syntax error while parsing value - invalid string: "
      "missing closing quote; last read: '\"";
  return "Parse error: " + detail + std::string(200 - detail.size(), 'a') + "...";
}

INSTANTIATE_TEST_SUITE_P(
    ParseErrors, InvalidLine,
    testing::Values(
        InvalidCase{"garbage", parse_error("Parse error: parse error at line 1, column 1: syntax "
                                           "error while parsing value - invalid literal; last "
                                           "read: 'g'")},
        InvalidCase{R"({"jsonrpc":"2.0",)",
                    parse_error("Parse error: parse error at line 1, column 18: syntax error while "
                                "parsing object key - unexpected end of input; expected string "
                                "literal")},
        // Two values on one line are not one message.
        InvalidCase{"{} {}", parse_error("Parse error: parse error at line 1, column 4: syntax "
                                         "error while parsing value - unexpected '{'; expected end "
                                         "of input")},
        // A long quotation of the input is cut short.
        InvalidCase{"\"" + std::string(300, 'a'), parse_error(cut_detail())},
        InvalidCase{std::string(100000, '['),
                    parse_error("Parse error: nesting deeper than 512 levels")}));

INSTANTIATE_TEST_SUITE_P(
    InvalidRequests, InvalidLine,
    testing::Values(
        InvalidCase{"[]", invalid_request("null", "not a JSON object")},
        InvalidCase{R"([{"jsonrpc":"2.0","id":1,"method":"ping"}])",
                    invalid_request("null", "not a JSON object")},
        InvalidCase{"42", invalid_request("null", "not a JSON object")},
        InvalidCase{R"("ping")", invalid_request("null", "not a JSON object")},
        InvalidCase{"null", invalid_request("null", "not a JSON object")},
        InvalidCase{R"({"id":1,"method":"ping"})",
                    invalid_request("1", R"(\"jsonrpc\" is not \"2.0\")")},
        InvalidCase{R"({"jsonrpc":"1.0","id":"a","method":"ping"})",
                    invalid_request(R"("a")", R"(\"jsonrpc\" is not \"2.0\")")},
        InvalidCase{R"({"jsonrpc":2.0,"id":1,"method":"ping"})",
                    invalid_request("1", R"(\"jsonrpc\" is not \"2.0\")")},
        InvalidCase{R"({"jsonrpc":"2.0","id":1})",
                    invalid_request("1", "neither a request, a notification nor a response")},
        InvalidCase{R"({"jsonrpc":"2.0","id":1,"method":7})",
                    invalid_request("1", R"(\"method\" is not a string)")},
        InvalidCase{R"({"jsonrpc":"2.0","method":null})",
                    invalid_request("null", R"(\"method\" is not a string)")},
        InvalidCase{R"({"jsonrpc":"2.0","id":1,"method":"ping","params":"x"})",
                    invalid_request("1", R"(\"params\" is neither an object nor an array)")},
        InvalidCase{R"({"jsonrpc":"2.0","id":null,"method":"ping"})",
                    invalid_request("null", R"(\"id\" is neither a string nor a number)")},
        InvalidCase{R"({"jsonrpc":"2.0","id":true,"method":"ping"})",
                    invalid_request("null", R"(\"id\" is neither a string nor a number)")},
        InvalidCase{R"({"jsonrpc":"2.0","id":{"n":1},"method":"ping"})",
                    invalid_request("null", R"(\"id\" is neither a string nor a number)")},
        InvalidCase{R"({"jsonrpc":"2.0","id":[1],"method":"ping"})",
                    invalid_request("null", R"(\"id\" is neither a string nor a number)")}));

TEST(ClassifyLine, InvalidUtf8IsAParseError) {
  auto message = mcp::classify_line("[\"\xff\"]");
  ASSERT_TRUE(message.has_value());
  const Json& answer = std::get<mcp::Invalid>(*message).answer;
  EXPECT_EQ(answer["id"], nullptr);
  EXPECT_EQ(answer["error"]["code"], -32700);
  EXPECT_EQ(answer["error"]["message"],
            "Parse error: parse error at line 1, column 3: syntax error while parsing value - "
            "invalid string: ill-formed UTF-8 byte; last read: '\"\xff'");
}

TEST(ClassifyLine, BlankLinesAreSkipped) {
  for (const char* line : {"", " ", "\t \r", "\r"}) {
    EXPECT_FALSE(mcp::classify_line(line).has_value()) << '"' << line << '"';
  }
}

TEST(ClassifyLine, RequestsKeepIdMethodAndParams) {
  struct Case {
    const char* line;
    Json id;
    const char* method;
    Json params;
  };
  const Case cases[] = {
      {R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})", 1, "tools/list", nullptr},
      {R"({"jsonrpc":"2.0","id":"x-1","method":"ping","params":{}})", "x-1", "ping",
       Json::object()},
      {R"({"jsonrpc":"2.0","id":-7,"method":"a","params":[1,2]})", -7, "a", Json{1, 2}},
      {R"({"jsonrpc":"2.0","id":2.5,"method":"a","params":null})", 2.5, "a", nullptr},
      {R"({"method":"tools/call","params":{"name":"n"},"id":18446744073709551615,"jsonrpc":"2.0"})",
       Json(18446744073709551615ull), "tools/call", Json{{"name", "n"}}},
  };
  for (const Case& c : cases) {
    auto message = mcp::classify_line(c.line);
    ASSERT_TRUE(message.has_value()) << c.line;
    auto* request = std::get_if<mcp::Request>(&*message);
    ASSERT_NE(request, nullptr) << c.line;
    EXPECT_EQ(request->id, c.id) << c.line;
    EXPECT_EQ(request->id.dump(), c.id.dump()) << c.line;  // same number type
    EXPECT_EQ(request->method, c.method) << c.line;
    EXPECT_EQ(request->params, c.params) << c.line;
  }
}

TEST(ClassifyLine, NotificationsAndResponses) {
  auto notification = mcp::classify_line(
      R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"a":1}})");
  ASSERT_TRUE(notification && std::holds_alternative<mcp::Notification>(*notification));
  EXPECT_EQ(std::get<mcp::Notification>(*notification).method, "notifications/cancelled");
  EXPECT_EQ(std::get<mcp::Notification>(*notification).params, (Json{{"a", 1}}));

  for (const char* line : {R"({"jsonrpc":"2.0","id":3,"result":{}})",
                           R"({"jsonrpc":"2.0","id":"r","error":{"code":1,"message":"m"}})",
                           R"({"jsonrpc":"2.0","id":null,"error":{"code":1,"message":"m"}})"}) {
    auto response = mcp::classify_line(line);
    ASSERT_TRUE(response.has_value()) << line;
    EXPECT_TRUE(std::holds_alternative<mcp::Response>(*response)) << line;
  }
}

TEST(ClassifyLine, NestingIsLimitedByDepth) {
  // The request object is level 1, "params" level 2, the array level 3.
  const char* three_levels = R"({"jsonrpc":"2.0","id":1,"method":"m","params":{"a":[1]}})";
  const char* four_levels = R"({"jsonrpc":"2.0","id":1,"method":"m","params":{"a":[[1]]}})";
  auto accepted = mcp::classify_line(three_levels, 3);
  ASSERT_TRUE(accepted.has_value());
  EXPECT_TRUE(std::holds_alternative<mcp::Request>(*accepted));

  auto refused = mcp::classify_line(four_levels, 3);
  ASSERT_TRUE(refused.has_value());
  ASSERT_TRUE(std::holds_alternative<mcp::Invalid>(*refused));
  EXPECT_EQ(std::get<mcp::Invalid>(*refused).answer,
            Json::parse(parse_error("Parse error: nesting deeper than 3 levels")));

  const std::string deepest_allowed = std::string(512, '[') + std::string(512, ']');
  auto at_limit = mcp::classify_line(deepest_allowed);
  ASSERT_TRUE(at_limit.has_value());
  EXPECT_EQ(std::get<mcp::Invalid>(*at_limit).answer,
            Json::parse(invalid_request("null", "not a JSON object")));
  auto over_limit = mcp::classify_line("[" + deepest_allowed + "]");
  ASSERT_TRUE(over_limit.has_value());
  EXPECT_EQ(std::get<mcp::Invalid>(*over_limit).answer,
            Json::parse(parse_error("Parse error: nesting deeper than 512 levels")));
}

TEST(OversizedLine, NamesTheLimit) {
  EXPECT_EQ(mcp::oversized_line(67108864).answer,
            Json::parse(parse_error("Parse error: line longer than 67108864 bytes")));
}

}  // namespace
