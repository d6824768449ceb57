// findJavaHome, javaProgram and getPrivateEnv.
#include "java_discovery.h"

#include <cstring>
#include <new>

#include "alloc_seam.h"
#include "common/diag.h"
#include "env_table.h"
#include "file_search.h"
#include "install_home.h"
#include "message_table.h"
#include "platform/win32.h"

namespace {

std::optional<std::string> program;

constexpr const char* kJavaPrograms[] = {"java.exe", "jre.exe"};

// The Java program under the home's bin directory, or none.
const char* programUnder(const char* home) {
  if (findFileInPath(home, "bin\\java.exe")) return "java.exe";
  if (findFileInPath(home, "bin\\jre.exe")) return "jre.exe";
  return nullptr;
}

std::optional<std::string> homeFromPathList(const char* list) {
  if (!list) return std::nullopt;
  std::string directories(list);
  for (char* directory = std::strtok(directories.data(), ";"); directory;
       directory = std::strtok(nullptr, ";")) {
    for (const char* name : kJavaPrograms) {
      if (const auto found = findFileInPath(directory, name)) {
        program = name;
        return cutTwiceAtBackslash(*found);
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> allocated(AllocSite site, int failureText, const char* text) {
  try {
    if (!allocationAllowed(site)) throw std::bad_alloc();
    return std::string(text);
  } catch (const std::bad_alloc&) {
    reportEvent(messageText(failureText), messageText(kSourceMoxal), EVENTLOG_ERROR_TYPE);
    return std::nullopt;
  }
}

}  // namespace

const std::optional<std::string>& javaProgram() { return program; }

void resetJavaProgram() { program.reset(); }

std::optional<std::string> findJavaHome() {
  const char* const homes[] = {envGet("JAVA_HOME"), crt::getenv("JAVA_HOME")};
  for (const char* home : homes) {
    if (!home || !*home) continue;
    if (const char* name = programUnder(home)) {
      program = name;
      return std::string(home);
    }
  }
  const char* const pathLists[] = {envGet("PATH"), crt::getenv("PATH")};
  for (const char* list : pathLists) {
    if (auto home = homeFromPathList(list)) return home;
  }
  return std::nullopt;
}

std::optional<std::string> getPrivateEnv(const char* name) {
  if (!name) return std::nullopt;
  if (std::strcmp(name, "PATHSEP") == 0) return allocated(AllocSite::PathSeparator, 4, "\\");
  if (std::strcmp(name, "JAVAPROG") != 0 && std::strcmp(name, "JAVACMD") != 0) return std::nullopt;
  if (const auto home = findJavaHome()) {
    if (const char* found = programUnder(home->c_str())) program = found;
  }
  if (!program) return std::nullopt;
  return allocated(AllocSite::JavaProgram, 5, program->c_str());
}
