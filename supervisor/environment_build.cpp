// setHomes, buildEnvironment, applyEnvironment and the two list joins.
#include "environment_build.h"

#include <cstring>

#include "common/diag.h"
#include "env_table.h"
#include "expand_vars.h"
#include "file_search.h"
#include "install_home.h"
#include "java_discovery.h"
#include "platform/win32.h"

namespace {

// The homes in the fixed order the path derivations use.
constexpr const char* kHomeNames[] = {"SYBASEHOME", "ORACLE_HOME", "JAVA_HOME", "MOXAL_HOME"};

bool isDatabaseHome(const char* name) {
  return std::strcmp(name, "SYBASEHOME") == 0 || std::strcmp(name, "ORACLE_HOME") == 0;
}

bool nonEmpty(const char* text) { return text && *text; }

std::string orEmpty(const char* text) { return text ? text : ""; }

void expandEntry(const char* name) {
  if (const auto index = envFind(name)) {
    if (auto expanded = expandVars(envEntries()[*index].value.c_str())) {
      envReplaceAt(*index, std::move(*expanded));
    }
  }
}

std::optional<std::string> prependHomeItem(const std::optional<std::string>& list,
                                           const char* home, const char* suffix) {
  return prependPath(list, (orEmpty(home) + suffix).c_str());
}

void storeList(const char* name, const std::optional<std::string>& list) {
  if (list) envSet(name, list->c_str());
}

void derivePath() {
  std::optional<std::string> list = withInherited("PATH", envGet("PATH"));
  for (const char* name : kHomeNames) {
    const char* home = envGet(name);
    if (!nonEmpty(home)) continue;
    list = prependHomeItem(list, home, "/bin");
    if (isDatabaseHome(name)) list = prependHomeItem(list, home, "/dll");
  }
  storeList("PATH", list);
}

void deriveClassPath() {
  std::optional<std::string> list = withInherited("CLASSPATH", envGet("CLASSPATH"));
  for (const char* name : {"MOXAL_HOME", "JAVA_HOME"}) {
    if (envFind(name)) list = prependHomeItem(list, envGet(name), "/classes");
  }
  storeList("CLASSPATH", list);
}

void deriveLib() {
  std::optional<std::string> list = withInherited("LIB", envGet("LIB"));
  for (const char* name : kHomeNames) {
    const char* home = envGet(name);
    if (!nonEmpty(home)) continue;
    list = prependHomeItem(list, home, "/lib");
    if (std::strcmp(name, "MOXAL_HOME") == 0) {
      list = prependHomeItem(list, home, "\\lib\\tarq\\WindowsNT\\x86");
    }
    if (isDatabaseHome(name)) list = prependHomeItem(list, home, "/dll");
  }
  storeList("LIB", list);
}

void deriveDatabaseVariables() {
  if (envFind("SYBASEHOME")) {
    const std::string sybase = orEmpty(envGet("SYBASEHOME"));
    envSet("SYBASE", sybase.c_str());
    const char* configured = envGet("SYBASE_LIBS");
    std::optional<std::string> libs =
        prependHomeItem(configured ? std::optional<std::string>(configured) : std::nullopt,
                        sybase.c_str(), "/dll");
    storeList("SYBASE_LIBS", prependHomeItem(libs, sybase.c_str(), "/lib"));
  }
  if (envFind("ORACLE_HOME")) {
    // Appended with forward slashes, as they are: these two are not converted.
    const std::string oracle = orEmpty(envGet("ORACLE_HOME"));
    envSet("ORA_NLS", (oracle + "/ocommon/nls/admin/data").c_str());
    envSet("TNS_ADMIN", (oracle + "/network/admin").c_str());
  }
}

}  // namespace

std::optional<std::string> prependPath(const std::optional<std::string>& list, const char* item) {
  if (!item) {
    if (!list) return std::nullopt;
    std::string result = *list;
    toBackslashes(result);
    return result;
  }
  std::optional<std::string> result = copy(std::string(item), (*item && list && !list->empty()) ? ";" : "");
  result = result ? copy(result, list ? list->c_str() : "") : std::nullopt;
  if (result) toBackslashes(*result);
  return result;
}

std::string withInherited(const char* name, const char* value) {
  const char* inherited = crt::getenv(name);
  std::string result = orEmpty(value);
  if (nonEmpty(value) && nonEmpty(inherited)) result += ";";
  result += orEmpty(inherited);
  toBackslashes(result);
  return result;
}

void setHomes(const char* programName, const std::optional<std::string>& propertyFilePath) {
  expandEntry("JAVA_HOME");
  if (const auto javaHome = findJavaHome(); javaHome && !javaHome->empty()) {
    envSet("JAVA_HOME", javaHome->c_str());
  }
  diagPrint("JAVA_HOME = %s\n", crt::getenv("JAVA_HOME") ? crt::getenv("JAVA_HOME") : "(null)");
  expandEntry("MOXAL_HOME");
  if (const auto home = findInstallHome(programName); home && !home->empty()) {
    envSet("MOXAL_HOME", home->c_str());
  }
  diagPrint("MOXAL_HOME = %s\n", crt::getenv("MOXAL_HOME") ? crt::getenv("MOXAL_HOME") : "(null)");
  // With no property file at all, MOXAL_PROPERTIES is left as the process received it.
  if (propertyFilePath) envSet("MOXAL_PROPERTIES", propertyFilePath->c_str());
}

void buildEnvironment() {
  currEnvBlock();
  for (size_t i = 0; i < envEntries().size(); ++i) {
    if (envEntries()[i].value.empty()) continue;
    if (auto expanded = expandVars(envEntries()[i].value.c_str())) envReplaceAt(i, std::move(*expanded));
  }
  derivePath();
  deriveClassPath();
  deriveLib();
  deriveDatabaseVariables();
  currEnvBlock();
}

void applyEnvironment() {
  const auto& entries = envEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const BOOL result = SetEnvironmentVariableA(entries[i].name.c_str(), entries[i].value.c_str());
    diagPrint("main: setEnv %d -%s -%s- %d %d\n", static_cast<int>(i), entries[i].name.c_str(),
              entries[i].value.c_str(), result, static_cast<int>(GetLastError()));
  }
}
