// The supervisor's test fixture (see supervisor_fixture.h).
#include "supervisor_fixture.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

void copyBuilt(const std::string& name, const std::string& to) {
  std::filesystem::copy_file(nttest::builtBinary(name), to,
                             std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

void SupervisorTest::SetUp() {
  MachineRootTest::SetUp();
  nttest::makeDirectories(prod("bin"));
  nttest::makeDirectories(prod("classes"));
  for (const char* name : {"moxalsvc", "libntplatform.so", "libsvcENU.so", "libsvcDEU.so", "ntscm"}) {
    copyBuilt(name, prod(std::string("bin/") + name));
  }
  nttest::makeDirectories(driveC() + "/jdk/bin");
  ASSERT_EQ(::symlink(nttest::builtBinary("fakejava").c_str(), (driveC() + "/jdk/bin/java").c_str()), 0);
  nttest::makeDirectories(recordsDirectory());
  nttest::makeDirectories(scratch().file("home"));
}

std::string SupervisorTest::prod(const std::string& relative) const {
  return driveC() + "/prod" + (relative.empty() ? "" : "/" + relative);
}

void SupervisorTest::writeProperties(const std::string& text) const {
  nttest::writeFile(prod("classes/properties"), text);
}

void SupervisorTest::setProductValue(const std::string& name, const std::string& type,
                                     const std::string& data) const {
  const nttest::ProcessResult result =
      nttest::runProgram({nttest::builtBinary("ntreg"), "add", "HKLM\\Software\\TARQ\\MOXAL\\1.0",
                          "/v", name, "/t", type, "/d", data, "/f"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

nttest::ProcessResult SupervisorTest::runSupervisor(std::vector<std::string> arguments,
                                                    std::vector<std::string> environment,
                                                    int timeoutMs) const {
  arguments.insert(arguments.begin(), supervisorPath());
  nttest::RunOptions options;
  options.unset = {"MOXAL_HOME", "MOXAL_PROPERTIES", "MOXAL_DIAGFILE", "JAVA_HOME", "CLASSPATH",
                   "LIB", "LC_ALL", "LC_MESSAGES", "LANGUAGE", "QELSYSTEM", "QELSERVER"};
  options.environment = {"LANG=C", "HOME=" + scratch().file("home"), "PATH=C:\\sys",
                         "FAKEJAVA_RECORD=" + recordsDirectory() + "/%p.txt"};
  options.environment.insert(options.environment.end(), environment.begin(), environment.end());
  options.timeout = std::chrono::milliseconds(timeoutMs);
  return nttest::runProgram(arguments, options);
}

SC_HANDLE SupervisorTest::openManagerForServices() const {
  for (const char* name : {"MOXAL_HOME", "MOXAL_PROPERTIES", "MOXAL_DIAGFILE", "JAVA_HOME",
                           "CLASSPATH", "LIB", "LC_ALL", "LC_MESSAGES"}) {
    SetEnvironmentVariableA(name, nullptr);
  }
  SetEnvironmentVariableA("LANG", "C");
  SetEnvironmentVariableA("PATH", "C:\\sys");
  SetEnvironmentVariableA("FAKEJAVA_RECORD", (recordsDirectory() + "/%p.txt").c_str());
  SetEnvironmentVariableA("FAKEJAVA_SLEEP", "forever");
  return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
}

void SupervisorTest::endJavaChildren() const {
  for (const auto& record : javaRecords()) ::kill(std::stoi(record.facts.at("pid")), SIGKILL);
}

std::string tracesOf(const std::string& hostPath) {
  return std::regex_replace(nttest::readFile(hostPath), std::regex("(^|\n)[0-9A-F]+: "), "$1");
}

std::vector<nt::EventRecord> SupervisorTest::events() const { return readEvents(root()); }

std::vector<nt::EventRecord> readEvents(const std::string& machineRoot) {
  std::vector<nt::EventRecord> records;
  std::ifstream log(machineRoot + "/eventlog/Application.log");
  std::string line;
  while (std::getline(log, line)) {
    nt::EventRecord record;
    if (nt::parseEventRecord(line, record)) records.push_back(record);
  }
  return records;
}

std::vector<nttest::FakeJavaRecord> SupervisorTest::javaRecords() const {
  std::vector<nttest::FakeJavaRecord> records;
  for (const auto& entry : std::filesystem::directory_iterator(recordsDirectory())) {
    if (entry.path().extension() == ".txt") records.push_back(nttest::readFakeJavaRecord(entry.path()));
  }
  return records;
}

std::vector<std::string> linesContaining(const std::string& text, const std::string& fragment) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find(fragment) != std::string::npos) lines.push_back(line);
  }
  return lines;
}
