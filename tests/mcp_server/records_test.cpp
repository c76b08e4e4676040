#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tl/expected.hpp>

#include "mcp_server/action_points.hpp"
#include "mcp_server/imports.hpp"
#include "mcp_server/meeting_id_arg.hpp"
#include "mcp_server/reads.hpp"
#include "mcp_server/record.hpp"
#include "mcp_server/value_description.hpp"
#include "mcp_server/writes.hpp"

namespace mcp_server {
namespace {

using mcp::Json;

// Decodes the arguments into the record and encodes it back, which is what the app receives.
using RoundTrip = tl::expected<Json, std::string> (*)(const Json&);

template <class Record>
tl::expected<Json, std::string> round_trip(const Json& arguments) {
  auto record = decode_record<Record>(arguments);
  if (!record) {
    return tl::unexpected(record.error());
  }
  return encode_record(*record);
}

struct DecodeCase {
  std::string label;
  RoundTrip decode;
  std::string arguments;  // JSON text; "null" stands for absent arguments
  std::string sent;       // the encoded record as JSON text, empty when decoding fails
  std::string error;      // the decoder's text, empty when decoding succeeds
};

const std::string search_nulls = R"("meeting_id":null,"source":null,"speaker_label":null)";

const DecodeCase decode_cases[] = {
    // Missing and absent fields.
    {"list_meetings_without_arguments", round_trip<ListMeetingsArgs>, "null",
     R"({"before":null,"limit":null,"query":null,"since":null,"state":null})", ""},
    {"search_with_empty_object", round_trip<SearchTranscriptsArgs>, "{}", "",
     "missing field `query`"},
    {"search_without_arguments", round_trip<SearchTranscriptsArgs>, "null", "",
     "missing field `query`"},
    {"update_chapters_reports_first_declared", round_trip<UpdateChaptersArgs>, "{}", "",
     "missing field `meeting_id`"},
    {"create_action_point_without_description", round_trip<CreateActionPointArgs>,
     R"({"meeting_id":"m1"})", "", "missing field `description`"},
    {"prompt_argument_missing", round_trip<MeetingIdArg>, "{}", "", "missing field `meeting_id`"},
    {"optional_text_null_is_absent", round_trip<SearchTranscriptsArgs>,
     R"({"query":"q","meeting_id":null})", R"({"limit":null,)" + search_nulls + R"(,"query":"q"})",
     ""},
    {"import_without_title", round_trip<ImportFileArgs>, R"({"file_path":"/tmp/a.m4a"})",
     R"({"file_path":"/tmp/a.m4a","title":null})", ""},

    // Integers.
    {"limit_500_unchanged", round_trip<SearchTranscriptsArgs>, R"({"query":"q","limit":500})",
     R"({"limit":500,)" + search_nulls + R"(,"query":"q"})", ""},
    {"limit_negative_unchanged", round_trip<SearchTranscriptsArgs>, R"({"query":"q","limit":-3})",
     R"({"limit":-3,)" + search_nulls + R"(,"query":"q"})", ""},
    {"limit_largest_i64", round_trip<ListMeetingsArgs>, R"({"limit":9223372036854775807})",
     R"({"before":null,"limit":9223372036854775807,"query":null,"since":null,"state":null})", ""},
    {"limit_smallest_i64", round_trip<ListMeetingsArgs>, R"({"limit":-9223372036854775808})",
     R"({"before":null,"limit":-9223372036854775808,"query":null,"since":null,"state":null})", ""},
    {"limit_fraction", round_trip<SearchTranscriptsArgs>, R"({"query":"q","limit":2.5})", "",
     "invalid type: floating point `2.5`, expected i64"},
    {"limit_whole_float", round_trip<SearchTranscriptsArgs>, R"({"query":"q","limit":20.0})", "",
     "invalid type: floating point `20.0`, expected i64"},
    {"limit_exponent", round_trip<ListMeetingsArgs>, R"({"limit":1e2})", "",
     "invalid type: floating point `100.0`, expected i64"},
    {"limit_huge_exponent_written_out", round_trip<ListMeetingsArgs>, R"({"limit":1e300})", "",
     "invalid type: floating point `1" + std::string(300, '0') + ".0`, expected i64"},
    {"limit_digit_string", round_trip<SearchTranscriptsArgs>, R"({"query":"q","limit":"20"})", "",
     "invalid type: string \"20\", expected i64"},
    {"limit_above_i64", round_trip<SearchTranscriptsArgs>,
     R"({"query":"q","limit":9223372036854775808})", "",
     "invalid value: integer `9223372036854775808`, expected i64"},
    {"limit_largest_u64", round_trip<ListMeetingsArgs>, R"({"limit":18446744073709551615})", "",
     "invalid value: integer `18446744073709551615`, expected i64"},
    {"limit_beyond_u64_is_floating_point", round_trip<ListMeetingsArgs>,
     R"({"limit":18446744073709551616})", "",
     "invalid type: floating point `18446744073709552000.0`, expected i64"},
    {"limit_below_i64_is_floating_point", round_trip<ListMeetingsArgs>,
     R"({"limit":-9223372036854775809})", "",
     "invalid type: floating point `-9223372036854776000.0`, expected i64"},
    {"limit_boolean", round_trip<ListMeetingsArgs>, R"({"limit":true})", "",
     "invalid type: boolean `true`, expected i64"},

    // Booleans.
    {"include_timestamps_null_is_absent", round_trip<GetTranscriptArgs>,
     R"({"meeting_id":"m","include_timestamps":null})",
     R"({"format":null,"include_timestamps":null,"meeting_id":"m","since":null,"source":null})",
     ""},
    {"clear_assignee_null_is_absent", round_trip<UpdateActionPointArgs>,
     R"({"id":"a1","clear_assignee":null})",
     R"({"assignee_speaker_id":null,"clear_assignee":null,"description":null,"id":"a1","status":null})",
     ""},
    {"clear_assignee_false_kept", round_trip<UpdateActionPointArgs>,
     R"({"id":"a1","clear_assignee":false,"status":"open"})",
     R"({"assignee_speaker_id":null,"clear_assignee":false,"description":null,"id":"a1","status":"open"})",
     ""},
    {"boolean_given_as_string", round_trip<GetTranscriptArgs>,
     R"({"meeting_id":"m","include_timestamps":"yes"})", "",
     "invalid type: string \"yes\", expected a boolean"},
    {"boolean_given_as_integer", round_trip<UpdateActionPointArgs>,
     R"({"id":"a1","clear_assignee":1})", "", "invalid type: integer `1`, expected a boolean"},

    // Text.
    {"text_given_as_integer", round_trip<GetMeetingArgs>, R"({"meeting_id":7})", "",
     "invalid type: integer `7`, expected a string"},
    {"required_text_null", round_trip<GetMeetingArgs>, R"({"meeting_id":null})", "",
     "invalid type: null, expected a string"},
    {"text_given_as_array", round_trip<DeleteActionPointArgs>, R"({"id":["a"]})", "",
     "invalid type: sequence, expected a string"},
    {"text_given_as_object", round_trip<UpdateSummaryArgs>,
     R"({"meeting_id":"m","content":{"body":"x"}})", "", "invalid type: map, expected a string"},
    {"text_kept_as_sent", round_trip<UpdateMeetingTitleArgs>,
     R"({"meeting_id":"m","title":"  Weekly \"sync\"\n"})",
     R"({"meeting_id":"m","title":"  Weekly \"sync\"\n"})", ""},
    {"offending_string_escaped", round_trip<ListMeetingsArgs>, R"({"limit":"a\"b\\c\n\t\u0001"})",
     "", "invalid type: string \"a\\\"b\\\\c\\n\\t\\u{1}\", expected i64"},

    // Order of visiting.
    {"unknown_members_ignored", round_trip<MeetingTagArgs>,
     R"({"meeting_id":"m","tag_name":"Reviewed","extra":{"deep":[1,2]},"Tag_Name":5})",
     R"({"meeting_id":"m","tag_name":"Reviewed"})", ""},
    {"first_member_in_byte_order_reported", round_trip<SearchTranscriptsArgs>,
     R"({"query":5,"limit":"x"})", "", "invalid type: string \"x\", expected i64"},
    {"bad_value_reported_before_missing_field", round_trip<SearchTranscriptsArgs>,
     R"({"limit":2.5})", "", "invalid type: floating point `2.5`, expected i64"},

    // Chapters.
    {"chapters_empty", round_trip<UpdateChaptersArgs>, R"({"meeting_id":"m","chapters":[]})",
     R"({"chapters":[],"meeting_id":"m"})", ""},
    {"chapters_as_objects_and_pairs", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[["00:00:00","Intro"],{"title":"Demo","timestamp":"00:12:30","x":1}]})",
     R"({"chapters":[{"timestamp":"00:00:00","title":"Intro"},{"timestamp":"00:12:30","title":"Demo"}],"meeting_id":"m"})",
     ""},
    {"chapter_object_without_title", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[{"timestamp":"00:00:00"}]})", "", "missing field `title`"},
    {"chapter_object_with_bad_title", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[{"timestamp":"00:00:00","title":false}]})", "",
     "invalid type: boolean `false`, expected a string"},
    {"chapter_array_empty", round_trip<UpdateChaptersArgs>, R"({"meeting_id":"m","chapters":[[]]})",
     "", "invalid length 0, expected struct ChapterArg with 2 elements"},
    {"chapter_array_of_one", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[["00:00:00"]]})", "",
     "invalid length 1, expected struct ChapterArg with 2 elements"},
    {"chapter_array_of_three", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[["00:00:00","Intro","extra"]]})", "",
     "invalid length 3, expected fewer elements in array"},
    {"chapter_array_non_string", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[["00:00:00",5]]})", "",
     "invalid type: integer `5`, expected a string"},
    {"chapter_element_type_before_length", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[[5,"Intro","extra"]]})", "",
     "invalid type: integer `5`, expected a string"},
    {"chapter_element_boolean", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[["00:00:00","Intro"],true]})", "",
     "invalid type: boolean `true`, expected struct ChapterArg"},
    {"chapter_element_null", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":[null]})", "",
     "invalid type: null, expected struct ChapterArg"},
    {"chapters_as_object", round_trip<UpdateChaptersArgs>,
     R"({"meeting_id":"m","chapters":{"timestamp":"00:00:00","title":"Intro"}})", "",
     "invalid type: map, expected a sequence"},
    {"chapters_null", round_trip<UpdateChaptersArgs>, R"({"meeting_id":"m","chapters":null})", "",
     "invalid type: null, expected a sequence"},
    {"chapters_missing", round_trip<UpdateChaptersArgs>, R"({"meeting_id":"m"})", "",
     "missing field `chapters`"},

    // Arguments that are not an object.
    {"arguments_array", round_trip<SearchTranscriptsArgs>, R"(["q"])", "",
     "invalid type: sequence, expected struct SearchTranscriptsArgs"},
    {"arguments_string", round_trip<GetMeetingArgs>, R"("m1")", "",
     "invalid type: string \"m1\", expected struct GetMeetingArgs"},
    {"arguments_number", round_trip<ListMeetingsArgs>, "3", "",
     "invalid type: integer `3`, expected struct ListMeetingsArgs"},
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
  *out << c.label;
}

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, DecodesOrNamesTheProblem) {
  const DecodeCase& c = GetParam();
  auto result = c.decode(Json::parse(c.arguments));
  if (c.error.empty()) {
    ASSERT_TRUE(result.has_value()) << result.error();
    EXPECT_EQ(*result, Json::parse(c.sent));
    EXPECT_EQ(result->dump(), Json::parse(c.sent).dump());
  } else {
    ASSERT_FALSE(result.has_value()) << result->dump();
    EXPECT_EQ(result.error(), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Records, DecodeTest, testing::ValuesIn(decode_cases),
                         [](const auto& info) { return info.param.label; });

TEST(DecodeRecord, FillsEveryMemberFromItsField) {
  auto args = decode_record<UpdateActionPointArgs>(Json::parse(
      R"({"id":"a1","description":"Send it","status":"done","assignee_speaker_id":"s2",
          "clear_assignee":true})"));
  ASSERT_TRUE(args.has_value()) << args.error();
  EXPECT_EQ(args->id, "a1");
  EXPECT_EQ(args->description, "Send it");
  EXPECT_EQ(args->status, "done");
  EXPECT_EQ(args->assignee_speaker_id, "s2");
  EXPECT_EQ(args->clear_assignee, true);

  auto search = decode_record<SearchTranscriptsArgs>(Json::parse(R"({"query":"q","limit":-3})"));
  ASSERT_TRUE(search.has_value()) << search.error();
  EXPECT_EQ(search->limit, -3);
  EXPECT_EQ(search->meeting_id, std::nullopt);
}

struct QuotedCase {
  std::string label;
  std::string text;
  std::string quoted;
};

const QuotedCase quoted_cases[] = {
    {"plain", "hello", R"("hello")"},
    {"empty", "", R"("")"},
    {"quote_and_backslash", R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
    {"line_breaks_and_tab", "a\nb\rc\td", R"("a\nb\rc\td")"},
    {"nul", std::string("a\0b", 3), R"("a\u{0}b")"},
    {"other_c0_controls", "\x01\x1b\x1f", R"("\u{1}\u{1b}\u{1f}")"},
    {"delete", "\x7f", R"("\u{7f}")"},
    {"c1_control", "\xc2\x85", R"("\u{85}")"},
    {"printable_non_ascii_kept", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\x99 \xc2\xa0",
     "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\x99 \xc2\xa0\""},
    {"single_quote_kept", "it's", R"("it's")"},
    {"invalid_byte", "a\xff", R"("a\xff")"},
    {"truncated_sequence", "\xe2\x82", R"("\xe2\x82")"},
    {"overlong_form", "\xc0\xaf", R"("\xc0\xaf")"},
    {"surrogate", "\xed\xa0\x80", R"("\xed\xa0\x80")"},
    {"above_unicode_range", "\xf4\x90\x80\x80", R"("\xf4\x90\x80\x80")"},
};

void PrintTo(const QuotedCase& c, std::ostream* out) {
  *out << c.label;
}

class DebugQuotedTest : public testing::TestWithParam<QuotedCase> {};

TEST_P(DebugQuotedTest, QuotesAndEscapes) {
  EXPECT_EQ(debug_quoted(GetParam().text), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(ValueDescription, DebugQuotedTest, testing::ValuesIn(quoted_cases),
                         [](const auto& info) { return info.param.label; });

TEST(DescribeValue, NamesEachKindOfValue) {
  const std::pair<Json, std::string> cases[] = {
      {Json(nullptr), "null"},
      {Json(true), "boolean `true`"},
      {Json(false), "boolean `false`"},
      {Json::parse("7"), "integer `7`"},
      {Json::parse("-7"), "integer `-7`"},
      {Json::parse("2.5"), "floating point `2.5`"},
      {Json::parse("-0.0"), "floating point `-0.0`"},
      {Json::parse("0.1"), "floating point `0.1`"},
      {Json::parse("1e-7"), "floating point `0.0000001`"},
      {Json::parse("-1234.5e-2"), "floating point `-12.345`"},
      {Json::parse("1.7976931348623157e308"),
       "floating point `17976931348623157" + std::string(292, '0') + ".0`"},
      {Json::parse("5e-324"), "floating point `0." + std::string(323, '0') + "5`"},
      {Json("x"), "string \"x\""},
      {Json::object(), "map"},
      {Json::array(), "sequence"},
  };
  for (const auto& [value, description] : cases) {
    EXPECT_EQ(describe_value(value), description) << value.dump();
  }
}

}  // namespace
}  // namespace mcp_server
