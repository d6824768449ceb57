// Windows paths on the host: separators, drive map, case-insensitive look-up, the .exe and
// .dll names, and the Windows form of host paths.
#include <unistd.h>

#include "platform/src/paths.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

class PathsTest : public nttest::MachineRootTest {};

TEST_F(PathsTest, TranslatesWindowsPathsToHostPaths) {
  nttest::writeFile(driveC() + "/Prod/Bin/moxalsvc", "x");
  nttest::writeFile(driveC() + "/Prod/lib/libsvcENU.so", "x");
  nttest::writeFile(driveC() + "/Prod/lib/other.so", "x");
  struct Case {
    const char* windows;
    std::string host;
  } cases[] = {
      {"C:\\Prod\\Bin\\moxalsvc", driveC() + "/Prod/Bin/moxalsvc"},
      {"c:/prod/bin/MOXALSVC", driveC() + "/Prod/Bin/moxalsvc"},          // case fall-back
      {"C:\\prod\\bin\\moxalsvc.exe", driveC() + "/Prod/Bin/moxalsvc"},   // .exe name
      {"C:\\Prod\\lib\\svcenu.dll", driveC() + "/Prod/lib/libsvcENU.so"},  // .dll name
      {"C:\\Prod\\lib\\other.dll", driveC() + "/Prod/lib/other.so"},
      {"C:\\Prod\\New.txt", driveC() + "/Prod/New.txt"},  // new names pass as given
      {"C:", driveC()},
      {"\\tmp", "/tmp"},
  };
  for (const Case& c : cases) {
    nt::HostPath path;
    ASSERT_TRUE(nt::hostPathFor(c.windows, nt::PathUse::Existing, path)) << c.windows;
    EXPECT_EQ(path.path, c.host) << c.windows;
    EXPECT_FALSE(path.directoryMissing) << c.windows;
  }
}

TEST_F(PathsTest, ReportsUnmappedDrivesAndMissingDirectories) {
  nt::HostPath path;
  SetLastError(0xDEAD);
  EXPECT_FALSE(nt::hostPathFor("Q:\\x", nt::PathUse::Existing, path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(nt::hostPathFor("", nt::PathUse::Existing, path));
  EXPECT_FALSE(nt::hostPathFor(nullptr, nt::PathUse::Existing, path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  ASSERT_TRUE(nt::hostPathFor("C:\\nodir\\file", nt::PathUse::Existing, path));
  EXPECT_TRUE(path.directoryMissing);
  EXPECT_EQ(nt::notFoundError(path), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(PathsTest, FallbackNamesApplyOnlyToExistingFiles) {
  nttest::writeFile(driveC() + "/bin/java", "x");
  nt::HostPath path;
  ASSERT_TRUE(nt::hostPathFor("C:\\bin\\java.exe", nt::PathUse::Create, path));
  EXPECT_EQ(path.path, driveC() + "/bin/java.exe");
}

TEST_F(PathsTest, ShowsHostPathsInWindowsForm) {
  nttest::makeDirectories(driveC() + "/prod/bin");
  nttest::makeDirectories(scratch().file("d/inner"));
  mapDrive('d', scratch().file("d"));
  mapDrive('e', scratch().file("d/inner"));  // the longest mapping wins
  EXPECT_EQ(nt::windowsPathFor(driveC() + "/prod/bin"), "C:\\prod\\bin");
  EXPECT_EQ(nt::windowsPathFor(driveC()), "C:\\");
  EXPECT_EQ(nt::windowsPathFor(scratch().file("d/inner/x")), "E:\\x");
  EXPECT_EQ(nt::windowsPathFor("/usr/bin"), "\\usr\\bin");  // under no drive
}

TEST_F(PathsTest, CurrentDirectoryAndFullPathNames) {
  nttest::makeDirectories(driveC() + "/work/sub");
  char saved[4096];
  ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);

  ASSERT_TRUE(SetCurrentDirectoryA("c:\\WORK"));
  char buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 7u);
  EXPECT_STREQ(buffer, "C:\\work");
  // Too small: the size needed with its NUL, and the buffer untouched.
  char small[4] = "abc";
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), 8u);
  EXPECT_STREQ(small, "abc");

  LPSTR filePart = nullptr;
  EXPECT_EQ(GetFullPathNameA("sub\\..\\x.txt", sizeof buffer, buffer, &filePart), 13u);
  EXPECT_STREQ(buffer, "C:\\work\\x.txt");
  EXPECT_STREQ(filePart, "x.txt");

  SetLastError(0);
  EXPECT_FALSE(SetCurrentDirectoryA("C:\\missing"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(::chdir(saved), 0);
}

}  // namespace
