// The registry store shared by processes: what one process writes the next one reads,
// concurrent writers lose nothing, a corrupt store is reported and never written over, and a
// failed write leaves the store whole.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/src/host_calls.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr int kValuesPerWriter = 200;

class RegistryStoreTest : public nttest::MachineRootTest {
 protected:
  void TearDown() override {
    nt::host::disarmHostFailures();
    MachineRootTest::TearDown();
  }

  std::string storePath() const { return root() + "/registry.reg"; }

  nttest::ProcessResult ntreg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), nttest::builtBinary("ntreg"));
    return nttest::runProgram(arguments);
  }

  HKEY create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS);
    return key;
  }

  LONG setString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  }

  LONG query(HKEY key, const char* name, DWORD& dword) {
    DWORD size = sizeof dword;
    return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&dword), &size);
  }
};

TEST_F(RegistryStoreTest, WhatOneProcessWritesTheNextReads) {
  HKEY key = create("Software\\Shared");
  ASSERT_EQ(setString(key, "FromTest", "written here"), ERROR_SUCCESS);

  const auto queried = ntreg({"query", "HKLM\\Software\\Shared", "/v", "FromTest"});
  EXPECT_EQ(queried.exitCode, 0) << queried.err;
  EXPECT_EQ(queried.out, "\nHKEY_LOCAL_MACHINE\\Software\\Shared\n"
                         "    FromTest    REG_SZ    written here\n\n");

  // The handle opened before the other process wrote reads what it wrote.
  const auto added = ntreg({"add", "HKLM\\Software\\Shared", "/v", "FromTool", "/t", "REG_DWORD",
                            "/d", "7"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  DWORD dword = 0;
  EXPECT_EQ(query(key, "FromTool", dword), ERROR_SUCCESS);
  EXPECT_EQ(dword, 7u);

  ASSERT_EQ(ntreg({"delete", "HKLM\\Software\\Shared", "/f"}).exitCode, 0);
  EXPECT_EQ(query(key, "FromTool", dword), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, ConcurrentWritersLoseNoChange) {
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> writers;
  for (const char* prefix : {"first", "second"}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Both writers wait at the gate so that their writes overlap.
      ::close(gate[1]);
      char ignored;
      if (::read(gate[0], &ignored, 1) != 0) _exit(2);
      HKEY key = nullptr;
      if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Busy", &key) != ERROR_SUCCESS) _exit(3);
      for (int i = 0; i < kValuesPerWriter; ++i) {
        const std::string name = std::string(prefix) + std::to_string(i);
        if (setString(key, name.c_str(), name) != ERROR_SUCCESS) _exit(4);
      }
      _exit(0);
    }
    writers.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }

  HKEY key = create("Software\\Busy");
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u * kValuesPerWriter);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "first199", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "second0", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryStoreTest, CorruptStoreFailsEveryCallAndIsNeverWrittenOver) {
  const std::string corrupt =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Kept]\n\"Good\"=\"1\"\n\"Bad\"=dword:zz\n";
  nttest::writeFile(storePath(), corrupt);
  const std::string report =
      "ntplatform: registry store " + storePath() + ":5: malformed value line\n";

  testing::internal::CaptureStderr();
  HKEY key = nullptr;
  const BYTE data[] = {1};
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Kept", &key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\New", &key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "x", 0, REG_BINARY, data, 1), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Kept"), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), report);  // once, with file and line

  const auto added = ntreg({"add", "HKLM\\Software\\Kept", "/v", "More", "/d", "x"});
  EXPECT_EQ(added.exitCode, 1);
  EXPECT_EQ(added.err, report + "ERROR: The configuration registry database is corrupt.\n");
  EXPECT_EQ(nttest::readFile(storePath()), corrupt);
}

TEST_F(RegistryStoreTest, FailedWriteLeavesTheStoreWhole) {
  struct Case {
    nt::host::Call call;
    int err;
    LONG expected;
  } cases[] = {
      {nt::host::Call::Write, ENOSPC, ERROR_DISK_FULL},
      {nt::host::Call::Fsync, EIO, ERROR_GEN_FAILURE},
      {nt::host::Call::Rename, EACCES, ERROR_ACCESS_DENIED},
  };
  HKEY key = create("Software\\Whole");
  ASSERT_EQ(setString(key, "Kept", "before"), ERROR_SUCCESS);
  const std::string before = nttest::readFile(storePath());
  for (const Case& c : cases) {
    nt::host::armHostFailure(c.call, 1, c.err);
    EXPECT_EQ(setString(key, "Lost", "after"), c.expected) << "errno " << c.err;
    nt::host::disarmHostFailures();
    EXPECT_EQ(nttest::readFile(storePath()), before);
    EXPECT_FALSE(nttest::fileExists(storePath() + ".new"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Kept", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Lost", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
  }
  RegCloseKey(key);
}

}  // namespace
