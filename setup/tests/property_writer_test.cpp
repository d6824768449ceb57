// The setup library's own property code: its reader over the Win32 file calls, setProperty,
// toForwardSlashes, the written text as the supervisor's reader reads it back, and the
// replacement of the file that leaves the old one whole when a step fails.
#include "setup/property_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "common/property_parser.h"
#include "common/property_sets.h"
#include "common/property_trace.h"
#include "platform/src/host_calls.h"
#include "platform/win32.h"
#include "setup/forward_slashes.h"
#include "setup/property_edit.h"
#include "setup/property_reader.h"
#include "tests/support/nt_test.h"

namespace {

using nt::host::Call;

class PropertyWriterTest : public ::testing::Test {
 protected:
  // The library switches the shared code's trace lines off when it is loaded.
  void SetUp() override { setPropertyTracing(false); }
  void TearDown() override {
    nt::host::disarmHostFailures();
    for (int id : loaded_) unloadProperties(id);
  }

  // A set loaded from a file holding the text, as constProp loads the installed file.
  int load(const std::string& text) {
    nttest::writeFile(path_, text);
    const int id = setup::loadProperties(path_.c_str());
    if (id > 0) loaded_.push_back(id);
    return id;
  }

  // The pairs as "key=value", and "key" alone for a key without value.
  static std::vector<std::string> pairsOf(const std::vector<PropertyPair>& pairs) {
    std::vector<std::string> texts;
    for (const PropertyPair& pair : pairs) {
      texts.push_back(std::string(pair.key()) +
                      (pair.value() ? "=" + std::string(pair.value()) : ""));
    }
    return texts;
  }

  // Names in the file's directory: the file and whatever a failed write left beside it.
  std::vector<std::string> directoryNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  nttest::ScratchDir scratch_;
  std::string path_ = scratch_.file("properties");
  std::vector<int> loaded_;
};

TEST_F(PropertyWriterTest, ReaderGivesTheSharedParsersPairsOrNoSet) {
  using namespace std::string_literals;
  const std::string withNul =
      "a=b=c\r\n  name \t= value \n# c=1\nkey=\nonly\nk=1\nk=2\n=x\nx\\\ny=1\0hidden=1\n"s;
  const int id = load(withNul);
  ASSERT_GT(id, 0);
  const PropertySet* set = findPropertySet(id);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->path, path_);
  EXPECT_EQ(pairsOf(set->pairs), pairsOf(parsePropertyText(withNul)));
  EXPECT_EQ(pairsOf(set->pairs), (std::vector<std::string>{"a=b=c", "name=value", "key", "only",
                                                           "k=1", "k=2", "x\\\ny=1"}));

  EXPECT_EQ(setup::loadProperties(scratch_.file("missing").c_str()), 0);
  nt::host::armHostFailure(Call::Read, 1, EIO);
  EXPECT_EQ(setup::loadProperties(path_.c_str()), 0);  // a short read fails the whole file
  const int empty = setup::loadProperties("");
  EXPECT_GT(empty, id);
  EXPECT_EQ(findPropertySet(empty), nullptr);  // an empty set is never registered
}

TEST_F(PropertyWriterTest, SetPropertyChangesTheFirstEqualKeyOrAppends) {
  const int id = load("k=1\nx=2\nk=3\nK=4\n");
  setProperty(id, " k\t", "  new value ");
  setProperty(id, "added", nullptr);
  setProperty(id, "x", "");
  setProperty(id, "", "ignored");
  setProperty(id, nullptr, "ignored");
  setProperty(id + 100, "k", "ignored");
  EXPECT_EQ(pairsOf(findPropertySet(id)->pairs),
            (std::vector<std::string>{"k=new value", "x=", "k=3", "K=4", "added="}));
}

TEST_F(PropertyWriterTest, ToForwardSlashesKeepsDoubledBackslashes) {
  const struct {
    std::string text;
    std::string converted;
  } kCases[] = {
      {"C:\\jdk\\bin\\java.exe", "C:/jdk/bin/java.exe"},
      {"\\\\server\\share", "\\\\server/share"},
      {"a\\\\\\b", "a\\\\/b"},
      {"a\\\\\\\\b", "a\\\\\\\\b"},
      {"end\\", "end/"},
      {"no slashes", "no slashes"},
      {"", ""},
  };
  for (const auto& c : kCases) {
    std::string text = c.text;
    toForwardSlashes(text.data());
    EXPECT_EQ(text, c.converted) << c.text;
  }
  toForwardSlashes(static_cast<char*>(nullptr));  // left alone
}

TEST_F(PropertyWriterTest, WrittenTextReadsBackToTheSamePairs) {
  const struct {
    std::string line;     // as the file held it
    std::string written;  // as writeProperties writes it
    std::string reread;   // the pair the supervisor's reader then finds
  } kCases[] = {
      {"a=1", "a=1\r\n", "a=1"},
      {"key", "key=\r\n", "key"},  // a key without value, on both sides
      {"key=", "key=\r\n", "key"},
      {"a=\"x y\"", "a=\"x y\"\r\n", "a=\"x y\""},  // a value is never quoted for its content
      {"v=x = y", "v=x = y\r\n", "v=x = y"},
      // A key holding a blank, tab or line break is quoted on both sides of "="; the reader
      // keeps quote characters, so the key it reads carries them.
      {"\"k b\"=v", "\"\"k b\"\"=\"v\"\r\n", "\"\"k b\"\"=\"v\""},
      {"k\tx=v", "\"k\tx\"=\"v\"\r\n", "\"k\tx\"=\"v\""},
      {"k\\\ny=v", "\"k\\\ny\"=\"v\"\r\n", "\"k\\\ny\"=\"v\""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    const int id = load(c.line + "\n");
    writeProperties(id, path_.c_str());
    const std::string written = nttest::readFile(path_);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(pairsOf(parsePropertyText(written)), std::vector<std::string>{c.reread});
  }
}

TEST_F(PropertyWriterTest, FailedWriteLeavesTheOldFileWholeAndSaysSo) {
  const std::string old = "a=1\nb=2\n";
  const struct {
    const char* step;
    Call call;
    int error;
    DWORD code;  // the Win32 code on the error line
  } kFaults[] = {
      {"create", Call::Open, EACCES, ERROR_ACCESS_DENIED},
      {"write", Call::Write, ENOSPC, ERROR_DISK_FULL},
      {"flush", Call::Fsync, EIO, ERROR_GEN_FAILURE},
      {"replace", Call::Rename, EACCES, ERROR_UNABLE_TO_MOVE_REPLACEMENT},
  };
  for (const auto& fault : kFaults) {
    SCOPED_TRACE(fault.step);
    const int id = load(old);
    setProperty(id, "a", "changed");
    nt::host::armHostFailure(fault.call, 1, fault.error);
    testing::internal::CaptureStdout();
    writeProperties(id, path_.c_str());
    const std::string out = testing::internal::GetCapturedStdout();
    nt::host::disarmHostFailures();
    EXPECT_EQ(
        out, "writeProperties: could not write " + path_ + " " + std::to_string(fault.code) + "\n");
    EXPECT_EQ(nttest::readFile(path_), old);
    EXPECT_EQ(directoryNames(), std::vector<std::string>{"properties"});
  }
  // The same write without a fault replaces the file, and leaves nothing beside it.
  const int id = load(old);
  setProperty(id, "a", "changed");
  writeProperties(id, path_.c_str());
  EXPECT_EQ(nttest::readFile(path_), "a=changed\r\nb=2\r\n");
  EXPECT_EQ(directoryNames(), std::vector<std::string>{"properties"});
}

TEST_F(PropertyWriterTest, TheRewrittenFileKeepsItsPermissions) {
  const int id = load("moxal.database.DBPASSWD=secret\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  setProperty(id, "moxal.database.DBPASSWD", "other");
  writeProperties(id, path_.c_str());
  struct stat st;
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(nttest::readFile(path_), "moxal.database.DBPASSWD=other\r\n");
}

TEST_F(PropertyWriterTest, ReadOnlyFileIsRefusedAndKeepsItsAttribute) {
  const int id = load("a=1\n");
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  setProperty(id, "a", "2");
  testing::internal::CaptureStdout();
  writeProperties(id, path_.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "writeProperties: could not write " + path_ +
                                                        " " + std::to_string(ERROR_ACCESS_DENIED) +
                                                        "\n");
  EXPECT_EQ(nttest::readFile(path_), "a=1\n");
  EXPECT_EQ(GetFileAttributesA(path_.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(directoryNames(), std::vector<std::string>{"properties"});
}

TEST_F(PropertyWriterTest, NoSetWritesNothing) {
  writeProperties(/*id=*/0, path_.c_str());
  writeProperties(/*id=*/12345, path_.c_str());
  EXPECT_FALSE(nttest::fileExists(path_));
}

}  // namespace
