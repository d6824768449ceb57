// The property file format: logical lines, keys and values, quotes, escapes, comments, NUL
// bytes and line ends, as the reader understands them.
#include <optional>
#include <string>
#include <vector>

#include "common/property_parser.h"
#include "common/strip.h"
#include "tests/support/nt_test.h"

namespace {

struct Pair {
  std::string key;
  std::optional<std::string> value;
  bool operator==(const Pair&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Pair& pair) {
  return out << "{" << pair.key << " = " << (pair.value ? *pair.value : "(null)") << "}";
}

std::vector<Pair> pairsOf(const std::string& text) {
  std::vector<Pair> pairs;
  for (const PropertyPair& p : parsePropertyText(text)) {
    pairs.push_back({p.key(), p.value() ? std::optional<std::string>(p.value()) : std::nullopt});
  }
  return pairs;
}

TEST(PropertyParserTest, LinesYieldTheirPairs) {
  using Pairs = std::vector<Pair>;
  const std::optional<std::string> none;
  struct Case {
    std::string text;
    Pairs pairs;
  } cases[] = {
      {"a=b=c", {{"a", "b=c"}}},
      {" \t name \t= \t value \t\n", {{"name", "value"}}},
      {"=value", {}},
      {"key=", {{"key", none}}},
      {"key", {{"key", none}}},
      {"# comment=with equals", {}},
      {"x#y=1", {{"x#y", "1"}}},
      {"\"a=b\"=c", {{"\"a=b\"", "c"}}},
      {"'a=b\"=c", {{"'a=b\"", "c"}}},            // any quote closes any other
      {"\"a=b=c", {}},                            // never closed: no pair
      {"a\\=b=c", {{"a\\=b", "c"}}},              // an escaped "=" stays in the key
      {"a\\\\=b", {{"a\\\\", "b"}}},              // two backslashes escape nothing
      {"k=v\\", {{"k", "v\\"}}},                  // a backslash after the split is text
      {"k\\", {}},                                // ends escaped without a split
      {"k=\"open", {{"k", "\"open"}}},            // quotes after the split are text
      {"k=1\nk=2", {{"k", "1"}, {"k", "2"}}},
      {"p=one\\\ntwo", {{"p", "one\\\ntwo"}}},    // LF: the break stays in the line
      {"p=one\\\r\ntwo", {{"p", "one\\\r"}, {"two", none}}},  // CR LF: only CR escaped
      {"a=1\r\nb=2\r\n", {{"a", "1"}, {"b", "2"}}},
      {std::string("a=1\nb=2\0c=3", 11), {{"a", "1"}, {"b", "2"}}},  // text ends at a NUL
      {"", {}},
      {"# only\n\n   \n\t\n", {}},
      {"v=tail\\ ", {{"v", "tail\\ "}}},          // an escaped trailing blank stays
  };
  for (const Case& c : cases) EXPECT_EQ(pairsOf(c.text), c.pairs) << c.text;
}

TEST(PropertyParserTest, StripKeepsEscapedTrailingBlanks) {
  struct Case {
    const char* text;
    const char* stripped;
  } cases[] = {
      {"  a b \t", "a b"},
      {"a\\ ", "a\\ "},
      {"a\\\t\t", "a\\\t"},  // backslash and two tabs lose only the last tab
      {"\t\\ x", "\\ x"},
      {"", ""},
      {" \t ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(stripStr(c.text), c.stripped) << c.text;
  EXPECT_EQ(stripStr(nullptr), "");
}

TEST(PropertyParserTest, HugeAndBinaryTextsParseWithoutHarm) {
  std::string binary;
  for (int i = 0; i < 100000; ++i) binary += static_cast<char>((i * 7919) % 255 + 1);
  EXPECT_NO_THROW(parsePropertyText(binary));
  const std::string escapes(200001, '\\');
  EXPECT_EQ(parsePropertyText(escapes + "\nk=v").size(), 1u);  // the break is escaped
  const std::string quotes(200000, '"');
  EXPECT_EQ(parsePropertyText("k" + quotes).size(), 1u);  // balanced: the whole line is the key
  EXPECT_TRUE(parsePropertyText("k" + quotes + "\"").empty());  // one left open
}

}  // namespace
