// Where LoadLibraryA finds a library file. A name with a path separator is that path,
// translated by the path rules. A bare name is searched, as Windows does, in the directory
// of the program, then the current directory, then each directory of the Win32
// environment's PATH (';'-separated Windows paths). In each directory the name matches
// exactly, then without case, and "X.dll" also matches libX.so and X.so (paths.h).
#include <sys/stat.h>

#include "modules.h"
#include "paths.h"

namespace nt {
namespace {

bool isRegularFile(const std::string& hostPath) {
  struct stat st;
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string programDirectory() {
  const std::string program = programHostPath();
  return program.substr(0, program.find_last_of('/'));
}

std::vector<std::string> pathDirectories() {
  std::vector<std::string> directories;
  const DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return directories;
  std::string value(size, '\0');
  value.resize(GetEnvironmentVariableA("PATH", value.data(), size));
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    HostPath directory;
    if (end > start && hostPathFor(value.substr(start, end - start).c_str(), PathUse::Existing,
                                   directory)) {
      directories.push_back(directory.path);
    }
    start = end + 1;
  }
  return directories;
}

std::vector<std::string> searchDirectories() {
  std::vector<std::string> directories{programDirectory(), "."};
  for (std::string& directory : pathDirectories()) directories.push_back(std::move(directory));
  return directories;
}

}  // namespace

std::string findLibraryFile(const std::string& windowsName) {
  const LastErrorKeeper keeper;
  if (hasPathSeparator(windowsName)) {
    HostPath path;
    if (!hostPathFor(windowsName.c_str(), PathUse::Existing, path)) return {};
    return isRegularFile(path.path) ? canonicalHostPath(path.path) : std::string();
  }
  for (const std::string& directory : searchDirectories()) {
    const std::string name = findNameInDirectory(directory, windowsName, PathUse::Existing);
    if (name.empty()) continue;
    const std::string candidate = directory + "/" + name;
    if (isRegularFile(candidate)) return canonicalHostPath(candidate);
  }
  return {};
}

}  // namespace nt
