// Loading property sets, their ids, look-up and enumeration, and the trace lines that show the
// file as the reader understood it.
#include <regex>

#include "common/diag.h"
#include "common/property_file.h"
#include "common/property_sets.h"
#include "tests/support/nt_test.h"

namespace {

class PropertySetsTest : public ::testing::Test {
 protected:
  void SetUp() override { diagOpen(diagFile().c_str(), 1); }
  void TearDown() override { diagClose(); }

  std::string diagFile() const { return scratch_.file("moxal.dbg"); }
  // The trace lines without their thread-id prefixes.
  std::string traces() const {
    return std::regex_replace(nttest::readFile(diagFile()), std::regex("(^|\n)[0-9A-F]+: "), "$1");
  }
  std::string writeProperties(const std::string& text) {
    const std::string path = scratch_.file("properties");
    nttest::writeFile(path, text);
    return path;
  }

  nttest::ScratchDir scratch_;
};

TEST_F(PropertySetsTest, TraceShowsEveryPairAsRead) {
  const std::string path = writeProperties("a=b=c\nkey\r\n# note\nq\"x=y\"=1\n");
  const int id = loadProperties(path.c_str());
  ASSERT_GE(id, 1);
  EXPECT_EQ(traces(), "loadProperties: -" + path + "-\n"
                      "readProp: 0 -a- = -b=c-\n"
                      "readProp: 1 -key- = -(null)-\n"
                      "readProp: 2 -q\"x=y\"- = -1-\n"
                      "loadProperties: return " + std::to_string(id) + "\n");
}

TEST_F(PropertySetsTest, IdsAreIssuedInCallOrderAndFailuresTakeNone) {
  const std::string path = writeProperties("k=v\n");
  const int first = loadProperties(path.c_str());
  EXPECT_EQ(loadProperties(scratch_.file("missing").c_str()), 0);
  const int empty = loadProperties(nullptr);
  EXPECT_EQ(empty, first + 1);
  EXPECT_EQ(loadProperties(""), first + 2);
  EXPECT_EQ(loadProperties(path.c_str()), first + 3);

  EXPECT_STREQ(getProperty(first, "k"), "v");
  EXPECT_EQ(getProperty(empty, "k"), nullptr);  // the empty set is not registered
  EXPECT_NE(traces().find("loadProperties: -null-\n"), std::string::npos);
  EXPECT_NE(traces().find("getProperty: propset empty\n"), std::string::npos);
  EXPECT_EQ(getProperty(0, "k"), nullptr);
  EXPECT_EQ(getProperty(-1, "k"), nullptr);
  EXPECT_EQ(getProperty(first + 100, "k"), nullptr);
}

TEST_F(PropertySetsTest, LooksUpTheFirstPairByTrimmedName) {
  const int id = loadProperties(writeProperties("k=1\nk=2\nnovalue=\n").c_str());
  EXPECT_STREQ(getProperty(id, "k"), "1");
  EXPECT_STREQ(getProperty(id, " \tk \t"), "1");
  EXPECT_EQ(getProperty(id, "K"), nullptr);  // keys compare with case
  EXPECT_EQ(getProperty(id, "novalue"), nullptr);
  EXPECT_EQ(getProperty(id, ""), nullptr);
  EXPECT_EQ(getProperty(id, nullptr), nullptr);
  const std::string t = traces();
  EXPECT_NE(t.find("getProperty: " + std::to_string(id) + " enter - \tk \t-\n"), std::string::npos);
  EXPECT_NE(t.find("getProperty: 0 return -1-\n"), std::string::npos);
  EXPECT_NE(t.find("getProperty: return NULL\n"), std::string::npos);
  EXPECT_NE(t.find("getProperty: name empty\n"), std::string::npos);
}

TEST_F(PropertySetsTest, EnumerationVisitsPairsInOrderAndStopsWhenAsked) {
  const int id = loadProperties(writeProperties("a=1\nb\nc=3\n").c_str());
  struct Visit {
    std::vector<std::string> seen;
    size_t stopAfter;
  };
  auto visitor = [](const char* key, const char* value, void* user) {
    auto* visit = static_cast<Visit*>(user);
    visit->seen.push_back(std::string(key) + "=" + (value ? value : "(none)"));
    return visit->seen.size() == visit->stopAfter ? 1 : 0;
  };
  Visit all{{}, 0};
  enumProperty(id, visitor, &all);
  EXPECT_EQ(all.seen, (std::vector<std::string>{"a=1", "b=(none)", "c=3"}));
  Visit two{{}, 2};
  enumProperty(id, visitor, &two);
  EXPECT_EQ(two.seen.size(), 2u);
  EXPECT_NE(traces().find("enumProperty: 1 -b- -(null)-\n"), std::string::npos);
}

TEST_F(PropertySetsTest, UnreadableFileFailsTheLoad) {
  nttest::makeDirectories(scratch_.file("adir"));
  EXPECT_EQ(loadProperties(scratch_.file("adir").c_str()), 0);
  FILE* closed = nullptr;
  std::vector<PropertyPair> pairs;
  EXPECT_EQ(readProp(closed, pairs), 1);
}

}  // namespace
