// The registry calls' Win32 semantics within one process: size queries and small buffers,
// names without case, HKEY_CLASSES_ROOT, creating, opening and deleting keys, enumeration,
// value types through the store's text, and the code each failure returns.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr DWORD kMarker = 0xDEADBEEF;

// An open key, closed at the end of the scope.
class ScopedKey {
 public:
  explicit ScopedKey(HKEY key = nullptr) : key_(key) {}
  ~ScopedKey() {
    if (key_) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  operator HKEY() const { return key_; }
  PHKEY out() { return &key_; }

 private:
  HKEY key_;
};

std::vector<BYTE> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

class RegistryTest : public nttest::MachineRootTest {
 protected:
  HKEY create(HKEY parent, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(parent, path, &key), ERROR_SUCCESS) << path;
    return key;
  }

  void set(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& data) {
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

  void setString(HKEY key, const char* name, const std::string& text) {
    set(key, name, REG_SZ, bytesOf(text + '\0'));
  }

  std::string readString(HKEY key, const char* name) {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size),
        ERROR_SUCCESS);
    return buffer;
  }

  // Replaces the store file with a copy that also holds the key HKLM\Reloaded, as another
  // process's write does, so that the next call must read the store's text anew.
  void replaceStoreFile() {
    const std::string store = root() + "/registry.reg";
    nttest::writeFile(store + ".copy",
                      nttest::readFile(store) + "[HKEY_LOCAL_MACHINE\\Reloaded]\n");
    ASSERT_EQ(std::rename((store + ".copy").c_str(), store.c_str()), 0);
    ScopedKey reloaded;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Reloaded", reloaded.out()), ERROR_SUCCESS);
  }
};

TEST_F(RegistryTest, StringIsReadInTwoCallsSizeFirst) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\TARQ\\MOXAL\\1.0"));
  setString(key, "DestDir", "C:\\moxal");

  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "DestDir", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 9u);  // the terminating NUL counts
  std::vector<char> buffer(size + 10, 'x');
  DWORD bufferSize = size + 10;
  ASSERT_EQ(RegQueryValueExA(key, "DestDir", nullptr, &type,
                             reinterpret_cast<LPBYTE>(buffer.data()), &bufferSize),
            ERROR_SUCCESS);
  EXPECT_EQ(bufferSize, 9u);
  EXPECT_STREQ(buffer.data(), "C:\\moxal");
  EXPECT_EQ(buffer[9], 'x');
}

TEST_F(RegistryTest, BufferTooSmallGetsMoreDataAndStaysUntouched) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\Small"));
  setString(key, "Value", "twelve chars");  // 13 bytes with the NUL

  char buffer[13];
  std::memset(buffer, '#', sizeof buffer);
  DWORD size = 12;
  EXPECT_EQ(
      RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(13, '#'));

  char name[8];
  std::memset(name, '#', sizeof name);
  DWORD nameSize = 5;  // "Value" needs 6 with its NUL
  size = sizeof buffer;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  nameSize = sizeof name;
  size = 4;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  EXPECT_EQ(std::string(name, sizeof name), std::string(8, '#'));
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(13, '#'));
}

TEST_F(RegistryTest, FailuresReturnTheirCodeAndLeaveLastErrorAndErrnoAlone) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\Codes"));
  ScopedKey closed(create(HKEY_LOCAL_MACHINE, "Software\\Closed"));
  HKEY stale = closed;
  ASSERT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  *closed.out() = nullptr;
  const HKEY notAKey = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1230));
  HKEY opened = nullptr;
  DWORD size = 0;
  char name[16];
  const BYTE data[] = {1};
  struct Case {
    const char* what;
    LONG result;
    LONG expected;
  } cases[] = {
      {"open missing", RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing", &opened),
       ERROR_FILE_NOT_FOUND},
      {"query missing", RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size),
       ERROR_FILE_NOT_FOUND},
      {"delete missing value", RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND},
      {"delete missing key", RegDeleteKeyA(key, "Missing"), ERROR_FILE_NOT_FOUND},
      {"enumerate past end", RegEnumKeyA(key, 0, name, sizeof name), ERROR_NO_MORE_ITEMS},
      {"open on closed", RegOpenKeyA(stale, nullptr, &opened), ERROR_INVALID_HANDLE},
      {"set on closed", RegSetValueExA(stale, "x", 0, REG_BINARY, data, 1), ERROR_INVALID_HANDLE},
      {"query on bogus", RegQueryValueExA(notAKey, "x", nullptr, nullptr, nullptr, &size),
       ERROR_INVALID_HANDLE},
      {"close twice", RegCloseKey(stale), ERROR_INVALID_HANDLE},
      {"set", RegSetValueExA(key, "x", 0, REG_BINARY, data, 1), ERROR_SUCCESS},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
  EXPECT_EQ(opened, nullptr);

  SetLastError(kMarker);
  errno = EDOM;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing", &opened), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueExA(key, "y", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetLastError(), kMarker);
  EXPECT_EQ(errno, EDOM);
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheCaseFirstWritten) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\TARQ\\MOXAL"));
  setString(key, "DestDir", "first");
  ScopedKey again;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\tarq\\moxal", again.out()), ERROR_SUCCESS);
  setString(again, "DESTDIR", "second");
  EXPECT_EQ(readString(key, "destdir"), "second");

  ScopedKey parent;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software\\TARQ", parent.out()), ERROR_SUCCESS);
  char name[16];
  ASSERT_EQ(RegEnumKeyA(parent, 0, name, sizeof name), ERROR_SUCCESS);
  EXPECT_STREQ(name, "MOXAL");
  DWORD nameSize = sizeof name, values = 0;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "DestDir");
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 1u);
}

TEST_F(RegistryTest, ClassesRootIsTheClassesKeyOfLocalMachineSoftware) {
  ScopedKey extension(create(HKEY_CLASSES_ROOT, ".bean"));
  setString(extension, nullptr, "BeanFile");
  ScopedKey viaMachine;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.BEAN", viaMachine.out()),
            ERROR_SUCCESS);
  EXPECT_EQ(readString(viaMachine, ""), "BeanFile");

  ScopedKey clsid(create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1234}"));
  ScopedKey viaClasses;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1234}", viaClasses.out()), ERROR_SUCCESS);
  EXPECT_NE(nttest::readFile(root() + "/registry.reg")
                .find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.bean]\n@=\"BeanFile\"\n"),
            std::string::npos);
}

TEST_F(RegistryTest, CreateMakesMissingKeysAndTellsWhetherTheKeyWasNew) {
  ScopedKey first, second, reopened, same;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, first.out(),
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\a\\b\\c", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, second.out(),
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software\\A\\B", 0, KEY_READ, reopened.out()),
            ERROR_SUCCESS);

  // An empty subkey opens the key itself, as a handle of its own.
  ASSERT_EQ(RegOpenKeyA(first, "", same.out()), ERROR_SUCCESS);
  EXPECT_NE(static_cast<HKEY>(same), static_cast<HKEY>(first));
  setString(same, "v", "through the second handle");
  EXPECT_EQ(readString(first, "v"), "through the second handle");
  // Key handles close with RegCloseKey only.
  SetLastError(kMarker);
  EXPECT_FALSE(CloseHandle(same));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryTest, DeleteRefusesKeysWithSubkeysAndTheKeysItStandsOn) {
  ScopedKey parent(create(HKEY_LOCAL_MACHINE, "Software\\Parent"));
  ScopedKey child(create(parent, "Child"));
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(parent, "child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_SUCCESS);

  // Handles to a deleted key stay open but find nothing.
  HKEY opened = nullptr;
  DWORD size = 0;
  char name[8];
  const BYTE data[] = {1};
  EXPECT_EQ(RegQueryValueExA(parent, "x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExA(child, "x", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyA(parent, nullptr, &opened), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyA(parent, "Again", &opened), ERROR_KEY_DELETED);
  EXPECT_EQ(RegEnumKeyA(parent, 0, name, sizeof name), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent", &opened), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderWithWin32Sizes) {
  ScopedKey key(create(HKEY_CURRENT_USER, "Software\\Order"));
  for (const char* name : {"beta", "Alpha", "gamma-longest", "delta"}) {
    ScopedKey sub(create(key, name));
  }
  ASSERT_EQ(RegDeleteKeyA(key, "delta"), ERROR_SUCCESS);
  setString(key, "second", "xx");
  set(key, "first", REG_DWORD, {1, 0, 0, 0});
  setString(key, "second", "longer data");  // replacing keeps its place
  replaceStoreFile();

  char name[32];
  std::vector<std::string> subkeys;
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
    subkeys.push_back(name);
  }
  EXPECT_EQ(subkeys, (std::vector<std::string>{"beta", "Alpha", "gamma-longest"}));
  EXPECT_EQ(RegEnumKeyA(key, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 4), ERROR_MORE_DATA);  // "beta" needs 5 with its NUL
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_SUCCESS);

  DWORD nameSize = 4;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  nameSize = 6;
  ASSERT_EQ(RegEnumKeyExA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "Alpha");
  EXPECT_EQ(nameSize, 5u);

  nameSize = sizeof name;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "second");
  EXPECT_EQ(nameSize, 6u);
  EXPECT_EQ(RegEnumValueA(key, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                             &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 3u);
  EXPECT_EQ(maxSubKeyLen, 13u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxValueNameLen, 6u);
  EXPECT_EQ(maxValueLen, 12u);
}

TEST_F(RegistryTest, EveryTypeRoundTripsThroughTheStoreText) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  } cases[] = {
      {"", REG_SZ, bytesOf(std::string("default", 8))},
      {"Quoted \"name\" \\", REG_SZ, bytesOf(std::string("C:\\a \"b\"", 9))},
      {"No NUL", REG_SZ, bytesOf("abc")},
      {"Two lines", REG_SZ, bytesOf(std::string("one\r\ntwo", 9))},
      {"Empty", REG_SZ, {}},
      {"Expand", REG_EXPAND_SZ, bytesOf(std::string("%PATH%;C:\\bin", 14))},
      {"Multi", REG_MULTI_SZ, bytesOf(std::string("a\0bc\0\0", 6))},
      {"Dword", REG_DWORD, {0x1f, 0, 0, 0x80}},
      {"Short dword", REG_DWORD, {1, 2, 3}},
      {"Binary", REG_BINARY, {0, 0xff, 0x10}},
      {"None", REG_NONE, {}},
      {"Odd type", 0x12345678, {9, 8, 7}},
  };
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\Types"));
  for (const Case& c : cases) set(key, c.name, c.type, c.data);
  replaceStoreFile();
  for (const Case& c : cases) {
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS)
        << c.name;
    std::vector<BYTE> data(size);
    ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  EXPECT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);  // NULL names the default value
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

}  // namespace
