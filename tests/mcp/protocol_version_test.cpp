#include "mcp/protocol_version.hpp"

#include <gtest/gtest.h>

namespace {

using mcp::Json;

struct VersionCase {
  const char* params;
  const char* expected;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
  *out << c.params;
}

class NegotiateProtocolVersion : public testing::TestWithParam<VersionCase> {};

TEST_P(NegotiateProtocolVersion, AnswersTheOlderOfClientAndLatest) {
  EXPECT_EQ(mcp::negotiate_protocol_version(Json::parse(GetParam().params)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NegotiateProtocolVersion,
    testing::Values(VersionCase{R"({"protocolVersion":"2024-11-05"})", "2024-11-05"},
                    VersionCase{R"({"protocolVersion":"2025-03-26"})", "2025-03-26"},
                    VersionCase{R"({"protocolVersion":"2025-06-18"})", "2025-06-18"},
                    VersionCase{R"({"protocolVersion":"2025-06-19"})", "2025-06-18"},
                    VersionCase{R"({"protocolVersion":"2099-01-01"})", "2025-06-18"},
                    // Not looked up in any list: any earlier string comes back as sent.
                    VersionCase{R"({"protocolVersion":"1999"})", "1999"},
                    VersionCase{R"({"protocolVersion":"2025-06-1"})", "2025-06-1"},
                    VersionCase{R"({"protocolVersion":"2025-06-18a"})", "2025-06-18"},
                    VersionCase{R"({"protocolVersion":""})", ""},
                    VersionCase{R"({"protocolVersion":"draft"})", "2025-06-18"},
                    // Bytes above 0x7f sort after every ASCII byte.
                    VersionCase{R"({"protocolVersion":"\u00e9"})", "2025-06-18"},
                    VersionCase{R"({"protocolVersion":20240101})", "2025-06-18"},
                    VersionCase{R"({"protocolVersion":null})", "2025-06-18"},
                    VersionCase{R"({})", "2025-06-18"}, VersionCase{R"(null)", "2025-06-18"},
                    VersionCase{R"(["2024-11-05"])", "2025-06-18"}));

TEST(NegotiatedInitializeResult, SetsTheVersionAndKeepsTheRest) {
  const Json description = {{"protocolVersion", "2025-06-18"}, {"serverInfo", {{"name", "s"}}}};
  EXPECT_EQ(mcp::negotiated_initialize_result(description, {{"protocolVersion", "2024-11-05"}}),
            (Json{{"protocolVersion", "2024-11-05"}, {"serverInfo", {{"name", "s"}}}}));
  EXPECT_EQ(mcp::negotiated_initialize_result({{"a", 1}}, Json::object()),
            (Json{{"a", 1}, {"protocolVersion", "2025-06-18"}}));
}

}  // namespace
