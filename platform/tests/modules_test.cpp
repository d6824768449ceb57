// The module calls: LoadLibraryA's name rules and search order, reference counting,
// GetProcAddress, GetModuleHandleA, and the program's and libraries' file names in Windows
// form with the Windows buffer rules.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr DWORD kMarker = 0xDEADBEEF;

std::string programPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

std::string programDirectory() {
  return std::filesystem::path(programPath()).parent_path().string();
}

std::string windowsForm(std::string hostPath) {
  for (char& c : hostPath) {
    if (c == '/') c = '\\';
  }
  return hostPath;
}

std::string moduleFileName(HMODULE module) {
  char name[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(module, name, sizeof name);
  return std::string(name, length);
}

// Library copies in scratch directories, with the current directory and the Win32 PATH
// restored afterwards.
class ModulesTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    savedDirectory_ = std::filesystem::current_path();
    char path[32768];
    const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    hadPath_ = length > 0;
    savedPath_.assign(path, length);
  }
  void TearDown() override {
    std::filesystem::current_path(savedDirectory_);
    SetEnvironmentVariableA("PATH", hadPath_ ? savedPath_.c_str() : nullptr);
    MachineRootTest::TearDown();
  }

  // A copy of the fixture library under the given name in a scratch directory.
  std::string copyLibrary(const std::string& directory, const std::string& name) {
    const std::string target = scratch().file(directory + "/" + name);
    nttest::makeDirectories(scratch().file(directory));
    std::filesystem::copy_file(nttest::builtBinary("libntrc_fixture.so"), target);
    return target;
  }

 private:
  std::filesystem::path savedDirectory_;
  std::string savedPath_;
  bool hadPath_ = false;
};

TEST_F(ModulesTest, DllNameFindsTheLibraryBesideTheProgramWithoutCase) {
  SetLastError(kMarker);
  HMODULE module = LoadLibraryA("ntrc_fixture.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetLastError(), kMarker);
  EXPECT_EQ(LoadLibraryA("NTRC_Fixture.DLL"), module);
  EXPECT_EQ(LoadLibraryA("ntrc_fixture"), module);  // ".dll" is the default extension
  EXPECT_EQ(GetModuleHandleA("ntrc_fixture.dll"), module);
  EXPECT_EQ(moduleFileName(module), windowsForm(programDirectory() + "/libntrc_fixture.so"));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModulesTest, BareNamesSearchProgramDirectoryThenCurrentDirectoryThenPath) {
  copyLibrary("cwd", "libntrc_fixture.so");  // loses to the one beside the program
  copyLibrary("cwd", "libsvcBoth.so");
  const std::string onlyCwd = copyLibrary("cwd", "libsvcCwd.so");
  copyLibrary("path", "libsvcBoth.so");  // loses to the current directory
  const std::string onlyPath = copyLibrary("path", "svcPATH.so");
  std::filesystem::current_path(scratch().file("cwd"));
  const std::string pathList = "C:\\nowhere;" + windowsForm(scratch().file("path")) + ";";
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", pathList.c_str()));

  const struct {
    const char* name;
    std::string expected;
  } cases[] = {
      {"ntrc_fixture.dll", programDirectory() + "/libntrc_fixture.so"},
      {"SVCBOTH.dll", scratch().file("cwd/libsvcBoth.so")},
      {"svccwd.dll", onlyCwd},
      {"svcpath.dll", onlyPath},
  };
  for (const auto& c : cases) {
    HMODULE module = LoadLibraryA(c.name);
    ASSERT_NE(module, nullptr) << c.name;
    EXPECT_EQ(moduleFileName(module), windowsForm(std::filesystem::canonical(c.expected)))
        << c.name;
  }

  SetLastError(kMarker);
  EXPECT_EQ(LoadLibraryA("svcnone.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA("C:\\missing\\svcenu.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModulesTest, WindowsPathLoadsThroughTheDriveMap) {
  copyLibrary("drive_c/prod/bin", "libjavai.so");
  HMODULE module = LoadLibraryA("c:\\PROD\\bin\\javai.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(moduleFileName(module), "C:\\prod\\bin\\libjavai.so");
  EXPECT_EQ(GetModuleHandleA("C:\\prod\\bin\\javai.dll"), module);
  EXPECT_EQ(GetModuleHandleA("javai.dll"), module);
}

TEST_F(ModulesTest, LibraryIsUnloadedWhenItsLastReferenceIsFreed) {
  const std::string path = copyLibrary("lib", "libcounted.so");
  const std::string windowsPath = windowsForm(path);
  HMODULE first = LoadLibraryA(windowsPath.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibraryA("counted.dll"), first);  // the loaded module of that name

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(GetModuleHandleA("counted.dll"), first);
  EXPECT_TRUE(FreeLibrary(first));
  SetLastError(kMarker);
  EXPECT_EQ(GetModuleHandleA("counted.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModulesTest, GetProcAddressFindsOnlyTheModulesOwnExports) {
  HMODULE fixture = LoadLibraryA("ntrc_fixture.dll");
  ASSERT_NE(fixture, nullptr);
  SetLastError(kMarker);
  const auto* directory = reinterpret_cast<const NT_RESOURCE_DIRECTORY*>(
      GetProcAddress(fixture, "ntResourceDirectory"));
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(directory->magic, NT_RESOURCE_MAGIC);
  EXPECT_EQ(GetLastError(), kMarker);

  // getpid is an export of the C library, which the fixture depends on.
  HMODULE libc = GetModuleHandleA("libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(libc, "getpid")),
            reinterpret_cast<void*>(&::getpid));
  EXPECT_EQ(GetProcAddress(fixture, "getpid"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  EXPECT_EQ(GetProcAddress(fixture, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(fixture, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "getpid"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  FreeLibrary(fixture);
}

TEST_F(ModulesTest, ProgramModuleIsFoundByNullAndByItsExeName) {
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);
  const std::string exeName = std::filesystem::path(programPath()).filename().string() + ".exe";
  EXPECT_EQ(GetModuleHandleA(exeName.c_str()), program);
  EXPECT_EQ(moduleFileName(program), moduleFileName(nullptr));
}

TEST_F(ModulesTest, ProgramFileNameIsInWindowsFormWithExe) {
  const std::string exeName = std::filesystem::path(programPath()).filename().string() + ".exe";
  EXPECT_EQ(moduleFileName(nullptr), windowsForm(programPath()) + ".exe");  // under no drive
  mapDrive('c', programDirectory());
  EXPECT_EQ(moduleFileName(nullptr), "C:\\" + exeName);
}

TEST_F(ModulesTest, FileNameTooLongForTheBufferIsCutWithWindowsResults) {
  const std::string full = moduleFileName(nullptr);
  const DWORD size = static_cast<DWORD>(full.size());
  std::string buffer(size + 8, '#');

  SetLastError(kMarker);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), size + 1), size);
  EXPECT_EQ(GetLastError(), kMarker);
  EXPECT_EQ(buffer.c_str(), full);

  buffer.assign(size + 8, '#');
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), size), size);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(buffer.c_str(), full.substr(0, size - 1));
  EXPECT_EQ(buffer[size], '#');

  std::u16string wide(size + 8, u'#');
  EXPECT_EQ(GetModuleFileNameW(nullptr, wide.data(), 4), 4u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(wide.substr(0, 5), std::u16string(full.begin(), full.begin() + 3) + u'\0' + u'#');
  EXPECT_EQ(GetModuleFileNameW(nullptr, wide.data(), size + 1), size);
  EXPECT_EQ(wide.substr(0, size), std::u16string(full.begin(), full.end()));

  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), buffer.data(), size), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
