// qelrun started under its command names: the Java command line each name gives, the -system
// and -server pairs, the refusal of other names, a missing java.exe, and the exit status.
#include <unistd.h>

#include <algorithm>

#include "launcher/tool_table.h"
#include "tests/support/fake_java_record.h"
#include "tests/support/nt_test.h"

namespace {

class LauncherTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    nttest::makeDirectories(driveC() + "/tools");
    nttest::makeDirectories(scratch().file("jdk/bin"));
    ASSERT_EQ(::symlink(nttest::builtBinary("fakejava").c_str(), scratch().file("jdk/bin/java").c_str()), 0);
    record_ = scratch().file("record.txt");
  }

  // Runs the launcher under the name, from C:\tools, with java.exe on the search path.
  nttest::ProcessResult run(const std::string& name, std::vector<std::string> arguments,
                            std::vector<std::string> environment = {}) {
    const std::string link = driveC() + "/tools/" + name;
    if (!nttest::fileExists(link)) {
      EXPECT_EQ(::symlink(nttest::builtBinary("qelrun").c_str(), link.c_str()), 0);
    }
    arguments.insert(arguments.begin(), link);
    nttest::RunOptions options;
    options.environment = {"PATH=" + scratch().file("jdk/bin"), "FAKEJAVA_RECORD=" + record_};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    options.unset = {"QELSYSTEM", "QELSERVER"};
    return nttest::runProgram(arguments, options);
  }

  std::vector<std::string> childArguments() { return nttest::readFakeJavaRecord(record_).argv; }

  std::string record_;
};

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> result;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

TEST_F(LauncherTest, EveryCommandNameRunsItsToolWithTheFixedPartSplit) {
  for (const ToolCommand& command : kToolCommands) {
    ::unlink(record_.c_str());
    const nttest::ProcessResult result = run(command.name, {"a", "two words"});
    ASSERT_EQ(result.exitCode, 0) << command.name << result.err;
    std::vector<std::string> expected{"java.exe"};
    for (const std::string& w : words(command.fixedPart)) expected.push_back(w);
    expected.insert(expected.end(), {"a", "two", "words"});  // blanks split an argument too
    EXPECT_EQ(childArguments(), expected) << command.name;
  }
}

TEST_F(LauncherTest, SystemAndServerPairsFollowTheirVariablesIndependently) {
  struct Case {
    std::vector<std::string> environment;
    std::vector<std::string> tail;
  } cases[] = {
      {{"QELSYSTEM=sys", "QELSERVER=srv"}, {"-system", "sys", "-server", "srv"}},
      {{"QELSERVER=srv"}, {"-server", "srv"}},
      {{"QELSYSTEM=sys"}, {"-system", "sys"}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    ::unlink(record_.c_str());
    ASSERT_EQ(run("qel_unimport", {"a", "b"}, c.environment).exitCode, 0);
    std::vector<std::string> expected{"java.exe", "-ms8m", "qel.importer.Main", "-delete", "a", "b"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(childArguments(), expected);
  }
}

TEST_F(LauncherTest, OtherNamesAreRefusedWithoutStartingJava) {
  for (const char* name : {"qel_import.exe", "QEL_IMPORT", "qelrun"}) {
    const nttest::ProcessResult result = run(name, {"x"});
    EXPECT_EQ(result.exitCode, 255) << name;  // -1 as a POSIX parent sees it
    std::string started = driveC() + "/tools/" + name;  // argument 0, with backslashes
    std::replace(started.begin(), started.end(), '/', '\\');
    EXPECT_EQ(result.err, "Error commande : " + started + " \n");
    EXPECT_FALSE(nttest::fileExists(record_)) << name;
  }
}

TEST_F(LauncherTest, MissingJavaIsReported) {
  const nttest::ProcessResult result = run("qel_import", {}, {"PATH=" + scratch().file("nowhere")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not find \"java.exe\"\n");
}

TEST_F(LauncherTest, TheToolsExitStatusIsTheLaunchers) {
  for (int status : {0, 1, 150}) {
    const nttest::ProcessResult result =
        run("qel_dump_tables", {}, {"FAKEJAVA_EXIT=" + std::to_string(status)});
    EXPECT_EQ(result.exitCode, status);
  }
}

}  // namespace
