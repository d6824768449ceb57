// The two environments: the C runtime's getenv reads what the program received, without case;
// the Win32 block that SetEnvironmentVariableA changes is what children receive.
#include <cerrno>
#include <cstdlib>

#include "platform/src/environment.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

TEST(EnvironmentTest, GetenvKeepsTheInheritedValueAndIgnoresCase) {
  ::setenv("NTTEST_Inherited", "start", 1);  // as if received at start
  EXPECT_STREQ(crt::getenv("NTTEST_INHERITED"), "start");
  EXPECT_STREQ(crt::getenv("nttest_inherited"), "start");
  EXPECT_EQ(crt::getenv("NTTEST_ABSENT"), nullptr);
  EXPECT_EQ(crt::getenv(""), nullptr);

  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_INHERITED", "changed"));
  EXPECT_STREQ(crt::getenv("NTTEST_INHERITED"), "start");
  char buffer[32];
  EXPECT_EQ(GetEnvironmentVariableA("nttest_inherited", buffer, sizeof buffer), 7u);
  EXPECT_STREQ(buffer, "changed");

  bool found = false;
  for (const std::string& entry : nt::environmentBlock()) {
    if (entry == "NTTEST_Inherited=changed") found = true;  // first spelling of the name kept
  }
  EXPECT_TRUE(found);
}

TEST(EnvironmentTest, Win32VariableCalls) {
  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_V", "value"));
  char small[3] = "xy";
  EXPECT_EQ(GetEnvironmentVariableA("NTTEST_V", small, sizeof small), 6u);  // size with NUL
  EXPECT_STREQ(small, "xy");

  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_V", ""));
  char buffer[8] = "zzz";
  EXPECT_EQ(GetEnvironmentVariableA("NTTEST_V", buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");

  ASSERT_TRUE(SetEnvironmentVariableA("NTTEST_V", nullptr));
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableA("NTTEST_V", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));

  EXPECT_FALSE(SetEnvironmentVariableA("", "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
}

}  // namespace

namespace {

class ReceivedPathTest : public nttest::MachineRootTest {};

TEST_F(ReceivedPathTest, HostPathListIsSeenInWindowsForm) {
  const std::string saved = ::getenv("PATH") ? ::getenv("PATH") : "";
  nttest::makeDirectories(driveC() + "/tools");
  ::setenv("PATH", (driveC() + "/tools:/usr/bin:/nonexistent").c_str(), 1);
  errno = 0;
  EXPECT_STREQ(crt::getenv("PATH"), "C:\\tools;\\usr\\bin;\\nonexistent");
  EXPECT_EQ(errno, 0);  // the C runtime's getenv never changes errno
  ::setenv("PATH", "C:\\jdk\\bin;C:/x", 1);  // already in Windows form: as it is
  EXPECT_STREQ(crt::getenv("PATH"), "C:\\jdk\\bin;C:/x");
  ::setenv("PATH", saved.c_str(), 1);
}

}  // namespace
