// ntreg, run as a program: reg's query output, adding each type, deleting keys and values,
// export and import of REGEDIT4 files (all or nothing), and its syntax errors.
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

const char kNotFound[] =
    "ERROR: The system was unable to find the specified registry key or value.\n";

class NtregTest : public nttest::MachineRootTest {
 protected:
  nttest::ProcessResult ntreg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), nttest::builtBinary("ntreg"));
    return nttest::runProgram(arguments);
  }

  void set(HKEY root, const char* path, const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS);
    if (name) {
      EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())),
                ERROR_SUCCESS);
    }
    RegCloseKey(key);
  }

  // The value's type and bytes; type REG_NONE and "<missing>" when it cannot be read.
  std::pair<DWORD, std::string> read(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) return {REG_NONE, "<missing key>"};
    char buffer[256];
    DWORD type = 0, size = sizeof buffer;
    const LONG code =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    if (code != ERROR_SUCCESS) return {REG_NONE, "<missing>"};
    return {type, std::string(buffer, size)};
  }

  // A sample tree under HKLM\Software\X.
  void populate() {
    set(HKEY_LOCAL_MACHINE, "Software\\X", "Name", REG_SZ, std::string("text \"q\" \\", 11));
    set(HKEY_LOCAL_MACHINE, "Software\\X", "N", REG_DWORD, std::string("\x1f\0\0\0", 4));
    set(HKEY_LOCAL_MACHINE, "Software\\X", "B", REG_BINARY, "\x01\x02\xff");
    set(HKEY_LOCAL_MACHINE, "Software\\X", "M", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    set(HKEY_LOCAL_MACHINE, "Software\\X", "", REG_SZ, std::string("def", 4));
    set(HKEY_LOCAL_MACHINE, "Software\\X\\Sub1", "E", REG_EXPAND_SZ, std::string("%PATH%", 7));
    set(HKEY_LOCAL_MACHINE, "Software\\X\\Sub2", nullptr, 0, "");
  }
};

TEST_F(NtregTest, QueryPrintsValuesAndSubkeysAsRegDoes) {
  populate();
  const std::string values =
      "    Name    REG_SZ    text \"q\" \\\n"
      "    N    REG_DWORD    0x1f\n"
      "    B    REG_BINARY    0102FF\n"
      "    M    REG_MULTI_SZ    a\\0b\n"
      "    (Default)    REG_SZ    def\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  } cases[] = {
      {{"query", "HKLM\\Software\\X"},
       "\nHKEY_LOCAL_MACHINE\\Software\\X\n" + values +
           "\nHKEY_LOCAL_MACHINE\\Software\\X\\Sub1\nHKEY_LOCAL_MACHINE\\Software\\X\\Sub2\n"},
      {{"QUERY", "hkey_local_machine\\Software\\X", "/V", "n"},
       "\nHKEY_LOCAL_MACHINE\\Software\\X\n    N    REG_DWORD    0x1f\n\n"},
      {{"query", "HKLM\\Software\\X", "/ve"},
       "\nHKEY_LOCAL_MACHINE\\Software\\X\n    (Default)    REG_SZ    def\n\n"},
      {{"query", "HKLM\\Software\\X", "/s"},
       "\nHKEY_LOCAL_MACHINE\\Software\\X\n" + values +
           "\nHKEY_LOCAL_MACHINE\\Software\\X\\Sub1\n    E    REG_EXPAND_SZ    %PATH%\n\n"
           "HKEY_LOCAL_MACHINE\\Software\\X\\Sub2\n"},
  };
  for (const Case& c : cases) {
    const auto result = ntreg(c.arguments);
    EXPECT_EQ(result.exitCode, 0) << c.arguments[1] << result.err;
    EXPECT_EQ(result.out, c.out) << c.arguments[1];
  }
  for (const auto& missing : std::vector<std::vector<std::string>>{
           {"query", "HKLM\\Software\\Nothing"},
           {"query", "HKLM\\Software\\X", "/v", "Nothing"},
           {"query", "HKLM\\Software\\X\\Sub2", "/ve"}}) {
    const auto result = ntreg(missing);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kNotFound);
  }
}

TEST_F(NtregTest, AddStoresEachTypeAsTheCallsReadIt) {
  struct Case {
    std::vector<std::string> options;
    const char* name;
    DWORD type;
    std::string data;
  } cases[] = {
      {{"/v", "Sz", "/d", "C:\\moxal"}, "Sz", REG_SZ, std::string("C:\\moxal", 9)},
      {{"/v", "Exp", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"}, "Exp", REG_EXPAND_SZ,
       std::string("%HOME%", 7)},
      {{"/v", "Dec", "/t", "REG_DWORD", "/d", "258"}, "Dec", REG_DWORD,
       std::string("\x02\x01\0\0", 4)},
      {{"/v", "Hex", "/t", "reg_dword", "/d", "0xFFFFFFFF"}, "Hex", REG_DWORD, "\xff\xff\xff\xff"},
      {{"/v", "Bin", "/t", "REG_BINARY", "/d", "00ff10"}, "Bin", REG_BINARY,
       std::string("\0\xff\x10", 3)},
      {{"/v", "Multi", "/t", "REG_MULTI_SZ", "/d", "a\\0bc"}, "Multi", REG_MULTI_SZ,
       std::string("a\0bc\0\0", 6)},
      {{"/v", "Sep", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "x#y"}, "Sep", REG_MULTI_SZ,
       std::string("x\0y\0\0", 5)},
      {{"/ve", "/d", "default"}, "", REG_SZ, std::string("default", 8)},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"add", "HKCU\\Software\\Added"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const auto result = ntreg(arguments);
    EXPECT_EQ(result.exitCode, 0) << c.name << result.err;
    EXPECT_EQ(result.out, "The operation completed successfully.\n");
    EXPECT_EQ(read(HKEY_CURRENT_USER, "Software\\Added", c.name), std::make_pair(c.type, c.data))
        << c.name;
  }
  for (const char* bad : {"12x", "0x100000000", "-1"}) {
    EXPECT_EQ(ntreg({"add", "HKCU\\Software\\Added", "/v", "Bad", "/t", "REG_DWORD", "/d", bad})
                  .exitCode,
              1)
        << bad;
  }
  EXPECT_EQ(read(HKEY_CURRENT_USER, "Software\\Added", "Bad").second, "<missing>");
}

TEST_F(NtregTest, OverwritingAValueNeedsF) {
  set(HKEY_LOCAL_MACHINE, "Software\\Y", "V", REG_SZ, std::string("old", 4));
  const auto refused = ntreg({"add", "HKLM\\Software\\Y", "/v", "v", "/d", "new"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "ERROR: Value v exists: add /f to overwrite it.\n");
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\Y", "V").second, std::string("old", 4));

  EXPECT_EQ(ntreg({"add", "HKLM\\Software\\Y", "/v", "v", "/d", "new", "/f"}).exitCode, 0);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\Y", "V").second, std::string("new", 4));
}

TEST_F(NtregTest, DeleteRemovesValuesOrAKeyWithItsSubtree) {
  populate();
  const auto refused = ntreg({"delete", "HKLM\\Software\\X"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X", "N").first, REG_DWORD);

  EXPECT_EQ(ntreg({"delete", "HKLM\\Software\\X", "/v", "N", "/f"}).exitCode, 0);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X", "N").second, "<missing>");
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X", "B").first, REG_BINARY);
  EXPECT_EQ(ntreg({"delete", "HKLM\\Software\\X", "/v", "N", "/f"}).err, kNotFound);

  EXPECT_EQ(ntreg({"delete", "HKLM\\Software\\X", "/va", "/f"}).exitCode, 0);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X", "").second, "<missing>");
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X\\Sub1", "E").first, REG_EXPAND_SZ);

  EXPECT_EQ(ntreg({"delete", "HKLM\\Software\\X", "/f"}).exitCode, 0);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X\\Sub1", "E").second, "<missing key>");
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\X", "").second, "<missing key>");
  EXPECT_EQ(ntreg({"delete", "HKCR", "/f"}).err, "ERROR: Access is denied.\n");
}

TEST_F(NtregTest, ExportedFileImportsBackToTheSameKeysAndValues) {
  populate();
  set(HKEY_LOCAL_MACHINE, "Software\\X", "Odd", 0x1234, "\x07");
  set(HKEY_CLASSES_ROOT, "CLSID\\{42}\\InprocServer32", "", REG_SZ, std::string("bean.dll", 9));
  ASSERT_EQ(ntreg({"export", "HKLM\\Software\\X", "C:\\saved.reg"}).exitCode, 0);
  ASSERT_EQ(ntreg({"export", "HKCR\\CLSID", driveC() + "/classes.reg"}).exitCode, 0);
  const std::string saved = nttest::readFile(driveC() + "/saved.reg");
  EXPECT_EQ(saved.substr(0, saved.find("\"N\"")),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"Name\"=\"text \\\"q\\\" \\\\\"\n");
  EXPECT_NE(saved.find("\"Odd\"=hex(1234):07\n"), std::string::npos);
  EXPECT_NE(nttest::readFile(driveC() + "/classes.reg")
                .find("[HKEY_CLASSES_ROOT\\CLSID\\{42}\\InprocServer32]\n@=\"bean.dll\"\n"),
            std::string::npos);
  const auto overwrite = ntreg({"export", "HKLM\\Software\\X", "C:\\saved.reg"});
  EXPECT_EQ(overwrite.exitCode, 1);

  ASSERT_EQ(ntreg({"delete", "HKLM\\Software\\X", "/f"}).exitCode, 0);
  ASSERT_EQ(ntreg({"delete", "HKLM\\Software\\Classes\\CLSID", "/f"}).exitCode, 0);
  for (const char* file : {"C:\\saved.reg", "C:\\CLASSES.REG"}) {
    const auto imported = ntreg({"import", file});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "The operation completed successfully.\n");
  }
  ASSERT_EQ(ntreg({"export", "HKLM\\Software\\X", "C:\\again.reg"}).exitCode, 0);
  EXPECT_EQ(nttest::readFile(driveC() + "/again.reg"), saved);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{42}\\InprocServer32", ""),
            std::make_pair(REG_SZ, std::string("bean.dll", 9)));
}

TEST_F(NtregTest, MalformedImportNamesFileAndLineAndImportsNothing) {
  set(HKEY_LOCAL_MACHINE, "Software\\Stored", "Kept", REG_SZ, std::string("yes", 4));
  const std::string storeBefore = nttest::readFile(root() + "/registry.reg");
  const std::string good = "[HKEY_LOCAL_MACHINE\\Software\\Stored]\n\"Kept\"=-\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\New]\n\"A\"=\"1\"\n";
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"REGEDIT5\n" + good, "1: missing REGEDIT4 header"},
      {"REGEDIT4\n" + good + "\"B\"=dword:1234567890\n", "6: malformed value line"},
      {"REGEDIT4\n" + good + "\"C\"=hex:01,02,\\\n  0g\n", "6: malformed value line"},
      {"REGEDIT4\n" + good + "[HKEY_NOWHERE\\X]\n", "6: unknown root key"},
      {"REGEDIT4\n\"D\"=\"outside\"\n" + good, "2: value line outside a key"},
      {"REGEDIT4\n" + good + "[HKEY_LOCAL_MACHINE\\Software\n", "6: malformed key line"},
      {"REGEDIT4\n" + good + "[-HKEY_CLASSES_ROOT]\n", "6: this key cannot be deleted"},
  };
  for (const Case& c : cases) {
    nttest::writeFile(driveC() + "/bad.reg", c.text);
    const auto result = ntreg({"import", "C:\\bad.reg"});
    EXPECT_EQ(result.exitCode, 1) << c.error;
    EXPECT_EQ(result.err, "ERROR: C:\\bad.reg:" + c.error + "; nothing imported.\n");
    EXPECT_EQ(nttest::readFile(root() + "/registry.reg"), storeBefore) << c.error;
  }
  // The same lines without the fault import whole.
  nttest::writeFile(driveC() + "/good.reg", "REGEDIT4\n" + good);
  EXPECT_EQ(ntreg({"import", "C:\\good.reg"}).exitCode, 0);
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\New", "A").second, std::string("1", 2));
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "Software\\Stored", "Kept").second, "<missing>");
}

TEST_F(NtregTest, UsageAndSyntaxErrors) {
  const auto help = ntreg({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: ntreg <operation>", 0), 0u) << help.out;

  const std::string invalidSyntax = "ERROR: Invalid syntax.\nType \"ntreg --help\" for usage.\n";
  const std::string invalidKey = "ERROR: Invalid key name.\nType \"ntreg --help\" for usage.\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{}, invalidSyntax},
      {{"rename", "HKLM\\X"}, invalidSyntax},
      {{"query"}, invalidSyntax},
      {{"query", "HKLM\\X", "/v", "a", "/ve"}, invalidSyntax},
      {{"query", "HKLM\\X", "/v"}, invalidSyntax},
      {{"add", "HKLM\\X", "/t", "REG_WORD"}, invalidSyntax},
      {{"export", "HKLM\\X"}, invalidSyntax},
      {{"query", "HKXX\\Software"}, invalidKey},
  };
  for (const Case& c : cases) {
    const auto result = ntreg(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.err) << (c.arguments.empty() ? "" : c.arguments[0]);
  }
}

}  // namespace
