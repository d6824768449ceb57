// The diagnostic log: where lines go, the thread prefix of trace lines, the errno tail of error
// lines, and the events of reportEvent.
#include <cerrno>
#include <fstream>
#include <regex>
#include <thread>

#include "common/diag.h"
#include "platform/src/eventlog_record.h"
#include "tests/support/nt_test.h"

namespace {

class DiagTest : public nttest::MachineRootTest {
 protected:
  void TearDown() override {
    diagClose();
    MachineRootTest::TearDown();
  }
  std::string file() { return scratch().file("moxal.dbg"); }
};

TEST_F(DiagTest, LevelZeroCreatesTheFileAndWritesOnlyErrorLines) {
  diagOpen(file().c_str(), 0);
  EXPECT_TRUE(nttest::fileExists(file()));
  diagPrint("main: existence check\n");
  errno = 0;
  diagError("an error %d", 7);
  EXPECT_EQ(nttest::readFile(file()), "an error 7\n");
}

TEST_F(DiagTest, TraceLinesCarryTheirThreadId) {
  diagOpen(file().c_str(), 0x10);
  diagPrint("main: existence check\n");
  std::thread([] { diagPrint("from another thread\n"); }).join();
  std::smatch m;
  const std::string text = nttest::readFile(file());
  ASSERT_TRUE(std::regex_match(text, m, std::regex("([0-9A-F]+): main: existence check\n"
                                                   "([0-9A-F]+): from another thread\n")));
  char mine[16];
  std::snprintf(mine, sizeof mine, "%X", static_cast<unsigned>(GetCurrentThreadId()));
  EXPECT_EQ(m[1].str(), mine);
  EXPECT_NE(m[1].str(), m[2].str());
}

TEST_F(DiagTest, ErrorLinesEndWithTheTextOfErrno) {
  diagOpen(file().c_str(), 1);
  errno = ENOENT;
  diagError("runSvc: could not set service status %s %X\n", "MOXALAgent", 6u);
  EXPECT_EQ(nttest::readFile(file()),
            "runSvc: could not set service status MOXALAgent 6\n: No such file or directory\n");
}

TEST_F(DiagTest, UncreatableFileSendsLinesToStandardOutput) {
  testing::internal::CaptureStdout();
  diagOpen(scratch().file("missing/dir/moxal.dbg").c_str(), 1);
  diagPrint("to stdout\n");
  errno = 0;
  diagError("error too");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(std::regex_match(out, std::regex("[0-9A-F]+: to stdout\nerror too\n"))) << out;
}

TEST_F(DiagTest, FatalEndsWithStatusOne) {
  EXPECT_EXIT(
      {
        diagOpen(nullptr, 0);
        errno = 0;
        diagFatal("%s: cannot open/read property file %s\n", "moxalsvc", "x");
      },
      testing::ExitedWithCode(1), "");
}

TEST_F(DiagTest, ReportEventWritesTheSourceAndLastErrorFirst) {
  SetLastError(0x427);
  reportEvent("runSvc - SetServiceStatus failure", "MOXALAgent", EVENTLOG_ERROR_TYPE);
  std::ifstream log(nt::applicationLogPath());
  std::string line;
  ASSERT_TRUE(std::getline(log, line));
  nt::EventRecord record;
  ASSERT_TRUE(nt::parseEventRecord(line, record));
  EXPECT_EQ(record.source, "MOXALAgent");
  EXPECT_EQ(record.type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(record.strings, (std::vector<std::string>{"MOXALAgent error: 427",
                                                      "runSvc - SetServiceStatus failure"}));
  EXPECT_FALSE(std::getline(log, line));
}

}  // namespace
