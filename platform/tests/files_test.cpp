// Files and directories through Windows paths: create dispositions, read and write, sizes,
// deletion, directories, searches, fopen, and the error code each failure leaves.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "platform/src/host_calls.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

class FilesTest : public nttest::MachineRootTest {
 protected:
  void TearDown() override {
    nt::host::disarmHostFailures();
    MachineRootTest::TearDown();
  }
};

constexpr DWORD kMarker = 0xDEADBEEF;

TEST_F(FilesTest, CreateDispositionsAndTheirErrors) {
  struct Case {
    DWORD disposition;
    bool fileExists;
    bool succeeds;
    DWORD lastError;
  } cases[] = {
      {CREATE_NEW, false, true, kMarker},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND},
      {OPEN_EXISTING, true, true, kMarker},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND},
      {0, true, false, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    const std::string host = driveC() + "/F.TXT";
    ::unlink(host.c_str());
    if (c.fileExists) nttest::writeFile(host, "old");
    SetLastError(kMarker);
    HANDLE h = CreateFileA("c:\\F.TXT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.succeeds) << "disposition " << c.disposition;
    EXPECT_EQ(GetLastError(), c.lastError) << "disposition " << c.disposition;
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h));
    }
  }
}

TEST_F(FilesTest, WritesReadsAndSizes) {
  HANDLE h = CreateFileA("C:\\data.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "hello\0world", 11, &written, nullptr));
  EXPECT_EQ(written, 11u);
  ASSERT_TRUE(CloseHandle(h));

  h = CreateFileA("C:\\data.bin", GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(h, &high), 11u);
  EXPECT_EQ(high, 0u);
  char buffer[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));  // short at end of file
  EXPECT_EQ(std::string(buffer, read), std::string("hello\0world", 11));
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  ASSERT_TRUE(CloseHandle(h));

  SetLastError(0);
  EXPECT_FALSE(CloseHandle(h));  // closed already
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(h, buffer, 1, &read, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, FullDiskFailsTheWriteWithDiskFull) {
  HANDLE h = CreateFileA("C:\\full.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  nt::host::armHostFailure(nt::host::Call::Write, 1, ENOSPC);
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(h, "x", 1, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(written, 0u);
  CloseHandle(h);
}

TEST_F(FilesTest, DirectoriesAndDeletion) {
  SetLastError(0);
  EXPECT_TRUE(CreateDirectoryA("C:\\dir", nullptr));
  EXPECT_FALSE(CreateDirectoryA("C:\\DIR", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("C:\\no\\dir", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  nttest::writeFile(driveC() + "/dir/f", "x");
  EXPECT_FALSE(RemoveDirectoryA("C:\\dir"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(DeleteFileA("C:\\dir"));  // a directory is no file
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateFileA("C:\\dir", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetFileAttributesA("C:\\dir") & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  EXPECT_TRUE(DeleteFileA("C:\\Dir\\F"));
  EXPECT_FALSE(DeleteFileA("C:\\dir\\f"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("C:\\nodir\\f"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(RemoveDirectoryA("C:\\dir"));
}

TEST_F(FilesTest, ReplaceKeepsTheReplacedFilesPermissions) {
  nttest::writeFile(driveC() + "/secret.properties", "old");
  ASSERT_EQ(::chmod((driveC() + "/secret.properties").c_str(), 0600), 0);
  nttest::writeFile(driveC() + "/secret.new", "new");
  ASSERT_EQ(::chmod((driveC() + "/secret.new").c_str(), 0644), 0);
  ASSERT_TRUE(ReplaceFileA("C:\\secret.properties", "C:\\secret.new", nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(nttest::readFile(driveC() + "/secret.properties"), "new");
  struct stat st;
  ASSERT_EQ(::stat((driveC() + "/secret.properties").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(nttest::fileExists(driveC() + "/secret.new"));
  SetLastError(0);
  EXPECT_FALSE(ReplaceFileA("C:\\missing", "C:\\secret.properties", nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, MoveReplacesOnlyWhenAsked) {
  nttest::writeFile(driveC() + "/new", "new");
  nttest::writeFile(driveC() + "/old", "old");
  EXPECT_FALSE(MoveFileExA("C:\\new", "C:\\old", 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(MoveFileExA("C:\\new", "C:\\old", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(nttest::readFile(driveC() + "/old"), "new");
  EXPECT_FALSE(nttest::fileExists(driveC() + "/new"));
}

std::set<std::string> findAll(const char* pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    names.insert(data.cFileName);
  } while (FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

TEST_F(FilesTest, FindsByPatternAndByName) {
  nttest::writeFile(driveC() + "/jdk/bin/java", "#!");
  nttest::writeFile(driveC() + "/jdk/bin/Tool.EXE", "x");
  nttest::writeFile(driveC() + "/jdk/bin/readme.txt", "x");
  using Names = std::set<std::string>;
  EXPECT_EQ(findAll("C:\\jdk\\bin\\*.*"), (Names{".", "..", "java", "Tool.EXE", "readme.txt"}));
  EXPECT_EQ(findAll("C:\\JDK\\BIN\\*.exe"), (Names{"Tool.EXE"}));
  EXPECT_EQ(findAll("C:/jdk/bin/r?adme.*"), (Names{"readme.txt"}));
  EXPECT_EQ(findAll("C:\\jdk\\bin\\java.exe"), (Names{"java.exe"}));  // host file "java"
  EXPECT_EQ(findAll("C:\\jdk\\bin\\TOOL.exe"), (Names{"Tool.EXE"}));  // the name on disk

  WIN32_FIND_DATAA data;
  SetLastError(0);
  EXPECT_EQ(FindFirstFileA("C:\\jdk\\bin\\*.dll", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA("C:\\jdk\\nothing\\java.exe", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, FopenTakesWindowsPaths) {
  nttest::writeFile(driveC() + "/Classes/properties", "a=b\n");
  FILE* f = crt::fopen("c:\\classes\\PROPERTIES", "rb");
  ASSERT_NE(f, nullptr);
  char line[16] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "a=b\n");
  std::fclose(f);

  f = crt::fopen("C:\\classes\\moxal.dbg", "ab");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(nttest::fileExists(driveC() + "/Classes/moxal.dbg"));

  errno = 0;
  EXPECT_EQ(crt::fopen("C:\\missing\\x", "ab"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(crt::fopen("Q:\\x", "rb"), nullptr);
}

}  // namespace
