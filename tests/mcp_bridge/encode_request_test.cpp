#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "mcp_bridge/wire.hpp"

namespace mcp_bridge {
namespace {

struct EncodeCase {
  std::string name;
  BridgeRequest request;
  std::string line;
  friend void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }
};

const ClientIdentity desk{"desk-client", "1.4.0"};

class EncodeRequest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeRequest, WritesMembersInDeclaredOrder) {
  const auto encoded = encode_request(GetParam().request);
  ASSERT_TRUE(encoded.has_value()) << encoded.error();
  EXPECT_EQ(*encoded, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EncodeRequest,
    ::testing::Values(
        EncodeCase{"ToolWithIdentity",
                   {desk, McpTool{"get-transcript", Json{{"meeting_id", "m1"}, {"b", {1, 2}}}}},
                   R"({"client":{"name":"desk-client","version":"1.4.0"},"kind":"mcpTool",)"
                   R"("name":"get-transcript","args":{"b":[1,2],"meeting_id":"m1"}})"
                   "\n"},
        EncodeCase{"ToolWithoutIdentityBeginsWithKind",
                   {std::nullopt, McpTool{"list-meetings", Json::object()}},
                   R"({"kind":"mcpTool","name":"list-meetings","args":{}})"
                   "\n"},
        EncodeCase{"ReadTool",
                   {std::nullopt, ReadTool{"search-transcripts", Json{{"query", "budget"}}}},
                   R"({"kind":"readTool","name":"search-transcripts","args":{"query":"budget"}})"
                   "\n"},
        EncodeCase{"IdentityWithoutVersionHasOnlyName",
                   {ClientIdentity{"bare", std::nullopt},
                    McpPrompt{"summarize-meeting", Json{{"meeting_id", "m2"}}}},
                   R"({"client":{"name":"bare"},"kind":"mcpPrompt","name":"summarize-meeting",)"
                   R"("args":{"meeting_id":"m2"}})"
                   "\n"},
        EncodeCase{"ResourceRead",
                   {std::nullopt, McpResourceRead{"meeting://m3/transcript"}},
                   R"({"kind":"mcpResourceRead","uri":"meeting://m3/transcript"})"
                   "\n"},
        EncodeCase{"ResourceListWithIdentity",
                   {desk, McpResourceList{}},
                   R"({"client":{"name":"desk-client","version":"1.4.0"},)"
                   R"("kind":"mcpResourceList"})"
                   "\n"},
        EncodeCase{"ResourceListAlone",
                   {std::nullopt, McpResourceList{}},
                   R"({"kind":"mcpResourceList"})"
                   "\n"},
        EncodeCase{"ImportWithoutTitleLeavesItOut",
                   {std::nullopt, StartImport{"/Users/a/rec.m4a", std::nullopt}},
                   R"({"kind":"startImport","filePath":"/Users/a/rec.m4a"})"
                   "\n"},
        EncodeCase{"ImportWithEmptyTitleWritesIt",
                   {std::nullopt, StartImport{"/Users/a/rec.m4a", ""}},
                   R"({"kind":"startImport","filePath":"/Users/a/rec.m4a","title":""})"
                   "\n"},
        EncodeCase{"ImportWithTitle",
                   {desk, StartImport{"/r.wav", "Weekly sync"}},
                   R"({"client":{"name":"desk-client","version":"1.4.0"},"kind":"startImport",)"
                   R"("filePath":"/r.wav","title":"Weekly sync"})"
                   "\n"},
        EncodeCase{"NonAsciiAsPlainUtf8",
                   {ClientIdentity{"Büro", "β"},
                    McpTool{"get-meeting", Json{{"titel", "Café 会議 🎙"}, {"ü", "\u2028"}}}},
                   "{\"client\":{\"name\":\"Büro\",\"version\":\"β\"},\"kind\":\"mcpTool\","
                   "\"name\":\"get-meeting\",\"args\":{\"titel\":\"Café 会議 🎙\","
                   "\"ü\":\"\u2028\"}}\n"},
        EncodeCase{"EscapesQuotesBackslashesAndControls",
                   {ClientIdentity{"a\"b", "c\\d"},
                    StartImport{"/tmp/x\ny.m4a", std::string("t\tq\x01\x1f\r\b\f\x7f", 9)}},
                   R"({"client":{"name":"a\"b","version":"c\\d"},"kind":"startImport",)"
                   R"("filePath":"/tmp/x\ny.m4a","title":"t\tq\u0001\u001f\r\b\f)"
                   "\x7f\"}\n"},
        EncodeCase{"EscapesInsideArgs",
                   {std::nullopt, McpTool{"t", Json{{"line\nkey", "v\"\n"}}}},
                   R"({"kind":"mcpTool","name":"t","args":{"line\nkey":"v\"\n"}})"
                   "\n"}),
    [](const auto& info) { return info.param.name; });

// The line feed that ends the line is the only raw one, whatever the strings hold.
TEST(EncodeRequestLine, EndsInItsOnlyLineFeed) {
  const auto encoded = encode_request(
      {ClientIdentity{"x\n", "\n"}, McpPrompt{"\n\n", Json{{"\n", Json::array({"\n"})}}}});
  ASSERT_TRUE(encoded.has_value()) << encoded.error();
  EXPECT_EQ(encoded->find('\n'), encoded->size() - 1);
}

struct InvalidUtf8Case {
  std::string name;
  BridgeRequest request;
  std::string error;
  friend void PrintTo(const InvalidUtf8Case& c, std::ostream* os) { *os << c.name; }
};

class EncodeInvalidUtf8 : public ::testing::TestWithParam<InvalidUtf8Case> {};

TEST_P(EncodeInvalidUtf8, Fails) {
  const auto encoded = encode_request(GetParam().request);
  ASSERT_FALSE(encoded.has_value()) << *encoded;
  EXPECT_EQ(encoded.error(), GetParam().error);
}

const std::string bad = "a\xff";
const std::string bad_error = "cannot encode the request: invalid UTF-8 byte at index 1: 0xFF";

INSTANTIATE_TEST_SUITE_P(
    Strings, EncodeInvalidUtf8,
    ::testing::Values(
        InvalidUtf8Case{"ClientName", {ClientIdentity{bad, "1"}, McpResourceList{}}, bad_error},
        InvalidUtf8Case{"ClientVersion", {ClientIdentity{"c", bad}, McpResourceList{}}, bad_error},
        InvalidUtf8Case{"ToolName", {std::nullopt, McpTool{bad, Json::object()}}, bad_error},
        InvalidUtf8Case{"ArgsValue", {std::nullopt, ReadTool{"t", Json{{"q", bad}}}}, bad_error},
        InvalidUtf8Case{"ArgsKey", {std::nullopt, McpPrompt{"p", Json{{bad, 1}}}}, bad_error},
        InvalidUtf8Case{"Uri", {std::nullopt, McpResourceRead{bad}}, bad_error},
        InvalidUtf8Case{"FilePath", {std::nullopt, StartImport{bad, std::nullopt}}, bad_error},
        InvalidUtf8Case{"Title",
                        {std::nullopt, StartImport{"/f", "\xc3("}},
                        "cannot encode the request: invalid UTF-8 byte at index 1: 0x28"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mcp_bridge
