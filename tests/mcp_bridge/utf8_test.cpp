#include "mcp_bridge/utf8.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace mcp_bridge {
namespace {

struct ValidityCase {
  std::string name;
  std::string bytes;
  std::optional<std::size_t> invalid_at;
  friend void PrintTo(const ValidityCase& c, std::ostream* os) { *os << c.name; }
};

class Utf8Validity : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(Utf8Validity, FindsFirstInvalidByte) {
  EXPECT_EQ(invalid_utf8_offset(GetParam().bytes), GetParam().invalid_at);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Validity,
    ::testing::Values(ValidityCase{"Empty", "", std::nullopt},
                      ValidityCase{"AllLengths", "a\xc3\xa9\xe4\xbc\x9a\xf0\x9f\x8e\x99",
                                   std::nullopt},
                      ValidityCase{"Boundaries",
                                   "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf"
                                   "\xee\x80\x80\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",
                                   std::nullopt},
                      ValidityCase{"NulIsValid", std::string("a\0b", 3), std::nullopt},
                      ValidityCase{"LoneContinuation", "ab\x80", 2}, ValidityCase{"Ff", "\xff", 0},
                      ValidityCase{"OverlongTwoBytes", "x\xc0\x80", 1},
                      ValidityCase{"OverlongC1", "\xc1\xbf", 0},
                      ValidityCase{"OverlongThreeBytes", "\xe0\x9f\xbf", 0},
                      ValidityCase{"Surrogate", "ok\xed\xa0\x80", 2},
                      ValidityCase{"OverlongFourBytes", "\xf0\x8f\xbf\xbf", 0},
                      ValidityCase{"AboveMaximum", "\xf4\x90\x80\x80", 0},
                      ValidityCase{"F5Lead", "\xf5\x80\x80\x80", 0},
                      ValidityCase{"TruncatedAtEnd", "a\xe2\x82", 1},
                      ValidityCase{"TruncatedBeforeAscii", "\xe2\x82z", 0},
                      ValidityCase{"InvalidAfterValid", "\xc3\xa9\xc3(", 2}),
    [](const auto& info) { return info.param.name; });

struct TrimCase {
  std::string name;
  std::string text;
  std::string trimmed;
  friend void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }
};

class Utf8Trim : public ::testing::TestWithParam<TrimCase> {};

TEST_P(Utf8Trim, RemovesUnicodeWhiteSpaceAtBothEnds) {
  EXPECT_EQ(trim_unicode_whitespace(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8Trim,
    ::testing::Values(TrimCase{"Nothing", "{}", "{}"}, TrimCase{"Empty", "", ""},
                      TrimCase{"OnlyWhiteSpace", " \t\n\v\f\r", ""},
                      TrimCase{"AsciiControlsAndBlank", "\t\v\f {\"a\": 1}\r\n", "{\"a\": 1}"},
                      TrimCase{"InnerWhiteSpaceKept", " a \xc2\xa0 b ", "a \xc2\xa0 b"},
                      TrimCase{"NextLineAndNoBreakSpace", "\xc2\x85\xc2\xa0x\xc2\xa0\xc2\x85", "x"},
                      TrimCase{"OghamAndEnQuad", "\xe1\x9a\x80\xe2\x80\x80x\xe2\x80\x8a", "x"},
                      TrimCase{"LineAndParagraphSeparators", "\xe2\x80\xa8x\xe2\x80\xa9", "x"},
                      TrimCase{"NarrowAndMathSpaces", "\xe2\x80\xafx\xe2\x81\x9f", "x"},
                      TrimCase{"IdeographicSpace", "\xe3\x80\x80x\xe3\x80\x80", "x"},
                      // Not white space: the zero width space, U+001F and U+180E.
                      TrimCase{"ZeroWidthSpaceKept", "\xe2\x80\x8bx\xe2\x80\x8b",
                               "\xe2\x80\x8bx\xe2\x80\x8b"},
                      TrimCase{"UnitSeparatorKept", "\x1fx\x1f", "\x1fx\x1f"},
                      TrimCase{"MongolianVowelSeparatorKept", "\xe1\xa0\x8ex", "\xe1\xa0\x8ex"},
                      TrimCase{"MultiByteTextAtEnds", " 会議 ", "会議"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mcp_bridge
