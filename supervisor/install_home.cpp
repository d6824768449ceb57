// findInstallHome, findDefaultPropertyFile and findDefaultDiagFile.
#include "install_home.h"

#include <cstdio>
#include <vector>

#include "env_table.h"
#include "file_search.h"
#include "platform/win32.h"
#include "product_key.h"

namespace {

constexpr int kModulePathLength = 2048;

bool holdsSupervisor(const char* home) {
  if (!home || !*home) return false;
  return findFileInPath(home, "bin\\moxalsvc.exe").has_value();
}

// The full path of the running program in the ANSI code page, or the program name.
std::string runningProgramPath(const char* programName) {
  WCHAR wide[kModulePathLength];
  if (GetModuleFileNameW(nullptr, wide, kModulePathLength) == 0) {
    return programName ? programName : "";
  }
  char path[kModulePathLength];
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, path, kModulePathLength, nullptr, nullptr) == 0) {
    return programName ? programName : "";
  }
  return path;
}

// The two texts joined, as the format "%s%s" joins them.
std::string joined(const std::string& first, const char* second) { return first + second; }

bool fileOpens(const std::string& path) {
  FILE* file = crt::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::string cutTwiceAtBackslash(std::string path) {
  for (int cut = 0; cut < 2; ++cut) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) break;
    path.resize(slash);
  }
  return path;
}

std::optional<std::string> findInstallHome(const char* programName) {
  const char* const inheritedOrConfigured[] = {envGet("MOXAL_HOME"), crt::getenv("MOXAL_HOME")};
  for (const char* candidate : inheritedOrConfigured) {
    if (holdsSupervisor(candidate)) return std::string(candidate);
  }
  if (const auto destDir = readProductString("DestDir"); destDir && holdsSupervisor(destDir->c_str())) {
    return destDir;
  }
  const std::string path = runningProgramPath(programName);
  if (path.empty()) return std::nullopt;
  return cutTwiceAtBackslash(path);
}

std::optional<std::string> findDefaultPropertyFile(const char* programName) {
  if (const char* configured = crt::getenv("MOXAL_PROPERTIES"); configured && *configured) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(configured, &found);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      return std::string(configured);
    }
  }
  std::vector<std::string> candidates;
  if (const auto home = findInstallHome(programName)) {
    candidates.push_back(joined(*home, "\\classes\\properties"));
  }
  if (const char* userHome = crt::getenv("HOME")) {
    candidates.push_back(joined(userHome, "\\classes\\properties"));
  }
  candidates.push_back(joined(".", "\\properties"));
  for (const std::string& candidate : candidates) {
    if (fileOpens(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> findDefaultDiagFile(const char* programName) {
  if (const char* configured = crt::getenv("MOXAL_DIAGFILE"); configured && *configured) {
    return std::string(configured);
  }
  if (auto registered = readProductString("DiagFile")) return registered;
  if (const auto home = findInstallHome(programName)) return joined(*home, "\\moxal.dbg");
  return std::nullopt;
}
