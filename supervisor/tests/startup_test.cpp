// The supervisor's start-up: its command line, the installation home and default files, the
// diagnostic log, the message libraries, and the property file as the reader understood it.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "supervisor/message_table.h"
#include "supervisor/options.h"
#include "supervisor_fixture.h"

namespace {

class StartupTest : public SupervisorTest {
 protected:
  // The usage line as the supervisor prints it, in the given text.
  std::string usageLine(const char* format = defaultMessageText(kUsageLine)) const {
    std::string program = supervisorPath();
    std::replace(program.begin(), program.end(), '/', '\\');
    char line[1024];
    std::snprintf(line, sizeof line, format, program.c_str());
    return line;
  }
};

TEST_F(StartupTest, CommandLineErrorsPrintTheUsageLineAndEndWithOne) {
  writeProperties("");
  const std::vector<std::vector<std::string>> cases = {
      {"CONFIGFILE", "x"},        {"-configfile"},          {"-configfile", ""},
      {"/diaglevel"},             {"-diagfile", ""},        {"startagent", "stopagent"},
      {"startserver", "STOPSERVER"}, {"-install", "/Uninstall"}, {"start"},
      {"-startagent"},            {"-diaglevel", "1", "-bogus"},
  };
  for (const auto& arguments : cases) {
    const nttest::ProcessResult result = runSupervisor(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments[0];
    EXPECT_EQ(result.out, usageLine()) << arguments[0];
  }
}

TEST_F(StartupTest, OptionsTakeEitherPrefixInAnyCaseAndTheLastValueWins) {
  nttest::writeFile(driveC() + "/one.properties", "first=1\n");
  nttest::writeFile(driveC() + "/two.properties", "second=2\n");
  const nttest::ProcessResult result =
      runSupervisor({"/CONFIGFILE", "C:\\one.properties", "-DiagLevel", "0x1F", "-configfile",
                     "C:\\two.properties", "/diagfile", "C:\\trace.txt"});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  const std::string trace = tracesOf(driveC() + "/trace.txt");
  EXPECT_NE(trace.find("readProp: 0 -second- = -2-\n"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("first"), std::string::npos);
  EXPECT_FALSE(nttest::fileExists(prod("moxal.dbg")));
}

TEST(DiagLevelTest, ParsesHexadecimalAfter0xAndDecimalOtherwise) {
  struct Case {
    const char* text;
    int32_t level;
  } cases[] = {{"0x1F", 31}, {"0X10", 16}, {"017", 17}, {"abc", 0}, {"1", 1},
               {"-5", -5},   {"0xFFFFFFFF", INT32_MAX}, {"99999999999", INT32_MAX}};
  for (const Case& c : cases) EXPECT_EQ(parseDiagLevel(c.text), c.level) << c.text;
}

TEST_F(StartupTest, TraceShowsThePropertyFileAsRead) {
  static const char text[] =
      "# comment = no pair\r\na=b=c\r\n  name \t= value  \r\nnovalue\r\n"
      "p=one\\\r\ntwo\r\nx#y=1\r\n\"a=b\"=c\r\nlf=one\\\ntwo\n"
      "\0hidden=after a NUL\n";
  writeProperties(std::string(text, sizeof text - 1));
  ASSERT_EQ(runSupervisor({"-diaglevel", "1"}).exitCode, 0);
  const std::vector<std::string> expected = {
      "main: existence check",
      "loadProperties: -" + std::string("C:\\prod\\classes\\properties") + "-",
      "readProp: 0 -a- = -b=c-",
      "readProp: 1 -name- = -value-",
      "readProp: 2 -novalue- = -(null)-",
      "readProp: 3 -p- = -one\\\r-",
      "readProp: 4 -two- = -(null)-",
      "readProp: 5 -x#y- = -1-",
      "readProp: 6 -\"a=b\"- = -c-",
      "readProp: 7 -lf- = -one\\",  // with LF ends the break stays inside the value
  };
  const std::string trace = traces();
  std::vector<std::string> lines;
  for (const char* fragment : {"main: existence", "loadProperties: -", "readProp:"}) {
    for (const std::string& line : linesContaining(trace, fragment)) lines.push_back(line);
  }
  EXPECT_EQ(lines, expected) << trace;
  EXPECT_NE(trace.find("readProp: 7 -lf- = -one\\\ntwo-\n"), std::string::npos);
  EXPECT_EQ(trace.find("hidden"), std::string::npos);  // the text ends at its NUL byte
}

TEST_F(StartupTest, LevelZeroCreatesTheDiagnosticFileWithoutTraceLines) {
  writeProperties("a=1\n");
  ASSERT_EQ(runSupervisor({}).exitCode, 0);
  EXPECT_TRUE(nttest::fileExists(prod("moxal.dbg")));
  EXPECT_EQ(traces().find("main: existence check"), std::string::npos);
}

TEST_F(StartupTest, HomeComesFromTheProgramsPathWithoutOtherCandidates) {
  writeProperties("from=home\n");
  ASSERT_EQ(runSupervisor({"-diaglevel", "1"}).exitCode, 0);
  const std::string trace = traces();  // C:\prod\moxal.dbg: the default under the home
  EXPECT_NE(trace.find("loadProperties: -C:\\prod\\classes\\properties-"), std::string::npos);
  EXPECT_NE(trace.find("readProp: 0 -from- = -home-"), std::string::npos);
}

TEST_F(StartupTest, DefaultFilesFollowTheirCandidatesInOrder) {
  nttest::makeDirectories(driveC() + "/other/bin");
  std::filesystem::copy_file(supervisorPath(), driveC() + "/other/bin/moxalsvc");
  nttest::writeFile(driveC() + "/other/classes/properties", "from=other\n");
  nttest::writeFile(driveC() + "/explicit.properties", "from=MOXAL_PROPERTIES\n");
  writeProperties("from=prod\n");

  struct Case {
    std::vector<std::string> environment;
    std::vector<std::pair<std::string, std::string>> registry;  // name, data (REG_SZ)
    std::string diagFile;                                       // host path expected
    std::string from;
  } cases[] = {
      {{}, {}, prod("moxal.dbg"), "prod"},
      {{"MOXAL_HOME=C:\\other"}, {}, driveC() + "/other/moxal.dbg", "other"},
      {{"MOXAL_HOME=C:\\nothing"}, {}, prod("moxal.dbg"), "prod"},  // holds no supervisor
      {{}, {{"DestDir", "C:\\other"}}, driveC() + "/other/moxal.dbg", "other"},
      {{"MOXAL_PROPERTIES=C:\\explicit.properties"}, {}, prod("moxal.dbg"), "MOXAL_PROPERTIES"},
      {{"MOXAL_DIAGFILE=C:\\env.dbg"}, {{"DiagFile", "C:\\reg.dbg"}}, driveC() + "/env.dbg", "prod"},
      {{}, {{"DiagFile", "C:\\reg.dbg"}}, driveC() + "/reg.dbg", "prod"},
  };
  for (const Case& c : cases) {
    ::unlink((root() + "/registry.reg").c_str());
    for (const auto& [name, data] : c.registry) setProductValue(name, "REG_SZ", data);
    std::vector<std::string> environment = c.environment;
    ASSERT_EQ(runSupervisor({"-diaglevel", "1"}, environment).exitCode, 0);
    const std::string trace = tracesOf(c.diagFile);
    EXPECT_NE(trace.find("readProp: 0 -from- = -" + c.from + "-"), std::string::npos)
        << c.diagFile << "\n" << trace;
    ::unlink(c.diagFile.c_str());
  }
}

TEST_F(StartupTest, UserHomeAndCurrentDirectoryAreTheLastCandidates) {
  ::unlink(prod("classes/properties").c_str());
  nttest::writeFile(driveC() + "/userhome/classes/properties", "from=HOME\n");
  ASSERT_EQ(runSupervisor({"-diaglevel", "1"}, {"HOME=C:\\userhome"}).exitCode, 0);
  EXPECT_NE(traces().find("readProp: 0 -from- = -HOME-"), std::string::npos) << traces();

  ::unlink(prod("moxal.dbg").c_str());
  nttest::writeFile(driveC() + "/cwd/properties", "from=cwd\n");
  nttest::RunOptions options;
  options.environment = {"HOME=" + driveC() + "/nohome", "PATH=C:\\sys", "LANG=C"};
  options.unset = {"MOXAL_HOME", "MOXAL_PROPERTIES", "MOXAL_DIAGFILE"};
  options.directory = driveC() + "/cwd";
  const nttest::ProcessResult result =
      nttest::runProgram({supervisorPath(), "-diaglevel", "1"}, options);
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_NE(traces().find("loadProperties: -.\\properties-"), std::string::npos) << traces();
}

TEST_F(StartupTest, RegistryDiagLevelTurnsTracesOn) {
  writeProperties("a=1\n");
  const nttest::ProcessResult set = nttest::runProgram(
      {nttest::builtBinary("ntreg"), "add", "HKLM\\Software\\TARQ\\MOXAL\\1.0", "/v", "DiagLevel",
       "/t", "REG_DWORD", "/d", "1", "/f"});
  ASSERT_EQ(set.exitCode, 0);
  ASSERT_EQ(runSupervisor({}).exitCode, 0);
  EXPECT_NE(traces().find("main: existence check\n"), std::string::npos);
  ::unlink(prod("moxal.dbg").c_str());
  ASSERT_EQ(runSupervisor({"-diaglevel", "0"}).exitCode, 0);  // the option replaces it
  EXPECT_EQ(traces().find("main: existence check\n"), std::string::npos);
}

TEST_F(StartupTest, UnreadablePropertyFileEndsTheProgramWithOne) {
  const nttest::ProcessResult result = runSupervisor({"-configfile", "C:\\missing.properties"});
  EXPECT_EQ(result.exitCode, 1);
  std::string program = supervisorPath();
  std::replace(program.begin(), program.end(), '/', '\\');
  EXPECT_EQ(nttest::readFile(prod("moxal.dbg")),
            program + ": cannot open/read property file C:\\missing.properties\n"
                      ": No such file or directory\n");
}

TEST_F(StartupTest, NoPropertyFileAtAllIsNoError) {
  const nttest::ProcessResult result = runSupervisor({"-diaglevel", "1"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(traces().find("loadProperties: -null-"), std::string::npos);
}

TEST_F(StartupTest, HostileFilesNeverCrashTheReader) {
  std::string hostile;
  for (int i = 0; i < 3 * 1024 * 1024; ++i) hostile += static_cast<char>((i * 2654435761u) >> 24);
  for (const std::string& text : {hostile, std::string(1 << 20, '\\'), std::string(1 << 20, '"'),
                                  std::string(1 << 20, '=') + "\n" + std::string(1 << 20, '#')}) {
    writeProperties(text);
    const nttest::ProcessResult result = runSupervisor({});
    EXPECT_EQ(result.exitCode, 0) << result.err.substr(0, 500);
  }
}

TEST_F(StartupTest, MessageLibraryFollowsTheSystemLanguage) {
  writeProperties("");
  const std::string german = nttest::readFile(prod("bin/libsvcDEU.so"));
  struct Case {
    std::string language;
    bool removeGerman;
    bool removeEnglish;
    bool expectGerman;
  } cases[] = {
      {"de_DE.UTF-8", false, false, true},
      {"fr_FR", false, false, false},  // no French library: the English one
      {"de_DE", true, false, false},   // German missing: the English one
      {"de_DE", true, true, false},    // neither: the built-in texts
  };
  for (const Case& c : cases) {
    if (c.removeGerman) ::unlink(prod("bin/libsvcDEU.so").c_str());
    if (c.removeEnglish) ::unlink(prod("bin/libsvcENU.so").c_str());
    const nttest::ProcessResult result = runSupervisor({"bogus"}, {"LANG=" + c.language});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.rfind(c.expectGerman ? "Aufruf: " : "usage: ", 0), 0u)
        << c.language << ": " << result.out;
  }
}

TEST(MessageLibraryTest, TheEnglishLibraryHoldsTheBuiltInTexts) {
  HMODULE english = LoadLibraryA(nttest::builtBinary("libsvcENU.so").c_str());
  ASSERT_NE(english, nullptr);
  loadMessageTable(english);
  for (int id = 1; id <= kMessageCount; ++id) {
    EXPECT_STREQ(messageText(id), defaultMessageText(id)) << id;
  }
  FreeLibrary(english);
}

TEST(MessageLibraryTest, TheGermanLibraryKeepsEveryPlaceholderInOrder) {
  HMODULE german = LoadLibraryA(nttest::builtBinary("libsvcDEU.so").c_str());
  ASSERT_NE(german, nullptr);
  loadMessageTable(german);
  auto placeholders = [](const std::string& text) {
    std::string found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] == '%') found += text.substr(i, 2);
    }
    return found;
  };
  int translated = 0;
  for (int id = 1; id <= kMessageCount; ++id) {
    EXPECT_EQ(placeholders(messageText(id)), placeholders(defaultMessageText(id))) << id;
    translated += std::string(messageText(id)) != defaultMessageText(id);
  }
  EXPECT_GT(translated, 20);
  for (int source : {kSourceMoxal, kSourceCtrlAgent, kSourceCtrlServer}) {
    EXPECT_STREQ(messageText(source), defaultMessageText(source));  // event sources stay
  }
  FreeLibrary(german);
}

}  // namespace
