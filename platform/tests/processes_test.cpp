// Processes as a Windows parent sees them: command lines split on the child's side, the
// creation flags and standard handles, the environment children receive, exit codes,
// termination and waits.
#include <unistd.h>

#include <cerrno>

#include "platform/src/command_line.h"
#include "platform/win32.h"
#include "tests/support/fake_java_record.h"
#include "tests/support/nt_test.h"

namespace {

TEST(CommandLineTest, SplitsByTheCRuntimeRules) {
  using Words = std::vector<std::string>;
  struct Case {
    const char* line;
    Words words;
  } cases[] = {
      {"java.exe -verbose  Main", {"java.exe", "-verbose", "Main"}},
      {"\"C:\\Program Files\\jdk\\bin\\java.exe\" a", {"C:\\Program Files\\jdk\\bin\\java.exe", "a"}},
      {"p \"-DMOXAL_PROPERTIES=C:\\Program Files\\x\" y", {"p", "-DMOXAL_PROPERTIES=C:\\Program Files\\x", "y"}},
      {"p a\\\\b c\\d", {"p", "a\\\\b", "c\\d"}},     // backslashes not before a quote
      {"p a\\\"b", {"p", "a\"b"}},                   // 2n+1 backslashes: literal quote
      {"p \"a\\\\\" b", {"p", "a\\", "b"}},          // 2n backslashes: the quote groups
      {"p \"a\"\"b\"", {"p", "a\"b"}},               // "" inside quotes
      {"p a\"b c\"d", {"p", "ab cd"}},               // quotes inside a word
      {"p \"\"", {"p", ""}},                         // an empty argument
      {"  p\t x  ", {"p", "x"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(nt::splitCommandLine(c.line), c.words) << c.line;
}

class ProcessesTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    nttest::makeDirectories(driveC() + "/Program Files/jdk/bin");
    ASSERT_EQ(::symlink(nttest::builtBinary("fakejava").c_str(),
                        (driveC() + "/Program Files/jdk/bin/java").c_str()), 0);
    record_ = scratch().file("record.txt");
    SetEnvironmentVariableA("FAKEJAVA_RECORD", record_.c_str());
    SetEnvironmentVariableA("FAKEJAVA_SLEEP", nullptr);
    SetEnvironmentVariableA("FAKEJAVA_EXIT", nullptr);
  }

  // Starts the fake Java program with a command line; returns its process information.
  PROCESS_INFORMATION start(std::string commandLine, DWORD flags = 0,
                            STARTUPINFOA* startup = nullptr) {
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessA(kJava, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                               nullptr, startup, &info))
        << GetLastError();
    return info;
  }

  static constexpr const char* kJava = "C:\\Program Files\\jdk\\bin\\java.exe";
  std::string record_;
};

TEST_F(ProcessesTest, ChildOfAServiceHasItsOwnConsoleGroupAndNoStandardHandles) {
  STARTUPINFOA startup{};
  startup.cb = 68;
  startup.dwFlags = STARTF_USESTDHANDLES;
  const DWORD flags = CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS |
                      CREATE_NEW_CONSOLE;
  PROCESS_INFORMATION info = start(
      "\"C:\\Program Files\\jdk\\bin\\java.exe\" \"-DMOXAL_PROPERTIES=C:\\Program Files\\p\" Main",
      flags, &startup);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);

  const nttest::FakeJavaRecord child = nttest::readFakeJavaRecord(record_);
  EXPECT_EQ(child.argv, (std::vector<std::string>{"C:\\Program Files\\jdk\\bin\\java.exe",
                                                  "-DMOXAL_PROPERTIES=C:\\Program Files\\p",
                                                  "Main"}));
  EXPECT_EQ(child.facts.at("pid"), std::to_string(info.dwProcessId));
  EXPECT_EQ(child.facts.at("sid"), child.facts.at("pid"));  // a new console: its own session
  EXPECT_EQ(child.facts.at("pgid"), child.facts.at("pid"));
  for (const char* fd : {"fd0", "fd1", "fd2"}) EXPECT_EQ(child.facts.at(fd), "/dev/null") << fd;
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
}

TEST_F(ProcessesTest, ChildReceivesTheChangedEnvironmentWhileGetenvKeepsTheInheritedOne) {
  ::setenv("NTTEST_HOME", "inherited", 1);
  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_HOME", "C:\\changed"));
  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_NEW", "new"));
  EXPECT_STREQ(crt::getenv("NTTEST_HOME"), "inherited");

  PROCESS_INFORMATION info = start("java.exe");
  WaitForSingleObject(info.hProcess, 20000);
  const nttest::FakeJavaRecord child = nttest::readFakeJavaRecord(record_);
  EXPECT_EQ(child.environment.at("NTTEST_HOME"), "C:\\changed");
  EXPECT_EQ(child.environment.at("NTTEST_NEW"), "new");
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  ::unsetenv("NTTEST_HOME");
}

TEST_F(ProcessesTest, ExitCodesAndTermination) {
  SetEnvironmentVariableA("FAKEJAVA_EXIT", "300");
  PROCESS_INFORMATION ended = start("java.exe");
  SetEnvironmentVariableA("FAKEJAVA_EXIT", nullptr);
  SetEnvironmentVariableA("FAKEJAVA_SLEEP", "forever");
  PROCESS_INFORMATION running = start("java.exe");

  HANDLE both[] = {running.hProcess, ended.hProcess};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(ended.hProcess, &code));
  EXPECT_EQ(code, 300u % 256);  // the host keeps 8 bits of an exit status
  ASSERT_TRUE(GetExitCodeProcess(running.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 100), WAIT_TIMEOUT);

  ASSERT_TRUE(TerminateProcess(running.hProcess, /*exitCode=*/1));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20000), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeProcess(running.hProcess, &code));
  EXPECT_EQ(code, 1u);
  SetLastError(0);
  EXPECT_FALSE(TerminateProcess(running.hProcess, 1));  // already ended
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  for (HANDLE h : {running.hProcess, running.hThread, ended.hProcess, ended.hThread}) {
    CloseHandle(h);
  }
}

TEST_F(ProcessesTest, RefusedStartsAndWaits) {
  PROCESS_INFORMATION info{};
  char line[] = "nosuch.exe";
  SetLastError(0);
  EXPECT_FALSE(CreateProcessA("C:\\nosuch.exe", line, nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, nullptr, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, INFINITE), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x7FF0));
  EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  DWORD code;
  EXPECT_FALSE(GetExitCodeProcess(bogus, &code));
}

TEST_F(ProcessesTest, SpawnJoinsArgumentsWithBlanksAndTheChildSplitsThem) {
  const char* argv[] = {kJava, "-ms8m qel.importer.Main", "two words", nullptr};
  const intptr_t handle = _spawnv(_P_NOWAIT, kJava, argv);
  ASSERT_NE(handle, -1);
  WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 20000);
  // Unquoted, the path with a blank splits too, as on Windows.
  EXPECT_EQ(nttest::readFakeJavaRecord(record_).argv,
            (std::vector<std::string>{"C:\\Program", "Files\\jdk\\bin\\java.exe", "-ms8m",
                                      "qel.importer.Main", "two", "words"}));
  CloseHandle(reinterpret_cast<HANDLE>(handle));

  errno = 0;
  EXPECT_EQ(_spawnv(_P_NOWAIT, "C:\\jdk\\bin\\nosuch.exe", argv), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(ProcessesTest, SpawnWithWaitSearchesThePathAndReturnsTheExitCode) {
  const std::string savedPath = ::getenv("PATH") ? ::getenv("PATH") : "";
  ::setenv("PATH", "C:\\nowhere;C:\\Program Files\\jdk\\bin", 1);  // as received at start
  SetEnvironmentVariableA("FAKEJAVA_EXIT", "42");
  const char* argv[] = {"java.exe", "x", nullptr};
  EXPECT_EQ(_spawnvp(_P_WAIT, "java.exe", argv), 42);
  EXPECT_EQ(nttest::readFakeJavaRecord(record_).argv, (std::vector<std::string>{"java.exe", "x"}));
  ::setenv("PATH", "C:\\nowhere", 1);
  errno = 0;
  EXPECT_EQ(_spawnvp(_P_WAIT, "java.exe", argv), -1);
  EXPECT_EQ(errno, ENOENT);
  ::setenv("PATH", savedPath.c_str(), 1);
}

}  // namespace
