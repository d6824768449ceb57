// The event log calls: records written to the machine root's Application log with every
// field, whole under concurrent writers, and the failures a Windows caller sees.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/src/eventlog_record.h"
#include "platform/src/host_calls.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr DWORD kMarker = 0xDEADBEEF;

class EventLogTest : public nttest::MachineRootTest {
 protected:
  std::string logPath() const { return root() + "/eventlog/Application.log"; }

  std::vector<nt::EventRecord> readRecords() const {
    std::vector<nt::EventRecord> records;
    std::ifstream in(logPath());
    for (std::string line; std::getline(in, line);) {
      nt::EventRecord record;
      EXPECT_TRUE(nt::parseEventRecord(line, record)) << line;
      records.push_back(record);
    }
    return records;
  }

  void TearDown() override {
    nt::host::disarmHostFailures();
    MachineRootTest::TearDown();
  }
};

TEST_F(EventLogTest, RecordHoldsEveryFieldAndStringsWithControlCharacters) {
  HANDLE source = RegisterEventSourceA(nullptr, "MOXAL Agent");
  ASSERT_NE(source, nullptr);
  const char* strings[] = {"first\tcolumn", "two\nlines\r\n", "back\\slash \\t", ""};
  const time_t before = ::time(nullptr);
  SetLastError(kMarker);
  ASSERT_TRUE(ReportEventA(source, EVENTLOG_WARNING_TYPE, 3, 1001, nullptr, 4, 0, strings, nullptr));
  EXPECT_EQ(GetLastError(), kMarker);
  ASSERT_TRUE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 7, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_TRUE(DeregisterEventSource(source));

  const std::vector<nt::EventRecord> records = readRecords();
  ASSERT_EQ(records.size(), 2u);
  const nt::EventRecord& record = records[0];
  EXPECT_EQ(record.source, "MOXAL Agent");
  EXPECT_EQ(record.type, EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(record.category, 3);
  EXPECT_EQ(record.eventId, 1001u);
  EXPECT_EQ(record.processId, GetCurrentProcessId());
  EXPECT_EQ(record.strings,
            (std::vector<std::string>{"first\tcolumn", "two\nlines\r\n", "back\\slash \\t", ""}));
  struct tm stamp {};
  ASSERT_NE(::strptime(record.time.c_str(), "%Y-%m-%dT%H:%M:%SZ", &stamp), nullptr) << record.time;
  const time_t written = ::timegm(&stamp);
  EXPECT_GE(written, before);
  EXPECT_LE(written, ::time(nullptr));
  EXPECT_TRUE(records[1].strings.empty());
}

TEST_F(EventLogTest, RemoteServerIsUnavailableAndLocalNamesAreAccepted) {
  SetLastError(kMarker);
  EXPECT_EQ(RegisterEventSourceA("\\\\other", "MOXAL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  for (const char* local : {static_cast<const char*>(nullptr), ""}) {
    HANDLE source = RegisterEventSourceA(local, "MOXAL");
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(DeregisterEventSource(source));
  }
}

TEST_F(EventLogTest, StaleOrForeignHandlesAreRefused) {
  HANDLE source = RegisterEventSourceA(nullptr, "MOXAL");
  ASSERT_NE(source, nullptr);
  SetLastError(kMarker);
  EXPECT_FALSE(CloseHandle(source));  // an event source has its own close call
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  ASSERT_TRUE(DeregisterEventSource(source));
  const char* text[] = {"x"};
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, text, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeregisterEventSource(source));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(readRecords().empty());
}

TEST_F(EventLogTest, InsertionStringsAreCappedAt32KiBInTotal) {
  HANDLE source = RegisterEventSourceA(nullptr, "MOXAL");
  const std::string half(16 * 1024, 'a');
  const char* atLimit[] = {half.c_str(), half.c_str()};
  EXPECT_TRUE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 2, 0, atLimit, nullptr));
  const std::string more = half + "b";
  const char* overLimit[] = {half.c_str(), more.c_str()};
  SetLastError(kMarker);
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 2, nullptr, 2, 0, overLimit, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 3, nullptr, 1, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DeregisterEventSource(source);
  const std::vector<nt::EventRecord> records = readRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].eventId, 1u);
}

TEST_F(EventLogTest, FullDiskFailsTheReportAndLeavesNoPartialRecord) {
  HANDLE source = RegisterEventSourceA(nullptr, "MOXAL");
  const char* text[] = {"lost"};
  nt::host::armHostFailure(nt::host::Call::Write, 1, ENOSPC);
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, text, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_TRUE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 2, nullptr, 1, 0, text, nullptr));
  DeregisterEventSource(source);
  const std::vector<nt::EventRecord> records = readRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].eventId, 2u);
}

// Each child reports its events numbered 0..n-1; every record must come back whole, and
// each process's records in the order it wrote them.
TEST_F(EventLogTest, RecordsOfConcurrentProcessesStayWhole) {
  constexpr int kEventsPerProcess = 500;
  const std::string padding(300, 'x');  // long records make torn writes likelier
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      HANDLE source = RegisterEventSourceA(nullptr, child == 0 ? "First" : "Second");
      bool ok = source != nullptr;
      for (int i = 0; ok && i < kEventsPerProcess; ++i) {
        const std::string number = std::to_string(i);
        const char* strings[] = {number.c_str(), padding.c_str()};
        ok = ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 100, nullptr, 2, 0, strings, nullptr);
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const std::vector<nt::EventRecord> records = readRecords();
  ASSERT_EQ(records.size(), 2u * kEventsPerProcess);
  std::map<DWORD, int> nextNumber;
  for (const nt::EventRecord& record : records) {
    ASSERT_EQ(record.strings.size(), 2u);
    EXPECT_EQ(record.strings[1], padding);
    EXPECT_EQ(record.strings[0], std::to_string(nextNumber[record.processId]++));
  }
  EXPECT_EQ(nextNumber.size(), 2u);
}

TEST(EventRecordFormat, MalformedLinesAreRejected) {
  const char* const malformed[] = {
      "",
      "2024-05-01T12:34:56Z\tsrc\t1\t0\t7",               // a field missing
      "2024-05-01 12:34:56\tsrc\t1\t0\t7\t42",            // not ISO 8601
      "2024-05-01T12:34:56Z\tsrc\tone\t0\t7\t42",         // type not a number
      "2024-05-01T12:34:56Z\tsrc\t70000\t0\t7\t42",       // type beyond a WORD
      "2024-05-01T12:34:56Z\tsrc\t1\t0\t-7\t42",          // negative id
      "2024-05-01T12:34:56Z\tsrc\t1\t0\t7\t42\tbad\\q",   // unknown escape
      "2024-05-01T12:34:56Z\tsrc\t1\t0\t7\t42\tends\\",   // escape cut off
  };
  for (const char* line : malformed) {
    nt::EventRecord record;
    EXPECT_FALSE(nt::parseEventRecord(line, record)) << line;
  }
  nt::EventRecord record;
  EXPECT_TRUE(nt::parseEventRecord("2024-05-01T12:34:56Z\tsrc\t1\t0\t7\t42", record));
}

}  // namespace
