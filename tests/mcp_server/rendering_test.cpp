#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "mcp_server/reply_rendering.hpp"

namespace mcp_server {
namespace {

namespace reply = mcp_bridge::reply;
using mcp_bridge::McpReply;
using mcp_bridge::ResourceEntry;

struct RenderingCase {
  std::string name;
  McpReply reply;
  std::string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const RenderingCase& c, std::ostream* os) {
  *os << c.name;
}

class RenderReply : public testing::TestWithParam<RenderingCase> {};

TEST_P(RenderReply, NamesTheKindAndItsFields) {
  EXPECT_EQ(render_reply(GetParam().reply), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderReply,
    testing::Values(
        RenderingCase{"NotFound", reply::NotFound{"gone"}, R"(NotFound { message: "gone" })"},
        RenderingCase{"Prompt", reply::Prompt{"t"}, R"(Prompt { text: "t" })"},
        RenderingCase{"Resource", reply::Resource{"u", "t"}, R"(Resource { uri: "u", text: "t" })"},
        RenderingCase{"ResourceListWithOneEntry",
                      reply::ResourceList{{ResourceEntry{"u", "n", "d"}}},
                      R"(ResourceList { entries: [ResourceEntry { uri: "u", name: "n", )"
                      R"(description: "d" }] })"},
        RenderingCase{"ResourceListWithTwoEntries",
                      reply::ResourceList{{ResourceEntry{"meeting://1", "One", "first"},
                                           ResourceEntry{"meeting://2", "Two", "second"}}},
                      R"(ResourceList { entries: [ResourceEntry { uri: "meeting://1", )"
                      R"(name: "One", description: "first" }, ResourceEntry { )"
                      R"(uri: "meeting://2", name: "Two", description: "second" }] })"},
        RenderingCase{"EmptyResourceList", reply::ResourceList{}, "ResourceList { entries: [] }"},
        RenderingCase{"EscapesQuotesBackslashesAndLineBreaks",
                      reply::NotFound{"say \"hi\"\\\nnext"},
                      R"(NotFound { message: "say \"hi\"\\\nnext" })"},
        RenderingCase{"Text", reply::Text{"m", true}, R"(Text { message: "m", is_error: true })"},
        RenderingCase{"Failed", reply::Failed{"boom"}, R"(Failed { message: "boom" })"},
        RenderingCase{"Structured", reply::Structured{mcp_bridge::Json{{"a", 1}}},
                      R"(Structured { value: {"a":1} })"}),
    [](const testing::TestParamInfo<RenderingCase>& info) { return info.param.name; });

}  // namespace
}  // namespace mcp_server
