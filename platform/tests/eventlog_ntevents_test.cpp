// The ntevents tool: the Application log listed for a person, filtered by source, cut to
// the last events, printed raw, and a damaged log reported.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

class NteventsTest : public nttest::MachineRootTest {
 protected:
  void report(const char* source, WORD type, DWORD id, std::vector<const char*> strings) {
    HANDLE handle = RegisterEventSourceA(nullptr, source);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(ReportEventA(handle, type, 0, id, nullptr, static_cast<WORD>(strings.size()), 0,
                             strings.data(), nullptr));
    DeregisterEventSource(handle);
  }

  nttest::ProcessResult ntevents(std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), nttest::builtBinary("ntevents"));
    nttest::RunOptions options;
    options.environment = {"NT_ROOT=" + root()};
    return nttest::runProgram(arguments, options);
  }

  std::string logPath() const { return root() + "/eventlog/Application.log"; }
};

TEST_F(NteventsTest, ListsEachEventWithTypeNameSourceIdAndStrings) {
  report("MOXALAgent", EVENTLOG_ERROR_TYPE, 0, {"MOXALAgent", "could not start\nsecond line"});
  report("Other", EVENTLOG_AUDIT_FAILURE, 42, {});
  report("Other", 0x40, 43, {});

  const nttest::ProcessResult result = ntevents();
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, ::testing::MatchesRegex(
                              "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z  Error  MOXALAgent  Event ID 0"
                              ".*\n    MOXALAgent\n    could not start\n    second line\n\n"
                              ".*Audit Failure  Other  Event ID 42.*\n\n"
                              ".*Type 64  Other  Event ID 43.*\n\n"));
}

TEST_F(NteventsTest, FiltersBySourceWithoutCaseAndKeepsTheLastN) {
  report("MOXALAgent", EVENTLOG_ERROR_TYPE, 1, {"a1"});
  report("Server", EVENTLOG_WARNING_TYPE, 2, {"s1"});
  report("moxalagent", EVENTLOG_INFORMATION_TYPE, 3, {"a2"});
  report("MOXALAgent", EVENTLOG_SUCCESS, 4, {"a3"});

  nttest::ProcessResult result = ntevents({"--source", "MOXALAGENT", "--count", "2"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find("a1"), std::string::npos);
  EXPECT_EQ(result.out.find("s1"), std::string::npos);
  EXPECT_NE(result.out.find("Information  moxalagent  Event ID 3"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Success  MOXALAgent  Event ID 4"), std::string::npos) << result.out;
  EXPECT_LT(result.out.find("a2"), result.out.find("a3"));

  result = ntevents({"--count", "0"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
}

TEST_F(NteventsTest, RawPrintsTheStoredLines) {
  report("MOXAL", EVENTLOG_ERROR_TYPE, 5, {"tab\there"});
  const nttest::ProcessResult result = ntevents({"--raw"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, nttest::readFile(logPath()));
  EXPECT_NE(result.out.find("\tMOXAL\t1\t0\t5\t"), std::string::npos);
  EXPECT_NE(result.out.find("tab\\there\n"), std::string::npos);
}

TEST_F(NteventsTest, MissingLogHasNoEvents) {
  const nttest::ProcessResult result = ntevents();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(NteventsTest, MalformedLineIsReportedWithFileAndLine) {
  report("MOXAL", EVENTLOG_ERROR_TYPE, 5, {"fine"});
  nttest::writeFile(logPath(), nttest::readFile(logPath()) + "not a record\n");
  const nttest::ProcessResult result = ntevents();
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.err.find(logPath() + ":2:"), std::string::npos) << result.err;
}

TEST_F(NteventsTest, UnknownOptionShowsUsageAndFails) {
  const nttest::ProcessResult help = ntevents({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--source NAME"), std::string::npos);
  const nttest::ProcessResult bad = ntevents({"--count", "many"});
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("Usage"), std::string::npos);
}

}  // namespace
