// Which services moxal.services builds, and the Java command of each: program path, switches,
// quoting, expansion and the trace of each command as built.
#include "common/diag.h"
#include "common/property_file.h"
#include "supervisor/env_table.h"
#include "supervisor/java_discovery.h"
#include "supervisor/service_list.h"
#include "supervisor/settings.h"
#include "supervisor_fixture.h"

namespace {

class ServiceListTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    settings.services.clear();
    envClear();
    resetJavaProgram();
    nttest::writeFile(driveC() + "/jdk/bin/java", "x");
    envSet("JAVA_HOME", "C:/jdk");
    envSet("MOXAL_PROPERTIES", "C:/prod/classes/properties");
    envSet("CLASSPATH", "C:\\prod\\classes;C:\\jdk\\classes");
    savedPath_ = ::getenv("PATH") ? ::getenv("PATH") : "";
    ::setenv("PATH", "C:\\sys", 1);  // no Java on the inherited search path
  }
  void TearDown() override {
    ::setenv("PATH", savedPath_.c_str(), 1);
    diagClose();
    MachineRootTest::TearDown();
  }
  int load(const std::string& text) {
    const std::string path = scratch().file("properties");
    nttest::writeFile(path, text);
    return loadProperties(path.c_str());
  }
  std::string savedPath_;
  std::vector<std::string> serviceNames() {
    std::vector<std::string> names;
    for (const auto& service : settings.services) names.push_back(service->name);
    return names;
  }
};

TEST_F(ServiceListTest, TheLastKnownClassDecidesTheLevel) {
  const std::string agent = kAgentClass;
  const std::string server1 = kServerClasses[0];
  const std::string server2 = kServerClasses[1];
  struct Case {
    std::string services;
    int level;
  } cases[] = {
      {agent, 1},
      {agent + " " + server1 + " " + server2, 2},
      {server1 + "," + server2 + ";" + agent, 1},
      {agent + ":\t" + server2 + " ,; ", 2},
      {"tarq.admin.arm.agents.agentobjfactoryimpl", 0},  // other letter case: nothing
      {"com.example.Other", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(servicesLevel(load("moxal.services=" + c.services + "\n")), c.level) << c.services;
  }
  EXPECT_EQ(servicesLevel(load("other=1\n")), 0);
}

TEST_F(ServiceListTest, LevelsBuildTheAgentThenTheServer) {
  const int id = load("");
  buildServiceList(id, 0);
  EXPECT_TRUE(settings.services.empty());
  buildServiceList(id, 2);
  EXPECT_EQ(serviceNames(), (std::vector<std::string>{"MOXALAgent", "MOXALServer"}));
  EXPECT_EQ(settings.services[0]->displayName, "MOXALAgent 1.0");
  EXPECT_EQ(settings.services[1]->displayName, "MOXALServer 1.0");
  EXPECT_EQ(settings.services[1]->startCommands.size(), 2u);
  EXPECT_TRUE(settings.services[1]->stopCommands.empty());
  EXPECT_EQ(findService("MOXALServer"), settings.services[1].get());
  EXPECT_EQ(findService("moxalagent"), nullptr);
  EXPECT_EQ(findAgentService(), settings.services[0].get());
}

TEST_F(ServiceListTest, SwitchesShapeEveryCommand) {
  const std::string java = "C:\\jdk\\bin\\java.exe";
  const std::string define = "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties";
  struct Case {
    std::string switches;
    std::vector<std::string> command;
  } cases[] = {
      {"", {java, define, kAgentClass}},
      {"moxal.ntservice.javaverbose=1\nmoxal.ntservice.showclasspath=0\n",
       {java, "-verbose", define, kAgentClass}},
      {"moxal.ntservice.javaverbose=true\nmoxal.ntservice.showclasspath=2\n",
       {java, "-classpath", "C:\\prod\\classes;C:\\jdk\\classes", define, kAgentClass}},
      {"moxal.ntservice.javaverbose=01\nmoxal.ntservice.showclasspath=1\n",
       {java, "-verbose", "-classpath", "C:\\prod\\classes;C:\\jdk\\classes", define, kAgentClass}},
  };
  for (const Case& c : cases) {
    settings.services.clear();
    buildServiceList(load(c.switches), 1);
    ASSERT_EQ(settings.services.size(), 1u);
    EXPECT_EQ(settings.services[0]->startCommands.at(0), c.command) << c.switches;
    EXPECT_EQ(settings.services[0]->startArgumentCount, static_cast<int>(c.command.size()));
  }
}

TEST_F(ServiceListTest, PathsWithBlanksAreQuotedWhole) {
  envSet("MOXAL_PROPERTIES", "C:\\Program Files\\prod\\classes\\properties");
  envSet("CLASSPATH", "C:/Program Files/prod/classes");
  buildServiceList(load("moxal.ntservice.showclasspath=1\n"), 1);
  const ArgumentVector& command = settings.services.at(0)->startCommands.at(0);
  EXPECT_EQ(command.at(2), "\"C:\\Program Files\\prod\\classes\"");
  EXPECT_EQ(command.at(3), "\"-DMOXAL_PROPERTIES=C:\\Program Files\\prod\\classes\\properties\"");
}

TEST_F(ServiceListTest, WithoutAJavaHomeTheProgramPathLacksItsParts) {
  envClear();
  resetJavaProgram();
  buildServiceList(load(""), 1);
  EXPECT_EQ(settings.services.at(0)->startCommands.at(0).at(0), "\\bin\\");
}

TEST_F(ServiceListTest, TraceShowsEachCommandInPieces) {
  diagOpen(scratch().file("trace").c_str(), 1);
  buildServiceList(load(""), 1);
  char tid[16];
  std::snprintf(tid, sizeof tid, "%X: ", static_cast<unsigned>(GetCurrentThreadId()));
  const std::string t = tid;
  const std::string command =
      t + "constructServiceListEngine: svc cmd 0 -" + t + "C:\\jdk\\bin\\java.exe " + t +
      "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties " + t + kAgentClass + " " + t + "-\n" +
      t + "constructServiceListEngine: svc stopcmds 0\n";
  const std::string trace = nttest::readFile(scratch().file("trace"));
  const size_t count = trace.find(t + "constructServiceListEngine: svc cmds 1\n");
  ASSERT_NE(count, std::string::npos) << trace;
  EXPECT_NE(trace.find(command, count), std::string::npos) << trace;
}

}  // namespace
