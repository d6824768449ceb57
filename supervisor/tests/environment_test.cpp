// The EnvTable and the environment the Java processes receive: expansion of references, Java
// and installation home discovery, the derived search paths and database variables, and the
// copy into the process environment.
#include <cerrno>
#include <cstdlib>

#include "common/diag.h"
#include "common/property_file.h"
#include "supervisor/alloc_seam.h"
#include "supervisor/env_table.h"
#include "supervisor/environment_build.h"
#include "supervisor/expand_vars.h"
#include "supervisor/java_discovery.h"
#include "supervisor_fixture.h"

namespace {

// In-process: the EnvTable starts empty, the inherited environment is what each test sets.
class EnvTableTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    envClear();
    resetJavaProgram();
    for (const char* name : {"JAVA_HOME", "MOXAL_HOME", "CLASSPATH", "LIB", "SYBASE_LIBS",
                             "NOSUCH", "X"}) {
      ::unsetenv(name);
    }
    savedPath_ = ::getenv("PATH") ? ::getenv("PATH") : "";
    ::setenv("PATH", "C:\\sys", 1);
  }
  void TearDown() override {
    ::setenv("PATH", savedPath_.c_str(), 1);
    diagClose();
    MachineRootTest::TearDown();
  }
  void makeJdk(const std::string& relative, const char* program) {
    nttest::writeFile(driveC() + "/" + relative + "/bin/" + program, "x");
  }
  std::string expanded(const char* text) { return expandVars(text).value_or("<none>"); }
  // Loads the text as a property file and collects its moxal.setenv. keys.
  void collectSetenvFromText(const std::string& text) {
    const std::string path = scratch().file("setenv.properties");
    nttest::writeFile(path, text);
    const int id = loadProperties(path.c_str());
    ASSERT_GE(id, 1);
    collectSetenv(id);
  }

  std::string savedPath_;
};

TEST_F(EnvTableTest, ExpandsReferencesAndConvertsSlashes) {
  makeJdk("jdk", "java");
  envSet("JAVA_HOME", "C:\\jdk");
  envSet("EMPTY", "");
  ::setenv("X", "inherited/x", 1);
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"${JAVA_HOME}/lib", "C:\\jdk\\lib"},
      {"$JAVA_HOME/bin", "C:\\jdk\\bin"},
      {"$JAVA_HOME", "C:\\jdk"},
      {"a;$JAVA_HOME:b", "a;C:\\jdk:b"},
      {"<${NOSUCH}>", "<>"},
      {"<$NOSUCH>", "<"},  // the name runs to the end: "NOSUCH>"
      {"<${EMPTY}>", "<>"},
      {"${X}", "inherited\\x"},
      {"${JAVA_HOME without brace/x", "${JAVA_HOME without brace\\x"},
      {"a${PATHSEP}b", "a\\b"},
      {"${JAVAPROG}|${JAVACMD}", "java.exe|java.exe"},
      {"http://host:80/path", "http:\\\\host:80\\path"},
      {"tail$", "tail"},
  };
  for (const Case& c : cases) EXPECT_EQ(expanded(c.text), c.result) << c.text;
  EXPECT_EQ(expandVars(""), std::optional<std::string>(""));
  EXPECT_EQ(expandVars(nullptr), std::nullopt);
}

TEST_F(EnvTableTest, JavaProgramFollowsTheDiscoveredHome) {
  makeJdk("jre11", "jre");
  envSet("JAVA_HOME", "C:\\jre11");
  EXPECT_EQ(expanded("${JAVA_HOME}/bin/${JAVAPROG}"), "C:\\jre11\\bin\\jre.exe");
  envSet("JAVA_HOME", "C:\\nothing");
  EXPECT_EQ(expanded("${JAVAPROG}"), "jre.exe");  // no discovery: the earlier program stays
  resetJavaProgram();
  EXPECT_EQ(expanded("<${JAVAPROG}>"), "<>");
}

TEST_F(EnvTableTest, ConfiguredJavaHomeWithoutJavaIsReplacedFromThePath) {
  makeJdk("first", "java");
  makeJdk("second", "jre");
  struct Case {
    const char* configured;
    const char* path;
    const char* home;
  } cases[] = {
      {"C:\\first", "C:\\sys", "C:\\first"},                         // holds java.exe: kept
      {"C:\\empty", ";;C:\\nowhere;C:\\second\\bin;C:\\first\\bin", "C:\\second"},
      {"C:\\empty", "C:\\sys", "C:\\empty"},                         // no discovery: as configured
  };
  for (const Case& c : cases) {
    envClear();
    ::setenv("PATH", c.path, 1);
    collectSetenvFromText("moxal.setenv.JAVA_HOME=" + std::string(c.configured) + "\n");
    setHomes("C:\\prod\\bin\\moxalsvc.exe", std::nullopt);
    EXPECT_STREQ(envGet("JAVA_HOME"), c.home) << c.configured << " " << c.path;
  }
}

TEST_F(EnvTableTest, AllFourHomesGiveTheDerivedVariables) {
  ::setenv("PATH", "C:\\inh", 1);
  ::setenv("CLASSPATH", "inh.zip", 1);
  ::setenv("LIB", "C:\\inhlib", 1);
  envSet("SYBASEHOME", "C:/syb");
  envSet("ORACLE_HOME", "C:/ora");
  envSet("JAVA_HOME", "C:\\jdk");
  envSet("MOXAL_HOME", "C:\\prod");
  envSet("PATH", "C:\\cfg");
  envSet("CLASSPATH", "cfg.zip");
  envSet("LIB", "C:\\cfglib");
  envSet("SYBASE_LIBS", "C:\\cfgsyb");
  envSet("TNS_ADMIN", "configured");
  buildEnvironment();
  struct Case {
    const char* name;
    const char* value;
  } cases[] = {
      {"PATH", "C:\\prod\\bin;C:\\jdk\\bin;C:\\ora\\dll;C:\\ora\\bin;C:\\syb\\dll;C:\\syb\\bin;"
               "C:\\cfg;C:\\inh"},
      {"CLASSPATH", "C:\\jdk\\classes;C:\\prod\\classes;cfg.zip;inh.zip"},
      {"LIB", "C:\\prod\\lib\\tarq\\WindowsNT\\x86;C:\\prod\\lib;C:\\jdk\\lib;C:\\ora\\dll;"
              "C:\\ora\\lib;C:\\syb\\dll;C:\\syb\\lib;C:\\cfglib;C:\\inhlib"},
      {"SYBASE", "C:\\syb"},
      {"SYBASE_LIBS", "C:\\syb\\lib;C:\\syb\\dll;C:\\cfgsyb"},
      {"ORA_NLS", "C:\\ora/ocommon/nls/admin/data"},
      {"TNS_ADMIN", "C:\\ora/network/admin"},
  };
  for (const Case& c : cases) EXPECT_STREQ(envGet(c.name), c.value) << c.name;
}

TEST_F(EnvTableTest, MissingOrEmptyHomesDropTheirItems) {
  envSet("JAVA_HOME", "");
  envSet("MOXAL_HOME", "C:\\prod");
  buildEnvironment();
  EXPECT_STREQ(envGet("PATH"), "C:\\prod\\bin;C:\\sys");
  EXPECT_STREQ(envGet("CLASSPATH"), "\\classes;C:\\prod\\classes");  // present, though empty
  EXPECT_STREQ(envGet("LIB"), "C:\\prod\\lib\\tarq\\WindowsNT\\x86;C:\\prod\\lib");
  EXPECT_EQ(envGet("SYBASE"), nullptr);
  EXPECT_EQ(envGet("ORA_NLS"), nullptr);
}

TEST_F(EnvTableTest, RepeatedNamesFindTheFirstButTheLastReachesTheProcess) {
  collectSetenvFromText("moxal.setenv.A=1\nmoxal.setenv.A=2\nmoxal.setenvB=x\nmoxal.setenv.=y\n"
                        "moxal.setenv.EMPTY\n");
  EXPECT_STREQ(envGet("A"), "1");
  EXPECT_EQ(envEntries().size(), 4u);  // A, A, "" and EMPTY
  EXPECT_STREQ(envGet("EMPTY"), "");
  diagOpen(scratch().file("trace").c_str(), 1);
  SetLastError(0);
  applyEnvironment();
  char value[8];
  ASSERT_EQ(GetEnvironmentVariableA("A", value, sizeof value), 1u);
  EXPECT_STREQ(value, "2");
  const std::string trace = tracesOf(scratch().file("trace"));
  EXPECT_NE(trace.find("main: setEnv 0 -A -1- 1 0\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("main: setEnv 2 - -y- 0 87\n"), std::string::npos) << trace;  // failed: traced
}

TEST_F(EnvTableTest, EarlierEntriesAreExpandedBeforeLaterOnesSeeThem) {
  envSet("B", "${A}/b");
  envSet("A", "x/${C}");
  envSet("C", "c");
  buildEnvironment();
  EXPECT_STREQ(envGet("B"), "x\\${C}\\b");  // A was not yet expanded when B was
  EXPECT_STREQ(envGet("A"), "x\\c");
}

TEST_F(EnvTableTest, LongValuesAndManyVariablesAreKeptWhole) {
  std::string text;
  const std::string longValue(100000, 'v');
  for (int i = 0; i < 500; ++i) text += "moxal.setenv.V" + std::to_string(i) + "=${V0}\n";
  text += "moxal.setenv.V0=" + longValue + "\n";
  collectSetenvFromText(text);
  envSet("V0", longValue.c_str());
  buildEnvironment();
  EXPECT_EQ(std::string(envGet("V499")), longValue);
  applyEnvironment();
  std::string value(longValue.size() + 1, '\0');
  EXPECT_EQ(GetEnvironmentVariableA("V499", value.data(), static_cast<DWORD>(value.size())),
            longValue.size());
}

TEST_F(EnvTableTest, AllocationFailuresAreReportedAndTheValueIsDropped) {
  diagOpen(scratch().file("trace").c_str(), 0);
  failAllocation(AllocSite::Copy, 1);
  errno = 0;
  EXPECT_EQ(expandVars("a${PATHSEP}"), std::nullopt);
  failAllocation(AllocSite::PathSeparator, 1);
  EXPECT_EQ(expanded("<${PATHSEP}>"), "<>");
  failAllocation(AllocSite::FindFileInPath, 1);
  EXPECT_EQ(findJavaHome(), std::nullopt);
  makeJdk("jdk", "java");
  envSet("JAVA_HOME", "C:\\jdk");
  failAllocation(AllocSite::JavaProgram, 1);
  EXPECT_EQ(expanded("<${JAVAPROG}>"), "<>");

  std::vector<std::string> texts;
  for (const auto& record : readEvents(root())) {
    EXPECT_EQ(record.source, "MOXAL");
    texts.push_back(record.strings.at(1));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"copy - alloc failure", "getPrivateEnv - alloc failure",
                                             "findFileInPath - alloc failure",
                                             "getPrivateEnv - alloc failure1"}));
  EXPECT_EQ(nttest::readFile(scratch().file("trace")), "copy - alloc failure\n");
}

}  // namespace
