// The installer and uninstaller stand-ins run as programs: answers from an answer file and the
// command line reach constProp; a write that fails part-way leaves the old property file whole
// and says so; a service control manager that cannot be opened ends the installation with
// status 1; and wrong command lines are refused with a reason.
#include <gtest/gtest.h>

#include <filesystem>

#include "installed_product.h"

namespace {

class InstallerRunTest : public InstalledProductTest {
 protected:
  nttest::ProcessResult runInstaller(std::vector<std::string> arguments,
                                     std::vector<std::string> environment = {}) {
    arguments.insert(arguments.begin(), nttest::builtBinary("moxal_install"));
    nttest::RunOptions options;
    options.environment = {"PATH=C:\\sys", "TEMP=C:\\temp"};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    return nttest::runProgram(arguments, options);
  }

  std::vector<std::string> classesDirectory() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(prod("classes"))) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  const std::vector<std::string> fullAnswers_ = {
      "--mode",        "1",    "--home",       "C:\\prod", "--java",       "C:\\jdk\\bin\\java.exe",
      "--agent-port",  "5561", "--class-port", "5562",     "--event-port", "5563",
      "--object-port", "5564", "--host",       "mgmt"};
};

TEST_F(InstallerRunTest, AnswerFileAndCommandLineReachConstProp) {
  const std::string answers = MachineRootTest::scratch().file("answers.txt");
  nttest::writeFile(
      answers,
      "# answers of an Oracle installation\r\n"
      "mode=1\r\nhome = C:\\prod\r\njava=C:\\jdk\\bin\\java.exe\r\n\r\n"
      "agent-port=5561\r\nclass-port=5562\r\nevent-port=5563\r\nobject-port=5564\r\n"
      "host=fromfile\r\ndb=oracle\r\ndb-home=C:\\orant\r\ndb-server=ORCL\r\ndb-size=300\r\n");
  const nttest::ProcessResult result = runInstaller({"--answers", answers, "--host=mgmt"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  const std::string written = nttest::readFile(prod("classes/properties"));
  for (const char* line :
       {"moxal.server.hostname=mgmt\r\n", "moxal.setenv.ORACLE_HOME=C:/orant\r\n",
        "moxal.setenv.ORACLE_SID=ORCL\r\n", "moxal.database.DBSIZE=300\r\n",
        "moxal.setenv.PATH=C:/jdk/bin;C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;"
        "C:/orant/bin;C:/sys\r\n",
        "moxal.services.status.file=C:/temp/moxal.services.status\r\n"}) {
    EXPECT_NE(written.find(line), std::string::npos) << line << written;
  }
  EXPECT_TRUE(serviceConfig("MOXALServer"));
}

TEST_F(InstallerRunTest, WriteFailureLeavesTheOldFileWholeAndSaysSo) {
  const std::string before = nttest::readFile(prod("classes/properties"));
  const nttest::ProcessResult result = runInstaller(fullAnswers_, {"NT_FAULT=write:1:28"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "writeProperties: could not write C:\\prod\\classes\\properties 112\n");
  EXPECT_EQ(nttest::readFile(prod("classes/properties")), before);
  EXPECT_EQ(classesDirectory(), std::vector<std::string>{"properties"});
  EXPECT_TRUE(serviceConfig("MOXALServer"));  // the services are installed all the same
}

TEST_F(InstallerRunTest, ManagerThatCannotBeOpenedEndsTheInstallation) {
  nttest::ScratchDir otherMachine;
  const nttest::ProcessResult result = runInstaller(
      fullAnswers_,
      {"NT_ROOT=" + otherMachine.path(), "NT_SCM_PROGRAM=" + otherMachine.file("none")});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.out, "installService: could not open SCManager\n");
}

TEST_F(InstallerRunTest, WrongCommandLinesAreRefusedWithTheirReason) {
  const std::string badFile = MachineRootTest::scratch().file("bad.txt");
  nttest::writeFile(badFile, "mode=1\nport 5561\n");
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;  // the start of the error line
  } kCases[] = {
      {{"--mode", "one"}, 2, "moxal_install: the value of mode is not a number: one"},
      {{"--agent-port", "99999999999"},
       2,
       "moxal_install: the value of agent-port is not a number"},
      {{"--colour", "red"}, 2, "moxal_install: unknown answer colour"},
      {{"--home"}, 2, "moxal_install: --home needs a value"},
      {{"mode=1"}, 2, "moxal_install: unexpected argument mode=1"},
      {{"--db", "informix"}, 2, "moxal_install: unknown database type informix"},
      {{"--db-server", std::string(256, 's')},
       2,
       "moxal_install: the value of db-server is longer than 255"},
      {{"--answers", "C:\\nowhere.txt"},
       2,
       "moxal_install: C:\\nowhere.txt: cannot open the answer file"},
      {{"--answers", badFile}, 2, "moxal_install: " + badFile + ":2: expected name=value"},
      {{"--library", "nosuch.dll"}, 3, "moxal_install: cannot load nosuch.dll (error 126)"},
      {{"--library", "ntrc_fixture.dll"},
       3,
       "moxal_install: ntrc_fixture.dll does not export constProp"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.arguments.front());
    const nttest::ProcessResult result = runInstaller(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(serviceConfig("MOXALAgent"));
  for (const char* program : {"moxal_install", "moxal_uninstall"}) {
    const nttest::ProcessResult help = nttest::runProgram({nttest::builtBinary(program), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: ") + program, 0), 0u) << help.out;
  }
  const nttest::ProcessResult wrong =
      nttest::runProgram({nttest::builtBinary("moxal_uninstall"), "--now"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_EQ(wrong.err, "moxal_uninstall: unexpected argument --now (see --help)\n");
}

}  // namespace
