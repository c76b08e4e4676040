#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "mcp_server/action_points.hpp"
#include "mcp_server/imports.hpp"
#include "mcp_server/meeting_id_arg.hpp"
#include "mcp_server/reads.hpp"
#include "mcp_server/record.hpp"
#include "mcp_server/writes.hpp"
#include "support/golden.hpp"

namespace mcp_server {
namespace {

using mcp::Json;

using test_support::read_golden;

struct SchemaCase {
  std::string record;
  const std::shared_ptr<const Json>& (*schema)();
};

const SchemaCase schema_cases[] = {
    {"SearchTranscriptsArgs", record_schema<SearchTranscriptsArgs>},
    {"ListMeetingsArgs", record_schema<ListMeetingsArgs>},
    {"GetMeetingArgs", record_schema<GetMeetingArgs>},
    {"GetTranscriptArgs", record_schema<GetTranscriptArgs>},
    {"GetSummaryArgs", record_schema<GetSummaryArgs>},
    {"ListActionPointsArgs", record_schema<ListActionPointsArgs>},
    {"CreateActionPointArgs", record_schema<CreateActionPointArgs>},
    {"UpdateActionPointArgs", record_schema<UpdateActionPointArgs>},
    {"DeleteActionPointArgs", record_schema<DeleteActionPointArgs>},
    {"UpdateSummaryArgs", record_schema<UpdateSummaryArgs>},
    {"UpdateMeetingTitleArgs", record_schema<UpdateMeetingTitleArgs>},
    {"MeetingTagArgs", record_schema<MeetingTagArgs>},
    {"UpdateChaptersArgs", record_schema<UpdateChaptersArgs>},
    {"ImportFileArgs", record_schema<ImportFileArgs>},
    {"MeetingIdArg", record_schema<MeetingIdArg>},
};

void PrintTo(const SchemaCase& c, std::ostream* out) {
  *out << c.record;
}

class SchemaTest : public testing::TestWithParam<SchemaCase> {};

TEST_P(SchemaTest, MatchesTheGoldenFile) {
  const Json expected = read_golden("schemas/" + GetParam().record + ".json");
  const auto& schema = GetParam().schema();
  ASSERT_NE(schema, nullptr);
  EXPECT_EQ(*schema, expected);
  // The bytes the client receives, member order included.
  EXPECT_EQ(schema->dump(), expected.dump());
}

TEST_P(SchemaTest, IsBuiltOnceAndShared) {
  const auto& first = GetParam().schema();
  const auto& second = GetParam().schema();
  EXPECT_EQ(first.get(), second.get());
}

TEST_P(SchemaTest, HasDefinitionsOnlyForTheChapterList) {
  const auto& schema = *GetParam().schema();
  EXPECT_EQ(schema.contains("$defs"), GetParam().record == "UpdateChaptersArgs");
  EXPECT_EQ(schema.contains("required"), GetParam().record != "ListMeetingsArgs");
  EXPECT_FALSE(schema.contains("description"));
}

INSTANTIATE_TEST_SUITE_P(Records, SchemaTest, testing::ValuesIn(schema_cases),
                         [](const auto& info) { return info.param.record; });

}  // namespace
}  // namespace mcp_server
