#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "mcp_bridge/wire.hpp"
#include "record_printers.hpp"

namespace mcp_bridge {
namespace {

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) {
    out += text;
  }
  return out;
}

// A structured reply whose value nests `arrays` arrays: the reply object is level 1.
std::string structured_with_nested_arrays(int arrays) {
  return R"({"kind":"structured","value":)" + repeat("[", arrays) + repeat("]", arrays) + "}";
}
Json nested_arrays(int arrays) {
  Json value = Json::array();
  for (int i = 1; i < arrays; ++i) {
    value = Json::array({value});
  }
  return value;
}
std::string structured_with_nested_objects(int objects) {
  return R"({"kind":"structured","value":)" + repeat(R"({"a":)", objects) + "1" +
         repeat("}", objects) + "}";
}

struct ReplyCase {
  std::string name;
  std::string text;
  McpReply expected;
  friend void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DecodeReply, Decodes) {
  const auto decoded = decode_reply(GetParam().text);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DecodeReply,
    ::testing::Values(
        ReplyCase{"Structured", R"({"kind":"structured","value":{"a":[1,"x",{"b":null}]}})",
                  reply::Structured{Json{{"a", {1, "x", {{"b", nullptr}}}}}}},
        ReplyCase{"StructuredNull", R"({"kind":"structured","value":null})",
                  reply::Structured{nullptr}},
        ReplyCase{"Text", R"({"kind":"text","message":"Done.","isError":true})",
                  reply::Text{"Done.", true}},
        ReplyCase{"KindLastAndExtraMember",
                  R"({"message":"hi","timestamp":1712,"isError":false,"kind":"text"})",
                  reply::Text{"hi", false}},
        ReplyCase{"Prompt", R"({"kind":"prompt","text":"Write the notes."})",
                  reply::Prompt{"Write the notes."}},
        ReplyCase{"Resource", R"({"kind":"resource","uri":"meeting://m1","text":"{}"})",
                  reply::Resource{"meeting://m1", "{}"}},
        ReplyCase{"ResourceListEmpty", R"({"kind":"resourceList","entries":[]})",
                  reply::ResourceList{}},
        ReplyCase{"ResourceListSkipsUnknownEntryMembers",
                  R"({"kind":"resourceList","entries":[{"uri":"u1","name":"n1",)"
                  R"("description":"d1","mimeType":"text/plain"},)"
                  R"({"description":"d2","name":"n2","uri":"u2"}]})",
                  reply::ResourceList{{{"u1", "n1", "d1"}, {"u2", "n2", "d2"}}}},
        ReplyCase{"NotFound", R"({"kind":"notFound","message":"No meeting m9."})",
                  reply::NotFound{"No meeting m9."}},
        ReplyCase{"Failed", R"({"kind":"failed","message":"disk full"})",
                  reply::Failed{"disk full"}},
        ReplyCase{"UnknownMembersOfAnyShapeSkipped",
                  R"({"extra":{"deep":[1,{"x":null}]},"kind":"notFound","message":"m","n":[]})",
                  reply::NotFound{"m"}},
        ReplyCase{"SameNameInDifferentObjects", R"({"kind":"structured","value":{"kind":1}})",
                  reply::Structured{Json{{"kind", 1}}}},
        ReplyCase{"WhitespaceAroundValue", " \t{\"kind\":\"failed\",\"message\":\"x\"}\r\n ",
                  reply::Failed{"x"}},
        ReplyCase{"NonAsciiText", R"({"kind":"prompt","text":"Zusammenfassung – 会議"})",
                  reply::Prompt{"Zusammenfassung – 会議"}},
        ReplyCase{"Depth127Arrays", structured_with_nested_arrays(126),
                  reply::Structured{nested_arrays(126)}},
        ReplyCase{"Depth127Objects", structured_with_nested_objects(126),
                  reply::Structured{Json::parse(structured_with_nested_objects(126))["value"]}}),
    [](const auto& info) { return info.param.name; });

struct FailureCase {
  std::string name;
  std::string text;
  std::string error;
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeReplyFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DecodeReplyFailure, Fails) {
  const auto decoded = decode_reply(GetParam().text);
  ASSERT_FALSE(decoded.has_value());
  EXPECT_EQ(decoded.error(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DecodeReplyFailure,
    ::testing::Values(
        FailureCase{"TextWithoutIsError", R"({"kind":"text","message":"hi"})",
                    R"(member "isError" is missing)"},
        FailureCase{"IsErrorAsString", R"({"kind":"text","message":"hi","isError":"false"})",
                    R"(member "isError" must be a boolean, not string)"},
        FailureCase{"MessageAsNumber", R"({"kind":"failed","message":7})",
                    R"(member "message" must be a string, not number)"},
        FailureCase{"StructuredWithoutValue", R"({"kind":"structured"})",
                    R"(member "value" is missing)"},
        FailureCase{"ResourceWithoutText", R"({"kind":"resource","uri":"u"})",
                    R"(member "text" is missing)"},
        FailureCase{"EntriesNull", R"({"kind":"resourceList","entries":null})",
                    R"(member "entries" must be an array, not null)"},
        FailureCase{"EntriesObject", R"({"kind":"resourceList","entries":{}})",
                    R"(member "entries" must be an array, not object)"},
        FailureCase{"EntryWithoutDescription",
                    R"({"kind":"resourceList","entries":[{"uri":"u","name":"n"}]})",
                    R"(entries[0]: member "description" is missing)"},
        FailureCase{"EntryNotAnObject",
                    R"({"kind":"resourceList","entries":[{"uri":"u","name":"n",)"
                    R"("description":"d"},"u2"]})",
                    "entries[1]: must be an object, not string"},
        FailureCase{"EntryNameNull",
                    R"({"kind":"resourceList","entries":[{"uri":"u","name":null,)"
                    R"("description":"d"}]})",
                    R"(entries[0]: member "name" must be a string, not null)"},
        FailureCase{"UnknownTag", R"({"kind":"answer","message":"m"})", R"(unknown kind "answer")"},
        FailureCase{"CapitalisedTag", R"({"kind":"Text","message":"m","isError":false})",
                    R"(unknown kind "Text")"},
        FailureCase{"KindMissing", R"({"message":"m"})", R"(member "kind" is missing)"},
        FailureCase{"KindNotAString", R"({"kind":1})",
                    R"(member "kind" must be a string, not number)"},
        FailureCase{"KindTwice", R"({"kind":"failed","message":"m","kind":"failed"})",
                    R"(duplicate member "kind")"},
        FailureCase{"DuplicateTopLevelMember", R"({"kind":"failed","message":"a","message":"b"})",
                    R"(duplicate member "message")"},
        FailureCase{"DuplicateInsideEntry",
                    R"({"kind":"resourceList","entries":[{"uri":"u","name":"n",)"
                    R"("description":"d","uri":"v"}]})",
                    R"(duplicate member "uri")"},
        FailureCase{"DuplicateInsideStructuredValue",
                    R"({"kind":"structured","value":[{"a":1,"b":2,"a":1}]})",
                    R"(duplicate member "a")"},
        FailureCase{"DuplicateInsideSkippedMember",
                    R"({"kind":"failed","message":"m","x":{"k":1,"k":1}})",
                    R"(duplicate member "k")"},
        FailureCase{"SecondValueAfterFirst",
                    R"({"kind":"failed","message":"a"} {"kind":"failed","message":"b"})",
                    "invalid JSON: parse error at line 1, column 33: syntax error while parsing "
                    "value - unexpected '{'; expected "
                    "end of input"},
        FailureCase{"ArrayNotObject", R"([{"kind":"failed","message":"a"}])",
                    "the answer must be a JSON object, not array"},
        FailureCase{"StringNotObject", R"("failed")",
                    "the answer must be a JSON object, not string"},
        FailureCase{
            "Empty", "",
            "invalid JSON: parse error at line 1, column 1: syntax error while parsing value "
            "- unexpected end of input; expected '[', '{', or a literal"},
        FailureCase{"Depth128Arrays", structured_with_nested_arrays(127),
                    "nesting deeper than 127 levels"},
        FailureCase{"Depth128Objects", structured_with_nested_objects(127),
                    "nesting deeper than 127 levels"},
        FailureCase{"InvalidUtf8InString", "{\"kind\":\"failed\",\"message\":\"\xff\"}",
                    "invalid JSON: parse error at line 1, column 29: syntax error while parsing "
                    "value - invalid string: "
                    "ill-formed UTF-8 byte; last read: '\"\xff'"},
        FailureCase{"Truncated", R"({"kind":"failed","message":"a")",
                    "invalid JSON: parse error at line 1, column 31: syntax error while parsing "
                    "object - unexpected end of input; "
                    "expected '}'"}),
    [](const auto& info) { return info.param.name; });

struct ImportCase {
  std::string name;
  std::string text;
  StartImportReply expected;
  friend void PrintTo(const ImportCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeImportReply : public ::testing::TestWithParam<ImportCase> {};

TEST_P(DecodeImportReply, Decodes) {
  const auto decoded = decode_import_reply(GetParam().text);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DecodeImportReply,
    ::testing::Values(
        ImportCase{"EmptyObject", "{}", {}},
        ImportCase{"MeetingIdNull", R"({"meetingId":null})", {}},
        ImportCase{"RejectionNull", R"({"meetingId":null,"rejection":null})", {}},
        ImportCase{"MeetingId", R"({"meetingId":"m-42"})", {"m-42", std::nullopt}},
        ImportCase{"Busy", R"({"rejection":{"reason":"busy"}})", {std::nullopt, rejection::Busy{}}},
        ImportCase{"ModelsNotReady",
                   R"({"rejection":{"reason":"modelsNotReady"}})",
                   {std::nullopt, rejection::ModelsNotReady{}}},
        ImportCase{"BadFile",
                   R"({"rejection":{"message":"not audio","reason":"badFile"}})",
                   {std::nullopt, rejection::BadFile{"not audio"}}},
        ImportCase{"Unavailable",
                   R"({"rejection":{"reason":"unavailable","message":"off"}})",
                   {std::nullopt, rejection::Unavailable{"off"}}},
        ImportCase{"UnknownReason",
                   R"({"rejection":{"reason":"quotaExceeded"}})",
                   {std::nullopt, rejection::Unknown{}}},
        ImportCase{"NamedReasonInOtherCase",
                   R"({"rejection":{"reason":"Busy"}})",
                   {std::nullopt, rejection::Unknown{}}},
        ImportCase{"BadFileInOtherCaseNeedsNoMessage",
                   R"({"rejection":{"reason":"BADFILE"}})",
                   {std::nullopt, rejection::Unknown{}}},
        ImportCase{"BothKeptAndExtrasSkipped",
                   R"({"meetingId":"m1","queued":true,"rejection":{"reason":"busy","retry":3}})",
                   {"m1", rejection::Busy{}}}),
    [](const auto& info) { return info.param.name; });

class DecodeImportReplyFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DecodeImportReplyFailure, Fails) {
  const auto decoded = decode_import_reply(GetParam().text);
  ASSERT_FALSE(decoded.has_value());
  EXPECT_EQ(decoded.error(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DecodeImportReplyFailure,
    ::testing::Values(
        FailureCase{"BadFileWithoutMessage", R"({"rejection":{"reason":"badFile"}})",
                    R"(rejection: member "message" is missing)"},
        FailureCase{"UnavailableMessageNotString",
                    R"({"rejection":{"reason":"unavailable","message":false}})",
                    R"(rejection: member "message" must be a string, not boolean)"},
        FailureCase{"RejectionNotAnObject", R"({"rejection":"busy"})",
                    R"(member "rejection" must be an object, not string)"},
        FailureCase{"ReasonMissing", R"({"rejection":{"message":"m"}})",
                    R"(rejection: member "reason" is missing)"},
        FailureCase{"ReasonNull", R"({"rejection":{"reason":null}})",
                    R"(rejection: member "reason" must be a string, not null)"},
        FailureCase{"MeetingIdNumber", R"({"meetingId":17})",
                    R"(member "meetingId" must be a string, not number)"},
        FailureCase{"MeetingIdTwice", R"({"meetingId":"a","meetingId":null})",
                    R"(duplicate member "meetingId")"},
        FailureCase{"DuplicateInsideRejection", R"({"rejection":{"reason":"busy","reason":"x"}})",
                    R"(duplicate member "reason")"},
        FailureCase{"NotAnObject", "null", "the import answer must be a JSON object, not null"},
        FailureCase{"SecondValueAfterFirst", "{} {}",
                    "invalid JSON: parse error at line 1, column 4: syntax error while parsing "
                    "value - unexpected '{'; expected "
                    "end of input"},
        FailureCase{"Depth128InSkippedMember",
                    R"({"x":)" + repeat("[", 127) + repeat("]", 127) + "}",
                    "nesting deeper than 127 levels"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mcp_bridge
