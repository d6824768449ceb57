// setInstallationKeys: each value as the Java processes expect it, paths with forward slashes.
#include "installation_keys.h"

#include <string_view>

#include "composed_value.h"
#include "forward_slashes.h"
#include "moxal_setup.h"
#include "platform/win32.h"
#include "property_edit.h"

namespace {

constexpr char kAgentClass[] = "tarq.admin.arm.agents.AgentObjFactoryImpl";
constexpr char kServerClasses[] =
    " tarq.admin.arm.rmi.ManagedObjFactoryImpl tarq.admin.arm.agents.NetClassServerImpl";

// The status file lives in the temporary directory, or in the installation directory when
// TEMP is not set.
std::string statusFilePath(const std::string& home) {
  const char* temp = crt::getenv("TEMP");
  return std::string(temp && *temp ? temp : home) + "\\moxal.services.status";
}

// The Java program's directory, the product's programs and native libraries, the database
// client's programs, then the PATH the installer runs with.
std::string pathList(const SetupAnswers& answers, const std::string& home,
                     const std::string& java) {
  std::string list;
  if (!java.empty()) list += java + "\\bin;";
  list += home + "\\bin;";
  list += home + "\\lib\\tarq\\WindowsNT\\x86;";
  if (answers.databaseType == kDatabaseSybase) {
    const std::string_view dbHome = fieldText(answers.database->home);
    list.append(dbHome).append("\\dll;").append(dbHome).append("\\bin;");
  } else if (answers.databaseType == kDatabaseOracle) {
    list.append(fieldText(answers.database->home)).append("\\bin;");
  }
  if (const char* inherited = crt::getenv("PATH")) list += inherited;
  return list;
}

std::string classPath(const std::string& home, const std::string& java) {
  std::string list = home + "\\classes";
  if (!java.empty()) list += ";" + java + "\\lib\\classes.zip";
  return list;
}

void setPort(int id, const char* key, int port) {
  setProperty(id, key, std::to_string(port).c_str());
}

}  // namespace

void setInstallationKeys(int id, const SetupAnswers& answers, std::string javaHome) {
  const std::string home = answers.installationDirectory;
  std::string services = kAgentClass;
  if (answers.serverMode == 1) services += kServerClasses;
  setProperty(id, "moxal.services", services.c_str());
  setComposedProperty(id, "moxal.services.status.file", statusFilePath(home));
  setComposedProperty(id, "moxal.setenv.PATH", pathList(answers, home, javaHome));
  setComposedProperty(id, "moxal.setenv.CLASSPATH", classPath(home, javaHome));
  setComposedProperty(id, "moxal.setenv.LIB", home + "\\lib\\tarq\\WindowsNT\\x86");
  toForwardSlashes(javaHome);
  setProperty(id, "moxal.setenv.JAVA_HOME", javaHome.c_str());
  setPort(id, "moxal.port.tarq.admin.arm.agents.AgentObjFactoryImpl", answers.agentPort);
  setPort(id, "moxal.port.tarq.admin.arm.agents.NetClassServerImpl", answers.classServerPort);
  setPort(id, "moxal.port.tarq.admin.arm.event.EventDispatcher", answers.eventPort);
  setPort(id, "moxal.port.tarq.admin.arm.rmi.ManagedObjFactoryImpl", answers.objectServerPort);
  setProperty(id, "moxal.server.hostname", answers.serverHost);
}
