#include "platform/profile_reader.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct StringCase {
  const char* name;
  std::string text;
  std::string expected;  // of [QLX] KEY with the fallback "none"
};

const StringCase kStringCases[] = {
    {"Plain", "[QLX]\nKEY=value\n", "value"},
    {"MissingKey", "[QLX]\nOTHER=value\n", "none"},
    {"MissingSection", "[ABC]\nKEY=value\n", "none"},
    {"KeyBeforeAnySection", "KEY=value\n[QLX]\n", "none"},
    {"SectionAndKeyWithoutCase", "[qLx]\nkey=value\n", "value"},
    {"BlanksAroundNamesAndValue", "  [ QLX ]  \r\n\t KEY \t=  two words \t\r\n", "two words"},
    {"OnePairOfDoubleQuotes", "[QLX]\nKEY=\" spaced \"\n", " spaced "},
    {"OnePairOfSingleQuotes", "[QLX]\nKEY=''x''\n", "'x'"},
    {"UnmatchedQuoteKept", "[QLX]\nKEY=\"open\n", "\"open"},
    {"NoInlineComment", "[QLX]\nKEY=a ; b\n", "a ; b"},
    {"EqualsInValue", "[QLX]\nKEY=a=b\n", "a=b"},
    {"CommentLineIgnored", "[QLX]\n;KEY=commented\nKEY=real\n", "real"},
    {"FirstKeyWins", "[QLX]\nKEY=first\nkey=second\n", "first"},
    {"FirstSectionWins", "[QLX]\nKEY=first\n[qlx]\nKEY=second\n", "first"},
    {"FirstSectionOnlyIsSearched", "[QLX]\nA=1\n[QLX]\nKEY=second\n", "none"},
    {"EmptyValue", "[QLX]\nKEY=\n", ""},
    {"LastLineWithoutEnd", "[QLX]\nKEY=end", "end"},
    {"ByteOrderMarkSkipped", "\xEF\xBB\xBF[QLX]\nKEY=value\n", "value"},
    {"ValueCutAtNul", "[QLX]\nKEY=ab\0cd\n"s, "ab"},
    {"EightBitBytesKept", "[QLX]\nKEY=\xe9\xff\n", "\xe9\xff"},
};

void PrintTo(const StringCase& c, std::ostream* out) {
  *out << c.name;
}

class ProfileStringTest : public testing::TestWithParam<StringCase> {};

TEST_P(ProfileStringTest, Reads) {
  const platform::ProfileReader reader(GetParam().text);
  EXPECT_EQ(reader.GetString("QLX", "KEY", "none"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileStringTest, testing::ValuesIn(kStringCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileIntTest, SignLeadingDigitsAndFallback) {
  const struct {
    const char* line;
    int32_t expected;
  } cases[] = {
      {"KEY=9600", 9600},
      {"KEY=+42", 42},
      {"KEY=-17", -17},
      {"KEY=115200bps", 115200},
      {"KEY=abc", 0},
      {"KEY=", 7},
      {"OTHER=1", 7},
      {"KEY=\"2000\"", 2000},
      {"KEY=99999999999999", 2147483647},
      {"KEY=-99999999999999", -2147483647 - 1},
      {"KEY=- 5", 0},
  };
  for (const auto& c : cases) {
    const platform::ProfileReader reader("[QLX]\n" + std::string(c.line) + "\n");
    EXPECT_EQ(reader.GetInt("QLX", "KEY", 7), c.expected) << c.line;
  }
}

}  // namespace
